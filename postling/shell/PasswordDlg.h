// The password prompt: opened by the main frame when a server rejected an
// account's user name or password. The checking thread waits until the
// window is gone, whichever way it went; OK hands the new user name and
// password to the account (they reach the registry with the accounts at exit).
#pragma once

#include <string>

#include "lumkit/LumDialog.h"

class CAccount;
class Event;

class CPasswordDlg : public CLumDialog {
public:
    // `answered` is set when the window has been destroyed.
    CPasswordDlg(CAccount& account, Event& answered);

    // Creates the modeless prompt (no owner), in front and focused. False
    // when it cannot be made; the caller still owns the object then.
    bool Open();

    CAccount& Account() const { return m_account; }

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPasswordDlg;

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;
    void OnCancel() override;
    // The waiting thread goes on; the object ends with its window.
    void PostNcDestroy() override;

private:
    CAccount& m_account;
    Event& m_answered;
    std::string m_strUser;
    std::string m_strPassword;
    HBITMAP m_hPicture = nullptr;
};
