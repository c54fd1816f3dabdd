#include "lumkit/LumDialogToolbar.h"

#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "framework/Dialog.h"
#include "framework/FrameWnd.h"
#include "framework/ResourceChain.h"
#include "framework/SysColorBitmap.h"
#include "framework/ToolBar.h"
#include "lumkit/LumFlatButton.h"

namespace {

const LPCSTR kToolbarType = MAKEINTRESOURCEA(241);

}  // namespace

// ---- CLumToolbarCmdUI ----

void CLumToolbarCmdUI::Enable(bool on) {
    m_bEnableChanged = true;
    m_bEnabled = on;
    CLumFlatButton* button = m_pToolbar ? m_pToolbar->GetButton(static_cast<int>(m_nIndex)) : nullptr;
    if (button && button->m_hWnd && button->IsWindowEnabled() != on) button->EnableWindow(on);
}

void CLumToolbarCmdUI::SetCheck(int) {}

void CLumToolbarCmdUI::SetText(const char*) {}

// ---- CLumDialogToolbar ----

const CRuntimeClass CLumDialogToolbar::classCLumDialogToolbar = {
    "CLumDialogToolbar", sizeof(CLumDialogToolbar), &CStatic::classCStatic, nullptr};

const CRuntimeClass* CLumDialogToolbar::GetRuntimeClass() const { return &classCLumDialogToolbar; }

const MessageMapEntry CLumDialogToolbar::messageEntries[] = {
    On::Message<&CLumDialogToolbar::OnPaint>(WM_PAINT),
    On::Message<&CLumDialogToolbar::OnIdleUpdateMessage>(WM_IDLEUPDATECMDUI),
    On::End(),
};
const MessageMap CLumDialogToolbar::messageMap = {&CStatic::messageMap, CLumDialogToolbar::messageEntries};

const MessageMap* CLumDialogToolbar::GetMessageMap() const { return &messageMap; }

CLumDialogToolbar::CLumDialogToolbar() = default;

CLumDialogToolbar::~CLumDialogToolbar() {
    for (CLumFlatButton* button : m_buttons) delete button;
    for (HICON icon : m_icons) DestroyIcon(icon);
}

bool CLumDialogToolbar::LoadToolbar(const char* name) {
    HINSTANCE module = AfxFindResourceHandle(name, kToolbarType);
    HRSRC resource = module ? FindResourceA(module, name, kToolbarType) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    CToolBarResource toolbar;
    if (!data || !toolbar.Parse(data, SizeofResource(module, resource))) return false;
    std::vector<int> ids(toolbar.ids.begin(), toolbar.ids.end());
    return LoadToolbar(name, toolbar.imageWidth, ids.data(), static_cast<int>(ids.size()));
}

bool CLumDialogToolbar::LoadToolbar(const char* bitmapName, int imageWidth, const int* ids, int count) {
    if (!m_hWnd || imageWidth <= 0 || count < 0) return false;
    HBITMAP bitmap = AfxLoadSysColorBitmap(bitmapName);
    if (!bitmap) return false;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    const int imageCount = info.bmWidth / imageWidth;
    HIMAGELIST images = ImageList_Create(imageWidth, info.bmHeight, ILC_COLOR24 | ILC_MASK, imageCount, 0);
    if (images) ImageList_AddMasked(images, bitmap, GetSysColor(COLOR_BTNFACE));
    DeleteObject(bitmap);

    RECT client;
    GetClientRect(&client);
    const int side = client.bottom - client.top - 2;
    int x = client.right - 1;
    int image = images ? ImageList_GetImageCount(images) - 1 : -1;
    std::vector<int> shown;  // right to left
    bool ok = true;
    for (int i = count - 1; i >= 0; --i) {
        const int id = ids[i];
        if (id == 0) {
            m_separators.push_back(x - 2);
            x -= 3;
            continue;
        }
        auto* button = new CLumFlatButton();
        const RECT rect = {x - side, client.top + 1, x, client.bottom - 1};
        if (!button->Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_CENTER | BS_VCENTER, rect, this,
                            static_cast<UINT>(id))) {
            delete button;
            ok = false;
            break;
        }
        if (image >= 0) {
            HICON icon = ImageList_ExtractIcon(nullptr, images, image--);
            if (icon) {
                m_icons.push_back(icon);
                button->SetIcon(icon, imageWidth, info.bmHeight);
            }
        }
        m_buttons.insert(m_buttons.begin(), button);
        m_ids.insert(m_ids.begin(), id);
        x -= side + 1;
    }
    m_nButtonsLeft = x;
    if (ok && m_tooltip.Create(this)) {
        m_tooltip.Activate(true);
        for (CLumFlatButton* button : m_buttons) m_tooltip.AddTool(button, button->GetDlgCtrlID());
    }
    if (images) ImageList_Destroy(images);
    Invalidate();
    return ok;
}

bool CLumDialogToolbar::OnCommand(WPARAM wParam, LPARAM lParam) {
    const int id = LOWORD(wParam);
    if (std::find(m_ids.begin(), m_ids.end(), id) != m_ids.end()) {
        if (HWND parent = ::GetParent(m_hWnd)) ::SendMessageA(parent, WM_COMMAND, wParam, lParam);
        return true;
    }
    return CStatic::OnCommand(wParam, lParam);
}

bool CLumDialogToolbar::PreTranslateMessage(MSG* msg) {
    if (m_tooltip.m_hWnd) m_tooltip.RelayEvent(msg);
    return CStatic::PreTranslateMessage(msg);
}

void CLumDialogToolbar::OnPaint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    RECT rect;
    GetClientRect(&rect);
    InflateRect(&rect, -2, -1);
    if (m_nButtonsLeft > 0) rect.right = m_nButtonsLeft;
    HGDIOBJ oldFont = SelectObject(dc, GetFont() ? static_cast<HGDIOBJ>(GetFont()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    const std::string text = GetWindowText();
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ oldPen = SelectObject(dc, shadow);
    for (int x : m_separators) {
        SelectObject(dc, shadow);
        MoveToEx(dc, x, rect.top, nullptr);
        LineTo(dc, x, rect.bottom);
        SelectObject(dc, light);
        MoveToEx(dc, x + 1, rect.top, nullptr);
        LineTo(dc, x + 1, rect.bottom);
    }
    SelectObject(dc, oldPen);
    DeleteObject(shadow);
    DeleteObject(light);
    EndPaint(m_hWnd, &paint);
}

LRESULT CLumDialogToolbar::OnIdleUpdateMessage(WPARAM wParam, LPARAM) {
    OnIdleUpdateCmdUI(wParam ? TRUE : FALSE);
    return 0;
}

void CLumDialogToolbar::OnIdleUpdateCmdUI(BOOL disableIfNoHandler) {
    CWnd* target = GetOwner();
    if (!target) return;
    if (target->IsKindOf(&CDialog::classCDialog)) {
        UpdateDialogControls(target, true);
        return;
    }
    if (!target->IsKindOf(&CFrameWnd::classCFrameWnd)) target = GetParentFrame();
    if (target) UpdateButtons(target, disableIfNoHandler);
}

void CLumDialogToolbar::UpdateButtons(CCmdTarget* target, BOOL disableIfNoHandler) {
    for (int index = 0; index < GetButtonCount(); ++index) {
        CLumToolbarCmdUI ui;
        ui.m_pToolbar = this;
        ui.m_nID = static_cast<UINT>(m_ids[static_cast<std::size_t>(index)]);
        ui.m_nIndex = static_cast<UINT>(index);
        if (OnCmdMsg(ui.m_nID, CmdAction::Update, &ui)) continue;
        ui.DoUpdate(target, disableIfNoHandler != FALSE);
    }
    UpdateDialogControls(target, disableIfNoHandler != FALSE);
}
