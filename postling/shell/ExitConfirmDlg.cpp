#include "postling/shell/ExitConfirmDlg.h"

#include "framework/WinApp.h"
#include "postling/shell/MainFrame.h"

const CRuntimeClass CExitConfirmDlg::classCExitConfirmDlg = {"CExitConfirmDlg", sizeof(CExitConfirmDlg),
                                                             &CLumDialog::classCLumDialog, nullptr};

const CRuntimeClass* CExitConfirmDlg::GetRuntimeClass() const { return &classCExitConfirmDlg; }

const MessageMapEntry CExitConfirmDlg::messageEntries[] = {
    On::Command<&CExitConfirmDlg::OnYes>(IDYES),
    On::Command<&CExitConfirmDlg::OnNo>(IDNO),
    On::End(),
};
const MessageMap CExitConfirmDlg::messageMap = {&CLumDialog::messageMap, CExitConfirmDlg::messageEntries};

const MessageMap* CExitConfirmDlg::GetMessageMap() const { return &messageMap; }

CExitConfirmDlg::CExitConfirmDlg(HWND frame) : CLumDialog(IDD), m_hFrame(frame) {}

bool CExitConfirmDlg::OnInitDialog() {
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_NEWMAIL, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    ::SendDlgItemMessageA(m_hWnd, IDC_EXIT_CONFIRM_ICON, STM_SETICON,
                          reinterpret_cast<WPARAM>(LoadIconA(nullptr, IDI_QUESTION)), 0);
    return CLumDialog::OnInitDialog();
}

void CExitConfirmDlg::OnYes() {
    ::PostMessageA(m_hFrame, WM_COMMAND, ID_APP_EXIT, 0);
    EndDialog(IDYES);
}

void CExitConfirmDlg::OnNo() { EndDialog(IDNO); }

void CExitConfirmDlg::PostNcDestroy() {
    auto* frame = dynamic_cast<CMainFrame*>(CWnd::FromHandlePermanent(m_hFrame));
    if (frame && frame->m_pExitConfirmDlg == this) frame->m_pExitConfirmDlg = nullptr;
    delete this;
}
