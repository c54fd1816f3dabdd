// The program's hidden main frame: the tray icon and its menu, the two
// timers, the registered messages of the checking threads and of other
// copies, and the reactions to each check's result.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "framework/FrameWnd.h"
#include "postling/message/Rule.h"
#include "postling/res/resource.h"
#include "postling/shell/Scheduler.h"
#include "postling/shell/ShellHost.h"

class CAccount;
class CAboutDlg;
class CErrorsDlg;
class CExitConfirmDlg;
class CMailList;
class CMessage;
class CSecondInstanceDlg;
class SettingsWindow;

constexpr UINT_PTR kSchedulerTimer = 1;  // 1000 ms
constexpr UINT_PTR kIconTimer = 2;       // 250 ms
constexpr UINT kTrayIconId = 1;
constexpr int kHotKeyId = 1;

class CMainFrame : public CFrameWnd {
public:
    // The twelve tray icons, by role.
    enum Icon {
        kIconNormal, kIconNewMail, kIconBlinkOff, kIconPaused,
        kIconFrame0, kIconCount = kIconFrame0 + 8
    };
    static const UINT kIconResources[kIconCount];

    // `scheduler` null: the scheduler over the host's accounts and settings.
    explicit CMainFrame(ShellHost& host, std::unique_ptr<CScheduler> scheduler = nullptr);
    ~CMainFrame() override;

    // Creates the hidden frame from resource IDR_MAINFRAME. On failure the
    // object stays the caller's to delete, even when the window existed for
    // a while.
    bool CreateHidden();

    // "N писем (M новых)" from the string table.
    static std::string FormatMailCount(int total, int fresh);
    // Tooltip, icon and blinking from two counts.
    void UpdateTray(int total, int fresh);
    // Modifies the tray icon: the icon when `setIcon`, the tooltip when
    // `tip` is not null (cut to 127 characters).
    virtual void SetTrayIcon(HICON icon, const char* tip, bool setIcon);
    // Recounts, updates the tray, carries out the strongest reaction among
    // the unseen messages and refreshes the windows.
    void RefreshAndNotify();

    // Handlers of the registered messages, also called directly.
    void OnThreadExiting(CAccount* account);
    void OnDropUnreadFlag(WPARAM remindLater);
    void OnAddError(std::unique_ptr<ErrorRecord> record);
    void OnClearMessages(CAccount* account);
    void OnAskPassword(CAccount* account);

    // Command ID_PAUSE.
    void OnPause();
    bool IsPaused() const { return m_pScheduler->IsPaused(); }
    // Commands ID_CHECK_ALL to ID_CHECK_ACCOUNT_LAST; a pause ends first
    // for every one that can start a check.
    void OnCheckNow(UINT id);
    // The tray popup as the tray menu shows it (caller destroys the menu
    // returned; the popup is its first submenu).
    HMENU BuildTrayMenu();
    // Timer 2.
    void OnIconTimer();

    CScheduler& Scheduler() { return *m_pScheduler; }
    ShellHost& Host() { return m_host; }

    // The modeless dialogs while their windows exist: each dialog clears
    // its pointer when its window is gone.
    CAboutDlg* m_pAboutDlg = nullptr;
    CSecondInstanceDlg* m_pSecondInstanceDlg = nullptr;
    CExitConfirmDlg* m_pExitConfirmDlg = nullptr;
    CErrorsDlg* m_pErrorsDlg = nullptr;
    CMailList* m_pMailList = nullptr;

    // The settings sheet while its window exists.
    SettingsWindow* m_pSettings = nullptr;

    // Rules made from a message (the message list and its header view) go
    // through the settings sheet.
    virtual bool CanCreateRule() const;
    // Opens or activates the settings sheet, whose rules page adds a rule
    // for the message's sender or subject; while one of the sheet's own
    // dialogs is open, says so (message 10022) instead.
    virtual void CreateRuleFromMessage(const CMessage& message, RuleField field);
    // Command ID_SETTINGS: the sheet, made when none is open, else brought forward.
    void OnSettings();

    // Tray state, as last set.
    HICON GetIcon(Icon icon) const { return m_icons[icon]; }
    HICON GetShownIcon() const { return m_hShownIcon; }
    const std::string& GetTrayTip() const { return m_strTrayTip; }
    bool IsBlinking() const { return m_bBlinking; }
    bool GetBlinkPhase() const { return m_bBlinkPhase; }
    int GetAnimationFrame() const { return m_nAnimationFrame; }

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMainFrame;

protected:
    bool PreCreateWindow(CREATESTRUCTA& cs) override;

    // WM_CREATE: the icons, the tray icon, the timers and the hot key;
    // WM_DESTROY takes them away again.
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);
    void OnDestroy();
    LRESULT OnTimer(WPARAM id, LPARAM lParam);

    // The windows and programs a reaction opens. The message list is made
    // when none is open (owned by the frame), else brought forward; it is
    // refilled after every check while it is open.
    virtual void ShowMailList();
    virtual void RefillMailList();
    virtual bool IsTipShown() const;
    virtual void ShowTip(const std::string& text);
    // The errors window, made when none is open (modeless, unowned), else
    // brought forward; filled either way. Refreshing fills it while it is open.
    virtual void ShowErrorsWindow();
    virtual void RefreshErrorsWindow();
    // The shell's default action on the mail program's path.
    virtual void StartMailer();
    // Posts the framework's exit command to the frame.
    virtual void RequestExit();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

private:
    // The registered messages and the other window messages.
    LRESULT OnIconClickMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnStartSecondInstanceMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnCheckInstanceMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnThreadExitingMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnDropUnreadFlagMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnAddErrorMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnClearMessagesMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnAskPasswordMessage(WPARAM wParam, LPARAM lParam);
    LRESULT OnHotKey(WPARAM wParam, LPARAM lParam);
    LRESULT OnMciNotify(WPARAM wParam, LPARAM lParam);

    // Commands and their update handlers.
    void OnMailList();
    void OnErrors();
    void OnStopSounds();
    void OnSilentMode();
    void OnExit();
    void OnAppAbout();
    void OnUpdateCheckNow(CCmdUI* ui);
    void OnUpdateSilentMode(CCmdUI* ui);
    void OnUpdatePause(CCmdUI* ui);

    void OnTrayMenu();
    CAccount* FindAccount(LPARAM lParam);
    int RunningChecks() const;

    ShellHost& m_host;
    std::unique_ptr<CScheduler> m_pScheduler;
    HICON m_icons[kIconCount] = {};
    HICON m_hShownIcon = nullptr;
    std::string m_strTrayTip;
    bool m_bTrayAdded = false;
    bool m_bBlinking = false;
    bool m_bBlinkPhase = false;
    int m_nAnimationFrame = 0;
    HWND m_hPasswordDlg = nullptr;  // the open password prompt, if any
};
