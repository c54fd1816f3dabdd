// The rules page in a real property sheet run modally, with five rules. A
// driver thread acts as the user does, with posted clicks, drags and keys,
// answers the page's questions and reads what the windows show; the page's
// own state is read on its thread. What was seen is checked after the sheet
// has ended. RULES_SHOT_DIR (a Windows path): the driver writes NAME.ready
// there at the moments worth a look and waits for NAME.done, so that a
// script can take a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "framework/WinApp.h"
#include "lumkit/LumPropertySheet.h"
#include "lumkit/LumRegistry.h"
#include "postling/message/Message.h"
#include "postling/message/RuleBook.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/RegistryProfileStore.h"
#include "postling/res/resource.h"
#include "postling/settings/PropertiesPage2.h"
#include "postling/settings/tests/win/UiDriver.h"
#include "postling/shell/Sounds.h"

namespace {

using ui_driver::Cp1251;
using ui_driver::Text;
using ui_driver::Enabled;
using ui_driver::WaitActive;
using ui_driver::WaitGone;

const std::string kSheetTitle = Cp1251("Настройки");
const std::string kSender = Cp1251("Отправитель:");
const std::string kSubject = Cp1251("Тема:");
const std::string kByDefault = Cp1251("Реакция по умолчанию");
const std::string kNewText = Cp1251("<текст>");
const char kTestRoot[] = "Software\\Postling Tests\\Rules Page";

// ---- The page's thread: work handed to it by the driver ----

std::mutex g_queueLock;
std::deque<std::packaged_task<void()>> g_queue;

void CALLBACK RunQueued(HWND, UINT, UINT_PTR, DWORD) {
    std::deque<std::packaged_task<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(g_queueLock);
        tasks.swap(g_queue);
    }
    for (auto& task : tasks) task();
}

// Runs `work` on the thread of the sheet and waits for it.
void OnPageThread(std::function<void()> work) {
    std::packaged_task<void()> task(std::move(work));
    std::future<void> done = task.get_future();
    {
        std::lock_guard<std::mutex> lock(g_queueLock);
        g_queue.push_back(std::move(task));
    }
    done.wait_for(std::chrono::seconds(5));
}

// ---- What the driver does and sees ----

void Settle() { Sleep(200); }

std::string Cell(HWND list, int row, int column) {
    char buffer[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return buffer;
}

// The texts of the rules, top to bottom.
std::vector<std::string> Texts(HWND list) {
    std::vector<std::string> texts;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) texts.push_back(Cell(list, row, 1));
    return texts;
}

int Selected(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

POINT CellCentre(HWND list, int row, int column) {
    RECT rect = {};
    rect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    for (int c = 0; c < column; ++c) rect.left += static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, c, 0));
    const int width = static_cast<int>(SendMessageA(list, LVM_GETCOLUMNWIDTH, column, 0));
    return {rect.left + width / 2, (rect.top + rect.bottom) / 2};
}

void ClickAt(HWND window, POINT at) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
    Settle();
}

void Click(HWND window) {
    RECT rect = {};
    GetClientRect(window, &rect);
    ClickAt(window, {rect.right / 2, rect.bottom / 2});
}

// A click on a cell: selects its row, or opens the cell's editor when the
// row is selected already.
void ClickCell(HWND list, int row, int column) { ClickAt(list, CellCentre(list, row, column)); }

void SetShift(bool down) {
    OnPageThread([down] {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = keys[VK_LSHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    });
}

void Key(HWND window, UINT vk, bool shift = false) {
    if (shift) SetShift(true);
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Settle();
    if (shift) SetShift(false);
}

// Up or Down with Alt held: system keys with the context bit.
void AltKey(HWND window, UINT vk) {
    PostMessageA(window, WM_SYSKEYDOWN, vk, static_cast<LPARAM>(1u | 1u << 29));
    PostMessageA(window, WM_SYSKEYUP, vk, static_cast<LPARAM>(0xE0000001u));
    Settle();
}

// Types `text` as characters, replacing what the edit box held. Latin
// letters only: a character posted from another thread is converted in the
// keyboard's code page, which is not 1251 under Xvfb.
void Type(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (char c : text) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 1);
    Settle();
}

// The open in-place editor of the table and its class, or null.
HWND Editor(HWND list, std::string* kind = nullptr) {
    for (HWND child = GetWindow(list, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = {};
        GetClassNameA(child, name, sizeof name);
        if (lstrcmpiA(name, "Edit") == 0 || lstrcmpiA(name, "ComboBox") == 0) {
            if (kind) *kind = name;
            return child;
        }
    }
    return nullptr;
}

// The column whose cell of `row` the window covers, or -1.
int EditedColumn(HWND list, HWND editor, int row) {
    RECT rect = {};
    GetWindowRect(editor, &rect);
    for (int column = 0; column < 3; ++column) {
        POINT at = CellCentre(list, row, column);
        ClientToScreen(list, &at);
        if (PtInRect(&rect, at)) return column;
    }
    return -1;
}

struct Rule {
    int field;
    std::string text;
    int action;
    bool operator==(const Rule& o) const { return field == o.field && text == o.text && action == o.action; }
};

std::ostream& operator<<(std::ostream& out, const Rule& r) {
    return out << "{" << r.field << ", " << r.text << ", " << r.action << "}";
}

std::vector<Rule> Contents(const CRuleList& list) {
    std::vector<Rule> rules;
    for (std::size_t i = 0; i < list.GetCount(); ++i) {
        const CRule* rule = list.GetAt(i);
        rules.push_back({rule->m_nField, rule->m_strText, rule->m_nAction});
    }
    return rules;
}

std::vector<std::string> TextsOf(const std::vector<Rule>& rules) {
    std::vector<std::string> texts;
    for (const Rule& rule : rules) texts.push_back(rule.text);
    return texts;
}

// The rule texts under the registry's Rules key, by key number.
std::vector<std::string> StoredTexts() {
    std::vector<std::string> texts;
    for (int index = 0;; ++index) {
        char path[256];
        wsprintfA(path, "%s\\Rules\\Rule %03d", kTestRoot, index);
        char text[256] = {};
        DWORD size = sizeof text;
        if (RegGetValueA(HKEY_CURRENT_USER, path, "Text", RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
            return texts;
        texts.push_back(text);
    }
}

// The five rules every test starts from, and the default reaction 3.
const std::vector<Rule> kFive = {
    {RuleFieldSender, "ivan@mail.ru", ReactionDefault},
    {RuleFieldSubject, Cp1251("Отчет"), ReactionTip},
    {RuleFieldSender, "spam@bad.example", ReactionDelete},
    {RuleFieldSubject, Cp1251("Счет на оплату"), ReactionMailer},
    {RuleFieldSender, Cp1251("Петр Сидоров"), ReactionMailList},
};

// The settings sheet's stand-in: the library's sheet, as the program
// derives its sheet from it.
class Sheet : public CLumPropertySheet {
public:
    using CLumPropertySheet::CLumPropertySheet;
};

class RulesPageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { app_ = new CWinApp("RulesPageTest"); }
    static void TearDownTestSuite() {
        delete app_;
        app_ = nullptr;
    }

    void SetUp() override {
        CRuleList rules;
        for (const Rule& rule : kFive) rules.AddTail(std::make_unique<CRule>(rule.field, rule.text, rule.action));
        book_.SetRules(rules, ReactionTip);
    }

    std::vector<Rule> BookRules() const {
        CRuleList rules;
        std::int32_t defaultReaction = 0;
        book_.GetRules(rules, defaultReaction);
        return Contents(rules);
    }

    // Runs the sheet with the page on the book's rules while `driver` acts
    // on the page's window and its table; the sheet's result.
    INT_PTR Run(const std::function<void(HWND page, HWND list)>& driver) {
        Sheet sheet(kSheetTitle.c_str());
        page_ = std::make_unique<CPropertiesPage2>(book_, &sounds_, &settings_, nullptr);
        page_->CopyRulesFrom(book_);
        sheet.AddPage(page_.get());
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, RunQueued);
        std::thread worker([&] {
            HWND page = nullptr;
            for (int i = 0; i < 500 && !(page = page_->m_hWnd); ++i) Sleep(10);
            if (!page) return;
            WaitActive(GetParent(page));
            driver(page, GetDlgItem(page, IDC_RULES_LIST));
        });
        const INT_PTR result = sheet.DoModal();
        worker.join();
        KillTimer(nullptr, timer);
        return result;
    }

    // The page's working copy, read on its thread.
    std::vector<Rule> PageRules() {
        std::vector<Rule> rules;
        OnPageThread([&] { rules = Contents(page_->m_rules); });
        return rules;
    }

    static void Close(HWND page, int button) {
        Click(GetDlgItem(GetParent(page), button));
    }

    static CWinApp* app_;
    CRuleBook book_;
    CSounds sounds_{"", nullptr};
    ProgramSettings settings_;
    std::unique_ptr<CPropertiesPage2> page_;
};
CWinApp* RulesPageTest::app_ = nullptr;

}  // namespace

// Ins puts a new rule before the selected row, Shift+Ins after it; the
// text's editor opens on it and what is typed there becomes its text (a
// cancelled edit leaves "<текст>"). Delete asks first: No keeps the rule,
// Yes removes it. OK writes the rules into the book, and the book saves them
// to the registry in that order.
TEST_F(RulesPageTest, InsertAddsAroundTheSelectionDeleteAsksAndOkAppliesInOrder) {
    struct Case {
        bool shift;
        int row;             // where the new rule lands
        std::string typed;   // empty: Escape
    };
    const Case cases[] = {{false, 2, "  news@site.example "}, {true, 3, ""}};
    struct Seen {
        int row = -1, editedColumn = -1, selected = -1;
        std::string editorClass, field, reaction;
        std::vector<std::string> texts;
    };
    std::vector<Seen> seen;
    std::string question;
    std::vector<std::string> afterNo, afterYes;
    std::vector<Rule> pageRules;

    const INT_PTR result = Run([&](HWND, HWND list) {
        for (const Case& c : cases) {
            Seen s;
            ClickCell(list, 2, 1);
            Key(list, VK_INSERT, c.shift);
            s.selected = Selected(list);
            HWND editor = Editor(list, &s.editorClass);
            s.editedColumn = editor ? EditedColumn(list, editor, s.selected) : -1;
            if (editor && !c.typed.empty()) {
                Type(editor, c.typed);
                Key(editor, VK_RETURN);
            } else if (editor) {
                Key(editor, VK_ESCAPE);
            }
            s.texts = Texts(list);
            s.field = Cell(list, s.selected, 0);
            s.reaction = Cell(list, s.selected, 2);
            seen.push_back(s);
            if (&c == &cases[0]) {
                Key(list, VK_DELETE);
                question = ui_driver::AnswerMessageBox(IDNO, true);
                afterNo = Texts(list);
                Key(list, VK_DELETE);
                ui_driver::AnswerMessageBox(IDYES, true);
                afterYes = Texts(list);
            }
        }
        pageRules = PageRules();
        Close(GetParent(list), IDOK);
    });

    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seen.size(), 2u);
    std::vector<std::string> texts = TextsOf(kFive);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        const Case& c = cases[i];
        std::vector<std::string> expected = texts;
        expected.insert(expected.begin() + c.row, c.typed.empty() ? kNewText : "news@site.example");
        EXPECT_EQ(seen[i].selected, c.row);
        EXPECT_EQ(seen[i].editorClass, "Edit");
        EXPECT_EQ(seen[i].editedColumn, 1);
        EXPECT_EQ(seen[i].texts, expected);
        EXPECT_EQ(seen[i].field, kSender);
        EXPECT_EQ(seen[i].reaction, kByDefault);
    }
    EXPECT_EQ(question, Cp1251("Вы уверены, что хотите удалить это правило?"));
    EXPECT_EQ(afterNo, seen[0].texts);
    EXPECT_EQ(afterYes, texts);

    std::vector<Rule> expected = kFive;
    expected.insert(expected.begin() + 3, Rule{RuleFieldSender, kNewText, ReactionDefault});
    EXPECT_EQ(pageRules, expected);
    EXPECT_EQ(BookRules(), expected);
    EXPECT_EQ(book_.GetDefaultReaction(), ReactionTip);

    RegistryProfileStore store(kTestRoot);
    SetProfileStore(&store);
    DeleteRegTree(kTestRoot);
    EXPECT_TRUE(book_.SaveRules());
    EXPECT_EQ(StoredTexts(), TextsOf(expected));
    DeleteRegTree(kTestRoot);
    SetProfileStore(nullptr);
}

// Alt+Down on the next-to-last row moves it to the end; the toolbar's Down
// is disabled on the last row and Up on the first, and the other one is
// enabled; Alt+Up moves a row up; dragging row 0 and dropping it after row
// 2 makes it row 2. Cancel leaves the book as it was.
TEST_F(RulesPageTest, KeysToolbarAndDraggingMoveRulesAndCancelKeepsTheBook) {
    using Texts_ = std::vector<std::string>;
    const Texts_ five = TextsOf(kFive);
    const auto order = [&](std::initializer_list<int> rows) {
        Texts_ texts;
        for (int row : rows) texts.push_back(five[static_cast<std::size_t>(row)]);
        return texts;
    };
    enum Action { kSelect, kAltDown, kAltUp, kUpButton, kDrag };
    struct Step {
        Action action;
        int row;  // the row selected, or the row dragged
        Texts_ texts;
        int selected;
        bool upEnabled, downEnabled;
    };
    const Step steps[] = {
        {kSelect, 3, five, 3, true, true},
        {kAltDown, 3, order({0, 1, 2, 4, 3}), 4, true, false},
        {kAltDown, 4, order({0, 1, 2, 4, 3}), 4, true, false},  // already last
        {kAltUp, 4, order({0, 1, 2, 3, 4}), 3, true, true},
        {kSelect, 0, five, 0, false, true},
        {kAltUp, 0, five, 0, false, true},                      // already first
        {kUpButton, 2, order({0, 2, 1, 3, 4}), 1, true, true},
        {kDrag, 0, order({2, 1, 0, 3, 4}), 2, true, true},
    };
    struct Seen {
        Texts_ texts;
        int selected;
        bool upEnabled, downEnabled;
        std::string shown;
    };
    std::vector<Seen> seen;
    std::vector<Rule> pageRules;

    const INT_PTR result = Run([&](HWND page, HWND list) {
        HWND toolbar = GetDlgItem(page, IDC_RULES_TOOLBAR);
        for (const Step& step : steps) {
            if (Selected(list) != step.row) ClickCell(list, step.row, 0);
            switch (step.action) {
            case kAltDown: AltKey(list, VK_DOWN); break;
            case kAltUp: AltKey(list, VK_UP); break;
            case kUpButton: Click(GetDlgItem(toolbar, ID_RULE_UP)); break;
            case kDrag: {
                // Pressed on the selected row, moved down in steps over the
                // rows and released on the lower half of row 2.
                const POINT from = CellCentre(list, 0, 1);
                const POINT to = CellCentre(list, 2, 1);
                PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
                for (int y = from.y + 3; y <= to.y + 4; y += 3)
                    PostMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(to.x, y));
                PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y + 4));
                Settle();
                break;
            }
            default: break;
            }
            Sleep(300);  // the buttons follow when the sheet is idle
            Seen s{Texts(list), Selected(list), Enabled(toolbar, ID_RULE_UP), Enabled(toolbar, ID_RULE_DOWN), ""};
            for (int row = 0; row < 5; ++row) s.shown += Cell(list, row, 0) + Cell(list, row, 2) + "|";
            seen.push_back(s);
        }
        pageRules = PageRules();
        Close(page, IDCANCEL);
    });

    EXPECT_EQ(result, IDCANCEL);
    ASSERT_EQ(seen.size(), std::size(steps));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].texts, steps[i].texts);
        EXPECT_EQ(seen[i].selected, steps[i].selected);
        EXPECT_EQ(seen[i].upEnabled, steps[i].upEnabled);
        EXPECT_EQ(seen[i].downEnabled, steps[i].downEnabled);
    }
    // Each row still shows its own rule's field and reaction.
    std::string expectedShown;
    const char* const reactions[] = {"Удалять с сервера", "Реакция по умолчанию", "Не реагировать на сообщение",
                                     "Мигать иконкой на панели задач", "Выводить всплывающее окно",
                                     "Выводить окно с сообщениями", "Запускать почтовую программу"};
    for (int row : {2, 1, 0, 3, 4}) {
        const Rule& rule = kFive[static_cast<std::size_t>(row)];
        expectedShown += (rule.field == 0 ? kSender : kSubject) + Cp1251(reactions[rule.action + 1]) + "|";
    }
    EXPECT_EQ(seen.back().shown, expectedShown);
    EXPECT_EQ(TextsOf(pageRules), steps[std::size(steps) - 1].texts);
    EXPECT_EQ(BookRules(), kFive);
}

// Cells edited in place: a text of blanks is refused, a reaction and a field
// are chosen from their drop-downs, and a stored reaction that has no name
// survives an edit that chose nothing. Rules made from a message with a
// Russian sender address and subject are appended with the default
// reaction, selected, with the reaction's drop-down open. OK applies it all.
TEST_F(RulesPageTest, CellEditsAndRulesFromMessagesReachTheBook) {
    std::vector<Rule> six = kFive;
    six.push_back({RuleFieldSender, "old@mail.example", 9});
    {
        CRuleList rules;
        for (const Rule& rule : six) rules.AddTail(std::make_unique<CRule>(rule.field, rule.text, rule.action));
        book_.SetRules(rules, ReactionTip);
    }
    CMessage message;
    message.m_strSenderName = Cp1251("Иван Петров");
    message.m_strSenderAddress = Cp1251("иван@почта.рф");
    message.m_strSubject = Cp1251("Ежемесячный отчет за май");
    struct FromMessage {
        std::string field, text, reaction, editor;
        int selected = -1, editedColumn = -1, rows = 0;
    };
    std::vector<FromMessage> fromMessages;
    std::vector<std::string> dropDown;
    std::string editorAfterBlanks;

    const INT_PTR result = Run([&](HWND, HWND list) {
        ClickCell(list, 1, 1);
        ClickCell(list, 1, 1);
        Type(Editor(list), "   ");
        Key(Editor(list), VK_RETURN);
        editorAfterBlanks = Editor(list) ? "open" : "closed";

        ClickCell(list, 1, 2);
        HWND combo = Editor(list);
        for (int i = 0; combo && i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
            char text[128] = {};
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            dropDown.push_back(text);
        }
        SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
        Settle();
        ui_driver::Shot("RULES_SHOT_DIR", "dropdown");
        SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
        Key(combo, VK_DOWN);  // from the tip to the message list
        Key(combo, VK_RETURN);

        ClickCell(list, 1, 0);
        Key(Editor(list), VK_UP);  // from the subject to the sender
        Key(Editor(list), VK_RETURN);

        ClickCell(list, 5, 0);
        ClickCell(list, 5, 2);
        Key(Editor(list), VK_RETURN);

        for (int kind : {0, 1}) {
            OnPageThread([&] { page_->AddRuleFromMessage(message, kind); });
            Settle();
            FromMessage seen;
            seen.rows = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
            seen.selected = Selected(list);
            HWND editor = Editor(list, &seen.editor);
            seen.editedColumn = editor ? EditedColumn(list, editor, seen.selected) : -1;
            seen.field = Cell(list, seen.selected, 0);
            seen.text = Cell(list, seen.selected, 1);
            seen.reaction = Cell(list, seen.selected, 2);
            if (kind == 1) ui_driver::Shot("RULES_SHOT_DIR", "frommessage");
            if (editor) Key(editor, VK_ESCAPE);
            fromMessages.push_back(seen);
        }
        Close(GetParent(list), IDOK);
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(editorAfterBlanks, "closed");
    EXPECT_EQ(dropDown, (std::vector<std::string>{
                            Cp1251("Удалять с сервера"), kByDefault, Cp1251("Не реагировать на сообщение"),
                            Cp1251("Мигать иконкой на панели задач"), Cp1251("Выводить всплывающее окно"),
                            Cp1251("Выводить окно с сообщениями"), Cp1251("Запускать почтовую программу")}));
    ASSERT_EQ(fromMessages.size(), 2u);
    const std::string texts[] = {message.m_strSenderAddress, message.m_strSubject};
    for (int kind : {0, 1}) {
        SCOPED_TRACE(kind);
        const FromMessage& seen = fromMessages[static_cast<std::size_t>(kind)];
        EXPECT_EQ(seen.rows, 7 + kind);
        EXPECT_EQ(seen.selected, 6 + kind);
        EXPECT_EQ(seen.field, kind == 0 ? kSender : kSubject);
        EXPECT_EQ(seen.text, texts[kind]);
        EXPECT_EQ(seen.reaction, kByDefault);
        EXPECT_EQ(seen.editor, "ComboBox");
        EXPECT_EQ(seen.editedColumn, 2);
    }
    std::vector<Rule> expected = six;
    expected[1] = {RuleFieldSender, Cp1251("Отчет"), ReactionMailList};
    expected.push_back({RuleFieldSender, message.m_strSenderAddress, ReactionDefault});
    expected.push_back({RuleFieldSubject, message.m_strSubject, ReactionDefault});
    EXPECT_EQ(BookRules(), expected);
    EXPECT_EQ(book_.GetDefaultReaction(), ReactionTip);
}

// A new default reaction chosen alone is kept by OK; the sound button's
// dialog writes its choices back at once, whatever becomes of the sheet.
TEST_F(RulesPageTest, DefaultReactionAloneIsAppliedAndSoundsDoNotWaitForTheSheet) {
    struct Case {
        int button;
        std::int32_t defaultReaction;
    };
    for (const Case& c : {Case{IDOK, ReactionMailList}, Case{IDCANCEL, ReactionTip}}) {
        SCOPED_TRACE(c.button);
        SetUp();
        settings_.m_dwOptions &= ~OPT_MUTE_ON_MENU;
        std::string soundTitle;
        int shownDefault = -1;
        const INT_PTR result = Run([&](HWND page, HWND) {
            HWND box = GetDlgItem(page, IDC_RULES_DEFAULT);
            shownDefault = static_cast<int>(SendMessageA(box, CB_GETCURSEL, 0, 0));
            Key(box, VK_DOWN);
            Click(GetDlgItem(page, IDC_RULES_SOUNDS));
            HWND sounds = nullptr;
            for (int i = 0; i < 300 && !sounds; ++i) {
                HWND found = GetLastActivePopup(GetParent(page));
                if (found != GetParent(page) && GetDlgItem(found, IDC_SOUND_EVENTS)) sounds = found;
                else Sleep(10);
            }
            if (!sounds) return Close(page, IDCANCEL);
            WaitActive(sounds);
            soundTitle = Text(sounds);
            Click(GetDlgItem(sounds, IDC_SOUND_MUTE_ON_MENU));
            Click(GetDlgItem(sounds, IDOK));
            WaitGone(sounds);
            WaitActive(GetParent(page));
            Close(page, c.button);
        });
        EXPECT_EQ(result, c.button);
        EXPECT_EQ(shownDefault, ReactionTip - 1);
        EXPECT_FALSE(soundTitle.empty());
        EXPECT_EQ(settings_.m_dwOptions & OPT_MUTE_ON_MENU, OPT_MUTE_ON_MENU);
        EXPECT_EQ(book_.GetDefaultReaction(), c.defaultReaction);
        EXPECT_EQ(BookRules(), kFive);
    }
}
