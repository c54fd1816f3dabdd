// The application object: one per process, made as a global object of the
// program. AfxWinMain runs InitInstance, then the message loop (Run) with
// idle processing, then ExitInstance.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "CmdTarget.h"
#include "FwExport.h"
#include "ProfileStoreBase.h"

class CWnd;

// Asks a window for the address of its help-context word (a DWORD*), or 0.
constexpr UINT WM_HELPPROMPTADDR = 0x0376;
// Asks a window in the help mode for the help ID at the point (lParam,
// client coordinates); 0 when it has none of its own.
constexpr UINT WM_HELPHITTEST = 0x0366;
// The framework's bases of help IDs: commands (menu items, toolbar
// buttons), resources (dialogs, frames) and prompts (message boxes).
constexpr DWORD HID_BASE_COMMAND = 0x10000;
constexpr DWORD HID_BASE_RESOURCE = 0x20000;
constexpr DWORD HID_BASE_PROMPT = 0x30000;

// The command line, one argument at a time. A switch is an argument that
// begins with "/" or "-"; ParseParam gets it without that character.
class FW_API CCommandLineInfo {
public:
    virtual ~CCommandLineInfo();
    // Keeps switches and other arguments in order; derived records decide
    // what they mean.
    virtual void ParseParam(const char* param, bool isSwitch, bool isLast);

    std::vector<std::string> m_switches;
    std::vector<std::string> m_params;
};

class FW_API CWinApp : public CCmdTarget {
public:
    // Becomes the application object (AfxGetApp) until it is destroyed.
    // `appName` null: string 57344 of the resource chain, or else the
    // executable's name without extension, set by AfxWinInit.
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // False ends the program before the message loop.
    virtual bool InitInstance();
    // The message loop; returns ExitInstance's result once WM_QUIT arrives.
    virtual int Run();
    // The program's exit code; by default the WM_QUIT code.
    virtual int ExitInstance();
    // Called while the queue is empty with 0, 1, 2, ... until it returns
    // false; a message resets the count. Count 0 sends WM_IDLEUPDATECMDUI
    // to every visible top-level framework window of this thread and its
    // descendants.
    virtual bool OnIdle(long count);
    // Offers the message to the framework windows from its target up to
    // the top-level window; true when one of them handled it.
    virtual bool PreTranslateMessage(MSG* msg);
    // Asked before the main window closes and when the session ends; false
    // keeps the window (and the session) alive.
    virtual bool SaveAllModified();

    // ID_APP_EXIT: closes the main window.
    void OnAppExit();
    // The help commands, which reach the application from every frame and
    // dialog: ID_HELP_FINDER opens the help's contents (HELP_FINDER),
    // ID_HELP_INDEX and ID_DEFAULT_HELP its index (HELP_INDEX).
    void OnHelpFinder();
    void OnHelpIndex();

    // Help: opens the help file at `data` (a context or a command's data)
    // with the WinHelp command `command`. The framework's own does nothing
    // and returns false; the program overrides it.
    virtual bool WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT);
    // The help-context word: the help ID of the prompt being shown, 0 when
    // none (WM_HELPPROMPTADDR answers its address).
    DWORD m_dwPromptContext = 0;

    // The registry key below HKEY_CURRENT_USER\Software under which the
    // profile lives; the profile name becomes the application title.
    void SetRegistryKey(const char* company);
    // "Software\<company>\<profile>", empty before SetRegistryKey.
    std::string GetAppRegistryPath() const;

    // The store the profile functions use (not owned; null: none, then
    // reads give the default and writes fail).
    void SetProfileStore(CProfileStore* store) { m_pProfileStore = store; }
    CProfileStore* GetProfileStore() const { return m_pProfileStore; }
    std::string GetProfileString(const char* section, const char* entry, const char* defaultValue = "");
    int GetProfileInt(const char* section, const char* entry, int defaultValue);
    bool WriteProfileString(const char* section, const char* entry, const char* value);
    bool WriteProfileInt(const char* section, const char* entry, int value);

    // Resource look-up along the resource chain (language module,
    // executable, extension libraries).
    HINSTANCE FindResourceHandle(LPCSTR name, LPCSTR type) const;
    bool LoadString(UINT id, std::string& out) const;
    // A shared icon (never destroyed by the caller); size 0: the system's large icon size.
    HICON LoadIcon(UINT id, int size = 0) const;
    HMENU LoadMenu(UINT id) const;

    // Splits the process's command line (without the program name) into
    // `info`; the second form takes the arguments given.
    void ParseCommandLine(CCommandLineInfo& info);
    static void ParseCommandLine(CCommandLineInfo& info, int argc, const char* const* argv);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCWinApp;

    HINSTANCE m_hInstance = nullptr;
    std::string m_strCmdLine;
    int m_nCmdShow = SW_SHOWNORMAL;
    CWnd* m_pMainWnd = nullptr;
    std::string m_strAppName;
    std::string m_strRegistryKey;
    std::string m_strProfileName;
    // The executable's path with the extension ".HLP" until the program
    // chooses another help file.
    std::string m_strHelpFilePath;
    // The WM_QUIT code once the message loop has ended.
    int m_nExitCode = 0;

private:
    bool PumpMessage();
    MSG m_msgCur = {};
    CProfileStore* m_pProfileStore = nullptr;
};

FW_API CWinApp* AfxGetApp();

// Fills in the application's instance, command line, show state, title and
// help-file path (what is not set already).
FW_API void AfxWinInit(CWinApp* app, HINSTANCE instance, const char* cmdLine, int cmdShow);

// The program's WinMain calls this: AfxWinInit, InitInstance, Run or,
// when InitInstance failed, ExitInstance; returns the exit code.
FW_API int AfxWinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow);
