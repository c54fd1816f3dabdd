// The sounds of the five notification events, kept in the profile section
// "Sounds" as entries "Sound 0".."Sound 4" holding "<kind>,<name>".
#pragma once

#include <array>
#include <cstdint>
#include <string>

// The events, in the order of the sound-scheme dialog's list.
enum SoundEvent : int {
    SOUND_EVENT_BLINK = 0,     // new mail blinks the tray icon
    SOUND_EVENT_POPUP = 1,     // the popup window
    SOUND_EVENT_MESSAGES = 2,  // the message list window
    SOUND_EVENT_MAILER = 3,    // the mail program is started
    SOUND_EVENT_ERROR = 4,     // a checking error of an account that reports errors
    SOUND_EVENT_COUNT = 5
};

struct CSoundSetting {
    enum Kind : std::int32_t {
        KIND_NONE = 0,
        KIND_MELODY = 1,  // m_strName: a section of the melody file
        KIND_MIDI = 2,    // m_strName: the full path of the file
        KIND_WAVE = 3,
    };

    std::int32_t m_nKind = KIND_NONE;
    std::string m_strName;

    // A stored value "<kind>,<name>". The kind is read like atoi from the
    // text before the first comma, the name is all after it; text without a
    // comma is kind 0 with the whole text as name. A kind outside 0..3
    // (junk, a huge or negative number) becomes 0, no sound; the name is kept.
    void Parse(const std::string& value);
    std::string Format() const;
};

using SoundSettings = std::array<CSoundSetting, SOUND_EVENT_COUNT>;

// A missing or empty entry leaves its record as it is.
void LoadSoundSettings(SoundSettings& settings);
// Writes all five entries.
void SaveSoundSettings(const SoundSettings& settings);
