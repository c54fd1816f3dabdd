// Window objects: attaching, message routing, timers, subclassing and the
// end of a window's object.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/FrameWnd.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"

namespace {

// Pumps this thread's messages until `done` or about two seconds passed.
template <typename Done>
void PumpUntil(Done done) {
    DWORD start = GetTickCount();
    while (!done() && GetTickCount() - start < 2000) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(5);
    }
}

class RecordingWnd : public CWnd {
public:
    bool attachedInCreate = false;
    int created = 0;
    int destroyed = 0;
    int postNcDestroy = 0;
    UINT_PTR lastTimer = 0;
    int timerCalls = 0;

protected:
    int OnCreate(CREATESTRUCTA* cs) override {
        ++created;
        attachedInCreate = FromHandlePermanent(m_hWnd) == this;
        return CWnd::OnCreate(cs);
    }
    void OnDestroy() override {
        ++destroyed;
        CWnd::OnDestroy();
    }
    void PostNcDestroy() override { ++postNcDestroy; }
    void OnTimer(UINT_PTR id) override {
        lastTimer = id;
        ++timerCalls;
        KillTimer(id);
    }
};

TEST(Window, CreateAttachesBeforeTheFirstHandler) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr));
    EXPECT_EQ(wnd.created, 1);
    EXPECT_TRUE(wnd.attachedInCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(wnd.m_hWnd), &wnd);
    EXPECT_EQ(wnd.GetWindowText(), "test");
    EXPECT_FALSE(wnd.CreateEx(0, nullptr, "again", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
}

TEST(Window, DestroyEndsInPostNcDestroyAndDetaches) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    HWND window = wnd.m_hWnd;
    EXPECT_TRUE(wnd.DestroyWindow());
    EXPECT_EQ(wnd.destroyed, 1);
    EXPECT_EQ(wnd.postNcDestroy, 1);
    EXPECT_EQ(wnd.m_hWnd, nullptr);
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
    EXPECT_FALSE(IsWindow(window));
}

TEST(Window, DestructorDestroysTheWindowWithoutCallingBack) {
    HWND window;
    {
        RecordingWnd wnd;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        window = wnd.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(CWnd::FromHandlePermanent(window), nullptr);
}

TEST(Window, RegisteredMessageGoesToItsHandler) {
    UINT message = RegisterWindowMessageA("Framework Test: Ping");
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    WPARAM gotW = 0;
    LPARAM gotL = 0;
    wnd.AddMessageHandler(message, [&](WPARAM w, LPARAM l) -> LRESULT {
        gotW = w;
        gotL = l;
        return 0x1234;
    });
    EXPECT_EQ(SendMessageA(wnd.m_hWnd, message, 3, 4), 0x1234);
    EXPECT_EQ(gotW, 3u);
    EXPECT_EQ(gotL, 4);

    // A posted one arrives through the queue.
    gotW = 0;
    ASSERT_TRUE(wnd.PostMessage(message, 7, 8));
    PumpUntil([&] { return gotW == 7; });
    EXPECT_EQ(gotL, 8);

    // Removed, the message gets default processing.
    wnd.AddMessageHandler(message, nullptr);
    EXPECT_EQ(wnd.SendMessage(message, 3, 4), 0);
}

TEST(Window, RegisteredHandlerComesBeforeTheVirtualOne) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    int calls = 0;
    wnd.AddMessageHandler(WM_TIMER, [&](WPARAM, LPARAM) -> LRESULT {
        ++calls;
        return 0;
    });
    wnd.SendMessage(WM_TIMER, 5, 0);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(wnd.timerCalls, 0);
}

TEST(Window, TimerCallsOnTimerWithItsId) {
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    ASSERT_NE(wnd.SetTimer(7, 10), 0u);
    PumpUntil([&] { return wnd.timerCalls > 0; });
    EXPECT_EQ(wnd.timerCalls, 1);
    EXPECT_EQ(wnd.lastTimer, 7u);
}

// A system control created through CreateEx: its messages pass through the
// object, and the control's own procedure still does the work.
class CountingButton : public CWnd {
public:
    int setTextCalls = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_SETTEXT) ++setTextCalls;
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

TEST(Window, SystemControlIsSubclassedFromItsCreation) {
    RecordingWnd parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    CountingButton button;
    RECT rect = {0, 0, 80, 20};
    ASSERT_TRUE(button.Create("BUTTON", "first", WS_VISIBLE | BS_PUSHBUTTON, rect, &parent, 300));
    EXPECT_EQ(CWnd::FromHandlePermanent(button.m_hWnd), &button);
    EXPECT_EQ(parent.GetDlgItem(300), button.m_hWnd);
    EXPECT_EQ(button.GetParent(), &parent);
    button.SetWindowText("second");
    EXPECT_EQ(button.setTextCalls, 1);
    EXPECT_EQ(button.GetWindowText(), "second");
    // The button's own procedure answers what only a button knows.
    EXPECT_TRUE(button.SendMessage(WM_GETDLGCODE) & DLGC_BUTTON);
}

TEST(Window, SubclassAndUnsubclassAnExistingWindow) {
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 50, 20, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(edit, nullptr);
    auto own = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    {
        CountingButton wnd;
        ASSERT_TRUE(wnd.SubclassWindow(edit));
        EXPECT_FALSE(CountingButton().SubclassWindow(edit));  // one object per window
        SetWindowTextA(edit, "abc");
        EXPECT_EQ(wnd.setTextCalls, 1);
        EXPECT_EQ(wnd.GetWindowText(), "abc");
        EXPECT_EQ(wnd.UnsubclassWindow(), edit);
        SetWindowTextA(edit, "def");
        EXPECT_EQ(wnd.setTextCalls, 1);
    }
    EXPECT_TRUE(IsWindow(edit));
    EXPECT_EQ(GetWindowLongPtrA(edit, GWLP_WNDPROC), own);
    DestroyWindow(edit);
}

TEST(Window, SendMessageToDescendantsReachesGrandchildren) {
    UINT message = RegisterWindowMessageA("Framework Test: Descendants");
    RecordingWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    RecordingWnd child, grandchild;
    RECT rect = {0, 0, 50, 50};
    ASSERT_TRUE(child.Create(nullptr, "child", 0, rect, &top, 1));
    ASSERT_TRUE(grandchild.Create(nullptr, "grandchild", 0, rect, &child, 2));
    int topCalls = 0, childCalls = 0, grandchildCalls = 0;
    top.AddMessageHandler(message, [&](WPARAM, LPARAM) -> LRESULT { return ++topCalls; });
    child.AddMessageHandler(message, [&](WPARAM, LPARAM) -> LRESULT { return ++childCalls; });
    grandchild.AddMessageHandler(message, [&](WPARAM, LPARAM) -> LRESULT { return ++grandchildCalls; });
    top.SendMessageToDescendants(message, 0, 0, false);
    EXPECT_EQ(topCalls, 0);
    EXPECT_EQ(childCalls, 1);
    EXPECT_EQ(grandchildCalls, 0);
    top.SendMessageToDescendants(message);
    EXPECT_EQ(childCalls, 2);
    EXPECT_EQ(grandchildCalls, 1);
}

// Frames own themselves.
class NotedFrame : public CFrameWnd {
public:
    explicit NotedFrame(bool* deleted) : m_deleted(deleted) {}
    ~NotedFrame() override { *m_deleted = true; }
    bool PreCreateWindow(CREATESTRUCTA& cs) override {
        if (m_plainClass) {
            cs.lpszClass = AfxRegisterWndClass(0);
            cs.dwExStyle &= ~static_cast<DWORD>(WS_EX_CLIENTEDGE);
        }
        return CFrameWnd::PreCreateWindow(cs);
    }
    bool m_plainClass = false;

private:
    bool* m_deleted;
};

TEST(Frame, FrameClassHasTheClientEdgeAndItsOwnClass) {
    bool deleted = false;
    auto* frame = new NotedFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    EXPECT_TRUE(GetWindowLongA(frame->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    char className[128];
    GetClassNameA(frame->m_hWnd, className, sizeof(className));
    EXPECT_EQ(std::string(className).rfind("Fw:", 0), 0u);
    EXPECT_EQ(GetClassLongPtrA(frame->m_hWnd, GCLP_HCURSOR),
              reinterpret_cast<ULONG_PTR>(LoadCursorA(nullptr, IDC_ARROW)));
    frame->SendMessage(WM_CLOSE);
    EXPECT_TRUE(deleted);
}

TEST(Frame, DerivedFrameChoosesAPlainClass) {
    bool deleted = false;
    auto* frame = new NotedFrame(&deleted);
    frame->m_plainClass = true;
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(GetWindowLongA(frame->m_hWnd, GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
    EXPECT_EQ(GetClassLongPtrA(frame->m_hWnd, GCLP_HCURSOR), 0u);
    EXPECT_EQ(GetClassLongPtrA(frame->m_hWnd, GCLP_HBRBACKGROUND), 0u);
    EXPECT_TRUE(frame->DestroyWindow());
    EXPECT_TRUE(deleted);
}

TEST(Frame, LoadFrameWithoutResourcesTakesTheApplicationTitle) {
    CWinApp app("Framework Test Title");
    bool deleted = false;
    auto* frame = new NotedFrame(&deleted);
    // No string, menu or icon 4711 anywhere in the chain.
    ASSERT_TRUE(frame->LoadFrame(4711, WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE));
    EXPECT_EQ(frame->GetWindowText(), "Framework Test Title");
    EXPECT_EQ(GetMenu(frame->m_hWnd), nullptr);
    frame->DestroyWindow();
    EXPECT_TRUE(deleted);
}

TEST(Frame, CreateFailsOnAMissingMenu) {
    bool deleted = false;
    auto* frame = new NotedFrame(&deleted);
    EXPECT_FALSE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW, CFrameWnd::rectDefault, nullptr,
                               MAKEINTRESOURCEA(4711)));
    EXPECT_EQ(frame->m_hWnd, nullptr);
    delete frame;
}

TEST(Frame, AFrameThatDiesInCreationIsLeftToTheCaller) {
    struct Failing : NotedFrame {
        using NotedFrame::NotedFrame;
        int OnCreate(CREATESTRUCTA*) override { return -1; }
    };
    bool deleted = false;
    auto* frame = new Failing(&deleted);
    EXPECT_FALSE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(deleted);
    EXPECT_EQ(frame->m_hWnd, nullptr);
    delete frame;
    EXPECT_TRUE(deleted);
}

TEST(Frame, AHandlerThatDestroysItsFrameFinishesBeforeTheFrameGoes) {
    bool deleted = false;
    bool deletedInside = true;
    auto* frame = new NotedFrame(&deleted);
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    const UINT message = RegisterWindowMessageA("Framework Test: Destroy Yourself");
    frame->AddMessageHandler(message, [&](WPARAM, LPARAM) -> LRESULT {
        frame->DestroyWindow();
        deletedInside = deleted;  // the handler may still use its object
        return 7;
    });
    EXPECT_EQ(::SendMessageA(frame->m_hWnd, message, 0, 0), 7);
    EXPECT_FALSE(deletedInside);
    EXPECT_TRUE(deleted);
}

}  // namespace
