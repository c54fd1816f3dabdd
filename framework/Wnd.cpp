#include "Wnd.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <set>
#include <vector>

#include "FrameWnd.h"
#include "WinApp.h"

namespace {

// Handle to object, for every attached window of every thread.
std::mutex g_mapLock;
std::map<HWND, CWnd*> g_windows;

// The message being handled by the innermost WindowProc of this thread.
thread_local MSG t_current = {};

// The object waiting for its window during CreateEx, and the hook that
// attaches it.
thread_local CWnd* t_creating = nullptr;
thread_local HHOOK t_createHook = nullptr;

}  // namespace

LRESULT CALLBACK FwCreateHook(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && t_creating && !t_creating->m_hWnd) {
        CWnd* wnd = t_creating;
        t_creating = nullptr;
        HWND window = reinterpret_cast<HWND>(wParam);
        wnd->Attach(window);
        auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
        if (own != AfxWndProc) {
            wnd->m_pfnSuper = own;
            SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
        }
    }
    return CallNextHookEx(t_createHook, code, wParam, lParam);
}

LRESULT FwDispatch(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);

LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (!wnd) return DefWindowProcA(window, message, wParam, lParam);
    MSG saved = t_current;
    t_current.hwnd = window;
    t_current.message = message;
    t_current.wParam = wParam;
    t_current.lParam = lParam;
    LRESULT result = FwDispatch(wnd, message, wParam, lParam);
    t_current = saved;
    return result;
}

LRESULT FwDispatch(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ++wnd->m_nActiveCalls;
    LRESULT result = 0;
    if (message == WM_NCDESTROY) {
        // Always the window's own processing first: a subclassed control
        // frees its data here.
        result = wnd->DefWindowProc(message, wParam, lParam);
        wnd->FinishNcDestroy();
    } else {
        result = wnd->WindowProc(message, wParam, lParam);
    }
    // The window died under this call: the outermost call ends the object.
    if (--wnd->m_nActiveCalls == 0 && wnd->m_bPostNcDestroyPending) {
        wnd->m_bPostNcDestroyPending = false;
        wnd->PostNcDestroy();
    }
    return result;
}

HINSTANCE AfxGetInstanceHandle() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_hInstance) return app->m_hInstance;
    return GetModuleHandleA(nullptr);
}

bool AfxRegisterClass(WNDCLASSA& wc) {
    if (!wc.lpfnWndProc) wc.lpfnWndProc = AfxWndProc;
    if (!wc.hInstance) wc.hInstance = AfxGetInstanceHandle();
    WNDCLASSA existing;
    if (GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing)) return true;
    return RegisterClassA(&wc) != 0;
}

const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon) {
    static std::mutex lock;
    static std::set<std::string> names;  // node-based: the returned pointers stay valid
    HINSTANCE instance = AfxGetInstanceHandle();
    char name[128];
    std::snprintf(name, sizeof(name), "Fw:%p:%x:%p:%p:%p", static_cast<void*>(instance), classStyle,
                  static_cast<void*>(cursor), static_cast<void*>(background), static_cast<void*>(icon));
    std::lock_guard<std::mutex> guard(lock);
    const std::string& stored = *names.insert(name).first;
    WNDCLASSA wc = {};
    wc.style = classStyle;
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.hInstance = instance;
    wc.lpszClassName = stored.c_str();
    return AfxRegisterClass(wc) ? stored.c_str() : nullptr;
}

// ---- CWnd ----

const CRuntimeClass CWnd::classCWnd = {"CWnd", sizeof(CWnd), &CCmdTarget::classCCmdTarget, nullptr};

const CRuntimeClass* CWnd::GetRuntimeClass() const { return &classCWnd; }

const MessageMapEntry CWnd::messageEntries[] = {
    On::Message<&CWnd::OnInitMenuPopup>(WM_INITMENUPOPUP),
    On::Message<&CWnd::OnIdleUpdateCmdUI>(WM_IDLEUPDATECMDUI),
    On::End(),
};
const MessageMap CWnd::messageMap = {&CCmdTarget::messageMap, CWnd::messageEntries};

const MessageMap* CWnd::GetMessageMap() const { return &messageMap; }

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (!m_hWnd) return;
    HWND window = m_hWnd;
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
    if (IsWindow(window)) ::DestroyWindow(window);
}

CWnd* CWnd::FromHandlePermanent(HWND window) {
    std::lock_guard<std::mutex> lock(g_mapLock);
    auto it = g_windows.find(window);
    return it == g_windows.end() ? nullptr : it->second;
}

bool CWnd::Attach(HWND window) {
    if (!window || m_hWnd) return false;
    std::lock_guard<std::mutex> lock(g_mapLock);
    if (!g_windows.emplace(window, this).second) return false;
    m_hWnd = window;
    return true;
}

HWND CWnd::Detach() {
    HWND window = m_hWnd;
    if (window) {
        std::lock_guard<std::mutex> lock(g_mapLock);
        g_windows.erase(window);
    }
    m_hWnd = nullptr;
    return window;
}

bool CWnd::SubclassWindow(HWND window) {
    if (!IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != GetCurrentThreadId())
        return false;
    if (!Attach(window)) return false;
    PreSubclassWindow();
    auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (own != AfxWndProc) {
        m_pfnSuper = own;
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    }
    return true;
}

bool CWnd::SubclassDlgItem(UINT id, CWnd* parent) {
    if (!parent || !parent->m_hWnd) return false;
    HWND control = ::GetDlgItem(parent->m_hWnd, static_cast<int>(id));
    return control && SubclassWindow(control);
}

void CWnd::PreSubclassWindow() {}

HWND CWnd::UnsubclassWindow() {
    if (m_hWnd && m_pfnSuper)
        SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    m_pfnSuper = nullptr;
    return Detach();
}

bool CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId, void* param) {
    if (m_hWnd) return false;
    CREATESTRUCTA cs = {};
    cs.dwExStyle = exStyle;
    cs.lpszClass = className;
    cs.lpszName = windowName;
    cs.style = static_cast<LONG>(style);
    cs.x = x;
    cs.y = y;
    cs.cx = width;
    cs.cy = height;
    cs.hwndParent = parent;
    cs.hMenu = menuOrId;
    cs.hInstance = AfxGetInstanceHandle();
    cs.lpCreateParams = param;
    if (!PreCreateWindow(cs)) return false;

    HWND window = CreateAttached([&cs] {
        return CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style), cs.x,
                               cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance, cs.lpCreateParams);
    });
    return window != nullptr;
}

HWND CWnd::CreateAttached(const std::function<HWND()>& create) {
    CWnd* outer = t_creating;
    const bool ownHook = !t_createHook;
    if (ownHook) t_createHook = SetWindowsHookExA(WH_CBT, FwCreateHook, nullptr, GetCurrentThreadId());
    t_creating = this;
    ++m_nActiveCalls;  // a window that dies during creation leaves the object alone
    HWND window = create();
    --m_nActiveCalls;
    t_creating = outer;
    if (ownHook) {
        UnhookWindowsHookEx(t_createHook);
        t_createHook = nullptr;
    }
    m_bPostNcDestroyPending = false;
    if (!window && m_hWnd) Detach();
    if (window && m_hWnd == window) PreSubclassWindow();
    return window;
}

bool CWnd::Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                  CWnd* parent, UINT id) {
    return CreateEx(0, className, windowName, style | WS_CHILD, rect.left, rect.top,
                    rect.right - rect.left, rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)));
}

bool CWnd::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!cs.lpszClass) cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, LoadCursorA(nullptr, IDC_ARROW));
    return cs.lpszClass != nullptr;
}

bool CWnd::DestroyWindow() {
    if (!m_hWnd) return false;
    return ::DestroyWindow(m_hWnd) != FALSE;
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}

namespace {

void SendToDescendants(HWND parent, UINT message, WPARAM wParam, LPARAM lParam, bool deep,
                       bool onlyPermanent) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children) {
        if (!IsWindow(child)) continue;
        if (!onlyPermanent || CWnd::FromHandlePermanent(child)) ::SendMessageA(child, message, wParam, lParam);
        if (deep) SendToDescendants(child, message, wParam, lParam, true, onlyPermanent);
    }
}

}  // namespace

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, bool deep,
                                    bool onlyPermanent) {
    SendToDescendants(m_hWnd, message, wParam, lParam, deep, onlyPermanent);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }

bool CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }

bool CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }

bool CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }

namespace {

std::string WindowText(HWND window) {
    int length = GetWindowTextLengthA(window);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(window, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

}  // namespace

std::string CWnd::GetWindowText() const { return WindowText(m_hWnd); }

std::string CWnd::GetDlgItemText(int id) const { return WindowText(::GetDlgItem(m_hWnd, id)); }

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

CWnd* CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

UINT CWnd::GetDlgCtrlID() const { return static_cast<UINT>(::GetDlgCtrlID(m_hWnd)); }

CWnd* CWnd::GetOwner() const {
    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    return FromHandlePermanent(owner ? owner : ::GetParent(m_hWnd));
}

CFrameWnd* CWnd::GetParentFrame() const {
    for (HWND window = ::GetParent(m_hWnd); window; window = ::GetParent(window)) {
        CWnd* wnd = FromHandlePermanent(window);
        if (wnd && wnd->IsKindOf(&CFrameWnd::classCFrameWnd)) return static_cast<CFrameWnd*>(wnd);
    }
    return nullptr;
}

bool CWnd::EnableWindow(bool enable) { return ::EnableWindow(m_hWnd, enable) != FALSE; }

bool CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd) != FALSE; }

HWND CWnd::SetFocus() { return ::SetFocus(m_hWnd); }

void CWnd::Invalidate(bool erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }

void CWnd::UpdateWindow() { ::UpdateWindow(m_hWnd); }

void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }

void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }

DWORD CWnd::GetStyle() const { return static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_STYLE)); }

DWORD CWnd::GetExStyle() const { return static_cast<DWORD>(GetWindowLongA(m_hWnd, GWL_EXSTYLE)); }

namespace {

bool ModifyLong(HWND window, int index, DWORD remove, DWORD add, UINT swpFlags) {
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, index));
    const DWORD changed = (style & ~remove) | add;
    if (changed == style) return false;
    SetWindowLongA(window, index, static_cast<LONG>(changed));
    if (swpFlags)
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return true;
}

}  // namespace

bool CWnd::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_STYLE, remove, add, swpFlags);
}

bool CWnd::ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags) {
    return ModifyLong(m_hWnd, GWL_EXSTYLE, remove, add, swpFlags);
}

HFONT CWnd::GetFont() const { return reinterpret_cast<HFONT>(::SendMessageA(m_hWnd, WM_GETFONT, 0, 0)); }

void CWnd::SetFont(HFONT font, bool redraw) {
    ::SendMessageA(m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw ? TRUE : FALSE);
}

int CWnd::MessageBox(const char* text, const char* caption, UINT type) {
    std::string title;
    if (!caption) {
        CWinApp* app = AfxGetApp();
        title = app ? app->m_strAppName : std::string();
        caption = title.c_str();
    }
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

void CWnd::UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        UINT id = static_cast<UINT>(::GetDlgCtrlID(child));
        if (id == 0 || id == static_cast<UINT>(-1)) continue;
        CCmdUI ui;
        ui.m_nID = id;
        ui.m_hOther = child;
        ui.DoUpdate(target, disableIfNoHandler);
    }
}

void CWnd::UpdateMenuCmdUI(HMENU menu, bool disableIfNoHandler) {
    int count = GetMenuItemCount(menu);
    for (int index = 0; index < count; ++index) {
        UINT id = GetMenuItemID(menu, index);
        // Separators, submenus and system commands keep their state.
        if (id == 0 || id == static_cast<UINT>(-1) || id >= 0xF000) continue;
        CCmdUI ui;
        ui.m_nID = id;
        ui.m_hMenu = menu;
        ui.m_nIndex = static_cast<UINT>(index);
        ui.DoUpdate(this, disableIfNoHandler);
        // A handler that removed items: go on with the item after this one.
        const int now = GetMenuItemCount(menu);
        if (now < count) {
            index -= count - now;
            while (index + 1 < now && GetMenuItemID(menu, index + 1) == id) ++index;
        }
        count = now;
    }
}

bool CWnd::PreTranslateMessage(MSG*) { return false; }

LRESULT CWnd::Default() {
    return DefWindowProc(t_current.message, t_current.wParam, t_current.lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_pfnSuper) return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, &result)) return result;
    return DefWindowProc(message, wParam, lParam);
}

namespace {

// The control a parent message is about, for the messages a control
// handles itself; null for others.
HWND ReflectedControl(HWND parent, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_HSCROLL:
    case WM_VSCROLL:
        return reinterpret_cast<HWND>(lParam);
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        return wParam && item && item->CtlType != ODT_MENU ? item->hwndItem : nullptr;
    }
    case WM_MEASUREITEM: {
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        return wParam && item && item->CtlType != ODT_MENU ? ::GetDlgItem(parent, static_cast<int>(item->CtlID))
                                                           : nullptr;
    }
    case WM_COMPAREITEM: {
        auto* item = reinterpret_cast<COMPAREITEMSTRUCT*>(lParam);
        return item ? item->hwndItem : nullptr;
    }
    case WM_DELETEITEM: {
        auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(lParam);
        return item ? item->hwndItem : nullptr;
    }
    default:
        return nullptr;
    }
}

}  // namespace

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    if (message == WM_COMMAND) {
        *result = 0;
        return OnCommand(wParam, lParam);
    }
    if (message == WM_NOTIFY) return lParam != 0 && OnNotify(wParam, lParam, result);
    if (HWND control = ReflectedControl(m_hWnd, message, wParam, lParam)) {
        CWnd* child = control != m_hWnd ? FromHandlePermanent(control) : nullptr;
        if (child && child->OnChildNotify(message, wParam, lParam, result)) return true;
    }
    const MessageMap* map = GetMessageMap();
    const MessageMapEntry* entry = message >= 0xC000
                                       ? AfxFindMessageEntry(map, MsgKind::Registered, message, 0)
                                       : AfxFindMessageEntry(map, MsgKind::Message, message, 0);
    if (!entry) return false;
    MsgCall call = {message, wParam, lParam, 0, nullptr, 0};
    entry->thunk(this, call);
    *result = call.result;
    return true;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const MessageMapEntry* entry = nullptr;
    if (message == WM_COMMAND)
        entry = AfxFindMessageEntry(GetMessageMap(), MsgKind::ReflectCommand, HIWORD(wParam), 0);
    else if (message == WM_NOTIFY)
        entry = AfxFindMessageEntry(GetMessageMap(), MsgKind::ReflectNotify,
                                    reinterpret_cast<NMHDR*>(lParam)->code, 0);
    else
        entry = AfxFindMessageEntry(GetMessageMap(), MsgKind::ReflectMessage, message, 0);
    if (!entry) return false;
    MsgCall call = {message, wParam, lParam, GetDlgCtrlID(), nullptr, 0};
    entry->thunk(this, call);
    if (result) *result = call.result;
    return true;
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    const UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control) {
        CWnd* child = control != m_hWnd ? FromHandlePermanent(control) : nullptr;
        if (child && child->OnChildNotify(WM_COMMAND, wParam, lParam, nullptr)) return true;
        if (const MessageMapEntry* entry = AfxFindMessageEntry(GetMessageMap(), MsgKind::Control, code, id)) {
            MsgCall call = {WM_COMMAND, wParam, lParam, id, nullptr, 0};
            entry->thunk(this, call);
            return true;
        }
        if (code != BN_CLICKED) return false;
    }
    // A command disabled by its update handler does not run, however it came.
    CCmdUI state;
    state.m_nID = id;
    if (OnCmdMsg(id, CmdAction::Update, &state) && state.m_bEnableChanged && !state.m_bEnabled) return true;
    return OnCmdMsg(id, CmdAction::Execute);
}

bool CWnd::OnNotify(WPARAM, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    CWnd* child = header->hwndFrom != m_hWnd ? FromHandlePermanent(header->hwndFrom) : nullptr;
    if (child && child->OnChildNotify(WM_NOTIFY, static_cast<WPARAM>(header->idFrom), lParam, result))
        return true;
    const MessageMapEntry* entry = AfxFindMessageEntry(GetMessageMap(), MsgKind::Notify, header->code,
                                                       static_cast<UINT>(header->idFrom));
    if (!entry) return false;
    MsgCall call = {WM_NOTIFY, static_cast<WPARAM>(header->idFrom), lParam,
                    static_cast<UINT>(header->idFrom), nullptr, 0};
    entry->thunk(this, call);
    *result = call.result;
    return true;
}

void CWnd::FinishNcDestroy() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
    // The outermost call of FwDispatch (this one included) ends the object.
    if (m_nActiveCalls > 0)
        m_bPostNcDestroyPending = true;
    else
        PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

LRESULT CWnd::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    LRESULT result = Default();
    if (HIWORD(lParam) == 0) UpdateMenuCmdUI(reinterpret_cast<HMENU>(wParam), m_bAutoMenuEnable);
    return result;
}

void CWnd::OnIdleUpdateCmdUI() { UpdateDialogControls(this, false); }
