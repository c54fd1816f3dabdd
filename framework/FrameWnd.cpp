#include "FrameWnd.h"

#include <algorithm>
#include <utility>

#include "ControlBar.h"
#include "FrameworkIds.h"
#include "ResourceChain.h"
#include "StatusBar.h"
#include "WinApp.h"

namespace {

// The profile's names of the sides.
const struct {
    DWORD side;
    const char* name;
} kSideNames[] = {
    {CBRS_ALIGN_TOP, "top"},
    {CBRS_ALIGN_BOTTOM, "bottom"},
    {CBRS_ALIGN_LEFT, "left"},
    {CBRS_ALIGN_RIGHT, "right"},
};

constexpr int kMaxSavedBars = 256;

}  // namespace

const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT),
                                     0, 0};

const CRuntimeClass CFrameWnd::classCFrameWnd = {"CFrameWnd", sizeof(CFrameWnd), &CWnd::classCWnd,
                                                 nullptr};

const CRuntimeClass* CFrameWnd::GetRuntimeClass() const { return &classCFrameWnd; }

const MessageMapEntry CFrameWnd::messageEntries[] = {
    On::Message<&CFrameWnd::OnClose>(WM_CLOSE),
    On::Message<&CFrameWnd::OnQueryEndSession>(WM_QUERYENDSESSION),
    On::Message<&CFrameWnd::OnEndSession>(WM_ENDSESSION),
    On::Message<&CFrameWnd::OnHelpPromptAddr>(WM_HELPPROMPTADDR),
    On::Message<&CFrameWnd::OnHelpInfo>(WM_HELP),
    On::Command<&CFrameWnd::OnHelp>(ID_HELP),
    On::Command<&CFrameWnd::OnContextHelp>(ID_CONTEXT_HELP),
    On::Message<&CFrameWnd::OnSize>(WM_SIZE),
    On::Message<&CFrameWnd::OnIdleUpdateFrame>(WM_IDLEUPDATECMDUI),
    On::Message<&CFrameWnd::OnSetMessageString>(WM_SETMESSAGESTRING),
    On::Message<&CFrameWnd::OnMenuSelect>(WM_MENUSELECT),
    On::Message<&CFrameWnd::OnExitMenuLoop>(WM_EXITMENULOOP),
    On::CommandRange<&CFrameWnd::OnBarCheck>(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST),
    On::UpdateRange<&CFrameWnd::OnUpdateControlBarMenu>(AFX_IDW_CONTROLBAR_FIRST, AFX_IDW_CONTROLBAR_LAST),
    On::UpdateRange<&CFrameWnd::OnUpdateKeyIndicator>(ID_INDICATOR_CAPS, ID_INDICATOR_SCRL),
    On::End(),
};
const MessageMap CFrameWnd::messageMap = {&CWnd::messageMap, CFrameWnd::messageEntries};

const MessageMap* CFrameWnd::GetMessageMap() const { return &messageMap; }

CFrameWnd::CFrameWnd() { m_bAutoMenuEnable = true; }

CFrameWnd::~CFrameWnd() = default;

bool CFrameWnd::LoadFrame(UINT resourceId, DWORD style, CWnd* parent) {
    m_nIDResource = resourceId;
    std::string title;
    if (AfxLoadString(resourceId, title)) {
        title = title.substr(0, title.find('\n'));
    } else if (CWinApp* app = AfxGetApp()) {
        title = app->m_strAppName;
    }
    LPCSTR name = MAKEINTRESOURCEA(resourceId);
    if (HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON))
        m_hClassIcon = ::LoadIconA(module, name);
    bool hasMenu = AfxFindResourceHandle(name, RT_MENU) != nullptr;
    LoadAccelTable(resourceId);
    return Create(nullptr, title.c_str(), style, rectDefault, parent, hasMenu ? name : nullptr, 0);
}

bool CFrameWnd::Create(const char* className, const char* title, DWORD style, const RECT& rect,
                       CWnd* parent, const char* menuName, DWORD exStyle) {
    HMENU menu = nullptr;
    if (menuName) {
        HINSTANCE module = AfxFindResourceHandle(menuName, RT_MENU);
        if (!module || !(menu = ::LoadMenuA(module, menuName))) return false;
    }
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    if (rect.left == static_cast<LONG>(CW_USEDEFAULT)) width = height = CW_USEDEFAULT;
    bool created = CreateEx(exStyle, className, title, style, rect.left, rect.top, width, height,
                            parent ? parent->m_hWnd : nullptr, menu);
    // A menu that no window took.
    if (!created && menu && ::IsMenu(menu)) DestroyMenu(menu);
    return created;
}

bool CFrameWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) {
        cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                                           LoadCursorA(nullptr, IDC_ARROW),
                                           reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1), m_hClassIcon);
        cs.dwExStyle |= WS_EX_CLIENTEDGE;
    }
    return cs.lpszClass != nullptr;
}

bool CFrameWnd::LoadAccelTable(UINT id) {
    LPCSTR name = MAKEINTRESOURCEA(id);
    HINSTANCE module = AfxFindResourceHandle(name, RT_ACCELERATOR);
    HACCEL table = module ? LoadAcceleratorsA(module, name) : nullptr;
    if (table) m_hAccelTable = table;  // resources: freed with their module
    return table != nullptr;
}

bool CFrameWnd::PreTranslateMessage(MSG* msg) {
    if (m_hAccelTable && msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST &&
        TranslateAcceleratorA(m_hWnd, m_hAccelTable, msg))
        return true;
    return CWnd::PreTranslateMessage(msg);
}

bool CFrameWnd::OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui) {
    if (m_bHelpMode && action == CmdAction::Execute) {
        // A command chosen in the help mode asks for its help instead.
        m_dwHelpModeContext = HID_BASE_COMMAND + id;
        m_bHelpMode = false;
        return true;
    }
    if (CWnd::OnCmdMsg(id, action, ui)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, action, ui);
}

LRESULT CFrameWnd::OnQueryEndSession(WPARAM, LPARAM) {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) return app->SaveAllModified() ? TRUE : FALSE;
    return TRUE;
}

LRESULT CFrameWnd::OnEndSession(WPARAM wParam, LPARAM) {
    // The process may be ended without a WM_QUIT: the exit steps run now.
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && wParam) app->ExitInstance();
    return 0;
}

LRESULT CFrameWnd::OnHelpPromptAddr(WPARAM, LPARAM) {
    CWinApp* app = AfxGetApp();
    return app ? reinterpret_cast<LRESULT>(&app->m_dwPromptContext) : 0;
}

void CFrameWnd::OnHelp() {
    CWinApp* app = AfxGetApp();
    if (!app) return;
    if (app->m_dwPromptContext) app->WinHelp(app->m_dwPromptContext, HELP_CONTEXT);
    else if (m_nIDResource) app->WinHelp(HID_BASE_RESOURCE + m_nIDResource, HELP_CONTEXT);
}

LRESULT CFrameWnd::OnHelpInfo(WPARAM, LPARAM) {
    // The F1 that came with Shift+F1 does not count in the help mode.
    if (!m_bHelpMode) OnHelp();
    return TRUE;
}

void CFrameWnd::OnContextHelp() {
    if (m_bHelpMode || !m_hWnd) return;
    CWinApp* app = AfxGetApp();
    HCURSOR cursor = LoadCursorA(nullptr, IDC_HELP);
    m_bHelpMode = true;
    m_dwHelpModeContext = 0;
    ::SetCapture(m_hWnd);
    ::SetCursor(cursor);
    MSG msg;
    while (m_bHelpMode) {
        if (::GetCapture() != m_hWnd) break;  // another window took the mouse
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!ProcessHelpMsg(msg, cursor)) break;
    }
    const bool stillMine = ::GetCapture() == m_hWnd;
    m_bHelpMode = false;
    if (stillMine) ::ReleaseCapture();
    const DWORD context = m_dwHelpModeContext;
    m_dwHelpModeContext = 0;
    if (context && app) app->WinHelp(context, HELP_CONTEXT);
}

bool CFrameWnd::ProcessHelpMsg(MSG& msg, HCURSOR cursor) {
    switch (msg.message) {
    case WM_LBUTTONDOWN:
    case WM_NCLBUTTONDOWN: {
        HWND hit = WindowFromPoint(msg.pt);
        if (hit && (hit == m_hWnd || ::IsChild(m_hWnd, hit))) m_dwHelpModeContext = HelpHitTest(hit, msg.pt);
        return false;
    }
    case WM_RBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_MBUTTONDOWN:
        return false;
    case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) return false;
        return true;  // keys do nothing here; system keys (the menu) go on below
    case WM_KEYUP:
    case WM_CHAR:
        return true;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_NCLBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONUP:
    case WM_MOUSEWHEEL:
        ::SetCursor(cursor);
        return true;
    default:
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        return m_bHelpMode;
    }
}

DWORD CFrameWnd::HelpHitTest(HWND window, POINT screenPoint) const {
    for (HWND current = window; current; current = ::GetParent(current)) {
        POINT client = screenPoint;
        ::ScreenToClient(current, &client);
        if (const LRESULT answer = ::SendMessageA(current, WM_HELPHITTEST, 0, MAKELPARAM(client.x, client.y)))
            return static_cast<DWORD>(answer);
        CWnd* wnd = FromHandlePermanent(current);
        if (wnd && wnd->IsKindOf(&CControlBar::classCControlBar)) {
            const UINT command = static_cast<const CControlBar*>(wnd)->HitTestCommand(client);
            if (command != ID_SEPARATOR) return HID_BASE_COMMAND + command;
        }
        if (current == m_hWnd) break;
    }
    return m_nIDResource ? HID_BASE_RESOURCE + m_nIDResource : 0;
}

void CFrameWnd::OnClose() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && !app->SaveAllModified()) return;
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() { delete this; }

// ---- Control bars ----

void CFrameWnd::AddControlBar(CControlBar* bar) {
    if (std::find(m_bars.begin(), m_bars.end(), bar) != m_bars.end()) return;
    m_bars.push_back(bar);
    // The bars sit inside the frame's own edge otherwise.
    if (m_hWnd) ModifyStyleEx(WS_EX_CLIENTEDGE, 0, SWP_FRAMECHANGED);
    DelayRecalcLayout();
}

void CFrameWnd::RemoveControlBar(CControlBar* bar) {
    m_bars.erase(std::remove(m_bars.begin(), m_bars.end(), bar), m_bars.end());
}

void CFrameWnd::EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }

bool CFrameWnd::DockControlBar(CControlBar* bar, DWORD side) {
    auto it = std::find(m_bars.begin(), m_bars.end(), bar);
    if (it == m_bars.end()) return false;
    const DWORD allowed = bar->GetDockingStyle() & m_dwDockStyle;
    if (side == 0) {
        side = bar->GetDockSide() & allowed;
        for (const auto& s : kSideNames)
            if (!side && (allowed & s.side)) side = s.side;
    }
    bool known = false;
    for (const auto& s : kSideNames) known = known || side == s.side;
    if (!known || !(side & allowed)) return false;
    m_bars.erase(it);
    m_bars.push_back(bar);
    bar->SetBarStyle((bar->GetBarStyle() & ~CBRS_ALIGN_ANY) | side);
    RecalcLayout();
    return true;
}

void CFrameWnd::ShowControlBar(CControlBar* bar, bool show, bool delay) {
    if (!bar || !bar->m_hWnd) return;
    bar->ShowWindow(show ? SW_SHOWNA : SW_HIDE);
    if (delay) DelayRecalcLayout();
    else RecalcLayout();
}

CControlBar* CFrameWnd::GetControlBar(UINT id) const {
    for (CControlBar* bar : m_bars)
        if (bar->m_hWnd && bar->GetDlgCtrlID() == id) return bar;
    return nullptr;
}

HWND CFrameWnd::GetViewWindow() const {
    if (m_pViewWnd && m_pViewWnd->m_hWnd) return m_pViewWnd->m_hWnd;
    if (HWND pane = GetDlgItem(static_cast<int>(AFX_IDW_PANE_FIRST))) return pane;
    if (m_bars.empty()) return nullptr;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        const bool isBar = std::any_of(m_bars.begin(), m_bars.end(),
                                       [child](const CControlBar* bar) { return bar->m_hWnd == child; });
        if (!isBar) return child;
    }
    return nullptr;
}

void CFrameWnd::RecalcLayout() {
    m_bLayoutPending = false;
    if (!m_hWnd || m_bInLayout || IsIconic(m_hWnd)) return;
    HWND view = GetViewWindow();
    if (m_bars.empty() && !view) return;
    m_bInLayout = true;
    RECT rest;
    GetClientRect(&rest);
    std::vector<std::pair<HWND, RECT>> places;
    for (bool fixed : {true, false}) {
        for (bool horz : {true, false}) {
            for (CControlBar* bar : m_bars) {
                const DWORD side = bar->GetDockSide();
                if (!bar->IsVisible() || !side || (bar->GetDockingStyle() == 0) != fixed ||
                    ((side & CBRS_ORIENT_HORZ) != 0) != horz)
                    continue;
                const SIZE size = bar->CalcFixedLayout(true, horz);
                RECT place = rest;
                switch (side) {
                case CBRS_ALIGN_TOP:
                    place.bottom = rest.top = std::min(rest.bottom, rest.top + size.cy);
                    break;
                case CBRS_ALIGN_BOTTOM:
                    place.top = rest.bottom = std::max(rest.top, rest.bottom - size.cy);
                    break;
                case CBRS_ALIGN_LEFT:
                    place.right = rest.left = std::min(rest.right, rest.left + size.cx);
                    break;
                default:
                    place.left = rest.right = std::max(rest.left, rest.right - size.cx);
                    break;
                }
                places.emplace_back(bar->m_hWnd, place);
            }
        }
    }
    if (view) places.emplace_back(view, rest);
    HDWP defer = BeginDeferWindowPos(static_cast<int>(places.size()));
    for (const auto& [window, place] : places) {
        if (!defer) break;
        defer = DeferWindowPos(defer, window, nullptr, place.left, place.top, place.right - place.left,
                               place.bottom - place.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (defer) EndDeferWindowPos(defer);
    m_bInLayout = false;
}

void CFrameWnd::SaveBarState(const char* profileName) const {
    CWinApp* app = AfxGetApp();
    if (!app || !profileName) return;
    const std::string prefix = profileName;
    int index = 0;
    for (CControlBar* bar : m_bars) {
        if (!bar->m_hWnd) continue;
        const std::string section = prefix + "-Bar" + std::to_string(index++);
        app->WriteProfileInt(section.c_str(), "BarID", static_cast<int>(bar->GetDlgCtrlID()));
        app->WriteProfileInt(section.c_str(), "Visible", bar->IsVisible() ? 1 : 0);
        const char* side = "";
        for (const auto& s : kSideNames)
            if (bar->GetDockSide() == s.side) side = s.name;
        app->WriteProfileString(section.c_str(), "Side", side);
    }
    app->WriteProfileInt((prefix + "-Summary").c_str(), "Bars", index);
}

void CFrameWnd::LoadBarState(const char* profileName) {
    CWinApp* app = AfxGetApp();
    if (!app || !profileName) return;
    const std::string prefix = profileName;
    const int count = app->GetProfileInt((prefix + "-Summary").c_str(), "Bars", 0);
    if (count < 0 || count > kMaxSavedBars) return;
    for (int index = 0; index < count; ++index) {
        const std::string section = prefix + "-Bar" + std::to_string(index);
        const int id = app->GetProfileInt(section.c_str(), "BarID", 0);
        CControlBar* bar = id > 0 ? GetControlBar(static_cast<UINT>(id)) : nullptr;
        if (!bar) continue;
        const int visible = app->GetProfileInt(section.c_str(), "Visible", -1);
        if (visible == 0 || visible == 1) bar->ShowWindow(visible ? SW_SHOWNA : SW_HIDE);
        const std::string side = app->GetProfileString(section.c_str(), "Side", "");
        for (const auto& s : kSideNames)
            if (side == s.name && (bar->GetDockingStyle() & m_dwDockStyle & s.side)) DockControlBar(bar, s.side);
    }
    RecalcLayout();
}

LRESULT CFrameWnd::OnSize(WPARAM wParam, LPARAM) {
    const LRESULT result = Default();
    if (wParam != SIZE_MINIMIZED) RecalcLayout();
    return result;
}

void CFrameWnd::OnIdleUpdateFrame() {
    if (m_bLayoutPending) RecalcLayout();
    CWnd::OnIdleUpdateCmdUI();
}

void CFrameWnd::OnBarCheck(UINT id) {
    if (CControlBar* bar = GetControlBar(id)) ShowControlBar(bar, !bar->IsVisible());
}

void CFrameWnd::OnUpdateControlBarMenu(CCmdUI* ui) {
    CControlBar* bar = GetControlBar(ui->m_nID);
    ui->Enable(bar != nullptr);
    if (bar) ui->SetCheck(bar->IsVisible() ? 1 : 0);
}

void CFrameWnd::OnUpdateKeyIndicator(CCmdUI* ui) {
    int key = VK_SCROLL;
    if (ui->m_nID == ID_INDICATOR_CAPS) key = VK_CAPITAL;
    else if (ui->m_nID == ID_INDICATOR_NUM) key = VK_NUMLOCK;
    ui->Enable((GetKeyState(key) & 1) != 0);
}

// ---- The message pane ----

CStatusBar* CFrameWnd::GetMessageBar() const {
    CWnd* bar = FromHandlePermanent(GetDlgItem(static_cast<int>(AFX_IDW_STATUS_BAR)));
    return bar && bar->IsKindOf(&CStatusBar::classCStatusBar) ? static_cast<CStatusBar*>(bar) : nullptr;
}

void CFrameWnd::SetMessageText(const char* text) {
    if (CStatusBar* bar = GetMessageBar()) bar->SetPaneText(0, text);
}

void CFrameWnd::SetMessageText(UINT id) {
    std::string text;
    if (id) GetMessageString(id, text);
    SetMessageText(text.c_str());
}

void CFrameWnd::GetMessageString(UINT id, std::string& text) const {
    text.clear();
    if (AfxLoadString(id, text)) text.resize(std::min(text.size(), text.find('\n')));
}

LRESULT CFrameWnd::OnSetMessageString(WPARAM wParam, LPARAM lParam) {
    const UINT last = m_nIDLastMessage;
    m_nIDLastMessage = static_cast<UINT>(wParam);
    if (lParam) SetMessageText(reinterpret_cast<const char*>(lParam));
    else SetMessageText(static_cast<UINT>(wParam));
    return last;
}

LRESULT CFrameWnd::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
    const UINT item = LOWORD(wParam);
    const UINT flags = HIWORD(wParam);
    UINT id = 0;  // popups, separators and system commands: no prompt
    if (flags == 0xFFFF && lParam == 0) id = AFX_IDS_IDLEMESSAGE;  // the menu closed
    else if (!(flags & (MF_POPUP | MF_SEPARATOR)) && item < 0xF000) id = item;
    SendMessage(WM_SETMESSAGESTRING, id);
    return 0;
}

void CFrameWnd::OnExitMenuLoop() { SendMessage(WM_SETMESSAGESTRING, AFX_IDS_IDLEMESSAGE); }
