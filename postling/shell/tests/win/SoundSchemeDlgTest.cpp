// The sound-scheme dialog in a real window, used as a user uses it: clicks
// on the list's rows, the radio buttons and the buttons, keys in the melody
// list, characters typed into the edits, the common file dialog driven from
// a second thread; the sounds go to a recording tone output and a
// recording device seam, the stop command to a window of the test's own.
// SOUNDSCHEME_SHOT_DIR (a Windows path): at the moments worth a look the
// test writes NAME.ready there and waits for NAME.done, so that a script can
// take a screenshot.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <dlgs.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/ProfileStoreBase.h"
#include "framework/WinApp.h"
#include "postling/model/ProgramSettings.h"
#include "postling/res/resource.h"
#include "postling/shell/SoundSchemeDlg.h"
#include "postling/shell/Sounds.h"

namespace {

std::string Cp1251(const char* utf8) {
    wchar_t wide[512];
    char text[512];
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, wide, 512);
    WideCharToMultiByte(1251, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

class MemoryStore : public CProfileStore {
public:
    std::map<std::string, std::string> values;  // "section\entry"
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override {
        auto it = values.find(section + "\\" + entry);
        return it == values.end() ? defaultValue : it->second;
    }
    std::int32_t GetInt(const std::string&, const std::string&, std::int32_t defaultValue) override {
        return defaultValue;
    }
    bool WriteString(const std::string& section, const std::string& entry, const std::string& value) override {
        values[section + "\\" + entry] = value;
        return true;
    }
    bool WriteInt(const std::string&, const std::string&, std::int32_t) override { return false; }
};

class RecordingMci : public MciCommands {
public:
    std::vector<std::string> log;
    UINT Open(const std::string& path) override {
        log.push_back("open " + path);
        return 1;
    }
    bool SetTimeFormatMilliseconds(UINT) override { return true; }
    DWORD Length(UINT) override { return 0; }
    bool Play(UINT device, HWND notify, DWORD toMs) override {
        log.push_back("play " + std::to_string(device) + " to " + std::to_string(toMs));
        notified = notify;
        return true;
    }
    bool Stop(UINT) override { return true; }
    bool Close(UINT, bool) override { return true; }
    HWND notified = nullptr;
};

class RecordingTones : public ToneOutput {
public:
    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>&) override {
        std::lock_guard<std::mutex> lock(m_lock);
        m_tones.emplace_back(frequency, durationMs);
    }
    void Rest(unsigned, const std::atomic<bool>&) override {}
    std::vector<std::pair<unsigned, unsigned>> Tones() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_tones;
    }

private:
    std::mutex m_lock;
    std::vector<std::pair<unsigned, unsigned>> m_tones;
};

// Stands in for the main frame: counts the stop commands it gets.
class FakeFrame : public CWnd {
public:
    int stops = 0;
    void OnStopSounds() { ++stops; }
    const MessageMap* GetMessageMap() const override { return &messageMap; }
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
};
const MessageMapEntry FakeFrame::messageEntries[] = {
    On::Command<&FakeFrame::OnStopSounds>(ID_STOP_SOUNDS),
    On::End(),
};
const MessageMap FakeFrame::messageMap = {&CWnd::messageMap, FakeFrame::messageEntries};

CSoundSetting Setting(int kind, const std::string& name) {
    CSoundSetting setting;
    setting.m_nKind = kind;
    setting.m_strName = name;
    return setting;
}

// ---- The user's actions ----

void Pump(CDialog& dialog, DWORD milliseconds = 30) {
    const DWORD end = GetTickCount() + milliseconds;
    MSG msg;
    do {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (dialog.m_hWnd && dialog.PreTranslateMessage(&msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

void Click(HWND window, int x, int y) {
    PostMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    PostMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

void ClickRow(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    Click(list, rect.left + 40, (rect.top + rect.bottom) / 2);
}

void Press(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void Key(HWND window, UINT key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
}

// Characters typed over the whole text of an edit.
void TypeOver(HWND edit, const std::string& text) {
    PostMessageA(edit, EM_SETSEL, 0, -1);
    for (unsigned char c : text) PostMessageA(edit, WM_CHAR, c, 1);
}

// ---- What the dialog shows ----

std::string RowText(HWND dialog, int row, int column) {
    char text[512] = "";
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendDlgItemMessageA(dialog, IDC_SOUND_EVENTS, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                        reinterpret_cast<LPARAM>(&item));
    return text;
}

int RowImage(HWND dialog, int row) {
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    SendDlgItemMessageA(dialog, IDC_SOUND_EVENTS, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return item.iImage;
}

int SelectedRow(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, IDC_SOUND_EVENTS, LVM_GETNEXTITEM, static_cast<WPARAM>(-1),
                                                LVNI_SELECTED));
}

std::string Text(HWND dialog, int id) {
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

// The checked kind's radio button, -1 when none is checked.
int CheckedKind(HWND dialog) {
    for (int k = 0; k < 4; ++k)
        if (IsDlgButtonChecked(dialog, IDC_SOUND_NONE + k) == BST_CHECKED) return k;
    return -1;
}

std::string MelodyChoice(HWND dialog) {
    const LRESULT index = SendDlgItemMessageA(dialog, IDC_SOUND_MELODY_LIST, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return "<none>";
    char text[256] = "";
    SendDlgItemMessageA(dialog, IDC_SOUND_MELODY_LIST, CB_GETLBTEXT, static_cast<WPARAM>(index),
                        reinterpret_cast<LPARAM>(text));
    return text;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The kind whose controls are enabled, as a string of the enabled ones'
// kinds: "" none, "1" the melody list and its label, and so on; "mixed"
// when some of a kind's controls are enabled and some not.
std::string EnabledKinds(HWND dialog) {
    const int controls[4][3] = {
        {0, 0, 0},
        {IDC_SOUND_MELODY_LABEL, IDC_SOUND_MELODY_LIST, IDC_SOUND_MELODY_LIST},
        {IDC_SOUND_MIDI_LABEL, IDC_SOUND_MIDI_FILE, IDC_SOUND_MIDI_BROWSE},
        {IDC_SOUND_WAVE_LABEL, IDC_SOUND_WAVE_FILE, IDC_SOUND_WAVE_BROWSE},
    };
    std::string kinds;
    for (int k = 1; k < 4; ++k) {
        int on = 0;
        for (int id : controls[k]) on += Enabled(dialog, id);
        if (on == 3) kinds += std::to_string(k);
        else if (on) return "mixed";
    }
    return kinds;
}

// A visible dialog-class window of this thread other than `except`.
HWND FindBox(DWORD thread, HWND except) {
    struct Search {
        HWND except;
        HWND found;
    } search = {except, nullptr};
    EnumThreadWindows(
        thread,
        [](HWND window, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char name[32] = "";
            GetClassNameA(window, name, sizeof name);
            if (window == s->except || std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Snapshot(CDialog& dialog, const char* name) {
    const char* dir = std::getenv("SOUNDSCHEME_SHOT_DIR");
    if (!dir) return;
    Pump(dialog, 300);
    const std::string base = std::string(dir) + "\\" + name;
    std::ofstream(base + ".ready") << "ready\n";
    for (int i = 0; i < 600 && GetFileAttributesA((base + ".done").c_str()) == INVALID_FILE_ATTRIBUTES; ++i)
        Pump(dialog, 50);
}

const char kMelodies[] = "; melodies\r\n[Fanfare]\r\nT120 O4 A4 C#8\r\n[Трель]\r\nO5 C16 D16 C16 D16\r\n"
                         "[Long]\r\nT60 O3 E2 G2\r\n";

class SoundSchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.SetProfileStore(&store_);
        melodyFile_ = TempPath("postling-soundscheme-test.mus");
        std::ofstream(melodyFile_, std::ios::binary) << Cp1251(kMelodies);
        auto tones = std::make_unique<RecordingTones>();
        tones_ = tones.get();
        sounds_ = std::make_unique<CSounds>(melodyFile_, std::move(tones), mci_);
        sounds_->Settings() = {Setting(0, ""), Setting(1, "Long"), Setting(2, "C:\\midi\\a.mid"),
                               Setting(3, "C:\\wave\\b.wav"), Setting(1, "fanfare")};
        settings_.m_dwOptions = OPT_CONFIRM_EXIT | 0x100;
        settings_.m_nSilentSoundDuration = 5;
        ASSERT_TRUE(frame_.CreateEx(0, AfxRegisterWndClass(0), "frame", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
        dialog_ = std::make_unique<CSoundSchemeDlg>(*sounds_, settings_, nullptr, frame_.m_hWnd);
    }
    void TearDown() override {
        dialog_.reset();
        frame_.DestroyWindow();
        sounds_.reset();
        DeleteFileA(melodyFile_.c_str());
    }

    // The modeless dialog, shown and active.
    HWND Open() {
        EXPECT_TRUE(dialog_->Create(CSoundSchemeDlg::IDD, nullptr));
        dialog_->ShowWindow(SW_SHOW);
        SetForegroundWindow(dialog_->m_hWnd);
        Pump(*dialog_, 100);
        return dialog_->m_hWnd;
    }
    void Settle() { Pump(*dialog_, 60); }

    CWinApp app_{"SoundSchemeTest"};
    MemoryStore store_;
    std::string melodyFile_;
    RecordingMci mci_;
    RecordingTones* tones_ = nullptr;
    std::unique_ptr<CSounds> sounds_;
    ProgramSettings settings_;
    FakeFrame frame_;
    std::unique_ptr<CSoundSchemeDlg> dialog_;
};

TEST(FileDialogFilterTest, BarsBecomeNulsAndTheListEndsWithTwo) {
    const struct {
        std::string text;
        std::string filter;
    } cases[] = {
        {"Text (*.txt)|*.txt|All (*.*)|*.*||", std::string("Text (*.txt)\0*.txt\0All (*.*)\0*.*\0\0", 34)},
        {"Text|*.txt", std::string("Text\0*.txt\0\0", 12)},
        {"Text|*.txt|", std::string("Text\0*.txt\0\0", 12)},
        {"", std::string("\0\0", 2)},
    };
    for (const auto& c : cases) EXPECT_EQ(FileDialogFilter(c.text), c.filter) << c.text;
}

TEST_F(SoundSchemeTest, RowsShowTheEventsSoundsAndTheSelectedRowItsKindsControls) {
    HWND dialog = Open();
    char caption[128] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    EXPECT_EQ(std::string(caption), Cp1251("Настройка звуковой схемы"));

    HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    ASSERT_EQ(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0), 2);
    const char* headings[] = {"Событие", "Звук"};
    for (int c = 0; c < 2; ++c) {
        char text[64] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&item));
        EXPECT_EQ(std::string(text), Cp1251(headings[c]));
        EXPECT_EQ(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0), 150);
    }
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    ASSERT_TRUE(images);
    EXPECT_EQ(ImageList_GetImageCount(images), 4);

    // The melody list in the file's order.
    HWND melodies = GetDlgItem(dialog, IDC_SOUND_MELODY_LIST);
    const std::vector<std::string> names = {"Fanfare", Cp1251("Трель"), "Long"};
    ASSERT_EQ(SendMessageA(melodies, CB_GETCOUNT, 0, 0), 3);
    for (int i = 0; i < 3; ++i) {
        char text[64] = "";
        SendMessageA(melodies, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(text, names[static_cast<size_t>(i)]);
    }

    const struct {
        const char* event;
        const char* sound;  // column 1 as the dialog opens
        int image;
    } rows[] = {
        {"Мигание значка", "Нет звука", 0},
        {"Всплывающее окно", "Long", 1},
        {"Окно с сообщениями", "C:\\midi\\a.mid", 2},
        {"Запуск почтовой программы", "C:\\wave\\b.wav", 3},
        {"Ошибки при проверке почты", "fanfare", 1},
    };
    ASSERT_EQ(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0), 5);
    for (int r = 0; r < 5; ++r) {
        EXPECT_EQ(RowText(dialog, r, 0), Cp1251(rows[r].event));
        EXPECT_EQ(RowText(dialog, r, 1), Cp1251(rows[r].sound));
        EXPECT_EQ(RowImage(dialog, r), rows[r].image) << r;
    }

    // The first row is selected as the dialog opens.
    EXPECT_EQ(SelectedRow(dialog), 0);
    EXPECT_EQ(CheckedKind(dialog), 0);
    EXPECT_EQ(EnabledKinds(dialog), "");
    EXPECT_FALSE(Enabled(dialog, IDC_SOUND_PLAY));

    // Clicking a row shows its record. The last row's melody is not in the
    // list (names match exactly): the name goes, nothing is chosen.
    const struct {
        int row;
        int kind;
        const char* melody;
        const char* midi;
        const char* wave;
        bool playable;
        const char* sound;  // column 1 afterwards
        const char* shot;
    } clicks[] = {
        {1, 1, "Long", "", "", true, "Long", "melody"},
        {2, 2, "<none>", "C:\\midi\\a.mid", "", true, "C:\\midi\\a.mid", nullptr},
        {3, 3, "<none>", "", "C:\\wave\\b.wav", true, "C:\\wave\\b.wav", "wave"},
        {4, 1, "<none>", "", "", false, "", nullptr},
        {0, 0, "<none>", "", "", false, "Нет звука", "none"},
    };
    for (const auto& c : clicks) {
        ClickRow(dialog, c.row);
        Settle();
        EXPECT_EQ(SelectedRow(dialog), c.row);
        EXPECT_EQ(CheckedKind(dialog), c.kind) << c.row;
        EXPECT_EQ(EnabledKinds(dialog), c.kind ? std::to_string(c.kind) : "") << c.row;
        EXPECT_EQ(MelodyChoice(dialog), c.melody) << c.row;
        EXPECT_EQ(Text(dialog, IDC_SOUND_MIDI_FILE), c.midi) << c.row;
        EXPECT_EQ(Text(dialog, IDC_SOUND_WAVE_FILE), c.wave) << c.row;
        EXPECT_EQ(Enabled(dialog, IDC_SOUND_PLAY), c.playable) << c.row;
        EXPECT_EQ(RowText(dialog, c.row, 1), Cp1251(c.sound)) << c.row;
        for (int k = 0; k < 4; ++k) EXPECT_TRUE(Enabled(dialog, IDC_SOUND_NONE + k));
        if (c.shot) Snapshot(*dialog_, c.shot);
    }
    EXPECT_EQ(dialog_->m_records[4].m_strName, "");
}

TEST_F(SoundSchemeTest, KindsAndNamesChangeTheSelectedRowAndCancelDropsThem) {
    store_.values["Settings\\Columns-1058"] = "180,120,";
    HWND dialog = Open();
    // The column widths the list kept last time.
    for (int c = 0; c < 2; ++c)
        EXPECT_EQ(SendDlgItemMessageA(dialog, IDC_SOUND_EVENTS, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(c), 0),
                  c ? 120 : 180);
    // One action at a time on row 0, and what the row and the controls show
    // afterwards.
    const struct {
        const char* what;
        std::function<void()> act;
        int kind;
        const char* sound;
        const char* enabledKinds;
        bool playable;
    } steps[] = {
        {"WAVE", [&] { Press(dialog, IDC_SOUND_WAVE); }, 3, "", "3", false},
        {"a typed path", [&] { TypeOver(GetDlgItem(dialog, IDC_SOUND_WAVE_FILE), "C:\\snd\\ring.wav"); }, 3,
         "C:\\snd\\ring.wav", "3", true},
        {"the same kind again keeps the name", [&] { Press(dialog, IDC_SOUND_WAVE); }, 3, "C:\\snd\\ring.wav",
         "3", true},
        {"MIDI empties the name", [&] { Press(dialog, IDC_SOUND_MIDI); }, 2, "", "2", false},
        {"PC speaker", [&] { Press(dialog, IDC_SOUND_MELODY); }, 1, "", "1", false},
        {"the first melody by the Down key",
         [&] {
             SetFocus(GetDlgItem(dialog, IDC_SOUND_MELODY_LIST));
             Key(GetDlgItem(dialog, IDC_SOUND_MELODY_LIST), VK_DOWN);
         },
         1, "Fanfare", "1", true},
        {"the next one", [&] { Key(GetDlgItem(dialog, IDC_SOUND_MELODY_LIST), VK_DOWN); }, 1, "Трель", "1", true},
        {"no sound", [&] { Press(dialog, IDC_SOUND_NONE); }, 0, "Нет звука", "", false},
        {"MIDI, typed", [&] {
             Press(dialog, IDC_SOUND_MIDI);
             TypeOver(GetDlgItem(dialog, IDC_SOUND_MIDI_FILE), "C:\\snd\\tune.mid");
         },
         2, "C:\\snd\\tune.mid", "2", true},
    };
    for (const auto& s : steps) {
        s.act();
        Settle();
        EXPECT_EQ(RowText(dialog, 0, 1), Cp1251(s.sound)) << s.what;
        EXPECT_EQ(RowImage(dialog, 0), s.kind) << s.what;
        EXPECT_EQ(CheckedKind(dialog), s.kind) << s.what;
        EXPECT_EQ(EnabledKinds(dialog), s.enabledKinds) << s.what;
        EXPECT_EQ(Enabled(dialog, IDC_SOUND_PLAY), s.playable) << s.what;
        EXPECT_EQ(dialog_->m_records[0].m_nKind, s.kind) << s.what;
    }
    // Another row keeps its own record; back on row 0 the edit shows its path.
    ClickRow(dialog, 3);
    Settle();
    EXPECT_EQ(Text(dialog, IDC_SOUND_WAVE_FILE), "C:\\wave\\b.wav");
    ClickRow(dialog, 0);
    Settle();
    EXPECT_EQ(Text(dialog, IDC_SOUND_MIDI_FILE), "C:\\snd\\tune.mid");

    Press(dialog, IDCANCEL);
    Settle();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(sounds_->Settings()[0].m_nKind, 0);
    EXPECT_EQ(sounds_->Settings()[0].m_strName, "");
    EXPECT_EQ(sounds_->Settings()[4].m_strName, "fanfare");
    EXPECT_EQ(settings_.m_dwOptions, OPT_CONFIRM_EXIT | 0x100u);
    EXPECT_EQ(settings_.m_nSilentSoundDuration, 5);
}

TEST_F(SoundSchemeTest, PlaySoundsTheSelectedRowAndStopGoesToTheFrame) {
    HWND dialog = Open();
    ClickRow(dialog, 3);
    Settle();
    Press(dialog, IDC_SOUND_PLAY);
    Settle();
    EXPECT_EQ(mci_.log, (std::vector<std::string>{"open C:\\wave\\b.wav", "play 1 to 0"}));
    EXPECT_EQ(mci_.notified, frame_.m_hWnd);

    ClickRow(dialog, 1);
    Settle();
    Press(dialog, IDC_SOUND_PLAY);
    for (int i = 0; i < 100 && tones_->Tones().size() < 2; ++i) Pump(*dialog_, 10);
    EXPECT_EQ(tones_->Tones(), (std::vector<std::pair<unsigned, unsigned>>{{164, 2000}, {195, 2000}}));

    // A row without a sound: the button is off, and a click that reaches
    // it anyway plays nothing.
    mci_.log.clear();
    ClickRow(dialog, 0);
    Settle();
    EXPECT_FALSE(Enabled(dialog, IDC_SOUND_PLAY));
    Press(dialog, IDC_SOUND_PLAY);
    Settle();
    EXPECT_TRUE(mci_.log.empty());

    EXPECT_EQ(frame_.stops, 0);
    Press(dialog, IDC_SOUND_STOP);
    Settle();
    EXPECT_EQ(frame_.stops, 1);
}

// Steps run one after another from a thread timer while a modal loop runs;
// a step returns true when it is done. After `limitMs` every dialog of the
// thread is cancelled.
class Script {
public:
    Script(std::vector<std::function<bool()>> steps, DWORD limitMs = 20000)
        : steps_(std::move(steps)), deadline_(GetTickCount() + limitMs) {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 40, &Tick);
    }
    ~Script() {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    bool Finished() const { return next_ == steps_.size(); }
    bool TimedOut() const { return timedOut_; }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
        Script* self = current_;
        if (!self || self->running_ || self->Finished()) return;
        if (static_cast<LONG>(GetTickCount() - self->deadline_) > 0) {
            self->timedOut_ = true;
            while (HWND box = FindBox(GetCurrentThreadId(), nullptr)) SendMessageA(box, WM_COMMAND, IDCANCEL, 0);
            return;
        }
        self->running_ = true;  // a step's own message loop must not start the next one
        if (self->steps_[self->next_]()) ++self->next_;
        self->running_ = false;
    }

    static Script* current_;
    std::vector<std::function<bool()>> steps_;
    size_t next_ = 0;
    DWORD deadline_;
    UINT_PTR timer_ = 0;
    bool running_ = false;
    bool timedOut_ = false;
};
Script* Script::current_ = nullptr;

TEST_F(SoundSchemeTest, OkValidatesTheDurationThenCopiesEverythingBack) {
    CSoundSchemeDlg& dlg = *dialog_;
    std::string boxText;
    bool openAfterBox = false;
    int focusAfterBox = 0;
    Script script({
        [&] {
            if (!dlg.m_hWnd || !IsWindowVisible(dlg.m_hWnd)) return false;
            ClickRow(dlg.m_hWnd, 2);
            return true;
        },
        [&] {
            Press(dlg.m_hWnd, IDC_SOUND_NONE);
            Press(dlg.m_hWnd, IDC_SOUND_MUTE_ON_MENU);
            TypeOver(GetDlgItem(dlg.m_hWnd, IDC_SOUND_SILENT_DURATION), "1000");
            return true;
        },
        [&] {
            Press(dlg.m_hWnd, IDOK);
            return true;
        },
        [&] {
            HWND box = FindBox(GetCurrentThreadId(), dlg.m_hWnd);
            if (!box) return false;
            char text[256] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            boxText = text;
            PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
            return true;
        },
        [&] {
            if (FindBox(GetCurrentThreadId(), dlg.m_hWnd)) return false;
            openAfterBox = IsWindow(dlg.m_hWnd) && IsWindowVisible(dlg.m_hWnd);
            focusAfterBox = GetDlgCtrlID(GetFocus());
            TypeOver(GetDlgItem(dlg.m_hWnd, IDC_SOUND_SILENT_DURATION), "30");
            return true;
        },
        [&] {
            Press(dlg.m_hWnd, IDOK);
            return true;
        },
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_FALSE(script.TimedOut());
    EXPECT_EQ(boxText, Cp1251("Введите число в диапазоне от 0 до 999."));
    EXPECT_TRUE(openAfterBox);
    EXPECT_EQ(focusAfterBox, IDC_SOUND_SILENT_DURATION);

    const SoundSettings& records = sounds_->Settings();
    EXPECT_EQ(records[2].m_nKind, 0);
    EXPECT_EQ(records[2].m_strName, "");
    EXPECT_EQ(records[3].m_strName, "C:\\wave\\b.wav");
    EXPECT_EQ(settings_.m_dwOptions, OPT_CONFIRM_EXIT | OPT_MUTE_ON_MENU | 0x100u);
    EXPECT_EQ(settings_.m_nSilentSoundDuration, 30);
}

// The common file dialog, answered from a second thread while the browse
// button's click waits for it: its filter list is read, a path is typed
// into its file name box and Enter pressed.
class FileDialogAnswerer {
public:
    FileDialogAnswerer(HWND except, std::string path)
        : m_thread(GetCurrentThreadId()), m_except(except), m_path(std::move(path)), m_worker([this] { Run(); }) {}
    ~FileDialogAnswerer() {
        m_stop = true;
        m_worker.join();
    }
    bool Done() const { return m_done; }
    std::vector<std::string> Filters() const { return m_done ? m_filters : std::vector<std::string>(); }

private:
    void Run() {
        HWND box = nullptr;
        for (int i = 0; i < 1500 && !m_stop && !box; ++i) {
            box = FindBox(m_thread, m_except);
            if (!box || !GetDlgItem(box, cmb1)) {
                box = nullptr;
                Sleep(10);
            }
        }
        if (!box) return;
        HWND types = GetDlgItem(box, cmb1);
        const int count = static_cast<int>(SendMessageA(types, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            char text[256] = "";
            SendMessageA(types, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
            m_filters.push_back(text);
        }
        // The file name box: the edit of an extended combo box, or a plain edit.
        HWND name = GetDlgItem(box, edt1);
        if (HWND combo = GetDlgItem(box, cmb13))
            name = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
        SendMessageA(name, WM_SETFOCUS, 0, 0);
        PostMessageA(name, EM_SETSEL, 0, -1);
        for (unsigned char c : m_path) PostMessageA(name, WM_CHAR, c, 1);
        PostMessageA(name, WM_KEYDOWN, VK_RETURN, 1);
        PostMessageA(name, WM_KEYUP, VK_RETURN, 0xC0000001);
        for (int i = 0; i < 1000 && !m_stop && IsWindow(box); ++i) Sleep(10);
        m_done = !IsWindow(box);
        if (!m_done) PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }

    DWORD m_thread;
    HWND m_except;
    std::string m_path;
    std::vector<std::string> m_filters;
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

TEST_F(SoundSchemeTest, BrowseButtonsOpenTheFileDialogAndTakeTheChosenPath) {
    const std::string midi = TempPath("postling-soundscheme-tune.mid");
    const std::string wave = TempPath("postling-soundscheme-ring.wav");
    std::ofstream(midi) << "MThd";
    std::ofstream(wave) << "RIFF";
    HWND dialog = Open();
    const struct {
        int row;
        int browse;
        int edit;
        std::string typed;
        std::string chosen;
        std::vector<std::string> filters;
    } cases[] = {
        // Typed without its extension: the default one is added.
        {2, IDC_SOUND_MIDI_BROWSE, IDC_SOUND_MIDI_FILE, midi.substr(0, midi.size() - 4), midi,
         {Cp1251("Файлы MIDI (*.mid, *.rmi)"), Cp1251("Все файлы (*.*)")}},
        {3, IDC_SOUND_WAVE_BROWSE, IDC_SOUND_WAVE_FILE, wave, wave,
         {Cp1251("Файлы WAVE (*.wav)"), Cp1251("Все файлы (*.*)")}},
    };
    for (const auto& c : cases) {
        ClickRow(dialog, c.row);
        Settle();
        {
            FileDialogAnswerer answerer(dialog, c.typed);
            Press(dialog, c.browse);
            for (int i = 0; i < 1000 && !answerer.Done(); ++i) Pump(*dialog_, 10);
            Settle();
            EXPECT_TRUE(answerer.Done()) << c.chosen;
            EXPECT_EQ(answerer.Filters(), c.filters);
        }
        EXPECT_EQ(Text(dialog, c.edit), c.chosen);
        EXPECT_EQ(RowText(dialog, c.row, 1), c.chosen);
        EXPECT_EQ(dialog_->m_records[static_cast<size_t>(c.row)].m_strName, c.chosen);
    }
    dialog_->DestroyWindow();
    DeleteFileA(midi.c_str());
    DeleteFileA(wave.c_str());
}

}  // namespace
