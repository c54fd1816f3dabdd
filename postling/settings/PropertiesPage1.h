// The settings sheet's accounts page: the working copies of the accounts in
// a list, added, edited and deleted through the account sheet. Accepting it
// hands the copies to the live accounts.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/ImageList.h"
#include "lumkit/LumDialogToolbar.h"
#include "lumkit/LumListCtrl.h"
#include "lumkit/LumPropertySheet.h"
#include "postling/engine/AccountEdits.h"
#include "postling/model/Account.h"
#include "postling/res/resource.h"

class CPropertiesPage1 : public CLumPropertyPage {
public:
    enum { IDD = IDD_PROPERTIES_ACCOUNTS };

    // What accepting the page does with the copies (the program hands them
    // to its live accounts); false keeps the sheet open.
    using AcceptAccounts = std::function<bool(const std::vector<const CAccount*>& edited)>;
    // The certificate the last check of an account refused, offered in its
    // sheet (empty: none).
    using OfferedCertificate = std::function<std::string(const CAccount& account)>;

    CPropertiesPage1(AcceptAccounts accept, OfferedCertificate offered);
    ~CPropertiesPage1() override;

    std::vector<std::unique_ptr<CAccount>> m_accounts;  // the working copies, in list order
    bool m_bChanged = false;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPropertiesPage1;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnApply() override;
    // Enter, Insert and Delete in the list are the page's commands.
    bool PreTranslateMessage(MSG* msg) override;

    void OnAdd();
    void OnDelete();
    void OnProperties();
    void OnUpdateSelected(CCmdUI* ui);
    void OnDoubleClick(NMHDR* header, LRESULT* result);

private:
    CAccount* Selected();
    // The account's row, added at the end when it has none.
    int ShowAccount(CAccount* account);
    void Select(int row);

    AcceptAccounts m_accept;
    OfferedCertificate m_offered;
    CLumListCtrl m_list;
    CLumDialogToolbar m_toolbar;
    CImageList m_images;
};
