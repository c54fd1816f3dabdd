// Command routing and the command-UI update of menus and controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

// The commands of the tests below, each with the handlers its test needs.
class TestFrame : public CFrameWnd {
public:
    ~TestFrame() override = default;

    int runs = 0;             // 100
    int guardedRuns = 0;      // 102, enabled by `guardedEnabled`
    bool guardedEnabled = false;
    int reentries = 0;        // 110 sends itself once more
    int depth = 0;
    int maxDepth = 0;
    UINT rangeId = 0;         // 20001..20064, enabled up to 20002
    int ownRuns = 0;          // 20003, its own handlers before the range's
    int frameRuns = 0;        // 201, also the application's
    bool paused = true;       // 32802: text and check
    int silentCheck = 0;      // 32804
    HMENU removeFrom = nullptr;  // 32805 removes itself from this menu

protected:
    void OnRun() { ++runs; }
    void OnGuarded() { ++guardedRuns; }
    void OnUpdateGuarded(CCmdUI* ui) { ui->Enable(guardedEnabled); }
    void OnReenter() {
        ++reentries;
        maxDepth = std::max(maxDepth, ++depth);
        if (depth == 1) SendMessage(WM_COMMAND, MAKEWPARAM(110, 0), 0);
        --depth;
    }
    void OnRange(UINT id) { rangeId = id; }
    void OnUpdateRange(CCmdUI* ui) { ui->Enable(ui->m_nID <= 20002); }
    void OnOwn() { ++ownRuns; }
    void OnUpdateOwn(CCmdUI* ui) { ui->Enable(true); }
    void OnFrame201() { ++frameRuns; }
    void OnNothing() {}
    void OnUpdatePause(CCmdUI* ui) {
        ui->SetText(paused ? "Resume" : "Pause");
        ui->SetCheck(paused);
    }
    void OnUpdateDisable(CCmdUI* ui) { ui->Enable(false); }
    void OnUpdateSilent(CCmdUI* ui) { ui->SetCheck(silentCheck); }
    void OnUpdateCheckOnly(CCmdUI* ui) { ui->SetCheck(1); }
    void OnUpdateRemove(CCmdUI*) { DeleteMenu(removeFrom, 32805, MF_BYCOMMAND); }
    void OnUpdateControl(CCmdUI* ui) {
        ui->Enable(false);
        ui->SetCheck(1);
        ui->SetText("new");
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry TestFrame::messageEntries[] = {
    On::Command<&TestFrame::OnRun>(100),
    On::Command<&TestFrame::OnGuarded>(102),
    On::Update<&TestFrame::OnUpdateGuarded>(102),
    On::Command<&TestFrame::OnReenter>(110),
    // The first matching entry of a map wins: the single command before the range.
    On::Command<&TestFrame::OnOwn>(20003),
    On::Update<&TestFrame::OnUpdateOwn>(20003),
    On::CommandRange<&TestFrame::OnRange>(20001, 20064),
    On::UpdateRange<&TestFrame::OnUpdateRange>(20001, 20064),
    On::Command<&TestFrame::OnFrame201>(201),
    // The menu of UpdateHandlersChangeAMenuBeforeItShows.
    On::Command<&TestFrame::OnNothing>(32802),
    On::Update<&TestFrame::OnUpdatePause>(32802),
    On::Update<&TestFrame::OnUpdateDisable>(32800),
    On::Command<&TestFrame::OnNothing>(32771),
    On::Update<&TestFrame::OnUpdateCheckOnly>(32790),
    On::Command<&TestFrame::OnNothing>(32804),
    On::Update<&TestFrame::OnUpdateSilent>(32804),
    On::Command<&TestFrame::OnNothing>(20000),
    On::Update<&TestFrame::OnUpdateDisable>(20000),
    On::Command<&TestFrame::OnNothing>(32805),
    On::Update<&TestFrame::OnUpdateRemove>(32805),
    On::Update<&TestFrame::OnUpdateControl>(400),
    On::End(),
};
const MessageMap TestFrame::messageMap = {&CFrameWnd::messageMap, TestFrame::messageEntries};

// Its own handler of command 102; the base's update handler still guards it.
class DerivedFrame : public TestFrame {
public:
    int derivedRuns = 0;

protected:
    void OnGuarded() { ++derivedRuns; }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry DerivedFrame::messageEntries[] = {
    On::Command<&DerivedFrame::OnGuarded>(102),
    On::End(),
};
const MessageMap DerivedFrame::messageMap = {&TestFrame::messageMap, DerivedFrame::messageEntries};

// A frame that is destroyed (and deletes itself) at the end of the test.
template <typename Frame = TestFrame>
struct FrameHolder {
    Frame* frame = new Frame;
    FrameHolder() { EXPECT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW)); }
    ~FrameHolder() { frame->DestroyWindow(); }
    Frame* operator->() { return frame; }
};

void SendCommand(CWnd* wnd, UINT id) { wnd->SendMessage(WM_COMMAND, MAKEWPARAM(id, 0), 0); }

std::string ItemText(HMENU menu, UINT position) {
    char text[128] = {};
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof(text);
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
    return text;
}

UINT ItemState(HMENU menu, UINT position) {
    MENUITEMINFOA info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STATE;
    EXPECT_TRUE(GetMenuItemInfoA(menu, position, TRUE, &info));
    return info.fState;
}

TEST(Commands, CommandRunsItsHandler) {
    FrameHolder<> frame;
    SendCommand(frame.frame, 100);
    EXPECT_EQ(frame->runs, 1);
    // An accelerator (code 1) and a button click (code 0 from a control) run it too.
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);
    EXPECT_EQ(frame->runs, 2);
    HWND button = CreateWindowExA(0, "BUTTON", "b", WS_CHILD, 0, 0, 10, 10, frame->m_hWnd,
                                  reinterpret_cast<HMENU>(100), GetModuleHandleA(nullptr), nullptr);
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(100, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(frame->runs, 3);
    SendCommand(frame.frame, 101);  // no handler: nothing
    EXPECT_EQ(frame->runs, 3);
}

TEST(Commands, DisabledCommandDoesNotRun) {
    FrameHolder<> frame;
    SendCommand(frame.frame, 102);
    EXPECT_EQ(frame->guardedRuns, 0);
    EXPECT_FALSE(frame->IsCommandEnabled(102));
    frame->guardedEnabled = true;
    frame->PostMessage(WM_COMMAND, MAKEWPARAM(102, 0), 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(frame->guardedRuns, 1);
}

TEST(Commands, RangeHandlerGetsTheId) {
    FrameHolder<> frame;
    SendCommand(frame.frame, 20002);
    EXPECT_EQ(frame->rangeId, 20002u);
    SendCommand(frame.frame, 20001);
    EXPECT_EQ(frame->rangeId, 20001u);
    SendCommand(frame.frame, 20010);  // disabled by the range's update handler
    EXPECT_EQ(frame->rangeId, 20001u);
    SendCommand(frame.frame, 20003);  // its own handlers come first
    EXPECT_EQ(frame->ownRuns, 1);
    EXPECT_EQ(frame->rangeId, 20001u);
    SendCommand(frame.frame, 20065);
    EXPECT_EQ(frame->rangeId, 20001u);
}

TEST(Commands, DerivedHandlerComesFirstAndTheBasesUpdateStillGuardsIt) {
    FrameHolder<DerivedFrame> frame;
    SendCommand(frame.frame, 102);  // disabled by the base's update handler
    EXPECT_EQ(frame->derivedRuns, 0);
    frame->guardedEnabled = true;
    SendCommand(frame.frame, 102);
    EXPECT_EQ(frame->derivedRuns, 1);
    EXPECT_EQ(frame->guardedRuns, 0);
    SendCommand(frame.frame, 100);  // the base's own command
    EXPECT_EQ(frame->runs, 1);
}

class TestApp : public CWinApp {
public:
    TestApp() : CWinApp("test") {}
    int appRuns = 0;

protected:
    void OnAppCommand() { ++appRuns; }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry TestApp::messageEntries[] = {
    On::Command<&TestApp::OnAppCommand>(200),
    On::Command<&TestApp::OnAppCommand>(201),
    On::End(),
};
const MessageMap TestApp::messageMap = {&CWinApp::messageMap, TestApp::messageEntries};

TEST(Commands, FrameRoutesUnknownCommandsToTheApplication) {
    TestApp app;
    FrameHolder<> frame;
    SendCommand(frame.frame, 200);
    SendCommand(frame.frame, 201);
    EXPECT_EQ(app.appRuns, 1);
    EXPECT_EQ(frame->frameRuns, 1);
    EXPECT_TRUE(frame->IsCommandEnabled(200));  // by the application's handler
}

TEST(Commands, HandlerMayRouteItsOwnCommandAgain) {
    FrameHolder<> frame;
    SendCommand(frame.frame, 110);
    EXPECT_EQ(frame->reentries, 2);
    EXPECT_EQ(frame->maxDepth, 2);
    SendCommand(frame.frame, 110);
    EXPECT_EQ(frame->reentries, 4);
}

// The popup as the tray menu has it: items with update handlers, one with
// only a command handler, one with only an update handler that leaves the
// state alone, one with nothing, a separator and a submenu.
TEST(Commands, UpdateHandlersChangeAMenuBeforeItShows) {
    FrameHolder<> frame;
    HMENU popup = CreatePopupMenu();
    HMENU sub = CreatePopupMenu();
    AppendMenuA(sub, MF_STRING, 20000, "all");
    AppendMenuA(popup, MF_STRING, 32802, "Pause");                   // 0: renamed and checked
    AppendMenuA(popup, MF_STRING, 32800, "Errors");                  // 1: disabled by its handler
    AppendMenuA(popup, MF_STRING | MF_GRAYED, 32771, "Settings");    // 2: command only: enabled
    AppendMenuA(popup, MF_STRING, 32773, "Letters");                 // 3: no handler: disabled
    AppendMenuA(popup, MF_SEPARATOR, 0, nullptr);                    // 4
    AppendMenuA(popup, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), "Check now");  // 5
    AppendMenuA(popup, MF_STRING | MF_CHECKED, 32804, "Silent");     // 6: unchecked
    AppendMenuA(popup, MF_STRING, 32790, "Checked");                 // 7: update only: checked, disabled

    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));

    EXPECT_EQ(ItemText(popup, 0), "Resume");
    EXPECT_TRUE(ItemState(popup, 0) & MFS_CHECKED);
    EXPECT_FALSE(ItemState(popup, 0) & MFS_GRAYED);
    EXPECT_EQ(GetMenuItemID(popup, 0), 32802u);  // renaming keeps the identifier
    EXPECT_TRUE(ItemState(popup, 1) & MFS_GRAYED);
    EXPECT_FALSE(ItemState(popup, 2) & MFS_GRAYED);
    EXPECT_TRUE(ItemState(popup, 3) & MFS_GRAYED);
    EXPECT_EQ(GetMenuItemID(popup, 5), static_cast<UINT>(-1));
    EXPECT_FALSE(ItemState(sub, 0) & MFS_GRAYED);  // the submenu is updated when it opens
    EXPECT_FALSE(ItemState(popup, 6) & MFS_CHECKED);
    EXPECT_FALSE(ItemState(popup, 6) & MFS_GRAYED);
    EXPECT_TRUE(ItemState(popup, 7) & MFS_CHECKED);
    EXPECT_TRUE(ItemState(popup, 7) & MFS_GRAYED);

    frame->paused = false;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_EQ(ItemText(popup, 0), "Pause");
    EXPECT_FALSE(ItemState(popup, 0) & MFS_CHECKED);

    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(5, FALSE));
    EXPECT_TRUE(ItemState(sub, 0) & MFS_GRAYED);
    DestroyMenu(popup);
}

TEST(Commands, AnUpdateHandlerThatRemovesItsItemDoesNotSkipTheNext) {
    FrameHolder<> frame;
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 32805, "Mute");     // removes itself
    AppendMenuA(popup, MF_STRING, 32804, "Silent");   // checked by its handler
    frame->removeFrom = popup;
    frame->silentCheck = 1;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    ASSERT_EQ(GetMenuItemCount(popup), 1);
    EXPECT_TRUE(ItemState(popup, 0) & MFS_CHECKED);
    DestroyMenu(popup);
}

TEST(Commands, PlainWindowLeavesItemsWithoutHandlersAlone) {
    CWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "plain", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 500, "unknown");
    wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_FALSE(ItemState(popup, 0) & MFS_GRAYED);
    wnd.m_bAutoMenuEnable = true;
    wnd.SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_TRUE(ItemState(popup, 0) & MFS_GRAYED);
    DestroyMenu(popup);
}

TEST(Commands, UpdateOfChildControls) {
    FrameHolder<> frame;
    HWND check = CreateWindowExA(0, "BUTTON", "old", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 80, 20,
                                 frame->m_hWnd, reinterpret_cast<HMENU>(400), GetModuleHandleA(nullptr),
                                 nullptr);
    HWND other = CreateWindowExA(0, "BUTTON", "other", WS_CHILD, 0, 30, 80, 20, frame->m_hWnd,
                                 reinterpret_cast<HMENU>(401), GetModuleHandleA(nullptr), nullptr);
    frame->UpdateDialogControls(frame.frame, false);
    EXPECT_FALSE(IsWindowEnabled(check));
    EXPECT_EQ(SendMessageA(check, BM_GETCHECK, 0, 0), BST_CHECKED);
    char text[32];
    GetWindowTextA(check, text, sizeof(text));
    EXPECT_STREQ(text, "new");
    EXPECT_TRUE(IsWindowEnabled(other));
    frame->UpdateDialogControls(frame.frame, true);
    EXPECT_FALSE(IsWindowEnabled(other));
}

// A target with a command that has both handlers, one with only an update
// handler and one with only a command handler.
class UpdateTarget : public CCmdTarget {
protected:
    void OnCommand() {}
    void OnUpdate(CCmdUI* ui) {
        ui->SetCheck(2);
        ui->SetText("text");
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry UpdateTarget::messageEntries[] = {
    On::Command<&UpdateTarget::OnCommand>(7),
    On::Update<&UpdateTarget::OnUpdate>(7),
    On::Update<&UpdateTarget::OnUpdate>(9),
    On::Command<&UpdateTarget::OnCommand>(5),
    On::End(),
};
const MessageMap UpdateTarget::messageMap = {&CCmdTarget::messageMap, UpdateTarget::messageEntries};

// A state the update handler leaves alone follows the command handler.
TEST(Commands, RecordingCmdUIKeepsTheRequestedState) {
    UpdateTarget target;
    const struct {
        UINT id;
        bool updated;  // an update handler ran
        bool enabled;
        int check;
    } cases[] = {
        {7, true, true, 2},    // both handlers
        {9, true, false, 2},   // update handler only
        {5, false, true, 0},   // command handler only
        {8, false, false, 0},  // none
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        CCmdUI ui;
        ui.m_nID = c.id;
        EXPECT_EQ(ui.DoUpdate(&target, true), c.updated);
        EXPECT_EQ(ui.m_bEnabled, c.enabled);
        EXPECT_EQ(ui.m_nCheck, c.check);
        EXPECT_EQ(ui.m_bTextChanged, c.updated);
        EXPECT_EQ(ui.m_strText, c.updated ? "text" : "");
        EXPECT_EQ(target.IsCommandEnabled(c.id), c.enabled);
        // Without disableIfNoHandler, only what the handler set.
        CCmdUI plain;
        plain.m_nID = c.id;
        plain.DoUpdate(&target, false);
        EXPECT_FALSE(plain.m_bEnableChanged);
    }
    // A command handler alone is no update handler.
    CCmdUI ui;
    ui.m_nID = 5;
    EXPECT_FALSE(target.OnCmdMsg(5, CmdAction::Update, &ui));
    EXPECT_TRUE(target.OnCmdMsg(5, CmdAction::Probe));
    EXPECT_FALSE(target.OnCmdMsg(9, CmdAction::Probe));
}

}  // namespace
