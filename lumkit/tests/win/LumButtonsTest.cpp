// The flat button and the hyperlink on real windows, driven by posted mouse
// messages, with a recorder program standing in for the browser. Posted
// rather than SendInput: every Wine process of the prefix shares one
// cursor, and tests running beside this one move it.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "lumkit/LumFlatButton.h"
#include "lumkit/LumHyperLink.h"

namespace {

constexpr UINT kButtonId = 1201;
constexpr UINT kLinkId = 1202;
constexpr int kButtonSize = 40;
constexpr int kIconSize = 16;
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr char kUnhandledUrl[] = "postlingtest:abc";
constexpr char kTestFileType[] = "PostlingTestHtm";

// Text in the ANSI code page (1251), as the controls take it.
std::string Ansi(const wchar_t* text) {
    const int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, -1, &ansi[0], size, nullptr, nullptr);
    ansi.resize(static_cast<size_t>(size) - 1);
    return ansi;
}

// A window class with the dialog background.
const char* FaceClass() {
    return AfxRegisterWndClass(0, LoadCursorA(nullptr, IDC_ARROW), reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
}

// Runs this thread's messages until none has come for `quietMs`.
void Pump(DWORD quietMs = 30) {
    DWORD last = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            last = GetTickCount();
        }
        if (GetTickCount() - last >= quietMs) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

// The mouse over one top-level window, its messages routed as the system
// routes them: to the window holding the capture, else to the enabled,
// visible child under the point (or the top-level window itself).
class Mouse {
public:
    explicit Mouse(HWND top) : top_(top) {}
    void MoveTo(HWND window, POINT client) {
        point_ = client;
        ClientToScreen(window, &point_);
        Send(WM_MOUSEMOVE);
    }
    void Press() {
        buttons_ = MK_LBUTTON;
        Send(WM_LBUTTONDOWN);
    }
    void Release() {
        buttons_ = 0;
        Send(WM_LBUTTONUP);
    }
    // A quick second press: the system sends it as a double click.
    void PressAgain() {
        buttons_ = MK_LBUTTON;
        Send(WM_LBUTTONDBLCLK);
    }

private:
    void Send(UINT message) {
        HWND target = GetCapture();
        if (!target) {
            POINT inTop = point_;
            ScreenToClient(top_, &inTop);
            target = ChildWindowFromPointEx(top_, inTop, CWP_SKIPDISABLED | CWP_SKIPINVISIBLE);
        }
        ASSERT_NE(target, nullptr);
        POINT local = point_;
        ScreenToClient(target, &local);
        PostMessageA(target, message, buttons_, MAKELPARAM(local.x, local.y));
        Pump();
    }

    HWND top_;
    POINT point_ = {};
    WPARAM buttons_ = 0;
};

// A top-level window that records every WM_COMMAND it gets.
class CommandSink : public CWnd {
public:
    struct Command {
        WPARAM wParam;
        LPARAM lParam;
    };
    std::vector<Command> commands;

protected:
    bool OnCommand(WPARAM wParam, LPARAM lParam) override {
        commands.push_back({wParam, lParam});
        return CWnd::OnCommand(wParam, lParam);
    }
};

HICON MakeSolidIcon(COLORREF color) {
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, kIconSize, kIconSize);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, image);
    HBRUSH brush = CreateSolidBrush(color);
    const RECT all = {0, 0, kIconSize, kIconSize};
    FillRect(memory, &all, brush);
    DeleteObject(brush);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const std::vector<BYTE> opaque(kIconSize * kIconSize / 8, 0);
    HBITMAP mask = CreateBitmap(kIconSize, kIconSize, 1, 1, opaque.data());
    ICONINFO info = {TRUE, 0, 0, mask, image};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(image);
    return icon;
}

COLORREF PixelOf(HWND window, int x, int y) {
    HDC dc = GetDC(window);
    const COLORREF color = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return color;
}

// The program holds LUMKIT's controls through classes derived from them
// (the export table has the base-object constructors and destructors).
class FlatButton : public CLumFlatButton {};
class HyperLink : public CLumHyperLink {};

// ---- CLumFlatButton ----

enum class Look { Flat, Hot, Pressed, Other };

const char* Name(Look look) {
    switch (look) {
    case Look::Flat: return "flat";
    case Look::Hot: return "hot";
    case Look::Pressed: return "pressed";
    default: return "other";
    }
}

enum class Act { In, Out, Press, Release, PressAgain };

struct Step {
    Act act;
    Look look;  // after the step
};

// A button with a red icon, on a topmost window so that no window of
// another program on the shared desktop hides the pixels read.
class FlatButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        icon = MakeSolidIcon(kRed);
        ASSERT_TRUE(sink.CreateEx(WS_EX_TOPMOST, FaceClass(), Ansi(L"Плоская кнопка").c_str(),
                                  WS_POPUP | WS_BORDER | WS_VISIBLE, 200, 150, 240, 120, nullptr, nullptr));
        mouse = Mouse(sink.m_hWnd);
        const RECT rect = {20, 20, 20 + kButtonSize, 20 + kButtonSize};
        ASSERT_TRUE(button.Create("", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW | BS_CENTER, rect, &sink, kButtonId));
        button.SetIcon(icon, kIconSize, kIconSize);
        sink.UpdateWindow();
        Pump();
    }
    void TearDown() override {
        ReleaseCapture();
        sink.DestroyWindow();
        DestroyIcon(icon);
    }

    // Points in button coordinates: its middle, and one on the parent.
    static POINT Inside() { return {kButtonSize / 2, kButtonSize / 2}; }
    static POINT Outside() { return {kButtonSize + 60, kButtonSize / 2}; }
    static POINT Away() { return {kButtonSize + 120, kButtonSize / 2}; }

    void Do(Act act) {
        switch (act) {
        case Act::In: mouse.MoveTo(button.m_hWnd, Inside()); break;
        case Act::Out: mouse.MoveTo(button.m_hWnd, Outside()); break;
        case Act::Press: mouse.Press(); break;
        case Act::Release: mouse.Release(); break;
        case Act::PressAgain: mouse.PressAgain(); break;
        }
    }

    // The frame tells raised from sunken; the icon's place tells whether
    // the content moved one pixel right and down.
    Look Observed() const {
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
        const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
        const COLORREF topLeft = PixelOf(button.m_hWnd, 0, 0);
        const COLORREF bottomRight = PixelOf(button.m_hWnd, kButtonSize - 1, kButtonSize - 1);
        const int iconAt = (kButtonSize - 2 - kIconSize) / 2 + 1;  // centred inside the frame
        const bool iconHome = PixelOf(button.m_hWnd, iconAt, iconAt) == kRed &&
                              PixelOf(button.m_hWnd, iconAt + kIconSize, iconAt + kIconSize) == face;
        const bool iconMoved = PixelOf(button.m_hWnd, iconAt, iconAt) == face &&
                               PixelOf(button.m_hWnd, iconAt + kIconSize, iconAt + kIconSize) == kRed;
        if (topLeft == face && bottomRight == face && iconHome) return Look::Flat;
        if (topLeft == light && bottomRight == shadow && iconHome) return Look::Hot;
        if (topLeft == shadow && bottomRight == light && iconMoved) return Look::Pressed;
        return Look::Other;
    }

    CommandSink sink;
    FlatButton button;
    HICON icon = nullptr;
    Mouse mouse{nullptr};
};

TEST_F(FlatButtonTest, MouseGesturesSendACommandOnlyForAPressAndReleaseInside) {
    struct Case {
        const char* name;
        std::vector<Step> steps;
        size_t commands;
    };
    const std::vector<Case> cases = {
        {"click", {{Act::In, Look::Hot}, {Act::Press, Look::Pressed}, {Act::Release, Look::Hot}}, 1},
        {"out and back in while held",
         {{Act::In, Look::Hot},
          {Act::Press, Look::Pressed},
          {Act::Out, Look::Flat},
          {Act::In, Look::Pressed},
          {Act::Release, Look::Hot},
          {Act::Out, Look::Flat}},
         1},
        {"double click",
         {{Act::In, Look::Hot},
          {Act::Press, Look::Pressed},
          {Act::Release, Look::Hot},
          {Act::PressAgain, Look::Pressed},
          {Act::Release, Look::Hot}},
         2},
        {"released outside",
         {{Act::In, Look::Hot}, {Act::Press, Look::Pressed}, {Act::Out, Look::Flat}, {Act::Release, Look::Flat}},
         0},
        {"pressed outside, released inside",
         {{Act::Out, Look::Flat}, {Act::Press, Look::Flat}, {Act::In, Look::Hot}, {Act::Release, Look::Hot}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        mouse.MoveTo(button.m_hWnd, Away());
        sink.commands.clear();
        ASSERT_EQ(Observed(), Look::Flat);
        for (size_t i = 0; i < c.steps.size(); ++i) {
            Do(c.steps[i].act);
            EXPECT_STREQ(Name(Observed()), Name(c.steps[i].look)) << "after step " << i;
        }
        ASSERT_EQ(sink.commands.size(), c.commands);
        for (const auto& command : sink.commands) {
            EXPECT_EQ(command.wParam, MAKEWPARAM(kButtonId, 0));
            EXPECT_EQ(command.lParam, 0);
        }
        // Leaving the button ends the capture it kept to notice that.
        mouse.MoveTo(button.m_hWnd, Away());
        EXPECT_NE(GetCapture(), button.m_hWnd);
        EXPECT_EQ(Observed(), Look::Flat);
    }
}

TEST_F(FlatButtonTest, DisabledButtonGreysItsIconAndSendsNothing) {
    button.EnableWindow(false);
    button.UpdateWindow();
    const POINT middle = Inside();
    const COLORREF center = PixelOf(button.m_hWnd, middle.x, middle.y);
    EXPECT_NE(center, kRed);
    EXPECT_NE(center, GetSysColor(COLOR_BTNFACE));  // drawn, not left out

    for (Act act : {Act::In, Act::Press, Act::Release, Act::Press, Act::Out, Act::Release}) Do(act);
    EXPECT_TRUE(sink.commands.empty());
    EXPECT_NE(GetCapture(), button.m_hWnd);
    const COLORREF frame = PixelOf(button.m_hWnd, 0, 0);
    EXPECT_EQ(frame, GetSysColor(COLOR_BTNFACE));

    button.EnableWindow(true);
    for (Act act : {Act::In, Act::Press, Act::Release}) Do(act);
    EXPECT_EQ(sink.commands.size(), 1u);
}

// ---- CLumHyperLink ----

std::string ModuleDirectory() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    return directory.substr(0, directory.find_last_of('\\') + 1);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string DefaultValue(HKEY root, const std::string& path, bool* exists) {
    HKEY key = nullptr;
    *exists = RegOpenKeyExA(root, path.c_str(), 0, KEY_QUERY_VALUE, &key) == ERROR_SUCCESS;
    if (!*exists) return {};
    char value[1024] = {};
    DWORD size = sizeof(value) - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) != ERROR_SUCCESS)
        value[0] = '\0';
    RegCloseKey(key);
    return value;
}

void SetDefaultValue(HKEY root, const std::string& path, const std::string& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << path;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(key);
}

// Points HKEY_CLASSES_ROOT\.htm at a file type of the test's own and puts
// everything back afterwards. A value of its own found there is what a
// killed run left: the key was not there before.
class HtmBrowser {
public:
    HtmBrowser() {
        saved_ = DefaultValue(HKEY_CLASSES_ROOT, ".htm", &existed_);
        if (saved_ == kTestFileType) existed_ = false;
    }
    ~HtmBrowser() {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kTestFileType);
        if (!existed_) {
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".htm");
        } else {
            SetDefaultValue(HKEY_CLASSES_ROOT, ".htm", saved_);
        }
    }
    // `command` null: the file type has no open command.
    void Use(const char* command) {
        RegDeleteTreeA(HKEY_CLASSES_ROOT, kTestFileType);
        SetDefaultValue(HKEY_CLASSES_ROOT, ".htm", kTestFileType);
        if (command)
            SetDefaultValue(HKEY_CLASSES_ROOT, std::string(kTestFileType) + "\\shell\\open\\command", command);
        else
            SetDefaultValue(HKEY_CLASSES_ROOT, kTestFileType, "no command");
    }

private:
    std::string saved_;
    bool existed_ = false;
};

class HyperLinkTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The link's fall-back is what this is about: the shell must not know the scheme.
        HINSTANCE shell = ShellExecuteA(nullptr, "open", kUnhandledUrl, nullptr, nullptr, SW_HIDE);
        ASSERT_LE(reinterpret_cast<INT_PTR>(shell), 32);
        recorder = ModuleDirectory() + "lumkit_url_recorder.exe";
        record = ModuleDirectory() + "url_record_" + std::to_string(GetCurrentProcessId()) + ".txt";
        DeleteFileA(record.c_str());
        SetEnvironmentVariableA("POSTLING_URL_RECORD", record.c_str());

        ASSERT_TRUE(sink.CreateEx(WS_EX_TOPMOST, FaceClass(), Ansi(L"Ссылка").c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  60, 60, 360, 140, nullptr, nullptr));
        mouse = Mouse(sink.m_hWnd);
        HWND text = CreateWindowExA(0, "STATIC", Ansi(L"Домашняя страница Postling").c_str(), WS_CHILD | WS_VISIBLE,
                                    20, 20, 260, 24, sink.m_hWnd, reinterpret_cast<HMENU>(kLinkId), nullptr, nullptr);
        ASSERT_NE(text, nullptr);
        SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        ASSERT_TRUE(link.SubclassDlgItem(kLinkId, &sink));
        link.m_strURL = kUnhandledUrl;
        sink.UpdateWindow();
        Pump();
    }
    void TearDown() override {
        sink.DestroyWindow();
        DeleteFileA(record.c_str());
        SetEnvironmentVariableA("POSTLING_URL_RECORD", nullptr);
    }

    // The recorder's command line once it has written it; empty after `ms`.
    std::string WaitForRecord(DWORD ms = 20000) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            const std::string text = ReadFile(record);
            if (!text.empty() && text.back() == '\n') return text.substr(0, text.size() - 1);
            Pump(20);
        }
        return {};
    }

    LOGFONTA FontNow() {
        LOGFONTA font = {};
        GetObjectA(link.GetFont(), sizeof(font), &font);
        return font;
    }

    CommandSink sink;
    HyperLink link;
    Mouse mouse{nullptr};
    HtmBrowser browser;
    std::string recorder;
    std::string record;
};

TEST_F(HyperLinkTest, BlueTextUnderlinedWhileTheMouseIsOverWithAHandCursor) {
    EXPECT_TRUE(link.GetStyle() & SS_NOTIFY);
    link.Invalidate();
    link.UpdateWindow();
    RECT client;
    link.GetClientRect(&client);
    int blue = 0;
    int black = 0;
    HDC dc = GetDC(link.m_hWnd);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            const COLORREF color = GetPixel(dc, x, y);
            blue += color == RGB(0, 0, 255);
            black += color == RGB(0, 0, 0);
        }
    ReleaseDC(link.m_hWnd, dc);
    EXPECT_GT(blue, 50);
    EXPECT_EQ(black, 0);

    const HFONT normal = link.GetFont();
    const LOGFONTA before = FontNow();
    EXPECT_FALSE(before.lfUnderline);
    mouse.MoveTo(link.m_hWnd, {5, 5});
    EXPECT_NE(link.GetFont(), normal);
    LOGFONTA over = FontNow();
    EXPECT_TRUE(over.lfUnderline);
    EXPECT_STREQ(over.lfFaceName, before.lfFaceName);
    EXPECT_EQ(over.lfHeight, before.lfHeight);
    EXPECT_EQ(GetCapture(), link.m_hWnd);

    mouse.MoveTo(link.m_hWnd, {8, 6});  // still inside
    EXPECT_TRUE(FontNow().lfUnderline);

    mouse.MoveTo(link.m_hWnd, {client.right + 10, 5});
    const LOGFONTA after = FontNow();
    EXPECT_FALSE(after.lfUnderline);
    EXPECT_STREQ(after.lfFaceName, before.lfFaceName);
    EXPECT_NE(GetCapture(), link.m_hWnd);

    const LPARAM overClient = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
    EXPECT_EQ(link.SendMessage(WM_SETCURSOR, reinterpret_cast<WPARAM>(link.m_hWnd), overClient), TRUE);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    if (GetFileAttributesA((std::string(windows) + "\\winhlp32.exe").c_str()) == INVALID_FILE_ATTRIBUTES)
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_HAND));  // no help program: the system's hand
    else
        EXPECT_NE(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(HyperLinkTest, ClickStartsTheHtmBrowserWithTheTargetWhenTheShellHasNoHandler) {
    browser.Use(("\"" + recorder + "\" \"%1\"").c_str());
    mouse.MoveTo(link.m_hWnd, {5, 5});
    mouse.Press();
    mouse.Release();
    const std::string line = WaitForRecord();
    EXPECT_EQ(line, "\"" + recorder + "\"  " + kUnhandledUrl);
    // Started once for the click.
    Pump(300);
    EXPECT_EQ(ReadFile(record), line + "\n");
}

TEST_F(HyperLinkTest, BrowserCommandIsCutAtItsArgumentAndGetsTheTargetAppended) {
    struct Case {
        std::string command;  // after the quoted recorder
        std::string expected;
    };
    const std::vector<Case> cases = {
        {" \"%1\" -tail", "  "},                  // cut at the quoted argument
        {" -nohome %1 \"%1\"", " -nohome %1  "},  // the quoted one wins wherever it is
        {" -nohome %1 -tail", " -nohome  "},       // else at the bare one
        {" -new", " -new "},                        // none: the whole line
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        DeleteFileA(record.c_str());
        const std::string program = "\"" + recorder + "\"";
        browser.Use((program + c.command).c_str());
        HINSTANCE process = CLumHyperLink::GotoURL(kUnhandledUrl, SW_SHOW);
        ASSERT_NE(process, nullptr);
        EXPECT_EQ(WaitForSingleObject(process, 20000), WAIT_OBJECT_0);
        CloseHandle(process);
        EXPECT_EQ(WaitForRecord(), program + c.expected + kUnhandledUrl);
    }

    // A file type without an open command: the shell's answer, nothing started.
    DeleteFileA(record.c_str());
    browser.Use(nullptr);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(CLumHyperLink::GotoURL(kUnhandledUrl, SW_SHOW)), SE_ERR_NOASSOC);
    // A browser that cannot start.
    browser.Use("\"C:\\no such folder\\browser.exe\" \"%1\"");
    EXPECT_EQ(CLumHyperLink::GotoURL(kUnhandledUrl, SW_SHOW), nullptr);
    Pump(300);
    EXPECT_EQ(GetFileAttributesA(record.c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(HyperLinkRegistry, GetRegKeyReadsTheDefaultValueOrGivesTheOpenError) {
    char value[MAX_PATH] = "unchanged";
    EXPECT_EQ(CLumHyperLink::GetRegKey(HKEY_CURRENT_USER, "Software\\Postling Tests\\No Such Key", value),
              ERROR_FILE_NOT_FOUND);
    EXPECT_STREQ(value, "unchanged");

    const char path[] = "Software\\Postling Tests\\HyperLink";
    const std::string text = Ansi(L"Значение ") + std::string(200, 'x');
    SetDefaultValue(HKEY_CURRENT_USER, path, text);
    EXPECT_EQ(CLumHyperLink::GetRegKey(HKEY_CURRENT_USER, path, value), ERROR_SUCCESS);
    EXPECT_EQ(std::string(value), text);
    // Longer than a path: read as empty, never past the buffer.
    SetDefaultValue(HKEY_CURRENT_USER, path, std::string(400, 'y'));
    EXPECT_EQ(CLumHyperLink::GetRegKey(HKEY_CURRENT_USER, path, value), ERROR_SUCCESS);
    EXPECT_STREQ(value, "");
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Postling Tests\\HyperLink");
}

}  // namespace
