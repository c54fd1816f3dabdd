// The control bars on a real frame: a toolbar from its resource, the status
// bar with its message pane and lock-key indicators, docking by dragging the
// gripper, the View menu, and the bars' state in the profile. Mouse and keys
// are posted to the windows (the cursor, which every Wine process of the
// prefix shares, only where the controls read it).
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "framework/ControlBar.h"
#include "framework/FrameWnd.h"
#include "framework/FrameworkIds.h"
#include "framework/StatusBar.h"
#include "framework/ToolBar.h"
#include "framework/WinApp.h"
#include "PumpFor.h"

namespace {

// In ControlBarTest.rc.
constexpr UINT kResources = 300;     // toolbar (windres's form), bitmap and menu
constexpr UINT kWordToolbar = 301;   // the same toolbar in version 1 of the binary form
constexpr UINT kShortToolbar = 302;  // promises more buttons than it has
constexpr UINT kNoBitmap = 303;
constexpr UINT ID_OPEN = 32901, ID_DELETE = 32902, ID_REPLY = 32903, ID_FIND = 32904;
const std::vector<UINT> kButtons = {ID_OPEN, ID_DELETE, ID_SEPARATOR, ID_REPLY, ID_SEPARATOR, ID_FIND};
constexpr UINT kIndicators[] = {ID_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM, ID_INDICATOR_SCRL};

// Text in the ANSI code page (1251), as the controls hold it.
std::string Ansi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

RECT WindowRectIn(HWND window, HWND parent) {
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// Holds the windows on screen for a screenshot taken from outside.
void HoldForScreenshot() {
    if (const char* hold = std::getenv("CONTROLBAR_TEST_HOLD_MS")) Pump(static_cast<DWORD>(std::atoi(hold)));
}

// The application's profile, in memory: "section\entry" to value.
class MemoryStore : public CProfileStore {
public:
    std::map<std::string, std::string> strings;
    std::map<std::string, std::int32_t> ints;
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override {
        auto it = strings.find(section + "\\" + entry);
        return it == strings.end() ? defaultValue : it->second;
    }
    std::int32_t GetInt(const std::string& section, const std::string& entry, std::int32_t defaultValue) override {
        auto it = ints.find(section + "\\" + entry);
        return it == ints.end() ? defaultValue : it->second;
    }
    bool WriteString(const std::string& section, const std::string& entry, const std::string& value) override {
        strings[section + "\\" + entry] = value;
        return true;
    }
    bool WriteInt(const std::string& section, const std::string& entry, std::int32_t value) override {
        ints[section + "\\" + entry] = value;
        return true;
    }
};

// The frame of the tests: a view, the toolbar docked at the top, the status
// bar. Open runs; Delete is enabled by `canDelete`; Reply is checked by
// `replying`; Find has no handler.
class TestFrame : public CFrameWnd {
public:
    CWnd view;
    CToolBar toolBar;
    CStatusBar statusBar;
    bool canDelete = false;
    bool replying = true;
    int opened = 0;

    bool Build() {
        return view.CreateEx(WS_EX_CLIENTEDGE, "EDIT", Ansi(L"Здесь будут письма").c_str(),
                             WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 0, 0, m_hWnd, nullptr) &&
               toolBar.CreateEx(this, TBSTYLE_FLAT,
                                WS_CHILD | WS_VISIBLE | CBRS_TOP | CBRS_GRIPPER | CBRS_TOOLTIPS | CBRS_FLYBY) &&
               toolBar.LoadToolBar(kResources) && statusBar.Create(this) &&
               statusBar.SetIndicators(kIndicators, 4) && (toolBar.EnableDocking(CBRS_ALIGN_ANY), true) &&
               (EnableDocking(CBRS_ALIGN_ANY), true) && DockControlBar(&toolBar);
    }

protected:
    void OnOpen() { ++opened; }
    void OnNothing() {}
    void OnUpdateDelete(CCmdUI* ui) { ui->Enable(canDelete); }
    void OnUpdateReply(CCmdUI* ui) { ui->SetCheck(replying ? 1 : 0); }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry TestFrame::messageEntries[] = {
    On::Command<&TestFrame::OnOpen>(ID_OPEN),
    On::Command<&TestFrame::OnNothing>(ID_DELETE),
    On::Update<&TestFrame::OnUpdateDelete>(ID_DELETE),
    On::Command<&TestFrame::OnNothing>(ID_REPLY),
    On::Update<&TestFrame::OnUpdateReply>(ID_REPLY),
    On::End(),
};
const MessageMap TestFrame::messageMap = {&CFrameWnd::messageMap, TestFrame::messageEntries};

class ControlBars : public ::testing::Test {
protected:
    void SetUp() override {
        app.SetProfileStore(&store);
        frame = MakeFrame();
        ASSERT_NE(frame, nullptr);
    }
    void TearDown() override {
        for (TestFrame* made : frames)
            if (IsWindow(made->m_hWnd)) made->DestroyWindow();
        Pump(30);
    }

    TestFrame* MakeFrame() {
        auto* made = new TestFrame;
        if (!made->LoadFrame(kResources, WS_OVERLAPPEDWINDOW)) {
            delete made;
            return nullptr;
        }
        frames.push_back(made);
        EXPECT_TRUE(made->Build());
        SetWindowPos(made->m_hWnd, nullptr, 40, 40, 560, 380, SWP_NOZORDER);
        made->ShowWindow(SW_SHOW);
        made->UpdateWindow();
        SetForegroundWindow(made->m_hWnd);
        Pump(100);
        app.OnIdle(0);  // as the program's message loop would at once
        return made;
    }

    void Idle() {
        app.OnIdle(0);
        Pump(30);
    }

    RECT Client() const {
        RECT rect;
        frame->GetClientRect(&rect);
        return rect;
    }
    RECT Toolbar() const { return WindowRectIn(frame->toolBar.m_hWnd, frame->m_hWnd); }
    RECT Status() const { return WindowRectIn(frame->statusBar.m_hWnd, frame->m_hWnd); }
    RECT View() const { return WindowRectIn(frame->view.m_hWnd, frame->m_hWnd); }

    // The text the status control shows in pane `index`.
    std::string Shown(int index) const {
        char text[256] = {};
        SendMessageA(frame->statusBar.m_hWnd, SB_GETTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(text));
        return text;
    }

    // A mouse message to the toolbar at `at`, in the frame's client coordinates.
    void MouseOnToolbar(UINT message, POINT at, WPARAM buttons = 0) {
        MapWindowPoints(frame->m_hWnd, frame->toolBar.m_hWnd, &at, 1);
        PostMessageA(frame->toolBar.m_hWnd, message, buttons, MAKELPARAM(at.x, at.y));
    }
    // The middle of the gripper, in the frame's client coordinates.
    POINT Gripper() const {
        const RECT bar = Toolbar();
        return frame->toolBar.IsHorizontal() ? POINT{bar.left + 6, (bar.top + bar.bottom) / 2}
                                             : POINT{(bar.left + bar.right) / 2, bar.top + 6};
    }
    // Presses on the gripper, moves through `path` and releases at its end;
    // `escape`: Escape before the release.
    void DragGripper(const std::vector<POINT>& path, bool escape = false) {
        MouseOnToolbar(WM_LBUTTONDOWN, Gripper(), MK_LBUTTON);
        for (POINT at : path) MouseOnToolbar(WM_MOUSEMOVE, at, MK_LBUTTON);
        if (escape) PostMessageA(frame->m_hWnd, WM_KEYDOWN, VK_ESCAPE, 0);
        MouseOnToolbar(WM_LBUTTONUP, path.empty() ? Gripper() : path.back());
        Pump(100);
    }

    // Bars at their sides, the view in what is left.
    void ExpectLayout(DWORD toolbarSide, bool statusShown) {
        const RECT client = Client(), bar = Toolbar(), view = View();
        const int bottom = statusShown ? Status().top : client.bottom;
        EXPECT_EQ(frame->toolBar.GetDockSide(), toolbarSide);
        if (statusShown) {
            EXPECT_EQ(Status().bottom, client.bottom);
            EXPECT_EQ(Status().right - Status().left, client.right);
        }
        RECT expected = {0, 0, client.right, bottom};
        switch (toolbarSide) {
        case CBRS_ALIGN_TOP: expected.top = bar.bottom; break;
        case CBRS_ALIGN_BOTTOM: expected.bottom = bar.top; EXPECT_EQ(bar.bottom, bottom); break;
        case CBRS_ALIGN_LEFT: expected.left = bar.right; break;
        default: expected.right = bar.left; EXPECT_EQ(bar.right, client.right); break;
        }
        EXPECT_TRUE(EqualRect(&view, &expected))
            << view.left << "," << view.top << "," << view.right << "," << view.bottom;
        // A column: the buttons one under another; a row: side by side.
        RECT first, last;
        ASSERT_TRUE(frame->toolBar.GetItemRect(0, &first));
        ASSERT_TRUE(frame->toolBar.GetItemRect(5, &last));
        const bool horz = (toolbarSide & CBRS_ORIENT_HORZ) != 0;
        EXPECT_EQ(horz ? last.top : last.left, horz ? first.top : first.left);
        EXPECT_GT(horz ? last.left : last.top, horz ? first.left : first.top);
        EXPECT_EQ(horz ? bar.bottom - bar.top : bar.right - bar.left, horz ? 22 + 4 : 23 + 4);
    }

    MemoryStore store;
    CWinApp app{"ControlBarTest"};
    TestFrame* frame = nullptr;
    std::vector<TestFrame*> frames;
};

TEST_F(ControlBars, ToolbarButtonsComeFromTheResourceInOrder) {
    // Both forms of the resource; the second replaces the first's images.
    CToolBar bar;
    ASSERT_TRUE(bar.Create(frame));
    for (UINT resource : {kResources, kWordToolbar}) {
        SCOPED_TRACE(resource);
        ASSERT_TRUE(bar.LoadToolBar(resource));
        std::vector<UINT> ids;
        std::vector<int> images;
        for (int index = 0; index < bar.GetCount(); ++index) {
            ids.push_back(bar.GetItemID(index));
            TBBUTTON button = {};
            SendMessageA(bar.m_hWnd, TB_GETBUTTON, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&button));
            if (!(button.fsStyle & BTNS_SEP)) images.push_back(button.iBitmap);
        }
        EXPECT_EQ(ids, kButtons);
        EXPECT_EQ(images, (std::vector<int>{0, 1, 2, 3}));
        EXPECT_EQ(bar.CommandToIndex(ID_REPLY), 3);
        const DWORD size = static_cast<DWORD>(SendMessageA(bar.m_hWnd, TB_GETBUTTONSIZE, 0, 0));
        EXPECT_EQ(LOWORD(size), 23);
        EXPECT_EQ(HIWORD(size), 22);
        IMAGEINFO image = {};
        HIMAGELIST list = reinterpret_cast<HIMAGELIST>(SendMessageA(bar.m_hWnd, TB_GETIMAGELIST, 0, 0));
        EXPECT_EQ(ImageList_GetImageCount(list), 4);
        ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &image));
        EXPECT_EQ(image.rcImage.right - image.rcImage.left, 16);
        EXPECT_EQ(image.rcImage.bottom - image.rcImage.top, 15);
    }
    for (UINT broken : {kShortToolbar, kNoBitmap, 399u}) {
        CToolBar bar;
        ASSERT_TRUE(bar.Create(frame));
        EXPECT_FALSE(bar.LoadToolBar(broken)) << broken;
    }
    // Data cut short in either form, and images of no size.
    const struct {
        std::vector<BYTE> data;
        bool ok;
    } forms[] = {
        {{1, 0, 16, 0, 15, 0, 1, 0, 0x85, 0x80}, true},
        {{1, 0, 16, 0, 15, 0, 2, 0, 0x85, 0x80}, false},
        {{1, 0, 0, 0, 15, 0, 0, 0}, false},
        {{16, 0, 0, 0, 15, 0, 0, 0, 1, 0, 0, 0, 0x85, 0x80, 0, 0}, true},
        {{16, 0, 0, 0, 15, 0, 0, 0, 2, 0, 0, 0, 0x85, 0x80, 0, 0}, false},
        {{16, 0, 0, 0, 15, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}, false},
        {{1, 0}, false},
    };
    for (const auto& form : forms) {
        CToolBarResource parsed;
        EXPECT_EQ(parsed.Parse(form.data.data(), form.data.size()), form.ok) << form.data.size();
        if (form.ok) {
            EXPECT_EQ(parsed.ids, std::vector<UINT>{ID_OPEN});
        }
    }
}

TEST_F(ControlBars, BarsTakeTheirEdgesAndTheViewMenuShowsAndHidesThem) {
    EXPECT_FALSE(frame->GetExStyle() & WS_EX_CLIENTEDGE);  // the view has its own
    EXPECT_EQ(frame->GetControlBar(AFX_IDW_TOOLBAR), &frame->toolBar);
    EXPECT_EQ(frame->GetMessageBar(), &frame->statusBar);
    ExpectLayout(CBRS_ALIGN_TOP, true);
    EXPECT_EQ(Toolbar().top, 0);

    const struct {
        UINT command;
        bool toolbar, status;
    } steps[] = {
        {ID_VIEW_TOOLBAR, false, true},
        {ID_VIEW_STATUS_BAR, false, false},
        {ID_VIEW_TOOLBAR, true, false},
        {ID_VIEW_STATUS_BAR, true, true},
    };
    for (const auto& step : steps) {
        frame->PostMessage(WM_COMMAND, step.command);
        Pump(50);
        EXPECT_EQ(frame->toolBar.IsVisible(), step.toolbar);
        EXPECT_EQ(frame->statusBar.IsVisible(), step.status);
        const RECT view = View(), client = Client();
        EXPECT_EQ(view.top, step.toolbar ? Toolbar().bottom : 0);
        EXPECT_EQ(view.bottom, step.status ? Status().top : client.bottom);
        for (UINT command : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR}) {
            CCmdUI ui;
            ui.m_nID = command;
            ui.DoUpdate(frame, true);
            EXPECT_TRUE(ui.m_bEnabled);
            EXPECT_EQ(ui.m_nCheck, command == ID_VIEW_TOOLBAR ? step.toolbar : step.status);
        }
    }
    // A bar command of no bar of the frame is disabled.
    EXPECT_FALSE(frame->IsCommandEnabled(AFX_IDW_CONTROLBAR_FIRST + 5));

    // Resizing lays the frame out again.
    SetWindowPos(frame->m_hWnd, nullptr, 0, 0, 420, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump(50);
    ExpectLayout(CBRS_ALIGN_TOP, true);

    // The view: the pane's identifier comes before the first other child,
    // m_pViewWnd before both; the others are left alone.
    CWnd pane;
    ASSERT_TRUE(pane.CreateEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, frame->m_hWnd,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(AFX_IDW_PANE_FIRST))));
    const RECT before = View();
    SetWindowPos(frame->view.m_hWnd, nullptr, 0, 0, 10, 10, SWP_NOZORDER);
    frame->RecalcLayout();
    EXPECT_EQ(frame->GetViewWindow(), pane.m_hWnd);
    const RECT placed = WindowRectIn(pane.m_hWnd, frame->m_hWnd), alone = View();
    EXPECT_TRUE(EqualRect(&placed, &before));
    EXPECT_EQ(alone.right - alone.left, 10);
    frame->m_pViewWnd = &frame->view;
    frame->RecalcLayout();
    ExpectLayout(CBRS_ALIGN_TOP, true);

    // A frame without bars or a view leaves its children where they are.
    auto* plain = new CFrameWnd;
    ASSERT_TRUE(plain->Create(nullptr, "plain", WS_OVERLAPPEDWINDOW));
    HWND child = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 5, 5, 10, 10, plain->m_hWnd, nullptr,
                                 nullptr, nullptr);
    SetWindowPos(plain->m_hWnd, nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    const RECT kept = WindowRectIn(child, plain->m_hWnd), expected = {5, 5, 15, 15};
    EXPECT_TRUE(EqualRect(&kept, &expected));
    plain->DestroyWindow();
}

TEST_F(ControlBars, ButtonsFollowTheUpdateHandlersAtIdleTimeAndRunTheirCommands) {
    CToolBar& bar = frame->toolBar;
    const struct {
        bool canDelete, replying;
    } states[] = {{false, true}, {true, false}};
    for (const auto& state : states) {
        frame->canDelete = state.canDelete;
        frame->replying = state.replying;
        Idle();
        auto enabled = [&](UINT id) { return SendMessageA(bar.m_hWnd, TB_ISBUTTONENABLED, id, 0) != 0; };
        auto checked = [&](UINT id) { return SendMessageA(bar.m_hWnd, TB_ISBUTTONCHECKED, id, 0) != 0; };
        EXPECT_TRUE(enabled(ID_OPEN));
        EXPECT_EQ(enabled(ID_DELETE), state.canDelete);
        EXPECT_TRUE(enabled(ID_REPLY));
        EXPECT_EQ(checked(ID_REPLY), state.replying);
        EXPECT_FALSE(enabled(ID_FIND));  // no handler at all
    }

    // Clicks: an enabled button runs its command, a disabled one nothing.
    frame->canDelete = false;
    Idle();
    for (UINT id : {ID_OPEN, ID_DELETE}) {
        RECT button;
        bar.GetItemRect(bar.CommandToIndex(id), &button);
        const POINT at = Centre(button);
        PostMessageA(bar.m_hWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        PostMessageA(bar.m_hWnd, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        Pump(50);
    }
    EXPECT_EQ(frame->opened, 1);
}

TEST_F(ControlBars, HoveringAButtonShowsItsPromptAndTooltip) {
    CToolBar& bar = frame->toolBar;
    Idle();
    EXPECT_EQ(Shown(0), Ansi(L"Готово"));
    auto hover = [&](UINT id) {
        RECT button;
        bar.GetItemRect(bar.CommandToIndex(id), &button);
        POINT at = Centre(button), screen = at;
        ClientToScreen(bar.m_hWnd, &screen);
        SetCursorPos(screen.x, screen.y);
        PostMessageA(bar.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
        Pump(20);
    };
    const struct {
        UINT id;
        const wchar_t* prompt;
    } buttons[] = {
        {ID_DELETE, L"Удалить письмо с сервера"},  // disabled: the prompt still shows
        {ID_OPEN, L"Открыть выбранное письмо"},
    };
    for (const auto& button : buttons) {
        hover(button.id);
        EXPECT_EQ(Shown(0), Ansi(button.prompt)) << button.id;
        EXPECT_EQ(frame->statusBar.GetPaneText(0), Ansi(button.prompt));
    }

    // The tooltip, once the mouse has rested on Open. Another program may
    // move the shared cursor away meanwhile: then it rests once more.
    HWND tips = reinterpret_cast<HWND>(SendMessageA(bar.m_hWnd, TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(tips, nullptr);
    for (int attempt = 0; attempt < 3 && !IsWindowVisible(tips); ++attempt) {
        SetForegroundWindow(frame->m_hWnd);
        hover(ID_OPEN);
        for (DWORD start = GetTickCount(); GetTickCount() - start < 2000 && !IsWindowVisible(tips);) Pump(20);
    }
    ASSERT_TRUE(IsWindowVisible(tips));
    char tip[128] = {};
    GetWindowTextA(tips, tip, sizeof(tip));
    EXPECT_EQ(tip, Ansi(L"Открыть"));
    HoldForScreenshot();

    // Off the buttons (a separator), then out of the bar: the idle message.
    RECT separator;
    bar.GetItemRect(2, &separator);
    const POINT between = Centre(separator);
    PostMessageA(bar.m_hWnd, WM_MOUSEMOVE, 0, MAKELPARAM(between.x, between.y));
    Pump(20);
    EXPECT_EQ(Shown(0), Ansi(L"Готово"));
    hover(ID_OPEN);
    EXPECT_EQ(Shown(0), Ansi(L"Открыть выбранное письмо"));
    PostMessageA(bar.m_hWnd, WM_MOUSELEAVE, 0, 0);
    Pump(20);
    EXPECT_EQ(Shown(0), Ansi(L"Готово"));
}

TEST_F(ControlBars, CapsLockIndicatorShowsWhileTheToggleIsOn) {
    auto toggleCaps = [] {
        keybd_event(VK_CAPITAL, 0x3A, 0, 0);
        keybd_event(VK_CAPITAL, 0x3A, KEYEVENTF_KEYUP, 0);
        Pump(100);
    };
    // Caps Lock is the whole desktop's: off before, and off again after.
    if (GetKeyState(VK_CAPITAL) & 1) toggleCaps();
    ASSERT_FALSE(GetKeyState(VK_CAPITAL) & 1) << "Caps Lock cannot be toggled";
    const int caps = frame->statusBar.CommandToIndex(ID_INDICATOR_CAPS);
    ASSERT_EQ(caps, 1);
    Idle();
    EXPECT_EQ(Shown(caps), "");
    EXPECT_EQ(frame->statusBar.GetPaneText(caps), "CAP");  // kept for when it shows
    toggleCaps();
    const bool on = (GetKeyState(VK_CAPITAL) & 1) != 0;
    Idle();
    const std::string shown = Shown(caps);
    if (on) toggleCaps();
    ASSERT_TRUE(on) << "Caps Lock cannot be toggled";
    EXPECT_EQ(shown, "CAP");
    Idle();
    EXPECT_EQ(Shown(caps), "");

    // The indicators are as wide as their texts; the message pane takes the rest.
    HDC dc = GetDC(frame->statusBar.m_hWnd);
    HGDIOBJ old = SelectObject(dc, frame->statusBar.GetFont());
    RECT previous;
    frame->statusBar.GetItemRect(0, &previous);
    EXPECT_GT(previous.right - previous.left, Client().right / 2);
    const std::pair<UINT, const char*> indicators[] = {
        {ID_INDICATOR_CAPS, "CAP"}, {ID_INDICATOR_NUM, "NUM"}, {ID_INDICATOR_SCRL, "SCRL"}};
    for (const auto& [id, text] : indicators) {
        const int index = frame->statusBar.CommandToIndex(id);
        RECT pane;
        frame->statusBar.GetItemRect(index, &pane);
        SIZE extent;
        GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
        EXPECT_GE(pane.right - pane.left, extent.cx + 6) << text;
        EXPECT_LE(pane.right - pane.left, extent.cx + 40) << text;
        EXPECT_GE(pane.left, previous.right) << text;
        previous = pane;
    }
    SelectObject(dc, old);
    ReleaseDC(frame->statusBar.m_hWnd, dc);
}

TEST_F(ControlBars, DraggingTheGripperDocksTheBarAtTheSideDroppedOn) {
    const RECT client = Client();
    const int midX = client.right / 2, midY = client.bottom / 2;
    const struct {
        POINT drop;
        DWORD side;
    } drags[] = {
        {{4, midY}, CBRS_ALIGN_LEFT},
        {{client.right - 4, midY + 20}, CBRS_ALIGN_RIGHT},
        {{midX, client.bottom - 30}, CBRS_ALIGN_BOTTOM},
        {{midX, 2}, CBRS_ALIGN_TOP},
        {{-30, midY}, CBRS_ALIGN_LEFT},  // beyond the edge counts too
    };
    for (const auto& drag : drags) {
        SCOPED_TRACE(drag.side);
        const POINT start = Gripper();
        DragGripper({{start.x + 10, start.y + 10}, {midX, midY}, drag.drop});
        ExpectLayout(drag.side, true);
        if (drag.side == CBRS_ALIGN_LEFT) HoldForScreenshot();
    }

    // A click, Escape, a drop in the middle and a side the bar may not go
    // to leave it where it is.
    const POINT right = {client.right - 4, midY};
    DragGripper({});
    ExpectLayout(CBRS_ALIGN_LEFT, true);
    DragGripper({{midX, midY}, right}, true);
    ExpectLayout(CBRS_ALIGN_LEFT, true);
    DragGripper({{midX, midY}});
    ExpectLayout(CBRS_ALIGN_LEFT, true);
    frame->toolBar.EnableDocking(CBRS_ALIGN_LEFT | CBRS_ALIGN_TOP);
    DragGripper({{midX, midY}, right});
    ExpectLayout(CBRS_ALIGN_LEFT, true);
    EXPECT_FALSE(frame->DockControlBar(&frame->toolBar, CBRS_ALIGN_BOTTOM));
    EXPECT_FALSE(frame->DockControlBar(&frame->statusBar, CBRS_ALIGN_TOP));  // never dragged
}

TEST_F(ControlBars, MenuItemsShowTheirPromptsAndTheViewMenuItsChecks) {
    // The menu runs a loop of its own inside the dispatch: another thread
    // presses the keys and reads the message pane meanwhile.
    HWND statusBar = frame->statusBar.m_hWnd, window = frame->m_hWnd;
    HMENU view = GetSubMenu(GetMenu(window), 1);
    std::vector<std::string> prompts;
    std::vector<UINT> toolbarChecks;
    std::atomic<bool> done{false};
    auto shown = [statusBar] {
        char text[256] = {};
        SendMessageA(statusBar, SB_GETTEXTA, 0, reinterpret_cast<LPARAM>(text));
        return std::string(text);
    };
    std::thread keys([&] {
        auto waitFor = [&](const std::string& text) {
            for (DWORD start = GetTickCount(); GetTickCount() - start < 3000; Sleep(20))
                if (shown() == text) return;
        };
        waitFor("");  // the menu bar's first item: no prompt
        prompts.push_back(shown());
        for (UINT key : {VK_RIGHT, VK_DOWN}) PostMessageA(window, WM_KEYDOWN, key, 0);
        waitFor(Ansi(L"Показать или скрыть панель инструментов"));
        prompts.push_back(shown());
        toolbarChecks.push_back(GetMenuState(view, ID_VIEW_TOOLBAR, MF_BYCOMMAND) & MF_CHECKED);
        PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
        waitFor(Ansi(L"Показать или скрыть строку состояния"));
        prompts.push_back(shown());
        for (UINT key : {VK_ESCAPE, VK_ESCAPE, VK_ESCAPE}) PostMessageA(window, WM_KEYDOWN, key, 0);
        done = true;
    });
    PostMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
    for (DWORD start = GetTickCount(); !done && GetTickCount() - start < 10000;) Pump(20);
    keys.join();
    Pump(50);
    EXPECT_EQ(prompts, (std::vector<std::string>{"", Ansi(L"Показать или скрыть панель инструментов"),
                                                  Ansi(L"Показать или скрыть строку состояния")}));
    EXPECT_EQ(toolbarChecks, std::vector<UINT>{MF_CHECKED});
    EXPECT_EQ(Shown(0), Ansi(L"Готово"));  // the menu closed
}

TEST_F(ControlBars, BarStateSurvivesInTheProfileAndJunkIsHarmless) {
    frame->DockControlBar(&frame->toolBar, CBRS_ALIGN_LEFT);
    frame->ShowControlBar(&frame->statusBar, false);
    frame->SaveBarState("Letters");
    const std::map<std::string, std::int32_t> ints = {
        {"Letters-Summary\\Bars", 2},
        {"Letters-Bar0\\BarID", AFX_IDW_STATUS_BAR}, {"Letters-Bar0\\Visible", 0},
        {"Letters-Bar1\\BarID", AFX_IDW_TOOLBAR},    {"Letters-Bar1\\Visible", 1},
    };
    const std::map<std::string, std::string> strings = {
        {"Letters-Bar0\\Side", "bottom"},
        {"Letters-Bar1\\Side", "left"},
    };
    EXPECT_EQ(store.ints, ints);
    EXPECT_EQ(store.strings, strings);

    frame = MakeFrame();
    ExpectLayout(CBRS_ALIGN_TOP, true);
    frame->LoadBarState("Letters");
    ExpectLayout(CBRS_ALIGN_LEFT, false);

    // Each junk value on its own, over the saved state, read by a frame as
    // it was made: what the junk spoils stays as it was, the rest applies.
    const struct {
        std::function<void()> spoil;
        DWORD toolbarSide;
        bool statusShown;
    } junk[] = {
        {[&] { store.ints["Letters-Bar1\\BarID"] = 12345; }, CBRS_ALIGN_TOP, false},
        {[&] { store.ints["Letters-Bar1\\BarID"] = -1; }, CBRS_ALIGN_TOP, false},
        {[&] { store.strings["Letters-Bar1\\Side"] = "diagonal"; }, CBRS_ALIGN_TOP, false},
        {[&] { store.strings.erase("Letters-Bar1\\Side"); }, CBRS_ALIGN_TOP, false},
        {[&] { store.strings["Letters-Bar0\\Side"] = "top"; }, CBRS_ALIGN_LEFT, false},  // never the status bar's
        {[&] { store.ints["Letters-Bar0\\Visible"] = 7; }, CBRS_ALIGN_LEFT, true},
        {[&] { store.ints["Letters-Summary\\Bars"] = -3; }, CBRS_ALIGN_TOP, true},
        {[&] { store.ints["Letters-Summary\\Bars"] = 100000; }, CBRS_ALIGN_TOP, true},
        {[&] { store.ints["Letters-Summary\\Bars"] = 9; }, CBRS_ALIGN_LEFT, false},  // sections not there
    };
    const MemoryStore saved = store;
    for (std::size_t i = 0; i < std::size(junk); ++i) {
        SCOPED_TRACE(i);
        store = saved;
        junk[i].spoil();
        frame->DockControlBar(&frame->toolBar, CBRS_ALIGN_TOP);
        frame->ShowControlBar(&frame->statusBar, true);
        frame->LoadBarState("Letters");
        ExpectLayout(junk[i].toolbarSide, junk[i].statusShown);
        EXPECT_EQ(frame->statusBar.GetDockSide(), CBRS_ALIGN_BOTTOM);
    }
    frame->LoadBarState("Nothing saved");
    ExpectLayout(junk[std::size(junk) - 1].toolbarSide, junk[std::size(junk) - 1].statusShown);
}

}  // namespace
