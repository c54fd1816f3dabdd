// The five event sounds in the profile: stored values, junk included, and
// writing them back.
#include <gtest/gtest.h>

#include "postling/model/MemoryProfileStore.h"
#include "postling/sound/SoundSetting.h"

namespace {

TEST(SoundSetting, StoredValues) {
    const struct {
        const char* value;
        std::int32_t kind;
        const char* name;
    } cases[] = {
        {"1,Fanfare", 1, "Fanfare"}, {"3,C:\\Media\\ding.wav", 3, "C:\\Media\\ding.wav"},
        {"2,C:\\a,b.mid", 2, "C:\\a,b.mid"}, {"1,", 1, ""}, {",x", 0, "x"},
        {" 2x,y", 2, "y"}, {"+3,y", 3, "y"},          // atoi: blanks, sign, digits, the rest ignored
        {"Fanfare", 0, "Fanfare"},                     // no comma: all of it is the name
        {"4,high", 0, "high"}, {"-1,low", 0, "low"},   // out of range: no sound, name kept
        {"abc,junk", 0, "junk"}, {"4294967297,wraps to 1", 0, "wraps to 1"},
        {"-4294967295,wraps to 1", 0, "wraps to 1"}, {"99999999999999999999999,huge", 0, "huge"},
    };
    for (const auto& c : cases) {
        CSoundSetting setting{2, "before"};
        setting.Parse(c.value);
        EXPECT_EQ(setting.m_nKind, c.kind) << c.value;
        EXPECT_EQ(setting.m_strName, c.name) << c.value;
    }
}

TEST(SoundSetting, LoadLeavesMissingAndEmptyEntriesSaveWritesAllFive) {
    MemoryProfileStore store;
    SetProfileStore(&store);
    store.WriteString("Sounds", "Sound 0", "1,Fanfare");
    store.WriteString("Sounds", "Sound 1", "");
    store.WriteInt("Sounds", "Sound 2", 3);  // not text: as if missing
    store.WriteString("Sounds", "Sound 3", "7,\xCC\xE5\xEB\xEE\xE4\xE8\xFF");
    SoundSettings settings;
    settings[1] = {CSoundSetting::KIND_WAVE, "C:\\ding.wav"};
    settings[2] = {CSoundSetting::KIND_MIDI, "C:\\keep.mid"};
    LoadSoundSettings(settings);
    settings[4].m_strName = "C:\\x,y.mid";
    SaveSoundSettings(settings);
    const char* stored[] = {"1,Fanfare", "3,C:\\ding.wav", "2,C:\\keep.mid",
                            "0,\xCC\xE5\xEB\xEE\xE4\xE8\xFF", "0,C:\\x,y.mid"};
    SoundSettings loaded;
    LoadSoundSettings(loaded);
    for (int i = 0; i < SOUND_EVENT_COUNT; ++i) {
        EXPECT_EQ(store.GetString("Sounds", "Sound " + std::to_string(i), "missing"), stored[i]) << i;
        EXPECT_EQ(loaded[i].Format(), stored[i]) << i;
    }
    SetProfileStore(nullptr);
}

}  // namespace
