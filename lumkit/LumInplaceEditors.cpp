#include "lumkit/LumInplaceEditors.h"

#include "lumkit/LumInplaceEditList.h"

extern unsigned int LUMKIT_REQUEST_DESTROY;

namespace {

bool ShiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

}  // namespace

// The edit box.

const MessageMapEntry CLumInplaceEditCtrl::messageEntries[] = {
    On::Message<&CLumInplaceEditCtrl::OnDestroy>(WM_DESTROY),
    On::Message<&CLumInplaceEditCtrl::OnKillFocus>(WM_KILLFOCUS),
    On::Message<&CLumInplaceEditCtrl::OnGetDlgCode>(WM_GETDLGCODE),
    On::Message<&CLumInplaceEditCtrl::OnKeyDown>(WM_KEYDOWN),
    On::End(),
};
const MessageMap CLumInplaceEditCtrl::messageMap = {&CWnd::messageMap, CLumInplaceEditCtrl::messageEntries};
const MessageMap* CLumInplaceEditCtrl::GetMessageMap() const { return &messageMap; }

CLumInplaceEditCtrl::CLumInplaceEditCtrl(CLumInplaceEditList* list, int item, int column)
    : m_pList(list), m_nItem(item), m_nColumn(column) {}

void CLumInplaceEditCtrl::PostNcDestroy() { delete this; }

LRESULT CLumInplaceEditCtrl::OnDestroy(WPARAM, LPARAM) {
    m_pList->EndEdit();
    return Default();
}

LRESULT CLumInplaceEditCtrl::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = Default();
    m_pList->PostMessage(LUMKIT_REQUEST_DESTROY, static_cast<WPARAM>(m_nItem), m_nColumn);
    return result;
}

LRESULT CLumInplaceEditCtrl::OnGetDlgCode(WPARAM, LPARAM) { return Default() | DLGC_WANTTAB; }

LRESULT CLumInplaceEditCtrl::OnKeyDown(WPARAM key, LPARAM) {
    switch (key) {
    case VK_TAB:
        m_pList->EditorTab(ShiftHeld());
        return 0;
    case VK_UP:
    case VK_DOWN:
        m_pList->EditorUpDown(key);
        return 0;
    default:
        return Default();
    }
}

// The drop-down list.

const MessageMapEntry CLumInplaceComboBox::messageEntries[] = {
    On::Message<&CLumInplaceComboBox::OnDestroy>(WM_DESTROY),
    On::Message<&CLumInplaceComboBox::OnKillFocus>(WM_KILLFOCUS),
    On::Message<&CLumInplaceComboBox::OnGetDlgCode>(WM_GETDLGCODE),
    On::Message<&CLumInplaceComboBox::OnKeyDown>(WM_KEYDOWN),
    On::End(),
};
const MessageMap CLumInplaceComboBox::messageMap = {&CWnd::messageMap, CLumInplaceComboBox::messageEntries};
const MessageMap* CLumInplaceComboBox::GetMessageMap() const { return &messageMap; }

CLumInplaceComboBox::CLumInplaceComboBox(CLumInplaceEditList* list, int item, int column)
    : m_pList(list), m_nItem(item), m_nColumn(column) {}

void CLumInplaceComboBox::PostNcDestroy() { delete this; }

LRESULT CLumInplaceComboBox::OnDestroy(WPARAM, LPARAM) {
    m_pList->EndEdit();
    return Default();
}

LRESULT CLumInplaceComboBox::OnKillFocus(WPARAM, LPARAM) {
    const LRESULT result = Default();
    m_pList->PostMessage(LUMKIT_REQUEST_DESTROY, static_cast<WPARAM>(m_nItem), m_nColumn);
    return result;
}

LRESULT CLumInplaceComboBox::OnGetDlgCode(WPARAM, LPARAM) { return Default() | DLGC_WANTTAB; }

LRESULT CLumInplaceComboBox::OnKeyDown(WPARAM key, LPARAM) {
    if (key != VK_TAB) return Default();
    m_pList->EditorTab(ShiftHeld());
    return 0;
}
