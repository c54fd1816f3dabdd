// Numeric fields and check-box flags in a real dialog (NumberEditTest.rc),
// used as a user uses them: clicks on the spin's arrows, arrow keys and
// typed characters in the edit, a click on OK; the framework's prompts are
// found among the process's windows, read and dismissed.
// Hiding a window with a caption takes Wine 2 s without a window manager,
// so each test keeps one dialog and loads the cases into it; its OK saves
// without closing.
// LUMKIT_TEST_HOLD_MS keeps the first dialog and the first prompt on the
// screen that long, to look at them.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Dialog.h"
#include "framework/FrameworkIds.h"
#include "framework/ResourceChain.h"
#include "lumkit/LumDdx.h"
#include "lumkit/LumNumberEdit.h"

namespace {

constexpr UINT kDialogId = 100;
constexpr int kEditId = 1001;
constexpr int kSpinId = 1002;
constexpr int kFlagId = 1003;

DWORD HoldMs() {
    const char* hold = std::getenv("LUMKIT_TEST_HOLD_MS");
    return hold ? static_cast<DWORD>(std::atoi(hold)) : 0;
}

// The arguments of the numeric field's DDX call.
struct Field {
    int decimals;
    __int64 minimum;
    __int64 maximum;
    __int64 step;
    bool wide;  // DDX_NumberSpin64; else DDX_NumberSpin32
};

class NumberDialog : public CDialog {
public:
    void DoDataExchange(CDataExchange* dx) override {
        if (field.wide)
            DDX_NumberSpin64(dx, kEditId, kSpinId, wide, field.decimals, field.minimum, field.maximum,
                             field.step);
        else
            DDX_NumberSpin32(dx, kEditId, kSpinId, narrow, field.decimals, static_cast<int>(field.minimum),
                             static_cast<int>(field.maximum), static_cast<int>(field.step));
        DDX_CheckFlag(dx, kFlagId, flags, mask);
    }
    void OnOK() override {
        if (UpdateData(true)) ++saves;
    }

    void Load(const Field& newField, __int64 value, UINT newFlags = 0, UINT newMask = 1) {
        field = newField;
        wide = value;
        narrow = static_cast<int>(value);
        flags = newFlags;
        mask = newMask;
        UpdateData(false);
    }
    __int64 Value() const { return field.wide ? wide : narrow; }

    Field field = {0, 0, 0, 1, false};
    __int64 wide = 0;
    int narrow = 0;
    UINT flags = 0;
    UINT mask = 1;
    int saves = 0;
};

void Pump(CDialog& dialog) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (dialog.m_hWnd && dialog.PreTranslateMessage(&msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void Click(HWND window, int x, int y) {
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickCentre(HWND window) {
    RECT rect;
    GetClientRect(window, &rect);
    Click(window, rect.right / 2, rect.bottom / 2);
}

// Message boxes of this process, other than the dialog, read and closed
// with their OK button from a thread timer: it runs inside the box's own
// message loop.
class BoxWatcher {
public:
    explicit BoxWatcher(HWND dialog) : dialog_(dialog) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 30, &Tick);
    }
    ~BoxWatcher() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    std::vector<std::string> texts;

private:
    static BOOL CALLBACK FindBox(HWND window, LPARAM self) {
        auto* watcher = reinterpret_cast<BoxWatcher*>(self);
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        char name[16] = {};
        GetClassNameA(window, name, sizeof name);
        if (process != GetCurrentProcessId() || window == watcher->dialog_ || std::string(name) != "#32770" ||
            !IsWindowVisible(window))
            return TRUE;
        watcher->box_ = window;
        return FALSE;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        BoxWatcher* self = current_;
        if (!self) return;
        self->box_ = nullptr;
        EnumWindows(&FindBox, reinterpret_cast<LPARAM>(self));
        if (!self->box_ || self->box_ == self->closing_) return;
        if (self->box_ != self->seen_) {
            self->seen_ = self->box_;
            self->seenAt_ = GetTickCount();
        }
        static bool held = false;
        if (!held && GetTickCount() - self->seenAt_ < HoldMs()) return;
        held = true;
        char text[512] = {};
        GetDlgItemTextA(self->box_, 0xFFFF, text, sizeof text);
        self->texts.push_back(text);
        self->closing_ = self->box_;
        PostMessageA(GetDlgItem(self->box_, IDOK), BM_CLICK, 0, 0);
    }

    static BoxWatcher* current_;
    HWND dialog_;
    UINT_PTR timer_ = 0;
    HWND box_ = nullptr;
    HWND seen_ = nullptr;
    HWND closing_ = nullptr;
    DWORD seenAt_ = 0;
};

BoxWatcher* BoxWatcher::current_ = nullptr;

std::string RuntimeClassName(HWND window) {
    CWnd* object = CWnd::FromHandlePermanent(window);
    return object ? object->GetRuntimeClass()->m_lpszClassName : "";
}

std::string Prompt(UINT id) {
    std::string text;
    AfxLoadString(id, text);
    return text;
}

std::string RangePrompt(const char* low, const char* high) {
    return AfxFormatString2(AFX_IDP_PARSE_REAL_RANGE, low, high);
}

// One user action on the field: a text typed over the edit's contents
// (when not null), then a click or key ('+' / '-': the spin's upper or lower
// half, 'U' / 'D': the arrow keys in the edit, ' ': none), and the text the
// edit shows afterwards.
struct Action {
    const char* typed;
    char press;
    const char* shown;
};

// A field as loaded, the actions on it with their outcome, and the value
// OK saves.
struct StepCase {
    const char* name;
    Field field;
    __int64 value;
    const char* shown;
    std::vector<Action> actions;
    __int64 saved;
};

// The test's dialog, shown and active.
class NumberField : public ::testing::Test {
protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
        InitCommonControlsEx(&controls);
        ASSERT_TRUE(dialog_.Create(kDialogId));
        dialog_.ShowWindow(SW_SHOW);
        SetForegroundWindow(dialog_.m_hWnd);
        Pump(dialog_);
        edit_ = dialog_.GetDlgItem(kEditId);
        spin_ = dialog_.GetDlgItem(kSpinId);
        static bool held = false;
        if (!held && HoldMs()) {
            held = true;
            dialog_.Load({2, 0, 10000, 0, false}, 1250, 1, 1);
            const DWORD start = GetTickCount();
            while (GetTickCount() - start < HoldMs()) {
                Pump(dialog_);
                Sleep(20);
            }
        }
    }
    void TearDown() override {
        if (dialog_.m_hWnd) dialog_.DestroyWindow();
    }

    std::string EditText() const {
        char text[64] = {};
        GetWindowTextA(edit_, text, sizeof text);
        return text;
    }

    void Type(const char* text) {
        SendMessageA(edit_, EM_SETSEL, 0, -1);
        PostMessageA(edit_, WM_CHAR, VK_BACK, 1);
        for (const char* c = text; *c; ++c) PostMessageA(edit_, WM_CHAR, static_cast<unsigned char>(*c), 1);
        Pump(dialog_);
    }

    void Do(const Action& action) {
        if (action.typed) Type(action.typed);
        RECT rect;
        GetClientRect(spin_, &rect);
        switch (action.press) {
        case '+': Click(spin_, rect.right / 2, rect.bottom / 4); break;
        case '-': Click(spin_, rect.right / 2, rect.bottom * 3 / 4); break;
        case 'U':
        case 'D': {
            const WPARAM key = action.press == 'U' ? VK_UP : VK_DOWN;
            SetFocus(edit_);
            PostMessageA(edit_, WM_KEYDOWN, key, 1);
            PostMessageA(edit_, WM_KEYUP, key, 0xC0000001);
            break;
        }
        default: break;
        }
        Pump(dialog_);
    }

    // Clicks OK; the texts of the message boxes it showed.
    std::vector<std::string> PressOk() {
        BoxWatcher watcher(dialog_.m_hWnd);
        ClickCentre(dialog_.GetDlgItem(IDOK));
        Pump(dialog_);
        return watcher.texts;
    }

    // Loads the field, checks what it shows, runs the actions and OK.
    void RunSteps(const StepCase& c) {
        SCOPED_TRACE(c.name);
        dialog_.Load(c.field, c.value);
        EXPECT_EQ(EditText(), c.shown);
        EXPECT_EQ(SendMessageA(edit_, EM_GETLIMITTEXT, 0, 0), 30);
        for (const Action& action : c.actions) {
            Do(action);
            EXPECT_EQ(EditText(), action.shown)
                << "after typing '" << (action.typed ? action.typed : "") << "' and '" << action.press << "'";
        }
        EXPECT_EQ(dialog_.Value(), c.value);  // only OK stores
        const int saves = dialog_.saves;
        EXPECT_TRUE(PressOk().empty());
        EXPECT_EQ(dialog_.saves, saves + 1);
        EXPECT_EQ(dialog_.Value(), c.saved);
    }

    NumberDialog dialog_;
    HWND edit_ = nullptr;
    HWND spin_ = nullptr;
};

TEST_F(NumberField, ArrowsStepWithinTheLimitsAndOkSaves) {
    const StepCase cases[] = {
        {"two decimals, step 0 is one unit", {2, 0, 10000, 0, false}, 1250, "12.50",
         {{nullptr, '+', "13.50"}, {nullptr, '-', "12.50"}, {nullptr, '-', "11.50"}}, 1150},
        {"up at the maximum stays there", {0, 0, 10, 3, false}, 9, "9",
         {{nullptr, '+', "10"}, {nullptr, '+', "10"}, {nullptr, '-', "7"}}, 7},
        {"down at the minimum stays there", {0, 1, 31, 1, false}, 2, "2",
         {{nullptr, '-', "1"}, {nullptr, '-', "1"}, {nullptr, 'U', "2"}}, 2},
        {"negative limits of an int", {0, -5, 5, 2, false}, -4, "-4",
         {{nullptr, '-', "-5"}, {nullptr, '+', "-3"}, {nullptr, 'U', "-1"}, {nullptr, 'D', "-3"}}, -3},
        {"64-bit values", {0, -10000000000, 10000000000, 1, true}, 9999999999, "9999999999",
         {{nullptr, '+', "10000000000"}, {nullptr, '+', "10000000000"}}, 10000000000},
        {"fractional step", {3, -1000, 1000, 250, true}, 0, "0.000",
         {{nullptr, '-', "-0.250"}, {nullptr, 'D', "-0.500"}, {nullptr, '+', "-0.250"}}, -250},
    };
    for (const StepCase& c : cases) RunSteps(c);

    // The pair's objects were made once, and reloading kept them.
    EXPECT_EQ(RuntimeClassName(edit_), "CNumberEdit");
    EXPECT_EQ(RuntimeClassName(spin_), "CNumberSpin");
    CWnd* edit = CWnd::FromHandlePermanent(edit_);
    CWnd* spin = CWnd::FromHandlePermanent(spin_);
    dialog_.Load({0, 0, 10, 1, false}, 4);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit_), edit);
    EXPECT_EQ(CWnd::FromHandlePermanent(spin_), spin);
}

TEST_F(NumberField, AStepStartsFromTheTypedText) {
    const StepCase cases[] = {
        {"typed whole number", {0, 0, 100, 1, false}, 20, "20",
         {{"7", '+', "8"}, {"abc", '+', "9"}, {"", '-', "8"}, {"500", '-', "100"}, {"-3", '+', "0"}}, 0},
        {"typed decimals, truncated", {2, 0, 10000, 0, false}, 1250, "12.50",
         {{"3.5", '+', "4.50"}, {"0.999", 'U', "1.99"}, {"x", '-', "0.99"}}, 99},
        {"typed text is kept until saved", {0, 1, 31, 1, true}, 5, "5", {{"17", ' ', "17"}}, 17},
    };
    for (const StepCase& c : cases) RunSteps(c);
}

TEST_F(NumberField, OkWithBadTextShowsThePromptAndKeepsTheValue) {
    const std::string number = Prompt(AFX_IDP_PARSE_REAL);
    ASSERT_FALSE(number.empty());
    const Field days = {0, 1, 31, 1, false};
    const Field percent = {2, 0, 10000, 0, false};
    const Field offset = {0, -5, 5, 1, false};
    const Field big = {0, -10000000000, 10000000000, 1, true};
    const struct {
        Field field;
        __int64 value;
        const char* typed;
        std::string prompt;
        const char* good;  // then typed and saved
        __int64 saved;
    } cases[] = {
        {days, 15, "200", RangePrompt("1", "31"), "31", 31},
        {days, 15, "0", RangePrompt("1", "31"), "1", 1},
        {percent, 1250, "100.01", RangePrompt("0.00", "100.00"), "100", 10000},
        {offset, 0, "-6", RangePrompt("-5", "5"), "-5", -5},
        {big, 0, "10000000001", RangePrompt("-10000000000", "10000000000"), "-10000000000", -10000000000},
        {days, 15, "abc", number, "3", 3},
        {percent, 1250, "1,5", number, "1.5", 150},
        {days, 15, "%s%n", number, "15", 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        dialog_.Load(c.field, c.value);
        Type(c.typed);
        const int saves = dialog_.saves;
        const std::vector<std::string> boxes = PressOk();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], c.prompt);
        EXPECT_EQ(dialog_.saves, saves) << "the exchange failed";
        EXPECT_EQ(GetFocus(), edit_);
        EXPECT_EQ(EditText(), c.typed);
        EXPECT_EQ(dialog_.Value(), c.value);

        Type(c.good);
        EXPECT_TRUE(PressOk().empty());
        EXPECT_EQ(dialog_.saves, saves + 1);
        EXPECT_EQ(dialog_.Value(), c.saved);
    }
}

TEST_F(NumberField, CheckFlagLoadsAndSavesOnlyTheMaskBits) {
    const struct {
        UINT flags;
        UINT mask;
        bool click;
        int loaded;
        UINT saved;
    } cases[] = {
        {0xF0, 0x10, true, BST_CHECKED, 0xE0},
        {0xE0, 0x10, true, BST_UNCHECKED, 0xF0},
        {0x02, 0x06, false, BST_CHECKED, 0x06},  // one bit of the mask checks the box
        {0x81, 0x06, false, BST_UNCHECKED, 0x81},
        {0xFFFFFFFF, 0x80000000, true, BST_CHECKED, 0x7FFFFFFF},
    };
    HWND box = dialog_.GetDlgItem(kFlagId);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.flags);
        dialog_.Load({0, 0, 10, 1, false}, 5, c.flags, c.mask);
        EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), c.loaded);
        if (c.click) {
            ClickCentre(box);
            Pump(dialog_);
            EXPECT_NE(SendMessageA(box, BM_GETCHECK, 0, 0), c.loaded);
        }
        EXPECT_TRUE(PressOk().empty());
        EXPECT_EQ(dialog_.flags, c.saved);
    }
}

}  // namespace
