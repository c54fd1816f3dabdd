// Dialog boxes from dialog templates, modal and modeless. The template is
// found through the resource chain, so a language module can replace it.
// The dialog window is attached to its object as soon as the system makes
// it and is subclassed with the framework's window procedure: its messages
// go through the object's message maps, and what they leave goes to the
// system's dialog processing.
#pragma once

#include <windows.h>

#include "DataExchange.h"
#include "FwExport.h"
#include "Wnd.h"

class FW_API CDialog : public CWnd {
public:
    CDialog();
    // `templateId` is also the dialog's help ID.
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    explicit CDialog(const char* templateName, CWnd* parent = nullptr);
    ~CDialog() override;

    // Modeless: creates the window from the template (shown when the
    // template says WS_VISIBLE). False when the template is missing or the
    // window could not be made (OnInitDialog may end it).
    bool Create(UINT templateId, CWnd* parent = nullptr);
    bool Create(const char* templateName, CWnd* parent = nullptr);
    // Modal: disables the owner's top-level window, runs a message loop of
    // its own until EndDialog, enables the owner again and destroys the
    // window. The EndDialog result, or -1 when the dialog could not be made.
    virtual INT_PTR DoModal();
    // Ends a modal dialog with `result`; destroys a modeless one.
    void EndDialog(int result);
    bool IsModal() const { return m_bModal; }

    // Runs DoDataExchange: loading the controls, or saving and validating
    // them; false when a validation failed (the dialog stays as it is).
    bool UpdateData(bool saveAndValidate = true);

    // After the controls exist: UpdateData(false). True lets the system
    // give the focus to the first control.
    virtual bool OnInitDialog();
    // IDOK: UpdateData(true), then EndDialog(IDOK) when it succeeded.
    virtual void OnOK();
    // IDCANCEL (also the Esc key and the close box): EndDialog(IDCANCEL).
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* dx);

    // Dialog keys (Tab, Enter, Esc, mnemonics) for this dialog.
    bool PreTranslateMessage(MSG* msg) override;

    void GotoDlgCtrl(HWND control);
    void NextDlgCtrl(bool previous = false);
    // Centres the window over `over` (its owner when null; the desktop
    // when it has none).
    void CenterWindow(HWND over = nullptr);

    // The template and the dialog's help ID (the template ID; 0 for a
    // template with a name).
    const char* m_lpszTemplateName = nullptr;
    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCDialog;

protected:
    // The handlers of CDialog's map.
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);
    void HandleOK();
    void HandleCancel();
    // WM_HELP: the application's help at the dialog's help ID.
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);
    // The standard Help button (ID 9): the same.
    void OnHelp();

    // Creates the window from the template with `parent` as parent/owner.
    bool CreateFromTemplate(HWND parent);

private:
    bool m_bModal = false;
    bool m_bContinueModal = false;
    int m_nModalResult = -1;
};

// The system's own dialog procedure for framework dialogs: everything is
// handled through the subclassed window procedure, so it declines all.
FW_API INT_PTR CALLBACK AfxDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// A modal loop for `window` (a dialog or sheet): dispatches messages, with
// the framework's pre-translation, while `keepGoing` says so and the
// window exists; idle time updates the window's controls while it is
// visible. WM_QUIT ends the loop and is posted again.
FW_API void AfxRunModalLoop(CWnd* window, const std::function<bool()>& keepGoing);

// The top-level window that a modal window at `parent` disables.
FW_API HWND AfxGetModalOwner(HWND parent);
