#include "PropertySheet.h"

#include <algorithm>

#include "ResourceChain.h"
#include "WinApp.h"

// ---- CPropertyPage ----

const CRuntimeClass CPropertyPage::classCPropertyPage = {"CPropertyPage", sizeof(CPropertyPage),
                                                         &CDialog::classCDialog, nullptr};

const CRuntimeClass* CPropertyPage::GetRuntimeClass() const { return &classCPropertyPage; }

const MessageMapEntry CPropertyPage::messageEntries[] = {On::End()};
const MessageMap CPropertyPage::messageMap = {&CDialog::messageMap, CPropertyPage::messageEntries};

const MessageMap* CPropertyPage::GetMessageMap() const { return &messageMap; }

CPropertyPage::CPropertyPage() { Construct(nullptr, 0); }

CPropertyPage::CPropertyPage(UINT templateId, UINT captionId) {
    Construct(MAKEINTRESOURCEA(templateId), captionId);
    m_nIDHelp = templateId;
}

CPropertyPage::CPropertyPage(const char* templateName, UINT captionId) {
    Construct(templateName, captionId);
    if (IS_INTRESOURCE(templateName)) m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
}

CPropertyPage::~CPropertyPage() = default;

void CPropertyPage::Construct(const char* templateName, UINT captionId) {
    m_lpszTemplateName = templateName;
    m_psp = {};
    m_psp.dwSize = sizeof(m_psp);
    m_psp.pfnDlgProc = AfxPropPageDlgProc;
    m_psp.lParam = reinterpret_cast<LPARAM>(this);
    if (captionId != 0 && AfxLoadString(captionId, m_strCaption)) m_psp.dwFlags |= PSP_USETITLE;
}

INT_PTR CALLBACK AfxPropPageDlgProc(HWND window, UINT message, WPARAM, LPARAM lParam) {
    if (message != WM_INITDIALOG) return FALSE;
    auto* header = reinterpret_cast<PROPSHEETPAGEA*>(lParam);
    auto* page = header ? reinterpret_cast<CPropertyPage*>(header->lParam) : nullptr;
    if (!page || !page->SubclassWindow(window)) return TRUE;
    page->m_bFirstSetActive = true;
    return page->OnInitDialog() ? TRUE : FALSE;
}

bool CPropertyPage::OnSetActive() {
    if (m_bFirstSetActive)
        m_bFirstSetActive = false;
    else
        UpdateData(false);
    return true;
}

bool CPropertyPage::OnKillActive() { return UpdateData(true); }

bool CPropertyPage::OnApply() {
    OnOK();
    return true;
}

void CPropertyPage::OnReset() { OnCancel(); }

bool CPropertyPage::OnQueryCancel() { return true; }

void CPropertyPage::OnOK() {}

void CPropertyPage::OnCancel() {}

void CPropertyPage::SetModified(bool changed) {
    HWND sheet = ::GetParent(m_hWnd);
    if (!sheet) return;
    ::SendMessageA(sheet, changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hWnd), 0);
}

CPropertySheet* CPropertyPage::GetSheet() const {
    CWnd* parent = CWnd::FromHandlePermanent(::GetParent(m_hWnd));
    return parent && parent->IsKindOf(&CPropertySheet::classCPropertySheet) ? static_cast<CPropertySheet*>(parent)
                                                                             : nullptr;
}

bool CPropertyPage::PreTranslateMessage(MSG*) { return false; }

bool CPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (header->hwndFrom != ::GetParent(m_hWnd)) return CDialog::OnNotify(wParam, lParam, result);
    switch (header->code) {
    case PSN_SETACTIVE:
        *result = OnSetActive() ? 0 : -1;
        break;
    case PSN_KILLACTIVE:
        *result = OnKillActive() ? FALSE : TRUE;
        break;
    case PSN_APPLY:
        *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
        break;
    case PSN_RESET:
        OnReset();
        *result = 0;
        break;
    case PSN_QUERYCANCEL:
        *result = OnQueryCancel() ? FALSE : TRUE;
        break;
    case PSN_HELP:
        OnHelp();
        *result = 0;
        break;
    default:
        return CDialog::OnNotify(wParam, lParam, result);
    }
    // The system reads a dialog's answer from here as well.
    SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, *result);
    return true;
}

// ---- CPropertySheet ----

const CRuntimeClass CPropertySheet::classCPropertySheet = {"CPropertySheet", sizeof(CPropertySheet),
                                                           &CWnd::classCWnd, nullptr};

const CRuntimeClass* CPropertySheet::GetRuntimeClass() const { return &classCPropertySheet; }

const MessageMapEntry CPropertySheet::messageEntries[] = {On::End()};
const MessageMap CPropertySheet::messageMap = {&CWnd::messageMap, CPropertySheet::messageEntries};

const MessageMap* CPropertySheet::GetMessageMap() const { return &messageMap; }

CPropertySheet::CPropertySheet() { Construct(0); }

CPropertySheet::CPropertySheet(UINT captionId, CWnd* parent, UINT selectPage) : m_pParentWnd(parent) {
    AfxLoadString(captionId, m_strCaption);
    Construct(selectPage);
}

CPropertySheet::CPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : m_strCaption(caption ? caption : ""), m_pParentWnd(parent) {
    Construct(selectPage);
}

CPropertySheet::~CPropertySheet() = default;

void CPropertySheet::Construct(UINT selectPage) {
    m_psh = {};
    m_psh.dwSize = sizeof(m_psh);
    m_psh.dwFlags = PSH_PROPSHEETPAGE;
    m_psh.nStartPage = selectPage;
}

void CPropertySheet::AddPage(CPropertyPage* page) {
    if (!page || std::find(m_pages.begin(), m_pages.end(), page) != m_pages.end()) return;
    m_pages.push_back(page);
    if (!m_hWnd) return;
    // A sheet on screen takes the page at once.
    PROPSHEETPAGEA header = page->m_psp;
    header.hInstance = AfxFindResourceHandle(page->m_lpszTemplateName, RT_DIALOG);
    header.pszTemplate = page->m_lpszTemplateName;
    if (header.dwFlags & PSP_USETITLE) header.pszTitle = page->m_strCaption.c_str();
    if (HPROPSHEETPAGE handle = header.hInstance ? CreatePropertySheetPageA(&header) : nullptr)
        ::SendMessageA(m_hWnd, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(handle));
}

void CPropertySheet::RemovePage(CPropertyPage* page) {
    const int index = GetPageIndex(page);
    if (index < 0) return;
    if (m_hWnd) ::SendMessageA(m_hWnd, PSM_REMOVEPAGE, static_cast<WPARAM>(index), 0);
    m_pages.erase(m_pages.begin() + index);
}

CPropertyPage* CPropertySheet::GetPage(int index) const {
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

int CPropertySheet::GetPageIndex(const CPropertyPage* page) const {
    auto it = std::find(m_pages.begin(), m_pages.end(), page);
    return it == m_pages.end() ? -1 : static_cast<int>(it - m_pages.begin());
}

CPropertyPage* CPropertySheet::GetActivePage() const {
    if (!m_hWnd) return GetPage(static_cast<int>(m_psh.nStartPage));
    HWND current = reinterpret_cast<HWND>(::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0));
    for (CPropertyPage* page : m_pages)
        if (page->m_hWnd && page->m_hWnd == current) return page;
    return nullptr;
}

int CPropertySheet::GetActiveIndex() const { return GetPageIndex(GetActivePage()); }

bool CPropertySheet::SetActivePage(int index) {
    if (index < 0 || index >= GetPageCount()) return false;
    if (!m_hWnd) {
        m_psh.nStartPage = static_cast<UINT>(index);
        return true;
    }
    return ::SendMessageA(m_hWnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != FALSE;
}

bool CPropertySheet::SetActivePage(CPropertyPage* page) { return SetActivePage(GetPageIndex(page)); }

bool CPropertySheet::BuildAndCreate(HWND owner) {
    if (m_hWnd || m_pages.empty()) return false;
    m_pageHeaders.clear();
    for (CPropertyPage* page : m_pages) {
        PROPSHEETPAGEA header = page->m_psp;
        header.hInstance = AfxFindResourceHandle(page->m_lpszTemplateName, RT_DIALOG);
        if (!header.hInstance) return false;  // a missing template: no sheet at all
        header.pszTemplate = page->m_lpszTemplateName;
        if (header.dwFlags & PSP_USETITLE) header.pszTitle = page->m_strCaption.c_str();
        m_pageHeaders.push_back(header);
    }
    m_psh.dwFlags |= PSH_PROPSHEETPAGE | PSH_MODELESS;
    m_psh.hwndParent = owner;
    m_psh.hInstance = AfxGetInstanceHandle();
    m_psh.pszCaption = m_strCaption.c_str();
    m_psh.nPages = static_cast<UINT>(m_pageHeaders.size());
    if (m_psh.nStartPage >= m_psh.nPages) m_psh.nStartPage = 0;
    m_psh.ppsp = m_pageHeaders.data();
    HWND window = CreateAttached([this] { return reinterpret_cast<HWND>(PropertySheetA(&m_psh)); });
    return window && window == m_hWnd;
}

bool CPropertySheet::Finished() const {
    return !m_hWnd || ::SendMessageA(m_hWnd, PSM_GETCURRENTPAGEHWND, 0, 0) == 0;
}

INT_PTR CPropertySheet::DoModal() {
    HWND owner = AfxGetModalOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    const bool disableOwner = owner && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    m_bModal = true;
    m_nModalResult = -1;
    m_bContinueModal = true;
    if (BuildAndCreate(owner)) {
        m_nModalResult = IDCANCEL;
        ShowWindow(SW_SHOW);
        AfxRunModalLoop(this, [this] { return m_bContinueModal && !Finished(); });
    }
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        if (owner && GetActiveWindow() == m_hWnd) SetActiveWindow(owner);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

bool CPropertySheet::Create(CWnd* parent) {
    if (parent) m_pParentWnd = parent;
    m_bModal = false;
    if (!BuildAndCreate(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr)) return false;
    ShowWindow(SW_SHOW);
    return true;
}

void CPropertySheet::EndDialog(int result) {
    if (!m_hWnd) return;
    // The system may press the button without a WM_COMMAND of its own.
    ::SendMessageA(m_hWnd, PSM_PRESSBUTTON, result == IDOK ? PSBTN_OK : PSBTN_CANCEL, 0);
    EndIfFinished(result);
}

void CPropertySheet::EndIfFinished(int result) {
    if (!Finished()) return;
    m_nModalResult = result;
    if (m_bModal)
        m_bContinueModal = false;
    else if (m_hWnd)
        DestroyWindow();
}

bool CPropertySheet::OnCommand(WPARAM wParam, LPARAM lParam) {
    const UINT id = LOWORD(wParam);
    if ((id == IDOK || id == IDCANCEL) && HIWORD(wParam) == BN_CLICKED) {
        Default();
        EndIfFinished(static_cast<int>(id));
        return true;
    }
    return CWnd::OnCommand(wParam, lParam);
}

bool CPropertySheet::PreTranslateMessage(MSG* msg) {
    if (!m_hWnd || !(msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd))) return false;
    return ::SendMessageA(m_hWnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(msg)) != FALSE;
}
