#include "FrameWnd.h"

#include "ResourceChain.h"
#include "WinApp.h"

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

void CFrameWnd::OnClose() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd == this && !app->SaveAllModified()) return;
    DestroyWindow();
}

void CFrameWnd::PostNcDestroy() { delete this; }
