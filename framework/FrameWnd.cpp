#include "FrameWnd.h"

#include "ResourceChain.h"
#include "WinApp.h"

const RECT CFrameWnd::rectDefault = {static_cast<LONG>(CW_USEDEFAULT), static_cast<LONG>(CW_USEDEFAULT),
                                     0, 0};

const CRuntimeClass CFrameWnd::classCFrameWnd = {"CFrameWnd", sizeof(CFrameWnd), &CWnd::classCWnd,
                                                 nullptr};

const CRuntimeClass* CFrameWnd::GetRuntimeClass() const { return &classCFrameWnd; }

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

bool CFrameWnd::OnCmdMsg(UINT id, CCmdUI* ui) {
    if (CWnd::OnCmdMsg(id, ui)) return true;
    CWinApp* app = AfxGetApp();
    return app && app->OnCmdMsg(id, ui);
}

LRESULT CFrameWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    // The session messages reach the application through the main frame;
    // registered handlers still come first.
    CWinApp* app = AfxGetApp();
    const bool mainFrame = app && app->m_pMainWnd == this && !HasMessageHandler(message);
    if (message == WM_QUERYENDSESSION && mainFrame) return app->SaveAllModified() ? TRUE : FALSE;
    if (message == WM_ENDSESSION && mainFrame) {
        // The process may be ended without a WM_QUIT: the exit steps run now.
        if (wParam) app->ExitInstance();
        return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CFrameWnd::OnClose() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && !app->SaveAllModified()) return;
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() { delete this; }
