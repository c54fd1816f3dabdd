// The application object: brings the program up (command line, the search
// for a running copy, the restart hand-over, the registry key, the language
// module, Windows Sockets, the hidden main frame, rules, accounts and
// settings) and takes it down again, saving everything only after a
// complete start-up. It owns what the main frame and the checking threads
// share, and is the frame's host.
#pragma once

#include <windows.h>

#include <memory>

#include "framework/WinApp.h"
#include "postling/app/CommandLine.h"
#include "postling/app/HtmlHelp.h"
#include "postling/app/Language.h"
#include "postling/engine/CheckContext.h"
#include "postling/message/RuleBook.h"
#include "postling/model/AccountList.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/RegistryProfileStore.h"
#include "postling/res/resource.h"
#include "postling/shell/RegisteredMessages.h"
#include "postling/shell/ShellHost.h"
#include "postling/shell/Sounds.h"

// The company key below HKEY_CURRENT_USER\Software, and the application
// title, which is the profile key below it.
constexpr char kRegistryCompany[] = "Razezo Varnek";
constexpr char kAppTitle[] = "Varnek & Soltu Post Sentry";
// How long a restarting copy waits for the copy it replaces.
constexpr DWORD kRestartWaitMs = 10000;

class CPostlingApp : public CWinApp, public ShellHost {
public:
    CPostlingApp();
    ~CPostlingApp() override;

    bool InitInstance() override;
    int ExitInstance() override;
    // The modeless windows (the About box, the second-start notice, the
    // exit confirmation and the errors window) get the system close command.
    bool SaveAllModified() override;
    // With compiled HTML help, the request goes to HTML Help in the
    // program's own window type (HtmlHelp.h); otherwise, and for commands
    // HTML Help has no counterpart for, to the framework's WinHelp.
    bool WinHelp(DWORD_PTR data, UINT command = HELP_CONTEXT) override;

    // ShellHost.
    CAccountList& GetAccounts() override { return m_accounts; }
    CRuleBook& GetRules() override { return m_rules; }
    ProgramSettings& GetSettings() override { return m_settings; }
    ErrorList& GetErrors() override { return m_errors; }
    CheckContext& GetCheckContext() override { return m_checkContext; }
    void PlaySoundEvent(SoundEvent event) override;
    void StopAllSounds() override;
    bool IsSilentMode() const override { return m_bSilentMode != 0; }
    void SetSilentMode(bool on) override { m_bSilentMode = on ? TRUE : FALSE; }
    void OnMultimediaNotify(WPARAM wParam, LPARAM lParam) override;
    SettingsWindow* OpenSettings(HWND mainFrame, std::function<void()> closed) override;

    // The main window of a running copy of the program, or null.
    static HWND FindRunningInstance();

    CAccountList m_accounts;
    // The user rules with the default reaction and the deletion marks, each
    // under its own lock.
    CRuleBook m_rules;
    ErrorList m_errors;
    CLanguageList m_languages;
    ProgramSettings m_settings;
    PostingSink m_sink;
    // The password events and the running-check count of the checking threads.
    CheckContext m_checkContext{m_sink, m_rules};

    // The five events' sounds, the melody player and the devices; made at
    // start-up, closed at exit.
    std::unique_ptr<CSounds> m_pSounds;
    BOOL m_bSilentMode = FALSE;  // never stored
    BOOL m_bHtmlHelp = FALSE;
    DWORD m_dwHtmlHelpCookie = 0;
    BOOL m_bInitialized = FALSE;
    HWND m_hRunningInstance = nullptr;

private:
    // Steps of start-up; false ends the program.
    bool HandOverToRunningCopy(CPostlingCommandLineInfo& info);
    // Ends every check under way: a pending password prompt is answered as
    // cancelled, and every thread is collected.
    void EndChecks();
    void ShowMessage(UINT id, UINT type);

    std::unique_ptr<RegistryProfileStore> m_profile;
    CHtmlHelpLoader m_htmlHelp;
    // HH_INITIALIZE ran; exit then ends it with the cookie.
    bool m_bHtmlHelpInitialized = false;
    bool m_bSocketsStarted = false;
    bool m_bContextSet = false;
    // The exit steps ran (at the session's end the loop may still go on).
    bool m_bExitDone = false;
};

CPostlingApp& PostlingApp();
