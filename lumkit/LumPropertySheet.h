// The bases of the program's tabbed settings windows: pages with the
// additions LUMKIT's dialogs have, and a sheet with the caption's context
// help button whose popup menus are updated through the active page.
#pragma once

#include <windows.h>

#include "framework/PropertySheet.h"
#include "lumkit/LumHelp.h"

class CLumListCtrl;

class CLumPropertyPage : public CPropertyPage {
public:
    CLumPropertyPage();                                                // 802
    CLumPropertyPage(UINT templateId, UINT captionId);                // 800
    CLumPropertyPage(const char* templateName, UINT captionId);       // 801
    ~CLumPropertyPage() override;                                      // 803

    void DoDataExchange(CDataExchange* dx) override;                   // 808

    virtual int CompareItems(CLumListCtrl* list, LPARAM lParam1, LPARAM lParam2);        // 823
    virtual void AddContextMenu(UINT controlId, UINT menuId, int defaultItem);           // 805
    virtual void AddContextMenu(UINT controlId, const char* menuName, int defaultItem);  // 806
    virtual void UpdateControls();                                     // 817

    [[noreturn]] void FailValidation(UINT controlId, UINT messageId);  // 807
    int ShowMessage(UINT messageId, UINT type, UINT helpId = static_cast<UINT>(-1));  // 811
    int ShowMessage(const char* text, UINT type, UINT helpId);        // 812

    const CRuntimeClass* GetRuntimeClass() const override;             // 804
    static const CRuntimeClass classCLumPropertyPage;                  // 821
    const MessageMap* GetMessageMap() const override;                  // 809
    static const MessageMap messageMap;                                // 822
    static const MessageMapEntry messageEntries[];                     // 810

protected:
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;  // 816

    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);               // 813
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);                  // 814
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);             // 815

    LumContextMenus m_contextMenus;
};

class CLumPropertySheet : public CPropertySheet {
public:
    CLumPropertySheet(UINT captionId, CWnd* parent = nullptr, UINT selectPage = 0);           // 900
    CLumPropertySheet(const char* caption, CWnd* parent = nullptr, UINT selectPage = 0);      // 901
    ~CLumPropertySheet() override;                                                            // 902

    const CRuntimeClass* GetRuntimeClass() const override;             // 903
    static const CRuntimeClass classCLumPropertySheet;                 // 911
    const MessageMap* GetMessageMap() const override;                  // 904
    static const MessageMap messageMap;                                // 912
    static const MessageMapEntry messageEntries[];                     // 905

protected:
    // Adds the caption's "?" button.
    LRESULT OnCreate(WPARAM wParam, LPARAM lParam);                    // 906
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);             // 907
};
