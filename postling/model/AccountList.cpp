#include "AccountList.h"

#include <algorithm>
#include <limits>

#include "postling/model/ProfileStore.h"

CAccountList::CAccountList() = default;
CAccountList::~CAccountList() = default;

CAccount* CAccountList::Add(std::unique_ptr<CAccount> account) {
    if (!account) return nullptr;
    m_items.push_back(std::move(account));
    return m_items.back().get();
}

std::unique_ptr<CAccount> CAccountList::Detach(const CAccount* account) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [account](const std::unique_ptr<CAccount>& item) { return item.get() == account; });
    if (it == m_items.end()) return nullptr;
    std::unique_ptr<CAccount> detached = std::move(*it);
    m_items.erase(it);
    return detached;
}

void CAccountList::RemoveAll() { m_items.clear(); }

std::size_t CAccountList::LoadAccounts(TimeValue now) {
    std::size_t loaded = 0;
    for (int number = 0;; ++number) {
        auto account = std::make_unique<CAccount>();
        if (!account->Load(number)) break;
        account->MakeDue(now);
        m_items.push_back(std::move(account));
        ++loaded;
        if (number == std::numeric_limits<int>::max()) break;
    }
    return loaded;
}

void CAccountList::SaveAllAccounts() const {
    Profile().DeleteTree(CAccount::AccountsKey());
    int number = 0;
    for (const auto& account : m_items) account->Save(number++);
}
