#include <climits>

#include "TestSupport.h"
#include "postling/model/Account.h"
#include "postling/model/Interval.h"

namespace {

class IntervalTest : public ModelTest {};

CAccount Scheduled(std::initializer_list<CInterval> check, std::initializer_list<CInterval> uncheck) {
    CAccount account;
    for (const CInterval& period : check) account.m_checkPeriods.Add(period);
    for (const CInterval& period : uncheck) account.m_uncheckPeriods.Add(period);
    account.m_dwOptions = (check.size() ? CAccount::OPT_CHECK_PERIODS : 0) |
                          (uncheck.size() ? CAccount::OPT_UNCHECK_PERIODS : 0);
    return account;
}

void ExpectValues(const CInterval& period, std::initializer_list<int> values) {
    int i = 0;
    for (int value : values) EXPECT_EQ(period.m_nValue[i++], value) << "field " << i - 1;
}

}  // namespace

TEST_F(IntervalTest, CopyNormalises) {
    const CInterval monthly = CInterval::Monthly(32, 25, 61, INT_MIN, 18, 0);  // no overflow on day - 1
    CInterval copy(monthly);
    ExpectValues(copy, {1, 1, 1});
    EXPECT_GE(copy.m_nValue[3], -30);
    CInterval odd = CInterval::Weekly(25, 70, 23, 61, 5, 6);
    odd.m_nKind = 7;  // another kind becomes daily; the target's unused fields stay
    copy = odd;
    EXPECT_EQ(copy.m_nKind, CInterval::PERIOD_DAILY);
    ExpectValues(copy, {1, 10, 23, 1, 18, 0});
}

TEST_F(IntervalTest, DailyWeeklyAndMonthlyWindows) {
    CInterval night = CInterval::Daily(22, 0, 6, 0);
    EXPECT_TRUE(night.Contains(Local(2010, 6, 2, 6, 0, 59)));
    EXPECT_FALSE(night.Contains(Local(2010, 6, 2, 6, 1, 0)));
    EXPECT_TIME(Local(2010, 6, 3, 6, 1, 10), night.EndAfter(Local(2010, 6, 2, 22, 0, 10)));
    EXPECT_TIME(Local(2010, 6, 3, 9, 0, 20), CInterval().NextStart(Local(2010, 6, 2, 18, 5, 20)));

    CInterval weekend = CInterval::Weekly(4, 18, 0, 0, 9, 0);  // 2010-06-04 is a Friday
    EXPECT_FALSE(weekend.Contains(Local(2010, 6, 2, 12, 0)));
    EXPECT_TIME(Local(2010, 6, 4, 18, 0), weekend.NextStart(Local(2010, 6, 2, 12, 0)));
    EXPECT_TIME(Local(2010, 6, 7, 9, 1, 30), weekend.EndAfter(Local(2010, 6, 5, 12, 0, 30)));

    CInterval first = CInterval::Monthly(1, 9, 0, 1, 18, 0);  // the cycle is the current month
    EXPECT_TIME(Local(2010, 2, 1, 9, 0), first.NextStart(Local(2010, 1, 31, 10, 0)));
    EXPECT_TIME(Local(2011, 1, 1, 9, 0), first.NextStart(Local(2010, 12, 31, 10, 0)));
    EXPECT_TIME(Local(2012, 3, 1, 9, 0), first.NextStart(Local(2012, 2, 28, 10, 0)));
    CInterval turn = CInterval::Monthly(25, 0, 0, 5, 23, 59);
    EXPECT_TIME(Local(2011, 3, 6, 0, 0), turn.EndAfter(Local(2011, 2, 27, 0, 0)));
    EXPECT_FALSE(CInterval::Monthly(31, 0, 0, 31, 23, 59).Contains(Local(2010, 4, 30, 12, 0)));
}

#ifndef _WIN32  // Windows' C runtime knows no zone rules
TEST_F(IntervalTest, DaylightSavingChangesKeepTheWallClock) {
    // Europe/Berlin 2010: summer time from 28 March 2:00 to 31 October 3:00.
    ASSERT_EQ(Local(2010, 3, 28, 9, 0) - Local(2010, 3, 27, 18, 0), 14 * 3600);
    CAccount account = Scheduled({CInterval()}, {});
    EXPECT_TRUE(account.ComputeNextCheck(Local(2010, 3, 27, 17, 55, 20)));
    EXPECT_TIME(Local(2010, 3, 28, 9, 0, 20), account.m_timeNextCheck);
    EXPECT_TIME(Local(2010, 10, 31, 9, 0, 20), CInterval().NextStart(Local(2010, 10, 30, 18, 5, 20)));
    // A start the clock skips is reached an hour later, at the same moment.
    EXPECT_TIME(Local(2010, 3, 28, 3, 30), CInterval::Daily(2, 30, 4, 0).NextStart(Local(2010, 3, 28, 1, 0)));
    CInterval first = CInterval::Monthly(1, 9, 0, 1, 18, 0);
    EXPECT_TIME(Local(2010, 4, 1, 9, 0), first.NextStart(Local(2010, 3, 31, 10, 0)));
    EXPECT_TIME(Local(2010, 11, 1, 9, 0), first.NextStart(Local(2010, 10, 31, 10, 0)));
}
#endif

TEST_F(IntervalTest, Describe) {
    EXPECT_EQ(CInterval::Weekly(4, 18, 0, 0, 9, 5).Describe(),
              Cp1251("Еженедельно с пятницы, 18:00 до понедельника, 9:05"));
    EXPECT_EQ(CInterval::Monthly(25, 0, 0, 5, 23, 59).Describe(), Cp1251("Ежемесячно с 25, 0:00 до 5, 23:59"));
    CIntervalList list;
    EXPECT_EQ(list.Describe(), Cp1251("Не определено"));
    list.Add(CInterval());
    list.Add(CInterval::Daily(20, 30, 21, 0));
    EXPECT_EQ(list.Describe(), Cp1251("Ежедневно с 9:00 до 18:00; Ежедневно с 20:30 до 21:00"));
}

TEST_F(IntervalTest, SaveAndLoad) {
    CIntervalList list;
    list.Add(CInterval::Weekly(4, 18, 0, 0, 9, 0));
    list.Add(CInterval::Monthly(1, 9, 0, 31, 18, 5));
    EXPECT_TRUE(list.Save("P"));
    EXPECT_EQ(m_store->GetString("P", "Period 0", ""), "1,4,18,0,0,9,0");
    EXPECT_EQ(m_store->GetString("P", "Period 1", ""), "2,1,9,0,31,18,5");

    // Broken values load as they come (not normalised); a gap ends the list.
    m_store->WriteString("Q", "Period 0", "7,1,2,3,4,5,6");  // unknown kind: daily
    m_store->WriteString("Q", "Period 1", "1,3");            // missing fields: 0
    m_store->WriteString("Q", "Period 2", "2,99,-5,x");
    m_store->WriteString("Q", "Period 4", "0,1,1,2,2");
    ASSERT_TRUE(list.Load("Q"));
    ASSERT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(list[0].m_nKind, CInterval::PERIOD_DAILY);
    ExpectValues(list[0], {1, 2, 3, 4});
    ExpectValues(list[1], {3, 0, 0, 0, 0, 0});
    ExpectValues(list[2], {99, -5, 0, 0, 0, 0});
    EXPECT_FALSE(list.Load("R"));
}

TEST_F(IntervalTest, NextCheck) {
    TimeValue from = Local(2010, 6, 2, 17, 55, 20);
    CAccount daytime = Scheduled({CInterval::Daily(10, 0, 11, 0), CInterval()}, {});  // earliest wins
    EXPECT_TRUE(daytime.ComputeNextCheck(from));
    EXPECT_TIME(Local(2010, 6, 3, 9, 0, 20), daytime.m_timeNextCheck);
    daytime.m_dwOptions = 0;  // a list counts only while its bit is set
    EXPECT_TRUE(daytime.ComputeNextCheck(from));
    EXPECT_EQ(daytime.m_timeNextCheck, from + 600);

    CAccount lunch = Scheduled({}, {CInterval::Daily(12, 0, 13, 0)});
    EXPECT_TRUE(lunch.ComputeNextCheck(Local(2010, 6, 2, 11, 55, 0)));
    EXPECT_TIME(Local(2010, 6, 2, 13, 1, 0), lunch.m_timeNextCheck);
    // Overlapping windows: the walk starts again from the head after each move.
    CAccount busy = Scheduled({}, {CInterval::Daily(14, 0, 15, 0), CInterval::Daily(12, 30, 14, 0),
                                   CInterval::Daily(12, 0, 12, 45)});
    EXPECT_TRUE(busy.ComputeNextCheck(Local(2010, 6, 2, 11, 55, 5)));
    EXPECT_TIME(Local(2010, 6, 2, 15, 1, 5), busy.m_timeNextCheck);

    CAccount never = Scheduled({CInterval()}, {CInterval::Daily(0, 0, 23, 59)});
    EXPECT_FALSE(never.ComputeNextCheck(from));
    EXPECT_EQ(never.m_timeNextCheck, kTimeNever);
    // February has no 31st: its first guess (3 March) is asked again.
    CAccount rare = Scheduled({CInterval::Monthly(31, 9, 0, 31, 10, 0)}, {});
    EXPECT_TRUE(rare.ComputeNextCheck(Local(2011, 1, 31, 11, 0)));
    EXPECT_TIME(Local(2011, 3, 31, 9, 0), rare.m_timeNextCheck);
}

// Stored values may be anything: the schedule must end, move forward and not overflow.
TEST_F(IntervalTest, HostileValuesNeitherHangNorOverflow) {
    CAccount eager;
    TimeValue from = Local(2010, 6, 2, 12, 0, 0);
    eager.m_nInterval = 0;  // would check back to back
    EXPECT_TRUE(eager.ComputeNextCheck(from));
    EXPECT_EQ(eager.m_timeNextCheck, from + CAccount::kMinInterval);
    eager.m_nInterval = INT_MIN;
    EXPECT_TRUE(eager.MakeDue(from));
    EXPECT_EQ(eager.m_timeNextCheck, from);
    eager.m_nInterval = INT_MAX;
    EXPECT_FALSE(eager.MakeDue(from));
    EXPECT_FALSE(CAccount().ComputeNextCheck(kTimeNever - 100));

    m_store->WriteString("Accounts\\Account 000", "Name", "stuck");
    m_store->WriteInt("Accounts\\Account 000", "Options", CAccount::OPT_UNCHECK_PERIODS);
    // From day 31 to "day 0": the end lies behind the 31st, so the walk
    // would stand still; it moves on a minute at a time instead.
    m_store->WriteString("Accounts\\Account 000\\Uncheck periods", "Period 0", "2,31,0,0,0,0,0");
    m_store->WriteString("Accounts\\Account 001", "Name", "odd");
    m_store->WriteInt("Accounts\\Account 001", "Options", CAccount::OPT_CHECK_PERIODS);
    // Hour -5 puts the next start behind the time, huge fields far ahead.
    m_store->WriteString("Accounts\\Account 001\\Check periods", "Period 0", "0,-5,0,18,0");
    m_store->WriteString("Accounts\\Account 001\\Check periods", "Period 1",
                         "1,2147483647,2147483647,1,-2147483648,0,0");
    CAccount stuck, odd;
    ASSERT_TRUE(stuck.Load(0) && odd.Load(1));
    EXPECT_TRUE(stuck.ComputeNextCheck(Local(2010, 1, 30, 23, 51, 0)));
    EXPECT_TIME(Local(2010, 2, 1, 0, 0, 0), stuck.m_timeNextCheck);
    EXPECT_TRUE(odd.ComputeNextCheck(Local(2010, 6, 2, 19, 50, 0)));
    EXPECT_TIME(Local(2010, 6, 3, 0, 0, 0), odd.m_timeNextCheck);
}
