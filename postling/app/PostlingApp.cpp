#include "postling/app/PostlingApp.h"

#include <string>

#include "framework/ResourceChain.h"
#include "postling/engine/AccountEdits.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/Socket.h"
#include "postling/model/Clock.h"
#include "postling/model/ProfileStore.h"
#include "postling/settings/Properties.h"
#include "postling/shell/AboutDlg.h"
#include "postling/shell/ErrorsDlg.h"
#include "postling/shell/ExitConfirmDlg.h"
#include "postling/shell/MailList.h"
#include "postling/shell/MainFrame.h"
#include "postling/shell/ToneOutputs.h"
#include "postling/shell/ProcessApi.h"
#include "postling/shell/SecondInstanceDlg.h"

namespace {

// How long a window of another program may take to answer "Check Instance"
// before it counts as not ours: a hung window must not stop start-up.
constexpr UINT kCheckInstanceTimeoutMs = 5000;

BOOL CALLBACK FindInstanceProc(HWND window, LPARAM lParam) {
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, RegisteredMessages::Get().checkInstance, 0, 0,
                            SMTO_ABORTIFHUNG | SMTO_BLOCK, kCheckInstanceTimeoutMs, &answer) &&
        static_cast<LRESULT>(answer) == kCheckInstanceAnswer) {
        *reinterpret_cast<HWND*>(lParam) = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

CPostlingApp& PostlingApp() { return *static_cast<CPostlingApp*>(AfxGetApp()); }

CPostlingApp::CPostlingApp() : CWinApp(kAppTitle) {}

CPostlingApp::~CPostlingApp() {
    if (m_bContextSet) SetCheckContext(nullptr);
    if (m_profile) {
        SetProfileStore(static_cast<ProfileStore*>(nullptr));
        CWinApp::SetProfileStore(nullptr);
    }
}

HWND CPostlingApp::FindRunningInstance() {
    HWND found = nullptr;
    EnumWindows(FindInstanceProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

void CPostlingApp::ShowMessage(UINT id, UINT type) {
    std::string text;
    if (!LoadString(id, text)) text = std::to_string(id);
    MessageBoxA(nullptr, text.c_str(), m_strAppName.c_str(), type);
}

bool CPostlingApp::HandOverToRunningCopy(CPostlingCommandLineInfo& info) {
    m_hRunningInstance = FindRunningInstance();
    HANDLE oldProcess = info.TakeRestartProcess();
    if (!m_hRunningInstance) {
        // A restart switch without a running copy: a normal start.
        if (oldProcess) CloseHandle(oldProcess);
        return true;
    }
    if (info.m_bRestart && oldProcess) {
        // The running copy ends through its normal exit path, saving
        // everything, before this copy reads the registry.
        PostMessageA(m_hRunningInstance, WM_COMMAND, ID_APP_EXIT, 0);
        DWORD waited = WaitForSingleObject(oldProcess, kRestartWaitMs);
        CloseHandle(oldProcess);
        if (waited == WAIT_OBJECT_0) return true;
        ShowMessage(IDS_RESTART_FAILED, MB_OK | MB_ICONERROR);
        return false;
    }
    if (oldProcess) CloseHandle(oldProcess);
    if (info.m_bAutoStart) return false;  // silently
    PostMessageA(m_hRunningInstance, RegisteredMessages::Get().startSecondInstance, 0, 0);
    return false;
}

bool CPostlingApp::InitInstance() {
    // 1. The command line.
    CPostlingCommandLineInfo info;
    ParseCommandLine(info);

    // 2, 3. A running copy: hand over to it, or replace it.
    if (!HandOverToRunningCopy(info)) return false;

    // 4. The registry key; the framework's profile functions and the
    // program's records use the same store.
    SetRegistryKey(kRegistryCompany);
    m_profile = std::make_unique<RegistryProfileStore>(GetAppRegistryPath());
    ::SetProfileStore(m_profile.get());
    CWinApp::SetProfileStore(m_profile.get());

    // 5, 6. Language module and help file.
    LanguageChoice language = StartLanguage(m_languages, m_settings, m_strHelpFilePath);
    m_strHelpFilePath = language.strHelpFile;
    m_bHtmlHelp = language.bHtmlHelp ? TRUE : FALSE;
    // The built-in help file: HTML Help is initialised now and ended at exit.
    m_dwHtmlHelpCookie = 0;
    if (language.bInitHtmlHelp) {
        m_htmlHelp.Call(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&m_dwHtmlHelpCookie));
        m_bHtmlHelpInitialized = true;
    }

    // 7. Windows Sockets 1.1.
    if (!StartSockets()) {
        ShowMessage(IDS_SOCKETS_INIT_FAILED, MB_OK);
        return false;
    }
    m_bSocketsStarted = true;

    // 8. Control containment and three-dimensional controls: nothing to
    // enable in this framework.

    // 9. The locks (inside the rule book) and the two password events
    // (inside the check context, in their initial states) serve the
    // checking threads from now on.
    SetCheckContext(&m_checkContext);
    m_bContextSet = true;

    // 10. The hidden main frame; from now on other copies find this one.
    CMainFrame* frame = new CMainFrame(*this);
    if (!frame->CreateHidden()) {
        // Without a frame nothing after this step can work.
        delete frame;
        return false;
    }
    m_pMainWnd = frame;
    frame->ShowWindow(SW_HIDE);
    m_sink.SetFrame(frame->m_hWnd);

    // 11. Rules.
    m_rules.LoadRules();

    // 12. Accounts, each due at once as far as its periods allow.
    m_accounts.LoadAccounts(CurrentTime());

    // 13. Process enumeration for the mail-program test.
    ProcessFunctions();

    // 14. Sound settings.
    m_pSounds = std::make_unique<CSounds>(DefaultMelodyFile(), MakeAudibleToneOutput());
    m_pSounds->Load();

    // 15. Program settings.
    m_settings.Load();

    // 16.
    m_bInitialized = TRUE;

    // 17. Start paused.
    if (info.m_bPause) frame->SendMessage(WM_COMMAND, ID_PAUSE, 0);

    // 18. A start by the user with no account to check: the settings sheet
    // on its accounts page, where the first one is added.
    if (m_accounts.IsEmpty() && !info.m_bAutoStart) {
        frame->OnSettings();
        if (frame->m_pSettings) frame->m_pSettings->ShowAccountsPage();
    }
    return true;
}

void CPostlingApp::EndChecks() {
    // Waits for the server end at once; the checks then finish as on a time-out.
    m_checkContext.m_bStopping = true;
    // The main frame is gone, so nobody answers a password prompt any more:
    // every prompt asked from now on counts as cancelled. The answered event
    // is set again and again because the next thread's prompt resets it.
    for (;;) {
        bool running = false;
        for (auto& account : m_accounts) {
            if (!account->m_bChecking) continue;
            running = true;
            account->m_bPasswordReply = 0;
        }
        if (!running) break;
        m_checkContext.m_passwordAnswered.Set();
        Sleep(20);
    }
    for (auto& account : m_accounts) CollectCheckThread(*account);
}

int CPostlingApp::ExitInstance() {
    // Once only: a second run would save the emptied account list over the
    // saved one.
    if (m_bExitDone) return CWinApp::ExitInstance();
    m_bExitDone = true;
    // The exit steps run after the main frame is gone (or when the session
    // ends); a check under way ends first, so that its result is saved and
    // no thread outlives its account.
    m_sink.SetFrame(nullptr);
    EndChecks();
    // Edits and removals that waited for a check take effect before the save.
    for (std::size_t i = m_accounts.GetCount(); i-- > 0;) ApplyPendingEdit(m_accounts, m_accounts[i]);

    if (m_bInitialized) {
        m_accounts.SaveAllAccounts();
        m_rules.SaveRules();
        if (m_pSounds) m_pSounds->Save();
        m_settings.Save();
    }

    m_accounts.RemoveAll();
    m_errors.clear();
    // The multimedia devices close with the sounds.
    m_pSounds.reset();
    if (m_bHtmlHelpInitialized) m_htmlHelp.Call(nullptr, nullptr, HH_UNINITIALIZE, m_dwHtmlHelpCookie);
    m_bHtmlHelpInitialized = false;

    if (m_bSocketsStarted) StopSockets();
    m_bSocketsStarted = false;
    // The language module leaves the resource chain before it is unloaded.
    AfxSetLanguageModule(nullptr);
    m_languages.RemoveAll();
    return CWinApp::ExitInstance();
}

bool CPostlingApp::SaveAllModified() {
    // The modeless windows get the system close command, as if the user
    // closed them.
    if (auto* frame = dynamic_cast<CMainFrame*>(m_pMainWnd)) {
        CWnd* windows[] = {frame->m_pAboutDlg, frame->m_pSecondInstanceDlg, frame->m_pExitConfirmDlg,
                           frame->m_pErrorsDlg, frame->m_pMailList};
        for (CWnd* window : windows)
            if (window && window->m_hWnd) window->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        // The settings sheet drops its edits, as its Cancel does.
        if (frame->m_pSettings) frame->m_pSettings->Close();
    }
    return true;
}

bool CPostlingApp::WinHelp(DWORD_PTR data, UINT command) {
    UINT htmlCommand = 0;
    DWORD_PTR htmlData = 0;
    if (!m_bHtmlHelp || !MapWinHelpRequest(command, data, &htmlCommand, &htmlData))
        return CWinApp::WinHelp(data, command);
    HWND caller = m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr;
    const std::string file = HelpFileWithWindow(m_strHelpFilePath);
    // The window type is defined again whenever HTML Help does not know it:
    // the answer is null, or -1 (HH_GET_WIN_TYPE's error value). The
    // control writes the address of its structure here; Wine's copies the
    // whole structure, so the place has room for that too.
    union {
        HH_WINTYPE* address;
        HH_WINTYPE copy;
    } known = {};
    const HWND answer = m_htmlHelp.Call(caller, file.c_str(), HH_GET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&known));
    if (!answer || answer == reinterpret_cast<HWND>(-1)) {
        HH_WINTYPE type;
        FillHelpWindowType(type, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        m_htmlHelp.Call(caller, m_strHelpFilePath.c_str(), HH_SET_WIN_TYPE, reinterpret_cast<DWORD_PTR>(&type));
    }
    m_htmlHelp.Call(caller, file.c_str(), htmlCommand, htmlData);
    return m_htmlHelp.Available();
}

void CPostlingApp::PlaySoundEvent(SoundEvent event) {
    if (!m_pSounds) return;
    const SilentMode silent = {m_bSilentMode != 0, m_settings.m_nSilentSoundDuration};
    m_pSounds->PlayEvent(event, silent, m_pMainWnd ? m_pMainWnd->m_hWnd : nullptr);
}

void CPostlingApp::StopAllSounds() {
    if (m_pSounds) m_pSounds->StopAllSounds();
}

void CPostlingApp::OnMultimediaNotify(WPARAM wParam, LPARAM lParam) {
    if (m_pSounds) m_pSounds->OnMciNotify(wParam, lParam);
}

SettingsWindow* CPostlingApp::OpenSettings(HWND mainFrame, std::function<void()> closed) {
    std::vector<LanguageEntry> languages;
    for (std::size_t i = 0; i < m_languages.GetCount(); ++i) {
        const CLanguage& language = *m_languages.GetAt(i);
        LanguageEntry entry;
        entry.name = language.m_info.szName;
        entry.langId = language.m_info.wLangId;
        entry.codePage = language.m_info.nCodePage;
        entry.path = language.GetPath();
        entry.icon = language.GetIcon();
        languages.push_back(std::move(entry));
    }
    auto sheet = std::make_unique<CProperties>(*this, m_pSounds.get(), mainFrame, std::move(languages));
    sheet->m_onDestroyed = std::move(closed);
    if (!sheet->Open()) return nullptr;
    return sheet.release();  // it deletes itself when its window is gone
}
