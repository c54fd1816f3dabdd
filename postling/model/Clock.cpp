#include "Clock.h"

#include <limits>
#include <mutex>

namespace {

std::mutex g_clockLock;
std::function<TimeValue()> g_testClock;

TimeValue Narrow(std::time_t t) {
    if (t < std::numeric_limits<TimeValue>::min() || t > std::numeric_limits<TimeValue>::max())
        return kTimeInvalid;
    return static_cast<TimeValue>(t);
}

}  // namespace

TimeValue CurrentTime() {
    {
        std::lock_guard<std::mutex> lock(g_clockLock);
        if (g_testClock) return g_testClock();
    }
    return Narrow(std::time(nullptr));
}

void SetClockForTesting(std::function<TimeValue()> clock) {
    std::lock_guard<std::mutex> lock(g_clockLock);
    g_testClock = std::move(clock);
}

TimeValue MakeLocalTime(std::tm broken) { return Narrow(std::mktime(&broken)); }

bool ToLocalTime(TimeValue time, std::tm& broken) {
    std::time_t t = time;
#ifdef _WIN32
    return localtime_s(&broken, &t) == 0;
#else
    return localtime_r(&t, &broken) != nullptr;
#endif
}
