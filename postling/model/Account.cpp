#include "Account.h"

#include <limits>

#include "lumkit/LumText.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/Tls.h"
#include "postling/model/ProfileStore.h"
#include "postling/model/TextFormat.h"

namespace {

// The key format of an account (string table entry 10000 holds the same
// text). It is not read from the string table: a language module that
// translated it would move every account to another key.
const char kKeyFormat[] = "Accounts\\Account %03d";

std::string MessageIdName(int n) { return "Message ID " + FormatFixed(n, 0, 0); }

}  // namespace

const CRuntimeClass CAccount::classCAccount = {"CAccount", sizeof(CAccount), &CObject::classCObject,
                                               nullptr};

const CRuntimeClass* CAccount::GetRuntimeClass() const { return &classCAccount; }

CAccount::CAccount()
    : m_bChecking(0),
      m_timeCheckStarted(-1),
      m_timeCheckFinished(-1),
      m_timeNextCheck(-1),
      m_bOrphan(0),
      m_nPendingAction(PENDING_NONE),
      m_bPasswordReply(0) {}

CAccount::CAccount(const CAccount& other) : CAccount() { *this = other; }

CAccount::~CAccount() = default;

CAccount& CAccount::operator=(const CAccount& other) {
    if (this == &other) {
        ClearBitsOfEmptyLists();
        return *this;
    }
    static_cast<AccountSettings&>(*this) = other;
    if (!(m_dwOptions & OPT_CHECK_PERIODS)) m_checkPeriods.RemoveAll();
    if (!(m_dwOptions & OPT_UNCHECK_PERIODS)) m_uncheckPeriods.RemoveAll();
    ClearBitsOfEmptyLists();
    return *this;
}

int CAccount::EffectiveTimeOut() const { return m_nTimeOut > 0 ? m_nTimeOut : 60; }

bool CAccount::IsBusy() const { return m_bChecking != 0 || m_pThread != nullptr; }

void CAccount::MarkAllSeen() {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    for (auto& message : m_messages) message->m_bSeen = 1;
}

void CAccount::ClearBitsOfEmptyLists() {
    if (m_checkPeriods.IsEmpty()) m_dwOptions &= ~OPT_CHECK_PERIODS;
    if (m_uncheckPeriods.IsEmpty()) m_dwOptions &= ~OPT_UNCHECK_PERIODS;
}

bool CAccount::IsSameAccount(const CAccount& other) const {
    return m_strServer == other.m_strServer && m_strUser == other.m_strUser;
}

std::string CAccount::KeyName(int number) { return FormatText(kKeyFormat, {number}); }

std::string CAccount::AccountsKey() {
    const std::string format = kKeyFormat;
    return format.substr(0, format.rfind('\\'));
}

bool CAccount::Load(int number) {
    ProfileStore& profile = Profile();
    const std::string key = KeyName(number);
    std::string name = profile.GetString(key, "Name", std::string());
    if (name.empty()) return false;
    m_strName = name;
    m_dwOptions = static_cast<std::uint32_t>(
        profile.GetInt(key, "Options", static_cast<std::int32_t>(m_dwOptions)));
    m_strServer = profile.GetString(key, "Server", m_strServer);
    m_strUser = profile.GetString(key, "User", m_strUser);
    m_strPassword = profile.GetString(key, "Password", m_strPassword);
    m_nProtocol = profile.GetInt(key, "Protocol", m_nProtocol);
    m_nPort = profile.GetInt(key, "Port", m_nPort);
    // A time-out or interval no one would choose (a silent server waited on
    // for years, a check every second) gives way to the usual one.
    m_nTimeOut = profile.GetInt(key, "Time Out", m_nTimeOut);
    if (m_nTimeOut < 1 || m_nTimeOut > kMaxTimeOut) m_nTimeOut = 60;
    m_nInterval = profile.GetInt(key, "Interval", m_nInterval);
    if (m_nInterval < kMinInterval || m_nInterval > kMaxInterval) m_nInterval = 600;
    // A value this program does not know never means plain text.
    const std::int32_t security = profile.GetInt(key, "Security", m_nSecurity);
    m_nSecurity = security == SECURITY_NONE || security == SECURITY_STLS ? security : SECURITY_TLS;
    // No connection is made to a port outside 1..65535: the usual port instead.
    if (m_nPort < 1 || m_nPort > 65535) m_nPort = m_nSecurity == SECURITY_TLS ? kTlsPort : 110;
    m_strCertificate = NormalizeFingerprint(profile.GetString(key, "Certificate", m_strCertificate));

    // A list is read only when its bit is set; a set bit without periods is cleared.
    m_checkPeriods.RemoveAll();
    if (m_dwOptions & OPT_CHECK_PERIODS) m_checkPeriods.Load(key + "\\Check periods");
    m_uncheckPeriods.RemoveAll();
    if (m_dwOptions & OPT_UNCHECK_PERIODS) m_uncheckPeriods.Load(key + "\\Uncheck periods");
    ClearBitsOfEmptyLists();

    MessageList known;
    for (int n = 0;; ++n) {
        std::string id = profile.GetString(key, MessageIdName(n), std::string());
        if (id.empty()) break;
        auto message = std::make_unique<CMessage>();
        message->m_strMessageId = id;
        known.push_back(std::move(message));
        if (n == std::numeric_limits<int>::max()) break;
    }
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    m_knownIds.swap(known);
    return true;
}

void CAccount::Save(int number) const {
    ProfileStore& profile = Profile();
    const std::string key = KeyName(number);
    profile.WriteInt(key, "Options", static_cast<std::int32_t>(m_dwOptions));
    profile.WriteString(key, "Name", m_strName);
    profile.WriteString(key, "Server", m_strServer);
    profile.WriteString(key, "User", m_strUser);
    profile.WriteString(key, "Password", m_strPassword);
    profile.WriteInt(key, "Protocol", m_nProtocol);
    profile.WriteInt(key, "Port", m_nPort);
    profile.WriteInt(key, "Time Out", m_nTimeOut);
    profile.WriteInt(key, "Interval", m_nInterval);
    profile.WriteInt(key, "Security", m_nSecurity);
    profile.WriteString(key, "Certificate", m_strCertificate);
    if (!m_checkPeriods.IsEmpty()) m_checkPeriods.Save(key + "\\Check periods");
    if (!m_uncheckPeriods.IsEmpty()) m_uncheckPeriods.Save(key + "\\Uncheck periods");

    // Known identifiers first, then the seen current messages. An empty
    // identifier is skipped: stored, it would end the list on loading and
    // every identifier after it would be lost.
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    int n = 0;
    for (const auto& message : m_knownIds)
        if (!message->m_strMessageId.empty())
            profile.WriteString(key, MessageIdName(n++), message->m_strMessageId);
    for (const auto& message : m_messages)
        if (message->m_bSeen && !message->m_strMessageId.empty())
            profile.WriteString(key, MessageIdName(n++), message->m_strMessageId);
}

std::int32_t CAccount::ScheduleInterval() const {
    return m_nInterval < kMinInterval ? kMinInterval : m_nInterval;
}

bool CAccount::ComputeNextCheck(TimeValue from) {
    const CIntervalList* allowed = (m_dwOptions & OPT_CHECK_PERIODS) ? &m_checkPeriods : nullptr;
    const CIntervalList* forbidden =
        (m_dwOptions & OPT_UNCHECK_PERIODS) ? &m_uncheckPeriods : nullptr;
    const std::int64_t interval = ScheduleInterval();
    const std::int64_t limit = std::int64_t{from} + kScheduleHorizon;
    std::int64_t t = std::int64_t{from} + interval;
    for (;;) {
        if (t >= limit || t >= kTimeNever) break;
        const TimeValue start = static_cast<TimeValue>(t);
        TimeValue t1 = allowed ? allowed->FirstAllowed(start) : start;
        TimeValue t2 = (forbidden && t1 != kTimeNever) ? forbidden->FirstOutside(t1) : t1;
        if (t2 == kTimeNever || t2 < start) break;  // both searches only move forward
        if (t2 == start) {
            m_timeNextCheck = start;
            return true;
        }
        t = t2;
    }
    m_timeNextCheck = kTimeNever;
    return false;
}

bool CAccount::MakeDue(TimeValue now) {
    std::int64_t from = std::int64_t{now} - ScheduleInterval();
    if (from < std::numeric_limits<TimeValue>::min()) from = std::numeric_limits<TimeValue>::min();
    return ComputeNextCheck(static_cast<TimeValue>(from));
}
