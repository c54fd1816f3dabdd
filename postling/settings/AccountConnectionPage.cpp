// Page 1 of the account sheet: the connection.
#include "postling/settings/AccountProperties.h"

#include <commctrl.h>

#include "framework/ResourceChain.h"
#include "lumkit/LumDdx.h"
#include "lumkit/LumNumberEdit.h"
#include "lumkit/LumText.h"

namespace {

// Every TCP port (the old limit of 32,000 shut out servers on higher ports).
constexpr int kMaxPort = 65535;
constexpr int kPlainPort = 110;

void FillCombo(HWND window, int id, UINT stringId) {
    for (int line = 0;; ++line) {
        const std::string item = ResSubString(stringId, line, '\n');
        if (item.empty()) break;
        SendDlgItemMessageA(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
}

// Text that must not reach a command line: line breaks would add commands
// of their own, and a NUL would cut the value short.
bool BreaksALine(const std::string& text) { return text.find_first_of(std::string("\r\n\0", 3)) != std::string::npos; }

}  // namespace

const CRuntimeClass CAccountPropertiesPage1::classCAccountPropertiesPage1 = {
    "CAccountPropertiesPage1", sizeof(CAccountPropertiesPage1), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CAccountPropertiesPage1::GetRuntimeClass() const { return &classCAccountPropertiesPage1; }

const MessageMapEntry CAccountPropertiesPage1::messageEntries[] = {
    On::Control<&CAccountPropertiesPage1::OnNameChange>(EN_CHANGE, IDC_ACCOUNT_NAME),
    On::Control<&CAccountPropertiesPage1::OnSecurityChange>(CBN_SELCHANGE, IDC_ACCOUNT_SECURITY),
    On::Command<&CAccountPropertiesPage1::OnAcceptCertificate>(IDC_ACCOUNT_ACCEPT_CERTIFICATE),
    On::Command<&CAccountPropertiesPage1::OnForgetCertificate>(IDC_ACCOUNT_FORGET_CERTIFICATE),
    On::End(),
};
const MessageMap CAccountPropertiesPage1::messageMap = {&CLumPropertyPage::messageMap,
                                                        CAccountPropertiesPage1::messageEntries};

const MessageMap* CAccountPropertiesPage1::GetMessageMap() const { return &messageMap; }

CAccountPropertiesPage1::CAccountPropertiesPage1(CAccountProperties* sheet)
    : CLumPropertyPage(IDD, 0), m_pSheet(sheet) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

int CAccountPropertiesPage1::DefaultPort(int security) {
    return security == CAccount::SECURITY_TLS ? CAccount::kTlsPort : kPlainPort;
}

bool CAccountPropertiesPage1::OnInitDialog() {
    FillCombo(m_hWnd, IDC_ACCOUNT_PROTOCOL, IDS_ACCOUNT_PROTOCOLS);
    FillCombo(m_hWnd, IDC_ACCOUNT_SECURITY, IDS_ACCOUNT_SECURITY_CHOICES);
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_SERVER, EM_LIMITTEXT, 255, 0);
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_USER, EM_LIMITTEXT, kMaxCredential, 0);
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_PASSWORD, EM_LIMITTEXT, kMaxCredential, 0);
    CLumPropertyPage::OnInitDialog();
    m_nSecurityShown = m_pSheet->m_account.m_nSecurity;
    ShowCertificate();
    m_pSheet->UpdateCaption(GetDlgItemText(IDC_ACCOUNT_NAME));
    return true;
}

void CAccountPropertiesPage1::DoDataExchange(CDataExchange* dx) {
    CLumPropertyPage::DoDataExchange(dx);
    CAccount& account = m_pSheet->m_account;
    if (!dx->m_bSaveAndValidate) {
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_NAME, account.m_strName.c_str());
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_SERVER, account.m_strServer.c_str());
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_USER, account.m_strUser.c_str());
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_PASSWORD, account.m_strPassword.c_str());
        int protocol = account.m_nProtocol >= 0 && account.m_nProtocol <= 2 ? account.m_nProtocol : 0;
        DDX_CBIndex(dx, IDC_ACCOUNT_PROTOCOL, protocol);
        int security = account.m_nSecurity >= CAccount::SECURITY_NONE && account.m_nSecurity <= CAccount::SECURITY_STLS
                           ? account.m_nSecurity
                           : CAccount::SECURITY_TLS;
        DDX_CBIndex(dx, IDC_ACCOUNT_SECURITY, security);
        int port = account.m_nPort;
        DDX_NumberSpin32(dx, IDC_ACCOUNT_PORT, IDC_ACCOUNT_PORT_SPIN, port, 0, 0, kMaxPort, 1);
        UINT options = account.m_dwOptions;
        DDX_CheckFlag(dx, IDC_ACCOUNT_ASK_PASSWORD, options, CAccount::OPT_ASK_PASSWORD);
        DDX_CheckFlag(dx, IDC_ACCOUNT_REPORT_ERRORS, options, CAccount::OPT_REPORT_ERRORS);
        return;
    }

    // Taking the values: blanks around the names go; what a check needs must be there.
    std::string name = TrimSpaces(GetDlgItemText(IDC_ACCOUNT_NAME));
    const std::string server = TrimSpaces(GetDlgItemText(IDC_ACCOUNT_SERVER));
    const std::string user = TrimSpaces(GetDlgItemText(IDC_ACCOUNT_USER));
    const std::string password = GetDlgItemText(IDC_ACCOUNT_PASSWORD);
    if (server.empty()) FailValidation(IDC_ACCOUNT_SERVER, IDS_ACCOUNT_NEED_SERVER);
    if (user.empty()) FailValidation(IDC_ACCOUNT_USER, IDS_NEED_USER_NAME);
    if (password.empty()) FailValidation(IDC_ACCOUNT_PASSWORD, IDS_NEED_PASSWORD);
    if (BreaksALine(server)) FailValidation(IDC_ACCOUNT_SERVER, IDS_ACCOUNT_LINE_BREAK);
    if (BreaksALine(user)) FailValidation(IDC_ACCOUNT_USER, IDS_ACCOUNT_LINE_BREAK);
    if (BreaksALine(password)) FailValidation(IDC_ACCOUNT_PASSWORD, IDS_ACCOUNT_LINE_BREAK);
    if (user.size() > kMaxCredential) FailValidation(IDC_ACCOUNT_USER, IDS_ACCOUNT_TOO_LONG);
    if (password.size() > kMaxCredential) FailValidation(IDC_ACCOUNT_PASSWORD, IDS_ACCOUNT_TOO_LONG);
    int protocol = 0;
    DDX_CBIndex(dx, IDC_ACCOUNT_PROTOCOL, protocol);
    if (protocol != 0) FailValidation(IDC_ACCOUNT_PROTOCOL, IDS_ACCOUNT_POP3_ONLY);
    int security = 0;
    DDX_CBIndex(dx, IDC_ACCOUNT_SECURITY, security);
    int port = 0;
    DDX_NumberSpin32(dx, IDC_ACCOUNT_PORT, IDC_ACCOUNT_PORT_SPIN, port, 0, 0, kMaxPort, 1);
    UINT options = account.m_dwOptions;
    DDX_CheckFlag(dx, IDC_ACCOUNT_ASK_PASSWORD, options, CAccount::OPT_ASK_PASSWORD);
    DDX_CheckFlag(dx, IDC_ACCOUNT_REPORT_ERRORS, options, CAccount::OPT_REPORT_ERRORS);

    if (name.empty()) name = server + " (" + user + ")";
    account.m_strName = name;
    account.m_strServer = server;
    account.m_strUser = user;
    account.m_strPassword = password;
    account.m_nProtocol = protocol;
    account.m_nSecurity = security < 0 ? CAccount::SECURITY_TLS : security;
    account.m_nPort = port;
    account.m_dwOptions = options;
}

void CAccountPropertiesPage1::OnNameChange() { m_pSheet->UpdateCaption(GetDlgItemText(IDC_ACCOUNT_NAME)); }

// The port follows the security choice while it is the previous choice's default.
void CAccountPropertiesPage1::OnSecurityChange() {
    const int security = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_SECURITY, CB_GETCURSEL, 0, 0));
    if (security < 0) return;
    const std::string port = TrimSpaces(GetDlgItemText(IDC_ACCOUNT_PORT));
    if (port == std::to_string(DefaultPort(m_nSecurityShown)))
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_PORT, std::to_string(DefaultPort(security)).c_str());
    m_nSecurityShown = security;
}

void CAccountPropertiesPage1::OnAcceptCertificate() {
    m_pSheet->m_account.m_strCertificate = m_pSheet->m_strOfferedCertificate;
    ShowCertificate();
}

void CAccountPropertiesPage1::OnForgetCertificate() {
    m_pSheet->m_account.m_strCertificate.clear();
    ShowCertificate();
}

// The accepted certificate, else the one offered; the button that applies.
void CAccountPropertiesPage1::ShowCertificate() {
    const std::string& accepted = m_pSheet->m_account.m_strCertificate;
    const std::string& offered = m_pSheet->m_strOfferedCertificate;
    const bool offer = !offered.empty() && offered != accepted;
    const int line = !accepted.empty() && !offer ? 0 : offer ? 1 : 2;
    SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_CERTIFICATE_LABEL, ResSubString(IDS_ACCOUNT_CERTIFICATE_STATES, line, '\n').c_str());
    SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_CERTIFICATE, offer ? offered.c_str() : accepted.c_str());
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACCOUNT_ACCEPT_CERTIFICATE), offer);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_ACCOUNT_FORGET_CERTIFICATE), !accepted.empty());
}
