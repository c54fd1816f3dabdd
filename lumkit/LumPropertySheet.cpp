#include "lumkit/LumPropertySheet.h"

#include <windowsx.h>

#include <string>

#include "framework/ResourceChain.h"
#include "lumkit/LumListCtrl.h"

// ---- CLumPropertyPage ----

const CRuntimeClass CLumPropertyPage::classCLumPropertyPage = {
    "CLumPropertyPage", sizeof(CLumPropertyPage), &CPropertyPage::classCPropertyPage, nullptr};

const CRuntimeClass* CLumPropertyPage::GetRuntimeClass() const { return &classCLumPropertyPage; }

const MessageMapEntry CLumPropertyPage::messageEntries[] = {
    On::Message<&CLumPropertyPage::OnHelpInfo>(WM_HELP),
    On::Message<&CLumPropertyPage::OnContextMenu>(WM_CONTEXTMENU),
    On::Message<&CLumPropertyPage::OnInitMenuPopup>(WM_INITMENUPOPUP),
    On::End(),
};
const MessageMap CLumPropertyPage::messageMap = {&CPropertyPage::messageMap, CLumPropertyPage::messageEntries};

const MessageMap* CLumPropertyPage::GetMessageMap() const { return &messageMap; }

CLumPropertyPage::CLumPropertyPage() = default;

CLumPropertyPage::CLumPropertyPage(UINT templateId, UINT captionId) : CPropertyPage(templateId, captionId) {}

CLumPropertyPage::CLumPropertyPage(const char* templateName, UINT captionId)
    : CPropertyPage(templateName, captionId) {}

CLumPropertyPage::~CLumPropertyPage() = default;

void CLumPropertyPage::DoDataExchange(CDataExchange*) {}

// Declines: the list stops asking and compares by itself.
int CLumPropertyPage::CompareItems(CLumListCtrl* list, LPARAM, LPARAM) {
    if (list) list->m_pOwnerPage = nullptr;
    return 0;
}

void CLumPropertyPage::AddContextMenu(UINT controlId, UINT menuId, int defaultItem) {
    AddContextMenu(controlId, MAKEINTRESOURCEA(menuId), defaultItem);
}

void CLumPropertyPage::AddContextMenu(UINT controlId, const char* menuName, int defaultItem) {
    m_contextMenus.Add(controlId, menuName, defaultItem);
}

void CLumPropertyPage::UpdateControls() { LumUpdateControls(this); }

void CLumPropertyPage::FailValidation(UINT controlId, UINT messageId) {
    LumFailValidation(this, controlId, messageId);
}

int CLumPropertyPage::ShowMessage(UINT messageId, UINT type, UINT helpId) {
    return LumShowMessage(m_hWnd, messageId, type, helpId);
}

int CLumPropertyPage::ShowMessage(const char* text, UINT type, UINT helpId) {
    return LumShowMessage(m_hWnd, text, type, helpId);
}

bool CLumPropertyPage::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const bool handled = CPropertyPage::OnNotify(wParam, lParam, result);
    UpdateControls();
    return handled;
}

LRESULT CLumPropertyPage::OnContextMenu(WPARAM, LPARAM lParam) {
    if (ShowContextMenuAt(this, m_contextMenus, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam))) return 0;
    return Default();
}

LRESULT CLumPropertyPage::OnHelpInfo(WPARAM wParam, LPARAM lParam) {
    if (HandleHelpInfo(this, reinterpret_cast<HELPINFO*>(lParam))) return TRUE;
    return CPropertyPage::OnHelpInfo(wParam, lParam);
}

LRESULT CLumPropertyPage::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default();
    if (HIWORD(lParam) == 0) LumUpdatePopupMenu(reinterpret_cast<HMENU>(wParam), this);
    return result;
}

// ---- CLumPropertySheet ----

const CRuntimeClass CLumPropertySheet::classCLumPropertySheet = {
    "CLumPropertySheet", sizeof(CLumPropertySheet), &CPropertySheet::classCPropertySheet, nullptr};

const CRuntimeClass* CLumPropertySheet::GetRuntimeClass() const { return &classCLumPropertySheet; }

const MessageMapEntry CLumPropertySheet::messageEntries[] = {
    On::Message<&CLumPropertySheet::OnCreate>(WM_CREATE),
    On::Message<&CLumPropertySheet::OnInitMenuPopup>(WM_INITMENUPOPUP),
    On::End(),
};
const MessageMap CLumPropertySheet::messageMap = {&CPropertySheet::messageMap,
                                                  CLumPropertySheet::messageEntries};

const MessageMap* CLumPropertySheet::GetMessageMap() const { return &messageMap; }

CLumPropertySheet::CLumPropertySheet(UINT captionId, CWnd* parent, UINT selectPage)
    : CPropertySheet(captionId, parent, selectPage) {}

CLumPropertySheet::CLumPropertySheet(const char* caption, CWnd* parent, UINT selectPage)
    : CPropertySheet(caption, parent, selectPage) {}

CLumPropertySheet::~CLumPropertySheet() = default;

LRESULT CLumPropertySheet::OnCreate(WPARAM, LPARAM) {
    if (Default() == -1) return -1;
    ModifyStyleEx(0, WS_EX_CONTEXTHELP);
    return 0;
}

LRESULT CLumPropertySheet::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = Default();
    CPropertyPage* page = GetActivePage();
    if (HIWORD(lParam) == 0 && page) LumUpdatePopupMenu(reinterpret_cast<HMENU>(wParam), page);
    return result;
}
