// The system's default user-interface language (a 16-bit language id).
#pragma once

#include <cstdint>
#include <optional>

// Windows: the user's default language. Natively 0x0419 (Russian) unless a
// test set another.
std::uint16_t SystemDefaultLanguage();

// Replaces the answer (tests); nullopt restores the system's.
void SetSystemLanguageForTesting(std::optional<std::uint16_t> language);
