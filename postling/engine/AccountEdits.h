// Hands the accounts edited in the settings into the live list. An account
// whose check runs keeps its settings until the check ends: it gets the
// edit (or its removal) as a pending action that the main frame applies
// when the check's thread is collected.
#pragma once

#include <memory>
#include <vector>

#include "postling/model/AccountList.h"
#include "postling/model/Clock.h"

struct AccountEditResult {
    // Every edit took effect at once, and the accounts were saved.
    bool allApplied = true;
    // Idle accounts the edit left out: unlinked, for the caller to delete
    // once nothing points at them any more.
    std::vector<std::unique_ptr<CAccount>> removed;
};

// `edited` in the settings' order. A live account with the same server and
// user name takes the edit; others are appended, due at `now` unless their
// periods forbid it; live accounts no edit names are removed. Live accounts
// keep their order. The accounts are written to the profile only when every
// edit took effect.
AccountEditResult ApplyAccountEdits(CAccountList& live, const std::vector<const CAccount*>& edited, TimeValue now);

// The edit or removal waiting for the account's check, once the check's
// thread is collected: the edit is assigned, a removed account is unlinked
// and returned for the caller to delete. Null when nothing was removed
// (also while the account is still busy, when nothing happens).
std::unique_ptr<CAccount> ApplyPendingEdit(CAccountList& live, CAccount& account);
