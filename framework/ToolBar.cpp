#include "ToolBar.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "FrameWnd.h"
#include "ResourceChain.h"
#include "SysColorBitmap.h"

namespace {

constexpr int kSeparator = 8;  // the control's width (or, in a column, height) of a separator

template <typename T>
T Read(const BYTE* data, std::size_t index) {
    T value;
    std::memcpy(&value, data + index * sizeof(T), sizeof(T));
    return value;
}

// The state of a toolbar button as an update handler sets it.
class CToolCmdUI : public CCmdUI {
public:
    CToolCmdUI(CToolBar* bar, int index) : m_pBar(bar), m_nButton(index) {}

    void Enable(bool on) override {
        CCmdUI::Enable(on);
        Change(TBSTATE_ENABLED, on ? TBSTATE_ENABLED : 0);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        Change(TBSTATE_CHECKED | TBSTATE_INDETERMINATE,
               check == 1 ? TBSTATE_CHECKED : check == 2 ? TBSTATE_INDETERMINATE : 0);
    }

private:
    void Change(UINT mask, UINT bits) {
        const UINT state = m_pBar->GetItemState(m_nButton);
        if ((state & mask) != bits) m_pBar->SetItemState(m_nButton, (state & ~mask) | bits);
    }

    CToolBar* m_pBar;
    int m_nButton;
};

}  // namespace

// ---- CToolBarResource ----

bool CToolBarResource::Parse(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const BYTE*>(data);
    if (!bytes || size < 8) return false;
    std::size_t count;
    if (Read<WORD>(bytes, 0) == 1) {  // version 1: WORDs
        imageWidth = Read<WORD>(bytes, 1);
        imageHeight = Read<WORD>(bytes, 2);
        count = Read<WORD>(bytes, 3);
        if (size < 8 + 2 * count) return false;
        ids.resize(count);
        for (std::size_t i = 0; i < count; ++i) ids[i] = Read<WORD>(bytes, 4 + i);
    } else {  // windres: DWORDs, no version
        if (size < 12) return false;
        imageWidth = static_cast<int>(Read<DWORD>(bytes, 0));
        imageHeight = static_cast<int>(Read<DWORD>(bytes, 1));
        count = Read<DWORD>(bytes, 2);
        if (count > (size - 12) / 4) return false;
        ids.resize(count);
        for (std::size_t i = 0; i < count; ++i) ids[i] = Read<DWORD>(bytes, 3 + i);
    }
    return imageWidth > 0 && imageWidth <= 256 && imageHeight > 0 && imageHeight <= 256;
}

// ---- CToolBar ----

const CRuntimeClass CToolBar::classCToolBar = {"CToolBar", sizeof(CToolBar), &CControlBar::classCControlBar,
                                               nullptr};

const CRuntimeClass* CToolBar::GetRuntimeClass() const { return &classCToolBar; }

const MessageMapEntry CToolBar::messageEntries[] = {
    On::ReflectNotify<&CToolBar::OnGetInfoTipA>(TBN_GETINFOTIPA),
    On::ReflectNotify<&CToolBar::OnGetInfoTipW>(TBN_GETINFOTIPW),
    On::End(),
};
const MessageMap CToolBar::messageMap = {&CControlBar::messageMap, CToolBar::messageEntries};

const MessageMap* CToolBar::GetMessageMap() const { return &messageMap; }

CToolBar::CToolBar() = default;

CToolBar::~CToolBar() {
    if (m_hbmImageWell) DeleteObject(m_hbmImageWell);
}

bool CToolBar::Create(CWnd* parent, DWORD style, UINT id) { return CreateEx(parent, 0, style, id); }

bool CToolBar::CreateEx(CWnd* parent, DWORD ctrlStyle, DWORD style, UINT id) {
    if (!parent || !parent->m_hWnd || m_hWnd) return false;
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    // The frame places and sizes the bar; the margin and gripper are ours.
    DWORD windowStyle = PrepareStyle(style) | ctrlStyle | WS_CHILD | CCS_NORESIZE | CCS_NOPARENTALIGN |
                        CCS_NODIVIDER;
    if (m_dwStyle & CBRS_TOOLTIPS) windowStyle |= TBSTYLE_TOOLTIPS;
    if (m_dwStyle & CBRS_ORIENT_VERT) windowStyle |= CCS_VERT;
    if (!CWnd::CreateEx(0, TOOLBARCLASSNAMEA, nullptr, windowStyle, 0, 0, 0, 0, parent->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    SendMessage(TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON));
    SetSizes({23, 22}, {16, 15});
    JoinFrame(parent);
    return true;
}

bool CToolBar::LoadToolBar(LPCSTR name) {
    if (!m_hWnd) return false;
    HINSTANCE module = AfxFindResourceHandle(name, RT_TOOLBAR);
    HRSRC found = module ? FindResourceA(module, name, RT_TOOLBAR) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    CToolBarResource resource;
    if (!data || !resource.Parse(data, SizeofResource(module, found))) return false;
    SetSizes({resource.imageWidth + 7, resource.imageHeight + 7}, {resource.imageWidth, resource.imageHeight});
    if (!LoadBitmap(name)) return false;
    return SetButtons(resource.ids.data(), static_cast<int>(resource.ids.size()));
}

bool CToolBar::LoadBitmap(LPCSTR name) {
    HBITMAP bitmap = AfxLoadSysColorBitmap(name);
    if (!bitmap) return false;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    const int images = info.bmWidth / m_sizeImage.cx;
    bool added;
    if (m_hbmImageWell) {
        TBREPLACEBITMAP replace = {nullptr, reinterpret_cast<UINT_PTR>(m_hbmImageWell), nullptr,
                                   reinterpret_cast<UINT_PTR>(bitmap), images};
        added = SendMessage(TB_REPLACEBITMAP, 0, reinterpret_cast<LPARAM>(&replace)) != 0;
    } else {
        TBADDBITMAP add = {nullptr, reinterpret_cast<UINT_PTR>(bitmap)};
        added = SendMessage(TB_ADDBITMAP, static_cast<WPARAM>(images), reinterpret_cast<LPARAM>(&add)) != -1;
    }
    if (!added) {
        DeleteObject(bitmap);
        return false;
    }
    if (m_hbmImageWell) DeleteObject(m_hbmImageWell);
    m_hbmImageWell = bitmap;
    return true;
}

bool CToolBar::SetButtons(const UINT* ids, int count) {
    while (SendMessage(TB_DELETEBUTTON, 0)) {
    }
    std::vector<TBBUTTON> buttons(static_cast<std::size_t>(count > 0 ? count : 0));
    int image = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& button = buttons[i];
        button = {};
        if (ids[i] == ID_SEPARATOR) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(ids[i]);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
    }
    const bool added = buttons.empty() || SendMessage(TB_ADDBUTTONSA, buttons.size(),
                                                      reinterpret_cast<LPARAM>(buttons.data())) != 0;
    SetOrientation(IsHorizontal());
    return added;
}

void CToolBar::SetSizes(SIZE button, SIZE image) {
    m_sizeImage = image;
    button.cx = std::max(button.cx, image.cx + 7);
    button.cy = std::max(button.cy, image.cy + 6);
    SendMessage(TB_SETBITMAPSIZE, 0, MAKELPARAM(image.cx, image.cy));
    SendMessage(TB_SETBUTTONSIZE, 0, MAKELPARAM(button.cx, button.cy));
}

int CToolBar::GetCount() const {
    return static_cast<int>(::SendMessageA(m_hWnd, TB_BUTTONCOUNT, 0, 0));
}

UINT CToolBar::GetItemID(int index) const {
    TBBUTTON button = {};
    if (!::SendMessageA(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return (button.fsStyle & BTNS_SEP) ? ID_SEPARATOR : static_cast<UINT>(button.idCommand);
}

int CToolBar::CommandToIndex(UINT id) const {
    if (id == ID_SEPARATOR) return -1;
    for (int index = 0, count = GetCount(); index < count; ++index)
        if (GetItemID(index) == id) return index;
    return -1;
}

bool CToolBar::GetItemRect(int index, RECT* rect) const {
    return ::SendMessageA(m_hWnd, TB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)) != 0;
}

UINT CToolBar::GetItemState(int index) const {
    TBBUTTON button = {};
    if (!::SendMessageA(m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button)))
        return 0;
    return button.fsState;
}

void CToolBar::SetItemState(int index, UINT state) {
    // By index: separators have no command to be found by.
    TBBUTTONINFOA info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STATE | TBIF_BYINDEX;
    info.fsState = static_cast<BYTE>(state);
    SendMessage(TB_SETBUTTONINFOA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&info));
}

void CToolBar::SetOrientation(bool horz) {
    ModifyStyle(horz ? CCS_VERT : 0, horz ? 0 : CCS_VERT);
    for (int index = 0, count = GetCount(); index < count; ++index) {
        const UINT state = GetItemState(index);
        const UINT wanted = horz ? (state & ~TBSTATE_WRAP) : (state | TBSTATE_WRAP);
        if (wanted != state) SetItemState(index, wanted);
    }
    SendMessage(TB_AUTOSIZE);
    Invalidate();
}

void CToolBar::OnBarStyleChange(DWORD oldStyle, DWORD newStyle) {
    const bool horz = !(newStyle & CBRS_ORIENT_VERT);
    if (m_hWnd && horz != !(oldStyle & CBRS_ORIENT_VERT)) SetOrientation(horz);
    if ((oldStyle ^ newStyle) & CBRS_TOOLTIPS) {
        if (HWND tips = reinterpret_cast<HWND>(SendMessage(TB_GETTOOLTIPS)))
            ::SendMessageA(tips, TTM_ACTIVATE, (newStyle & CBRS_TOOLTIPS) ? TRUE : FALSE, 0);
    }
    CControlBar::OnBarStyleChange(oldStyle, newStyle);
}

SIZE CToolBar::CalcFixedLayout(bool stretch, bool horz) {
    SIZE size = CControlBar::CalcFixedLayout(stretch, horz);
    const DWORD buttonSize = static_cast<DWORD>(SendMessage(TB_GETBUTTONSIZE));
    const int width = LOWORD(buttonSize), height = HIWORD(buttonSize);
    // Along the bar, only when it does not take its side's whole length.
    int length = 0;
    if (!stretch) {
        for (int index = 0, count = GetCount(); index < count; ++index) {
            if (GetItemState(index) & TBSTATE_HIDDEN) continue;
            length += GetItemID(index) == ID_SEPARATOR ? kSeparator : (horz ? width : height);
        }
    }
    if (horz) {
        size.cy += height;
        if (!stretch) size.cx += length;
    } else {
        size.cx += width;
        if (!stretch) size.cy += length;
    }
    return size;
}

void CToolBar::OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler) {
    for (int index = 0, count = GetCount(); index < count; ++index) {
        const UINT id = GetItemID(index);
        if (id == ID_SEPARATOR) continue;
        CToolCmdUI ui(this, index);
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(index);
        ui.DoUpdate(target, disableIfNoHandler);
    }
    // Controls placed on the bar.
    UpdateDialogControls(target, disableIfNoHandler);
}

UINT CToolBar::HitTestCommand(POINT point) const {
    const int index = static_cast<int>(::SendMessageA(m_hWnd, TB_HITTEST, 0, reinterpret_cast<LPARAM>(&point)));
    return index >= 0 ? GetItemID(index) : 0;
}

bool CToolBar::TipText(UINT id, std::string& tip) const {
    std::string prompt;
    if (!(m_dwStyle & CBRS_TOOLTIPS) || !AfxLoadString(id, prompt)) return false;
    const std::size_t start = prompt.find('\n');
    if (start == std::string::npos) return false;
    tip = prompt.substr(start + 1);
    tip = tip.substr(0, tip.find('\n'));
    return !tip.empty();
}

void CToolBar::OnGetInfoTipA(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMTBGETINFOTIPA*>(header);
    std::string tip;
    if (info->pszText && info->cchTextMax > 0 && TipText(static_cast<UINT>(info->iItem), tip))
        lstrcpynA(info->pszText, tip.c_str(), info->cchTextMax);
    *result = 0;
}

void CToolBar::OnGetInfoTipW(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMTBGETINFOTIPW*>(header);
    std::string tip;
    if (info->pszText && info->cchTextMax > 0 && TipText(static_cast<UINT>(info->iItem), tip)) {
        const int copied = MultiByteToWideChar(CP_ACP, 0, tip.c_str(), -1, info->pszText, info->cchTextMax);
        if (copied == 0) info->pszText[info->cchTextMax - 1] = L'\0';
    }
    *result = 0;
}
