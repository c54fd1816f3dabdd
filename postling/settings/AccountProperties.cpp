#include "postling/settings/AccountProperties.h"

#include <commctrl.h>

#include "framework/WinApp.h"
#include "postling/model/TextFormat.h"

// ---- Page 3 ----

const CRuntimeClass CAccountPropertiesPage3::classCAccountPropertiesPage3 = {
    "CAccountPropertiesPage3", sizeof(CAccountPropertiesPage3), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CAccountPropertiesPage3::GetRuntimeClass() const { return &classCAccountPropertiesPage3; }

CAccountPropertiesPage3::CAccountPropertiesPage3(CAccountProperties* sheet)
    : CLumPropertyPage(IDD, 0), m_pSheet(sheet) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

bool CAccountPropertiesPage3::OnInitDialog() {
    CLumPropertyPage::OnInitDialog();
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_FIREWALL_ICON, STM_SETICON,
                        reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_INFORMATION)), 0);
    return true;
}

// ---- The sheet ----

const CRuntimeClass CAccountProperties::classCAccountProperties = {
    "CAccountProperties", sizeof(CAccountProperties), &CLumPropertySheet::classCLumPropertySheet, nullptr};

const CRuntimeClass* CAccountProperties::GetRuntimeClass() const { return &classCAccountProperties; }

const MessageMapEntry CAccountProperties::messageEntries[] = {
    On::Message<&CAccountProperties::OnCreateSheet>(WM_CREATE),
    On::End(),
};
const MessageMap CAccountProperties::messageMap = {&CLumPropertySheet::messageMap, CAccountProperties::messageEntries};

const MessageMap* CAccountProperties::GetMessageMap() const { return &messageMap; }

CAccountProperties::CAccountProperties(CWnd* parent)
    : CLumPropertySheet("", parent), m_page1(this), m_page2(this), m_page3(this) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    m_psh.dwFlags |= PSH_NOAPPLYNOW;
    m_psh.dwFlags &= ~static_cast<DWORD>(PSH_HASHELP);
    AddPage(&m_page1);
    AddPage(&m_page2);
    AddPage(&m_page3);
}

CAccountProperties::~CAccountProperties() {
    if (m_hWnd) DestroyWindow();
}

void CAccountProperties::UpdateCaption(const std::string& name) {
    std::string caption = LoadStringResource(m_nAdding > 0 ? IDS_ACCOUNT_ADDING : IDS_ACCOUNT_CHANGING);
    if (!name.empty()) caption += ": " + name;
    if (m_hWnd) SetWindowText(caption.c_str());
}

LRESULT CAccountProperties::OnCreateSheet(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CLumPropertySheet::OnCreate(wParam, lParam);
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_ACCOUNT, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    return result;
}
