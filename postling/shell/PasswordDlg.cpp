#include "postling/shell/PasswordDlg.h"

#include "framework/ResourceChain.h"
#include "framework/SysColorBitmap.h"
#include "framework/WinApp.h"
#include "postling/engine/Event.h"
#include "postling/model/Account.h"
#include "postling/res/resource.h"

const CRuntimeClass CPasswordDlg::classCPasswordDlg = {"CPasswordDlg", sizeof(CPasswordDlg),
                                                       &CLumDialog::classCLumDialog, nullptr};

const CRuntimeClass* CPasswordDlg::GetRuntimeClass() const { return &classCPasswordDlg; }

CPasswordDlg::CPasswordDlg(CAccount& account, Event& answered)
    : CLumDialog(IDD_PASSWORD), m_account(account), m_answered(answered) {}

bool CPasswordDlg::Open() {
    if (!Create(IDD_PASSWORD, nullptr)) return false;
    SetForegroundWindow(m_hWnd);
    ShowWindow(SW_SHOW);
    return true;
}

bool CPasswordDlg::OnInitDialog() {
    m_account.m_bPasswordReply = 0;
    m_strUser = m_account.m_strUser;
    m_strPassword = m_account.m_strPassword;
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PASSWORD, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    m_hPicture = AfxLoadSysColorBitmap(MAKEINTRESOURCEA(IDB_PASSWORD));
    if (m_hPicture) SendDlgItemMessageA(m_hWnd, IDC_PASSWORD_PICTURE, STM_SETIMAGE, IMAGE_BITMAP,
                                        reinterpret_cast<LPARAM>(m_hPicture));
    SetDlgItemTextA(m_hWnd, IDC_PASSWORD_ERROR, m_account.m_strLoginError.c_str());
    CLumDialog::OnInitDialog();
    // The password box first: the name is usually right.
    GotoDlgCtrl(GetDlgItem(IDC_PASSWORD_PASSWORD));
    return false;
}

void CPasswordDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Text(dx, IDC_PASSWORD_USER, m_strUser);
    DDX_Text(dx, IDC_PASSWORD_PASSWORD, m_strPassword);
    if (!dx->m_bSaveAndValidate) return;
    if (m_strUser.empty()) FailValidation(IDC_PASSWORD_USER, IDS_NEED_USER_NAME);
    if (m_strPassword.empty()) FailValidation(IDC_PASSWORD_PASSWORD, IDS_NEED_PASSWORD);
}

void CPasswordDlg::OnOK() {
    if (!UpdateData(true)) return;
    m_account.m_strUser = m_strUser;
    m_account.m_strPassword = m_strPassword;
    m_account.m_bPasswordReply = 1;
    DestroyWindow();
}

void CPasswordDlg::OnCancel() { DestroyWindow(); }

void CPasswordDlg::PostNcDestroy() {
    if (m_hPicture) DeleteObject(m_hPicture);
    m_answered.Set();
    delete this;
}
