#include "postling/shell/MailList.h"

#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <ctime>
#include <string>

#include "framework/FrameworkIds.h"
#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "lumkit/LumHelp.h"
#include "lumkit/LumText.h"
#include "postling/message/RuleBook.h"
#include "postling/model/Account.h"
#include "postling/model/AccountList.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/TextFormat.h"
#include "postling/res/resource.h"
#include "postling/shell/HeaderDlg.h"
#include "postling/shell/MainFrame.h"
#include "postling/shell/RegisteredMessages.h"

namespace {

constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// The columns' alignment and first width, in CMailListCtrl::Column order;
// the times and the account's heading fit whole in this font.
const struct {
    int format;
    int width;
} kColumns[CMailListCtrl::kColumnCount] = {
    {LVCFMT_LEFT, 100}, {LVCFMT_LEFT, 200}, {LVCFMT_CENTER, 112},
    {LVCFMT_CENTER, 112}, {LVCFMT_LEFT, 112}, {LVCFMT_RIGHT, 80},
};

// The row images by Image, from icons of the resource chain. The read row
// shows the tray's plain envelope and the new one its new-mail envelope.
constexpr UINT kImageIcons[] = {IDI_NORMAL, IDI_NEWMAIL, IDI_MARKED, IDI_MARKED_NEW};

// The hourglass until the end of the scope.
class WaitCursor {
public:
    WaitCursor() : m_previous(SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
    ~WaitCursor() { SetCursor(m_previous); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR m_previous;
};

}  // namespace

const char CMailList::kPlacementSection[] = "Mail window";
const char CMailList::kSettingsSection[] = "Settings";
const char CMailList::kSortOrderEntry[] = "Mail List Sort Order";

const CRuntimeClass CMailList::classCMailList = {"CMailList", sizeof(CMailList), &CFrameWnd::classCFrameWnd,
                                                 nullptr};

const CRuntimeClass* CMailList::GetRuntimeClass() const { return &classCMailList; }

const MessageMapEntry CMailList::messageEntries[] = {
    On::Message<&CMailList::OnCreate>(WM_CREATE),
    On::Message<&CMailList::OnDestroy>(WM_DESTROY),
    On::Message<&CMailList::OnSysCommand>(WM_SYSCOMMAND),
    On::Message<&CMailList::OnSetFocus>(WM_SETFOCUS),
    On::Message<&CMailList::OnContextMenu>(WM_CONTEXTMENU),
    On::Message<&CMailList::OnNotifyFormat>(WM_NOTIFYFORMAT),
    On::Notify<&CMailList::OnListDoubleClick>(NM_DBLCLK, AFX_IDW_PANE_FIRST),
    On::Command<&CMailList::OnMailer>(ID_MAILLIST_MAILER),
    On::Update<&CMailList::OnUpdateMailer>(ID_MAILLIST_MAILER),
    On::Command<&CMailList::OnRemindLater>(ID_MAILLIST_REMIND_LATER),
    On::Command<&CMailList::OnCheckAll>(ID_CHECK_ALL),
    On::Command<&CMailList::OnCloseWindow>(ID_MAILLIST_CLOSE),
    On::Command<&CMailList::OnHeader>(ID_MAILLIST_HEADER),
    On::Update<&CMailList::OnUpdateNeedsSelection>(ID_MAILLIST_HEADER),
    On::Command<&CMailList::OnMark>(ID_MAILLIST_MARK),
    On::Update<&CMailList::OnUpdateNeedsSelection>(ID_MAILLIST_MARK),
    On::Command<&CMailList::OnDeleteMarked>(ID_MAILLIST_DELETE_MARKED),
    On::Update<&CMailList::OnUpdateDeleteMarked>(ID_MAILLIST_DELETE_MARKED),
    On::Command<&CMailList::OnRuleFromSender>(ID_RULE_FROM_SENDER),
    On::Update<&CMailList::OnUpdateRule>(ID_RULE_FROM_SENDER),
    On::Command<&CMailList::OnRuleFromSubject>(ID_RULE_FROM_SUBJECT),
    On::Update<&CMailList::OnUpdateRule>(ID_RULE_FROM_SUBJECT),
    On::Command<&CMailList::OnStopSounds>(ID_STOP_SOUNDS),
    On::Command<&CMailList::OnAbout>(ID_APP_ABOUT),
    On::Command<&CMailList::OnMinimize>(ID_MAILLIST_MINIMIZE),
    On::End(),
};
const MessageMap CMailList::messageMap = {&CFrameWnd::messageMap, CMailList::messageEntries};

const MessageMap* CMailList::GetMessageMap() const { return &messageMap; }

CMailList::CMailList(CMainFrame* owner) : m_pOwner(owner) {}

CMailList::~CMailList() = default;

bool CMailList::Open() {
    if (!LoadFrame(IDR_MAILLIST, WS_OVERLAPPEDWINDOW, m_pOwner)) return false;
    SetWindowText(LoadStringResource(IDS_MAILLIST_TITLE).c_str());
    return true;
}

void CMailList::Present() {
    HWND popup = ::GetLastActivePopup(m_hWnd);
    ::SetForegroundWindow(popup);
    ShowWindow(m_nShowCommand);
    m_nShowCommand = SW_SHOW;
    // An open header dialog keeps the focus.
    if (popup == m_hWnd) SetFocus();
    Invalidate();
    UpdateWindow();
    if (::IsIconic(m_hWnd)) ShowWindow(SW_RESTORE);
}

bool CMailList::PreCreateWindow(CREATESTRUCTA& cs) {
    if (!CFrameWnd::PreCreateWindow(cs)) return false;
    LPCSTR icon = MAKEINTRESOURCEA(IDI_NEWMAIL);
    if (HINSTANCE module = AfxFindResourceHandle(icon, RT_GROUP_ICON)) m_hClassIcon = ::LoadIconA(module, icon);
    cs.lpszClass = AfxRegisterWndClass(CS_DBLCLKS, nullptr, nullptr, m_hClassIcon);
    // The list has its own edge. Owned by the hidden main frame, the window
    // still needs its own taskbar button to come back from minimised.
    cs.dwExStyle = (cs.dwExStyle & ~static_cast<DWORD>(WS_EX_CLIENTEDGE)) | WS_EX_APPWINDOW;
    return cs.lpszClass != nullptr;
}

LRESULT CMailList::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    CWinApp* app = AfxGetApp();
    auto profileInt = [app](const char* section, const char* entry, int value) {
        return app ? app->GetProfileInt(section, entry, value) : value;
    };

    // The stored normal rectangle; the window stays hidden until Present.
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(m_hWnd, &placement);
    RECT rect = placement.rcNormalPosition;
    rect.left = profileInt(kPlacementSection, "Left", rect.left);
    rect.right = profileInt(kPlacementSection, "Righr", rect.right);
    rect.top = profileInt(kPlacementSection, "Top", rect.top);
    rect.bottom = profileInt(kPlacementSection, "Bottom", rect.bottom);
    // A stored rectangle without area, larger than the screens or on none
    // of them would put the window out of reach.
    const long long width = static_cast<long long>(rect.right) - rect.left;
    const long long height = static_cast<long long>(rect.bottom) - rect.top;
    if (width > 0 && height > 0 && width <= GetSystemMetrics(SM_CXVIRTUALSCREEN) &&
        height <= GetSystemMetrics(SM_CYVIRTUALSCREEN) && MonitorFromRect(&rect, MONITOR_DEFAULTTONULL))
        placement.rcNormalPosition = rect;
    placement.showCmd = SW_HIDE;
    placement.flags = 0;
    SetWindowPlacement(m_hWnd, &placement);
    m_nShowCommand = profileInt(kPlacementSection, "Zoomed", 0) ? SW_SHOWMAXIMIZED : SW_SHOW;

    const RECT none = {0, 0, 0, 0};
    if (!m_list.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHAREIMAGELISTS,
                         none.left, none.top, 0, 0, m_hWnd,
                         reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST))))
        return -1;
    if (!m_toolBar.CreateEx(this, TBSTYLE_FLAT,
                            WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY) ||
        !m_toolBar.LoadToolBar(IDR_MAILLIST))
        return -1;
    if (!m_statusBar.Create(this) ||
        !m_statusBar.SetIndicators(kIndicators, static_cast<int>(sizeof kIndicators / sizeof kIndicators[0])))
        return -1;
    m_toolBar.EnableDocking(CBRS_ALIGN_ANY);
    EnableDocking(CBRS_ALIGN_ANY);
    DockControlBar(&m_toolBar);
    LoadBarState(kSettingsSection);

    if (m_images.Create(16, 16, ILC_COLOR4 | ILC_MASK, 4, 0)) {
        for (UINT id : kImageIcons) {
            LPCSTR name = MAKEINTRESOURCEA(id);
            HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
            HICON icon = module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0)) : nullptr;
            m_images.Add(icon);
            if (icon) DestroyIcon(icon);
        }
        m_list.SetImageList(m_images.GetSafeHandle(), LVSIL_SMALL);
    }
    m_list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);

    for (int column = 0; column < CMailListCtrl::kColumnCount; ++column)
        m_list.InsertColumn(column, ResSubString(IDS_MAILLIST_COLUMNS, column, '\n').c_str(),
                            kColumns[column].format, kColumns[column].width);
    m_list.LoadColumns();
    m_list.EnableSort(TRUE, TRUE);

    const std::string order =
        app ? app->GetProfileString(kSettingsSection, kSortOrderEntry, "1,0") : std::string("1,0");
    int column = SubStringToInt(order, 0, ',');
    if (column < 0) column = 0;
    if (column >= CMailListCtrl::kColumnCount) column = CMailListCtrl::kColumnCount - 1;
    m_list.SortItems(column, SubStringToInt(order, 1, ',') != 0 ? TRUE : FALSE);
    RecalcLayout();
    return 0;
}

void CMailList::OnDestroy() {
    if (CWinApp* app = AfxGetApp()) {
        WINDOWPLACEMENT placement = {};
        placement.length = sizeof placement;
        GetWindowPlacement(m_hWnd, &placement);
        const RECT& rect = placement.rcNormalPosition;
        app->WriteProfileInt(kPlacementSection, "Left", rect.left);
        app->WriteProfileInt(kPlacementSection, "Righr", rect.right);
        app->WriteProfileInt(kPlacementSection, "Top", rect.top);
        app->WriteProfileInt(kPlacementSection, "Bottom", rect.bottom);
        // Minimised from maximised counts as maximised.
        const bool zoomed = ::IsZoomed(m_hWnd) ||
                            (::IsIconic(m_hWnd) && (placement.flags & WPF_RESTORETOMAXIMIZED));
        app->WriteProfileInt(kPlacementSection, "Zoomed", zoomed ? 1 : 0);
        SaveBarState(kSettingsSection);
        const std::string order =
            std::to_string(m_list.GetSortColumn()) + "," + std::to_string(m_list.IsSortDescending() ? 1 : 0);
        app->WriteProfileString(kSettingsSection, kSortOrderEntry, order.c_str());
    }
    Default();
}

void CMailList::PostNcDestroy() {
    if (m_pOwner && m_pOwner->m_pMailList == this) m_pOwner->m_pMailList = nullptr;
    CFrameWnd::PostNcDestroy();  // deletes the object and its copies
}

bool CMailList::OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui) {
    if (m_list.m_hWnd && m_list.OnCmdMsg(id, action, ui)) return true;
    return CFrameWnd::OnCmdMsg(id, action, ui);
}

// ---- The rows ----

int CMailList::ImageOf(const CMessage& message) {
    return (message.m_bDeleteMark ? kImageMarked : kImageRead) + (message.m_bSeen == 0 ? 1 : 0);
}

CMessage* CMailList::GetSelectedMessage() {
    if (!m_list.m_hWnd) return nullptr;
    const int index = m_list.GetNextItem(-1, LVNI_SELECTED);
    return index < 0 ? nullptr : reinterpret_cast<CMessage*>(m_list.GetItemData(index));
}

void CMailList::RefreshList() {
    WaitCursor wait;
    std::string selectedId, selectedAccount;
    const CMessage* selectedCopy = GetSelectedMessage();
    const bool selected = selectedCopy != nullptr;  // the copy goes below
    if (selected) {
        selectedId = selectedCopy->m_strMessageId;
        selectedAccount = selectedCopy->m_strAccount;
    }

    // The rows go before the copies they point at.
    m_list.SendMessage(WM_SETREDRAW, FALSE);
    m_list.DeleteAllItems();
    m_messages.clear();
    for (auto& account : m_pOwner->Host().GetAccounts()) {
        std::lock_guard<std::recursive_mutex> lock(account->m_lock);
        for (const auto& message : account->m_messages) {
            auto copy = std::make_unique<CMessage>(*message);
            copy->m_strAccount = account->m_strName;
            m_messages.push_back(std::move(copy));
        }
    }

    CRuleBook& rules = m_pOwner->Host().GetRules();
    const bool anyMarks = rules.GetMarkCount() > 0;
    std::vector<std::string> kept;
    const CMessage* reselect = nullptr;
    bool sameAccount = false;
    m_list.SetItemCount(static_cast<int>(m_messages.size()));
    for (const auto& copy : m_messages) {
        copy->m_bDeleteMark = anyMarks && rules.HasMark(copy->m_strMessageId) ? 1 : 0;
        if (copy->m_bDeleteMark) kept.push_back(copy->m_strMessageId);
        m_list.AddRow(copy.get(), ImageOf(*copy));
        // The same message of the same account, else the first with its identifier.
        if (selected && copy->m_strMessageId == selectedId && !sameAccount) {
            if (copy->m_strAccount == selectedAccount) {
                reselect = copy.get();
                sameAccount = true;
            } else if (!reselect) {
                reselect = copy.get();
            }
        }
    }
    // Marks of messages no longer listed go.
    rules.ReplaceMarks(kept);
    m_list.SendMessage(WM_SETREDRAW, TRUE);

    const int column = m_list.GetSortColumn();
    if (column >= 0)
        m_list.SortItems(column, m_list.IsSortDescending());
    else
        m_list.SortItems(0, FALSE);
    if (reselect) {
        const int row = m_list.FindItemByData(reinterpret_cast<LPARAM>(reselect));
        if (row >= 0) {
            m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
            m_list.EnsureVisible(row, false);
        }
    }
    m_list.Invalidate();
}

// ---- Window messages ----

void CMailList::PostDropUnreadFlag(WPARAM remindLater) {
    if (m_pOwner && m_pOwner->m_hWnd)
        ::PostMessageA(m_pOwner->m_hWnd, RegisteredMessages::Get().dropUnreadFlag, remindLater, 0);
}

LRESULT CMailList::OnSysCommand(WPARAM wParam, LPARAM) {
    const UINT command = static_cast<UINT>(wParam & 0xFFF0);
    if (command == SC_MINIMIZE) {
        PostDropUnreadFlag(0);
    } else if (command == SC_CLOSE) {
        PostDropUnreadFlag(m_bRemindLater ? 1 : 0);
        m_bRemindLater = false;
    }
    return Default();
}

void CMailList::OnSetFocus() {
    if (m_list.m_hWnd) m_list.SetFocus();
}

// The list asks for its texts in Unicode, so that header texts, decoded
// into code page 1251, show as they are whatever the system's code page.
LRESULT CMailList::OnNotifyFormat(WPARAM from, LPARAM command) {
    if (command == NF_QUERY && ::GetDlgCtrlID(reinterpret_cast<HWND>(from)) == AFX_IDW_PANE_FIRST) return NFR_UNICODE;
    return Default();
}

LRESULT CMailList::OnContextMenu(WPARAM, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    // From the keyboard (-1, -1) in the list: at the selected row, or at
    // the list's corner.
    if (point.x == -1 && point.y == -1) {
        if (::GetFocus() != m_list.m_hWnd) return Default();
        RECT rect = {};
        const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
        if (row < 0 || !m_list.GetItemRect(row, &rect, LVIR_LABEL)) m_list.GetClientRect(&rect);
        point = {rect.left + 8, rect.bottom};
        ::ClientToScreen(m_list.m_hWnd, &point);
        ShowContextMenu(point);
        return 0;
    }
    if (DeepChildFromPoint(m_hWnd, point) != m_list.m_hWnd) return Default();
    ShowContextMenu(point);
    return 0;
}

void CMailList::ShowContextMenu(POINT screen) {
    LPCSTR name = MAKEINTRESOURCEA(IDR_MAILLIST_MENU);
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    HMENU menu = module ? LoadMenuA(module, name) : nullptr;
    if (!menu) return;
    if (HMENU popup = GetSubMenu(menu, 0)) {
        SetMenuDefaultItem(popup, ID_MAILLIST_HEADER, FALSE);
        TrackPopupMenu(popup, TPM_RIGHTBUTTON, screen.x, screen.y, 0, m_hWnd, nullptr);
    }
    DestroyMenu(menu);
}

void CMailList::OnListDoubleClick(NMHDR* header, LRESULT* result) {
    const auto* activate = reinterpret_cast<const NMITEMACTIVATE*>(header);
    if (activate->iItem >= 0) PostMessage(WM_COMMAND, ID_MAILLIST_HEADER, 0);
    *result = 0;
}

// ---- Commands ----

void CMailList::OnMailer() {
    const std::string& mailer = m_pOwner->Host().GetSettings().m_strMailer;
    if (mailer.empty()) return;
    ShellExecuteA(m_hWnd, "open", mailer.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CMailList::OnUpdateMailer(CCmdUI* ui) { ui->Enable(!m_pOwner->Host().GetSettings().m_strMailer.empty()); }

// The commands that close the window post the close: a toolbar button
// that sent the command is still in its handler, and the window's bars
// go with the window.
void CMailList::OnRemindLater() {
    m_bRemindLater = true;
    PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CMailList::OnCheckAll() { ::PostMessageA(m_pOwner->m_hWnd, WM_COMMAND, ID_CHECK_ALL, 0); }

void CMailList::OnStopSounds() { ::PostMessageA(m_pOwner->m_hWnd, WM_COMMAND, ID_STOP_SOUNDS, 0); }

void CMailList::OnAbout() { ::PostMessageA(m_pOwner->m_hWnd, WM_COMMAND, ID_APP_ABOUT, 0); }

void CMailList::OnCloseWindow() { PostMessage(WM_SYSCOMMAND, SC_CLOSE, 0); }

void CMailList::OnMinimize() { PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0); }

void CMailList::OnUpdateNeedsSelection(CCmdUI* ui) { ui->Enable(GetSelectedMessage() != nullptr); }

void CMailList::OnHeader() {
    CMessage* message = GetSelectedMessage();
    if (!message) return;
    CHeaderDlg dialog(this);
    dialog.m_pMessage = message;
    CMainFrame* frame = m_pOwner;
    dialog.m_ruleHook = [frame](const CMessage& shown, RuleField field) {
        frame->CreateRuleFromMessage(shown, field);
    };
    dialog.DoModal();
}

void CMailList::OnMark() {
    CMessage* message = GetSelectedMessage();
    if (!message) return;
    CRuleBook& rules = m_pOwner->Host().GetRules();
    std::int32_t marked;
    if (message->m_bDeleteMark) {
        rules.RemoveMark(message->m_strMessageId);
        marked = 0;
    } else {
        // A message without an identifier cannot be told apart on the
        // server: it takes no mark.
        marked = rules.AddMark(message->m_strMessageId) ? 1 : 0;
    }
    // Marks go by identifier: every row of that message shows it.
    for (const auto& copy : m_messages) {
        if (copy.get() != message && (copy->m_strMessageId.empty() || copy->m_strMessageId != message->m_strMessageId))
            continue;
        copy->m_bDeleteMark = marked;
        LVITEMA item = {};
        item.mask = LVIF_IMAGE;
        item.iItem = m_list.FindItemByData(reinterpret_cast<LPARAM>(copy.get()));
        item.iImage = ImageOf(*copy);
        if (item.iItem >= 0) m_list.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void CMailList::OnDeleteMarked() {
    CAccountList& accounts = m_pOwner->Host().GetAccounts();
    std::vector<std::size_t> owners;  // account indexes, without repeats
    for (const auto& copy : m_messages) {
        if (!copy->m_bDeleteMark) continue;
        for (std::size_t i = 0; i < accounts.GetCount(); ++i) {
            if (accounts[i].m_strName != copy->m_strAccount) continue;
            if (std::find(owners.begin(), owners.end(), i) == owners.end()) owners.push_back(i);
            break;  // the first account of that name
        }
    }
    bool busy = false;
    for (std::size_t index : owners) {
        if (accounts[index].IsBusy()) {
            busy = true;
            continue;
        }
        // The tray's check-now path: the scheduler keeps the account's state.
        if (ID_CHECK_ACCOUNT_FIRST + index <= ID_CHECK_ACCOUNT_LAST)
            m_pOwner->OnCheckNow(static_cast<UINT>(ID_CHECK_ACCOUNT_FIRST + index));
    }
    if (busy) MessageBox(LoadStringResource(IDS_MAILLIST_BUSY).c_str(), nullptr, MB_OK | MB_ICONEXCLAMATION);
}

void CMailList::OnUpdateDeleteMarked(CCmdUI* ui) {
    bool any = false;
    for (const auto& copy : m_messages) any = any || copy->m_bDeleteMark;
    ui->Enable(any);
}

void CMailList::CreateRule(std::int32_t field) {
    CMessage* message = GetSelectedMessage();
    if (message && m_pOwner->CanCreateRule()) m_pOwner->CreateRuleFromMessage(*message, static_cast<RuleField>(field));
}

void CMailList::OnRuleFromSender() { CreateRule(RuleFieldSender); }

void CMailList::OnRuleFromSubject() { CreateRule(RuleFieldSubject); }

void CMailList::OnUpdateRule(CCmdUI* ui) { ui->Enable(GetSelectedMessage() != nullptr && m_pOwner->CanCreateRule()); }
