#include "SoundSetting.h"

#include "postling/model/ProfileStore.h"

namespace {

constexpr char kSection[] = "Sounds";

std::string EntryName(int index) { return "Sound " + std::to_string(index); }

// atoi without its undefined overflow: blanks, a sign, digits; anything
// past the range of a kind is just out of range.
std::int32_t LeadingNumber(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    std::int32_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value < 1000000) value = value * 10 + (text[i] - '0');
    return negative ? -value : value;
}

}  // namespace

void CSoundSetting::Parse(const std::string& value) {
    const std::size_t comma = value.find(',');
    if (comma == std::string::npos) {
        m_nKind = KIND_NONE;
        m_strName = value;
        return;
    }
    const std::int32_t kind = LeadingNumber(value.substr(0, comma));
    m_nKind = kind >= KIND_NONE && kind <= KIND_WAVE ? kind : KIND_NONE;
    m_strName = value.substr(comma + 1);
}

std::string CSoundSetting::Format() const { return std::to_string(m_nKind) + "," + m_strName; }

void LoadSoundSettings(SoundSettings& settings) {
    ProfileStore& profile = Profile();
    for (int i = 0; i < SOUND_EVENT_COUNT; ++i) {
        const std::string value = profile.GetString(kSection, EntryName(i), std::string());
        if (!value.empty()) settings[i].Parse(value);
    }
}

void SaveSoundSettings(const SoundSettings& settings) {
    ProfileStore& profile = Profile();
    for (int i = 0; i < SOUND_EVENT_COUNT; ++i)
        profile.WriteString(kSection, EntryName(i), settings[i].Format());
}
