// Check periods: recurring daily, weekly or monthly time windows, and the
// owning lists an account keeps of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Object.h"
#include "postling/model/Clock.h"

class CInterval : public CObject {
public:
    enum Kind : std::int32_t { PERIOD_DAILY = 0, PERIOD_WEEKLY = 1, PERIOD_MONTHLY = 2 };

    CInterval();  // daily 9:00 to 18:00
    // Copying normalises: days, hours and minutes are reduced to their ranges
    // (signed remainders), and a kind other than weekly or monthly becomes daily.
    CInterval(const CInterval& other);
    CInterval& operator=(const CInterval& other);
    ~CInterval() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCInterval;

    // Periods with the values as given (not normalised).
    static CInterval Daily(int startHour, int startMinute, int endHour, int endMinute);
    static CInterval Weekly(int startDay, int startHour, int startMinute, int endDay, int endHour,
                            int endMinute);  // days 0 = Monday .. 6 = Sunday
    static CInterval Monthly(int startDay, int startHour, int startMinute, int endDay, int endHour,
                             int endMinute);  // days 1 .. 31

    // Every test works on whole minutes of local wall-clock time; results
    // keep the seconds of `t` and, across a daylight-saving change, the
    // wall-clock time they aim at.

    // Is `t` inside the window (both end minutes included)?
    bool Contains(TimeValue t) const;
    // The start of the window at or after `t` (for a `t` outside it), with
    // the seconds of `t`. An unknown kind gives `t`; a result beyond the
    // range of time values gives kTimeNever.
    TimeValue NextStart(TimeValue t) const;
    // The minute after the end of the window that contains `t`, with the
    // seconds of `t`. An unknown kind gives `t`.
    TimeValue EndAfter(TimeValue t) const;
    // The display text; empty for an unknown kind.
    std::string Describe() const;

    // The value "Period <position>" of `section`. Loading does not normalise;
    // an empty or missing value gives false.
    bool Save(const std::string& section, int position) const;
    bool Load(const std::string& section, int position);

    std::int32_t m_nKind;      // PERIOD_DAILY, PERIOD_WEEKLY or PERIOD_MONTHLY
    // Daily: start hour, start minute, end hour, end minute, two unused.
    // Weekly and monthly: start day, start hour, start minute, end day,
    // end hour, end minute.
    std::int32_t m_nValue[6];

private:
    CInterval(std::int32_t kind, std::int32_t v0, std::int32_t v1, std::int32_t v2, std::int32_t v3,
              std::int32_t v4, std::int32_t v5);
    struct Positions;
    bool GetPositions(TimeValue t, Positions& positions) const;
};

// An ordered list of periods that owns its elements. Copying a list copies
// (and so normalises) every period.
class CIntervalList {
public:
    CIntervalList();
    CIntervalList(const CIntervalList& other);
    CIntervalList& operator=(const CIntervalList& other);
    CIntervalList(CIntervalList&&) noexcept;
    CIntervalList& operator=(CIntervalList&&) noexcept;
    ~CIntervalList();

    bool IsEmpty() const { return m_items.empty(); }
    std::size_t GetCount() const { return m_items.size(); }
    CInterval& operator[](std::size_t index) { return *m_items.at(index); }
    const CInterval& operator[](std::size_t index) const { return *m_items.at(index); }

    void Add(std::unique_ptr<CInterval> period);
    void Add(const CInterval& period);  // appends a normalised copy
    void RemoveAt(std::size_t index);   // deletes the period; an index out of range does nothing
    void RemoveAll();

    // The earliest time at or after `t` inside some period (`t` for an empty
    // list), or kTimeNever. A period whose fields put its start behind `t`
    // offers `t` + 1 minute instead, to be asked again then.
    TimeValue FirstAllowed(TimeValue t) const;
    // The earliest time at or after `t` outside every period (`t` for an
    // empty list); kTimeNever when there is none within 62 days. A period
    // whose end would not move forward is left a minute later.
    TimeValue FirstOutside(TimeValue t) const;
    // The periods' texts joined with "; ", or the text for no periods.
    std::string Describe() const;

    // "Period 0", "Period 1", ... of `section`. Loading replaces the list and
    // stops at the first missing or empty value; true when a period was loaded.
    bool Save(const std::string& section) const;
    bool Load(const std::string& section);

private:
    std::vector<std::unique_ptr<CInterval>> m_items;
};

// How far ahead the schedule looks: 62 days.
constexpr std::int64_t kScheduleHorizon = 5356800;
