#include "TestSupport.h"

#include <cstdlib>
#include <ctime>

#include "postling/model/ProfileStore.h"

void PinTimeZone(const char* zone) {
#ifdef _WIN32
    _putenv_s("TZ", zone);
    _tzset();
#else
    setenv("TZ", zone, 1);
    tzset();
#endif
}

TimeValue Local(int year, int month, int day, int hour, int minute, int second) {
    std::tm broken{};
    broken.tm_year = year - 1900;
    broken.tm_mon = month - 1;
    broken.tm_mday = day;
    broken.tm_hour = hour;
    broken.tm_min = minute;
    broken.tm_sec = second;
    broken.tm_isdst = -1;
    return MakeLocalTime(broken);
}

std::string ShowLocal(TimeValue t) {
    std::tm broken{};
    char text[32];
    if (t == kTimeNever || !ToLocalTime(t, broken)) return std::to_string(t);
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &broken);
    return text;
}

std::string Cp1251(const char* utf8) {
    std::string out;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8); *p; ++p) {
        if (*p < 0x80) {
            out += static_cast<char>(*p);
            continue;
        }
        unsigned code = ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
        ++p;
        out += static_cast<char>(code == 0x401 ? 0xA8 : code == 0x451 ? 0xB8 : code - 0x410 + 0xC0);
    }
    return out;
}

void ModelTest::SetUp() {
#ifdef _WIN32
    PinTimeZone("UTC0");
#else
    PinTimeZone("Europe/Berlin");
#endif
    m_store = std::make_unique<MemoryProfileStore>();
    SetProfileStore(m_store.get());
}

void ModelTest::TearDown() { SetProfileStore(nullptr); }
