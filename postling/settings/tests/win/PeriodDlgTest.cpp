// The period list dialog and the period editor in real modal runs. The test
// thread runs the dialog; a driver thread acts as the user does, with posted
// clicks and keys, waits for each window it expects and reads what the
// windows show. What it saw is checked after the dialog has ended.
// PERIODS_SHOT_DIR (a Windows path): the driver writes NAME.ready there at
// the moments worth a look and waits for NAME.done, so that a script can
// take a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "postling/res/resource.h"
#include "postling/settings/PeriodDlg.h"
#include "postling/settings/PeriodListDlg.h"

namespace {

std::string Cp1251(const char* utf8) {
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideSize);
    const int size = WideCharToMultiByte(1251, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(1251, 0, wide.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

std::string Text(HWND window) {
    char buffer[512] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// The visible dialog of this process titled `title`, waited for up to 5 s.
HWND WaitForDialog(const std::string& title) {
    for (int i = 0; i < 500; ++i) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", title.c_str())) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            if (process == GetCurrentProcessId() && IsWindowVisible(found)) return found;
        }
        Sleep(10);
    }
    return nullptr;
}

bool WaitGone(HWND window) {
    for (int i = 0; i < 500 && IsWindow(window); ++i) Sleep(10);
    return !IsWindow(window);
}

void Settle() { Sleep(150); }

void Click(HWND control) {
    RECT rect = {};
    GetClientRect(control, &rect);
    const LPARAM at = MAKELPARAM(rect.right / 2, rect.bottom / 2);
    PostMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(control, WM_LBUTTONUP, 0, at);
    Settle();
}

void Key(HWND window, UINT vk) {
    PostMessageA(window, WM_KEYDOWN, vk, 1);
    PostMessageA(window, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    Settle();
}

// Types `text` into an edit box as characters, replacing what it held.
void Type(HWND edit, const char* text) {
    SendMessageA(edit, EM_SETSEL, 0, -1);
    for (const char* c = text; *c; ++c) PostMessageA(edit, WM_CHAR, static_cast<unsigned char>(*c), 1);
    Settle();
}

void SetTime(HWND picker, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(hour);
    time.wMinute = static_cast<WORD>(minute);
    SendMessageA(picker, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&time));
}

std::string TimeShown(HWND picker) {
    SYSTEMTIME time = {};
    if (SendMessageA(picker, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)) != GDT_VALID) return "?";
    char text[16];
    wsprintfA(text, "%d:%02d", time.wHour, time.wMinute);
    return text;
}

std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
        char buffer[256] = {};
        LVITEMA item = {};
        item.iSubItem = 0;
        item.pszText = buffer;
        item.cchTextMax = sizeof buffer;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
        rows.push_back(buffer);
    }
    return rows;
}

int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ClickRow(HWND list, int row) {
    RECT rect = {};
    rect.left = LVIR_LABEL;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
    Settle();
}

// The visible message box of this process other than `except`; its text
// is kept and OK pressed.
std::string AnswerMessageBox() {
    for (int i = 0; i < 500; ++i) {
        HWND found = nullptr;
        while ((found = FindWindowExA(nullptr, found, "#32770", nullptr)) != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(found, &process);
            HWND text = GetDlgItem(found, 0xFFFF);
            if (process != GetCurrentProcessId() || !text || !IsWindowVisible(found)) continue;
            const std::string said = Text(text);
            PostMessageA(found, WM_COMMAND, IDOK, 0);
            WaitGone(found);
            return said;
        }
        Sleep(10);
    }
    return std::string();
}

void Shot(const char* name) {
    const char* dir = std::getenv("PERIODS_SHOT_DIR");
    if (!dir || !*dir) return;
    const std::string base = std::string(dir) + "\\" + name;
    std::ofstream(base + ".ready") << name;
    for (int i = 0; i < 1000; ++i) {
        if (GetFileAttributesA((base + ".done").c_str()) != INVALID_FILE_ATTRIBUTES) break;
        Sleep(20);
    }
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Runs `dialog` modally while `driver` acts on the screen from a thread.
template <typename Dialog>
INT_PTR RunWithDriver(Dialog& dialog, const std::function<void()>& driver) {
    std::thread worker(driver);
    const INT_PTR result = dialog.DoModal();
    worker.join();
    return result;
}

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
        Shot("periodlist");

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
        Shot("periodeditor");
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
