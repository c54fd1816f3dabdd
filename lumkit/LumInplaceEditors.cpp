#include "lumkit/LumInplaceEditors.h"

#include <type_traits>

#include "lumkit/LumInplaceEditList.h"

extern unsigned int LUMKIT_REQUEST_DESTROY;

template <class TControl>
const MessageMapEntry CLumInplaceEditor<TControl>::messageEntries[] = {
    On::Message<&CLumInplaceEditor::OnDestroy>(WM_DESTROY),
    On::Message<&CLumInplaceEditor::OnKillFocus>(WM_KILLFOCUS),
    On::Message<&CLumInplaceEditor::OnGetDlgCode>(WM_GETDLGCODE),
    On::Message<&CLumInplaceEditor::OnKeyDown>(WM_KEYDOWN),
    On::End(),
};

template <class TControl>
const MessageMap CLumInplaceEditor<TControl>::messageMap = {&CWnd::messageMap,
                                                            CLumInplaceEditor::messageEntries};

template <class TControl>
const MessageMap* CLumInplaceEditor<TControl>::GetMessageMap() const {
    return &messageMap;
}

template <class TControl>
LRESULT CLumInplaceEditor<TControl>::OnDestroy(WPARAM, LPARAM) {
    m_pList->EndEdit();
    return this->Default();
}

template <class TControl>
LRESULT CLumInplaceEditor<TControl>::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = this->Default();
    m_pList->PostMessage(LUMKIT_REQUEST_DESTROY, static_cast<WPARAM>(m_nItem), m_nColumn);
    return result;
}

template <class TControl>
LRESULT CLumInplaceEditor<TControl>::OnGetDlgCode(WPARAM, LPARAM) {
    return this->Default() | DLGC_WANTTAB;
}

template <class TControl>
LRESULT CLumInplaceEditor<TControl>::OnKeyDown(WPARAM key, LPARAM) {
    if (key == VK_TAB) {
        m_pList->EditorTab((GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return 0;
    }
    if (std::is_same<TControl, CEdit>::value && (key == VK_UP || key == VK_DOWN)) {
        m_pList->EditorUpDown(key);
        return 0;
    }
    return this->Default();
}

template class CLumInplaceEditor<CEdit>;
template class CLumInplaceEditor<CComboBox>;
