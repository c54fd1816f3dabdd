#include "postling/settings/PropertiesPage2.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "lumkit/LumMessages.h"
#include "lumkit/LumText.h"
#include "postling/message/Message.h"
#include "postling/message/RuleBook.h"
#include "postling/model/TextFormat.h"
#include "postling/shell/SoundSchemeDlg.h"

namespace {

constexpr int kFieldColumn = 0;
constexpr int kTextColumn = 1;
constexpr int kReactionColumn = 2;
// The default reaction box offers codes 1 to 5.
constexpr int kFirstDefault = ReactionNone;
constexpr int kLastDefault = ReactionMailer;

// The column's width, widened to its longest choice where the list's font
// needs more than `width` pixels.
int FittingWidth(HWND list, UINT choicesId, int width) {
    HDC dc = GetDC(list);
    if (!dc) return width;
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(list, WM_GETFONT, 0, 0)));
    const std::string choices = LoadStringResource(choicesId);
    for (int index = 0;; ++index) {
        const std::string choice = SubString(choices, index, '\n');
        if (choice.empty()) break;
        SIZE size = {};
        GetTextExtentPoint32A(dc, choice.c_str(), static_cast<int>(choice.size()), &size);
        // The painter leaves 3 pixels each side, the drop-down its arrow.
        const int needed = size.cx + 6 + GetSystemMetrics(SM_CXVSCROLL);
        if (needed > width) width = needed;
    }
    SelectObject(dc, old);
    ReleaseDC(list, dc);
    return width;
}

int ClampDefault(std::int32_t reaction) {
    return reaction < kFirstDefault ? kFirstDefault : reaction > kLastDefault ? kLastDefault : reaction;
}

}  // namespace

const CRuntimeClass CPropertiesPage2::classCPropertiesPage2 = {
    "CPropertiesPage2", sizeof(CPropertiesPage2), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CPropertiesPage2::GetRuntimeClass() const { return &classCPropertiesPage2; }

const MessageMapEntry CPropertiesPage2::messageEntries[] = {
    On::Command<&CPropertiesPage2::OnAdd>(ID_RULE_ADD),
    On::Command<&CPropertiesPage2::OnDelete>(ID_RULE_DELETE),
    On::Update<&CPropertiesPage2::OnUpdateDelete>(ID_RULE_DELETE),
    On::Command<&CPropertiesPage2::OnUp>(ID_RULE_UP),
    On::Update<&CPropertiesPage2::OnUpdateUp>(ID_RULE_UP),
    On::Command<&CPropertiesPage2::OnDown>(ID_RULE_DOWN),
    On::Update<&CPropertiesPage2::OnUpdateDown>(ID_RULE_DOWN),
    On::Command<&CPropertiesPage2::OnSounds>(IDC_RULES_SOUNDS),
    On::Control<&CPropertiesPage2::OnDefaultChanged>(CBN_SELCHANGE, IDC_RULES_DEFAULT),
    On::Registered<&CPropertiesPage2::OnEditFinished>(&LUMKIT_INPLACE_EDIT_FINISHED),
    On::Registered<&CPropertiesPage2::OnDragFinished>(&LUMKIT_DRAGDROP_FINISHED),
    On::End(),
};
const MessageMap CPropertiesPage2::messageMap = {&CLumPropertyPage::messageMap, CPropertiesPage2::messageEntries};

const MessageMap* CPropertiesPage2::GetMessageMap() const { return &messageMap; }

CPropertiesPage2::CPropertiesPage2(CRuleBook& book, CSounds* sounds, ProgramSettings* settings, HWND mainFrame)
    : CLumPropertyPage(IDD, 0), m_book(book), m_pSounds(sounds), m_pSettings(settings), m_hMainFrame(mainFrame) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

CPropertiesPage2::~CPropertiesPage2() {
    // The table and its editor go before the rules their rows point to.
    if (m_hWnd) DestroyWindow();
}

void CPropertiesPage2::CopyRulesFrom(const CRuleBook& book) { book.GetRules(m_rules, m_nDefaultReaction); }

void CPropertiesPage2::DoDataExchange(CDataExchange* dx) {
    CLumPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_RULES_TOOLBAR, m_toolbar);
    DDX_Control(dx, IDC_RULES_LIST, m_list);
    DDX_Control(dx, IDC_RULES_DEFAULT, m_default);
}

bool CPropertiesPage2::OnInitDialog() {
    CLumPropertyPage::OnInitDialog();
    m_toolbar.LoadToolbar(MAKEINTRESOURCEA(IDR_RULES));
    AddContextMenu(IDC_RULES_LIST, IDR_RULES, -1);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    // The order is the rules' order: no sorting, and fixed widths.
    m_list.m_bSaveColumns = FALSE;
    m_list.m_bDragEnabled = TRUE;

    const std::string headings = LoadStringResource(IDS_RULE_COLUMNS);
    m_list.InsertChoiceColumn(kFieldColumn, SubString(headings, 0, '\n').c_str(), LVCFMT_LEFT,
                              FittingWidth(m_list.m_hWnd, IDS_RULE_FIELDS, 80), -1, IDS_RULE_FIELDS);
    m_list.InsertEditColumn(kTextColumn, SubString(headings, 1, '\n').c_str(), LVCFMT_LEFT, 150, -1);
    m_list.InsertChoiceColumn(kReactionColumn, SubString(headings, 2, '\n').c_str(), LVCFMT_LEFT,
                              FittingWidth(m_list.m_hWnd, IDS_RULE_REACTIONS, 200), -1, IDS_RULE_REACTIONS);
    for (std::size_t index = 0; index < m_rules.GetCount(); ++index) FillRow(m_rules.GetAt(index));

    const std::string reactions = LoadStringResource(IDS_RULE_REACTIONS);
    for (int code = kFirstDefault; code <= kLastDefault; ++code) {
        const std::string name = SubString(reactions, code + 1, '\n');
        if (name.empty()) break;
        m_default.AddString(name.c_str());
    }
    m_nDefaultReaction = ClampDefault(m_nDefaultReaction);
    m_default.SetCurSel(m_nDefaultReaction - kFirstDefault);
    return true;
}

bool CPropertiesPage2::PreTranslateMessage(MSG* msg) {
    if (m_hWnd && !m_list.IsEditing()) {
        UINT command = 0;
        if (msg->message == WM_KEYDOWN) {
            if (msg->wParam == VK_INSERT) command = ID_RULE_ADD;
            else if (msg->wParam == VK_DELETE) command = ID_RULE_DELETE;
        } else if (msg->message == WM_SYSKEYDOWN && (msg->lParam & (1 << 29)) != 0 &&
                   msg->hwnd != m_default.m_hWnd) {
            // The default reaction box keeps Alt+Up and Alt+Down for its list.
            if (msg->wParam == VK_UP) command = ID_RULE_UP;
            else if (msg->wParam == VK_DOWN) command = ID_RULE_DOWN;
        }
        if (command) {
            PostMessage(WM_COMMAND, command, 0);
            return true;
        }
    }
    return CLumPropertyPage::PreTranslateMessage(msg);
}

int CPropertiesPage2::SelectedRow() const { return m_hWnd ? m_list.GetNextItem(-1, LVNI_SELECTED) : -1; }

CRule* CPropertiesPage2::RuleAt(int row) const {
    if (row < 0 || row >= m_list.GetItemCount()) return nullptr;
    auto* rule = reinterpret_cast<CRule*>(m_list.GetItemData(row));
    return m_rules.IndexOf(rule) >= 0 ? rule : nullptr;
}

int CPropertiesPage2::InsertRow(int row, CRule* rule) {
    return m_list.InsertItem(LVIF_TEXT | LVIF_PARAM, row, "", 0, 0, 0, reinterpret_cast<LPARAM>(rule));
}

int CPropertiesPage2::FillRow(CRule* rule) {
    int row = m_list.FindItemByData(reinterpret_cast<LPARAM>(rule));
    if (row < 0) row = InsertRow(m_list.GetItemCount(), rule);
    if (row < 0) return -1;
    const bool named = rule->m_nField == RuleFieldSender || rule->m_nField == RuleFieldSubject;
    m_list.SetItemText(row, kFieldColumn, named ? ResSubString(IDS_RULE_FIELDS, rule->m_nField, '\n').c_str() : "");
    m_list.SetItemText(row, kTextColumn, rule->m_strText.c_str());
    m_list.SetItemText(row, kReactionColumn, ResSubString(IDS_RULE_REACTIONS, rule->m_nAction + 1, '\n').c_str());
    return row;
}

int CPropertiesPage2::ShowRule(CRule* rule) {
    m_list.SetFocus();
    const int row = FillRow(rule);
    if (row < 0) return -1;
    m_list.EnsureVisible(row, false);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return row;
}

void CPropertiesPage2::MarkChanged() {
    m_bChanged = true;
    if (m_hWnd) SetModified(true);
}

void CPropertiesPage2::OnAdd() {
    if (m_list.IsEditing()) m_list.GetEditor()->DestroyWindow();
    auto made = std::make_unique<CRule>(RuleFieldSender, LoadStringResource(IDS_RULE_NEW_TEXT), ReactionDefault);
    const int selected = SelectedRow();
    CRule* rule = nullptr;
    if (selected < 0) {
        rule = m_rules.AddTail(std::move(made));
    } else {
        const int row = GetKeyState(VK_SHIFT) < 0 ? selected + 1 : selected;
        rule = m_rules.InsertBefore(RuleAt(row), std::move(made));
        InsertRow(row, rule);
    }
    const int row = ShowRule(rule);
    if (row >= 0) m_list.EditSubItem(row, kTextColumn);
    MarkChanged();
}

void CPropertiesPage2::OnDelete() {
    if (m_list.IsEditing()) m_list.GetEditor()->DestroyWindow();
    const int row = SelectedRow();
    CRule* rule = RuleAt(row);
    if (!rule) return;
    if (ShowMessage(IDS_RULE_DELETE_ASK, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    m_list.DeleteItem(row);
    m_rules.RemoveRule(rule, true);
    m_list.SetFocus();
    MarkChanged();
}

void CPropertiesPage2::MoveRule(int from, int to) {
    if (to < 0) to = 0;
    CRule* rule = RuleAt(from);
    // A rule put before itself stays where it is.
    if (!rule || from == to) return;
    if (m_list.IsEditing()) m_list.GetEditor()->DestroyWindow();
    CRule* before = to < m_list.GetItemCount() ? RuleAt(to) : nullptr;
    m_list.SendMessage(WM_SETREDRAW, FALSE, 0);
    m_list.DeleteItem(from);
    m_rules.RemoveRule(rule, false);
    std::unique_ptr<CRule> moving(rule);
    if (before) {
        m_rules.InsertBefore(before, std::move(moving));
        InsertRow(m_list.FindItemByData(reinterpret_cast<LPARAM>(before)), rule);
    } else {
        m_rules.AddTail(std::move(moving));
        InsertRow(m_list.GetItemCount(), rule);
    }
    ShowRule(rule);
    m_list.SendMessage(WM_SETREDRAW, TRUE, 0);
    ::RedrawWindow(m_list.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    MarkChanged();
}

void CPropertiesPage2::OnUp() {
    const int row = SelectedRow();
    if (row > 0) MoveRule(row, row - 1);
}

void CPropertiesPage2::OnDown() {
    const int row = SelectedRow();
    if (row >= 0 && row < m_list.GetItemCount() - 1) MoveRule(row, row + 2);
}

void CPropertiesPage2::OnUpdateDelete(CCmdUI* ui) { ui->Enable(SelectedRow() >= 0); }

void CPropertiesPage2::OnUpdateUp(CCmdUI* ui) { ui->Enable(SelectedRow() > 0); }

void CPropertiesPage2::OnUpdateDown(CCmdUI* ui) {
    const int row = SelectedRow();
    ui->Enable(row >= 0 && row < m_list.GetItemCount() - 1);
}

LRESULT CPropertiesPage2::OnDragFinished(WPARAM row, LPARAM position) {
    const int from = static_cast<int>(row);
    const int drop = static_cast<int>(position);
    if (from >= 0 && drop >= -1) MoveRule(from, drop + 1);
    return 0;
}

LRESULT CPropertiesPage2::OnEditFinished(WPARAM id, LPARAM lParam) {
    const auto* result = reinterpret_cast<const InplaceEditResult*>(lParam);
    if (id != IDC_RULES_LIST || !result) return 0;
    CRule* rule = RuleAt(result->item);
    if (!rule) return 0;
    const std::string text = result->text ? result->text : "";
    switch (result->column) {
    case kFieldColumn: {
        // A text that is no field name (a rule whose stored field has none)
        // leaves the field alone.
        const int field = ResFindSubString(IDS_RULE_FIELDS, text, '\n');
        if (field >= 0 && field != rule->m_nField) {
            rule->m_nField = field;
            MarkChanged();
        }
        break;
    }
    case kTextColumn: {
        // An empty text is refused: the rule keeps its text.
        const std::string trimmed = TrimSpaces(text);
        if (!trimmed.empty() && trimmed != rule->m_strText) {
            rule->m_strText = trimmed;
            MarkChanged();
        }
        break;
    }
    case kReactionColumn: {
        // Nothing chosen (a stored reaction that has no name) is no choice
        // of "delete on the server": the reaction stays.
        const int line = ResFindSubString(IDS_RULE_REACTIONS, text, '\n');
        if (line >= 0 && line - 1 != rule->m_nAction) {
            rule->m_nAction = line - 1;
            MarkChanged();
        }
        break;
    }
    default:
        break;
    }
    FillRow(rule);
    return 0;
}

void CPropertiesPage2::OnDefaultChanged() {
    const int selected = m_default.GetCurSel();
    if (selected < 0 || selected + kFirstDefault == m_nDefaultReaction) return;
    m_nDefaultReaction = selected + kFirstDefault;
    MarkChanged();
}

void CPropertiesPage2::AddRuleFromMessage(const CMessage& message, int kind) {
    auto made = kind == 0 ? std::make_unique<CRule>(RuleFieldSender, message.m_strSenderAddress, ReactionDefault)
                          : std::make_unique<CRule>(RuleFieldSubject, message.m_strSubject, ReactionDefault);
    if (m_hWnd && m_list.IsEditing()) m_list.GetEditor()->DestroyWindow();
    CRule* rule = m_rules.AddTail(std::move(made));
    if (m_hWnd) {
        const int row = ShowRule(rule);
        if (row >= 0) m_list.EditSubItem(row, kReactionColumn);
    }
    MarkChanged();
}

void CPropertiesPage2::ApplyTo(CRuleBook& book) {
    if (!m_bChanged) return;
    if (m_hWnd && m_default.GetCurSel() >= 0) m_nDefaultReaction = m_default.GetCurSel() + kFirstDefault;
    book.SetRules(m_rules, ClampDefault(m_nDefaultReaction));
    m_bChanged = false;
}

bool CPropertiesPage2::OnApply() {
    ApplyTo(m_book);
    return CLumPropertyPage::OnApply();
}

void CPropertiesPage2::OnSounds() {
    if (!m_pSounds || !m_pSettings) return;
    CSoundSchemeDlg dialog(*m_pSounds, *m_pSettings, this, m_hMainFrame);
    dialog.DoModal();
}
