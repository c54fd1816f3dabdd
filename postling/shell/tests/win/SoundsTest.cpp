// The events' sounds: melodies from the melody file through a recording tone
// output, and the exact multimedia command sequences through a recording
// device seam; once more with the system's own devices under Wine.
#include <gtest/gtest.h>
#include <windows.h>
#include <mmsystem.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "postling/shell/Sounds.h"
#include "postling/shell/tests/win/SoundFakes.h"
#include "postling/shell/ToneOutputs.h"
#include "postling/sound/Melody.h"
#include "postling/sound/MelodyFile.h"
#include "postling/sound/ToneSynth.h"

namespace {

void WaitUntilIdle(CSounds& sounds) {
    for (int i = 0; i < 400 && sounds.IsMelodyPlaying(); ++i) Sleep(5);
}

CSoundSetting Setting(int kind, const std::string& name) {
    CSoundSetting setting;
    setting.m_nKind = kind;
    setting.m_strName = name;
    return setting;
}

class SoundsTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_melodies = TempPath("postling-sounds-test.mus");
        std::ofstream(m_melodies, std::ios::binary)
            << "; melodies\r\n[Fanfare]\r\nT120 O4 A4 ; first\r\n C#8\r\n[Long]\r\nA1 A1 A1 A1\r\n";
        auto tones = std::make_unique<RecordingTones>();
        m_tones = tones.get();
        m_sounds = std::make_unique<CSounds>(m_melodies, std::move(tones), m_mci);
    }
    void TearDown() override {
        m_sounds.reset();
        DeleteFileA(m_melodies.c_str());
    }

    std::string m_melodies;
    RecordingMci m_mci;
    RecordingTones* m_tones = nullptr;
    std::unique_ptr<CSounds> m_sounds;
};

}  // namespace

TEST_F(SoundsTest, MelodiesComeFromTheFileAndARunningOneIsNotCut) {
    EXPECT_EQ(m_sounds->MelodyNames(), (std::vector<std::string>{"Fanfare", "Long"}));
    m_sounds->PlayEventSound(Setting(1, "Fanfare"), {}, nullptr);
    WaitUntilIdle(*m_sounds);
    EXPECT_EQ(m_tones->Tones(), (std::vector<std::pair<unsigned, unsigned>>{{440, 500}, {277, 250}}));

    // A second melody while one plays is ignored; the stop silences it.
    m_tones->holdMs = 5000;
    m_sounds->PlayEventSound(Setting(1, "Long"), {}, nullptr);
    for (int i = 0; i < 200 && m_tones->Tones().size() < 3; ++i) Sleep(5);
    m_sounds->PlayEventSound(Setting(1, "Fanfare"), {}, nullptr);
    EXPECT_TRUE(m_sounds->IsMelodyPlaying());
    m_sounds->StopAllSounds();
    EXPECT_FALSE(m_sounds->IsMelodyPlaying());
    const auto tones = m_tones->Tones();
    ASSERT_EQ(tones.size(), 3u);
    EXPECT_EQ(tones[2], (std::pair<unsigned, unsigned>{440, 2000}));

    // No file, no section, an empty name: nothing, no error.
    m_sounds->PlayEventSound(Setting(1, "Missing"), {}, nullptr);
    m_sounds->PlayEventSound(Setting(1, ""), {}, nullptr);
    CSounds noFile(TempPath("postling-no-such.mus"), nullptr, m_mci);
    noFile.PlayEventSound(Setting(1, "Fanfare"), {}, nullptr);
    EXPECT_TRUE(noFile.MelodyNames().empty());
    EXPECT_FALSE(noFile.IsMelodyPlaying());
    EXPECT_TRUE(m_mci.Take().empty());
}

TEST_F(SoundsTest, FilesPlayOnTheirOwnDeviceSlots) {
    struct Step {
        const char* what;
        std::function<void()> act;
        std::vector<std::string> commands;
        UINT midi, wave;
    };
    CSounds& s = *m_sounds;
    const SilentMode none, cut{true, 3}, full{true, 0};
    std::vector<Step> steps = {
        {"a WAVE file", [&] { s.PlayEventSound(Setting(3, "a.wav"), none, nullptr); },
         {"open a.wav", "play 1 to 0"}, 0, 1},
        {"a MIDI file sounds with it, cut in silent mode",
         [&] { s.PlayEventSound(Setting(2, "b.mid"), cut, nullptr); },
         {"open b.mid", "ms 2", "length 2", "play 2 to 3000"}, 2, 1},
        {"a new WAVE file closes the old one first",
         [&] { s.PlayEventSound(Setting(3, "c.wav"), full, nullptr); },
         {"close-wait 1", "open c.wav", "play 3 to 0"}, 2, 3},
        {"other notifications leave the device open", [&] { s.OnMciNotify(MCI_NOTIFY_ABORTED, 3); }, {}, 2, 3},
        {"the end of a file closes its device", [&] { s.OnMciNotify(MCI_NOTIFY_SUCCESSFUL, 3); }, {"close 3"}, 2, 0},
        {"no sound", [&] { s.PlayEventSound(Setting(0, "x.wav"), none, nullptr); }, {}, 2, 0},
        {"a file that does not open leaves the slot empty",
         [&] {
             m_mci.openFails = true;
             s.PlayEventSound(Setting(2, "d.mid"), none, nullptr);
             m_mci.openFails = false;
         },
         {"close-wait 2", "open d.mid"}, 0, 0},
        {"a failed play closes the device at once",
         [&] {
             m_mci.playFails = true;
             s.PlayEventSound(Setting(3, "e.wav"), none, nullptr);
             m_mci.playFails = false;
         },
         {"open e.wav", "play 4 to 0", "close-wait 4"}, 0, 0},
        {"a file shorter than the cut plays in full",
         [&] {
             m_mci.length = 2999;
             s.PlayEventSound(Setting(3, "h.wav"), cut, nullptr);
             m_mci.length = 0;
         },
         {"open h.wav", "ms 5", "length 5", "play 5 to 0"}, 0, 5},
        {"both again", [&] {
             s.PlayEventSound(Setting(2, "f.mid"), none, nullptr);
             s.PlayEventSound(Setting(3, "g.wav"), none, nullptr);
         },
         {"open f.mid", "play 6 to 0", "close-wait 5", "open g.wav", "play 7 to 0"}, 6, 7},
        {"a stop that fails keeps the device",
         [&] {
             m_mci.stopFails = true;
             s.StopAllSounds();
             m_mci.stopFails = false;
         },
         {"stop 6", "stop 7"}, 6, 7},
        {"a close that fails keeps the device",
         [&] {
             m_mci.closeFails = true;
             s.StopAllSounds();
             m_mci.closeFails = false;
         },
         {"stop 6", "close 6", "stop 7", "close 7"}, 6, 7},
        {"stop all", [&] { s.StopAllSounds(); }, {"stop 6", "close 6", "stop 7", "close 7"}, 0, 0},
    };
    for (Step& step : steps) {
        step.act();
        EXPECT_EQ(m_mci.Take(), step.commands) << step.what;
        EXPECT_EQ(s.MidiDevice(), step.midi) << step.what;
        EXPECT_EQ(s.WaveDevice(), step.wave) << step.what;
    }
}

TEST_F(SoundsTest, EventsUseTheirSettingsAndOpenDevicesCloseAtTheEnd) {
    m_sounds->Settings()[SOUND_EVENT_ERROR] = Setting(3, "error.wav");
    m_sounds->PlayEvent(SOUND_EVENT_ERROR, {}, nullptr);
    m_sounds->PlayEvent(SOUND_EVENT_BLINK, {}, nullptr);  // no sound set
    m_sounds->PlayEvent(static_cast<SoundEvent>(7), {}, nullptr);
    EXPECT_EQ(m_mci.Take(), (std::vector<std::string>{"open error.wav", "play 1 to 0"}));
    m_sounds.reset();
    EXPECT_EQ(m_mci.Take(), (std::vector<std::string>{"stop 1", "close 1"}));
}

// The melody file the program ships beside itself: every melody is found by
// its Russian name and has notes to play.
TEST(SystemSounds, ShippedMelodiesAllPlay) {
    const std::optional<std::string> file = ReadMelodyFile(DefaultMelodyFile());
    ASSERT_TRUE(file) << DefaultMelodyFile();
    const std::vector<std::string> names = MelodyNames(*file);
    ASSERT_GE(names.size(), 5u);
    EXPECT_EQ(names[3], "\xCD\xEE\xE2\xE0\xFF \xEF\xEE\xF7\xF2\xE0");  // "Новая почта" in 1251
    for (const std::string& name : names) EXPECT_GT(ParseMelody(MelodyText(*file, name)).size(), 3u) << name;
}

// The system's own devices: under Wine without a sound device an open or a
// play fails, and the slot must then be empty; with one, the file plays and
// stops.
TEST(SystemSounds, RealDevicesLeaveNoSlotHalfFilled) {
    const std::string wave = TempPath("postling-sounds-test.wav");
    ToneSynth synth(8000);
    ASSERT_TRUE(WriteWaveFile(wave, RenderNotes({{440, 300}, {0, 0}}, 8000), 8000));
    {
        CSounds sounds(TempPath("postling-no-such.mus"), nullptr);
        sounds.PlayEventSound(Setting(3, wave), {true, 1}, nullptr);
        // With a device the file plays, shorter than the silent-mode cut.
        if (waveOutGetNumDevs() > 0) EXPECT_NE(sounds.WaveDevice(), 0u);
        sounds.PlayEventSound(Setting(2, TempPath("postling-no-such.mid")), {}, nullptr);
        EXPECT_EQ(sounds.MidiDevice(), 0u);
        sounds.StopAllSounds();
        EXPECT_EQ(sounds.WaveDevice(), 0u);
    }
    DeleteFileA(wave.c_str());
}

// The synthesised output through the wave-out device. The test runs with an
// ALSA configuration whose default device writes to the file named by
// POSTLING_AUDIO_CAPTURE, so that Wine has a device: the tone's samples reach
// it, and a stop ends a long tone early. Without a device the tone's time
// passes in silence.
TEST(SystemSounds, WaveOutTonesReachTheDeviceAndStop) {
    const char* capture = std::getenv("POSTLING_AUDIO_CAPTURE");
    auto captured = [&]() -> long long {
        if (!capture) return 0;
        std::ifstream file(capture, std::ios::binary | std::ios::ate);
        return file ? static_cast<long long>(file.tellg()) : 0;
    };
    const long long before = captured();
    WaveOutToneOutput output;
    std::atomic<bool> stop{false};
    output.Tone(440, 120, stop);
    output.MelodyEnded();  // the device drains and lets go
    if (capture && waveOutGetNumDevs() > 0) EXPECT_GT(captured(), before);

    std::thread stopper([&] {
        Sleep(100);
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    output.Tone(440, 60000, stop);
    stopper.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30));
    output.MelodyEnded();
}
