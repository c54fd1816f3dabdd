// CLumInplaceEditList in a real dialog (LumInplaceEditListTest.rc), used as
// a user uses it: clicks, drags and keys posted to the windows and run
// through the application's pre-translation (Shift through the thread's key
// state), the owner recording every finished edit and every drop.
// LUMKIT_TEST_HOLD_MS keeps the open drop-down and the drag marker on the
// screen that long, to look at them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "framework/Dialog.h"
#include "framework/WinApp.h"
#include "lumkit/LumInplaceEditList.h"
#include "lumkit/LumMessages.h"

namespace {

constexpr UINT kDialogId = 100;
constexpr int kNextId = 1001;
constexpr UINT kListId = 1300;
constexpr UINT kRepliesId = 200;  // "Да\nНет\nДа\n\nПотом"
constexpr LRESULT kDropAnswer = 0x77;
const UINT kRequestDestroy = RegisterWindowMessageA(LUMKIT_MSG_REQUEST_DESTROY);
using Drops = std::vector<std::pair<WPARAM, LPARAM>>;

std::string Ansi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

// Dispatches this thread's messages for `ms`, pre-translated by the
// application as its message loop does.
void PumpApp(DWORD ms = 80) {
    const DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (AfxGetApp()->PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

void Hold() {
    if (const char* hold = std::getenv("LUMKIT_TEST_HOLD_MS")) PumpApp(static_cast<DWORD>(std::atoi(hold)));
}

auto Tie(const RECT& r) { return std::make_tuple(r.left, r.top, r.right, r.bottom); }

struct Finished {
    UINT id;
    int item, column;
    BOOL moved;
    std::string text;
    HWND editor;
};

// The owner: records what the list tells it (and how many edits it had
// heard of at a right click); `next` runs inside the finished message.
// Enter and Escape never close it.
class OwnerDialog : public CDialog {
public:
    std::vector<Finished> edits;
    Drops drops;
    size_t editsAtRightClick = 0;
    std::function<void()> next;
    void OnOK() override {}
    void OnCancel() override {}

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

private:
    LRESULT OnEditFinished(WPARAM id, LPARAM lParam) {
        const auto* r = reinterpret_cast<const InplaceEditResult*>(lParam);
        edits.push_back({static_cast<UINT>(id), r->item, r->column, r->moved, r->text, r->editor});
        if (next) std::exchange(next, nullptr)();
        return 0;
    }
    LRESULT OnDropped(WPARAM row, LPARAM position) { return drops.emplace_back(row, position), kDropAnswer; }
    void OnRightClick(NMHDR*, LRESULT*) { editsAtRightClick = edits.size(); }
};
const MessageMapEntry OwnerDialog::messageEntries[] = {
    On::Registered<&OwnerDialog::OnEditFinished>(&LUMKIT_INPLACE_EDIT_FINISHED),
    On::Registered<&OwnerDialog::OnDropped>(&LUMKIT_DRAGDROP_FINISHED),
    On::Notify<&OwnerDialog::OnRightClick>(NM_RCLICK, kListId),
    On::End(),
};
const MessageMap OwnerDialog::messageMap = {&CDialog::messageMap, OwnerDialog::messageEntries};

enum Kind { kPlain, kEdit, kChoice, kChoiceResource };
struct Column {
    const wchar_t* heading;
    int format, width;
    Kind kind;
};
const std::vector<Column> kRuleColumns = {
    {L"Тема", LVCFMT_LEFT, 130, kEdit}, {L"Действие", LVCFMT_LEFT, 110, kChoice}, {L"Размер", LVCFMT_RIGHT, 80, kEdit}};
const wchar_t* const kSubjects[] = {L"Счёт за апрель", L"Привет от Ивана", L"Отчёт", L"Встреча в пятницу"};
const wchar_t* const kCells[] = {L"Удалить", L"Оставить", L"Показать", L"Да"};

class InplaceTest : public ::testing::Test {
protected:
    // One dialog for all: hiding a window with a caption takes Wine long.
    static void SetUpTestSuite() {
        app_ = new CWinApp("LumInplaceTest");
        dialog_ = new OwnerDialog;
        ASSERT_TRUE(dialog_->Create(kDialogId));
        SetWindowPos(dialog_->m_hWnd, nullptr, 30, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    static void TearDownTestSuite() {
        dialog_->DestroyWindow();
        delete dialog_;
        delete app_;
    }
    void TearDown() override {
        list_.reset();
        PumpApp();
        dialog_->edits.clear();
        dialog_->drops.clear();
    }

    // A focused list of `rows` rows in the dialog, first in its tab order.
    CLumInplaceEditList& MakeList(int rows, const std::vector<Column>& columns = kRuleColumns) {
        list_ = std::make_unique<CLumInplaceEditList>();
        const DWORD style = WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS;
        EXPECT_TRUE(list_->Create(style, RECT{8, 8, 388, 196}, dialog_, kListId));
        SetWindowPos(List(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        list_->SetFont(dialog_->GetFont());
        list_->m_bSaveColumns = FALSE;
        const std::string actions = Ansi(L"Удалить\nОставить\nПоказать");
        for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
            const Column& col = columns[c];
            const std::string head = Ansi(col.heading);
            const char* h = head.c_str();
            EXPECT_EQ(col.kind == kPlain  ? list_->InsertColumn(c, h, col.format, col.width)
                      : col.kind == kEdit ? list_->InsertEditColumn(c, h, col.format, col.width, -1)
                      : col.kind == kChoice
                          ? list_->InsertChoiceColumn(c, h, col.format, col.width, -1, actions.c_str())
                          : list_->InsertChoiceColumn(c, h, col.format, col.width, -1, kRepliesId),
                      c);
        }
        for (int r = 0; r < rows; ++r) {
            list_->InsertItem(r, (Ansi(kSubjects[r % 4]) + (r >= 4 ? " " + std::to_string(r) : "")).c_str());
            for (int c = 1; c < static_cast<int>(columns.size()); ++c) {
                const bool number = columns[c].format == LVCFMT_RIGHT;
                list_->SetItemText(r, c, number ? std::to_string(r * 10 + 5).c_str() : Ansi(kCells[r % 4]).c_str());
            }
        }
        list_->SetFocus();
        PumpApp();
        return *list_;
    }

    HWND List() const { return list_->m_hWnd; }
    HWND Editor() const { return list_->GetEditor() ? list_->GetEditor()->m_hWnd : nullptr; }
    HWND Next() const { return dialog_->GetDlgItem(kNextId); }
    std::vector<Finished>& Edits() { return dialog_->edits; }
    int Selected() const { return list_->GetNextItem(-1, LVNI_SELECTED); }

    // The cell in list client coordinates: the row's bounds, the columns laid
    // side by side in index order.
    RECT Cell(int item, int column) const {
        RECT rect = {};
        ListView_GetItemRect(List(), item, &rect, LVIR_BOUNDS);
        for (int c = 0; c < column; ++c) rect.left += ListView_GetColumnWidth(List(), c);
        rect.right = rect.left + ListView_GetColumnWidth(List(), column);
        return rect;
    }
    static POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

    void Mouse(UINT message, POINT at, WPARAM buttons = 0) {
        PostMessageA(List(), message, buttons, MAKELPARAM(at.x, at.y));
    }
    void Click(int item, int column) {
        Mouse(WM_LBUTTONDOWN, Centre(Cell(item, column)), MK_LBUTTON);
        Mouse(WM_LBUTTONUP, Centre(Cell(item, column)));
        PumpApp();
    }
    // A key pressed in the focused window, with `shift` held.
    void Key(UINT key, bool shift = false) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = state[VK_LSHIFT] = shift ? 0x80 : 0;
        SetKeyboardState(state);
        PostMessageA(GetFocus(), WM_KEYDOWN, key, 1);
        PumpApp();
        state[VK_SHIFT] = state[VK_LSHIFT] = 0;
        SetKeyboardState(state);
    }
    void Type(const std::string& text) {
        for (char c : text) PostMessageA(GetFocus(), WM_CHAR, static_cast<BYTE>(c), 1);
        PumpApp();
    }
    // Exactly one report since the last look, about this cell (and text,
    // and editor).
    void ExpectOneReport(int item, int column, BOOL moved, const std::string* text = nullptr, HWND editor = nullptr) {
        ASSERT_EQ(Edits().size(), 1u);
        const Finished& f = Edits()[0];
        EXPECT_EQ(std::make_tuple(f.id, f.item, f.column, f.moved), std::make_tuple(kListId, item, column, moved));
        EXPECT_EQ(f.text, text ? *text : f.text);
        EXPECT_EQ(f.editor, editor ? editor : f.editor);
        Edits().clear();
    }
    // The focused editor exactly over the cell (a drop-down one pixel out at
    // the left and top, as high as its field); none for column -1.
    void ExpectEditorAt(int item, int column) {
        EXPECT_EQ(list_->IsEditing() != FALSE, column >= 0);
        EXPECT_EQ(Editor() != nullptr, column >= 0);
        if (column < 0 || !Editor()) return;
        EXPECT_EQ(GetFocus(), Editor());
        char name[32] = {};
        GetClassNameA(Editor(), name, sizeof name);
        RECT expected = Cell(item, column), actual = {};
        MapWindowPoints(List(), nullptr, reinterpret_cast<POINT*>(&expected), 2);
        GetWindowRect(Editor(), &actual);
        if (lstrcmpiA(name, "ComboBox") == 0)
            expected = {expected.left - 1, expected.top - 1, expected.right, actual.bottom};
        EXPECT_EQ(Tie(actual), Tie(expected));
    }

    static CWinApp* app_;
    static OwnerDialog* dialog_;
    std::unique_ptr<CLumInplaceEditList> list_;
};
CWinApp* InplaceTest::app_ = nullptr;
OwnerDialog* InplaceTest::dialog_ = nullptr;

// Long texts too: they paint, and the editor and the report carry them whole.
TEST_F(InplaceTest, ClickOnTheSelectedRowEditsTheCellAndEnterReportsItOnce) {
    CLumInplaceEditList& list = MakeList(4);
    list.SetItemText(3, 0, (std::string(2000, '\xE6') + Ansi(L"конец")).c_str());
    list.SetItemText(2, 2, std::string(600, '9').c_str());
    struct Case {
        int item, column;
        DWORD align;
        std::string typed;  // empty: Enter at once
    };
    for (const Case& c : {Case{2, 0, ES_LEFT, Ansi(L"Новая тема")}, {2, 2, ES_RIGHT, ""}, {3, 0, ES_LEFT, ""}}) {
        SCOPED_TRACE(c.item * 10 + c.column);
        Click(0, 1);
        Click(c.item, c.column);  // selects the row
        EXPECT_EQ(Selected(), c.item);
        ExpectEditorAt(c.item, -1);
        const std::string before = list.GetItemText(c.item, c.column);
        Click(c.item, c.column);
        ExpectEditorAt(c.item, c.column);
        HWND editor = Editor();
        EXPECT_EQ(GetWindowLongA(editor, GWL_STYLE) & (ES_RIGHT | ES_CENTER), c.align);
        EXPECT_EQ(SendMessageA(editor, WM_GETFONT, 0, 0), SendMessageA(List(), WM_GETFONT, 0, 0));
        EXPECT_EQ(list.GetEditor()->GetWindowText(), before);
        const LRESULT selection = SendMessageA(editor, EM_GETSEL, 0, 0);
        EXPECT_EQ(HIWORD(selection) - LOWORD(selection), static_cast<int>(before.size()));
        Type(c.typed);
        Key(VK_RETURN);
        ExpectOneReport(c.item, c.column, FALSE, c.typed.empty() ? &before : &c.typed, editor);
        EXPECT_FALSE(IsWindow(editor));
        ExpectEditorAt(c.item, -1);
        EXPECT_EQ(GetFocus(), List());
        EXPECT_EQ(list.GetItemText(c.item, c.column), before);  // the owner's to store
    }
}

// F2 opens column 0; Escape reports nothing; Tab and Shift+Tab go from
// cell to cell (moved) and out of the list past the described columns;
// Up and Down end the edit and move the selection.
TEST_F(InplaceTest, KeysOpenMoveAndEndTheEditor) {
    CLumInplaceEditList& list = MakeList(4);
    Key(VK_F2);  // nothing selected
    ExpectEditorAt(0, -1);
    Click(1, 0);
    enum Action { kF2, kEscape, kTab, kShiftTab, kDown, kUp, kClickMiddle };
    struct Step {
        Action action;
        int reported;  // the column reported; -1 none
        BOOL moved;
        int editor, selected;  // the column edited after (-1 none), the row selected
        bool focusOnNext;      // the dialog moved the focus on
    };
    const Step steps[] = {
        {kF2, -1, FALSE, 0, 1, false},        {kEscape, -1, FALSE, -1, 1, false},    {kF2, -1, FALSE, 0, 1, false},
        {kTab, 0, TRUE, 1, 1, false},         {kTab, 1, TRUE, 2, 1, false},          {kTab, 2, FALSE, -1, 1, true},
        {kClickMiddle, -1, FALSE, 1, 1, false}, {kShiftTab, 1, TRUE, 0, 1, false},   {kShiftTab, 0, FALSE, -1, 1, true},
        {kF2, -1, FALSE, 0, 1, false},        {kDown, 0, FALSE, -1, 2, false},       {kF2, -1, FALSE, 0, 2, false},
        {kUp, 0, FALSE, -1, 1, false},
    };
    const std::string before = list.GetItemText(1, 0);
    int n = 0;
    for (const Step& step : steps) {
        SCOPED_TRACE(n++);
        const int row = Selected();
        if (Editor()) SetWindowTextA(Editor(), "xyz");
        const UINT keys[] = {VK_F2, VK_ESCAPE, VK_TAB, VK_TAB, VK_DOWN, VK_UP};
        if (step.action == kClickMiddle) Click(row, 1);
        else Key(keys[step.action], step.action == kShiftTab);
        if (step.reported >= 0) ExpectOneReport(row, step.reported, step.moved);
        EXPECT_TRUE(Edits().empty());
        EXPECT_EQ(Selected(), step.selected);
        ExpectEditorAt(step.selected, step.editor);
        EXPECT_EQ(GetFocus(), step.focusOnNext ? Next() : step.editor < 0 ? List() : Editor());
        EXPECT_EQ((SendMessageA(List(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB) != 0, step.editor >= 0);
        EXPECT_EQ(list.GetItemText(1, 0), before);
        if (step.focusOnNext) list.SetFocus();
    }
}

TEST_F(InplaceTest, DropDownOffersTheChoicesAndReportsTheChosenOne) {
    CLumInplaceEditList& list = MakeList(4, {{L"Тема", LVCFMT_LEFT, 130, kEdit},
                                             {L"Действие", LVCFMT_LEFT, 110, kChoice},
                                             {L"Ответ", LVCFMT_LEFT, 80, kChoiceResource}});
    const std::vector<std::string> actions = {Ansi(L"Удалить"), Ansi(L"Оставить"), Ansi(L"Показать")};
    const std::vector<std::string> replies = {Ansi(L"Да"), Ansi(L"Нет"), Ansi(L"Да")};
    struct Case {
        int column;
        const wchar_t* cell;
        int selected;  // the last equal choice; CB_ERR none
    };
    const Case cases[] = {{1, L"Оставить", 1}, {1, L"оставить", CB_ERR}, {1, L"Забыть", CB_ERR},
                          {1, L"", CB_ERR},        {2, L"Да", 2},          {2, L"Потом", CB_ERR}};
    Click(1, 0);
    for (const Case& c : cases) {
        SCOPED_TRACE(Ansi(c.cell));
        list.SetItemText(1, c.column, Ansi(c.cell).c_str());
        Click(1, c.column);
        ExpectEditorAt(1, c.column);
        HWND combo = Editor();
        std::vector<std::string> items;
        for (int i = 0; i < SendMessageA(combo, CB_GETCOUNT, 0, 0); ++i) {
            char text[64] = {};
            SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        EXPECT_EQ(items, c.column == 1 ? actions : replies);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), c.selected);
        EXPECT_EQ(GetWindowLongA(combo, GWL_STYLE) & 3, CBS_DROPDOWNLIST);
        Key(VK_ESCAPE);
        ExpectEditorAt(1, -1);
    }
    EXPECT_TRUE(Edits().empty());

    list.SetItemText(1, 1, actions[0].c_str());
    Click(1, 1);
    HWND combo = Editor();
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    PumpApp();
    Hold();
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    Key(VK_DOWN);  // the next choice
    EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 1);
    Key(VK_RETURN);
    ExpectOneReport(1, 1, FALSE, &actions[1]);
    EXPECT_EQ(list.GetItemText(1, 1), actions[0]);
}

TEST_F(InplaceTest, EveryWayOfEndingAnEditReportsItOnce) {
    CLumInplaceEditList& list = MakeList(20);
    Click(1, 0);
    const auto rightClick = [&] {
        const POINT at = {5, Centre(Cell(Selected(), 0)).y};
        Mouse(WM_RBUTTONDOWN, at, MK_RBUTTON);
        Mouse(WM_RBUTTONUP, at);
        PumpApp();
        EXPECT_EQ(dialog_->editsAtRightClick, 1u);  // ended before the control's own handling
    };
    struct Case {
        std::string name;
        std::function<void()> end;
        BOOL moved;
        int editor;  // the column then edited on the selected row; -1 none
    };
    const Case cases[] = {
        {"enter", [&] { Key(VK_RETURN); }, FALSE, -1},
        {"tab", [&] { Key(VK_TAB); }, TRUE, 1},
        {"click on another cell of the row", [&] { Click(Selected(), 2); }, TRUE, 2},
        {"click on the same cell", [&] { Click(Selected(), 0); }, TRUE, 0},
        {"click on another row", [&] { Click(Selected() + 2, 0); }, FALSE, -1},
        {"focus elsewhere", [&] { SetFocus(Next()); }, FALSE, -1},
        {"vertical scroll", [&] { PostMessageA(List(), WM_VSCROLL, SB_LINEDOWN, 0); }, FALSE, -1},
        {"horizontal scroll", [&] { PostMessageA(List(), WM_HSCROLL, SB_LINERIGHT, 0); }, FALSE, -1},
        {"right click", rightClick, FALSE, -1},
        {"another EditSubItem", [&] { list.EditSubItem(Selected(), 2); }, FALSE, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        list.SetFocus();
        const int row = Selected();
        Key(VK_F2);
        ASSERT_NE(Editor(), nullptr);
        SetWindowTextA(Editor(), c.name.c_str());
        c.end();
        PumpApp(150);
        ExpectOneReport(row, 0, c.moved, &c.name);
        ExpectEditorAt(Selected(), c.editor);
        if (list.IsEditing()) Key(VK_ESCAPE);
        PumpApp(100);
        EXPECT_TRUE(Edits().empty());
    }
    EXPECT_EQ(Selected(), 3);  // the click on another row moved the selection
}

TEST_F(InplaceTest, EachEditorEndsOnlyItselfSoTheNextMayOpenAtOnce) {
    CLumInplaceEditList& list = MakeList(4);
    Click(1, 0);
    ASSERT_TRUE(list.EditSubItem(1, 0));
    ASSERT_TRUE(list.EditSubItem(1, 0));  // the first one's loss of focus asks late
    HWND newer = Editor();
    for (auto cell : {std::pair<int, int>(1, 0), {2, 1}, {1, 1}})
        PostMessageA(List(), kRequestDestroy, cell.first, cell.second);
    PumpApp(200);
    EXPECT_EQ(Editor(), newer);
    ExpectOneReport(1, 0, FALSE);
    SetFocus(Next());  // its own request is on its way; another cell's is not its
    SendMessageA(List(), kRequestDestroy, 2, 1);
    EXPECT_EQ(Editor(), newer);
    PumpApp();
    ExpectOneReport(1, 0, FALSE);
    EXPECT_FALSE(IsWindow(newer));

    // The owner opens the next row's editor while hearing of this one.
    list.SetFocus();
    Key(VK_F2);
    dialog_->next = [&] { list.EditSubItem(2, 2); };
    Key(VK_RETURN);
    PumpApp(150);
    ExpectOneReport(1, 0, FALSE);
    ExpectEditorAt(2, 2);
    Key(VK_RETURN);
    ExpectOneReport(2, 2, FALSE);
}

TEST_F(InplaceTest, DraggingTheSelectedRowReportsWhereItWasDropped) {
    CLumInplaceEditList& list = MakeList(6);
    Click(1, 0);
    const RECT first = Cell(0, 0), row3 = Cell(3, 0), last = Cell(5, 0);
    ASSERT_GE(list.GetCountPerPage(), 6);
    struct Case {
        BOOL enabled;
        int y, position;  // position -2: nothing sent
    };
    const Case cases[] = {{TRUE, row3.bottom - 1, 3}, {TRUE, row3.top, 3},      {TRUE, first.top, 0},
                          {TRUE, last.bottom + 2, 5}, {TRUE, first.top - 3, -1}, {FALSE, row3.bottom - 1, -2}};
    const POINT press = Centre(Cell(1, 0));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.y);
        list.m_bDragEnabled = c.enabled;
        const POINT to = {press.x + 30, c.y};
        Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, press, MK_LBUTTON);  // made up by the system: no drag yet
        Mouse(WM_MOUSEMOVE, to, MK_LBUTTON);
        PumpApp();
        EXPECT_EQ(list.GetDropPosition(), c.position);
        // The checkerboard marker (black where x + y is even): bars at the ends of the
        // strip 6 pixels above to 7 below the row's bottom, a line 3 high between them.
        RECT row = {};  // where the marker is, or would be
        ListView_GetItemRect(List(), c.position >= 0 ? c.position : 3, &row, LVIR_BOUNDS);
        HDC dc = GetDC(List());
        int offPattern = 0;
        for (const POINT& p : {POINT{0, -6}, {1, -6}, {2, 6}, {-1, 6}, {-2, -5}, {3, -1}, {4, 1}, {-4, 0}}) {
            const int x = (p.x < 0 ? row.right : row.left) + p.x, y = row.bottom + p.y;
            offPattern += GetPixel(dc, x, y) != ((x + y) % 2 ? RGB(255, 255, 255) : RGB(0, 0, 0));
        }
        ReleaseDC(List(), dc);
        EXPECT_EQ(offPattern > 0, c.position < 0);
        if (&c == cases) Hold();
        EXPECT_EQ(SendMessageA(List(), WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y)), c.enabled ? kDropAnswer : 0);
        PumpApp();
        EXPECT_EQ(dialog_->drops, (c.enabled ? Drops{{1, c.position}} : Drops{}));
        dialog_->drops.clear();
        ExpectEditorAt(1, -1);
        EXPECT_EQ(list.GetDropPosition(), -2);
        EXPECT_EQ(Selected(), 1);
    }

    // A press on the selected row and a release outside every row only
    // beeps; with only a made-up move between them it edits.
    for (const POINT& release : {POINT{press.x, last.bottom + 10}, press}) {
        Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
        Mouse(WM_MOUSEMOVE, press, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, release);
        PumpApp();
        ExpectEditorAt(1, release.y == press.y ? 0 : -1);
    }
    EXPECT_TRUE(dialog_->drops.empty());
    EXPECT_TRUE(Edits().empty());
}

TEST_F(InplaceTest, DraggingOutsideTheListScrollsItEveryQuarterSecond) {
    CLumInplaceEditList& list = MakeList(40);
    list.m_bDragEnabled = TRUE;
    SendMessageA(List(), LVM_SCROLL, 0, 4 * (Cell(0, 0).bottom - Cell(0, 0).top));
    ASSERT_EQ(list.GetTopIndex(), 4);
    Click(5, 0);
    RECT client = {};
    GetClientRect(List(), &client);
    const POINT press = Centre(Cell(5, 0)), above = {press.x, -12}, inside = Centre(Cell(7, 0)),
                below = {press.x, client.bottom + 12};
    Mouse(WM_LBUTTONDOWN, press, MK_LBUTTON);
    // Above (one line in 400 ms), back inside (a timer still running would
    // scroll), below (two lines down), above again (five lines up in 1.6 s).
    // The timer reads the cursor, which is set again and again as other
    // programs share it.
    for (const auto& [at, ms, top] :
         {std::make_tuple(above, 400u, 3), {inside, 600u, 3}, {below, 600u, 5}, {above, 1600u, 0}}) {
        SCOPED_TRACE(ms);
        POINT screen = at;
        ClientToScreen(List(), &screen);
        SetCursorPos(screen.x, screen.y);
        Mouse(WM_MOUSEMOVE, at, MK_LBUTTON);
        int wrongMarker = 0;
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
            SetCursorPos(screen.x, screen.y);
            PumpApp(10);
            wrongMarker += list.GetDropPosition() != list.DropPositionFromY(at.y);
        }
        EXPECT_EQ(list.GetTopIndex(), top);
        EXPECT_EQ(wrongMarker, 0);
    }
    EXPECT_EQ(list.GetDropPosition(), -1);
    Mouse(WM_LBUTTONUP, above);
    PumpApp();
    EXPECT_EQ(dialog_->drops, (Drops{{5, -1}}));
}

TEST_F(InplaceTest, ColumnsWithoutEditingAreLeftAlone) {
    CLumInplaceEditList& list = MakeList(3, {{L"№", LVCFMT_LEFT, 40, kPlain},
                                             {L"Тема", LVCFMT_LEFT, 130, kEdit},
                                             {L"Размер", LVCFMT_CENTER, 80, kEdit}});
    if (list.InsertEditColumn(-1, "x", LVCFMT_LEFT, 50, -1) != -1) GTEST_SKIP() << "a column inserted at -1";
    Click(0, 1);
    for (int column : {0, 3, -1}) {
        EXPECT_FALSE(list.EditSubItem(0, column)) << column;
        ExpectEditorAt(0, -1);
    }
    Click(0, 0);
    ExpectEditorAt(0, -1);
    // Descriptors for columns 1 and 2: Tab in column 1 leaves the list (one
    // for the refused column would lead on to column 2), and Shift+Tab goes
    // to column 0, which has none.
    ASSERT_TRUE(list.EditSubItem(0, 1));
    Key(VK_TAB);
    ExpectOneReport(0, 1, FALSE);
    EXPECT_EQ(GetFocus(), Next());
    ASSERT_TRUE(list.EditSubItem(0, 1));
    Key(VK_TAB, true);
    ExpectOneReport(0, 1, TRUE);
    ExpectEditorAt(0, -1);
    ASSERT_TRUE(list.EditSubItem(0, 2));
    EXPECT_EQ(GetWindowLongA(Editor(), GWL_STYLE) & (ES_RIGHT | ES_CENTER), ES_CENTER);
    Key(VK_TAB, true);
    ExpectOneReport(0, 2, TRUE);
    ExpectEditorAt(0, 1);

    // Gone with an editor open: the editor ends quietly while the list
    // still has its window (nothing posted to the thread).
    list_.reset();
    MSG stray;
    EXPECT_FALSE(PeekMessageA(&stray, reinterpret_cast<HWND>(-1), kRequestDestroy, kRequestDestroy, PM_REMOVE));
    PumpApp();
    EXPECT_TRUE(Edits().empty());
}

TEST_F(InplaceTest, OwnerDrawnRowsAreHighAndHighlightedOnlyWithTheFocus) {
    CLumInplaceEditList& list = MakeList(4);
    EXPECT_GE(Cell(0, 0).bottom - Cell(0, 0).top, 18);
    Click(1, 0);
    const std::pair<std::function<void()>, bool> cases[] = {
        {[&] { list.SetFocus(); }, true}, {[&] { SetFocus(Next()); }, false}, {[&] { list.EditSubItem(1, 0); }, true}};
    for (const auto& [focus, highlighted] : cases) {
        SCOPED_TRACE(highlighted);
        focus();
        PumpApp();
        list.UpdateWindow();
        HDC dc = GetDC(List());
        const RECT cell = Cell(1, 1), other = Cell(2, 1);
        EXPECT_EQ(GetPixel(dc, cell.right - 4, Centre(cell).y),
                  GetSysColor(highlighted ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        EXPECT_EQ(GetPixel(dc, other.right - 4, Centre(other).y), GetSysColor(COLOR_WINDOW));
        ReleaseDC(List(), dc);
    }
    // The row-height images (one 18 x 18 image) are the object's: they
    // outlive the window.
    HIMAGELIST images = ListView_GetImageList(List(), LVSIL_SMALL);
    list.DestroyWindow();
    int cx = 0, cy = 0;
    EXPECT_TRUE(ImageList_GetIconSize(images, &cx, &cy));
    EXPECT_EQ(std::make_tuple(cx, cy, ImageList_GetImageCount(images)), std::make_tuple(18, 18, 1));
}

}  // namespace
