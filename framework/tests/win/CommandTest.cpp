// Command routing and the command-UI update of menus and controls.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"

namespace {

class TestFrame : public CFrameWnd {
public:
    ~TestFrame() override = default;
};

// A frame that is destroyed (and deletes itself) at the end of the test.
struct FrameHolder {
    TestFrame* frame = new TestFrame;
    FrameHolder() { EXPECT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW)); }
    ~FrameHolder() { frame->DestroyWindow(); }
    TestFrame* operator->() { return frame; }
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
    FrameHolder frame;
    int runs = 0;
    frame->AddCommand(100, [&] { ++runs; });
    SendCommand(frame.frame, 100);
    EXPECT_EQ(runs, 1);
    // An accelerator (code 1) and a button click (code 0 with a control) run it too.
    frame->SendMessage(WM_COMMAND, MAKEWPARAM(100, 1), 0);
    EXPECT_EQ(runs, 2);
    SendCommand(frame.frame, 101);  // no handler: nothing
    EXPECT_EQ(runs, 2);
}

TEST(Commands, DisabledCommandDoesNotRun) {
    FrameHolder frame;
    int runs = 0;
    bool enabled = false;
    frame->AddCommand(100, [&] { ++runs; }, [&](CCmdUI* ui) { ui->Enable(enabled); });
    SendCommand(frame.frame, 100);
    EXPECT_EQ(runs, 0);
    EXPECT_FALSE(frame->IsCommandEnabled(100));
    enabled = true;
    frame->PostMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    EXPECT_EQ(runs, 1);
}

TEST(Commands, RangeHandlerGetsTheId) {
    FrameHolder frame;
    UINT got = 0;
    int own = 0;
    frame->AddCommandRange(20001, 20064, [&](UINT id) { got = id; },
                           [](CCmdUI* ui) { ui->Enable(ui->m_nID <= 20002); });
    frame->AddCommand(20003, [&] { ++own; });
    SendCommand(frame.frame, 20002);
    EXPECT_EQ(got, 20002u);
    SendCommand(frame.frame, 20001);
    EXPECT_EQ(got, 20001u);
    SendCommand(frame.frame, 20010);  // disabled by the range's update handler
    EXPECT_EQ(got, 20001u);
    SendCommand(frame.frame, 20003);  // its own handler comes first
    EXPECT_EQ(own, 1);
    EXPECT_EQ(got, 20001u);
    SendCommand(frame.frame, 20065);
    EXPECT_EQ(got, 20001u);
}

TEST(Commands, FrameRoutesUnknownCommandsToTheApplication) {
    CWinApp app("test");
    FrameHolder frame;
    int appRuns = 0, frameRuns = 0;
    app.AddCommand(200, [&] { ++appRuns; });
    app.AddCommand(201, [&] { ++appRuns; });
    frame->AddCommand(201, [&] { ++frameRuns; });
    SendCommand(frame.frame, 200);
    SendCommand(frame.frame, 201);
    EXPECT_EQ(appRuns, 1);
    EXPECT_EQ(frameRuns, 1);
}

TEST(Commands, HandlerMayReplaceItself) {
    FrameHolder frame;
    int first = 0, second = 0;
    frame->AddCommand(100, [&] {
        ++first;
        frame->AddCommand(100, [&] { ++second; });
    });
    SendCommand(frame.frame, 100);
    SendCommand(frame.frame, 100);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(second, 1);
}

// The popup as the tray menu has it: items with update handlers, one with
// only a command handler, one with nothing, a separator and a submenu.
TEST(Commands, UpdateHandlersChangeAMenuBeforeItShows) {
    FrameHolder frame;
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

    bool paused = true;
    frame->AddCommand(32802, [] {}, [&](CCmdUI* ui) {
        ui->SetText(paused ? "Resume" : "Pause");
        ui->SetCheck(paused);
    });
    frame->AddUpdateHandler(32800, [](CCmdUI* ui) { ui->Enable(false); });
    frame->AddCommand(32771, [] {});
    frame->AddCommand(32804, [] {}, [](CCmdUI* ui) { ui->SetCheck(0); });
    frame->AddCommand(20000, [] {}, [](CCmdUI* ui) { ui->Enable(false); });

    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));

    EXPECT_EQ(ItemText(popup, 0), "Resume");
    EXPECT_TRUE(ItemState(popup, 0) & MFS_CHECKED);
    EXPECT_EQ(GetMenuItemID(popup, 0), 32802u);  // renaming keeps the identifier
    EXPECT_TRUE(ItemState(popup, 1) & MFS_GRAYED);
    EXPECT_FALSE(ItemState(popup, 2) & MFS_GRAYED);
    EXPECT_TRUE(ItemState(popup, 3) & MFS_GRAYED);
    EXPECT_EQ(GetMenuItemID(popup, 5), static_cast<UINT>(-1));
    EXPECT_FALSE(ItemState(sub, 0) & MFS_GRAYED);  // the submenu is updated when it opens
    EXPECT_FALSE(ItemState(popup, 6) & MFS_CHECKED);

    paused = false;
    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
    EXPECT_EQ(ItemText(popup, 0), "Pause");
    EXPECT_FALSE(ItemState(popup, 0) & MFS_CHECKED);

    frame->SendMessage(WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELPARAM(5, FALSE));
    EXPECT_TRUE(ItemState(sub, 0) & MFS_GRAYED);
    DestroyMenu(popup);
}

TEST(Commands, AnUpdateHandlerThatRemovesItsItemDoesNotSkipTheNext) {
    FrameHolder frame;
    HMENU popup = CreatePopupMenu();
    AppendMenuA(popup, MF_STRING, 32805, "Mute");     // removes itself
    AppendMenuA(popup, MF_STRING, 32804, "Silent");   // checked by its handler
    frame->AddCommand(32805, [] {}, [&](CCmdUI*) { DeleteMenu(popup, 32805, MF_BYCOMMAND); });
    frame->AddCommand(32804, [] {}, [](CCmdUI* ui) { ui->SetCheck(1); });
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
    FrameHolder frame;
    HWND check = CreateWindowExA(0, "BUTTON", "old", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 80, 20,
                                 frame->m_hWnd, reinterpret_cast<HMENU>(400), GetModuleHandleA(nullptr),
                                 nullptr);
    HWND other = CreateWindowExA(0, "BUTTON", "other", WS_CHILD, 0, 30, 80, 20, frame->m_hWnd,
                                 reinterpret_cast<HMENU>(401), GetModuleHandleA(nullptr), nullptr);
    frame->AddUpdateHandler(400, [](CCmdUI* ui) {
        ui->Enable(false);
        ui->SetCheck(1);
        ui->SetText("new");
    });
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

TEST(Commands, RecordingCmdUIKeepsTheRequestedState) {
    CCmdTarget target;
    target.AddUpdateHandler(7, [](CCmdUI* ui) {
        ui->SetCheck(2);
        ui->SetText("seven");
    });
    CCmdUI ui;
    ui.m_nID = 7;
    EXPECT_TRUE(ui.DoUpdate(&target, true));
    EXPECT_TRUE(ui.m_bEnabled);
    EXPECT_EQ(ui.m_nCheck, 2);
    EXPECT_TRUE(ui.m_bTextChanged);
    EXPECT_EQ(ui.m_strText, "seven");
    CCmdUI unknown;
    unknown.m_nID = 8;
    EXPECT_FALSE(unknown.DoUpdate(&target, true));
    EXPECT_FALSE(unknown.m_bEnabled);
}

}  // namespace
