// The settings sheet as the tray sees it. The application makes it (it
// knows the language modules and the sounds); the frame keeps it while its
// window exists.
#pragma once

#include <windows.h>

class CMessage;

class SettingsWindow {
public:
    virtual ~SettingsWindow() = default;

    // Shows the sheet and brings its last active popup forward.
    virtual void Activate() = 0;
    // One of the sheet's own dialogs (an account sheet, a message box) is open.
    virtual bool IsChildDialogActive() const = 0;
    // Makes the rules page current and adds a rule from the message there:
    // kind 0 by its sender, 1 by its subject.
    virtual void AddRuleFromMessage(const CMessage& message, int kind) = 0;
    // Makes the accounts page current (a first start has none to check).
    virtual void ShowAccountsPage() = 0;
    // Closes the sheet as its close button does (its edits are dropped).
    virtual void Close() = 0;
};
