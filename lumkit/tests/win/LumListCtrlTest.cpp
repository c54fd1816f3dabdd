// CLumListCtrl in real windows: header clicks posted to the header, the sort
// arrows, the owner dialog's comparison hook, and the column layout kept in
// an in-memory profile.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/tests/win/PumpFor.h"
#include "framework/ProfileStoreBase.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "lumkit/LumDialog.h"
#include "lumkit/LumListCtrl.h"

namespace {

constexpr UINT kListId = 1300;

std::string Ansi(const wchar_t* text) {
    char ansi[512];
    WideCharToMultiByte(CP_ACP, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

class MemoryStore : public CProfileStore {
public:
    std::map<std::string, std::string> values;  // "section\entry"
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override {
        auto it = values.find(section + "\\" + entry);
        return it == values.end() ? defaultValue : it->second;
    }
    std::int32_t GetInt(const std::string&, const std::string&, std::int32_t defaultValue) override {
        return defaultValue;
    }
    bool WriteString(const std::string& section, const std::string& entry, const std::string& value) override {
        values[section + "\\" + entry] = value;
        return true;
    }
    bool WriteInt(const std::string&, const std::string&, std::int32_t) override { return false; }
};

// Counts its own comparisons; shows its arrows.
class TestList : public CLumListCtrl {
public:
    int compares = 0;
    int CompareItems(LPARAM lParam1, LPARAM lParam2) override {
        ++compares;
        return CLumListCtrl::CompareItems(lParam1, lParam2);
    }
    HBITMAP Arrow(bool descending) const { return descending ? m_hSortDescending : m_hSortAscending; }
};

// An owner dialog: `decides` orders by item data, descending; otherwise it
// leaves the decision to the base hook, which declines.
class OwnerDialog : public CLumDialog {
public:
    bool decides = false;
    int calls = 0;
    int CompareItems(CLumListCtrl* list, LPARAM lParam1, LPARAM lParam2) override {
        ++calls;
        if (!decides) return CLumDialog::CompareItems(list, lParam1, lParam2);
        return lParam1 < lParam2 ? 1 : lParam1 > lParam2 ? -1 : 0;
    }
};

HWND MakeDialogWindow() {
    // DLGTEMPLATE, then empty menu and class, and the title.
    alignas(4) WORD buffer[64] = {};
    auto* tmpl = reinterpret_cast<DLGTEMPLATE*>(buffer);
    tmpl->style = WS_POPUP | WS_CAPTION | WS_VISIBLE;
    tmpl->cx = 300;
    tmpl->cy = 160;
    WORD* tail = reinterpret_cast<WORD*>(tmpl + 1);
    tail[0] = 0;
    tail[1] = 0;
    const wchar_t title[] = L"Список";
    std::copy(title, title + 7, reinterpret_cast<wchar_t*>(tail + 2));
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), tmpl, nullptr,
                                      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
}

struct Column {
    const wchar_t* heading;
    int format;
};

const Column kColumns[] = {{L"Тема", LVCFMT_LEFT}, {L"От кого", LVCFMT_LEFT}, {L"Размер", LVCFMT_RIGHT}};

// data: subject, sender, size
struct Row {
    LPARAM data;
    const wchar_t* text[3];
};
const Row kRows[] = {
    {1, {L"Отчёт за март", L"бухгалтерия", L"12"}},
    {2, {L"встреча", L"Anna", L"3"}},
    {3, {L"Re: счёт", L"Борис", L"250"}},
    {4, {L"Афиша", L"anna", L"7"}},
};

class ListTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.SetProfileStore(&store_);
        ASSERT_TRUE(parent_.CreateEx(0, AfxRegisterWndClass(0, nullptr, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)),
                                     "Список", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 460, 220, nullptr,
                                     nullptr));
    }
    void TearDown() override {
        if (list_ && list_->GetSafeHwnd()) list_->DestroyWindow();
        if (dialog_.GetSafeHwnd()) dialog_.DestroyWindow();
        parent_.DestroyWindow();
        Pump();
    }

    // A report list of kColumns with `rows` of kRows, child of `parent`.
    TestList& MakeList(size_t rows, DWORD exStyle = 0, CWnd* parent = nullptr) {
        list_ = std::make_unique<TestList>();
        const RECT rect = {5, 5, 430, 170};
        EXPECT_TRUE(list_->Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT, rect, parent ? parent : &parent_,
                                  kListId));
        list_->SetExtendedStyle(exStyle);
        int c = 0;
        for (const Column& column : kColumns) list_->InsertColumn(c++, Ansi(column.heading).c_str(), column.format, 130);
        for (size_t i = 0; i < rows; ++i) {
            const Row& row = kRows[i];
            const int index = list_->InsertItem(LVIF_TEXT | LVIF_PARAM, static_cast<int>(i),
                                                Ansi(row.text[0]).c_str(), 0, 0, 0, row.data);
            for (int s = 1; s < 3; ++s) list_->SetItemText(index, s, Ansi(row.text[s]).c_str());
        }
        return *list_;
    }

    std::vector<LPARAM> Order() const {
        std::vector<LPARAM> order;
        for (int i = 0; i < list_->GetItemCount(); ++i) order.push_back(static_cast<LPARAM>(list_->GetItemData(i)));
        return order;
    }
    // The order the texts of `column` give with lstrcmpA.
    static std::vector<LPARAM> Expected(size_t rows, int column, bool descending) {
        std::vector<const Row*> sorted;
        for (size_t i = 0; i < rows; ++i) sorted.push_back(&kRows[i]);
        std::sort(sorted.begin(), sorted.end(), [&](const Row* a, const Row* b) {
            const int result = lstrcmpA(Ansi(a->text[column]).c_str(), Ansi(b->text[column]).c_str());
            return descending ? result > 0 : result < 0;
        });
        std::vector<LPARAM> order;
        for (const Row* row : sorted) order.push_back(row->data);
        return order;
    }
    HDITEMA HeaderItem(int column) const {
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_BITMAP;
        SendMessageA(GetDlgItem(list_->GetSafeHwnd(), 0), HDM_GETITEMA, column, reinterpret_cast<LPARAM>(&item));
        return item;
    }
    // A click in the middle of the column's header item, as the mouse makes it.
    void ClickHeader(int column) {
        HWND header = GetDlgItem(list_->GetSafeHwnd(), 0);
        RECT rect = {};
        SendMessageA(header, HDM_GETITEMRECT, column, reinterpret_cast<LPARAM>(&rect));
        const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PostMessageA(header, WM_MOUSEMOVE, 0, at);
        PostMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        Pump();
        PostMessageA(header, WM_LBUTTONUP, 0, at);
        Pump();

    }
    // Arrow of the right bitmap on `column` (left of right-aligned text,
    // else right), and no arrow on the others.
    void ExpectArrow(int column, bool descending) {
        for (int c = 0; c < 3; ++c) {
            SCOPED_TRACE(c);
            const HDITEMA item = HeaderItem(c);
            if (c != column) {
                EXPECT_EQ(item.fmt & (HDF_BITMAP | HDF_BITMAP_ON_RIGHT), 0);
                continue;
            }
            EXPECT_TRUE(item.fmt & HDF_BITMAP);
            EXPECT_EQ((item.fmt & HDF_BITMAP_ON_RIGHT) != 0, kColumns[c].format != LVCFMT_RIGHT);
            EXPECT_EQ(item.hbm, list_->Arrow(descending));
        }
    }

    MemoryStore store_;
    CWinApp app_{"LumListTest"};
    CWnd parent_;
    OwnerDialog dialog_;
    std::unique_ptr<TestList> list_;
};

TEST_F(ListTest, ArrowBitmapsPointDownAscendingAndUpDescending) {
    TestList& list = MakeList(0);
    for (bool descending : {false, true}) {
        HBITMAP arrow = list.Arrow(descending);
        ASSERT_NE(arrow, nullptr);
        BITMAP info = {};
        GetObjectA(arrow, sizeof info, &info);
        EXPECT_EQ(info.bmWidth, 8);
        EXPECT_EQ(info.bmHeight, 7);
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, arrow);
        // The wide edge: the top row pointing down, the bottom row pointing up.
        const int wide = descending ? 6 : 0;
        const int tip = descending ? 0 : 6;
        EXPECT_EQ(GetPixel(dc, 0, wide), GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF) << descending;
        EXPECT_EQ(GetPixel(dc, 1, tip), GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) << descending;
        SelectObject(dc, old);
        DeleteDC(dc);
    }
}

TEST_F(ListTest, HeaderClicksSortAndMoveTheArrow) {
    TestList& list = MakeList(4);
    list.EnableSort(TRUE, TRUE);
    struct Step {
        int column;
        BOOL toggle;  // allowToggle; a change re-enables, which re-sorts ascending
        bool descending;
    };
    const Step steps[] = {
        {0, TRUE, false}, {0, TRUE, true},  {0, TRUE, false}, {1, TRUE, false}, {1, TRUE, true},
        {2, TRUE, false}, {2, TRUE, true},  {1, TRUE, false}, {1, FALSE, false}, {1, FALSE, false},
    };
    int n = 0;
    BOOL toggle = TRUE;
    for (const Step& step : steps) {
        SCOPED_TRACE(n++);
        if (step.toggle != toggle) list.EnableSort(TRUE, toggle = step.toggle);
        ClickHeader(step.column);
        EXPECT_EQ(list.GetSortColumn(), step.column);
        EXPECT_EQ(list.IsSortDescending() != FALSE, step.descending);
        EXPECT_EQ(Order(), Expected(4, step.column, step.descending));
        ExpectArrow(step.column, step.descending);
    }
    // Enabling again sorts ascending; disabling clears the direction and
    // keeps the column and its arrow, and clicks do nothing.
    list.SortItems(-1, TRUE);
    list.EnableSort(TRUE, TRUE);
    EXPECT_FALSE(list.IsSortDescending());
    EXPECT_EQ(Order(), Expected(4, 1, false));
    list.SortItems(-1, TRUE);
    list.EnableSort(FALSE, TRUE);
    EXPECT_FALSE(list.IsSortDescending());
    ExpectArrow(1, true);
    list.SortItems(-1, FALSE);
    const auto before = Order();
    ClickHeader(0);
    EXPECT_EQ(list.GetSortColumn(), 1);
    EXPECT_EQ(Order(), before);
    ExpectArrow(1, false);
    if (const char* hold = std::getenv("LUMKIT_LIST_TEST_HOLD_MS")) {
        list.EnableSort(TRUE, TRUE);
        ClickHeader(0);
        ClickHeader(0);
        Pump(static_cast<DWORD>(std::atoi(hold)));
    }
}

TEST_F(ListTest, SortItemsClampsTheColumnAndSkipsShortLists) {
    struct Case {
        size_t rows;
        int column;
        int sortedBy;
        int compares;  // at least this many (0: exactly none)
    };
    const Case cases[] = {{4, 9, 2, 3}, {4, -1, -1, 0}, {1, 1, 1, 0}, {0, 0, 0, 0}, {4, 1, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.column);
        TestList& list = MakeList(c.rows);
        list.SortItems(c.column, TRUE);
        EXPECT_EQ(list.GetSortColumn(), c.sortedBy);
        if (c.compares) {
            EXPECT_GE(list.compares, c.compares);
        } else {
            EXPECT_EQ(list.compares, 0);
        }
        if (c.sortedBy >= 0) {
            ExpectArrow(c.sortedBy, true);
            EXPECT_EQ(Order(), Expected(c.rows, c.sortedBy, true));
        }
        list.DestroyWindow();
    }
}

TEST_F(ListTest, OwnerDialogDeclinesOncePerSortOrDecidesEveryComparison) {
    HWND window = MakeDialogWindow();
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(dialog_.SubclassWindow(window));
    for (bool decides : {false, true}) {
        SCOPED_TRACE(decides);
        dialog_.decides = decides;
        dialog_.calls = 0;
        TestList& list = MakeList(4, 0, &dialog_);
        list.SortItems(0, FALSE);
        list.SortItems(1, FALSE);
        if (decides) {
            EXPECT_GE(dialog_.calls, 2 * 4);
            EXPECT_EQ(list.compares, 0);
            EXPECT_EQ(Order(), (std::vector<LPARAM>{4, 3, 2, 1}));
        } else {
            EXPECT_EQ(dialog_.calls, 2);
            EXPECT_GE(list.compares, 2 * 3);
            EXPECT_EQ(Order(), Expected(4, 1, false));
        }
        list.DestroyWindow();
    }
}

TEST_F(ListTest, ComparesTruncatedTextsAndFindsItemsByData) {
    TestList& list = MakeList(4);
    const std::string longA = std::string(255, 'x') + "a";
    const std::string longB = std::string(255, 'x') + "b";
    list.SetItemText(0, 0, longA.c_str());
    list.SetItemText(1, 0, longB.c_str());
    list.SortItems(0, FALSE);
    EXPECT_EQ(list.CompareItems(1, 2), 0);  // equal in their first 255 characters
    EXPECT_GT(list.CompareItems(3, 99), 0);  // no item 99: empty text
    EXPECT_EQ(list.CompareItems(99, 98), 0);
    list.SortItems(0, TRUE);
    EXPECT_LT(list.CompareItems(3, 99), 0);

    // A second item with data 2: the first one is found.
    list.InsertItem(LVIF_TEXT | LVIF_PARAM, 4, "dup", 0, 0, 0, 2);
    for (LPARAM data : {LPARAM(1), LPARAM(2), LPARAM(3), LPARAM(4), LPARAM(5), LPARAM(-1)}) {
        SCOPED_TRACE(data);
        int first = -1;
        for (int i = 0; i < list.GetItemCount() && first < 0; ++i)
            if (static_cast<LPARAM>(list.GetItemData(i)) == data) first = i;
        EXPECT_EQ(list.FindItemByData(data), first);
        EXPECT_EQ(first == -1, data == 5 || data == -1);
    }
}

TEST_F(ListTest, LayoutIsSavedAtDestructionAndReadBack) {
    const std::string columns = "Settings\\Columns-" + std::to_string(kListId);
    const std::string order = "Settings\\Order-" + std::to_string(kListId);
    // Saved: widths always, orders only with header drag and drop.
    for (DWORD exStyle : {DWORD(0), DWORD(LVS_EX_HEADERDRAGDROP)}) {
        store_.values.clear();
        TestList& list = MakeList(2, exStyle);
        list.SetColumnWidth(0, 70);
        list.SetColumnWidth(2, 90);
        const int positions[] = {2, 0, 1};
        list.SetColumnOrderArray(3, positions);
        list.DestroyWindow();
        EXPECT_EQ(store_.values[columns], "70,130,90,");
        EXPECT_EQ(store_.values.count(order), exStyle ? 1u : 0u);
        EXPECT_EQ(store_.values[order], exStyle ? "1,2,0," : "");
    }
    store_.values.clear();
    MakeList(0).m_bSaveColumns = FALSE;
    list_->DestroyWindow();
    EXPECT_TRUE(store_.values.empty());

    struct Case {
        const char* widths;
        const char* order;  // null: none stored
        std::vector<int> expectWidths;
        std::vector<int> expectOrder;  // column at each position; empty: any
    };
    const Case cases[] = {
        {"", "2,1,0,", {130, 130, 130}, {0, 1, 2}},
        {"120,80,", nullptr, {120, 80, 130}, {0, 1, 2}},
        {"70,130,90,", "1,2,0,", {70, 130, 90}, {2, 0, 1}},
        {"100,100,100,", "1,,0,", {100, 100, 100}, {2, 0, 1}},
        {"50,60,70,80,90,", "3,9,7,1,", {50, 60, 70}, {0, 2, 1}},
        {"abc,-5,x9,,,", "z,,-3,", {0, 130, 0}, {}},
        {",,,,,,,,", ",,,,", {130, 130, 130}, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.widths);
        store_.values.clear();
        store_.values[columns] = c.widths;
        if (c.order) store_.values[order] = c.order;
        TestList& list = MakeList(1, LVS_EX_HEADERDRAGDROP);
        list.LoadColumns();
        std::vector<int> widths;
        for (int i = 0; i < 3; ++i) widths.push_back(list.GetColumnWidth(i));
        EXPECT_EQ(widths, c.expectWidths);
        std::vector<int> positions(3);
        list.GetColumnOrderArray(positions.data(), 3);
        if (c.expectOrder.empty()) {
            std::sort(positions.begin(), positions.end());
            EXPECT_EQ(positions, (std::vector<int>{0, 1, 2}));
        } else {
            EXPECT_EQ(positions, c.expectOrder);
        }
        list.m_bSaveColumns = FALSE;
        list.DestroyWindow();
    }
}

}  // namespace
