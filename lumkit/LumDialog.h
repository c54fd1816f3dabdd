// The base of the program's dialog boxes: right-click menus and context
// help for controls, F1 help as popups, the Help button, command-UI
// updating of the dialog's controls and popup menus after every user
// action, message boxes owned by the dialog, and a validation helper.
#pragma once

#include <windows.h>

#include "framework/Dialog.h"
#include "lumkit/LumHelp.h"

class CLumListCtrl;

class CLumDialog : public CDialog {
public:
    CLumDialog();                                                     // 105
    CLumDialog(const char* templateName, CWnd* parent = nullptr);     // 102
    CLumDialog(UINT templateId, CWnd* parent = nullptr);              // 104
    ~CLumDialog() override;                                           // 106

    void DoDataExchange(CDataExchange* dx) override;                  // 107

    // Sort hook of the lists the dialog owns: the base declines with 0.
    virtual int CompareItems(CLumListCtrl* list, LPARAM lParam1, LPARAM lParam2);  // 115
    // Registers (or replaces) the popup menu of a control.
    virtual void AddContextMenu(UINT controlId, UINT menuId, int defaultItem);          // 112
    virtual void AddContextMenu(UINT controlId, const char* menuName, int defaultItem);  // 113
    // WM_IDLEUPDATECMDUI to the visible dialog and its descendants with objects.
    virtual void UpdateControls();                                    // 127

    // The message box, the focus on the control, then the user exception.
    [[noreturn]] void FailValidation(UINT controlId, UINT messageId);  // 116
    // `helpId` -1: the message ID itself.
    int ShowMessage(UINT messageId, UINT type, UINT helpId = static_cast<UINT>(-1));  // 118
    int ShowMessage(const char* text, UINT type, UINT helpId);       // 119

    const CRuntimeClass* GetRuntimeClass() const override;            // 101
    static const CRuntimeClass classCLumDialog;                       // 100
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;                               // 120
    static const MessageMapEntry messageEntries[];

protected:
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;            // 122
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;  // 126

    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);                 // 121
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);              // 123
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);                 // 124
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);            // 125
    void OnHelp();                                                    // 128

    LumContextMenus m_contextMenus;
};
