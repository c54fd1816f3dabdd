#include "Dialog.h"

#include "ResourceChain.h"
#include "WinApp.h"

// ---- modal loop ----

HWND AfxGetModalOwner(HWND parent) {
    if (!parent) {
        CWinApp* app = AfxGetApp();
        parent = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : nullptr;
    }
    if (!parent) return nullptr;
    HWND root = GetAncestor(parent, GA_ROOT);
    return root ? root : parent;
}

void AfxRunModalLoop(CWnd* window, const std::function<bool()>& keepGoing) {
    bool idle = true;
    MSG msg;
    while (keepGoing() && window->m_hWnd) {
        if (idle && !PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            idle = false;
            if (window->m_hWnd && IsWindowVisible(window->m_hWnd)) {
                window->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
                window->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true, true);
            }
            continue;
        }
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        CWinApp* app = AfxGetApp();
        const bool handled = app ? app->PreTranslateMessage(&msg) : window->PreTranslateMessage(&msg);
        if (!handled) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (msg.message != WM_PAINT && msg.message != 0x0118 && msg.message != WM_TIMER) idle = true;
    }
}

INT_PTR CALLBACK AfxDlgProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

// ---- CDialog ----

const CRuntimeClass CDialog::classCDialog = {"CDialog", sizeof(CDialog), &CWnd::classCWnd, nullptr};

const CRuntimeClass* CDialog::GetRuntimeClass() const { return &classCDialog; }

const MessageMapEntry CDialog::messageEntries[] = {
    On::Message<&CDialog::HandleInitDialog>(WM_INITDIALOG),
    On::Message<&CDialog::OnHelpInfo>(WM_HELP),
    On::Command<&CDialog::HandleOK>(IDOK),
    On::Command<&CDialog::HandleCancel>(IDCANCEL),
    On::Command<&CDialog::OnHelp>(IDHELP),
    On::End(),
};
const MessageMap CDialog::messageMap = {&CWnd::messageMap, CDialog::messageEntries};

const MessageMap* CDialog::GetMessageMap() const { return &messageMap; }

CDialog::CDialog() = default;

CDialog::CDialog(UINT templateId, CWnd* parent)
    : m_lpszTemplateName(MAKEINTRESOURCEA(templateId)), m_nIDHelp(templateId), m_pParentWnd(parent) {}

CDialog::CDialog(const char* templateName, CWnd* parent)
    : m_lpszTemplateName(templateName), m_pParentWnd(parent) {
    if (IS_INTRESOURCE(templateName)) m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
}

CDialog::~CDialog() = default;

bool CDialog::CreateFromTemplate(HWND parent) {
    if (!m_lpszTemplateName || m_hWnd) return false;
    HINSTANCE module = AfxFindResourceHandle(m_lpszTemplateName, RT_DIALOG);
    HRSRC resource = module ? FindResourceA(module, m_lpszTemplateName, RT_DIALOG) : nullptr;
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    auto* dialogTemplate = loaded ? static_cast<LPCDLGTEMPLATEA>(LockResource(loaded)) : nullptr;
    if (!dialogTemplate) return false;
    HWND window = CreateAttached([&] {
        return CreateDialogIndirectParamA(module, dialogTemplate, parent, AfxDlgProc, 0);
    });
    return window && m_hWnd == window;
}

bool CDialog::Create(UINT templateId, CWnd* parent) {
    m_lpszTemplateName = MAKEINTRESOURCEA(templateId);
    m_nIDHelp = templateId;
    return Create(m_lpszTemplateName, parent);
}

bool CDialog::Create(const char* templateName, CWnd* parent) {
    m_lpszTemplateName = templateName;
    if (IS_INTRESOURCE(templateName)) m_nIDHelp = static_cast<UINT>(reinterpret_cast<UINT_PTR>(templateName));
    m_pParentWnd = parent;
    m_bModal = false;
    return CreateFromTemplate(parent ? parent->m_hWnd : nullptr);
}

INT_PTR CDialog::DoModal() {
    HWND owner = AfxGetModalOwner(m_pParentWnd ? m_pParentWnd->m_hWnd : nullptr);
    const bool disableOwner = owner && owner != GetDesktopWindow() && ::IsWindowEnabled(owner);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    m_bModal = true;
    m_nModalResult = -1;
    m_bContinueModal = true;
    if (CreateFromTemplate(owner)) {
        if (m_bContinueModal) {
            ShowWindow(SW_SHOW);
            AfxRunModalLoop(this, [this] { return m_bContinueModal; });
        }
    } else {
        m_bContinueModal = false;
    }
    // The owner first, so that it is activated when the dialog goes.
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (m_hWnd) {
        if (owner && GetActiveWindow() == m_hWnd) SetActiveWindow(owner);
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        DestroyWindow();
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::EndDialog(int result) {
    m_nModalResult = result;
    if (m_bModal) {
        m_bContinueModal = false;
        if (m_hWnd) ::PostMessageA(m_hWnd, WM_NULL, 0, 0);  // wakes the loop
        return;
    }
    DestroyWindow();
}

bool CDialog::UpdateData(bool saveAndValidate) {
    CDataExchange dx(this, saveAndValidate);
    try {
        DoDataExchange(&dx);
    } catch (const CUserException&) {
        return false;
    }
    return true;
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void CDialog::OnOK() {
    if (!UpdateData(true)) return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

LRESULT CDialog::HandleInitDialog(WPARAM, LPARAM) { return OnInitDialog() ? TRUE : FALSE; }

void CDialog::HandleOK() { OnOK(); }

void CDialog::HandleCancel() { OnCancel(); }

LRESULT CDialog::OnHelpInfo(WPARAM, LPARAM) {
    OnHelp();
    return TRUE;
}

void CDialog::OnHelp() {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(m_nIDHelp, HELP_CONTEXT);
}

bool CDialog::PreTranslateMessage(MSG* msg) {
    if (msg->message >= WM_KEYFIRST && msg->message <= WM_KEYLAST && m_hWnd &&
        (msg->hwnd == m_hWnd || IsChild(m_hWnd, msg->hwnd)))
        return IsDialogMessageA(m_hWnd, msg) != FALSE;
    return false;
}

void CDialog::GotoDlgCtrl(HWND control) {
    ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void CDialog::NextDlgCtrl(bool previous) { ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, previous ? 1 : 0, FALSE); }

void CDialog::CenterWindow(HWND over) {
    if (!over) over = ::GetWindow(m_hWnd, GW_OWNER);
    RECT area;
    if (over && ::IsWindowVisible(over)) {
        ::GetWindowRect(over, &area);
    } else {
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT own;
    GetWindowRect(&own);
    const int width = own.right - own.left;
    const int height = own.bottom - own.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    RECT screen;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    if (x + width > screen.right) x = screen.right - width;
    if (y + height > screen.bottom) y = screen.bottom - height;
    if (x < screen.left) x = screen.left;
    if (y < screen.top) y = screen.top;
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}
