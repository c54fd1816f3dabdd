// The program-wide settings, kept in the profile section "Settings". The
// application object owns one; the registry is read at start-up and written
// at exit only.
#pragma once

#include <cstdint>
#include <string>

// Bits of ProgramSettings::m_dwOptions; the other bits are kept as they are.
constexpr std::uint32_t OPT_DIALUP_ONLY = 0x01;            // check only while dial-up is connected
constexpr std::uint32_t OPT_EXIT_WITHOUT_DIALUP = 0x02;    // no dial-up at a due check: end the program
constexpr std::uint32_t OPT_SKIP_WHEN_MAILER_RUNS = 0x04;  // no checks while the mail program runs
constexpr std::uint32_t OPT_CONFIRM_EXIT = 0x08;           // ask before ending
constexpr std::uint32_t OPT_MUTE_ON_MENU = 0x10;           // the tray menu stops all sounds

class ProgramSettings {
public:
    static const char kSection[];  // "Settings"
    static constexpr std::int32_t kMaxErrorSaveTime = 99;         // hours
    static constexpr std::int32_t kMaxSilentSoundDuration = 999;  // seconds

    // Until loading: no mail program, no option bits, zero for both numbers,
    // and the system's language.
    ProgramSettings();

    // "Language", read early in start-up; a value that is no 16-bit language
    // id gives the system's language.
    void LoadLanguage();
    // "Mailer", "Options", "Error Save Time" and "Silent Sound Duration",
    // read late in start-up; missing values take their defaults, numbers
    // outside 0..their maximum the nearest end.
    void Load();
    // All five values, in the order "Mailer", "Options", "Error Save Time",
    // "Silent Sound Duration", "Language".
    void Save() const;

    std::string m_strMailer;              // full path of the mail program
    std::uint32_t m_dwOptions;            // OPT_* bits
    std::int32_t m_nErrorSaveTime;        // hours that error records are kept
    std::int32_t m_nSilentSoundDuration;  // seconds a sound plays in silent mode; 0 = no limit
    std::uint16_t m_wLanguage;            // interface and help language
};
