// The program's accounts in registry order (the application's m_accounts).
// The list owns its accounts; it is used by the user-interface thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "postling/model/Account.h"
#include "postling/model/Clock.h"

class CAccountList {
public:
    using Items = std::vector<std::unique_ptr<CAccount>>;

    CAccountList();
    CAccountList(const CAccountList&) = delete;
    CAccountList& operator=(const CAccountList&) = delete;
    ~CAccountList();

    bool IsEmpty() const { return m_items.empty(); }
    std::size_t GetCount() const { return m_items.size(); }
    CAccount& operator[](std::size_t index) { return *m_items.at(index); }
    const CAccount& operator[](std::size_t index) const { return *m_items.at(index); }
    Items::iterator begin() { return m_items.begin(); }
    Items::iterator end() { return m_items.end(); }
    Items::const_iterator begin() const { return m_items.begin(); }
    Items::const_iterator end() const { return m_items.end(); }

    // Appends the account; null is not listed (and gives null).
    CAccount* Add(std::unique_ptr<CAccount> account);
    // Takes the account out of the list and hands it to the caller (who may
    // have to keep it until its check ends); null when it is not listed.
    std::unique_ptr<CAccount> Detach(const CAccount* account);
    void RemoveAll();

    // Start-up loading: appends accounts 0, 1, 2, ... up to the first that
    // cannot be loaded, each made due at `now` (as its periods allow).
    // Returns how many were loaded.
    std::size_t LoadAccounts(TimeValue now);
    // Rewrites the whole "Accounts" key: the accounts numbered from 0 in list order.
    void SaveAllAccounts() const;

private:
    Items m_items;
};
