// Language modules: "ZEL*.lng" libraries beside the executable that carry
// translated copies of the program's resources and describe themselves
// through two exports, ZELLANG_GetVersion and ZELLANG_GetLanguage.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/Object.h"

class ProgramSettings;

// The record a module fills in. Shared with modules built apart from the
// program, so the layout is fixed: packed, 402 bytes.
#pragma pack(push, 1)
struct LanguageInfo {
    std::uint32_t cbSize;      // 402, set by the program before every call
    std::uint32_t dwReserved;  // not read
    std::uint16_t wLangId;     // Windows language id
    std::int32_t nCodePage;    // shown to the user
    std::uint32_t hIcon;       // icon handle in 32 bits, valid while the module is loaded; 0: none
    char szLocale[128];        // C run-time locale name
    char szName[128];          // display name
    char szHelpFile[128];      // help file of this language
};
#pragma pack(pop)

static_assert(sizeof(LanguageInfo) == 402, "LanguageInfo is 402 bytes");
static_assert(offsetof(LanguageInfo, cbSize) == 0, "cbSize at 0");
static_assert(offsetof(LanguageInfo, dwReserved) == 4, "dwReserved at 4");
static_assert(offsetof(LanguageInfo, wLangId) == 8, "wLangId at 8");
static_assert(offsetof(LanguageInfo, nCodePage) == 10, "nCodePage at 10");
static_assert(offsetof(LanguageInfo, hIcon) == 14, "hIcon at 14");
static_assert(offsetof(LanguageInfo, szLocale) == 18, "szLocale at 18");
static_assert(offsetof(LanguageInfo, szName) == 146, "szName at 146");
static_assert(offsetof(LanguageInfo, szHelpFile) == 274, "szHelpFile at 274");

// The two exports: C calling convention.
using ZELLANG_GetVersionProc = std::int32_t(__cdecl*)();
using ZELLANG_GetLanguageProc = std::int32_t(__cdecl*)(LanguageInfo*);

// Lowest interface version accepted.
constexpr std::int32_t kLanguageInterfaceVersion = 0x100;

// One language module.
class CLanguage : public CObject {
public:
    explicit CLanguage(std::string path);
    ~CLanguage() override;  // unloads
    CLanguage(const CLanguage&) = delete;
    CLanguage& operator=(const CLanguage&) = delete;

    static const CRuntimeClass classCLanguage;
    const CRuntimeClass* GetRuntimeClass() const override;

    // Loads the file and checks it: both exports present, version at least
    // 0x100, the record filled in. True: the module stays loaded. False:
    // nothing stays loaded. No error is shown either way.
    bool Load();
    // Releases the module; the record keeps its values (hIcon is stale).
    void Unload();

    bool IsLoaded() const { return m_hModule != nullptr; }
    HMODULE GetModule() const { return m_hModule; }
    const std::string& GetPath() const { return m_strPath; }
    // The module's icon while it is loaded and has one, else null.
    HICON GetIcon() const;

    LanguageInfo m_info;

private:
    std::string m_strPath;
    HMODULE m_hModule = nullptr;
    ZELLANG_GetVersionProc m_pfnGetVersion = nullptr;
    ZELLANG_GetLanguageProc m_pfnGetLanguage = nullptr;
};

// The modules found at start-up, in the order the files were found; owns them.
class CLanguageList {
public:
    CLanguageList() = default;
    CLanguageList(const CLanguageList&) = delete;
    CLanguageList& operator=(const CLanguageList&) = delete;

    // Appends every "ZEL*.lng" module of `directory` that loads and checks,
    // unloaded again. A directory without the final "\" gets one.
    void Scan(const std::string& directory);
    // First module with the language id, or null.
    CLanguage* FindByLangId(std::uint16_t langId) const;

    std::size_t GetCount() const { return m_items.size(); }
    CLanguage* GetAt(std::size_t index) const { return m_items[index].get(); }
    void Add(std::unique_ptr<CLanguage> language) { m_items.push_back(std::move(language)); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<std::unique_ptr<CLanguage>> m_items;
};

// Locale of the built-in Russian interface.
constexpr const char kBuiltInLocale[] = "rus_rus.1251";
constexpr std::uint16_t kBuiltInLanguage = 0x419;

// What start-up chose.
struct LanguageChoice {
    CLanguage* pModule = nullptr;  // loaded, the first module of the resource chain; null: built-in
    std::uint16_t wLanguage = kBuiltInLanguage;
    std::string strHelpFile;       // the help-file path to use from now on
    bool bHtmlHelp = false;        // the help file is compiled HTML help
    bool bInitHtmlHelp = false;    // built-in help: the caller initialises HTML help
};

// The folder of the default help-file path up to and including its last
// "\"; empty when it has none.
std::string LanguageDirectory(const std::string& helpFilePath);

// Chooses the module for `wanted`, failing that for the system's language,
// failing that the built-in resources; loads it, sets the C locale for all
// categories and switches the resource chain. A chosen module that no
// longer loads counts as missing.
LanguageChoice ChooseLanguage(CLanguageList& languages, std::uint16_t wanted,
                              const std::string& helpFilePath);

// Start-up: scans the program's folder into `languages`, reads "Language"
// into `settings`, chooses as above and stores the language used in
// settings.m_wLanguage.
LanguageChoice StartLanguage(CLanguageList& languages, ProgramSettings& settings,
                             const std::string& helpFilePath);
