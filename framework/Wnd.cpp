#include "Wnd.h"

#include <cstdio>
#include <mutex>
#include <set>
#include <vector>

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
    if (code == HCBT_CREATEWND && t_creating) {
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
    LRESULT result = wnd->WindowProc(message, wParam, lParam);
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
    auto own = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
    if (own != AfxWndProc) {
        m_pfnSuper = own;
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AfxWndProc));
    }
    return true;
}

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

    CWnd* outer = t_creating;
    bool ownHook = !t_createHook;
    if (ownHook) t_createHook = SetWindowsHookExA(WH_CBT, FwCreateHook, nullptr, GetCurrentThreadId());
    t_creating = this;
    ++m_nActiveCalls;  // a window that dies during creation leaves the object alone
    HWND window = CreateWindowExA(cs.dwExStyle, cs.lpszClass, cs.lpszName, static_cast<DWORD>(cs.style),
                                  cs.x, cs.y, cs.cx, cs.cy, cs.hwndParent, cs.hMenu, cs.hInstance,
                                  cs.lpCreateParams);
    --m_nActiveCalls;
    t_creating = outer;
    if (ownHook) {
        UnhookWindowsHookEx(t_createHook);
        t_createHook = nullptr;
    }
    m_bPostNcDestroyPending = false;
    return window != nullptr;
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

void CWnd::AddMessageHandler(UINT message, MessageHandler handler) {
    if (handler) m_messageHandlers[message] = std::move(handler);
    else m_messageHandlers.erase(message);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

bool CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return ::PostMessageA(m_hWnd, message, wParam, lParam) != FALSE;
}

void CWnd::SendMessageToDescendants(UINT message, WPARAM wParam, LPARAM lParam, bool deep) {
    std::vector<HWND> children;
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        children.push_back(child);
    for (HWND child : children) {
        if (!IsWindow(child)) continue;
        ::SendMessageA(child, message, wParam, lParam);
        if (deep) {
            CWnd temporary;  // walks the child's children without owning it
            temporary.m_hWnd = child;
            temporary.SendMessageToDescendants(message, wParam, lParam, true);
            temporary.m_hWnd = nullptr;
        }
    }
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse) { return ::SetTimer(m_hWnd, id, elapse, nullptr); }

bool CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id) != FALSE; }

bool CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command) != FALSE; }

bool CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd) != FALSE; }

void CWnd::SetWindowText(const char* text) { ::SetWindowTextA(m_hWnd, text); }

std::string CWnd::GetWindowText() const {
    int length = GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }

CWnd* CWnd::GetParent() const { return FromHandlePermanent(::GetParent(m_hWnd)); }

void CWnd::UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler) {
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        UINT id = static_cast<UINT>(GetDlgCtrlID(child));
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
    auto handler = m_messageHandlers.find(message);
    if (handler != m_messageHandlers.end()) {
        MessageHandler call = handler->second;  // may replace itself
        return call(wParam, lParam);
    }
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
        OnDestroy();
        return 0;
    case WM_NCDESTROY:
        OnNcDestroy();
        return 0;
    case WM_CLOSE:
        OnClose();
        return 0;
    case WM_TIMER:
        OnTimer(static_cast<UINT_PTR>(wParam));
        return 0;
    case WM_COMMAND:
        if (OnCommand(wParam, lParam)) return 0;
        return Default();
    case WM_INITMENUPOPUP:
        OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam) != 0);
        return 0;
    case WM_IDLEUPDATECMDUI:
        OnIdleUpdateCmdUI();
        return 0;
    default:
        return Default();
    }
}

bool CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    UINT id = LOWORD(wParam);
    UINT code = HIWORD(wParam);
    HWND control = reinterpret_cast<HWND>(lParam);
    if (control && code != BN_CLICKED) return OnControlNotify(id, code, control);
    // A command disabled by its update handler does not run, however it came.
    CCmdUI state;
    state.m_nID = id;
    if (OnCmdMsg(id, &state) && !state.m_bEnabled) return true;
    return OnCmdMsg(id, nullptr);
}

bool CWnd::OnControlNotify(UINT, UINT, HWND) { return false; }

int CWnd::OnCreate(CREATESTRUCTA*) { return static_cast<int>(Default()); }

void CWnd::OnDestroy() { Default(); }

void CWnd::OnNcDestroy() {
    Default();
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this) {
        app->m_pMainWnd = nullptr;
        PostQuitMessage(0);
    }
    if (m_pfnSuper) UnsubclassWindow();
    else Detach();
    if (m_nActiveCalls > 0)
        m_bPostNcDestroyPending = true;
    else
        PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

void CWnd::OnClose() { Default(); }

void CWnd::OnTimer(UINT_PTR) { Default(); }

void CWnd::OnInitMenuPopup(HMENU menu, UINT, bool systemMenu) {
    if (systemMenu) {
        Default();
        return;
    }
    UpdateMenuCmdUI(menu, m_bAutoMenuEnable);
}

void CWnd::OnIdleUpdateCmdUI() { UpdateDialogControls(this, false); }
