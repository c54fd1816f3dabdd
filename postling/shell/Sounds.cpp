#include "postling/shell/Sounds.h"

#include <mmsystem.h>

#include "postling/sound/MelodyFile.h"

CSounds::CSounds(std::string melodyFile, std::unique_ptr<ToneOutput> tones, MciCommands& mci)
    : m_melodyFile(std::move(melodyFile)), m_tones(std::move(tones)), m_player(m_tones.get()), m_mci(mci) {}

CSounds::~CSounds() {
    StopAllSounds();
    // Devices whose stop failed are closed for good at exit.
    for (UINT& device : m_slots)
        if (device) {
            m_mci.Close(device, true);
            device = 0;
        }
}

void CSounds::PlayEvent(SoundEvent event, SilentMode silent, HWND notify) {
    if (event < 0 || event >= SOUND_EVENT_COUNT) return;
    PlayEventSound(m_settings[static_cast<std::size_t>(event)], silent, notify);
}

void CSounds::PlayEventSound(const CSoundSetting& setting, SilentMode silent, HWND notify) {
    switch (setting.m_nKind) {
    case CSoundSetting::KIND_MELODY: PlayMelody(setting.m_strName, silent); break;
    case CSoundSetting::KIND_MIDI: PlayFile(kMidiSlot, setting.m_strName, silent, notify); break;
    case CSoundSetting::KIND_WAVE: PlayFile(kWaveSlot, setting.m_strName, silent, notify); break;
    default: break;
    }
}

void CSounds::PlayMelody(const std::string& name, SilentMode silent) {
    PlayMelodyEvent(m_player, m_melodyFile, name, silent.on && silent.seconds > 0 ? silent.seconds : 0);
}

void CSounds::PlayFile(int slot, const std::string& path, SilentMode silent, HWND notify) {
    if (m_slots[slot]) {
        m_mci.Close(m_slots[slot], true);
        m_slots[slot] = 0;
    }
    const UINT device = m_mci.Open(path);
    if (!device) return;
    m_slots[slot] = device;
    DWORD toMs = 0;
    if (silent.on && silent.seconds >= 1) {
        m_mci.SetTimeFormatMilliseconds(device);
        // A play to a point past the end fails: a file shorter than the cut
        // plays in full instead of not at all.
        const DWORD cut = static_cast<DWORD>(silent.seconds) * 1000;
        const DWORD length = m_mci.Length(device);
        if (length == 0 || length > cut) toMs = cut;
    }
    Sleep(10);
    if (!m_mci.Play(device, notify, toMs)) {
        m_mci.Close(device, true);
        m_slots[slot] = 0;
    }
}

void CSounds::StopAllSounds() {
    for (UINT& device : m_slots)
        if (device && m_mci.Stop(device) && m_mci.Close(device, false)) device = 0;
    m_player.PlayMelody(nullptr, false, 0);
}

void CSounds::OnMciNotify(WPARAM code, LPARAM device) {
    if (code != MCI_NOTIFY_SUCCESSFUL || device == 0) return;
    for (UINT& slot : m_slots)
        if (slot == static_cast<UINT>(device) && m_mci.Close(slot, false)) slot = 0;
}

std::vector<std::string> CSounds::MelodyNames() const {
    const std::optional<std::string> file = ReadMelodyFile(m_melodyFile);
    return file ? ::MelodyNames(*file) : std::vector<std::string>();
}

std::string DefaultMelodyFile() {
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string result(path, length < MAX_PATH ? length : 0);
    const std::size_t slash = result.find_last_of("\\/");
    result = slash == std::string::npos ? std::string() : result.substr(0, slash);
    return result + "\\" + kMelodyFileName;
}
