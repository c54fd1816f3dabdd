// Time values and the clock seam. A time value is a 32-bit count of seconds
// since 1970-01-01 00:00 UTC; kTimeNever marks a check that never comes.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

using TimeValue = std::int32_t;

constexpr TimeValue kTimeNever = 0x7FFFFFFF;
constexpr TimeValue kTimeInvalid = -1;

// The current time, from the system clock unless a test replaced it.
TimeValue CurrentTime();

// Replaces the clock (tests); an empty function restores the system clock.
void SetClockForTesting(std::function<TimeValue()> clock);

// Local broken-down time to a time value, normalised like mktime;
// kTimeInvalid when it cannot be represented.
TimeValue MakeLocalTime(std::tm broken);

// A time value to local broken-down time; false when it cannot be converted.
bool ToLocalTime(TimeValue time, std::tm& broken);
