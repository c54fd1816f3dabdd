// Page 2 of the account sheet: time-out, interval and check periods.
#include "postling/settings/AccountProperties.h"

#include <commctrl.h>

#include "lumkit/LumText.h"
#include "postling/model/TextFormat.h"
#include "postling/settings/PeriodListDlg.h"

namespace {

constexpr int kDefaultIntervalRow = 6;  // 600 seconds
constexpr int kDefaultTimeOutRow = 3;   // 60 seconds

bool IsChecked(HWND window, int id) { return IsDlgButtonChecked(window, id) == BST_CHECKED; }

}  // namespace

const int CAccountPropertiesPage2::kIntervalSeconds[kIntervalRows] = {
    10, 30, 60, 90, 120, 300, 600, 900, 1200, 1800, 3600, 5400, 7200, 9000, 10800, 18000};
const int CAccountPropertiesPage2::kTimeOutSeconds[kTimeOutRows] = {10, 20, 30, 60, 90, 120, 180, 300, 600};

const CRuntimeClass CAccountPropertiesPage2::classCAccountPropertiesPage2 = {
    "CAccountPropertiesPage2", sizeof(CAccountPropertiesPage2), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CAccountPropertiesPage2::GetRuntimeClass() const { return &classCAccountPropertiesPage2; }

const MessageMapEntry CAccountPropertiesPage2::messageEntries[] = {
    On::Message<&CAccountPropertiesPage2::OnScroll>(WM_HSCROLL),
    On::Command<&CAccountPropertiesPage2::OnPeriodsChecked>(IDC_ACCOUNT_CHECK_PERIODS),
    On::Command<&CAccountPropertiesPage2::OnPeriodsChecked>(IDC_ACCOUNT_UNCHECK_PERIODS),
    On::Command<&CAccountPropertiesPage2::OnEditCheckPeriods>(IDC_ACCOUNT_EDIT_CHECK_PERIODS),
    On::Command<&CAccountPropertiesPage2::OnEditUncheckPeriods>(IDC_ACCOUNT_EDIT_UNCHECK_PERIODS),
    On::End(),
};
const MessageMap CAccountPropertiesPage2::messageMap = {&CLumPropertyPage::messageMap,
                                                        CAccountPropertiesPage2::messageEntries};

const MessageMap* CAccountPropertiesPage2::GetMessageMap() const { return &messageMap; }

CAccountPropertiesPage2::CAccountPropertiesPage2(CAccountProperties* sheet)
    : CLumPropertyPage(IDD, 0), m_pSheet(sheet) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
}

int CAccountPropertiesPage2::RowOf(const int* table, int rows, int seconds, int fallback) {
    for (int row = 0; row < rows; ++row)
        if (table[row] == seconds) return row;
    return fallback;
}

bool CAccountPropertiesPage2::OnInitDialog() {
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_TIMEOUT, TBM_SETRANGE, FALSE, MAKELPARAM(0, kTimeOutRows - 1));
    SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_INTERVAL, TBM_SETRANGE, FALSE, MAKELPARAM(0, kIntervalRows - 1));
    CLumPropertyPage::OnInitDialog();
    return true;
}

void CAccountPropertiesPage2::DoDataExchange(CDataExchange* dx) {
    CLumPropertyPage::DoDataExchange(dx);
    CAccount& account = m_pSheet->m_account;
    if (!dx->m_bSaveAndValidate) {
        const int interval = RowOf(kIntervalSeconds, kIntervalRows, account.m_nInterval, kDefaultIntervalRow);
        const int timeOut = RowOf(kTimeOutSeconds, kTimeOutRows, account.m_nTimeOut, kDefaultTimeOutRow);
        SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_TIMEOUT, TBM_SETPOS, TRUE, timeOut);
        SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_INTERVAL, TBM_SETPOS, TRUE, kIntervalRows - 1 - interval);
        CheckDlgButton(m_hWnd, IDC_ACCOUNT_CHECK_PERIODS,
                       (account.m_dwOptions & CAccount::OPT_CHECK_PERIODS) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(m_hWnd, IDC_ACCOUNT_UNCHECK_PERIODS,
                       (account.m_dwOptions & CAccount::OPT_UNCHECK_PERIODS) ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_CHECK_PERIODS_TEXT, account.m_checkPeriods.Describe().c_str());
        SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_UNCHECK_PERIODS_TEXT, account.m_uncheckPeriods.Describe().c_str());
        ShowLabels();
        EnablePeriodButtons();
        return;
    }
    const int timeOut = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_TIMEOUT, TBM_GETPOS, 0, 0));
    const int interval = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_INTERVAL, TBM_GETPOS, 0, 0));
    if (timeOut >= 0 && timeOut < kTimeOutRows) account.m_nTimeOut = kTimeOutSeconds[timeOut];
    if (interval >= 0 && interval < kIntervalRows) account.m_nInterval = kIntervalSeconds[kIntervalRows - 1 - interval];
    const auto setBit = [&](int id, std::uint32_t bit) {
        if (IsChecked(m_hWnd, id))
            account.m_dwOptions |= bit;
        else
            account.m_dwOptions &= ~bit;
    };
    setBit(IDC_ACCOUNT_CHECK_PERIODS, CAccount::OPT_CHECK_PERIODS);
    setBit(IDC_ACCOUNT_UNCHECK_PERIODS, CAccount::OPT_UNCHECK_PERIODS);
}

LRESULT CAccountPropertiesPage2::OnScroll(WPARAM, LPARAM) {
    ShowLabels();
    return 0;
}

void CAccountPropertiesPage2::ShowLabels() {
    const int timeOut = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_TIMEOUT, TBM_GETPOS, 0, 0));
    const int interval = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_ACCOUNT_INTERVAL, TBM_GETPOS, 0, 0));
    SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_TIMEOUT_LABEL, ResSubString(IDS_ACCOUNT_TIMEOUTS, timeOut, '\n').c_str());
    SetDlgItemTextA(m_hWnd, IDC_ACCOUNT_INTERVAL_LABEL,
                    ResSubString(IDS_ACCOUNT_INTERVALS, kIntervalRows - 1 - interval, '\n').c_str());
}

void CAccountPropertiesPage2::OnPeriodsChecked() { EnablePeriodButtons(); }

void CAccountPropertiesPage2::EnablePeriodButtons() {
    const bool check = IsChecked(m_hWnd, IDC_ACCOUNT_CHECK_PERIODS);
    const bool uncheck = IsChecked(m_hWnd, IDC_ACCOUNT_UNCHECK_PERIODS);
    for (int id : {IDC_ACCOUNT_EDIT_CHECK_PERIODS, IDC_ACCOUNT_CHECK_PERIODS_TEXT})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), check);
    for (int id : {IDC_ACCOUNT_EDIT_UNCHECK_PERIODS, IDC_ACCOUNT_UNCHECK_PERIODS_TEXT})
        ::EnableWindow(::GetDlgItem(m_hWnd, id), uncheck);
}

void CAccountPropertiesPage2::OnEditCheckPeriods() {
    EditPeriods(m_pSheet->m_account.m_checkPeriods, IDS_PERIOD_CHECK_TITLE, IDC_ACCOUNT_CHECK_PERIODS_TEXT);
}

void CAccountPropertiesPage2::OnEditUncheckPeriods() {
    EditPeriods(m_pSheet->m_account.m_uncheckPeriods, IDS_PERIOD_NO_CHECK_TITLE, IDC_ACCOUNT_UNCHECK_PERIODS_TEXT);
}

void CAccountPropertiesPage2::EditPeriods(CIntervalList& list, UINT titleId, UINT textId) {
    CPeriodListDlg dialog(LoadStringResource(titleId), this);
    dialog.m_periods = list;
    if (dialog.DoModal() != IDOK) return;
    list = dialog.m_periods;
    SetDlgItemTextA(m_hWnd, static_cast<int>(textId), list.Describe().c_str());
}
