#include "postling/engine/AccountEdits.h"

#include <mutex>

AccountEditResult ApplyAccountEdits(CAccountList& live, const std::vector<const CAccount*>& edited, TimeValue now) {
    AccountEditResult result;
    for (auto& account : live) account->m_bOrphan = 1;

    for (const CAccount* edit : edited) {
        if (!edit) continue;
        CAccount* match = nullptr;
        for (auto& account : live) {
            if (account->IsSameAccount(*edit)) {
                match = account.get();
                break;
            }
        }
        if (!match) {
            auto added = std::make_unique<CAccount>(*edit);
            added->MakeDue(now);
            live.Add(std::move(added));
            continue;
        }
        std::lock_guard<std::recursive_mutex> lock(match->m_lock);
        if (match->IsBusy()) {
            result.allApplied = false;
            match->m_nPendingAction = CAccount::PENDING_REPLACE;
            match->m_pPending = std::make_unique<CAccount>(*edit);
        } else {
            *match = *edit;
        }
        match->m_bOrphan = 0;
    }

    std::vector<const CAccount*> idleOrphans;
    for (auto& account : live) {
        if (!account->m_bOrphan) continue;
        std::lock_guard<std::recursive_mutex> lock(account->m_lock);
        if (account->IsBusy()) {
            account->m_nPendingAction = CAccount::PENDING_DELETE;
            account->m_pPending.reset();
        } else {
            idleOrphans.push_back(account.get());
        }
    }
    for (const CAccount* orphan : idleOrphans) result.removed.push_back(live.Detach(orphan));

    if (result.allApplied) live.SaveAllAccounts();
    return result;
}

std::unique_ptr<CAccount> ApplyPendingEdit(CAccountList& live, CAccount& account) {
    bool remove = false;
    {
        std::lock_guard<std::recursive_mutex> lock(account.m_lock);
        if (account.IsBusy()) return nullptr;
        if (account.m_nPendingAction == CAccount::PENDING_REPLACE && account.m_pPending) {
            account = *account.m_pPending;
            account.m_pPending.reset();
            account.m_nPendingAction = CAccount::PENDING_NONE;
        } else if (account.m_nPendingAction == CAccount::PENDING_DELETE) {
            remove = true;
        }
    }
    return remove ? live.Detach(&account) : nullptr;
}
