#include "postling/settings/Properties.h"

#include <mutex>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "postling/engine/AccountEdits.h"
#include "postling/model/AccountList.h"
#include "postling/shell/ShellHost.h"

const CRuntimeClass CProperties::classCProperties = {"CProperties", sizeof(CProperties),
                                                     &CLumPropertySheet::classCLumPropertySheet, nullptr};

const CRuntimeClass* CProperties::GetRuntimeClass() const { return &classCProperties; }

CProperties::CProperties(ShellHost& host, CSounds* sounds, HWND mainFrame, std::vector<LanguageEntry> languages)
    : CLumPropertySheet(IDS_PROPERTIES_TITLE, nullptr),
      m_page3(host.GetSettings(), std::move(languages)),
      m_page1([this](const std::vector<const CAccount*>& edited) { return AcceptAccounts(edited); },
              [this](const CAccount& account) { return OfferedCertificate(account); }),
      m_page2(host.GetRules(), sounds, &host.GetSettings(), mainFrame),
      m_host(host) {
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    AddPage(&m_page3);
    AddPage(&m_page1);
    AddPage(&m_page2);

    // The working copies: an account to be removed is left out, one with an
    // edit waiting for its check contributes the edit.
    for (auto& account : host.GetAccounts()) {
        std::lock_guard<std::recursive_mutex> lock(account->m_lock);
        if (account->m_nPendingAction == CAccount::PENDING_DELETE) continue;
        const CAccount& source = account->m_nPendingAction == CAccount::PENDING_REPLACE && account->m_pPending
                                     ? *account->m_pPending
                                     : *account;
        m_page1.m_accounts.push_back(std::make_unique<CAccount>(source));
    }
    m_page2.CopyRulesFrom(host.GetRules());
}

CProperties::~CProperties() {
    if (m_hWnd) DestroyWindow();
}

bool CProperties::Open() {
    if (!Create(nullptr)) return false;
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_NEWMAIL, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    std::string title;
    AfxLoadString(IDS_PROPERTIES_TITLE, title);
    SetWindowText(title.c_str());
    // In the middle of the work area: it has no owner to be placed over.
    RECT work = {}, rect = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    ::GetWindowRect(m_hWnd, &rect);
    ::SetWindowPos(m_hWnd, nullptr, work.left + (work.right - work.left - (rect.right - rect.left)) / 2,
                 work.top + (work.bottom - work.top - (rect.bottom - rect.top)) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return true;
}

void CProperties::Activate() {
    if (!m_hWnd) return;
    ShowWindow(SW_SHOW);
    if (IsIconic(m_hWnd)) ShowWindow(SW_RESTORE);
    ::SetForegroundWindow(::GetLastActivePopup(m_hWnd));
}

bool CProperties::IsChildDialogActive() const {
    return m_hWnd && ::GetLastActivePopup(m_hWnd) != m_hWnd;
}

void CProperties::AddRuleFromMessage(const CMessage& message, int kind) {
    SetActivePage(&m_page2);
    m_page2.AddRuleFromMessage(message, kind);
}

void CProperties::ShowAccountsPage() { SetActivePage(&m_page1); }

void CProperties::Close() {
    if (m_hWnd) DestroyWindow();
}

void CProperties::PostNcDestroy() {
    if (m_onDestroyed) m_onDestroyed();
    delete this;
}

bool CProperties::AcceptAccounts(const std::vector<const CAccount*>& edited) {
    AccountEditResult result = ApplyAccountEdits(m_host.GetAccounts(), edited, CurrentTime());
    // Records of a removed account outlive it; they must not point at it.
    for (const auto& removed : result.removed)
        for (auto& record : m_host.GetErrors())
            if (record->m_pAccount == removed.get()) record->m_pAccount = nullptr;
    if (!result.allApplied) m_page1.ShowMessage(IDS_PROPERTIES_BUSY_ACCOUNTS, MB_OK | MB_ICONINFORMATION);
    return true;
}

// The fingerprint of the newest certificate error of the account.
std::string CProperties::OfferedCertificate(const CAccount& account) const {
    const ErrorList& errors = m_host.GetErrors();
    for (auto it = errors.rbegin(); it != errors.rend(); ++it) {
        const ErrorRecord& record = **it;
        if (record.m_strFingerprint.empty() || !record.m_pAccount) continue;
        if (record.m_pAccount->IsSameAccount(account)) return record.m_strFingerprint;
    }
    return std::string();
}
