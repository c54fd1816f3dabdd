#include "Interval.h"

#include <limits>

#include "lumkit/LumText.h"
#include "postling/model/ProfileStore.h"
#include "postling/model/StringIds.h"
#include "postling/model/TextFormat.h"

namespace {

constexpr std::int64_t kMinutesPerDay = 24 * 60;

// Signed remainder of 32-bit division (the sign of the dividend is kept).
std::int32_t Rem(std::int32_t value, std::int32_t divisor) { return value % divisor; }

// Days from 1970-01-01 to a civil date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
    year -= month <= 2;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(year - era * 400);
    const unsigned doy = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

int DaysInMonth(int year, int month /* 0..11 */) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 1 && leap ? 29 : kDays[month];
}

// Local wall-clock time of `t` minus `t`: the zone offset in effect at `t`.
bool ZoneOffset(std::int64_t t, std::int64_t& offset) {
    if (t < std::numeric_limits<TimeValue>::min() || t > std::numeric_limits<TimeValue>::max())
        return false;
    std::tm local{};
    if (!ToLocalTime(static_cast<TimeValue>(t), local)) return false;
    std::int64_t days = DaysFromCivil(std::int64_t{local.tm_year} + 1900,
                                      static_cast<unsigned>(local.tm_mon + 1),
                                      static_cast<unsigned>(local.tm_mday));
    offset = days * 86400 + local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec - t;
    return true;
}

TimeValue Clamp(std::int64_t t) {
    if (t >= kTimeNever) return kTimeNever;
    if (t < std::numeric_limits<TimeValue>::min()) return std::numeric_limits<TimeValue>::min();
    return static_cast<TimeValue>(t);
}

// `t` moved by `minutes` of local wall-clock time: across a change of the
// zone offset the result keeps the wall-clock time (a time that does not
// exist on the clock gives the same moment as plain arithmetic).
TimeValue ShiftLocal(TimeValue t, std::int64_t minutes) {
    std::int64_t plain = std::int64_t{t} + minutes * 60;
    std::int64_t offsetBefore = 0, offsetAfter = 0, offsetCandidate = 0;
    if (!ZoneOffset(t, offsetBefore) || !ZoneOffset(plain, offsetAfter)) return Clamp(plain);
    if (offsetBefore == offsetAfter) return Clamp(plain);
    std::int64_t candidate = plain + offsetBefore - offsetAfter;
    if (ZoneOffset(candidate, offsetCandidate) && offsetCandidate == offsetAfter)
        return Clamp(candidate);
    return Clamp(plain);
}

TimeValue OneMinuteLater(TimeValue t) { return Clamp(std::int64_t{t} + 60); }

std::string PeriodValueName(int position) { return "Period " + FormatFixed(position, 0, 0); }

}  // namespace

// Whole-minute positions within the kind's cycle (64-bit: loaded fields are
// not normalised and may hold anything).
struct CInterval::Positions {
    std::int64_t now;
    std::int64_t start;
    std::int64_t end;
    std::int64_t cycle;  // in minutes of wall-clock time
};

const CRuntimeClass CInterval::classCInterval = {"CInterval", sizeof(CInterval),
                                                 &CObject::classCObject, nullptr};

const CRuntimeClass* CInterval::GetRuntimeClass() const { return &classCInterval; }

CInterval::CInterval() : m_nKind(PERIOD_DAILY), m_nValue{9, 0, 18, 0, 0, 0} {}

CInterval::CInterval(const CInterval& other) : CInterval() { *this = other; }

CInterval& CInterval::operator=(const CInterval& other) {
    const std::int32_t* v = other.m_nValue;
    switch (other.m_nKind) {
    case PERIOD_WEEKLY:
        m_nKind = PERIOD_WEEKLY;
        m_nValue[0] = Rem(v[0], 7);
        m_nValue[3] = Rem(v[3], 7);
        break;
    case PERIOD_MONTHLY:
        m_nKind = PERIOD_MONTHLY;
        m_nValue[0] = static_cast<std::int32_t>((std::int64_t{v[0]} - 1) % 31 + 1);
        m_nValue[3] = static_cast<std::int32_t>((std::int64_t{v[3]} - 1) % 31 + 1);
        break;
    default: {
        std::int32_t startHour = v[0], startMinute = v[1], endHour = v[2], endMinute = v[3];
        m_nKind = PERIOD_DAILY;
        m_nValue[0] = Rem(startHour, 24);
        m_nValue[1] = Rem(startMinute, 60);
        m_nValue[2] = Rem(endHour, 24);
        m_nValue[3] = Rem(endMinute, 60);
        return *this;  // the two unused fields are not copied
    }
    }
    m_nValue[1] = Rem(v[1], 24);
    m_nValue[2] = Rem(v[2], 60);
    m_nValue[4] = Rem(v[4], 24);
    m_nValue[5] = Rem(v[5], 60);
    return *this;
}

CInterval::~CInterval() = default;

CInterval::CInterval(std::int32_t kind, std::int32_t v0, std::int32_t v1, std::int32_t v2,
                     std::int32_t v3, std::int32_t v4, std::int32_t v5)
    : m_nKind(kind), m_nValue{v0, v1, v2, v3, v4, v5} {}

// The factories return their values as given (copying would normalise them).
CInterval CInterval::Daily(int startHour, int startMinute, int endHour, int endMinute) {
    return CInterval(PERIOD_DAILY, startHour, startMinute, endHour, endMinute, 0, 0);
}

CInterval CInterval::Weekly(int startDay, int startHour, int startMinute, int endDay, int endHour,
                            int endMinute) {
    return CInterval(PERIOD_WEEKLY, startDay, startHour, startMinute, endDay, endHour, endMinute);
}

CInterval CInterval::Monthly(int startDay, int startHour, int startMinute, int endDay, int endHour,
                             int endMinute) {
    return CInterval(PERIOD_MONTHLY, startDay, startHour, startMinute, endDay, endHour, endMinute);
}

bool CInterval::GetPositions(TimeValue t, Positions& p) const {
    if (m_nKind != PERIOD_DAILY && m_nKind != PERIOD_WEEKLY && m_nKind != PERIOD_MONTHLY)
        return false;
    std::tm local{};
    if (!ToLocalTime(t, local)) return false;
    std::int64_t v[6];
    for (int i = 0; i < 6; ++i) v[i] = m_nValue[i];
    std::int64_t clock = std::int64_t{local.tm_hour} * 60 + local.tm_min;
    switch (m_nKind) {
    case PERIOD_DAILY:
        p.now = clock;
        p.start = v[0] * 60 + v[1];
        p.end = v[2] * 60 + v[3];
        p.cycle = kMinutesPerDay;
        return true;
    case PERIOD_WEEKLY:
        p.now = ((local.tm_wday + 6) % 7) * kMinutesPerDay + clock;  // Monday = 0
        p.cycle = 7 * kMinutesPerDay;
        break;
    default:
        p.now = local.tm_mday * kMinutesPerDay + clock;
        p.cycle = DaysInMonth(local.tm_year + 1900, local.tm_mon) * kMinutesPerDay;
        break;
    }
    p.start = (v[0] * 24 + v[1]) * 60 + v[2];
    p.end = (v[3] * 24 + v[4]) * 60 + v[5];
    return true;
}

bool CInterval::Contains(TimeValue t) const {
    Positions p;
    if (!GetPositions(t, p)) return false;
    if (p.start <= p.end) return p.start <= p.now && p.now <= p.end;
    return p.now >= p.start || p.now <= p.end;
}

TimeValue CInterval::NextStart(TimeValue t) const {
    Positions p;
    if (!GetPositions(t, p)) return t;
    std::int64_t minutes = p.start - p.now;
    if (p.start <= p.end && p.now > p.end) minutes += p.cycle;
    return ShiftLocal(t, minutes);
}

TimeValue CInterval::EndAfter(TimeValue t) const {
    Positions p;
    if (!GetPositions(t, p)) return t;
    std::int64_t minutes = p.end - p.now + 1;
    if (p.start > p.end && p.now >= p.start) minutes += p.cycle;
    return ShiftLocal(t, minutes);
}

std::string CInterval::Describe() const {
    const std::int32_t* v = m_nValue;
    switch (m_nKind) {
    case PERIOD_DAILY:
        return FormatResource(IDS_PERIOD_DAILY, {v[0], v[1], v[2], v[3]});
    case PERIOD_WEEKLY:
        return FormatResource(IDS_PERIOD_WEEKLY,
                              {ResSubString(IDS_WEEKDAY_NAMES, v[0], ','), v[1], v[2],
                               ResSubString(IDS_WEEKDAY_NAMES, v[3], ','), v[4], v[5]});
    case PERIOD_MONTHLY:
        return FormatResource(IDS_PERIOD_MONTHLY, {v[0], v[1], v[2], v[3], v[4], v[5]});
    default:
        return std::string();
    }
}

bool CInterval::Save(const std::string& section, int position) const {
    // An unknown kind is written as daily, which is how it would load.
    bool daily = m_nKind != PERIOD_WEEKLY && m_nKind != PERIOD_MONTHLY;
    int count = daily ? 4 : 6;
    std::string text = std::to_string(daily ? PERIOD_DAILY : m_nKind);
    for (int i = 0; i < count; ++i) text += ',' + std::to_string(m_nValue[i]);
    return Profile().WriteString(section, PeriodValueName(position), text);
}

bool CInterval::Load(const std::string& section, int position) {
    std::string text = Profile().GetString(section, PeriodValueName(position), std::string());
    if (text.empty()) return false;
    m_nKind = SubStringToInt(text, 0, ',');
    if (m_nKind != PERIOD_WEEKLY && m_nKind != PERIOD_MONTHLY) m_nKind = PERIOD_DAILY;
    int count = m_nKind == PERIOD_DAILY ? 4 : 6;
    for (int i = 0; i < count; ++i) m_nValue[i] = SubStringToInt(text, i + 1, ',');
    return true;
}

// ---------------------------------------------------------------------------

CIntervalList::CIntervalList() = default;
CIntervalList::CIntervalList(const CIntervalList& other) { *this = other; }
CIntervalList::CIntervalList(CIntervalList&&) noexcept = default;
CIntervalList& CIntervalList::operator=(CIntervalList&&) noexcept = default;
CIntervalList::~CIntervalList() = default;

CIntervalList& CIntervalList::operator=(const CIntervalList& other) {
    if (this == &other) return *this;
    std::vector<std::unique_ptr<CInterval>> items;
    items.reserve(other.m_items.size());
    for (const auto& period : other.m_items) items.push_back(std::make_unique<CInterval>(*period));
    m_items.swap(items);
    return *this;
}

void CIntervalList::Add(std::unique_ptr<CInterval> period) {
    if (period) m_items.push_back(std::move(period));
}

void CIntervalList::Add(const CInterval& period) { m_items.push_back(std::make_unique<CInterval>(period)); }

void CIntervalList::RemoveAt(std::size_t index) {
    if (index < m_items.size()) m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(index));
}

void CIntervalList::RemoveAll() { m_items.clear(); }

TimeValue CIntervalList::FirstAllowed(TimeValue t) const {
    if (m_items.empty()) return t;
    TimeValue best = kTimeNever;
    for (const auto& period : m_items) {
        if (period->Contains(t)) return t;
        TimeValue start = period->NextStart(t);
        // Fields out of their ranges can put the start behind `t`: then the
        // period is asked again a minute later.
        if (start < t) start = OneMinuteLater(t);
        if (start < best) best = start;
    }
    return best;
}

TimeValue CIntervalList::FirstOutside(TimeValue t) const {
    if (m_items.empty()) return t;
    const std::int64_t horizon = std::int64_t{t} + kScheduleHorizon;
    TimeValue current = t;
    bool moved = true;
    while (moved) {
        moved = false;
        for (const auto& period : m_items) {
            if (current > horizon) return kTimeNever;
            if (!period->Contains(current)) continue;
            TimeValue end = period->EndAfter(current);
            // Each move must go forward, or the walk might never end: fields
            // out of their ranges can put the end at or behind `current`.
            if (end <= current) end = OneMinuteLater(current);
            if (end == kTimeNever) return kTimeNever;
            current = end;
            moved = true;
            break;
        }
    }
    return current;
}

std::string CIntervalList::Describe() const {
    if (m_items.empty()) return LoadStringResource(IDS_NO_PERIODS);
    std::string text;
    for (std::size_t i = 0; i < m_items.size(); ++i) {
        if (i) text += "; ";
        text += m_items[i]->Describe();
    }
    return text;
}

bool CIntervalList::Save(const std::string& section) const {
    bool ok = true;
    for (std::size_t i = 0; i < m_items.size(); ++i)
        ok = m_items[i]->Save(section, static_cast<int>(i)) && ok;
    return ok;
}

bool CIntervalList::Load(const std::string& section) {
    RemoveAll();
    for (int position = 0;; ++position) {
        auto period = std::make_unique<CInterval>();
        if (!period->Load(section, position)) break;
        m_items.push_back(std::move(period));
        if (position == std::numeric_limits<int>::max()) break;
    }
    return !m_items.empty();
}
