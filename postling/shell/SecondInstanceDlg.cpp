#include "postling/shell/SecondInstanceDlg.h"

#include "framework/WinApp.h"
#include "postling/shell/MainFrame.h"

const CRuntimeClass CSecondInstanceDlg::classCSecondInstanceDlg = {
    "CSecondInstanceDlg", sizeof(CSecondInstanceDlg), &CLumDialog::classCLumDialog, nullptr};

const CRuntimeClass* CSecondInstanceDlg::GetRuntimeClass() const { return &classCSecondInstanceDlg; }

const MessageMapEntry CSecondInstanceDlg::messageEntries[] = {
    On::Command<&CSecondInstanceDlg::OnSettings>(IDC_SECOND_INSTANCE_SETTINGS),
    On::End(),
};
const MessageMap CSecondInstanceDlg::messageMap = {&CLumDialog::messageMap, CSecondInstanceDlg::messageEntries};

const MessageMap* CSecondInstanceDlg::GetMessageMap() const { return &messageMap; }

CSecondInstanceDlg::CSecondInstanceDlg(HWND frame) : CLumDialog(IDD), m_hFrame(frame) {}

bool CSecondInstanceDlg::OnInitDialog() {
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    CenterWindow(GetDesktopWindow());
    return CLumDialog::OnInitDialog();
}

void CSecondInstanceDlg::OnSettings() {
    ::PostMessageA(m_hFrame, WM_COMMAND, ID_SETTINGS, 0);
    DestroyWindow();
}

void CSecondInstanceDlg::PostNcDestroy() {
    auto* frame = dynamic_cast<CMainFrame*>(CWnd::FromHandlePermanent(m_hFrame));
    if (frame && frame->m_pSecondInstanceDlg == this) frame->m_pSecondInstanceDlg = nullptr;
    delete this;
}
