// The program over a registry layout full of junk: wrong value types, empty,
// huge and unterminated data, absurd numbers, keys where values belong. It
// must start into the tray, open its message list and settings sheet, end
// with exit code 0, and leave a layout of proper types and ranges behind,
// the valid values among the junk kept.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "postling/app/tests/win/ProgramRunner.h"
#include "postling/shell/tests/win/TrayIconKeeper.h"

using namespace program_runner;

namespace {

const std::string kProgramKey = "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry";
constexpr WPARAM kSettingsCommand = 32771;
constexpr WPARAM kMailListCommand = 32773;
constexpr WPARAM kExitCommand = 0xE141;
constexpr int kColumns = 6;  // the message list's columns
constexpr DWORD kSubkey = 0xFFFF;  // not a value type: a key in the value's place

const char kAccount[] = "Accounts\\Account 000";
const std::string kValidName = "\xCF\xEE\xF7\xF2\xE0";  // "Почта" in 1251
const std::string kValidServer = "pop.example.ru";

enum Kind { Text, Number };

struct Entry {
    const char* key;
    const char* name;
    Kind kind;
};

// Every value of the layout the program reads, as the program writes it.
const Entry kLayout[] = {
    {kAccount, "Name", Text},
    {kAccount, "Options", Number},
    {kAccount, "Server", Text},
    {kAccount, "User", Text},
    {kAccount, "Password", Text},
    {kAccount, "Protocol", Number},
    {kAccount, "Port", Number},
    {kAccount, "Time Out", Number},
    {kAccount, "Interval", Number},
    {kAccount, "Security", Number},
    {kAccount, "Certificate", Text},
    {kAccount, "Message ID 0", Text},
    {kAccount, "Message ID 1", Text},
    {"Accounts\\Account 000\\Check periods", "Period 0", Text},
    {"Accounts\\Account 000\\Uncheck periods", "Period 0", Text},
    {"Accounts\\Account 001", "Name", Text},
    {"Accounts\\Account 001", "Port", Number},
    {"Rules\\Rule 000", "Field", Number},
    {"Rules\\Rule 000", "Text", Text},
    {"Rules\\Rule 000", "Action", Number},
    {"Rules", "Default Rule", Number},
    {"Settings", "Mailer", Text},
    {"Settings", "Options", Number},
    {"Settings", "Error Save Time", Number},
    {"Settings", "Silent Sound Duration", Number},
    {"Settings", "Language", Number},
    {"Settings", "Mail List Sort Order", Text},
    {"Settings", "Columns-59648", Text},
    {"Settings", "Order-59648", Text},
    {"Settings-Summary", "Bars", Number},
    {"Settings-Bar0", "BarID", Number},
    {"Settings-Bar0", "Visible", Number},
    {"Settings-Bar0", "Side", Text},
    {"Mail window", "Left", Number},
    {"Mail window", "Righr", Number},
    {"Mail window", "Top", Number},
    {"Mail window", "Bottom", Number},
    {"Mail window", "Zoomed", Number},
    {"Sounds", "Sound 0", Text},
    {"Sounds", "Sound 1", Text},
    {"Sounds", "Sound 2", Text},
    {"Sounds", "Sound 3", Text},
    {"Sounds", "Sound 4", Text},
};

struct Value {
    DWORD type;
    std::string data;  // the bytes as stored
};

Value Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
Value Dword(std::int64_t number) {
    const auto n = static_cast<std::uint32_t>(number);
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&n), sizeof n)};
}

bool IsValid(const Entry& e) {
    return e.key == std::string(kAccount) &&
           (e.name == std::string("Name") || e.name == std::string("Server"));
}

struct Variant {
    const char* name;
    // The junk for the i-th entry of the layout.
    std::function<Value(const Entry&, int)> junk;
    bool accountSurvives;  // the account's name and server are valid
};

Value WrongType(const Entry& e, int i) {
    if (e.kind == Number) {
        const DWORD types[] = {REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ, REG_QWORD};
        const DWORD type = types[i % 4];
        if (type == REG_QWORD) return {type, std::string("\x05\0\0\0\0\0\0\0", 8)};
        return {type, std::string("5\0\0", type == REG_MULTI_SZ ? 3 : 2)};
    }
    const DWORD types[] = {REG_DWORD, REG_MULTI_SZ, REG_DWORD_BIG_ENDIAN, REG_NONE};
    const DWORD type = types[i % 4];
    if (type == REG_MULTI_SZ) return {type, std::string("1,a\0two\0\0", 9)};
    return {type, std::string("\x01\x02\x03\x04", 4)};
}

const Variant kVariants[] = {
    {"WrongTypes", WrongType, true},
    // The only account has no name it could go by: a first start.
    {"FirstStartJunkAccount", WrongType, false},
    {"Empty", [](const Entry& e, int) -> Value { return {static_cast<DWORD>(e.kind == Number ? REG_DWORD : REG_SZ), ""}; },
     true},
    {"Huge",
     [](const Entry& e, int i) -> Value {
         if (e.kind == Number) return {REG_BINARY, std::string(100000, static_cast<char>(0xFF))};
         // Digits, commas and letters: each reader's parser gets the whole length.
         std::string text;
         while (text.size() < 100000) text += i % 2 ? "99999999999999999999," : "\xC6\xF3\xED\xEA,";
         return Sz(text.substr(0, 100000));
     },
     true},
    {"AbsurdNumbers",
     [](const Entry& e, int i) -> Value {
         const std::int64_t numbers[] = {-1, INT32_MIN, INT32_MAX, 0x80000001, -30000, 1000000000};
         // Not the option that ends the program at a check without dial-up.
         if (e.name == std::string("Options") && e.key == std::string("Settings"))
             return Dword(numbers[i % 6] & ~0x2);
         if (e.kind == Number) return Dword(numbers[i % 6]);
         const char* texts[] = {"-2147483649,99999999999,-1,-1,-1,-1,-1",
                                "-5,-5,-5,-5,-5,-5,-5",
                                "2147483647,2147483647,2147483647,2147483647,2147483647,2147483647",
                                "9,9,9,9,9,9,9,9,9",
                                "-1",
                                ",,,,,,"};
         return Sz(texts[i % 6]);
     },
     true},
    {"BinaryUnterminated",
     [](const Entry& e, int i) -> Value {
         if (e.kind == Number) return {REG_BINARY, std::string("\x01\x02\x03", 3)};
         // Text without its terminating NUL, or raw bytes.
         if (i % 2) return {REG_SZ, std::string("3,\xFF\x80\x01text", 9)};
         return {REG_BINARY, std::string("\0\xFF\x00\x7F", 4)};
     },
     true},
    {"KeysForValues", [](const Entry&, int) -> Value { return {kSubkey, ""}; }, true},
    {"Mix",
     [](const Entry& e, int i) -> Value {
         switch (i % 5) {
         case 0: return {REG_SZ, "abc"};  // unterminated
         case 1: return e.kind == Number ? Dword(-1) : Sz("-1,-1,-1");
         case 2: return {REG_EXPAND_SZ, std::string("%TEMP%\0", 7)};
         case 3: return {kSubkey, ""};
         default: return {REG_BINARY, ""};
         }
     },
     true},
    {"OffScreenWindow",
     [](const Entry& e, int) -> Value {
         const std::string name = e.name;
         if (name == "Left") return Dword(-32000);
         if (name == "Righr") return Dword(-31000);
         if (name == "Top") return Dword(-32000);
         if (name == "Bottom") return Dword(-31500);
         if (name == "Zoomed") return Dword(7);
         if (name == "Columns-59648") return Sz("100000000,-7,0,2147483647,5,5,5,5");
         if (name == "Order-59648") return Sz("5,5,5,-3,100,0");
         if (name == "Mail List Sort Order") return Sz("42,-9");
         if (name == "Bars") return Dword(1);
         if (name == "BarID") return Dword(0xE800);  // the toolbar
         if (name == "Visible") return Dword(0x7FFFFFFF);
         if (name == "Side") return Sz("nowhere");
         return e.kind == Number ? Dword(0) : Sz("");
     },
     true},
};

// ----- the registry -----

void DeleteLayout() { RegDeleteTreeA(HKEY_CURRENT_USER, kProgramKey.c_str()); }

HKEY CreateKey(const std::string& path) {
    HKEY key = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, (kProgramKey + "\\" + path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                    nullptr, &key, nullptr);
    return key;
}

void WriteLayout(const Variant& variant, bool keepValid) {
    DeleteLayout();
    int index = 0;
    for (const Entry& e : kLayout) {
        Value value = keepValid && IsValid(e) ? Sz(e.name == std::string("Name") ? kValidName : kValidServer)
                                              : variant.junk(e, index++);
        HKEY key = CreateKey(e.key);
        ASSERT_NE(key, nullptr) << e.key;
        if (value.type == kSubkey) {
            HKEY sub = nullptr;
            RegCreateKeyExA(key, e.name, 0, nullptr, 0, KEY_WRITE, nullptr, &sub, nullptr);
            if (sub) RegCloseKey(sub);
        } else {
            ASSERT_EQ(RegSetValueExA(key, e.name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                                     static_cast<DWORD>(value.data.size())),
                      ERROR_SUCCESS)
                << e.key << "\\" << e.name;
        }
        RegCloseKey(key);
    }
}

struct Stored {
    bool present = false;
    DWORD type = REG_NONE;
    std::string data;
    std::int32_t Number() const {
        std::int32_t n = 0;
        if (data.size() == sizeof n) memcpy(&n, data.data(), sizeof n);
        return n;
    }
    std::string TextValue() const { return std::string(data.c_str()); }
};

Stored Read(const std::string& path, const char* name) {
    Stored stored;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, (kProgramKey + "\\" + path).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return stored;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &stored.type, nullptr, &size) == ERROR_SUCCESS) {
        stored.present = true;
        stored.data.resize(size);
        RegQueryValueExA(key, name, nullptr, &stored.type, reinterpret_cast<BYTE*>(&stored.data[0]), &size);
        stored.data.resize(size);
    }
    RegCloseKey(key);
    return stored;
}

std::vector<long long> Numbers(const std::string& text) {
    std::vector<long long> numbers;
    std::stringstream stream(text);
    std::string field;
    while (std::getline(stream, field, ',')) numbers.push_back(std::atoll(field.c_str()));
    return numbers;
}

// ----- the program's windows -----

std::string ClassOf(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// A window of Wine's debugger: its crash dialog, shown when a program faults.
bool CrashWindowShown() {
    bool found = false;
    EnumWindows(
        [](HWND window, LPARAM lParam) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner);
            if (!process) return TRUE;
            char path[MAX_PATH] = {};
            DWORD size = MAX_PATH;
            QueryFullProcessImageNameA(process, 0, path, &size);
            CloseHandle(process);
            std::string image = path;
            for (char& c : image) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
            if (image.find("winedbg") == std::string::npos) return TRUE;
            *reinterpret_cast<bool*>(lParam) = true;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND WaitForWindow(DWORD processId, const std::function<bool(HWND)>& match, DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (HWND window = FindWindowOf(processId, match)) return window;
        SleepPumping(100);
    }
    return FindWindowOf(processId, match);
}

// The process's top-level windows, for a failure's message.
std::string DescribeWindows(DWORD processId) {
    std::string text;
    FindWindowOf(processId, [&text](HWND w) {
        char title[256] = {};
        GetWindowTextA(w, title, sizeof title);
        text += "\n  " + ClassOf(w) + " \"" + title + "\"" + (IsWindowVisible(w) ? " visible" : "");
        if (HWND message = GetDlgItem(w, 0xFFFF)) {
            GetWindowTextA(message, title, sizeof title);
            text += std::string(": ") + title;
        }
        return false;
    });
    return text;
}

bool IsSettingsSheet(HWND w) {
    return IsWindowVisible(w) && ClassOf(w) == "#32770" && GetDlgItem(w, 0x3020) != nullptr;  // tab control
}

bool IsMailList(HWND w) {
    return ClassOf(w) != "#32770" && FindWindowExA(w, nullptr, "SysListView32", nullptr) != nullptr;
}

// Message boxes the program shows meanwhile: their texts, dismissed.
std::vector<std::string> DismissMessageBoxes(DWORD processId) {
    std::vector<std::string> texts;
    while (HWND box = FindWindowOf(processId, [](HWND w) {
               return IsWindowVisible(w) && ClassOf(w) == "#32770" && GetDlgItem(w, 0xFFFF) != nullptr;
           })) {
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        texts.push_back(text);
        PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        SleepPumping(300);
        if (texts.size() > 10) break;
    }
    return texts;
}

class JunkRegistry : public ::testing::TestWithParam<Variant> {
protected:
    void SetUp() override { ASSERT_TRUE(WaitUntilNoOtherCopy(120000)) << "another copy keeps running"; }
    void TearDown() override { DeleteLayout(); }

    // Starts the program over the layout, opens and closes the list and the
    // sheet, ends it; the layout it leaves is then read back.
    void RunProgram(bool sheetOpensItself) {
        ChildProcess child;
        ASSERT_TRUE(child.Start()) << GetLastError();
        const DWORD pid = child.pi.dwProcessId;
        HWND frame = WaitForMainWindow(pid, 30000);
        ASSERT_NE(frame, nullptr) << "no main window";
        SleepPumping(2000);
        ASSERT_TRUE(child.IsRunning());
        EXPECT_FALSE(CrashWindowShown());

        HWND sheet = WaitForWindow(pid, IsSettingsSheet, sheetOpensItself ? 15000 : 0);
        EXPECT_EQ(sheet != nullptr, sheetOpensItself) << "the settings sheet at start";
        if (!sheet) {
            PostMessageA(frame, WM_COMMAND, kSettingsCommand, 0);
            sheet = WaitForWindow(pid, IsSettingsSheet, 15000);
        }
        EXPECT_NE(sheet, nullptr) << "settings sheet; windows:" << DescribeWindows(pid);

        PostMessageA(frame, WM_COMMAND, kMailListCommand, 0);
        HWND list = WaitForWindow(pid, [](HWND w) { return IsWindowVisible(w) && IsMailList(w); }, 15000);
        ASSERT_NE(list, nullptr) << "message list; windows:" << DescribeWindows(pid)
                               << "\nrunning " << child.IsRunning() << ", exit code " << std::hex
                               << child.ExitCode();
        SleepPumping(1000);
        // The list comes up on a monitor, with an area.
        RECT rect = {};
        GetWindowRect(list, &rect);
        EXPECT_NE(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL), nullptr)
            << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
        EXPECT_GT(rect.right - rect.left, 0);
        EXPECT_GT(rect.bottom - rect.top, 0);

        for (const std::string& text : DismissMessageBoxes(pid)) ADD_FAILURE() << "message box: " << text;
        ASSERT_TRUE(child.IsRunning());
        EXPECT_FALSE(CrashWindowShown());

        PostMessageA(list, WM_CLOSE, 0, 0);
        if (sheet) PostMessageA(sheet, WM_COMMAND, IDCANCEL, 0);
        SleepPumping(1000);
        for (const std::string& text : DismissMessageBoxes(pid)) ADD_FAILURE() << "message box: " << text;

        PostMessageA(frame, WM_COMMAND, kExitCommand, 0);
        ASSERT_TRUE(WaitPumping(child.pi.hProcess, 30000)) << "the program did not end";
        EXPECT_EQ(child.ExitCode(), 0u);
        EXPECT_FALSE(CrashWindowShown());
    }
};

// Every value there is has the type the program writes, and the numbers
// the program keeps in range are in range.
void ExpectSoundLayout(bool accountSurvives) {
    for (const Entry& e : kLayout) {
        const Stored stored = Read(e.key, e.name);
        if (!stored.present) continue;
        EXPECT_EQ(stored.type, e.kind == Number ? static_cast<DWORD>(REG_DWORD) : static_cast<DWORD>(REG_SZ))
            << e.key << "\\" << e.name;
        if (e.kind == Number) {
            EXPECT_EQ(stored.data.size(), 4u) << e.key << "\\" << e.name;
        } else if (stored.type == REG_SZ) {
            EXPECT_EQ(stored.data.find('\0'), stored.data.size() - 1) << e.key << "\\" << e.name;
        }
    }

    if (accountSurvives) {
        EXPECT_EQ(Read(kAccount, "Name").TextValue(), kValidName);
        EXPECT_EQ(Read(kAccount, "Server").TextValue(), kValidServer);
        const std::int32_t port = Read(kAccount, "Port").Number();
        EXPECT_TRUE(port >= 1 && port <= 65535) << port;
        const std::int32_t security = Read(kAccount, "Security").Number();
        EXPECT_TRUE(security >= 0 && security <= 2) << security;
    } else {
        EXPECT_FALSE(Read(kAccount, "Name").present) << "junk account written back";
    }

    // The message list's placement: on a monitor, with an area.
    RECT rect = {Read("Mail window", "Left").Number(), Read("Mail window", "Top").Number(),
                 Read("Mail window", "Righr").Number(), Read("Mail window", "Bottom").Number()};
    EXPECT_LT(rect.left, rect.right);
    EXPECT_LT(rect.top, rect.bottom);
    EXPECT_NE(MonitorFromRect(&rect, MONITOR_DEFAULTTONULL), nullptr)
        << rect.left << "," << rect.top << "," << rect.right << "," << rect.bottom;
    const std::int32_t zoomed = Read("Mail window", "Zoomed").Number();
    EXPECT_TRUE(zoomed == 0 || zoomed == 1) << zoomed;

    const std::vector<long long> sort = Numbers(Read("Settings", "Mail List Sort Order").TextValue());
    ASSERT_EQ(sort.size(), 2u);
    EXPECT_TRUE(sort[0] >= 0 && sort[0] < kColumns) << sort[0];
    EXPECT_TRUE(sort[1] == 0 || sort[1] == 1) << sort[1];

    // Widths not negative nor absurd; the order a permutation of the columns.
    const std::vector<long long> widths = Numbers(Read("Settings", "Columns-59648").TextValue());
    ASSERT_EQ(widths.size(), static_cast<size_t>(kColumns));
    for (long long width : widths) EXPECT_TRUE(width >= 0 && width <= 10000) << width;
    std::vector<long long> order = Numbers(Read("Settings", "Order-59648").TextValue());
    ASSERT_EQ(order.size(), static_cast<size_t>(kColumns));
    std::vector<bool> seen(kColumns, false);
    for (long long position : order) {
        ASSERT_TRUE(position >= 0 && position < kColumns) << position;
        EXPECT_FALSE(seen[position]) << "position " << position << " twice";
        seen[position] = true;
    }

    const std::int32_t bars = Read("Settings-Summary", "Bars").Number();
    EXPECT_TRUE(bars >= 0 && bars <= 4) << bars;
    for (int i = 0; i < bars; ++i) {
        const std::string section = "Settings-Bar" + std::to_string(i);
        const std::int32_t visible = Read(section, "Visible").Number();
        EXPECT_TRUE(visible == 0 || visible == 1) << visible;
    }
}

TEST_P(JunkRegistry, StartsUsesAndSavesASoundLayout) {
    const Variant& variant = GetParam();
    WriteLayout(variant, variant.accountSurvives);
    RunProgram(!variant.accountSurvives);
    ExpectSoundLayout(variant.accountSurvives);
}

INSTANTIATE_TEST_SUITE_P(Variants, JunkRegistry, ::testing::ValuesIn(kVariants),
                         [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });

}  // namespace
