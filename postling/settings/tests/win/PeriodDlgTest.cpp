// The period list dialog and the period editor in real modal runs. The test
// thread runs the dialog; a driver thread acts as the user does, with posted
// clicks and keys, waits for each window it expects and reads what the
// windows show. What it saw is checked after the dialog has ended.
// PERIODS_SHOT_DIR (a Windows path): the driver writes NAME.ready there at
// the moments worth a look and waits for NAME.done, so that a script can
// take a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "postling/res/resource.h"
#include "postling/settings/PeriodDlg.h"
#include "postling/settings/PeriodListDlg.h"
#include "postling/settings/tests/win/UiDriver.h"

using namespace ui_driver;

namespace {

const std::string kListTitle = Cp1251("Когда проверять почту");
const std::string kAddTitle = Cp1251("Добавление периода времени");
const std::string kEditTitle = Cp1251("Редактирование периода времени");

}  // namespace

// The whole round of the list: it shows the periods with their texts; the
// toolbar's edit and delete wait for a selection; Delete removes the
// selected period without asking; Insert opens the editor on a new daily
// 9:00-18:00 period whose other groups start at 9:00 and 18:00, and the
// monthly period made there is appended and selected; Enter edits it, a day
// out of range is refused with the range prompt and the editor stays; the
// edited text is shown; OK leaves the edited list.
TEST(PeriodListDlg, DeletesAddsAndEditsPeriodsAsTheUserDoes) {
    CPeriodListDlg dialog(kListTitle, nullptr);
    dialog.m_periods.Add(CInterval::Daily(9, 0, 18, 0));
    dialog.m_periods.Add(CInterval::Weekly(0, 8, 0, 4, 17, 30));

    std::vector<std::string> initialRows, afterDelete, afterAdd, afterEdit;
    bool editDisabledAtFirst = false, editEnabledOnSelection = false;
    int toolbarButtons = 0, selectedAfterAdd = -2;
    bool dailyEnabled = false, monthlyDisabled = false, monthlyEnabledAfterClick = false, dailyDisabledAfterClick = false;
    std::string weeklyTimes, monthlyTimes, rangePrompt, editKindShown;
    bool editorStayed = false;

    const INT_PTR result = RunWithDriver(dialog, [&] {
        HWND window = WaitForDialog(kListTitle);
        if (!window) return;
        HWND list = GetDlgItem(window, IDC_PERIOD_LIST);
        HWND toolbar = GetDlgItem(window, IDC_PERIOD_TOOLBAR);
        Settle();
        initialRows = Rows(list);
        for (HWND child = GetWindow(toolbar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++toolbarButtons;
        editDisabledAtFirst = !Enabled(toolbar, ID_PERIOD_EDIT) && !Enabled(toolbar, ID_PERIOD_DELETE);
        Shot("PERIODS_SHOT_DIR", "periodlist");

        ClickRow(list, 0);
        Sleep(300);  // the dialog updates its buttons when idle
        editEnabledOnSelection = Enabled(toolbar, ID_PERIOD_EDIT) && Enabled(toolbar, ID_PERIOD_DELETE);
        Key(list, VK_DELETE);
        afterDelete = Rows(list);

        Key(list, VK_INSERT);
        HWND editor = WaitForDialog(kAddTitle);
        if (!editor) return;
        Settle();
        dailyEnabled = Enabled(editor, IDC_PERIOD_DAILY_START) && Enabled(editor, IDC_PERIOD_DAILY_END);
        monthlyDisabled = !Enabled(editor, IDC_PERIOD_MONTHLY_START_DAY) && !Enabled(editor, IDC_PERIOD_WEEKLY_END_DAY);
        weeklyTimes = TimeShown(GetDlgItem(editor, IDC_PERIOD_WEEKLY_START_TIME)) + "-" +
                      TimeShown(GetDlgItem(editor, IDC_PERIOD_WEEKLY_END_TIME));
        Click(GetDlgItem(editor, IDC_PERIOD_MONTHLY));
        monthlyEnabledAfterClick = Enabled(editor, IDC_PERIOD_MONTHLY_START_DAY) &&
                                   Enabled(editor, IDC_PERIOD_MONTHLY_END_TIME);
        dailyDisabledAfterClick = !Enabled(editor, IDC_PERIOD_DAILY_START);
        Type(GetDlgItem(editor, IDC_PERIOD_MONTHLY_START_DAY), "5");
        Type(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_DAY), "20");
        SetTime(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_TIME), 23, 45);
        Shot("PERIODS_SHOT_DIR", "periodeditor");
        Click(GetDlgItem(editor, IDOK));
        WaitGone(editor);
        Settle();
        afterAdd = Rows(list);
        selectedAfterAdd = SelectedRow(list);

        Key(list, VK_RETURN);
        editor = WaitForDialog(kEditTitle);
        if (!editor) return;
        Settle();
        editKindShown = SendMessageA(GetDlgItem(editor, IDC_PERIOD_MONTHLY), BM_GETCHECK, 0, 0) == BST_CHECKED
                            ? Text(GetDlgItem(editor, IDC_PERIOD_MONTHLY_START_DAY)) + "/" +
                                  Text(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_DAY))
                            : "not monthly";
        monthlyTimes = TimeShown(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_TIME));
        Type(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_DAY), "40");
        PostMessageA(GetDlgItem(editor, IDOK), BM_CLICK, 0, 0);
        rangePrompt = AnswerMessageBox();
        Settle();
        editorStayed = IsWindow(editor) && IsWindowVisible(editor);
        Type(GetDlgItem(editor, IDC_PERIOD_MONTHLY_END_DAY), "31");
        Click(GetDlgItem(editor, IDOK));
        WaitGone(editor);
        Settle();
        afterEdit = Rows(list);
        Click(GetDlgItem(window, IDOK));
    });

    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(initialRows, (std::vector<std::string>{CInterval::Daily(9, 0, 18, 0).Describe(),
                                                     CInterval::Weekly(0, 8, 0, 4, 17, 30).Describe()}));
    EXPECT_EQ(toolbarButtons, 3);
    EXPECT_TRUE(editDisabledAtFirst);
    EXPECT_TRUE(editEnabledOnSelection);
    EXPECT_EQ(afterDelete, std::vector<std::string>{CInterval::Weekly(0, 8, 0, 4, 17, 30).Describe()});
    EXPECT_TRUE(dailyEnabled);
    EXPECT_TRUE(monthlyDisabled);
    EXPECT_EQ(weeklyTimes, "9:00-18:00");
    EXPECT_TRUE(monthlyEnabledAfterClick);
    EXPECT_TRUE(dailyDisabledAfterClick);
    const std::string added = CInterval::Monthly(5, 9, 0, 20, 23, 45).Describe();
    EXPECT_EQ(afterAdd, (std::vector<std::string>{CInterval::Weekly(0, 8, 0, 4, 17, 30).Describe(), added}));
    EXPECT_EQ(selectedAfterAdd, 1);
    EXPECT_EQ(editKindShown, "5/20");
    EXPECT_EQ(monthlyTimes, "23:45");
    EXPECT_FALSE(rangePrompt.empty());
    EXPECT_TRUE(editorStayed);
    const std::string edited = CInterval::Monthly(5, 9, 0, 31, 23, 45).Describe();
    EXPECT_EQ(afterEdit.back(), edited);
    ASSERT_EQ(dialog.m_periods.GetCount(), 2u);
    EXPECT_EQ(dialog.m_periods[1].Describe(), edited);
}

// A double click opens the editor; what is changed there and cancelled is
// not kept, and a weekly period edited as daily keeps the chosen kind only.
TEST(PeriodListDlg, CancelledEditsChangeNothingAndTheChosenKindIsTaken) {
    CPeriodListDlg dialog(kListTitle, nullptr);
    dialog.m_periods.Add(CInterval::Weekly(2, 7, 30, 3, 12, 0));
    const std::string before = dialog.m_periods[0].Describe();
    std::vector<std::string> afterCancel, afterDaily;
    std::string weekdayShown;

    RunWithDriver(dialog, [&] {
        HWND window = WaitForDialog(kListTitle);
        if (!window) return;
        HWND list = GetDlgItem(window, IDC_PERIOD_LIST);
        Settle();
        ClickRow(list, 0);
        RECT rect = {};
        rect.left = LVIR_LABEL;
        SendMessageA(list, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&rect));
        PostMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(rect.left + 5, (rect.top + rect.bottom) / 2));
        PostMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(rect.left + 5, (rect.top + rect.bottom) / 2));
        HWND editor = WaitForDialog(kEditTitle);
        if (!editor) return;
        Settle();
        HWND startDay = GetDlgItem(editor, IDC_PERIOD_WEEKLY_START_DAY);
        weekdayShown = Text(startDay);
        Click(GetDlgItem(editor, IDC_PERIOD_DAILY));
        SetTime(GetDlgItem(editor, IDC_PERIOD_DAILY_START), 6, 15);
        Click(GetDlgItem(editor, IDCANCEL));
        WaitGone(editor);
        Settle();
        afterCancel = Rows(list);

        Key(list, VK_RETURN);
        editor = WaitForDialog(kEditTitle);
        if (!editor) return;
        Settle();
        Click(GetDlgItem(editor, IDC_PERIOD_DAILY));
        SetTime(GetDlgItem(editor, IDC_PERIOD_DAILY_START), 6, 15);
        Click(GetDlgItem(editor, IDOK));
        WaitGone(editor);
        Settle();
        afterDaily = Rows(list);
        Click(GetDlgItem(window, IDCANCEL));
    });

    EXPECT_EQ(weekdayShown, Cp1251("Среда"));
    EXPECT_EQ(afterCancel, std::vector<std::string>{before});
    // The daily group started from the weekly period's times.
    EXPECT_EQ(afterDaily, std::vector<std::string>{CInterval::Daily(6, 15, 12, 0).Describe()});
}
