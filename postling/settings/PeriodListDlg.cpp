#include "postling/settings/PeriodListDlg.h"

#include <commctrl.h>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "postling/model/TextFormat.h"
#include "postling/settings/PeriodDlg.h"

const CRuntimeClass CPeriodListDlg::classCPeriodListDlg = {"CPeriodListDlg", sizeof(CPeriodListDlg),
                                                           &CLumDialog::classCLumDialog, nullptr};

const CRuntimeClass* CPeriodListDlg::GetRuntimeClass() const { return &classCPeriodListDlg; }

const MessageMapEntry CPeriodListDlg::messageEntries[] = {
    On::Command<&CPeriodListDlg::OnEdit>(ID_PERIOD_EDIT),
    On::Update<&CPeriodListDlg::OnUpdateSelected>(ID_PERIOD_EDIT),
    On::Command<&CPeriodListDlg::OnAdd>(ID_PERIOD_ADD),
    On::Command<&CPeriodListDlg::OnDelete>(ID_PERIOD_DELETE),
    On::Update<&CPeriodListDlg::OnUpdateSelected>(ID_PERIOD_DELETE),
    On::Notify<&CPeriodListDlg::OnDoubleClick>(NM_DBLCLK, IDC_PERIOD_LIST),
    On::End(),
};
const MessageMap CPeriodListDlg::messageMap = {&CLumDialog::messageMap, CPeriodListDlg::messageEntries};

const MessageMap* CPeriodListDlg::GetMessageMap() const { return &messageMap; }

CPeriodListDlg::CPeriodListDlg(const std::string& title, CWnd* parent)
    : CLumDialog(IDD, parent), m_strTitle(title) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
}

CPeriodListDlg::~CPeriodListDlg() {
    // The list goes before its images.
    if (m_hWnd) DestroyWindow();
}

void CPeriodListDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_PERIOD_TOOLBAR, m_toolbar);
    DDX_Control(dx, IDC_PERIOD_LIST, m_list);
}

bool CPeriodListDlg::OnInitDialog() {
    CLumDialog::OnInitDialog();
    SetWindowText(m_strTitle.c_str());
    if (CWinApp* app = AfxGetApp()) {
        SendMessage(WM_SETICON, ICON_SMALL,
                    reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PERIOD_LIST, GetSystemMetrics(SM_CXSMICON))));
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(app->LoadIcon(IDI_PROGRAM)));
    }
    m_toolbar.LoadToolbar(MAKEINTRESOURCEA(IDR_PERIOD_LIST));
    AddContextMenu(IDC_PERIOD_LIST, IDR_PERIOD_LIST, ID_PERIOD_EDIT);

    if (m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0)) {
        const LPCSTR name = MAKEINTRESOURCEA(IDI_PERIOD);
        HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
        HICON icon = module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0)) : nullptr;
        m_images.Add(icon);
        if (icon) DestroyIcon(icon);
    }
    m_list.SetImageList(m_images.GetSafeHandle(), LVSIL_SMALL);
    RECT client = {};
    ::GetClientRect(m_list.m_hWnd, &client);
    m_list.InsertColumn(0, "", LVCFMT_LEFT, client.right - client.left - GetSystemMetrics(SM_CXVSCROLL));
    for (std::size_t index = 0; index < m_periods.GetCount(); ++index) AddRow(index);
    return true;
}

bool CPeriodListDlg::PreTranslateMessage(MSG* msg) {
    if (msg->message == WM_KEYDOWN && msg->hwnd == m_list.m_hWnd) {
        UINT command = 0;
        switch (msg->wParam) {
            case VK_RETURN: command = ID_PERIOD_EDIT; break;
            case VK_INSERT: command = ID_PERIOD_ADD; break;
            case VK_DELETE: command = ID_PERIOD_DELETE; break;
            default: break;
        }
        if (command) {
            PostMessage(WM_COMMAND, command, 0);
            return true;
        }
    }
    return CLumDialog::PreTranslateMessage(msg);
}

int CPeriodListDlg::SelectedRow() const { return m_list.GetNextItem(-1, LVNI_SELECTED); }

int CPeriodListDlg::PeriodIndex(int row) const {
    if (row < 0) return -1;
    const auto* period = reinterpret_cast<const CInterval*>(m_list.GetItemData(row));
    for (std::size_t index = 0; index < m_periods.GetCount(); ++index)
        if (&m_periods[index] == period) return static_cast<int>(index);
    return -1;
}

void CPeriodListDlg::AddRow(std::size_t index) {
    CInterval& period = m_periods[index];
    const int row = m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, m_list.GetItemCount(),
                                      period.Describe().c_str(), 0, 0, 0, reinterpret_cast<LPARAM>(&period));
    if (row < 0) return;
    m_list.EnsureVisible(row, false);
}

void CPeriodListDlg::OnAdd() {
    CPeriodDlg editor(LoadStringResource(IDS_PERIOD_ADD_TITLE), this);
    if (editor.DoModal() != IDOK) return;
    m_periods.Add(editor.m_period);
    AddRow(m_periods.GetCount() - 1);
    const int row = m_list.GetItemCount() - 1;
    m_list.SetFocus();
    m_list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    m_list.EnsureVisible(row, false);
}

void CPeriodListDlg::OnEdit() {
    const int row = SelectedRow();
    const int index = PeriodIndex(row);
    if (index < 0) return;
    CInterval& period = m_periods[static_cast<std::size_t>(index)];
    CPeriodDlg editor(LoadStringResource(IDS_PERIOD_EDIT_TITLE), this);
    editor.m_period = period;
    if (editor.DoModal() != IDOK) return;
    period = editor.m_period;
    m_list.SetItemText(row, 0, period.Describe().c_str());
}

void CPeriodListDlg::OnDelete() {
    const int row = SelectedRow();
    const int index = PeriodIndex(row);
    if (index < 0) return;
    m_list.DeleteItem(row);
    m_periods.RemoveAt(static_cast<std::size_t>(index));
}

void CPeriodListDlg::OnUpdateSelected(CCmdUI* ui) { ui->Enable(SelectedRow() >= 0); }

void CPeriodListDlg::OnDoubleClick(NMHDR*, LRESULT* result) {
    PostMessage(WM_COMMAND, ID_PERIOD_EDIT, 0);
    *result = 0;
}
