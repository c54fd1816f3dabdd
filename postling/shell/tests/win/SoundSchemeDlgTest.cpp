// The sound-scheme dialog in a real window, used as a user uses it: clicks
// on the list's rows, the radio buttons and the buttons, keys in the melody
// list, characters typed into the edits, the common file dialog answered
// from a second thread; sounds go to recorders, the stop command to a
// window of the test's own.
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
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "framework/tests/win/CodePageText.h"
#include "framework/tests/win/MessageBoxAnswerer.h"
#include "postling/model/ProgramSettings.h"
#include "postling/res/resource.h"
#include "postling/shell/SoundSchemeDlg.h"
#include "postling/shell/Sounds.h"
#include "postling/shell/tests/win/SoundFakes.h"

namespace {

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

void Pump(CDialog& dialog, DWORD milliseconds = 60) {
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

void ClickRow(HWND dialog, int row) {
    HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    RECT rect = {LVIR_BOUNDS, 0, 0, 0};
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&rect));
    const LPARAM at = MAKELPARAM(rect.left + 40, (rect.top + rect.bottom) / 2);
    PostMessageA(list, WM_MOUSEMOVE, 0, at);
    PostMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(list, WM_LBUTTONUP, 0, at);
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

std::string ComboText(HWND combo, int index) {
    char text[256] = "<none>";
    if (index >= 0) SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

std::string MelodyChoice(HWND dialog) {
    HWND combo = GetDlgItem(dialog, IDC_SOUND_MELODY_LIST);
    return ComboText(combo, static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The kinds whose own controls are enabled ("1": the melody list and its
// label, and so on); "mixed" when only some of a kind's are.
std::string EnabledKinds(HWND dialog) {
    const int controls[3][3] = {
        {IDC_SOUND_MELODY_LABEL, IDC_SOUND_MELODY_LIST, IDC_SOUND_MELODY_LIST},
        {IDC_SOUND_MIDI_LABEL, IDC_SOUND_MIDI_FILE, IDC_SOUND_MIDI_BROWSE},
        {IDC_SOUND_WAVE_LABEL, IDC_SOUND_WAVE_FILE, IDC_SOUND_WAVE_BROWSE},
    };
    std::string kinds;
    for (int k = 0; k < 3; ++k) {
        int on = 0;
        for (int id : controls[k]) on += Enabled(dialog, id);
        if (on == 3) kinds += std::to_string(k + 1);
        else if (on) return "mixed";
    }
    return kinds;
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

const char kMelodies[] = "; melodies\r\n[Fanfare]\r\nT120 O4 A4 C#8\r\n[Трель]\r\nO5 C16 D16\r\n[Long]\r\nT60 O3 E2 G2\r\n";

class SoundSchemeTest : public ::testing::Test {
protected:
    void SetUp() override {
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
        ASSERT_TRUE(dialog_->Create(CSoundSchemeDlg::IDD, nullptr));
        dialog_->ShowWindow(SW_SHOW);
        SetForegroundWindow(dialog_->m_hWnd);
        Pump(*dialog_, 100);
        dialog = dialog_->m_hWnd;
    }
    void TearDown() override {
        dialog_.reset();
        frame_.DestroyWindow();
        sounds_.reset();
        DeleteFileA(melodyFile_.c_str());
    }
    void Settle() { Pump(*dialog_); }

    std::string melodyFile_;
    RecordingMci mci_;
    RecordingTones* tones_ = nullptr;
    std::unique_ptr<CSounds> sounds_;
    ProgramSettings settings_;
    FakeFrame frame_;
    std::unique_ptr<CSoundSchemeDlg> dialog_;
    HWND dialog = nullptr;
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
    HWND list = GetDlgItem(dialog, IDC_SOUND_EVENTS);
    EXPECT_TRUE(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_FULLROWSELECT);
    const char* headings[] = {"Событие", "Звук"};
    for (int c = 0; c < 2; ++c) {
        char text[64] = "";
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(c), reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(std::string(text), Cp1251(headings[c]));
        EXPECT_EQ(column.cx, 150);
    }
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageA(list, LVM_GETIMAGELIST, LVSIL_SMALL, 0));
    EXPECT_EQ(ImageList_GetImageCount(images), 4);
    HWND melodies = GetDlgItem(dialog, IDC_SOUND_MELODY_LIST);
    ASSERT_EQ(SendMessageA(melodies, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ComboText(melodies, 0) + "," + ComboText(melodies, 1) + "," + ComboText(melodies, 2),
              Cp1251("Fanfare,Трель,Long"));  // the file's order

    const struct {
        const char* event;
        const char* sound;
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
    EXPECT_EQ(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED), 0);
    EXPECT_EQ(CheckedKind(dialog), 0);
    EXPECT_EQ(EnabledKinds(dialog), "");
    EXPECT_FALSE(Enabled(dialog, IDC_SOUND_PLAY));

    // A clicked row shows its record. The last row's melody is not in the
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
        EXPECT_EQ(CheckedKind(dialog), c.kind) << c.row;
        EXPECT_EQ(EnabledKinds(dialog), c.kind ? std::to_string(c.kind) : "") << c.row;
        EXPECT_EQ(MelodyChoice(dialog), c.melody) << c.row;
        EXPECT_EQ(Text(dialog, IDC_SOUND_MIDI_FILE), c.midi) << c.row;
        EXPECT_EQ(Text(dialog, IDC_SOUND_WAVE_FILE), c.wave) << c.row;
        EXPECT_EQ(Enabled(dialog, IDC_SOUND_PLAY), c.playable) << c.row;
        EXPECT_EQ(RowText(dialog, c.row, 1), Cp1251(c.sound)) << c.row;
        EXPECT_TRUE(Enabled(dialog, IDC_SOUND_NONE) && Enabled(dialog, IDC_SOUND_WAVE)) << c.row;
        if (c.shot) Snapshot(*dialog_, c.shot);
    }
    EXPECT_EQ(dialog_->m_records[4].m_strName, "");
}

TEST_F(SoundSchemeTest, KindsAndNamesChangeTheSelectedRowAndCancelDropsThem) {
    HWND melodies = GetDlgItem(dialog, IDC_SOUND_MELODY_LIST);
    // One action at a time on row 0, and what the row and the controls show
    // afterwards.
    const struct {
        const char* what;
        std::function<void()> act;
        int kind;
        const char* sound;
        bool playable;
    } steps[] = {
        {"WAVE", [&] { Press(dialog, IDC_SOUND_WAVE); }, 3, "", false},
        {"a typed path", [&] { TypeOver(GetDlgItem(dialog, IDC_SOUND_WAVE_FILE), "C:\\snd\\ring.wav"); }, 3,
         "C:\\snd\\ring.wav", true},
        {"the same kind keeps the name", [&] { Press(dialog, IDC_SOUND_WAVE); }, 3, "C:\\snd\\ring.wav", true},
        {"MIDI empties the name", [&] { Press(dialog, IDC_SOUND_MIDI); }, 2, "", false},
        {"PC speaker", [&] { Press(dialog, IDC_SOUND_MELODY); }, 1, "", false},
        {"the first melody by the Down key",
         [&] {
             SetFocus(melodies);
             Key(melodies, VK_DOWN);
         },
         1, "Fanfare", true},
        {"the next one", [&] { Key(melodies, VK_DOWN); }, 1, "Трель", true},
        {"no sound", [&] { Press(dialog, IDC_SOUND_NONE); }, 0, "Нет звука", false},
        {"MIDI, typed",
         [&] {
             Press(dialog, IDC_SOUND_MIDI);
             TypeOver(GetDlgItem(dialog, IDC_SOUND_MIDI_FILE), "C:\\snd\\tune.mid");
         },
         2, "C:\\snd\\tune.mid", true},
    };
    for (const auto& s : steps) {
        s.act();
        Settle();
        EXPECT_EQ(RowText(dialog, 0, 1), Cp1251(s.sound)) << s.what;
        EXPECT_EQ(RowImage(dialog, 0), s.kind) << s.what;
        EXPECT_EQ(CheckedKind(dialog), s.kind) << s.what;
        EXPECT_EQ(EnabledKinds(dialog), s.kind ? std::to_string(s.kind) : "") << s.what;
        EXPECT_EQ(Enabled(dialog, IDC_SOUND_PLAY), s.playable) << s.what;
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
    EXPECT_EQ(sounds_->Settings()[4].m_strName, "fanfare");
    EXPECT_EQ(settings_.m_dwOptions, OPT_CONFIRM_EXIT | 0x100u);
    EXPECT_EQ(settings_.m_nSilentSoundDuration, 5);
}

TEST_F(SoundSchemeTest, PlaySoundsTheSelectedRowAndStopGoesToTheFrame) {
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

    // No sound: the button is off, and a click that reaches it anyway plays nothing.
    mci_.log.clear();
    ClickRow(dialog, 0);
    Settle();
    EXPECT_FALSE(Enabled(dialog, IDC_SOUND_PLAY));
    Press(dialog, IDC_SOUND_PLAY);
    Settle();
    EXPECT_TRUE(mci_.log.empty());

    Press(dialog, IDC_SOUND_STOP);
    Settle();
    EXPECT_EQ(frame_.stops, 1);
}

TEST_F(SoundSchemeTest, OkValidatesTheDurationThenCopiesEverythingBack) {
    HWND duration = GetDlgItem(dialog, IDC_SOUND_SILENT_DURATION);
    ClickRow(dialog, 2);
    Settle();
    Press(dialog, IDC_SOUND_NONE);
    Press(dialog, IDC_SOUND_MUTE_ON_MENU);
    TypeOver(duration, "1000");
    Settle();
    {
        MessageBoxAnswerer answerer(GetCurrentThreadId(), dialog);
        Press(dialog, IDOK);
        for (int i = 0; i < 500 && !answerer.Answered(); ++i) Pump(*dialog_, 10);
        Settle();
        EXPECT_EQ(answerer.Text(), Cp1251("Введите число в диапазоне от 0 до 999."));
    }
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetFocus(), duration);
    EXPECT_EQ(settings_.m_nSilentSoundDuration, 5);

    TypeOver(duration, "30");
    Press(dialog, IDOK);
    Settle();
    EXPECT_FALSE(IsWindow(dialog));
    const SoundSettings& records = sounds_->Settings();
    EXPECT_EQ(records[2].m_nKind, 0);
    EXPECT_EQ(records[2].m_strName, "");
    EXPECT_EQ(records[3].m_strName, "C:\\wave\\b.wav");
    EXPECT_EQ(settings_.m_dwOptions, OPT_CONFIRM_EXIT | OPT_MUTE_ON_MENU | 0x100u);
    EXPECT_EQ(settings_.m_nSilentSoundDuration, 30);
}

// The common file dialog, answered from a second thread while the browse
// button's click waits for it: its filters are read, a path is typed into
// its file name box and Enter pressed.
class FileDialogAnswerer {
public:
    FileDialogAnswerer(HWND except, std::string path)
        : m_thread(GetCurrentThreadId()), m_except(except), m_path(std::move(path)), m_worker([this] { Run(); }) {}
    ~FileDialogAnswerer() { m_worker.join(); }
    bool Done() const { return m_done; }
    std::vector<std::string> Filters() const { return m_done ? m_filters : std::vector<std::string>(); }

private:
    static BOOL CALLBACK Find(HWND window, LPARAM self) {
        auto* me = reinterpret_cast<FileDialogAnswerer*>(self);
        if (window == me->m_except || !IsWindowVisible(window) || !GetDlgItem(window, cmb1)) return TRUE;
        me->m_box = window;
        return FALSE;
    }
    void Run() {
        for (int i = 0; i < 1500 && !m_box; ++i, Sleep(10))
            EnumThreadWindows(m_thread, &Find, reinterpret_cast<LPARAM>(this));
        if (!m_box) return;
        HWND types = GetDlgItem(m_box, cmb1);
        for (int i = 0; i < SendMessageA(types, CB_GETCOUNT, 0, 0); ++i) m_filters.push_back(ComboText(types, i));
        // The file name box: the edit of an extended combo box, or a plain edit.
        HWND name = GetDlgItem(m_box, edt1);
        if (HWND combo = GetDlgItem(m_box, cmb13))
            name = reinterpret_cast<HWND>(SendMessageA(combo, CBEM_GETEDITCONTROL, 0, 0));
        TypeOver(name, m_path);
        Key(name, VK_RETURN);
        for (int i = 0; i < 1000 && IsWindow(m_box); ++i) Sleep(10);
        m_done = !IsWindow(m_box);
        if (!m_done) PostMessageA(m_box, WM_COMMAND, IDCANCEL, 0);
    }

    DWORD m_thread;
    HWND m_except;
    std::string m_path;
    HWND m_box = nullptr;
    std::vector<std::string> m_filters;
    std::atomic<bool> m_done{false};
    std::thread m_worker;
};

TEST_F(SoundSchemeTest, BrowseButtonsOpenTheFileDialogAndTakeTheChosenPath) {
    const std::string midi = TempPath("postling-soundscheme-tune.mid");
    const std::string wave = TempPath("postling-soundscheme-ring.wav");
    std::ofstream(midi) << "MThd";
    std::ofstream(wave) << "RIFF";
    const struct {
        int row;
        int browse;
        int edit;
        std::string typed;
        std::string chosen;
        const char* filters;
    } cases[] = {
        // Typed without its extension: the default one is added.
        {2, IDC_SOUND_MIDI_BROWSE, IDC_SOUND_MIDI_FILE, midi.substr(0, midi.size() - 4), midi,
         "Файлы MIDI (*.mid, *.rmi),Все файлы (*.*)"},
        {3, IDC_SOUND_WAVE_BROWSE, IDC_SOUND_WAVE_FILE, wave, wave, "Файлы WAVE (*.wav),Все файлы (*.*)"},
    };
    for (const auto& c : cases) {
        ClickRow(dialog, c.row);
        Settle();
        std::vector<std::string> filters;
        {
            FileDialogAnswerer answerer(dialog, c.typed);
            Press(dialog, c.browse);
            for (int i = 0; i < 1000 && !answerer.Done(); ++i) Pump(*dialog_, 10);
            Settle();
            EXPECT_TRUE(answerer.Done()) << c.chosen;
            filters = answerer.Filters();
        }
        EXPECT_EQ(filters.size() == 2 ? filters[0] + "," + filters[1] : "", Cp1251(c.filters));
        EXPECT_EQ(Text(dialog, c.edit), c.chosen);
        EXPECT_EQ(RowText(dialog, c.row, 1), c.chosen);
        EXPECT_EQ(dialog_->m_records[static_cast<size_t>(c.row)].m_strName, c.chosen);
    }
    DeleteFileA(midi.c_str());
    DeleteFileA(wave.c_str());
}

}  // namespace
