// The settings sheet: the general page, the accounts and the rules, each on
// working copies taken when the sheet opens. It is modeless, exists at most
// once, and deletes itself when its window is gone.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "lumkit/LumPropertySheet.h"
#include "postling/settings/PropertiesPage1.h"
#include "postling/settings/PropertiesPage2.h"
#include "postling/settings/PropertiesPage3.h"
#include "postling/shell/SettingsWindow.h"

class CMessage;
class CSounds;
class ShellHost;

class CProperties : public CLumPropertySheet, public SettingsWindow {
public:
    // `sounds` null: the rules page's sound button does nothing.
    CProperties(ShellHost& host, CSounds* sounds, HWND mainFrame, std::vector<LanguageEntry> languages);
    ~CProperties() override;

    // Creates the window, parented to the desktop; false when it could not
    // be made (the object stays the caller's).
    bool Open();
    // SettingsWindow
    void Activate() override;
    bool IsChildDialogActive() const override;
    void AddRuleFromMessage(const CMessage& message, int kind) override;
    void ShowAccountsPage() override;
    void Close() override;

    // Called once the window is gone, before the object deletes itself.
    std::function<void()> m_onDestroyed;

    CPropertiesPage3 m_page3;
    CPropertiesPage1 m_page1;
    CPropertiesPage2 m_page2;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCProperties;

protected:
    void PostNcDestroy() override;

private:
    // The accounts page's acceptance: the copies handed to the live accounts.
    bool AcceptAccounts(const std::vector<const CAccount*>& edited);
    std::string OfferedCertificate(const CAccount& account) const;

    ShellHost& m_host;
};
