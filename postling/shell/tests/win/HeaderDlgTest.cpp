// The header view in a real modal run: each test's script runs from a timer
// inside the dialog's own loop and acts as a user does, with posted mouse
// and key messages; the context menu opens from a right click on the text
// box, and a second thread reads it and chooses from it by keys while the
// menu's loop holds the test thread.
// HEADERVIEW_SHOT_DIR (a Windows path): at the moments worth a look the
// test writes NAME.ready there and waits for NAME.done, so that a script can
// take a screenshot.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/tests/win/CodePageText.h"
#include "postling/message/Message.h"
#include "postling/res/resource.h"
#include "postling/shell/HeaderDlg.h"

namespace {

// The dialog under test, whose keys the message loop gives it first.
CDialog* g_dialog = nullptr;

void Pump(DWORD milliseconds = 60) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (g_dialog && g_dialog->m_hWnd && g_dialog->PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

// Waits for a screenshot taken from outside; the test thread pumps meanwhile.
void Shot(const char* name, bool pump) {
    const char* dir = std::getenv("HEADERVIEW_SHOT_DIR");
    if (!dir) return;
    if (pump) Pump(300);
    const std::string base = std::string(dir) + "\\" + name;
    std::ofstream(base + ".ready") << "ready\n";
    for (int i = 0; i < 600 && GetFileAttributesA((base + ".done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i) {
        if (pump)
            Pump(50);
        else
            Sleep(50);
    }
}

HWND Edit(HWND dialog) { return GetDlgItem(dialog, IDC_HEADER_TEXT); }

std::string Text(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window, &text[0], static_cast<int>(text.size()))));
    return text;
}

std::pair<int, int> Selection(HWND edit) {
    DWORD start = 0;
    DWORD end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

LOGFONTA FontOf(HWND window) {
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font;
}

std::string Clipboard() {
    std::string text;
    if (!OpenClipboard(nullptr)) return "(clipboard busy)";
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

void ClearClipboard() {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    CloseClipboard();
}

LPARAM At(POINT point) { return MAKELPARAM(point.x, point.y); }

// Inside the character cell of the box's character `index`, near its left edge.
POINT CharPoint(HWND edit, int index) {
    const LRESULT position = SendMessageA(edit, EM_POSFROMCHAR, static_cast<WPARAM>(index), 0);
    return {static_cast<short>(LOWORD(position)) + 1, static_cast<short>(HIWORD(position)) + 3};
}

void Click(HWND window, POINT at) {
    PostMessageA(window, WM_MOUSEMOVE, 0, At(at));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(at));
    PostMessageA(window, WM_LBUTTONUP, 0, At(at));
    Pump();
}

void Drag(HWND window, POINT from, POINT to) {
    PostMessageA(window, WM_MOUSEMOVE, 0, At(from));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, At(from));
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At({(from.x + to.x) / 2, (from.y + to.y) / 2}));
    PostMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, At(to));
    PostMessageA(window, WM_LBUTTONUP, 0, At(to));
    Pump();
}

LPARAM KeyData(UINT vk, bool up) {
    LPARAM data = 1 | static_cast<LPARAM>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC) << 16);
    return up ? data | static_cast<LPARAM>(0xC0000000u) : data;
}

// A key pressed and released in `window`, with Shift held or not.
void Key(HWND window, UINT vk, bool shift = false, bool system = false) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_LSHIFT] = shift ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageA(window, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, KeyData(vk, false));
    PostMessageA(window, system ? WM_SYSKEYUP : WM_KEYUP, vk, KeyData(vk, true));
    Pump();
    keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
    SetKeyboardState(keys);
}

// ---- The context menu, as the user sees it ----

struct MenuItem {
    UINT id;
    std::string text;
    bool grayed;
    bool checked;
    HMENU submenu;
    int position;
};

std::vector<MenuItem> ReadMenu(HMENU menu) {
    std::vector<MenuItem> items;
    const int count = GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        char text[128] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = sizeof text;
        if (!GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) || (info.fType & MFT_SEPARATOR)) continue;
        items.push_back({info.wID, text, (info.fState & MFS_GRAYED) != 0, (info.fState & MFS_CHECKED) != 0,
                         info.hSubMenu, i});
    }
    return items;
}

struct MenuSeen {
    bool shown = false;
    bool chosen = false;
    std::vector<MenuItem> top;
    std::vector<MenuItem> sub;  // the submenu, when the choice was in it

    // The item of either level with this text (UTF-8), or a blank one.
    MenuItem Item(const char* utf8) const {
        const std::string text = Cp1251(utf8);
        for (const auto* items : {&top, &sub})
            for (const MenuItem& item : *items)
                if (item.text == text) return item;
        ADD_FAILURE() << "no menu item " << utf8;
        return {0, "", false, false, nullptr, -1};
    }
};

// The user of one popup menu of the test thread: a second thread waits for
// it, reads it, and chooses the command `choice` by arrow keys and Enter
// (0: closes it with Esc), opening the submenu that holds the command.
class MenuUser {
public:
    MenuUser(DWORD thread, UINT choice, const char* shot)
        : m_thread(thread), m_choice(choice), m_shot(shot), m_worker([this] { Run(); }) {}
    ~MenuUser() { m_worker.join(); }
    MenuUser(const MenuUser&) = delete;
    MenuUser& operator=(const MenuUser&) = delete;

    bool Done() const { return m_done; }
    const MenuSeen& Seen() const { return m_seen; }

private:
    // A visible popup-menu window of the thread other than `except`.
    HWND FindMenuWindow(HWND except) const {
        struct Search {
            HWND except;
            HWND found;
        } search{except, nullptr};
        EnumThreadWindows(
            m_thread,
            [](HWND window, LPARAM data) -> BOOL {
                auto* s = reinterpret_cast<Search*>(data);
                char name[32] = {};
                GetClassNameA(window, name, sizeof name);
                if (window != s->except && std::string(name) == "#32768" && IsWindowVisible(window)) {
                    s->found = window;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    HWND WaitMenuWindow(HWND except) const {
        for (int i = 0; i < 500; ++i) {
            if (HWND window = FindMenuWindow(except)) {
                Sleep(100);  // shown and drawn
                return window;
            }
            Sleep(10);
        }
        return nullptr;
    }
    static void Press(HWND window, UINT vk) {
        PostMessageA(window, WM_KEYDOWN, vk, KeyData(vk, false));
        PostMessageA(window, WM_KEYUP, vk, KeyData(vk, true));
    }
    // The position of the highlighted item, or -1.
    static int Highlighted(HMENU menu) {
        for (int p = 0; p < GetMenuItemCount(menu); ++p)
            if (GetMenuState(menu, static_cast<UINT>(p), MF_BYPOSITION) & MF_HILITE) return p;
        return -1;
    }
    // Arrow down until the item at `position` is highlighted.
    static bool Highlight(HWND window, HMENU menu, int position) {
        for (int presses = 0; presses <= GetMenuItemCount(menu); ++presses) {
            const int current = Highlighted(menu);
            if (current == position) return true;
            Press(window, VK_DOWN);
            // Another press before this one is seen would overshoot the
            // target, and Enter would choose the item after it.
            for (int i = 0; i < 500 && Highlighted(menu) == current; ++i) Sleep(10);
        }
        return Highlighted(menu) == position;
    }
    static const MenuItem* Find(const std::vector<MenuItem>& items, UINT id) {
        for (const MenuItem& item : items)
            if (item.id == id && !item.submenu) return &item;
        return nullptr;
    }

    void Run() {
        HWND window = WaitMenuWindow(nullptr);
        if (window) {
            m_seen.shown = true;
            HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
            m_seen.top = ReadMenu(menu);
            const MenuItem* target = Find(m_seen.top, m_choice);
            if (!target && m_choice) {
                for (const MenuItem& item : m_seen.top) {
                    if (!item.submenu || !Find(ReadMenu(item.submenu), m_choice)) continue;
                    if (!Highlight(window, menu, item.position)) break;
                    Press(window, VK_RIGHT);
                    HWND subWindow = WaitMenuWindow(window);
                    if (!subWindow) break;
                    window = subWindow;
                    menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
                    m_seen.sub = ReadMenu(menu);
                    target = Find(m_seen.sub, m_choice);
                    break;
                }
            }
            if (m_shot) Shot(m_shot, false);
            if (target && Highlight(window, menu, target->position)) {
                Press(window, VK_RETURN);
                m_seen.chosen = true;
            } else {
                Press(window, VK_ESCAPE);
                Press(window, VK_ESCAPE);
            }
        }
        m_done = true;
    }

    DWORD m_thread;
    UINT m_choice;
    const char* m_shot;
    MenuSeen m_seen;
    std::atomic<bool> m_done{false};
    std::thread m_worker;
};

// The commands posted to the test thread's windows while it is installed.
class CommandWatch {
public:
    CommandWatch() : m_hook(SetWindowsHookExA(WH_GETMESSAGE, &CommandWatch::Hook, nullptr, GetCurrentThreadId())) {
        s_arrived.clear();
    }
    ~CommandWatch() { UnhookWindowsHookEx(m_hook); }
    CommandWatch(const CommandWatch&) = delete;
    CommandWatch& operator=(const CommandWatch&) = delete;

    static bool Arrived(UINT id) { return std::find(s_arrived.begin(), s_arrived.end(), id) != s_arrived.end(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        const auto* msg = reinterpret_cast<const MSG*>(lParam);
        if (code >= 0 && wParam == PM_REMOVE && msg->message == WM_COMMAND)
            s_arrived.push_back(LOWORD(msg->wParam));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    static inline std::vector<UINT> s_arrived;
    HHOOK m_hook;
};

// Opens the box's context menu by a right click (or Shift+F10) and lets a
// user choose `choice` from it; returns what the menu showed. A menu that
// did not come, or closed before its command was posted (a window of
// another test on the display took the activation), is opened again.
MenuSeen UseMenu(HWND dialog, UINT choice, const char* shot = nullptr, bool byKey = false) {
    MenuSeen seen;
    for (int attempt = 0; attempt < 3; ++attempt) {
        CommandWatch commands;
        // The pointer out of the menu's way: an item under it takes the
        // highlight from the keys.
        SetCursorPos(0, 0);
        {
            MenuUser user(GetCurrentThreadId(), choice, shot);
            HWND edit = Edit(dialog);
            if (byKey) {
                Key(edit, VK_F10, true, true);
            } else {
                PostMessageA(edit, WM_RBUTTONDOWN, MK_RBUTTON, At({40, 30}));
                PostMessageA(edit, WM_RBUTTONUP, 0, At({40, 30}));
            }
            for (int i = 0; i < 1000 && !user.Done(); ++i) Pump(10);
            seen = user.Seen();
        }
        if (seen.shown && choice == 0) break;
        if (!seen.chosen) continue;
        for (int i = 0; i < 300 && !CommandWatch::Arrived(choice); ++i) Pump(10);
        if (CommandWatch::Arrived(choice)) break;
    }
    Pump(150);  // the chosen command carried out
    return seen;
}

// ---- The dialog's run ----

const char kRussianHeader[] =
    "Return-Path: <ivan@example.ru>\r\n"
    "Received: from mail.example.ru by pop.example.ru; Mon, 13 Nov 2000 10:05:07 +0300\r\n"
    "From: Иван Петров <ivan@example.ru>\r\n"
    "To: Мария <maria@example.ru>\r\n"
    "Subject: Привет из Москвы\r\n"
    "Date: Mon, 13 Nov 2000 10:05:07 +0300\r\n"
    "Message-ID: <20001113100507.1234@example.ru>\r\n"
    "Content-Type: text/plain\r\n";

class HeaderDlgTest : public ::testing::Test {
protected:
    HeaderDlgTest() { dialog_.m_pMessage = &message_; }
    void TearDown() override { ClearClipboard(); }

    // Runs the dialog modally: `script` acts on its window from inside the
    // loop, then Esc closes it.
    void Run(const std::function<void(HWND)>& script) {
        s_script = &script;
        g_dialog = s_dialog = &dialog_;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &HeaderDlgTest::OnStart);
        EXPECT_EQ(dialog_.DoModal(), IDCANCEL);
        KillTimer(nullptr, timer);
        if (s_watchdog) KillTimer(nullptr, s_watchdog);
        s_watchdog = 0;
        g_dialog = nullptr;
        EXPECT_EQ(dialog_.m_hWnd, nullptr);
    }

    static void CALLBACK OnStart(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        HWND dialog = s_dialog->m_hWnd;
        if (!dialog) return;
        // Above whatever else is on the display, away from its corner.
        SetWindowPos(dialog, HWND_TOPMOST, 120, 90, 0, 0, SWP_NOSIZE);
        Pump(200);
        (*s_script)(dialog);
        if (!IsWindow(dialog)) return;
        PostMessageA(Edit(dialog), WM_KEYDOWN, VK_ESCAPE, KeyData(VK_ESCAPE, false));
        s_watchdog = SetTimer(nullptr, 0, 5000, &HeaderDlgTest::OnStuck);
    }
    static void CALLBACK OnStuck(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        s_watchdog = 0;
        ADD_FAILURE() << "Esc did not close the dialog";
        s_dialog->EndDialog(-2);
    }

    static const std::function<void(HWND)>* s_script;
    static CHeaderDlg* s_dialog;
    static UINT_PTR s_watchdog;

    CMessage message_;
    CHeaderDlg dialog_;
};

const std::function<void(HWND)>* HeaderDlgTest::s_script = nullptr;
CHeaderDlg* HeaderDlgTest::s_dialog = nullptr;
UINT_PTR HeaderDlgTest::s_watchdog = 0;

TEST_F(HeaderDlgTest, OpensWithTheStoredHeaderUpToItsLimitInTheDialogFont) {
    // Lines of 77 characters: the limit falls inside a line.
    std::string longHeader;
    for (int line = 0; longHeader.size() < 40000; ++line) {
        char text[80];
        std::snprintf(text, sizeof text, "X-Line-%05d: %-60s\r\n", line, "abcdefghijklmnopqrstuvwxyz0123456789");
        longHeader += text;
    }
    longHeader.resize(40000);
    const struct Case {
        const char* name;
        std::string header;
        std::string shown;
    } cases[] = {
        {"russian", Cp1251(kRussianHeader), Cp1251(kRussianHeader)},
        {"long", longHeader, longHeader.substr(0, 32000)},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        message_.m_strHeader = c.header;
        Run([&](HWND dialog) {
            HWND edit = Edit(dialog);
            EXPECT_EQ(Text(dialog), Cp1251("Заголовок сообщения"));
            EXPECT_NE(SendMessageA(dialog, WM_GETICON, ICON_SMALL, 0), 0);
            const std::string shown = Text(edit);
            EXPECT_EQ(shown.size(), c.shown.size());
            EXPECT_TRUE(shown == c.shown);
            EXPECT_EQ(Selection(edit), std::make_pair(0, 0));
            EXPECT_EQ(SendMessageA(edit, WM_GETFONT, 0, 0), SendMessageA(dialog, WM_GETFONT, 0, 0));
            const LONG style = GetWindowLongA(edit, GWL_STYLE);
            const LONG wanted =
                ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL | WS_HSCROLL | WS_VSCROLL;
            EXPECT_EQ(style & wanted, wanted);
            // The dialog gives an edit's border the sunken 3-D look.
            EXPECT_TRUE((style & WS_BORDER) || (GetWindowLongA(edit, GWL_EXSTYLE) & WS_EX_CLIENTEDGE));
            EXPECT_TRUE(GetWindowLongA(dialog, GWL_STYLE) & WS_THICKFRAME);
            EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
            if (std::string(c.name) == "russian") Shot("proportional", true);
        });
    }
}

TEST_F(HeaderDlgTest, CharsetCommandsReadTheStoredHeaderAgainEachTime) {
    const std::string koi8 = FromUtf8(kRussianHeader, 20866);
    const std::string russian = Cp1251(kRussianHeader);
    ASSERT_NE(koi8, russian);
    message_.m_strHeader = koi8;
    Run([&](HWND dialog) {
        HWND edit = Edit(dialog);
        EXPECT_TRUE(Text(edit) == koi8);
        const struct Step {
            UINT command;
            const char* checked;
            const char* unchecked;
            std::string shown;
        } steps[] = {
            {ID_HEADER_CHARSET_KOI8R, "Кириллица (Windows 1251)", "Кириллица (KOI-8R)", russian},
            // Read from the stored header, not from what is shown.
            {ID_HEADER_CHARSET_KOI8R, "Кириллица (KOI-8R)", "Кириллица (Windows 1251)", russian},
            {ID_HEADER_CHARSET_WIN1251, "Кириллица (KOI-8R)", "Кириллица (Windows 1251)", koi8},
            {ID_HEADER_CHARSET_KOI8R, "Кириллица (Windows 1251)", "Кириллица (KOI-8R)", russian},
        };
        for (const Step& step : steps) {
            const MenuSeen seen = UseMenu(dialog, step.command);
            ASSERT_TRUE(seen.chosen);
            // The chosen command arrives after the menu has closed: on a
            // busy machine later than UseMenu's own wait.
            for (int i = 0; i < 300 && Text(edit) != step.shown; ++i) Pump(10);
            EXPECT_TRUE(seen.Item(step.checked).checked) << step.checked;
            EXPECT_FALSE(seen.Item(step.unchecked).checked) << step.unchecked;
            EXPECT_FALSE(seen.Item("Кодировка").checked);
            EXPECT_TRUE(Text(edit) == step.shown) << "step " << (&step - steps) << ": " << Text(edit).substr(0, 120);
            EXPECT_EQ(Selection(edit), std::make_pair(0, 0));
        }
    });
    // The next opening starts with Windows 1251 again.
    Run([&](HWND dialog) { EXPECT_TRUE(Text(Edit(dialog)) == koi8); });
}

TEST_F(HeaderDlgTest, CopyNeedsASelectionAndPutsItOnTheClipboard) {
    const std::string header = Cp1251(kRussianHeader);
    message_.m_strHeader = header;
    const std::string firstLine = header.substr(0, header.find("\r\n"));
    Run([&](HWND dialog) {
        HWND edit = Edit(dialog);
        const struct Case {
            const char* how;
            std::function<void()> select;
            std::pair<int, int> selection;
        } cases[] = {
            {"drag", [&] { Drag(edit, CharPoint(edit, 7), CharPoint(edit, 20)); }, {7, 20}},
            {"shift+end", [&] { Key(edit, VK_HOME); Key(edit, VK_END, true); },
             {0, static_cast<int>(firstLine.size())}},
            {"select all", [&] { EXPECT_TRUE(UseMenu(dialog, ID_EDIT_SELECT_ALL).chosen); },
             {0, static_cast<int>(header.size())}},
        };
        for (const Case& c : cases) {
            SCOPED_TRACE(c.how);
            Click(edit, CharPoint(edit, 3));
            EXPECT_EQ(Selection(edit), std::make_pair(3, 3));
            MenuSeen seen = UseMenu(dialog, 0);
            ASSERT_TRUE(seen.shown);
            EXPECT_TRUE(seen.Item("Копировать").grayed);
            EXPECT_FALSE(seen.Item("Выделить все").grayed);

            c.select();
            ASSERT_EQ(Selection(edit), c.selection);
            ClearClipboard();
            seen = UseMenu(dialog, ID_EDIT_COPY);
            EXPECT_FALSE(seen.Item("Копировать").grayed);
            EXPECT_TRUE(seen.chosen);
            EXPECT_EQ(Clipboard(), header.substr(static_cast<size_t>(c.selection.first),
                                                 static_cast<size_t>(c.selection.second - c.selection.first)));
        }
    });
}

TEST_F(HeaderDlgTest, FontCommandsSwitchTheBoxBetweenTheDialogFontAndCourierNew) {
    message_.m_strHeader = Cp1251(kRussianHeader);
    Run([&](HWND dialog) {
        HWND edit = Edit(dialog);
        const LOGFONTA dialogFont = FontOf(dialog);

        MenuSeen seen = UseMenu(dialog, ID_HEADER_FONT_FIXED);
        EXPECT_TRUE(seen.Item("Пропорциональный шрифт").checked);
        EXPECT_FALSE(seen.Item("Фиксированный шрифт").checked);
        LOGFONTA font = FontOf(edit);
        EXPECT_STREQ(font.lfFaceName, "Courier New");
        EXPECT_EQ(font.lfCharSet, RUSSIAN_CHARSET);
        EXPECT_EQ(font.lfPitchAndFamily & 3, FIXED_PITCH);
        EXPECT_EQ(font.lfHeight, dialogFont.lfHeight);
        Shot("fixed", true);

        // The menu with the fixed font checked and the charset submenu open.
        seen = UseMenu(dialog, ID_HEADER_CHARSET_WIN1251, "menu");
        EXPECT_FALSE(seen.Item("Пропорциональный шрифт").checked);
        EXPECT_TRUE(seen.Item("Фиксированный шрифт").checked);
        EXPECT_TRUE(seen.Item("Кириллица (Windows 1251)").checked);
        EXPECT_STREQ(FontOf(edit).lfFaceName, "Courier New");

        seen = UseMenu(dialog, ID_HEADER_FONT_PROPORTIONAL);
        EXPECT_TRUE(seen.chosen);
        font = FontOf(edit);
        EXPECT_STREQ(font.lfFaceName, dialogFont.lfFaceName);
        EXPECT_EQ(font.lfCharSet, dialogFont.lfCharSet);
        EXPECT_EQ(font.lfHeight, dialogFont.lfHeight);
        EXPECT_TRUE(UseMenu(dialog, 0).Item("Пропорциональный шрифт").checked);
    });
}

TEST_F(HeaderDlgTest, TheBoxFillsTheClientAreaAsTheWindowIsResized) {
    message_.m_strHeader = Cp1251(kRussianHeader);
    Run([&](HWND dialog) {
        HWND edit = Edit(dialog);
        RECT before;
        GetWindowRect(edit, &before);
        const SIZE sizes[] = {{700, 500}, {900, 620}, {640, 480}};
        for (const SIZE& size : sizes) {
            SetWindowPos(dialog, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
            Pump();
            RECT client;
            GetClientRect(dialog, &client);
            RECT box;
            GetWindowRect(edit, &box);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&box), 2);
            EXPECT_EQ(box.left, 0);
            EXPECT_EQ(box.top, 0);
            EXPECT_EQ(box.right, client.right) << size.cx;
            EXPECT_EQ(box.bottom, client.bottom) << size.cy;
        }
        RECT after;
        GetWindowRect(edit, &after);
        EXPECT_GT(after.right - after.left, before.right - before.left);
    });
}

TEST_F(HeaderDlgTest, RuleCommandsCallTheOpenersHookWithTheirField) {
    message_.m_strHeader = Cp1251(kRussianHeader);
    std::vector<std::pair<const CMessage*, RuleField>> calls;
    dialog_.m_ruleHook = [&](const CMessage& message, RuleField field) { calls.emplace_back(&message, field); };
    const struct Case {
        UINT command;
        const char* text;
        RuleField field;
    } cases[] = {
        {ID_RULE_FROM_SENDER, "Создать правило по отправителю...", RuleFieldSender},
        {ID_RULE_FROM_SUBJECT, "Создать правило по теме...", RuleFieldSubject},
    };
    Run([&](HWND dialog) {
        for (const Case& c : cases) {
            calls.clear();
            const MenuSeen seen = UseMenu(dialog, c.command);
            EXPECT_FALSE(seen.Item(c.text).grayed);
            ASSERT_TRUE(seen.chosen);
            ASSERT_EQ(calls.size(), 1u) << c.text;
            EXPECT_EQ(calls[0].first, &message_);
            EXPECT_EQ(calls[0].second, c.field);
        }
    });
    // Without a hook the commands do nothing and the dialog stays.
    dialog_.m_ruleHook = nullptr;
    calls.clear();
    Run([&](HWND dialog) {
        for (const Case& c : cases) {
            EXPECT_TRUE(UseMenu(dialog, c.command).chosen);
            EXPECT_TRUE(IsWindowVisible(dialog));
        }
    });
    EXPECT_TRUE(calls.empty());
}

TEST_F(HeaderDlgTest, ShiftF10OpensTheSameMenuAtTheCaret) {
    message_.m_strHeader = Cp1251(kRussianHeader);
    Run([&](HWND dialog) {
        SetFocus(Edit(dialog));
        const MenuSeen seen = UseMenu(dialog, ID_HEADER_FONT_FIXED, nullptr, true);
        ASSERT_TRUE(seen.shown);
        EXPECT_TRUE(seen.chosen);
        EXPECT_STREQ(FontOf(Edit(dialog)).lfFaceName, "Courier New");
    });
}

}  // namespace
