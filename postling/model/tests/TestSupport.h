// Shared helpers of the data model tests.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "postling/model/Clock.h"
#include "postling/model/MemoryProfileStore.h"

void PinTimeZone(const char* zone);  // a POSIX TZ value
// Local wall-clock time to a time value (the system decides on daylight saving).
TimeValue Local(int year, int month, int day, int hour, int minute, int second = 0);
// A time value as local "YYYY-MM-DD hh:mm:ss", for readable failures.
std::string ShowLocal(TimeValue t);
#define EXPECT_TIME(expected, actual) EXPECT_EQ(ShowLocal(expected), ShowLocal(actual))
// Code page 1251 of a UTF-8 text of ASCII and Russian letters.
std::string Cp1251(const char* utf8);

// A fresh in-memory profile for each test. The time zone has daylight saving
// natively; on Windows, whose C runtime knows no zone rules, it is UTC.
class ModelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<MemoryProfileStore> m_store;
};
