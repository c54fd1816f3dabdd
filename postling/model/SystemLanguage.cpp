#include "SystemLanguage.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {
// Bit 16 set: a test's value is in the low bits.
std::atomic<std::uint32_t> g_testLanguage{0};
constexpr std::uint32_t kSet = 0x10000;
}  // namespace

std::uint16_t SystemDefaultLanguage() {
    std::uint32_t test = g_testLanguage.load();
    if (test & kSet) return static_cast<std::uint16_t>(test);
#ifdef _WIN32
    return GetSystemDefaultLangID();
#else
    return 0x0419;
#endif
}

void SetSystemLanguageForTesting(std::optional<std::uint16_t> language) {
    g_testLanguage.store(language ? (kSet | *language) : 0);
}
