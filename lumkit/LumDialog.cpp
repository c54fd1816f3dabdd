#include "lumkit/LumDialog.h"

#include <windowsx.h>

#include <string>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "lumkit/LumListCtrl.h"

const CRuntimeClass CLumDialog::classCLumDialog = {"CLumDialog", sizeof(CLumDialog), &CDialog::classCDialog,
                                                   nullptr};

const CRuntimeClass* CLumDialog::GetRuntimeClass() const { return &classCLumDialog; }

const MessageMapEntry CLumDialog::messageEntries[] = {
    On::Message<&CLumDialog::OnHelpInfo>(WM_HELP),
    On::Message<&CLumDialog::OnContextMenu>(WM_CONTEXTMENU),
    On::Message<&CLumDialog::OnInitMenuPopup>(WM_INITMENUPOPUP),
    On::Message<&CLumDialog::OnActivate>(WM_ACTIVATE),
    On::Command<&CLumDialog::OnHelp>(IDHELP),
    On::End(),
};
const MessageMap CLumDialog::messageMap = {&CDialog::messageMap, CLumDialog::messageEntries};

const MessageMap* CLumDialog::GetMessageMap() const { return &messageMap; }

CLumDialog::CLumDialog() = default;

CLumDialog::CLumDialog(const char* templateName, CWnd* parent) : CDialog(templateName, parent) {}

CLumDialog::CLumDialog(UINT templateId, CWnd* parent) : CDialog(templateId, parent) {}

CLumDialog::~CLumDialog() = default;

void CLumDialog::DoDataExchange(CDataExchange*) {}

// Declines: the list stops asking and compares by itself.
int CLumDialog::CompareItems(CLumListCtrl* list, LPARAM, LPARAM) {
    if (list) list->m_pOwnerDialog = nullptr;
    return 0;
}

void CLumDialog::AddContextMenu(UINT controlId, UINT menuId, int defaultItem) {
    AddContextMenu(controlId, MAKEINTRESOURCEA(menuId), defaultItem);
}

void CLumDialog::AddContextMenu(UINT controlId, const char* menuName, int defaultItem) {
    m_contextMenus.Add(controlId, menuName, defaultItem);
}

void CLumDialog::UpdateControls() { LumUpdateControls(this); }

void CLumDialog::FailValidation(UINT controlId, UINT messageId) {
    LumFailValidation(this, controlId, messageId);
}

int CLumDialog::ShowMessage(UINT messageId, UINT type, UINT helpId) {
    return LumShowMessage(m_hWnd, messageId, type, helpId);
}

int CLumDialog::ShowMessage(const char* text, UINT type, UINT helpId) {
    return LumShowMessage(m_hWnd, text, type, helpId);
}

bool CLumDialog::OnCommand(WPARAM wParam, LPARAM lParam) {
    const bool handled = CDialog::OnCommand(wParam, lParam);
    const UINT code = HIWORD(wParam);
    if (m_hWnd && (code == 0 || code == EN_CHANGE)) UpdateControls();
    return handled;
}

bool CLumDialog::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const bool handled = CDialog::OnNotify(wParam, lParam, result);
    UpdateControls();
    return handled;
}

LRESULT CLumDialog::OnActivate(WPARAM, LPARAM) {
    const LRESULT result = Default();
    UpdateControls();
    return result;
}

LRESULT CLumDialog::OnContextMenu(WPARAM, LPARAM lParam) {
    if (ShowContextMenuAt(this, m_contextMenus, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
    return Default();
}

LRESULT CLumDialog::OnHelpInfo(WPARAM wParam, LPARAM lParam) {
    if (HandleHelpInfo(this, reinterpret_cast<HELPINFO*>(lParam))) return TRUE;
    return CDialog::OnHelpInfo(wParam, lParam);
}

LRESULT CLumDialog::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default();
    if (HIWORD(lParam) == 0) LumUpdatePopupMenu(reinterpret_cast<HMENU>(wParam), this);
    return result;
}

void CLumDialog::OnHelp() {
    if (CWinApp* app = AfxGetApp()) app->WinHelp(m_nIDHelp, HELP_CONTEXT);
}
