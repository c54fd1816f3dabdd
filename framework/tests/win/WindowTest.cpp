// Window objects: attaching, message maps, reflected notifications, timers,
// subclassing and the end of a window's object.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>

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
    // A registered message with a handler; the entry reads the number
    // whenever a message arrives.
    static UINT s_ping;

    bool attachedInCreate = false;
    int created = 0;
    int destroyed = 0;
    int postNcDestroy = 0;
    UINT_PTR lastTimer = 0;
    int timerCalls = 0;
    int pings = 0;
    WPARAM pingW = 0;
    LPARAM pingL = 0;

protected:
    LRESULT OnCreate(WPARAM, LPARAM) {
        ++created;
        attachedInCreate = FromHandlePermanent(m_hWnd) == this;
        return Default();
    }
    void OnDestroy() {
        ++destroyed;
        Default();
    }
    void PostNcDestroy() override { ++postNcDestroy; }
    LRESULT OnTimer(WPARAM id, LPARAM) {
        lastTimer = id;
        ++timerCalls;
        KillTimer(id);
        return 0;
    }
    LRESULT OnPing(WPARAM wParam, LPARAM lParam) {
        ++pings;
        pingW = wParam;
        pingL = lParam;
        return 0x1234;
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

UINT RecordingWnd::s_ping = RegisterWindowMessageA("Framework Test: Ping");

const MessageMapEntry RecordingWnd::messageEntries[] = {
    On::Message<&RecordingWnd::OnCreate>(WM_CREATE),
    On::Message<&RecordingWnd::OnDestroy>(WM_DESTROY),
    On::Message<&RecordingWnd::OnTimer>(WM_TIMER),
    On::Registered<&RecordingWnd::OnPing>(&RecordingWnd::s_ping),
    On::End(),
};
const MessageMap RecordingWnd::messageMap = {&CWnd::messageMap, RecordingWnd::messageEntries};

// Its own WM_TIMER handler instead of the base's, which it may call.
class OverridingWnd : public RecordingWnd {
public:
    bool chain = false;
    int ownTimerCalls = 0;

protected:
    LRESULT OnTimer(WPARAM id, LPARAM lParam) {
        ++ownTimerCalls;
        return chain ? RecordingWnd::OnTimer(id, lParam) : 0;
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry OverridingWnd::messageEntries[] = {
    On::Message<&OverridingWnd::OnTimer>(WM_TIMER),
    On::End(),
};
const MessageMap OverridingWnd::messageMap = {&RecordingWnd::messageMap, OverridingWnd::messageEntries};

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
    RecordingWnd wnd;
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    const UINT ping = RecordingWnd::s_ping;
    EXPECT_EQ(SendMessageA(wnd.m_hWnd, ping, 3, 4), 0x1234);
    EXPECT_EQ(wnd.pingW, 3u);
    EXPECT_EQ(wnd.pingL, 4);

    // A posted one arrives through the queue.
    wnd.pingW = 0;
    ASSERT_TRUE(wnd.PostMessage(ping, 7, 8));
    PumpUntil([&] { return wnd.pingW == 7; });
    EXPECT_EQ(wnd.pingL, 8);

    // The entry takes the number its variable holds when the message comes:
    // the old number then gets the default processing.
    const UINT other = RegisterWindowMessageA("Framework Test: Ping Elsewhere");
    RecordingWnd::s_ping = other;
    EXPECT_EQ(wnd.SendMessage(ping, 3, 4), 0);
    EXPECT_EQ(wnd.SendMessage(other, 5, 6), 0x1234);
    EXPECT_EQ(wnd.pingW, 5u);
    RecordingWnd::s_ping = ping;
    EXPECT_EQ(wnd.pings, 3);
}

TEST(Window, DerivedEntryComesBeforeTheBasesAndMayCallIt) {
    const struct {
        bool chain;
        int baseTimerCalls;
    } cases[] = {{false, 0}, {true, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.chain ? "chained" : "alone");
        OverridingWnd wnd;
        wnd.chain = c.chain;
        ASSERT_TRUE(wnd.CreateEx(0, nullptr, "test", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
        EXPECT_EQ(wnd.created, 1);  // the base's entries still apply
        wnd.SendMessage(WM_TIMER, 5, 0);
        EXPECT_EQ(wnd.ownTimerCalls, 1);
        EXPECT_EQ(wnd.timerCalls, c.baseTimerCalls);
        EXPECT_EQ(wnd.lastTimer, c.chain ? 5u : 0u);
        EXPECT_EQ(wnd.SendMessage(RecordingWnd::s_ping), 0x1234);
    }
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
// object, and the control's own procedure still does the work (Default).
class CountingButton : public CWnd {
public:
    int setTextCalls = 0;

protected:
    LRESULT OnSetText(WPARAM, LPARAM) {
        ++setTextCalls;
        return Default();
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry CountingButton::messageEntries[] = {
    On::Message<&CountingButton::OnSetText>(WM_SETTEXT),
    On::End(),
};
const MessageMap CountingButton::messageMap = {&CWnd::messageMap, CountingButton::messageEntries};

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
    const UINT message = RecordingWnd::s_ping;
    RecordingWnd top;
    ASSERT_TRUE(top.CreateEx(0, nullptr, "top", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    RecordingWnd child, grandchild;
    RECT rect = {0, 0, 50, 50};
    ASSERT_TRUE(child.Create(nullptr, "child", 0, rect, &top, 1));
    ASSERT_TRUE(grandchild.Create(nullptr, "grandchild", 0, rect, &child, 2));
    top.SendMessageToDescendants(message, 0, 0, false);
    EXPECT_EQ(top.pings, 0);
    EXPECT_EQ(child.pings, 1);
    EXPECT_EQ(grandchild.pings, 0);
    top.SendMessageToDescendants(message);
    EXPECT_EQ(child.pings, 2);
    EXPECT_EQ(grandchild.pings, 1);
}

// ---- Notifications from child controls ----

constexpr UINT kControlId = 501;

// Handles the notifications of control kControlId, and its colour.
class NotifiedParent : public CWnd {
public:
    int controlCalls = 0;
    int notifyCalls = 0;
    int colourCalls = 0;

protected:
    void OnEditChange() { ++controlCalls; }
    void OnClick(NMHDR*, LRESULT* result) {
        ++notifyCalls;
        *result = 9;
    }
    LRESULT OnColour(WPARAM, LPARAM) {
        ++colourCalls;
        return 9;
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry NotifiedParent::messageEntries[] = {
    On::Control<&NotifiedParent::OnEditChange>(EN_CHANGE, kControlId),
    On::Notify<&NotifiedParent::OnClick>(NM_CLICK, kControlId),
    On::Message<&NotifiedParent::OnColour>(WM_CTLCOLOREDIT),
    On::End(),
};
const MessageMap NotifiedParent::messageMap = {&CWnd::messageMap, NotifiedParent::messageEntries};

// A control that handles the same notifications itself.
class ReflectingControl : public CWnd {
public:
    int commandCalls = 0;
    int notifyCalls = 0;
    int colourCalls = 0;

protected:
    void OnEditChange() { ++commandCalls; }
    void OnClick(NMHDR*, LRESULT* result) {
        ++notifyCalls;
        *result = 5;
    }
    LRESULT OnColour(WPARAM, LPARAM) {
        ++colourCalls;
        return 5;
    }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry ReflectingControl::messageEntries[] = {
    On::ReflectCommand<&ReflectingControl::OnEditChange>(EN_CHANGE),
    On::ReflectNotify<&ReflectingControl::OnClick>(NM_CLICK),
    On::ReflectMessage<&ReflectingControl::OnColour>(WM_CTLCOLOREDIT),
    On::End(),
};
const MessageMap ReflectingControl::messageMap = {&CWnd::messageMap, ReflectingControl::messageEntries};

TEST(Reflection, AControlsOwnEntryComesBeforeItsParents) {
    NotifiedParent parent;
    ASSERT_TRUE(parent.CreateEx(0, nullptr, "parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr));
    RECT rect = {0, 0, 50, 20};
    ReflectingControl reflecting;
    CWnd plain;  // an object without entries of its own
    ASSERT_TRUE(reflecting.Create(nullptr, "reflecting", 0, rect, &parent, kControlId));
    ASSERT_TRUE(plain.Create(nullptr, "plain", 0, rect, &parent, kControlId));
    HWND bare = CreateWindowExA(0, "STATIC", "bare", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd,
                                reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kControlId)),
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(bare, nullptr);

    const struct {
        const char* name;
        HWND control;
        bool reflects;
    } cases[] = {
        {"control with entries", reflecting.m_hWnd, true},
        {"control without entries", plain.m_hWnd, false},
        {"control without an object", bare, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        parent.controlCalls = parent.notifyCalls = parent.colourCalls = 0;
        reflecting.commandCalls = reflecting.notifyCalls = reflecting.colourCalls = 0;

        parent.SendMessage(WM_COMMAND, MAKEWPARAM(kControlId, EN_CHANGE), reinterpret_cast<LPARAM>(c.control));
        NMHDR header = {c.control, kControlId, NM_CLICK};
        const LRESULT notifyResult = parent.SendMessage(WM_NOTIFY, kControlId, reinterpret_cast<LPARAM>(&header));
        const LRESULT colour = parent.SendMessage(WM_CTLCOLOREDIT, 0, reinterpret_cast<LPARAM>(c.control));

        const int own = c.reflects ? 1 : 0;
        EXPECT_EQ(reflecting.commandCalls, own);
        EXPECT_EQ(reflecting.notifyCalls, own);
        EXPECT_EQ(reflecting.colourCalls, own);
        EXPECT_EQ(parent.controlCalls, 1 - own);
        EXPECT_EQ(parent.notifyCalls, 1 - own);
        EXPECT_EQ(parent.colourCalls, 1 - own);
        EXPECT_EQ(notifyResult, c.reflects ? 5 : 9);
        EXPECT_EQ(colour, c.reflects ? 5 : 9);
    }
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

protected:
    bool* m_deleted;
};

// Ends its own creation.
class FailingFrame : public NotedFrame {
public:
    using NotedFrame::NotedFrame;

protected:
    LRESULT OnCreate(WPARAM, LPARAM) { return -1; }

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

const MessageMapEntry FailingFrame::messageEntries[] = {
    On::Message<&FailingFrame::OnCreate>(WM_CREATE),
    On::End(),
};
const MessageMap FailingFrame::messageMap = {&CFrameWnd::messageMap, FailingFrame::messageEntries};

// Destroys its window from a handler and goes on using the object.
class SelfDestroyingFrame : public NotedFrame {
public:
    SelfDestroyingFrame(bool* deleted, bool* deletedInside)
        : NotedFrame(deleted), m_deletedInside(deletedInside) {}
    static UINT s_destroyYourself;

protected:
    LRESULT OnDestroyYourself(WPARAM, LPARAM) {
        DestroyWindow();
        *m_deletedInside = *m_deleted;
        return m_answer;
    }
    bool* m_deletedInside;
    LRESULT m_answer = 7;

    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};

UINT SelfDestroyingFrame::s_destroyYourself = RegisterWindowMessageA("Framework Test: Destroy Yourself");

const MessageMapEntry SelfDestroyingFrame::messageEntries[] = {
    On::Registered<&SelfDestroyingFrame::OnDestroyYourself>(&SelfDestroyingFrame::s_destroyYourself),
    On::End(),
};
const MessageMap SelfDestroyingFrame::messageMap = {&CFrameWnd::messageMap, SelfDestroyingFrame::messageEntries};

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
    bool deleted = false;
    auto* frame = new FailingFrame(&deleted);
    EXPECT_FALSE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    EXPECT_FALSE(deleted);
    EXPECT_EQ(frame->m_hWnd, nullptr);
    delete frame;
    EXPECT_TRUE(deleted);
}

TEST(Frame, AHandlerThatDestroysItsFrameFinishesBeforeTheFrameGoes) {
    bool deleted = false;
    bool deletedInside = true;
    auto* frame = new SelfDestroyingFrame(&deleted, &deletedInside);
    ASSERT_TRUE(frame->Create(nullptr, "frame", WS_OVERLAPPEDWINDOW));
    // The answer is a member, read after DestroyWindow.
    EXPECT_EQ(::SendMessageA(frame->m_hWnd, SelfDestroyingFrame::s_destroyYourself, 0, 0), 7);
    EXPECT_FALSE(deletedInside);
    EXPECT_TRUE(deleted);
}

}  // namespace
