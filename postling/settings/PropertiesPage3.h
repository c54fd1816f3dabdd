// The settings sheet's general page: the mail program, the check options,
// how long error records are kept, the interface language and the start
// with the ICQ NetDetect Agent. It works on copies; accepting it writes
// them into the program's settings.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "framework/ImageList.h"
#include "lumkit/LumPropertySheet.h"
#include "postling/res/resource.h"

class ProgramSettings;

// A language module as the page lists it.
struct LanguageEntry {
    std::string name;
    std::uint16_t langId = 0;
    int codePage = 0;
    std::string path;     // the module's file
    HICON icon = nullptr; // null: none (the page shows its own)
};

class CPropertiesPage3 : public CLumPropertyPage {
public:
    enum { IDD = IDD_PROPERTIES_GENERAL };

    CPropertiesPage3(ProgramSettings& settings, std::vector<LanguageEntry> languages);
    ~CPropertiesPage3() override;

    // The language entry's text: "name (LANGID:0x..., CP:..., file)".
    static std::string LanguageText(const LanguageEntry& entry);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPropertiesPage3;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnApply() override;
    void OnBrowse();
    void OnDialupOnly();
    void OnExitWithoutDialup();

private:
    void FillLanguages();
    // The language id of the selected entry.
    std::uint16_t ChosenLanguage() const;
    void OfferRestart();

    ProgramSettings& m_settings;
    std::vector<LanguageEntry> m_languages;  // sorted by name
    UINT m_dwOptions = 0;
    int m_nErrorSaveTime = 0;
    bool m_bAgentEntry = false;   // as found when the page opened, then as written
    bool m_bAgentList = false;
    bool m_bDialupWarned = false;
    CImageList m_images;
};
