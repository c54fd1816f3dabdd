// The settings' accounts handed into the live list: matched by server and
// user name, busy accounts given pending actions, new ones due at once, the
// stored order kept, the profile written only when everything took effect.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "postling/engine/AccountEdits.h"
#include "postling/model/MemoryProfileStore.h"
#include "postling/model/ProfileStore.h"

namespace {

std::unique_ptr<CAccount> Account(const char* name, const char* server, const char* user, int interval = 600) {
    auto account = std::make_unique<CAccount>();
    account->m_strName = name;
    account->m_strServer = server;
    account->m_strUser = user;
    account->m_strPassword = "secret";
    account->m_nInterval = interval;
    return account;
}

std::vector<std::string> Names(const CAccountList& list) {
    std::vector<std::string> names;
    for (const auto& account : list) names.push_back(account->m_strName);
    return names;
}

class AccountEditsTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProfileStore(&m_store);
        m_live.Add(Account("Work", "pop.work.ru", "ivan"));
        m_live.Add(Account("Home", "pop.home.ru", "ivan"));
        m_live.Add(Account("Old", "pop.old.ru", "ivan"));
    }
    void TearDown() override { SetProfileStore(nullptr); }

    // The sheet's copies: reordered, Work renamed, Old left out, New added.
    std::vector<std::unique_ptr<CAccount>> Edits() {
        std::vector<std::unique_ptr<CAccount>> edits;
        edits.push_back(Account("New", "pop.new.ru", "olga", 60));
        edits.push_back(Account("Home", "pop.home.ru", "ivan"));
        edits.push_back(Account("Work mail", "pop.work.ru", "ivan", 300));
        return edits;
    }
    static std::vector<const CAccount*> Pointers(const std::vector<std::unique_ptr<CAccount>>& edits) {
        std::vector<const CAccount*> pointers;
        for (const auto& edit : edits) pointers.push_back(edit.get());
        return pointers;
    }

    MemoryProfileStore m_store;
    CAccountList m_live;
};

TEST_F(AccountEditsTest, IdleAccountsTakeTheEditsAtOnceInTheirStoredOrder) {
    CAccount* work = &m_live[0];
    const auto edits = Edits();
    const TimeValue now = 1700000000;
    AccountEditResult result = ApplyAccountEdits(m_live, Pointers(edits), now);

    EXPECT_TRUE(result.allApplied);
    EXPECT_EQ(Names(m_live), (std::vector<std::string>{"Work mail", "Home", "New"}));
    EXPECT_EQ(&m_live[0], work);  // the same object, edited in place
    EXPECT_EQ(m_live[0].m_nInterval, 300);
    EXPECT_EQ(m_live[2].m_timeNextCheck, now);  // new: due at once
    ASSERT_EQ(result.removed.size(), 1u);
    EXPECT_EQ(result.removed[0]->m_strName, "Old");
    // Written: the stored list is the live one.
    CAccountList stored;
    EXPECT_EQ(stored.LoadAccounts(now), 3u);
    EXPECT_EQ(Names(stored), Names(m_live));
}

TEST_F(AccountEditsTest, BusyAccountsGetPendingActionsAndNothingIsWritten) {
    m_live[0].m_bChecking = 1;  // Work
    m_live[2].m_bChecking = 1;  // Old
    const auto edits = Edits();
    AccountEditResult result = ApplyAccountEdits(m_live, Pointers(edits), 1700000000);

    EXPECT_FALSE(result.allApplied);
    EXPECT_TRUE(result.removed.empty());
    EXPECT_EQ(Names(m_live), (std::vector<std::string>{"Work", "Home", "Old", "New"}));
    EXPECT_EQ(m_live[0].m_nPendingAction, CAccount::PENDING_REPLACE);
    ASSERT_TRUE(m_live[0].m_pPending);
    EXPECT_EQ(m_live[0].m_pPending->m_strName, "Work mail");
    EXPECT_EQ(m_live[2].m_nPendingAction, CAccount::PENDING_DELETE);
    EXPECT_FALSE(m_live[2].m_pPending);
    EXPECT_EQ(m_live[1].m_nPendingAction, CAccount::PENDING_NONE);
    EXPECT_FALSE(m_store.HasSection(CAccount::AccountsKey()));
}

// Once the checks end (and at exit), the waiting edit is assigned and the
// waiting removal carried out; a busy account keeps both.
TEST_F(AccountEditsTest, WaitingEditsAreAppliedWhenTheAccountIsIdle) {
    m_live[0].m_bChecking = 1;
    m_live[2].m_bChecking = 1;
    const auto edits = Edits();
    ApplyAccountEdits(m_live, Pointers(edits), 0);
    CAccount& work = m_live[0];
    CAccount& old = m_live[2];
    EXPECT_EQ(ApplyPendingEdit(m_live, work), nullptr);  // still busy
    EXPECT_EQ(work.m_strName, "Work");
    work.m_bChecking = 0;
    old.m_bChecking = 0;
    EXPECT_EQ(ApplyPendingEdit(m_live, work), nullptr);
    EXPECT_EQ(work.m_strName, "Work mail");
    EXPECT_EQ(work.m_nPendingAction, CAccount::PENDING_NONE);
    EXPECT_FALSE(work.m_pPending);
    const std::unique_ptr<CAccount> removed = ApplyPendingEdit(m_live, old);
    EXPECT_EQ(removed.get(), &old);
    EXPECT_EQ(Names(m_live), (std::vector<std::string>{"Work mail", "Home", "New"}));
}

// Two live accounts with one identity: the first takes the edit, the other
// is an orphan and goes.
TEST_F(AccountEditsTest, TheFirstOfTwoLikeAccountsTakesTheEdit) {
    m_live.Add(Account("Work again", "pop.work.ru", "ivan"));
    std::vector<std::unique_ptr<CAccount>> edits;
    edits.push_back(Account("Work", "pop.work.ru", "ivan"));
    AccountEditResult result = ApplyAccountEdits(m_live, Pointers(edits), 0);
    EXPECT_EQ(Names(m_live), std::vector<std::string>{"Work"});
    EXPECT_EQ(result.removed.size(), 3u);
}

}  // namespace
