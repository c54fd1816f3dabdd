// The program's sounds: the five events' settings, the melody player with
// its tone output, and the two multimedia device slots (MIDI and WAVE).
// Used on the user-interface thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "postling/shell/Mci.h"
#include "postling/sound/MelodyPlayer.h"
#include "postling/sound/SoundSetting.h"

// When a sound starts in silent mode it is cut to this many seconds.
struct SilentMode {
    bool on = false;
    int seconds = 0;  // 0: sounds play in full
};

class CSounds {
public:
    // `melodyFile`: the full path of the melody file. `tones` null: silent.
    CSounds(std::string melodyFile, std::unique_ptr<ToneOutput> tones, MciCommands& mci = SystemMci());
    ~CSounds();
    CSounds(const CSounds&) = delete;
    CSounds& operator=(const CSounds&) = delete;

    SoundSettings& Settings() { return m_settings; }
    void Load() { LoadSoundSettings(m_settings); }
    void Save() const { SaveSoundSettings(m_settings); }

    // Sounds `setting`: a melody unless one is playing, or a MIDI or WAVE
    // file on its slot (the slot's previous file closed first). `notify`
    // receives MM_MCINOTIFY. Failures make no sound and no message.
    void PlayEventSound(const CSoundSetting& setting, SilentMode silent, HWND notify);
    void PlayEvent(SoundEvent event, SilentMode silent, HWND notify);
    // Stops and closes both devices and silences the player.
    void StopAllSounds();
    // MM_MCINOTIFY: a device that played to its end is closed.
    void OnMciNotify(WPARAM code, LPARAM device);

    // The names of the melody file's melodies, in file order.
    std::vector<std::string> MelodyNames() const;
    const std::string& MelodyFile() const { return m_melodyFile; }
    bool IsMelodyPlaying() const { return m_player.IsMelodyPlaying(); }
    UINT MidiDevice() const { return m_slots[kMidiSlot]; }
    UINT WaveDevice() const { return m_slots[kWaveSlot]; }

private:
    enum { kMidiSlot = 0, kWaveSlot = 1 };

    void PlayMelody(const std::string& name, SilentMode silent);
    void PlayFile(int slot, const std::string& path, SilentMode silent, HWND notify);

    const std::string m_melodyFile;
    SoundSettings m_settings;
    std::unique_ptr<ToneOutput> m_tones;
    CMelodyPlayer m_player;
    MciCommands& m_mci;
    UINT m_slots[2] = {0, 0};
};

// "Postling.mus" beside the running program.
std::string DefaultMelodyFile();
