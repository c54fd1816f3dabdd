#include "ProgramSettings.h"

#include <algorithm>

#include "postling/model/ProfileStore.h"
#include "postling/model/SystemLanguage.h"

const char ProgramSettings::kSection[] = "Settings";

ProgramSettings::ProgramSettings()
    : m_dwOptions(0), m_nErrorSaveTime(0), m_nSilentSoundDuration(0),
      m_wLanguage(SystemDefaultLanguage()) {}

void ProgramSettings::LoadLanguage() {
    // Stored as 32 bits, used as its low 16 bits, as it stands.
    const std::int32_t language = Profile().GetInt(kSection, "Language", SystemDefaultLanguage());
    m_wLanguage = static_cast<std::uint16_t>(language);
}

void ProgramSettings::Load() {
    ProfileStore& profile = Profile();
    m_strMailer = profile.GetString(kSection, "Mailer", std::string());
    // A path, at most MAX_PATH - 1 characters as the sheet takes it: longer
    // is no program's path.
    if (m_strMailer.size() > 259) m_strMailer.clear();
    m_dwOptions = static_cast<std::uint32_t>(profile.GetInt(kSection, "Options", 0));
    // Numbers outside what the dialogs accept are brought to their nearest end.
    m_nErrorSaveTime = std::clamp(profile.GetInt(kSection, "Error Save Time", 0), 0, kMaxErrorSaveTime);
    m_nSilentSoundDuration =
        std::clamp(profile.GetInt(kSection, "Silent Sound Duration", 10), 0, kMaxSilentSoundDuration);
}

void ProgramSettings::Save() const {
    ProfileStore& profile = Profile();
    profile.WriteString(kSection, "Mailer", m_strMailer);
    profile.WriteInt(kSection, "Options", static_cast<std::int32_t>(m_dwOptions));
    profile.WriteInt(kSection, "Error Save Time", m_nErrorSaveTime);
    profile.WriteInt(kSection, "Silent Sound Duration", m_nSilentSoundDuration);
    profile.WriteInt(kSection, "Language", m_wLanguage);
}
