#include "postling/settings/PropertiesPage1.h"

#include <commctrl.h>

#include "framework/ResourceChain.h"
#include "lumkit/LumText.h"
#include "postling/settings/AccountProperties.h"

namespace {

constexpr int kNameWidth = 200;
constexpr int kColumnWidth = 120;

// The interval as the account sheet's slider names it, else in seconds.
std::string IntervalText(std::int32_t seconds) {
    const int row = CAccountPropertiesPage2::RowOf(CAccountPropertiesPage2::kIntervalSeconds,
                                                   CAccountPropertiesPage2::kIntervalRows, seconds, -1);
    if (row >= 0) return ResSubString(IDS_ACCOUNT_INTERVALS, row, '\n');
    return std::to_string(seconds) + " s";
}

}  // namespace

const CRuntimeClass CPropertiesPage1::classCPropertiesPage1 = {
    "CPropertiesPage1", sizeof(CPropertiesPage1), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CPropertiesPage1::GetRuntimeClass() const { return &classCPropertiesPage1; }

const MessageMapEntry CPropertiesPage1::messageEntries[] = {
    On::Command<&CPropertiesPage1::OnAdd>(ID_ACCOUNT_ADD),
    On::Command<&CPropertiesPage1::OnDelete>(ID_ACCOUNT_DELETE),
    On::Update<&CPropertiesPage1::OnUpdateSelected>(ID_ACCOUNT_DELETE),
    On::Command<&CPropertiesPage1::OnProperties>(ID_ACCOUNT_PROPERTIES),
    On::Update<&CPropertiesPage1::OnUpdateSelected>(ID_ACCOUNT_PROPERTIES),
    On::Notify<&CPropertiesPage1::OnDoubleClick>(NM_DBLCLK, IDC_ACCOUNTS_LIST),
    On::End(),
};
const MessageMap CPropertiesPage1::messageMap = {&CLumPropertyPage::messageMap, CPropertiesPage1::messageEntries};

const MessageMap* CPropertiesPage1::GetMessageMap() const { return &messageMap; }

CPropertiesPage1::CPropertiesPage1(AcceptAccounts accept, OfferedCertificate offered)
    : CLumPropertyPage(IDD, 0), m_accept(std::move(accept)), m_offered(std::move(offered)) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

CPropertiesPage1::~CPropertiesPage1() {
    // The list goes before its images.
    if (m_hWnd) DestroyWindow();
}

void CPropertiesPage1::DoDataExchange(CDataExchange* dx) {
    CLumPropertyPage::DoDataExchange(dx);
    DDX_Control(dx, IDC_ACCOUNTS_TOOLBAR, m_toolbar);
    DDX_Control(dx, IDC_ACCOUNTS_LIST, m_list);
}

bool CPropertiesPage1::OnInitDialog() {
    CLumPropertyPage::OnInitDialog();
    m_toolbar.LoadToolbar(MAKEINTRESOURCEA(IDR_ACCOUNTS));
    AddContextMenu(IDC_ACCOUNTS_LIST, IDR_ACCOUNTS, ID_ACCOUNT_PROPERTIES);
    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP);
    if (m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0)) {
        const LPCSTR name = MAKEINTRESOURCEA(IDI_ACCOUNT);
        HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
        HICON icon = module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0)) : nullptr;
        m_images.Add(icon);
        if (icon) DestroyIcon(icon);
    }
    m_list.SetImageList(m_images.GetSafeHandle(), LVSIL_SMALL);
    for (int column = 0; column < 3; ++column) {
        m_list.InsertColumn(column, ResSubString(IDS_ACCOUNTS_COLUMNS, column, '\n').c_str(),
                            column == 0 ? LVCFMT_LEFT : LVCFMT_CENTER, column == 0 ? kNameWidth : kColumnWidth);
    }
    m_list.LoadColumns();
    for (auto& account : m_accounts) ShowAccount(account.get());
    return true;
}

bool CPropertiesPage1::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_list.m_hWnd) {
        UINT command = 0;
        switch (msg->wParam) {
            case VK_RETURN: command = ID_ACCOUNT_PROPERTIES; break;
            case VK_INSERT: command = ID_ACCOUNT_ADD; break;
            case VK_DELETE: command = ID_ACCOUNT_DELETE; break;
            default: break;
        }
        if (command) {
            PostMessage(WM_COMMAND, command, 0);
            return true;
        }
    }
    return CLumPropertyPage::PreTranslateMessage(msg);
}

CAccount* CPropertiesPage1::Selected() {
    const int row = m_list.GetNextItem(-1, LVNI_SELECTED);
    return row < 0 ? nullptr : reinterpret_cast<CAccount*>(m_list.GetItemData(row));
}

int CPropertiesPage1::ShowAccount(CAccount* account) {
    int row = m_list.FindItemByData(reinterpret_cast<LPARAM>(account));
    if (row < 0)
        row = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, m_list.GetItemCount(), "", 0, 0, 0,
                                reinterpret_cast<LPARAM>(account));
    if (row < 0) return row;
    m_list.SetItemText(row, 0, account->m_strName.c_str());
    m_list.SetItemText(row, 1, account->m_strServer.c_str());
    m_list.SetItemText(row, 2, IntervalText(account->m_nInterval).c_str());
    return row;
}

void CPropertiesPage1::Select(int row) {
    if (row < 0) return;
    m_list.SetFocus();
    m_list.EnsureVisible(row, false);
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

void CPropertiesPage1::OnAdd() {
    CAccountProperties sheet(this);
    sheet.m_nAdding = 1;
    if (sheet.DoModal() != IDOK) return;
    m_accounts.push_back(std::make_unique<CAccount>(sheet.m_account));
    Select(ShowAccount(m_accounts.back().get()));
    m_bChanged = true;
}

void CPropertiesPage1::OnProperties() {
    CAccount* account = Selected();
    if (!account) return;
    CAccountProperties sheet(this);
    sheet.m_account = *account;
    if (m_offered) sheet.m_strOfferedCertificate = m_offered(*account);
    if (sheet.DoModal() != IDOK) return;
    *account = sheet.m_account;
    Select(ShowAccount(account));
    m_bChanged = true;
}

void CPropertiesPage1::OnDelete() {
    CAccount* account = Selected();
    if (!account) return;
    if (ShowMessage(IDS_ACCOUNTS_DELETE_QUESTION, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    const int row = m_list.FindItemByData(reinterpret_cast<LPARAM>(account));
    if (row >= 0) m_list.DeleteItem(row);
    for (auto it = m_accounts.begin(); it != m_accounts.end(); ++it) {
        if (it->get() == account) {
            m_accounts.erase(it);
            break;
        }
    }
    m_bChanged = true;
}

void CPropertiesPage1::OnUpdateSelected(CCmdUI* ui) { ui->Enable(m_list.GetNextItem(-1, LVNI_SELECTED) >= 0); }

void CPropertiesPage1::OnDoubleClick(NMHDR*, LRESULT* result) {
    PostMessage(WM_COMMAND, ID_ACCOUNT_PROPERTIES, 0);
    *result = 0;
}

bool CPropertiesPage1::OnApply() {
    if (m_bChanged && m_accept) {
        std::vector<const CAccount*> edited;
        for (const auto& account : m_accounts) edited.push_back(account.get());
        if (!m_accept(edited)) return false;
    }
    return CLumPropertyPage::OnApply();
}
