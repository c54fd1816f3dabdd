// The account sheet: one account's connection, its check times and periods,
// and a page on firewalls. It always edits `m_account`, a working copy the
// caller assigns before DoModal and takes back after IDOK.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "lumkit/LumPropertySheet.h"
#include "postling/engine/Pop3Session.h"
#include "postling/model/Account.h"
#include "postling/res/resource.h"

class CAccountProperties;

// Page 1: name, server, protocol, port, security, user, password, options.
class CAccountPropertiesPage1 : public CLumPropertyPage {
public:
    enum { IDD = IDD_ACCOUNT_CONNECTION };
    explicit CAccountPropertiesPage1(CAccountProperties* sheet);

    // The longest user name or password a POP3 command line holds.
    static constexpr std::size_t kMaxCredential = Pop3Session::kMaxCredential;
    // The default port of a security choice.
    static int DefaultPort(int security);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAccountPropertiesPage1;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnNameChange();
    void OnSecurityChange();
    void OnAcceptCertificate();
    void OnForgetCertificate();

private:
    void ShowCertificate();

    CAccountProperties* m_pSheet;
    int m_nSecurityShown = 0;  // the choice the port last followed
};

// Page 2: time-out, interval and the two period lists.
class CAccountPropertiesPage2 : public CLumPropertyPage {
public:
    enum { IDD = IDD_ACCOUNT_TIMES };
    explicit CAccountPropertiesPage2(CAccountProperties* sheet);

    static constexpr int kIntervalRows = 16;
    static constexpr int kTimeOutRows = 9;
    static const int kIntervalSeconds[kIntervalRows];
    static const int kTimeOutSeconds[kTimeOutRows];
    // The row of `seconds` in a table, or `fallback`.
    static int RowOf(const int* table, int rows, int seconds, int fallback);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAccountPropertiesPage2;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    LRESULT OnScroll(WPARAM wParam, LPARAM lParam);
    void OnPeriodsChecked();
    void OnEditCheckPeriods();
    void OnEditUncheckPeriods();

private:
    void ShowLabels();
    void EnablePeriodButtons();
    void EditPeriods(CIntervalList& list, UINT titleId, UINT textId);

    CAccountProperties* m_pSheet;
};

// Page 3: firewalls are not supported; only a notice.
class CAccountPropertiesPage3 : public CLumPropertyPage {
public:
    enum { IDD = IDD_ACCOUNT_FIREWALL };
    explicit CAccountPropertiesPage3(CAccountProperties* sheet);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAccountPropertiesPage3;

protected:
    bool OnInitDialog() override;

private:
    CAccountProperties* m_pSheet;
};

class CAccountProperties : public CLumPropertySheet {
public:
    explicit CAccountProperties(CWnd* parent = nullptr);
    ~CAccountProperties() override;

    // Sets the caption: "Добавление" or "Свойства", and ": name" when the
    // name is not empty.
    void UpdateCaption(const std::string& name);

    CAccountPropertiesPage1 m_page1;
    CAccountPropertiesPage2 m_page2;
    CAccountPropertiesPage3 m_page3;
    CAccount m_account;  // the working copy
    int m_nAdding = 0;   // > 0 while a new account is made
    // The certificate the account's last check refused, offered for
    // acceptance (64 hex digits; empty: none).
    std::string m_strOfferedCertificate;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAccountProperties;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    LRESULT OnCreateSheet(WPARAM wParam, LPARAM lParam);
};
