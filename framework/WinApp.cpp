#include "WinApp.h"

#include <cstdlib>
#include <cstring>

#include "ResourceChain.h"
#include "Wnd.h"

namespace {

CWinApp* g_app = nullptr;

// String resource of the application title.
constexpr UINT kAppTitleString = 57344;

BOOL CALLBACK SendIdleUpdate(HWND window, LPARAM) {
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (wnd && IsWindowVisible(window)) {
        wnd->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
        wnd->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true);
    }
    return TRUE;
}

// Messages that do not start a new idle period: they come by themselves
// and would keep the idle handlers running all the time.
bool IsIdleMessage(const MSG& msg) {
    static thread_local POINT lastMouse = {-1, -1};
    static thread_local UINT lastMouseMessage = 0;
    if (msg.message == WM_MOUSEMOVE || msg.message == WM_NCMOUSEMOVE) {
        if (msg.message == lastMouseMessage && msg.pt.x == lastMouse.x && msg.pt.y == lastMouse.y)
            return false;
        lastMouse = msg.pt;
        lastMouseMessage = msg.message;
        return true;
    }
    return msg.message != WM_PAINT && msg.message != 0x0118;  // 0x0118: caret blink
}

}  // namespace


CCommandLineInfo::~CCommandLineInfo() = default;

void CCommandLineInfo::ParseParam(const char* param, bool isSwitch, bool) {
    (isSwitch ? m_switches : m_params).emplace_back(param);
}

CWinApp* AfxGetApp() { return g_app; }

const CRuntimeClass CWinApp::classCWinApp = {"CWinApp", sizeof(CWinApp), &CCmdTarget::classCCmdTarget,
                                             nullptr};

const CRuntimeClass* CWinApp::GetRuntimeClass() const { return &classCWinApp; }

const MessageMapEntry CWinApp::messageEntries[] = {
    On::Command<&CWinApp::OnAppExit>(ID_APP_EXIT),
    On::Command<&CWinApp::OnHelpFinder>(ID_HELP_FINDER),
    On::Command<&CWinApp::OnHelpIndex>(ID_HELP_INDEX),
    On::Command<&CWinApp::OnHelpIndex>(ID_DEFAULT_HELP),
    On::End(),
};
const MessageMap CWinApp::messageMap = {&CCmdTarget::messageMap, CWinApp::messageEntries};

const MessageMap* CWinApp::GetMessageMap() const { return &messageMap; }

bool CWinApp::WinHelp(DWORD_PTR, UINT) { return false; }

void CWinApp::OnHelpFinder() { WinHelp(0, HELP_FINDER); }

void CWinApp::OnHelpIndex() { WinHelp(0, HELP_INDEX); }

CWinApp::CWinApp(const char* appName) {
    if (appName) m_strAppName = appName;
    m_hInstance = GetModuleHandleA(nullptr);
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this) g_app = nullptr;
}

bool CWinApp::InitInstance() { return true; }

int CWinApp::ExitInstance() { return m_nExitCode; }

bool CWinApp::SaveAllModified() { return true; }

void CWinApp::OnAppExit() {
    if (m_pMainWnd) m_pMainWnd->SendMessage(WM_CLOSE);
}

bool CWinApp::PumpMessage() {
    if (GetMessageA(&m_msgCur, nullptr, 0, 0) <= 0) {
        m_nExitCode = static_cast<int>(m_msgCur.wParam);
        return false;
    }
    if (!PreTranslateMessage(&m_msgCur)) {
        TranslateMessage(&m_msgCur);
        DispatchMessageA(&m_msgCur);
    }
    return true;
}

int CWinApp::Run() {
    bool idle = true;
    long idleCount = 0;
    for (;;) {
        MSG peek;
        while (idle && !PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE))
            if (!OnIdle(idleCount++)) idle = false;
        do {
            if (!PumpMessage()) return ExitInstance();
            if (IsIdleMessage(m_msgCur)) {
                idle = true;
                idleCount = 0;
            }
        } while (PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE));
    }
}

bool CWinApp::OnIdle(long count) {
    if (count == 0) EnumThreadWindows(GetCurrentThreadId(), SendIdleUpdate, 0);
    return false;
}

bool CWinApp::PreTranslateMessage(MSG* msg) {
    for (HWND window = msg->hwnd; window; window = ::GetParent(window)) {
        if (CWnd* wnd = CWnd::FromHandlePermanent(window))
            if (wnd->PreTranslateMessage(msg)) return true;
        if (!(GetWindowLongA(window, GWL_STYLE) & WS_CHILD)) break;
    }
    return false;
}

void CWinApp::SetRegistryKey(const char* company) {
    m_strRegistryKey = company ? company : "";
    m_strProfileName = m_strAppName;
}

std::string CWinApp::GetAppRegistryPath() const {
    if (m_strRegistryKey.empty()) return std::string();
    return "Software\\" + m_strRegistryKey + "\\" + m_strProfileName;
}

std::string CWinApp::GetProfileString(const char* section, const char* entry, const char* defaultValue) {
    std::string fallback = defaultValue ? defaultValue : "";
    if (!m_pProfileStore) return fallback;
    return m_pProfileStore->GetString(section, entry, fallback);
}

int CWinApp::GetProfileInt(const char* section, const char* entry, int defaultValue) {
    if (!m_pProfileStore) return defaultValue;
    return m_pProfileStore->GetInt(section, entry, defaultValue);
}

bool CWinApp::WriteProfileString(const char* section, const char* entry, const char* value) {
    return m_pProfileStore && m_pProfileStore->WriteString(section, entry, value ? value : "");
}

bool CWinApp::WriteProfileInt(const char* section, const char* entry, int value) {
    return m_pProfileStore && m_pProfileStore->WriteInt(section, entry, value);
}

HINSTANCE CWinApp::FindResourceHandle(LPCSTR name, LPCSTR type) const {
    return AfxFindResourceHandle(name, type);
}

bool CWinApp::LoadString(UINT id, std::string& out) const { return AfxLoadString(id, out); }

HICON CWinApp::LoadIcon(UINT id, int size) const {
    LPCSTR name = MAKEINTRESOURCEA(id);
    HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
    if (!module) return nullptr;
    if (size == 0) return ::LoadIconA(module, name);
    return static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, size, size, LR_SHARED));
}

HMENU CWinApp::LoadMenu(UINT id) const {
    LPCSTR name = MAKEINTRESOURCEA(id);
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    return module ? ::LoadMenuA(module, name) : nullptr;
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info) {
    ParseCommandLine(info, __argc - 1, __argv + 1);
}

void CWinApp::ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv) {
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        bool isSwitch = arg[0] == '/' || arg[0] == '-';
        info.ParseParam(isSwitch ? arg + 1 : arg, isSwitch, i + 1 == argc);
    }
}

void AfxWinInit(CWinApp* app, HINSTANCE instance, const char* cmdLine, int cmdShow) {
    if (instance) app->m_hInstance = instance;
    if (cmdLine) app->m_strCmdLine = cmdLine;
    app->m_nCmdShow = cmdShow;
    char path[MAX_PATH] = {};
    GetModuleFileNameA(app->m_hInstance, path, MAX_PATH);
    std::string modulePath = path;
    if (app->m_strAppName.empty() && !AfxLoadString(kAppTitleString, app->m_strAppName)) {
        std::size_t slash = modulePath.find_last_of("\\/");
        std::string name = modulePath.substr(slash == std::string::npos ? 0 : slash + 1);
        app->m_strAppName = name.substr(0, name.rfind('.'));
    }
    if (app->m_strHelpFilePath.empty()) {
        std::size_t slash = modulePath.find_last_of("\\/");
        std::size_t dot = modulePath.rfind('.');
        if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
            modulePath.resize(dot);
        app->m_strHelpFilePath = modulePath + ".HLP";
    }
}

int AfxWinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int cmdShow) {
    CWinApp* app = AfxGetApp();
    if (!app) return -1;
    AfxWinInit(app, instance, cmdLine, cmdShow);
    if (!app->InitInstance()) {
        if (app->m_pMainWnd) {
            CWnd* main = app->m_pMainWnd;
            app->m_pMainWnd = nullptr;
            main->DestroyWindow();
        }
        return app->ExitInstance();
    }
    return app->Run();
}
