#include "postling/shell/ErrorsDlg.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "framework/WinApp.h"
#include "postling/engine/ErrorRecord.h"
#include "postling/model/TextFormat.h"
#include "postling/shell/MainFrame.h"

namespace {

constexpr int kIconColumn = 20;  // the icon's column left of the text area
constexpr int kMinItemHeight = 18;
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX;

// The system icon `name` at 16 x 16, else at its own size.
HICON SmallSystemIcon(LPCSTR name) {
    if (auto icon = static_cast<HICON>(LoadImageA(nullptr, name, IMAGE_ICON, 16, 16, LR_SHARED))) return icon;
    return LoadIconA(nullptr, name);
}

// The height of the record's item: its text with the list's font, wrapped
// into the text area OnDrawItem draws it in, less that area's margins.
int ItemHeight(HWND list, const ErrorRecord* record) {
    RECT client = {};
    ::GetClientRect(list, &client);
    RECT text = {0, 0, std::max(0L, client.right - client.left - kIconColumn - 2), 0};
    int height = 0;
    if (HDC dc = record ? ::GetDC(list) : nullptr) {
        HGDIOBJ font = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageA(list, WM_GETFONT, 0, 0)));
        height = ::DrawTextA(dc, record->m_strText.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
        ::SelectObject(dc, font);
        ::ReleaseDC(list, dc);
    }
    return std::max(height + 5, kMinItemHeight);
}

}  // namespace

const CRuntimeClass CErrorsDlg::classCErrorsDlg = {"CErrorsDlg", sizeof(CErrorsDlg), &CLumDialog::classCLumDialog,
                                                   nullptr};

const CRuntimeClass* CErrorsDlg::GetRuntimeClass() const { return &classCErrorsDlg; }

const MessageMapEntry CErrorsDlg::messageEntries[] = {
    On::Message<&CErrorsDlg::OnMeasureItem>(WM_MEASUREITEM),
    On::Message<&CErrorsDlg::OnDrawItem>(WM_DRAWITEM),
    On::Message<&CErrorsDlg::OnSysCommand>(WM_SYSCOMMAND),
    On::Command<&CErrorsDlg::OnEditCopy>(ID_EDIT_COPY),
    On::Update<&CErrorsDlg::OnUpdateEditCopy>(ID_EDIT_COPY),
    On::End(),
};
const MessageMap CErrorsDlg::messageMap = {&CLumDialog::messageMap, CErrorsDlg::messageEntries};

const MessageMap* CErrorsDlg::GetMessageMap() const { return &messageMap; }

CErrorsDlg::CErrorsDlg(CMainFrame* frame) : CLumDialog(IDD), m_pFrame(frame) {}

bool CErrorsDlg::OnInitDialog() {
    if (m_images.Create(16, 16, ILC_MASK | ILC_COLOR16, 3, 1)) {
        for (LPCSTR icon : {IDI_INFORMATION, IDI_WARNING, IDI_ERROR}) m_images.Add(SmallSystemIcon(icon));
    }
    const bool result = CLumDialog::OnInitDialog();
    AddContextMenu(IDC_ERRORS_LIST, IDR_ERRORS_MENU, -1);
    Fill();
    return result;
}

void CErrorsDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_ERRORS_ICON, m_icon);
    DDX_Control(dx, IDC_ERRORS_LIST, m_list);
}

void CErrorsDlg::Fill() {
    if (!m_list.m_hWnd || !m_pFrame) return;
    m_list.SendMessage(LB_RESETCONTENT);
    int errors = 0;
    for (const auto& record : m_pFrame->Host().GetErrors()) {
        m_list.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(record.get()));
        if (record->m_nKind > 1) ++errors;
    }
    // The items added before the scroll bar appeared were measured wider
    // than they are drawn: measured again at the width they have now.
    const int count = static_cast<int>(m_list.SendMessage(LB_GETCOUNT));
    for (int index = 0; index < count; ++index)
        m_list.SendMessage(LB_SETITEMHEIGHT, static_cast<WPARAM>(index),
                           MAKELPARAM(ItemHeight(m_list.m_hWnd, GetRecord(index)), 0));
    HICON icon = nullptr;
    if (errors == 0) {
        ::SetDlgItemTextA(m_hWnd, IDC_ERRORS_STATE, LoadStringResource(IDS_ERRORS_NONE).c_str());
        if (CWinApp* app = AfxGetApp()) icon = app->LoadIcon(IDI_PROGRAM);
    } else {
        ::SetDlgItemTextA(m_hWnd, IDC_ERRORS_STATE, LoadStringResource(IDS_ERRORS_FOUND).c_str());
        icon = LoadIconA(nullptr, IDI_ERROR);
    }
    m_icon.SetIcon(icon);
}

const ErrorRecord* CErrorsDlg::GetRecord(int index) const {
    if (!m_list.m_hWnd) return nullptr;
    const LRESULT data = ::SendMessageA(m_list.m_hWnd, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<const ErrorRecord*>(data);
}

int CErrorsDlg::GetCurSel() const {
    return m_list.m_hWnd ? static_cast<int>(::SendMessageA(m_list.m_hWnd, LB_GETCURSEL, 0, 0)) : LB_ERR;
}

LRESULT CErrorsDlg::OnMeasureItem(WPARAM, LPARAM lParam) {
    auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_LISTBOX || item->CtlID != IDC_ERRORS_LIST) return Default();
    item->itemHeight = static_cast<UINT>(
        ItemHeight(::GetDlgItem(m_hWnd, IDC_ERRORS_LIST), reinterpret_cast<const ErrorRecord*>(item->itemData)));
    return TRUE;
}

LRESULT CErrorsDlg::OnDrawItem(WPARAM, LPARAM lParam) {
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    if (item->CtlType != ODT_LISTBOX || item->CtlID != IDC_ERRORS_LIST) return Default();
    HDC dc = item->hDC;
    RECT area = item->rcItem;
    area.left += kIconColumn;
    if (item->itemAction == ODA_FOCUS) {
        ::DrawFocusRect(dc, &area);
        return TRUE;
    }
    const auto* record = item->itemID == static_cast<UINT>(-1)
                             ? nullptr
                             : reinterpret_cast<const ErrorRecord*>(item->itemData);
    if (!record) return TRUE;
    const bool selected = (item->itemState & ODS_SELECTED) != 0;
    m_images.Draw(dc, record->m_nKind, POINT{2, item->rcItem.top + 2},
                  ILD_TRANSPARENT | (selected ? ILD_BLEND50 : 0));
    ::FillRect(dc, &area, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF oldColour = ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    RECT text = area;
    ::InflateRect(&text, -1, -1);
    ::DrawTextA(dc, record->m_strText.c_str(), -1, &text, kTextFormat);
    ::SetBkMode(dc, oldMode);
    ::SetTextColor(dc, oldColour);
    if (item->itemState & ODS_FOCUS) ::DrawFocusRect(dc, &area);
    return TRUE;
}

LRESULT CErrorsDlg::OnSysCommand(WPARAM wParam, LPARAM) {
    if ((wParam & 0xFFF0) != SC_CLOSE) return Default();
    OnCancel();
    return 0;
}

void CErrorsDlg::OnEditCopy() {
    const int selected = GetCurSel();
    const ErrorRecord* record = selected == LB_ERR ? nullptr : GetRecord(selected);
    if (!record || !::OpenClipboard(m_hWnd)) return;
    const std::string& text = record->m_strText;
    if (HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, text.size() + 1)) {
        if (void* bytes = ::GlobalLock(memory)) {
            std::memcpy(bytes, text.c_str(), text.size() + 1);
            ::GlobalUnlock(memory);
            // Emptied first, so that no other format of an earlier copy stays.
            ::EmptyClipboard();
            if (!::SetClipboardData(CF_TEXT, memory)) ::GlobalFree(memory);
        } else {
            ::GlobalFree(memory);
        }
    }
    ::CloseClipboard();
}

void CErrorsDlg::OnUpdateEditCopy(CCmdUI* ui) { ui->Enable(GetCurSel() != LB_ERR); }

void CErrorsDlg::PostNcDestroy() {
    if (m_pFrame && m_pFrame->m_pErrorsDlg == this) m_pFrame->m_pErrorsDlg = nullptr;
    delete this;
}
