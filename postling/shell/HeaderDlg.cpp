#include "postling/shell/HeaderDlg.h"

#include <cstring>
#include <string>

#include "framework/ResourceChain.h"
#include "postling/message/Charset.h"
#include "postling/message/Message.h"

namespace {

// A submenu's own entry, which LUMKIT updates as its first item: it takes
// no check mark of that item.
bool IsSubmenuEntry(const CCmdUI* ui) { return ui->m_hMenu && GetSubMenu(ui->m_hMenu, static_cast<int>(ui->m_nIndex)); }

}  // namespace

// ---- CHeaderEdit ----

const CRuntimeClass CHeaderEdit::classCHeaderEdit = {"CHeaderEdit", sizeof(CHeaderEdit), &CEdit::classCEdit,
                                                     nullptr};

const CRuntimeClass* CHeaderEdit::GetRuntimeClass() const { return &classCHeaderEdit; }

const MessageMapEntry CHeaderEdit::messageEntries[] = {
    On::Message<&CHeaderEdit::OnContextMenu>(WM_CONTEXTMENU),
    On::End(),
};
const MessageMap CHeaderEdit::messageMap = {&CEdit::messageMap, CHeaderEdit::messageEntries};

const MessageMap* CHeaderEdit::GetMessageMap() const { return &messageMap; }

LRESULT CHeaderEdit::OnContextMenu(WPARAM, LPARAM lParam) {
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // From the keyboard (-1, -1): the caret's place, which is inside the box.
    if (point.x == -1 && point.y == -1) {
        if (!GetCaretPos(&point)) point = {0, 0};
        RECT client;
        GetClientRect(&client);
        if (!PtInRect(&client, point)) point = {0, 0};
        ClientToScreen(m_hWnd, &point);
    }
    if (CWnd* parent = GetParent())
        parent->SendMessage(WM_CONTEXTMENU, reinterpret_cast<WPARAM>(m_hWnd), MAKELPARAM(point.x, point.y));
    return 0;
}

// ---- CHeaderDlg ----

const CRuntimeClass CHeaderDlg::classCHeaderDlg = {"CHeaderDlg", sizeof(CHeaderDlg), &CLumDialog::classCLumDialog,
                                                   nullptr};

const CRuntimeClass* CHeaderDlg::GetRuntimeClass() const { return &classCHeaderDlg; }

const MessageMapEntry CHeaderDlg::messageEntries[] = {
    On::Message<&CHeaderDlg::OnSize>(WM_SIZE),
    On::Command<&CHeaderDlg::OnCopy>(ID_EDIT_COPY),
    On::Command<&CHeaderDlg::OnSelectAll>(ID_EDIT_SELECT_ALL),
    On::Command<&CHeaderDlg::OnFontProportional>(ID_HEADER_FONT_PROPORTIONAL),
    On::Command<&CHeaderDlg::OnFontFixed>(ID_HEADER_FONT_FIXED),
    On::Command<&CHeaderDlg::OnCharsetWin1251>(ID_HEADER_CHARSET_WIN1251),
    On::Command<&CHeaderDlg::OnCharsetKoi8r>(ID_HEADER_CHARSET_KOI8R),
    On::Command<&CHeaderDlg::OnRuleFromSender>(ID_RULE_FROM_SENDER),
    On::Command<&CHeaderDlg::OnRuleFromSubject>(ID_RULE_FROM_SUBJECT),
    On::Update<&CHeaderDlg::OnUpdateCopy>(ID_EDIT_COPY),
    On::Update<&CHeaderDlg::OnUpdateFontProportional>(ID_HEADER_FONT_PROPORTIONAL),
    On::Update<&CHeaderDlg::OnUpdateFontFixed>(ID_HEADER_FONT_FIXED),
    On::Update<&CHeaderDlg::OnUpdateCharsetWin1251>(ID_HEADER_CHARSET_WIN1251),
    On::Update<&CHeaderDlg::OnUpdateCharsetKoi8r>(ID_HEADER_CHARSET_KOI8R),
    On::End(),
};
const MessageMap CHeaderDlg::messageMap = {&CLumDialog::messageMap, CHeaderDlg::messageEntries};

const MessageMap* CHeaderDlg::GetMessageMap() const { return &messageMap; }

CHeaderDlg::CHeaderDlg(CWnd* parent) : CLumDialog(IDD_HEADER, parent) {}

CHeaderDlg::~CHeaderDlg() { DeleteFonts(); }

void CHeaderDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_HEADER_TEXT, m_edit);
}

bool CHeaderDlg::OnInitDialog() {
    CLumDialog::OnInitDialog();
    m_nFontMode = 0;
    m_nCharset = 0;

    LPCSTR iconName = MAKEINTRESOURCEA(IDI_NEWMAIL);
    if (HINSTANCE module = AfxFindResourceHandle(iconName, RT_GROUP_ICON)) {
        const int size = GetSystemMetrics(SM_CXSMICON);
        if (HANDLE icon = LoadImageA(module, iconName, IMAGE_ICON, size, size, LR_SHARED))
            SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }

    AddContextMenu(IDC_HEADER_TEXT, IDR_HEADER_MENU, -1);

    DeleteFonts();
    LOGFONTA font = {};
    if (HFONT own = GetFont()) GetObjectA(own, sizeof font, &font);
    m_hProportionalFont = CreateFontIndirectA(&font);
    font.lfCharSet = RUSSIAN_CHARSET;
    font.lfPitchAndFamily = static_cast<BYTE>((font.lfPitchAndFamily & 0xF0) | FIXED_PITCH);
    std::strcpy(font.lfFaceName, "Courier New");
    m_hFixedFont = CreateFontIndirectA(&font);

    ShowHeaderText();
    return true;
}

void CHeaderDlg::PostNcDestroy() {
    DeleteFonts();
    CLumDialog::PostNcDestroy();
}

void CHeaderDlg::DeleteFonts() {
    if (m_hProportionalFont) DeleteObject(m_hProportionalFont);
    if (m_hFixedFont) DeleteObject(m_hFixedFont);
    m_hProportionalFont = m_hFixedFont = nullptr;
}

void CHeaderDlg::ShowHeaderText() {
    if (!m_edit.m_hWnd) return;
    std::string text;
    if (m_pMessage) text = m_pMessage->m_strHeader.substr(0, kMaxShown);
    if (m_nCharset == 1) text = Koi8rToWin1251(text);
    m_edit.SetWindowText(text.c_str());
    // Posted: the dialog selects all of the box when it gives it the focus.
    m_edit.PostMessage(EM_SETSEL, 0, 0);
}

LRESULT CHeaderDlg::OnSize(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    if (m_edit.m_hWnd)
        SetWindowPos(m_edit.m_hWnd, nullptr, 0, 0, LOWORD(lParam), HIWORD(lParam),
                     SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
    return result;
}

void CHeaderDlg::OnCopy() { m_edit.Copy(); }

void CHeaderDlg::OnSelectAll() { m_edit.SetSel(0, -1); }

void CHeaderDlg::SetFontMode(int mode) {
    m_nFontMode = mode;
    m_edit.SetFont(mode == 1 ? m_hFixedFont : m_hProportionalFont, true);
}

void CHeaderDlg::OnFontProportional() { SetFontMode(0); }

void CHeaderDlg::OnFontFixed() { SetFontMode(1); }

void CHeaderDlg::SetCharset(int charset) {
    m_nCharset = charset;
    ShowHeaderText();
}

void CHeaderDlg::OnCharsetWin1251() { SetCharset(0); }

void CHeaderDlg::OnCharsetKoi8r() { SetCharset(1); }

void CHeaderDlg::CreateRule(RuleField field) {
    if (m_ruleHook && m_pMessage) m_ruleHook(*m_pMessage, field);
}

void CHeaderDlg::OnRuleFromSender() { CreateRule(RuleFieldSender); }

void CHeaderDlg::OnRuleFromSubject() { CreateRule(RuleFieldSubject); }

void CHeaderDlg::OnUpdateCopy(CCmdUI* ui) {
    int start = 0;
    int end = 0;
    if (m_edit.m_hWnd) m_edit.GetSel(start, end);
    ui->Enable(start != end);
}

void CHeaderDlg::OnUpdateFontProportional(CCmdUI* ui) { ui->SetCheck(m_nFontMode == 0); }

void CHeaderDlg::OnUpdateFontFixed(CCmdUI* ui) { ui->SetCheck(m_nFontMode == 1); }

void CHeaderDlg::OnUpdateCharsetWin1251(CCmdUI* ui) {
    if (!IsSubmenuEntry(ui)) ui->SetCheck(m_nCharset == 0);
}

void CHeaderDlg::OnUpdateCharsetKoi8r(CCmdUI* ui) {
    if (!IsSubmenuEntry(ui)) ui->SetCheck(m_nCharset == 1);
}
