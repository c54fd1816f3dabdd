#include "postling/shell/MainFrame.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "framework/DataExchange.h"
#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "lumkit/LumText.h"
#include "postling/app/MainWindowClass.h"
#include "postling/engine/AccountEdits.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/CheckContext.h"
#include "postling/model/Account.h"
#include "postling/model/AccountList.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/TextFormat.h"
#include "postling/shell/AboutDlg.h"
#include "postling/shell/ErrorsDlg.h"
#include "postling/shell/ExitConfirmDlg.h"
#include "postling/shell/MailList.h"
#include "postling/shell/MailTipWnd.h"
#include "postling/shell/PasswordDlg.h"
#include "postling/shell/RegisteredMessages.h"
#include "postling/shell/SecondInstanceDlg.h"
#include "postling/shell/SettingsWindow.h"

namespace {

constexpr char kTrayTipPrefix[] = "V&&S Post Sentry: ";
constexpr std::size_t kTrayTipMax = 127;  // the tooltip field holds 128 with the terminator

// A menu item text that shows `name` as it is.
std::string MenuText(const std::string& name) {
    std::string text;
    for (char c : name) {
        text += c;
        if (c == '&') text += '&';
    }
    return text;
}

// Makes the modeless dialog unless it exists (a failed creation leaves
// none), then brings it to the front, shown and focused.
template <class Dialog> void OpenOnce(Dialog*& dialog, HWND frame, CWnd* owner) {
    if (!dialog) {
        auto created = std::make_unique<Dialog>(frame);
        if (!created->Create(Dialog::IDD, owner)) return;
        dialog = created.release();  // it deletes itself when its window is gone
    }
    ::SetForegroundWindow(dialog->m_hWnd);
    dialog->ShowWindow(SW_SHOW);
    dialog->SetFocus();
}

}  // namespace

ShellHost::~ShellHost() = default;

SettingsWindow* ShellHost::OpenSettings(HWND, std::function<void()>) { return nullptr; }

const UINT CMainFrame::kIconResources[kIconCount] = {
    IDI_NORMAL, IDI_NEWMAIL, IDI_BLINKOFF, IDI_PAUSED, IDI_CHECK0, IDI_CHECK1,
    IDI_CHECK2, IDI_CHECK3, IDI_CHECK4, IDI_CHECK5, IDI_CHECK6, IDI_CHECK7};

const CRuntimeClass CMainFrame::classCMainFrame = {"CMainFrame", sizeof(CMainFrame),
                                                   &CFrameWnd::classCFrameWnd, nullptr};

const CRuntimeClass* CMainFrame::GetRuntimeClass() const { return &classCMainFrame; }

// Get() registers the message numbers on its first call, at the latest while
// this table is initialised: they hold before any window exists.
const MessageMapEntry CMainFrame::messageEntries[] = {
    On::Message<&CMainFrame::OnCreate>(WM_CREATE),
    On::Message<&CMainFrame::OnDestroy>(WM_DESTROY),
    On::Message<&CMainFrame::OnTimer>(WM_TIMER),
    On::Message<&CMainFrame::OnHotKey>(WM_HOTKEY),
    On::Message<&CMainFrame::OnMciNotify>(MM_MCINOTIFY),
    On::Registered<&CMainFrame::OnIconClickMessage>(&RegisteredMessages::Get().iconClick),
    On::Registered<&CMainFrame::OnStartSecondInstanceMessage>(&RegisteredMessages::Get().startSecondInstance),
    On::Registered<&CMainFrame::OnCheckInstanceMessage>(&RegisteredMessages::Get().checkInstance),
    On::Registered<&CMainFrame::OnThreadExitingMessage>(&RegisteredMessages::Get().threadExiting),
    On::Registered<&CMainFrame::OnDropUnreadFlagMessage>(&RegisteredMessages::Get().dropUnreadFlag),
    On::Registered<&CMainFrame::OnAddErrorMessage>(&RegisteredMessages::Get().addError),
    On::Registered<&CMainFrame::OnClearMessagesMessage>(&RegisteredMessages::Get().clearMessages),
    On::Registered<&CMainFrame::OnAskPasswordMessage>(&RegisteredMessages::Get().askPassword),

    On::Command<&CMainFrame::OnMailList>(ID_MAIL_LIST),
    On::Command<&CMainFrame::OnErrors>(ID_ERRORS),
    On::CommandRange<&CMainFrame::OnCheckNow>(ID_CHECK_ALL, ID_CHECK_ACCOUNT_LAST),
    On::UpdateRange<&CMainFrame::OnUpdateCheckNow>(ID_CHECK_ACCOUNT_FIRST, ID_CHECK_ACCOUNT_LAST),
    On::Command<&CMainFrame::OnStopSounds>(ID_STOP_SOUNDS),
    On::Command<&CMainFrame::OnSilentMode>(ID_SILENT_MODE),
    On::Update<&CMainFrame::OnUpdateSilentMode>(ID_SILENT_MODE),
    On::Command<&CMainFrame::OnPause>(ID_PAUSE),
    On::Update<&CMainFrame::OnUpdatePause>(ID_PAUSE),
    On::Command<&CMainFrame::OnExit>(ID_EXIT),
    On::Command<&CMainFrame::OnAppAbout>(ID_APP_ABOUT),
    On::Command<&CMainFrame::OnSettings>(ID_SETTINGS),
    On::End(),
};
const MessageMap CMainFrame::messageMap = {&CFrameWnd::messageMap, CMainFrame::messageEntries};

const MessageMap* CMainFrame::GetMessageMap() const { return &messageMap; }

CMainFrame::CMainFrame(ShellHost& host, std::unique_ptr<CScheduler> scheduler)
    : m_host(host), m_pScheduler(std::move(scheduler)) {
    if (!m_pScheduler)
        m_pScheduler = std::make_unique<CScheduler>(host.GetAccounts(), host.GetSettings());
    m_pScheduler->m_onExitRequest = [this] { RequestExit(); };
}

CMainFrame::~CMainFrame() {
    for (HICON& icon : m_icons) {
        if (icon) DestroyIcon(icon);
        icon = nullptr;
    }
}

bool CMainFrame::CreateHidden() { return LoadFrame(IDR_MAINFRAME, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE); }

bool CMainFrame::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return false;
    // A class of our own, by which other copies find us: no icon, cursor
    // or background, and no sunken client edge.
    WNDCLASSA wc = {};
    wc.lpszClassName = kMainWindowClass;
    if (!AfxRegisterClass(wc)) return false;
    cs.lpszClass = kMainWindowClass;
    cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
    return true;
}

LRESULT CMainFrame::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    const int cx = GetSystemMetrics(SM_CXSMICON);
    const int cy = GetSystemMetrics(SM_CYSMICON);
    for (int i = 0; i < kIconCount; ++i) {
        LPCSTR name = MAKEINTRESOURCEA(kIconResources[i]);
        HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
        m_icons[i] = module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, cx, cy, 0))
                            : nullptr;
    }
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    data.uFlags = NIF_MESSAGE | NIF_ICON;
    data.uCallbackMessage = RegisteredMessages::Get().iconClick;
    data.hIcon = m_icons[kIconNormal];
    m_bTrayAdded = Shell_NotifyIconA(NIM_ADD, &data) != FALSE;  // a failure leaves no tray icon
    m_hShownIcon = m_icons[kIconNormal];
    UpdateTray(0, 0);
    SetTimer(kSchedulerTimer, 1000);
    SetTimer(kIconTimer, 250);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    RegisterHotKey(m_hWnd, kHotKeyId, MOD_WIN, 'P');  // taken by another program: no hot key
    return 0;
}

void CMainFrame::OnDestroy() {
    // A prompt still open answers "cancel": its check can end.
    if (m_hPasswordDlg && IsWindow(m_hPasswordDlg)) ::DestroyWindow(m_hPasswordDlg);
    m_hPasswordDlg = nullptr;
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    Shell_NotifyIconA(NIM_DELETE, &data);
    m_bTrayAdded = false;
    UnregisterHotKey(m_hWnd, kHotKeyId);
    KillTimer(kSchedulerTimer);
    KillTimer(kIconTimer);
    // The errors window and the message list point at the frame: they do
    // not outlive it.
    if (m_pErrorsDlg) m_pErrorsDlg->DestroyWindow();
    if (m_pMailList) m_pMailList->DestroyWindow();
    if (m_pSettings) m_pSettings->Close();
    Default();
}

LRESULT CMainFrame::OnTimer(WPARAM id, LPARAM) {
    if (id == kSchedulerTimer) {
        m_pScheduler->OnSchedulerTick();
    } else if (id == kIconTimer) {
        OnIconTimer();
    } else {
        return Default();
    }
    return 0;
}

int CMainFrame::RunningChecks() const { return m_host.GetCheckContext().m_nRunningChecks.load(); }

// --- Tray ---

std::string CMainFrame::FormatMailCount(int total, int fresh) {
    auto line = [](int index) { return ResSubString(IDS_MAIL_COUNT, index, '\n'); };
    // Languages with one plural form take it for every count but one.
    const bool oneOther = LoadStringResource(IDS_PLURAL_RULE) == "one-other";
    auto noun = [oneOther](int count, const std::string& one, const std::string& few, const std::string& many) {
        return oneOther ? FormatFixed(count, 0, 0) + ' ' + (count == 1 ? one : many)
                        : FormatCountWithNoun(count, one, few, many);
    };
    if (total <= 0) return line(0);
    std::string text = noun(total, line(1), line(2), line(3));
    text += " (";
    text += fresh > 0 ? noun(fresh, line(4), line(5), line(6)) : line(7);
    text += ")";
    return text;
}

void CMainFrame::UpdateTray(int total, int fresh) {
    if (fresh > total) fresh = total;
    m_bBlinking = fresh > 0;
    m_bBlinkPhase = m_bBlinking;
    // A check that ends while paused leaves the tray saying so; resuming
    // shows the counts.
    const bool paused = IsPaused();
    const std::string tip = paused ? LoadStringResource(IDS_TRAY_PAUSED)
                                   : kTrayTipPrefix + FormatMailCount(total, fresh);
    HICON icon = m_icons[paused ? kIconPaused : m_bBlinking ? kIconNewMail : kIconNormal];
    // While checks run the animation owns the icon; only the tooltip changes.
    SetTrayIcon(icon, tip.c_str(), RunningChecks() == 0);
}

void CMainFrame::SetTrayIcon(HICON icon, const char* tip, bool setIcon) {
    NOTIFYICONDATAA data = {};
    data.cbSize = sizeof data;
    data.hWnd = m_hWnd;
    data.uID = kTrayIconId;
    if (setIcon) {
        data.uFlags |= NIF_ICON;
        data.hIcon = icon;
        m_hShownIcon = icon;
    }
    if (tip) {
        data.uFlags |= NIF_TIP;
        std::size_t length = std::min(std::strlen(tip), kTrayTipMax);
        std::memcpy(data.szTip, tip, length);
        data.szTip[length] = '\0';
        m_strTrayTip.assign(tip, length);
    }
    if (m_hWnd && m_bTrayAdded) Shell_NotifyIconA(NIM_MODIFY, &data);
}

void CMainFrame::OnIconTimer() {
    if (RunningChecks() > 0) {
        SetTrayIcon(m_icons[kIconFrame0 + m_nAnimationFrame], nullptr, true);
        m_nAnimationFrame = (m_nAnimationFrame + 1) % 8;
    } else if (m_bBlinking && !IsPaused()) {
        m_bBlinkPhase = !m_bBlinkPhase;
        SetTrayIcon(m_icons[m_bBlinkPhase ? kIconNewMail : kIconBlinkOff], nullptr, true);
    }
}

void CMainFrame::RefreshAndNotify() {
    int total = 0, fresh = 0, strongest = 1;
    for (auto& account : m_host.GetAccounts()) {
        std::lock_guard<std::recursive_mutex> lock(account->m_lock);
        for (const auto& message : account->m_messages) {
            ++total;
            if (message->m_bSeen == 0) {
                ++fresh;
                strongest = std::max(strongest, static_cast<int>(message->m_nReaction));
            }
        }
    }
    UpdateTray(total, fresh);
    switch (strongest) {
    case 2:
        m_host.PlaySoundEvent(SOUND_EVENT_BLINK);
        break;
    case 3:
        m_host.PlaySoundEvent(SOUND_EVENT_POPUP);
        break;
    case 4:
        m_host.PlaySoundEvent(SOUND_EVENT_MESSAGES);
        ShowMailList();
        break;
    case 5:
        m_host.PlaySoundEvent(SOUND_EVENT_MAILER);
        StartMailer();
        break;
    default:
        break;
    }
    RefillMailList();
    if (IsTipShown() || strongest == 3)
        ShowTip(FormatResource(IDS_TIP_NEW_MAIL, {FormatMailCount(total, fresh)}));
}

// --- Registered messages ---

CAccount* CMainFrame::FindAccount(LPARAM lParam) {
    // The messages are shared with other processes: only our own accounts count.
    const CAccount* wanted = reinterpret_cast<const CAccount*>(lParam);
    for (auto& account : m_host.GetAccounts())
        if (account.get() == wanted) return account.get();
    return nullptr;
}

LRESULT CMainFrame::OnIconClickMessage(WPARAM, LPARAM lParam) {
    if (lParam == WM_LBUTTONDBLCLK) PostMessage(WM_COMMAND, ID_MAIL_LIST, 0);
    else if (lParam == WM_RBUTTONUP) OnTrayMenu();
    return 0;
}

// Another copy was started: the notice, owned by the frame.
LRESULT CMainFrame::OnStartSecondInstanceMessage(WPARAM, LPARAM) {
    OpenOnce(m_pSecondInstanceDlg, m_hWnd, this);
    return 1;
}

LRESULT CMainFrame::OnCheckInstanceMessage(WPARAM, LPARAM) { return kCheckInstanceAnswer; }

LRESULT CMainFrame::OnThreadExitingMessage(WPARAM, LPARAM lParam) {
    if (CAccount* account = FindAccount(lParam)) OnThreadExiting(account);
    return 0;
}

LRESULT CMainFrame::OnDropUnreadFlagMessage(WPARAM wParam, LPARAM) {
    OnDropUnreadFlag(wParam);
    return 0;
}

LRESULT CMainFrame::OnAddErrorMessage(WPARAM, LPARAM lParam) {
    auto* sink = dynamic_cast<PostingSink*>(&m_host.GetCheckContext().m_sink);
    if (sink) OnAddError(sink->TakeRecord(lParam));
    return 0;
}

LRESULT CMainFrame::OnClearMessagesMessage(WPARAM, LPARAM lParam) {
    if (CAccount* account = FindAccount(lParam)) OnClearMessages(account);
    return 0;
}

LRESULT CMainFrame::OnAskPasswordMessage(WPARAM, LPARAM lParam) {
    if (CAccount* account = FindAccount(lParam)) OnAskPassword(account);
    return 0;
}

LRESULT CMainFrame::OnHotKey(WPARAM wParam, LPARAM) {
    if (wParam == static_cast<WPARAM>(kHotKeyId) && !m_host.GetSettings().m_strMailer.empty())
        StartMailer();
    return 0;
}

LRESULT CMainFrame::OnMciNotify(WPARAM wParam, LPARAM lParam) {
    m_host.OnMultimediaNotify(wParam, lParam);
    return 0;
}

void CMainFrame::OnThreadExiting(CAccount* account) {
    CollectCheckThread(*account);
    if (account->IsBusy()) {
        RefreshAndNotify();
        return;
    }
    if (std::unique_ptr<CAccount> removed = ApplyPendingEdit(m_host.GetAccounts(), *account)) {
        // Records of the account outlive it; they must not point at it.
        for (auto& record : m_host.GetErrors())
            if (record->m_pAccount == removed.get()) record->m_pAccount = nullptr;
    }
    RefreshAndNotify();
}

void CMainFrame::OnDropUnreadFlag(WPARAM remindLater) {
    if (remindLater == 0) {
        for (auto& account : m_host.GetAccounts()) account->MarkAllSeen();
        RefreshAndNotify();
        return;
    }
    int total = 0;
    for (auto& account : m_host.GetAccounts()) {
        std::lock_guard<std::recursive_mutex> lock(account->m_lock);
        total += static_cast<int>(account->m_messages.size());
    }
    UpdateTray(total, 0);
}

void CMainFrame::OnAddError(std::unique_ptr<ErrorRecord> record) {
    if (!record) return;
    const TimeValue now = CurrentTime();
    record->m_time = now;
    std::string stamp;
    std::tm broken = {};
    if (ToLocalTime(now, broken)) {
        char buffer[128];
        std::size_t n = std::strftime(buffer, sizeof buffer, "%c", &broken);
        stamp.assign(buffer, n);
    }
    record->m_strText = stamp + " - " + record->m_strText;
    const bool isError = record->m_nKind > 1;
    CAccount* account = record->m_pAccount ? FindAccount(reinterpret_cast<LPARAM>(record->m_pAccount))
                                           : nullptr;
    m_host.GetErrors().push_back(std::move(record));
    if (isError && account && (account->m_dwOptions & CAccount::OPT_REPORT_ERRORS)) {
        ShowErrorsWindow();
        m_host.PlaySoundEvent(SOUND_EVENT_ERROR);
    } else {
        RefreshErrorsWindow();
    }
}

void CMainFrame::OnClearMessages(CAccount* account) {
    const TimeValue now = CurrentTime();
    const std::int64_t keep = std::int64_t{m_host.GetSettings().m_nErrorSaveTime} * 3600;
    ErrorList& errors = m_host.GetErrors();
    errors.erase(std::remove_if(errors.begin(), errors.end(),
                                [&](const std::unique_ptr<ErrorRecord>& record) {
                                    return record->m_pAccount == account &&
                                           std::int64_t{now} - record->m_time > keep;
                                }),
                 errors.end());
    RefreshErrorsWindow();
}

void CMainFrame::OnAskPassword(CAccount* account) {
    Event& answered = m_host.GetCheckContext().m_passwordAnswered;
    auto prompt = std::make_unique<CPasswordDlg>(*account, answered);
    if (!prompt->Open()) {
        // No prompt could be shown: the question counts as cancelled.
        account->m_bPasswordReply = 0;
        answered.Set();
        return;
    }
    m_hPasswordDlg = prompt.release()->m_hWnd;  // it belongs to its window now
}

// --- Commands ---

void CMainFrame::OnMailList() { ShowMailList(); }

void CMainFrame::OnErrors() { ShowErrorsWindow(); }

void CMainFrame::OnUpdateCheckNow(CCmdUI* ui) { ui->Enable(m_pScheduler->CanCheckNow(ui->m_nID)); }

void CMainFrame::OnStopSounds() { m_host.StopAllSounds(); }

void CMainFrame::OnSilentMode() { m_host.SetSilentMode(!m_host.IsSilentMode()); }

void CMainFrame::OnUpdateSilentMode(CCmdUI* ui) { ui->SetCheck(m_host.IsSilentMode() ? 1 : 0); }

void CMainFrame::OnUpdatePause(CCmdUI* ui) {
    ui->SetText(ResSubString(IDS_PAUSE_MENU, IsPaused() ? 1 : 0, '\n').c_str());
}

// The framework's exit command (ID_APP_EXIT) never asks; this one asks
// first when the settings say so.
void CMainFrame::OnExit() {
    if (m_host.GetSettings().m_dwOptions & OPT_CONFIRM_EXIT)
        OpenOnce(m_pExitConfirmDlg, m_hWnd, nullptr);
    else
        RequestExit();
}

void CMainFrame::OnAppAbout() { OpenOnce(m_pAboutDlg, m_hWnd, nullptr); }

void CMainFrame::OnPause() {
    if (!IsPaused()) {
        m_pScheduler->SetPaused(true);
        std::string tip = LoadStringResource(IDS_TRAY_PAUSED);
        SetTrayIcon(m_icons[kIconPaused], tip.c_str(), true);
        return;
    }
    m_pScheduler->SetPaused(false);
    RefreshAndNotify();
    m_pScheduler->MakeAllDue(CurrentTime());
}

void CMainFrame::OnCheckNow(UINT id) {
    // Any check-now command ends a pause (resuming makes every account due).
    if (IsPaused() && m_pScheduler->CanCheckNow(id)) OnPause();
    m_pScheduler->CheckNow(id);
}

HMENU CMainFrame::BuildTrayMenu() {
    LPCSTR name = MAKEINTRESOURCEA(IDR_MAINFRAME);
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    HMENU menu = module ? LoadMenuA(module, name) : nullptr;
    if (!menu) return nullptr;
    HMENU popup = GetSubMenu(menu, 0);
    if (!popup) {
        DestroyMenu(menu);
        return nullptr;
    }
    if (m_host.GetSettings().m_dwOptions & OPT_MUTE_ON_MENU) {
        m_host.StopAllSounds();
        DeleteMenu(popup, ID_STOP_SOUNDS, MF_BYCOMMAND);
    }
    SetMenuDefaultItem(popup, ID_MAIL_LIST, FALSE);
    if (HMENU checkNow = GetSubMenu(popup, 1)) {
        AppendMenuA(checkNow, MF_SEPARATOR, 0, nullptr);
        UINT id = ID_CHECK_ACCOUNT_FIRST;
        for (auto& account : m_host.GetAccounts()) {
            if (id > ID_CHECK_ACCOUNT_LAST) break;
            AppendMenuA(checkNow, MF_STRING, id++, MenuText(account->m_strName).c_str());
        }
    }
    return menu;
}

void CMainFrame::OnTrayMenu() {
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = BuildTrayMenu();
    if (!menu) return;
    HWND previous = GetForegroundWindow();
    SetForegroundWindow(m_hWnd);
    UINT command = static_cast<UINT>(TrackPopupMenu(GetSubMenu(menu, 0),
                                                    TPM_RIGHTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                                    cursor.x, cursor.y, 0, m_hWnd, nullptr));
    if (command != 0) PostMessage(WM_COMMAND, command, 0);
    if (previous) SetForegroundWindow(previous);
    DestroyMenu(menu);
}

// --- Windows and programs ---

void CMainFrame::ShowMailList() {
    if (!m_pMailList) {
        auto created = std::make_unique<CMailList>(this);
        if (!created->Open()) return;
        m_pMailList = created.release();  // it deletes itself when its window is gone
        m_pMailList->RefreshList();
    }
    m_pMailList->Present();
}

void CMainFrame::RefillMailList() {
    if (m_pMailList) m_pMailList->RefreshList();
}

bool CMainFrame::CanCreateRule() const { return true; }

void CMainFrame::CreateRuleFromMessage(const CMessage& message, RuleField field) {
    if (m_pSettings && m_pSettings->IsChildDialogActive()) {
        AfxMessageBox(IDS_RULE_SETTINGS_BUSY, MB_OK | MB_ICONERROR);
        return;
    }
    OnSettings();
    if (m_pSettings) m_pSettings->AddRuleFromMessage(message, field == RuleFieldSubject ? 1 : 0);
}

void CMainFrame::OnSettings() {
    if (!m_pSettings) m_pSettings = m_host.OpenSettings(m_hWnd, [this] { m_pSettings = nullptr; });
    if (m_pSettings) m_pSettings->Activate();
}
bool CMainFrame::IsTipShown() const { return CMailTipWnd::IsTipShown(); }

void CMainFrame::ShowTip(const std::string& text) {
    // The new tip replaces the one on screen.
    auto tip = std::make_unique<CMailTipWnd>();
    if (tip->ShowTip(text.c_str())) tip.release();  // it belongs to its window now
}

void CMainFrame::ShowErrorsWindow() {
    if (!m_pErrorsDlg) {
        // Parent the desktop; the dialog fills itself when it opens.
        auto created = std::make_unique<CErrorsDlg>(this);
        if (!created->Create(CErrorsDlg::IDD, nullptr)) return;
        m_pErrorsDlg = created.release();  // it deletes itself when its window is gone
        if (CWinApp* app = AfxGetApp()) {
            m_pErrorsDlg->SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(app->LoadIcon(
                                                                  IDI_NEWMAIL, GetSystemMetrics(SM_CXSMICON))));
            m_pErrorsDlg->SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_NEWMAIL)));
        }
    } else {
        m_pErrorsDlg->Fill();
    }
    ::SetForegroundWindow(m_pErrorsDlg->m_hWnd);
    m_pErrorsDlg->ShowWindow(SW_SHOW);
    m_pErrorsDlg->SetFocus();
}

void CMainFrame::RefreshErrorsWindow() {
    if (m_pErrorsDlg) m_pErrorsDlg->Fill();
}

void CMainFrame::StartMailer() {
    const std::string& mailer = m_host.GetSettings().m_strMailer;
    if (mailer.empty()) return;
    ShellExecuteA(m_hWnd, nullptr, mailer.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void CMainFrame::RequestExit() { PostMessage(WM_COMMAND, ID_APP_EXIT, 0); }
