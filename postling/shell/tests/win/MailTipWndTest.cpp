// The mail tip: measuring, placement, the balloon, one tip at a time, the
// life timer, click-through and never taking the focus.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "postling/shell/MailTipWnd.h"

namespace {

// Windows-1251 texts, as the program has them.
const char kRussianTip[] =
    "\xCF\xEE\xEB\xF3\xF7\xE5\xED\xE0 \xF1\xE2\xE5\xE6\xE0\xFF \xEF\xEE\xF7\xF2\xE0!\n"
    "5 \xEF\xE8\xF1\xE5\xEC (1 \xED\xEE\xE2\xEE\xE5)";  // Получена свежая почта!\n5 писем (1 новое)

void PumpFor(DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < milliseconds) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

// Pumps until `done` or the time is up; true when done.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds) {
    DWORD start = GetTickCount();
    MSG msg;
    while (!done()) {
        if (GetTickCount() - start > milliseconds) return false;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
    return true;
}

SIZE DefaultFontLineSize() {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, "Xg", 2, &size);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return size;
}

BOOL CALLBACK CountTips(HWND window, LPARAM counter) {
    CWnd* wnd = CWnd::FromHandlePermanent(window);
    if (wnd && wnd->GetRuntimeClass() == &CMailTipWnd::classCMailTipWnd && IsWindowVisible(window))
        ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

int VisibleTipsOfThisThread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountTips, reinterpret_cast<LPARAM>(&count));
    return count;
}

class MailTipTest : public ::testing::Test {
protected:
    void TearDown() override {
        // No tip outlives its test.
        if (CMailTipWnd* tip = CMailTipWnd::GetCurrentTip()) tip->DestroyWindow();
        PumpFor(20);
        EXPECT_FALSE(CMailTipWnd::IsTipShown());
    }

    // Shows a self-owned tip; null when ShowTip failed.
    CMailTipWnd* Show(const char* text, UINT lifetime = CMailTipWnd::kLifetimeMs) {
        auto* tip = new CMailTipWnd;
        tip->SetLifetime(lifetime);
        if (!tip->ShowTip(text)) {
            delete tip;
            return nullptr;
        }
        return tip;
    }
};

}  // namespace

// ---- The measuring loop, with a layout of our own ----

// A layout of fixed-size characters (8 x 16), wrapped at spaces; a word
// wider than the width stays whole, as the system's layout does.
struct FakeFont {
    int rounds = 0;
    SIZE Extent(const std::string& text) const {
        return SIZE{static_cast<LONG>(8 * text.size()), 16};
    }
    SIZE Layout(const std::string& text, int width) {
        ++rounds;
        int lines = 0, widest = 0, line = 0;
        std::size_t pos = 0;
        auto flush = [&] {
            ++lines;
            widest = std::max(widest, line);
            line = 0;
        };
        while (pos <= text.size()) {
            std::size_t end = text.find_first_of(" \n", pos);
            if (end == std::string::npos) end = text.size();
            int word = 8 * static_cast<int>(end - pos);
            if (line > 0 && line + 8 + word > width) flush();
            line += (line > 0 ? 8 : 0) + word;
            if (end < text.size() && text[end] == '\n') flush();
            pos = end + 1;
        }
        flush();
        return SIZE{widest, 16 * lines};
    }
};

SIZE FakeMeasure(FakeFont& font, const std::string& text) {
    return MeasureTipText(
        text, [&](const std::string& s) { return font.Extent(s); },
        [&](const std::string& s, int width) { return font.Layout(s, width); });
}

TEST(MeasureTipText, ShortOneLineTextKeepsItsOneLineSize) {
    FakeFont font;
    SIZE size = FakeMeasure(font, "New mail");  // 64 x 16: 64 <= 20 x 16
    EXPECT_EQ(64, size.cx);
    EXPECT_EQ(16, size.cy);
    EXPECT_EQ(0, font.rounds);
}

TEST(MeasureTipText, LongOneLineTextIsWrappedUntilTheRatioHolds) {
    FakeFont font;
    std::string text;
    for (int i = 0; i < 40; ++i) text += "word ";
    text.pop_back();  // 199 characters, 1592 pixels on one line
    SIZE size = FakeMeasure(font, text);
    EXPECT_GT(font.rounds, 0);
    EXPECT_LE(size.cx, 20 * size.cy);
    EXPECT_GE(size.cy, 32);
    EXPECT_LT(size.cx, 1592);
}

TEST(MeasureTipText, TextWithLineBreakIsLaidOutAtLeastOnce) {
    FakeFont font;
    SIZE size = FakeMeasure(font, "Mail\nthree new");
    EXPECT_GE(font.rounds, 1);
    EXPECT_EQ(32, size.cy);  // two lines
}

TEST(MeasureTipText, UnbreakableWordEndsTheLoop) {
    FakeFont font;
    std::string word(100, 'W');  // 800 pixels, 50 times its height
    SIZE size = FakeMeasure(font, word);
    EXPECT_EQ(800, size.cx);
    EXPECT_EQ(16, size.cy);
    EXPECT_LE(font.rounds, 2);
}

TEST(MeasureTipText, LayoutThatNeverNarrowsEndsTheLoop) {
    int rounds = 0;
    SIZE size = MeasureTipText(
        "x", [](const std::string&) { return SIZE{500, 10}; },
        [&](const std::string&, int) {
            ++rounds;
            return SIZE{600, 10};  // wider every time
        });
    EXPECT_EQ(1, rounds);
    EXPECT_EQ(600, size.cx);
    EXPECT_EQ(16, size.cy);
}

TEST(MeasureTipText, LowTextGetsTheMinimumHeight) {
    SIZE size = MeasureTipText(
        "x", [](const std::string&) { return SIZE{30, 9}; },
        [](const std::string&, int) { return SIZE{0, 0}; });
    EXPECT_EQ(30, size.cx);
    EXPECT_EQ(16, size.cy);
}

// ---- The measuring loop with the real font ----

TEST(MeasureTipText, RealFontRussianTipHasTwoLines) {
    SIZE line = DefaultFontLineSize();
    SIZE size = MeasureTipText(kRussianTip);
    EXPECT_GT(size.cx, 0);
    EXPECT_GE(size.cy, 2 * line.cy);
    EXPECT_LE(size.cx, 20 * size.cy);
}

TEST(MeasureTipText, RealFontLongTextIsWrapped) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "\xEF\xE8\xF1\xFC\xEC\xEE ";  // письмо
    SIZE size = MeasureTipText(text);
    SIZE line = DefaultFontLineSize();
    EXPECT_LE(size.cx, 20 * size.cy);
    EXPECT_GT(size.cy, line.cy);
}

TEST(MeasureTipText, RealFontUnbreakableWordEnds) {
    std::string word(300, 'W');
    SIZE size = MeasureTipText(word);  // ends: the test would hang otherwise
    EXPECT_GT(size.cx, 20 * size.cy);
    EXPECT_GE(size.cy, 16);
}

// ---- Placement ----

TEST(PlaceTipBody, AboveTheTaskbarAtTheBottomRight) {
    RECT work = {0, 0, 1024, 738};
    RECT body = PlaceTipBody(SIZE{200, 30}, SIZE{1024, 718}, work);
    EXPECT_EQ(1024 - 42 - 200, body.left);
    EXPECT_EQ(1024 - 8, body.right);
    EXPECT_EQ(718 - 44 - 30, body.top);
    EXPECT_EQ(718 - 28, body.bottom);
    EXPECT_EQ(200 + 34, body.right - body.left);
    EXPECT_EQ(30 + 16, body.bottom - body.top);
}

TEST(PlaceTipBody, TooLargeTextStaysOnScreen) {
    RECT work = {0, 0, 1024, 738};
    RECT body = PlaceTipBody(SIZE{5000, 3000}, SIZE{1024, 718}, work);
    EXPECT_GE(body.left, 0);
    EXPECT_GE(body.top, 0);
    EXPECT_LE(body.right, 1024);
    EXPECT_LE(body.bottom + 20, 738);
}

TEST(PlaceTipBody, FullScreenAreaPastTheScreenMovesTheTipIn) {
    // Wine: a full-screen height of 779 on a screen 768 high.
    RECT work = {0, 0, 1024, 768};
    RECT body = PlaceTipBody(SIZE{200, 26}, SIZE{1024, 779}, work);
    EXPECT_EQ(768, body.bottom + 20);
    EXPECT_EQ(26 + 16, body.bottom - body.top);
    EXPECT_EQ(1024 - 8, body.right);
}

// ---- The window ----

TEST_F(MailTipTest, ShowsTheTipNearTheTray) {
    CMailTipWnd* tip = Show(kRussianTip);
    ASSERT_NE(nullptr, tip);
    EXPECT_TRUE(CMailTipWnd::IsTipShown());
    EXPECT_EQ(tip, CMailTipWnd::GetCurrentTip());
    EXPECT_TRUE(IsWindowVisible(tip->m_hWnd));
    EXPECT_EQ(std::string(kRussianTip), tip->GetWindowText());

    SIZE text = MeasureTipText(kRussianTip);
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT expected = PlaceTipBody(
        text, SIZE{GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)}, work);
    RECT window;
    GetWindowRect(tip->m_hWnd, &window);
    EXPECT_EQ(expected.left, window.left);
    EXPECT_EQ(expected.top, window.top);
    EXPECT_EQ(text.cx + 34, window.right - window.left);
    EXPECT_EQ(text.cy + 16 + 20, window.bottom - window.top);
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(window.bottom, GetSystemMetrics(SM_CYSCREEN));

    const RECT& body = tip->GetBodyRect();
    EXPECT_EQ(0, body.left);
    EXPECT_EQ(0, body.top);
    EXPECT_EQ(text.cx + 34, body.right);
    EXPECT_EQ(text.cy + 16, body.bottom);

    LONG style = GetWindowLongA(tip->m_hWnd, GWL_STYLE);
    LONG exStyle = GetWindowLongA(tip->m_hWnd, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
}

TEST_F(MailTipTest, HugeUnbreakableTextStaysOnScreen) {
    std::string word(2000, 'W');
    CMailTipWnd* tip = Show(word.c_str());
    ASSERT_NE(nullptr, tip);
    RECT window;
    GetWindowRect(tip->m_hWnd, &window);
    EXPECT_GE(window.left, 0);
    EXPECT_GE(window.top, 0);
    EXPECT_LE(window.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_LE(window.bottom, GetSystemMetrics(SM_CYSCREEN));
}

TEST_F(MailTipTest, RegionIsTheBalloonWithItsTail) {
    CMailTipWnd* tip = Show("New mail");
    ASSERT_NE(nullptr, tip);
    int w = tip->GetBodyRect().right, h = tip->GetBodyRect().bottom;
    const POINT* tail = tip->GetTailPoints();
    EXPECT_EQ(w - 32, tail[0].x);
    EXPECT_EQ(h - 1, tail[0].y);
    EXPECT_EQ(w - 16, tail[1].x);
    EXPECT_EQ(h - 1, tail[1].y);
    EXPECT_EQ(w - 40, tail[2].x);
    EXPECT_EQ(h + 19, tail[2].y);

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(tip->m_hWnd, region));
    EXPECT_TRUE(PtInRegion(region, w / 2, h / 2));   // the body
    EXPECT_FALSE(PtInRegion(region, 0, 0));          // a rounded corner
    EXPECT_FALSE(PtInRegion(region, w - 1, 0));
    EXPECT_TRUE(PtInRegion(region, w - 30, h + 5));  // the tail
    EXPECT_FALSE(PtInRegion(region, 4, h + 5));      // beside the tail
    EXPECT_FALSE(PtInRegion(region, w - 4, h + 5));
    DeleteObject(region);
}

TEST_F(MailTipTest, LowTextGivesABody32PixelsHigh) {
    CMailTipWnd* tip = Show("x");
    ASSERT_NE(nullptr, tip);
    if (DefaultFontLineSize().cy <= 16) EXPECT_EQ(32, tip->GetBodyRect().bottom);
    else EXPECT_EQ(DefaultFontLineSize().cy + 16, tip->GetBodyRect().bottom);
}

TEST_F(MailTipTest, NoTextOnlyDestroysTheOldTip) {
    CMailTipWnd* first = Show("first");
    ASSERT_NE(nullptr, first);
    HWND window = first->m_hWnd;
    CMailTipWnd empty;
    EXPECT_FALSE(empty.ShowTip(""));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(CMailTipWnd::IsTipShown());
    EXPECT_EQ(nullptr, empty.GetSafeHwnd());

    CMailTipWnd none;
    EXPECT_FALSE(none.ShowTip(nullptr));
    EXPECT_FALSE(CMailTipWnd::IsTipShown());
}

TEST_F(MailTipTest, ANewTipReplacesTheOldOne) {
    CMailTipWnd* first = Show("first");
    ASSERT_NE(nullptr, first);
    HWND firstWindow = first->m_hWnd;
    CMailTipWnd* second = Show(kRussianTip);
    ASSERT_NE(nullptr, second);
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_EQ(second, CMailTipWnd::GetCurrentTip());
    EXPECT_EQ(1, VisibleTipsOfThisThread());
    CMailTipWnd* third = Show("third");
    ASSERT_NE(nullptr, third);
    EXPECT_EQ(1, VisibleTipsOfThisThread());
    EXPECT_EQ(third, CMailTipWnd::GetCurrentTip());
}

TEST_F(MailTipTest, ShowingTheSameObjectAgainReplacesItsWindow) {
    CMailTipWnd* tip = Show("first");
    ASSERT_NE(nullptr, tip);
    HWND firstWindow = tip->m_hWnd;
    ASSERT_TRUE(tip->ShowTip("second"));  // the object survives its old window
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_EQ(tip, CMailTipWnd::GetCurrentTip());
    EXPECT_EQ("second", tip->GetWindowText());
    EXPECT_EQ(1, VisibleTipsOfThisThread());
}

TEST_F(MailTipTest, TimerOneEndsTheTip) {
    CMailTipWnd* tip = Show("bye");
    ASSERT_NE(nullptr, tip);
    HWND window = tip->m_hWnd;
    SendMessageA(window, WM_TIMER, 2, 0);  // not its timer
    EXPECT_TRUE(IsWindow(window));
    SendMessageA(window, WM_TIMER, CMailTipWnd::kTimerId, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_FALSE(CMailTipWnd::IsTipShown());
}

TEST_F(MailTipTest, ClosesItselfAfterItsLifetime) {
    CMailTipWnd* tip = Show("short life", 150);
    ASSERT_NE(nullptr, tip);
    HWND window = tip->m_hWnd;
    EXPECT_TRUE(PumpUntil([&] { return !CMailTipWnd::IsTipShown(); }, 5000));
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(MailTipTest, ReplacingGivesAFreshLifetime) {
    CMailTipWnd* first = Show("first", 400);
    ASSERT_NE(nullptr, first);
    PumpFor(250);
    CMailTipWnd* second = Show("second", 400);
    ASSERT_NE(nullptr, second);
    PumpFor(250);  // past the first tip's end, not the second's
    EXPECT_EQ(second, CMailTipWnd::GetCurrentTip());
    EXPECT_TRUE(PumpUntil([&] { return !CMailTipWnd::IsTipShown(); }, 5000));
}

TEST_F(MailTipTest, EveryPointIsTransparentToHitTesting) {
    CMailTipWnd* tip = Show(kRussianTip);
    ASSERT_NE(nullptr, tip);
    RECT window;
    GetWindowRect(tip->m_hWnd, &window);
    const POINT points[] = {{window.left + 10, window.top + 10},
                            {(window.left + window.right) / 2, (window.top + window.bottom) / 2},
                            {window.right - 30, window.bottom - 15}};
    for (const POINT& p : points) {
        EXPECT_EQ(HTTRANSPARENT, static_cast<int>(SendMessageA(tip->m_hWnd, WM_NCHITTEST, 0,
                                                               MAKELPARAM(p.x, p.y))));
    }
}

TEST_F(MailTipTest, PointsFallThroughToTheWindowBelowAndFocusStays) {
    // A window of ours under the tip's place, active.
    RECT place;
    {
        CMailTipWnd* probe = Show(kRussianTip);
        ASSERT_NE(nullptr, probe);
        GetWindowRect(probe->m_hWnd, &place);
        probe->DestroyWindow();
    }
    // Not a static control: those are transparent to hit testing too.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "MailTipTestBelow";
    RegisterClassA(&wc);
    HWND below = CreateWindowExA(0, "MailTipTestBelow", "below", WS_POPUP | WS_VISIBLE, place.left - 20,
                                 place.top - 20, place.right - place.left + 40,
                                 place.bottom - place.top + 40, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, below);
    SetForegroundWindow(below);
    SetActiveWindow(below);
    PumpFor(50);
    HWND active = GetActiveWindow();
    HWND focus = GetFocus();

    CMailTipWnd* tip = Show(kRussianTip);
    ASSERT_NE(nullptr, tip);
    PumpFor(50);
    EXPECT_EQ(active, GetActiveWindow());
    EXPECT_EQ(focus, GetFocus());
    EXPECT_NE(tip->m_hWnd, GetActiveWindow());

    POINT middle = {(place.left + place.right) / 2, place.top + 10};
    EXPECT_EQ(below, WindowFromPoint(middle));

    DestroyWindow(below);
}
