#include "postling/shell/AboutDlg.h"

#include <string>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "postling/shell/MainFrame.h"

namespace {

// A link that writes a letter about the program to the address of string `id`.
std::string MailLink(UINT id) {
    std::string address;
    AfxLoadString(id, address);
    return "mailto:" + address + "?subject=About%20Post%20Sentry";
}

}  // namespace

const CRuntimeClass CAboutDlg::classCAboutDlg = {"CAboutDlg", sizeof(CAboutDlg), &CLumDialog::classCLumDialog,
                                                 nullptr};

const CRuntimeClass* CAboutDlg::GetRuntimeClass() const { return &classCAboutDlg; }

CAboutDlg::CAboutDlg(HWND frame) : CLumDialog(IDD), m_hFrame(frame) {}

bool CAboutDlg::OnInitDialog() {
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_NEWMAIL, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    m_linkVarnek.m_strURL = MailLink(IDS_ABOUT_MAIL_VARNEK);
    m_linkSoltu.m_strURL = MailLink(IDS_ABOUT_MAIL_SOLTU);
    return CLumDialog::OnInitDialog();
}

void CAboutDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ABOUT_LINK_VARNEK, m_linkVarnek);
    DDX_Control(dx, IDC_ABOUT_LINK_SOLTU, m_linkSoltu);
}

void CAboutDlg::PostNcDestroy() {
    auto* frame = dynamic_cast<CMainFrame*>(CWnd::FromHandlePermanent(m_hFrame));
    if (frame && frame->m_pAboutDlg == this) frame->m_pAboutDlg = nullptr;
    delete this;
}
