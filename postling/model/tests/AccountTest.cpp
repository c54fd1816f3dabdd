#include <string>
#include <vector>

#include "TestSupport.h"
#include "postling/model/Account.h"
#include "postling/model/AccountList.h"
#include "postling/model/StringIds.h"
#include "postling/model/TextFormat.h"

namespace {

class AccountTest : public ModelTest {};

const std::string kKey0 = "Accounts\\Account 000";
// Values every saved account has: the settings, without periods or identifiers.
constexpr std::size_t kSettingsValues = 11;

std::unique_ptr<CMessage> WithId(const std::string& id, bool seen = false) {
    auto message = std::make_unique<CMessage>();
    message->m_strMessageId = id;
    message->m_bSeen = seen;
    return message;
}

std::unique_ptr<CAccount> Named(const std::string& name) {
    auto account = std::make_unique<CAccount>();
    account->m_strName = name;
    return account;
}

}  // namespace

TEST_F(AccountTest, RoundTripAndMissingValues) {
    EXPECT_EQ(LoadStringResource(IDS_ACCOUNT_KEY), "Accounts\\Account %03d");  // the built-in key's text
    Named("Fresh")->Save(0);
    EXPECT_EQ(m_store->ValueCount(kKey0), kSettingsValues);
    CAccount fresh;
    ASSERT_TRUE(fresh.Load(0));
    EXPECT_EQ(fresh.m_nPort, 110);
    EXPECT_EQ(fresh.m_nInterval, 600);

    CAccount account;
    account.m_dwOptions = CAccount::OPT_REPORT_ERRORS | 0x80000000u;
    account.m_strName = "Work";
    account.m_strUser = "ivan";
    account.m_nTimeOut = 600;
    for (int c = 1; c < 256; ++c) account.m_strPassword += static_cast<char>(c);  // any byte but NUL
    account.Save(12);
    CAccount loaded;
    ASSERT_TRUE(loaded.Load(12));
    EXPECT_EQ(loaded.m_dwOptions, account.m_dwOptions);
    EXPECT_EQ(loaded.m_strUser, "ivan");
    EXPECT_EQ(loaded.m_strPassword, account.m_strPassword);
    EXPECT_EQ(loaded.m_nTimeOut, 600);

    // A value of the wrong type keeps what the object holds; without a name
    // there is no account and nothing else is read.
    m_store->WriteString("Accounts\\Account 012", "Port", "995");
    CAccount other;
    other.m_nPort = 111;
    ASSERT_TRUE(other.Load(12));
    EXPECT_EQ(other.m_nPort, 111);
    m_store->WriteString("Accounts\\Account 012", "Name", "");
    m_store->WriteInt("Accounts\\Account 012", "Port", 995);
    EXPECT_FALSE(other.Load(12));
    EXPECT_EQ(other.m_nPort, 111);
}

TEST_F(AccountTest, SecurityAndAcceptedCertificate) {
    const std::string hex(64, 'a');
    CAccount account;
    account.m_strName = "Secure";
    account.m_nSecurity = CAccount::SECURITY_STLS;
    account.m_strCertificate = std::string(64, 'A');
    account.Save(0);
    CAccount copy(account);
    EXPECT_EQ(copy.m_nSecurity, CAccount::SECURITY_STLS);
    EXPECT_EQ(copy.m_strCertificate, account.m_strCertificate);

    // Stored values of any content: an unknown mode never means plain text,
    // a fingerprint is kept only in its 64-digit form.
    struct Case {
        std::int32_t security;
        std::string certificate;
        std::int32_t wantSecurity;
        std::string wantCertificate;
    } cases[] = {
        {0, "", CAccount::SECURITY_NONE, ""},
        {1, hex, CAccount::SECURITY_TLS, std::string(64, 'A')},
        {2, "aa:" + std::string(62, 'b'), CAccount::SECURITY_STLS, "AA" + std::string(62, 'B')},
        {3, "zz", CAccount::SECURITY_TLS, ""},
        {-1, std::string(63, 'a'), CAccount::SECURITY_TLS, ""},
        {0x7fffffff, hex + "00", CAccount::SECURITY_TLS, ""},
    };
    for (const Case& c : cases) {
        m_store->WriteInt(kKey0, "Security", c.security);
        m_store->WriteString(kKey0, "Certificate", c.certificate);
        CAccount loaded;
        ASSERT_TRUE(loaded.Load(0));
        EXPECT_EQ(loaded.m_nSecurity, c.wantSecurity) << c.security;
        EXPECT_EQ(loaded.m_strCertificate, c.wantCertificate) << c.certificate;
    }
}

TEST_F(AccountTest, StoredNumbersOutsideTheirRangesGiveWayToTheUsualOnes) {
    struct Case {
        const char* entry;
        std::int32_t stored;
        std::int32_t CAccount::*member;
        std::int32_t want;
    } cases[] = {
        {"Time Out", 1, &CAccount::m_nTimeOut, 1},
        {"Time Out", 3600, &CAccount::m_nTimeOut, 3600},
        {"Time Out", 0, &CAccount::m_nTimeOut, 60},
        {"Time Out", -5, &CAccount::m_nTimeOut, 60},
        {"Time Out", 3601, &CAccount::m_nTimeOut, 60},
        {"Time Out", 0x7fffffff, &CAccount::m_nTimeOut, 60},
        {"Interval", 10, &CAccount::m_nInterval, 10},
        {"Interval", 86400, &CAccount::m_nInterval, 86400},
        {"Interval", 9, &CAccount::m_nInterval, 600},
        {"Interval", -600, &CAccount::m_nInterval, 600},
        {"Interval", 7 * 86400 + 1, &CAccount::m_nInterval, 600},
        {"Port", 0, &CAccount::m_nPort, 110},
        {"Port", 65536, &CAccount::m_nPort, 110},
    };
    for (const Case& c : cases) {
        Named("Numbers")->Save(0);
        m_store->WriteInt(kKey0, c.entry, c.stored);
        CAccount loaded;
        ASSERT_TRUE(loaded.Load(0));
        EXPECT_EQ(loaded.*c.member, c.want) << c.entry << " " << c.stored;
    }
}

TEST_F(AccountTest, PeriodBitsAndTheirSubkeys) {
    CAccount account;
    account.m_strName = "A";
    account.m_dwOptions = CAccount::OPT_CHECK_PERIODS | CAccount::OPT_UNCHECK_PERIODS;  // check list empty
    account.m_uncheckPeriods.Add(CInterval::Daily(12, 0, 13, 0));
    account.Save(0);
    EXPECT_FALSE(m_store->HasSection(kKey0 + "\\Check periods"));
    EXPECT_EQ(m_store->GetString(kKey0 + "\\Uncheck periods", "Period 0", ""), "0,12,0,13,0");
    CAccount loaded;
    ASSERT_TRUE(loaded.Load(0));
    EXPECT_EQ(loaded.m_dwOptions, CAccount::OPT_UNCHECK_PERIODS);
    EXPECT_EQ(loaded.m_uncheckPeriods.GetCount(), 1u);
    m_store->WriteInt(kKey0, "Options", 0);  // periods under a clear bit are not read
    ASSERT_TRUE(loaded.Load(0));
    EXPECT_TRUE(loaded.m_uncheckPeriods.IsEmpty());
}

TEST_F(AccountTest, MessageIdsKnownFirstThenSeenCurrentOnes) {
    CAccount account;
    account.m_strName = "A";
    for (const char* id : {"<k1@x>", "<k2@x>", "<k3@x>"}) account.m_knownIds.push_back(WithId(id));
    account.m_messages.push_back(WithId("<new@x>"));
    account.m_messages.push_back(WithId("", true));  // stored, it would end the list
    account.m_messages.push_back(WithId("<seen@x>", true));
    account.Save(0);
    EXPECT_EQ(m_store->ValueCount(kKey0), kSettingsValues + 4u);
    m_store->WriteString(kKey0, "Message ID 5", "<after-gap@x>");

    CAccount loaded;
    loaded.m_knownIds.push_back(WithId("<old@x>"));  // replaced by the load
    ASSERT_TRUE(loaded.Load(0));
    std::vector<std::string> ids;
    for (const auto& message : loaded.m_knownIds) ids.push_back(message->m_strMessageId);
    EXPECT_EQ(ids, (std::vector<std::string>{"<k1@x>", "<k2@x>", "<k3@x>", "<seen@x>"}));
}

TEST_F(AccountTest, AssignmentCopiesSettingsAndTheListsOfSetBitsOnly) {
    CAccount source;
    source.m_dwOptions = CAccount::OPT_CHECK_PERIODS | CAccount::OPT_UNCHECK_PERIODS;  // no-check list empty
    source.m_strServer = "pop.s";
    source.m_nPort = 995;
    auto odd = std::make_unique<CInterval>();  // as loaded: out of range
    odd->m_nValue[0] = 33;
    source.m_checkPeriods.Add(std::move(odd));

    CAccount target;
    target.m_uncheckPeriods.Add(CInterval());
    target.m_nPendingAction = CAccount::PENDING_DELETE;
    target.m_pPending = std::make_unique<CAccount>(source);
    target.m_pPending->m_pPending = std::make_unique<CAccount>();  // owned all the way down
    target.m_messages.push_back(WithId("<m@x>", true));
    target = source;
    EXPECT_EQ(target.m_dwOptions, CAccount::OPT_CHECK_PERIODS);
    EXPECT_TRUE(target.IsSameAccount(source));
    ASSERT_EQ(target.m_checkPeriods.GetCount(), 1u);
    EXPECT_EQ(target.m_checkPeriods[0].m_nValue[0], 9);  // a normalised copy
    EXPECT_TRUE(target.m_uncheckPeriods.IsEmpty());
    EXPECT_EQ(target.m_nPendingAction, CAccount::PENDING_DELETE);  // the rest stays
    EXPECT_EQ(target.m_messages.size(), 1u);

    CAccount& same = source;
    source = same;  // loses nothing
    EXPECT_EQ(source.m_checkPeriods[0].m_nValue[0], 33);
    source.m_dwOptions = 0;
    target = source;
    EXPECT_TRUE(target.m_checkPeriods.IsEmpty());
    target.m_strUser = "U";  // identity is case-sensitive
    EXPECT_FALSE(target.IsSameAccount(source));
}

TEST_F(AccountTest, SaveAllRenumbersAndLoadingStopsAtAGap) {
    CAccountList accounts;
    for (const char* name : {"first", "second", "third"}) accounts.Add(Named(name));
    accounts[0].m_knownIds.push_back(WithId("<a@x>"));
    accounts[0].m_checkPeriods.Add(CInterval());
    accounts[2].m_dwOptions = CAccount::OPT_CHECK_PERIODS;
    accounts[2].m_checkPeriods.Add(CInterval());
    accounts.SaveAllAccounts();
    std::unique_ptr<CAccount> removed = accounts.Detach(&accounts[0]);
    EXPECT_EQ(removed->m_strName, "first");
    accounts.SaveAllAccounts();
    EXPECT_EQ(m_store->GetString(kKey0, "Name", ""), "second");
    EXPECT_EQ(m_store->GetString("Accounts\\Account 001", "Name", ""), "third");
    EXPECT_FALSE(m_store->HasSection("Accounts\\Account 002"));
    EXPECT_EQ(m_store->ValueCount(kKey0), kSettingsValues);  // no stale identifiers
    EXPECT_FALSE(m_store->HasSection(kKey0 + "\\Check periods"));

    removed->Save(3);  // after a gap: not loaded
    CAccountList loaded;
    TimeValue now = Local(2010, 6, 2, 20, 0);
    ASSERT_EQ(loaded.LoadAccounts(now), 2u);
    EXPECT_EQ(loaded[0].m_timeNextCheck, now);                     // due at once
    EXPECT_EQ(loaded[1].m_timeNextCheck, Local(2010, 6, 3, 9, 0));  // when its period begins
}
