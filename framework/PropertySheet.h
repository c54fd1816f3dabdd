// Property sheets and their pages over the system's property sheet. A
// sheet is always made modeless by the system; DoModal runs the
// framework's modal loop until the user closes it. Pages are dialogs whose
// objects attach to their windows when the sheet makes them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "FwExport.h"

class CPropertySheet;

class FW_API CPropertyPage : public CDialog {
public:
    CPropertyPage();
    // `captionId` 0: the template's caption is the tab's text.
    explicit CPropertyPage(UINT templateId, UINT captionId = 0);
    explicit CPropertyPage(const char* templateName, UINT captionId = 0);
    ~CPropertyPage() override;

    // The page becomes the sheet's current page: loads the controls again
    // (not the first time: OnInitDialog did). False refuses.
    virtual bool OnSetActive();
    // The page is left (or the sheet is confirmed): saves and validates;
    // false keeps the page.
    virtual bool OnKillActive();
    // OK or Apply, after every page's OnKillActive: OnOK, then true; false
    // keeps the sheet open on this page.
    virtual bool OnApply();
    // Cancel: OnCancel.
    virtual void OnReset();
    // Whether the sheet may be cancelled.
    virtual bool OnQueryCancel();
    // Pages end nothing themselves: the sheet does.
    void OnOK() override;
    void OnCancel() override;

    // Enables the sheet's Apply button (or, false, no longer for this page).
    void SetModified(bool changed = true);
    CPropertySheet* GetSheet() const;

    // The sheet's navigation keys are the sheet's to handle.
    bool PreTranslateMessage(MSG* msg) override;

    PROPSHEETPAGEA m_psp;
    std::string m_strCaption;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPropertyPage;

protected:
    // The sheet's PSN_ notifications become the virtuals above.
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;

private:
    friend class CPropertySheet;
    friend INT_PTR CALLBACK AfxPropPageDlgProc(HWND, UINT, WPARAM, LPARAM);
    void Construct(const char* templateName, UINT captionId);
    bool m_bFirstSetActive = true;
};

FW_API INT_PTR CALLBACK AfxPropPageDlgProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

class FW_API CPropertySheet : public CWnd {
public:
    CPropertySheet();
    explicit CPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);
    explicit CPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);
    ~CPropertySheet() override;

    // Pages stay the caller's.
    void AddPage(CPropertyPage* page);
    void RemovePage(CPropertyPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    CPropertyPage* GetPage(int index) const;
    CPropertyPage* GetActivePage() const;
    int GetActiveIndex() const;
    int GetPageIndex(const CPropertyPage* page) const;
    bool SetActivePage(int index);
    bool SetActivePage(CPropertyPage* page);

    // Modal: IDOK or IDCANCEL, -1 when the sheet could not be made (no
    // pages, a page template missing).
    virtual INT_PTR DoModal();
    // Modeless; the window is destroyed when the user closes the sheet.
    bool Create(CWnd* parent = nullptr);
    // Ends the sheet as if the button `result` (IDOK, IDCANCEL) was pressed.
    void EndDialog(int result);
    bool IsModal() const { return m_bModal; }

    bool PreTranslateMessage(MSG* msg) override;

    PROPSHEETHEADERA m_psh;
    std::string m_strCaption;
    CWnd* m_pParentWnd = nullptr;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPropertySheet;

protected:
    // OK and Cancel: the system's processing, then the end of the sheet
    // once the system let it close.
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;

private:
    void Construct(UINT selectPage);
    bool BuildAndCreate(HWND owner);
    bool Finished() const;
    // Once the system let the sheet close: the end of the modal loop, or
    // of a modeless sheet's window.
    void EndIfFinished(int result);

    std::vector<CPropertyPage*> m_pages;
    std::vector<PROPSHEETPAGEA> m_pageHeaders;
    bool m_bModal = false;
    bool m_bContinueModal = false;
    int m_nModalResult = -1;
};
