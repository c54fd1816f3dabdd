#include "Language.h"

#include <clocale>
#include <cstring>

#include "framework/ResourceChain.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/SystemLanguage.h"

namespace {

bool EqualsIgnoreCase(const std::string& a, const char* b) {
    return lstrcmpiA(a.c_str(), b) == 0;
}

// The module's texts are untrusted: each ends inside its field.
void TerminateTexts(LanguageInfo& info) {
    info.szLocale[sizeof info.szLocale - 1] = '\0';
    info.szName[sizeof info.szName - 1] = '\0';
    info.szHelpFile[sizeof info.szHelpFile - 1] = '\0';
}

// Only files whose extension is exactly ".lng": the system's pattern match
// also takes ".lngx" and the like through short names.
bool IsModuleFileName(const char* name) {
    std::size_t length = std::strlen(name);
    return length > 4 && lstrcmpiA(name + length - 4, ".lng") == 0;
}

template <typename Proc>
Proc ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace

const CRuntimeClass CLanguage::classCLanguage = {"CLanguage", sizeof(CLanguage),
                                                 &CObject::classCObject, nullptr};

const CRuntimeClass* CLanguage::GetRuntimeClass() const { return &classCLanguage; }

CLanguage::CLanguage(std::string path) : m_strPath(std::move(path)) {
    std::memset(&m_info, 0, sizeof m_info);
    m_info.cbSize = sizeof(LanguageInfo);
}

CLanguage::~CLanguage() { Unload(); }

bool CLanguage::Load() {
    Unload();
    // No message boxes for files that are not loadable libraries.
    UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
    m_hModule = LoadLibraryA(m_strPath.c_str());
    SetErrorMode(oldMode);
    if (!m_hModule) return false;

    m_pfnGetVersion = ProcAddress<ZELLANG_GetVersionProc>(m_hModule, "ZELLANG_GetVersion");
    m_pfnGetLanguage = ProcAddress<ZELLANG_GetLanguageProc>(m_hModule, "ZELLANG_GetLanguage");
    bool ok = m_pfnGetVersion && m_pfnGetLanguage && m_pfnGetVersion() >= kLanguageInterfaceVersion;
    if (ok) {
        m_info.cbSize = sizeof(LanguageInfo);
        ok = m_pfnGetLanguage(&m_info) != 0;
        // Whatever the module wrote, the size stays ours and the texts end.
        m_info.cbSize = sizeof(LanguageInfo);
        TerminateTexts(m_info);
    }
    if (!ok) Unload();
    return ok;
}

void CLanguage::Unload() {
    if (!m_hModule) return;
    // Never leave the resource chain pointing at a released module.
    if (AfxGetLanguageModule() == m_hModule) AfxSetLanguageModule(nullptr);
    FreeLibrary(m_hModule);
    m_hModule = nullptr;
    m_pfnGetVersion = nullptr;
    m_pfnGetLanguage = nullptr;
}

HICON CLanguage::GetIcon() const {
    if (!m_hModule || m_info.hIcon == 0) return nullptr;
    // User handles are 32-bit values, widened by sign extension.
    return reinterpret_cast<HICON>(static_cast<LONG_PTR>(static_cast<std::int32_t>(m_info.hIcon)));
}

void CLanguageList::Scan(const std::string& directory) {
    if (directory.empty()) return;
    std::string folder = directory;
    if (folder.back() != '\\' && folder.back() != '/') folder += '\\';

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "ZEL*.lng").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        if (!IsModuleFileName(found.cFileName)) continue;
        auto language = std::make_unique<CLanguage>(folder + found.cFileName);
        if (language->Load()) {
            language->Unload();
            m_items.push_back(std::move(language));
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

CLanguage* CLanguageList::FindByLangId(std::uint16_t langId) const {
    for (const auto& language : m_items)
        if (language->m_info.wLangId == langId) return language.get();
    return nullptr;
}

std::string LanguageDirectory(const std::string& helpFilePath) {
    std::size_t slash = helpFilePath.find_last_of('\\');
    return slash == std::string::npos ? std::string() : helpFilePath.substr(0, slash + 1);
}

LanguageChoice ChooseLanguage(CLanguageList& languages, std::uint16_t wanted,
                              const std::string& helpFilePath) {
    LanguageChoice choice;
    CLanguage* candidates[] = {languages.FindByLangId(wanted),
                               languages.FindByLangId(SystemDefaultLanguage())};
    for (CLanguage* language : candidates) {
        // The scan released it; a file gone or changed since then is skipped.
        if (language && (language->IsLoaded() || language->Load())) {
            choice.pModule = language;
            break;
        }
    }

    if (choice.pModule) {
        const LanguageInfo& info = choice.pModule->m_info;
        choice.wLanguage = info.wLangId;
        // Program text is single-byte throughout: a locale the run time
        // refuses leaves the built-in one rather than "C".
        if (!info.szLocale[0] || !std::setlocale(LC_ALL, info.szLocale))
            std::setlocale(LC_ALL, kBuiltInLocale);
        // The executable follows the module in the chain.
        AfxSetLanguageModule(choice.pModule->GetModule());
        // A bare file name is the module's own help beside it: the current
        // directory of a program started by the system is anywhere.
        choice.strHelpFile = info.szHelpFile;
        if (choice.strHelpFile.find_first_of("\\/:") == std::string::npos && !choice.strHelpFile.empty())
            choice.strHelpFile = LanguageDirectory(choice.pModule->GetPath()) + choice.strHelpFile;
        std::size_t dot = choice.strHelpFile.find_last_of('.');
        choice.bHtmlHelp =
            dot != std::string::npos && EqualsIgnoreCase(choice.strHelpFile.substr(dot), ".CHM");
        return choice;
    }

    std::setlocale(LC_ALL, kBuiltInLocale);
    choice.wLanguage = kBuiltInLanguage;
    AfxSetLanguageModule(nullptr);
    choice.strHelpFile = helpFilePath;
    std::size_t dot = helpFilePath.find_last_of('.');
    if (dot != std::string::npos && dot > 0) {
        choice.strHelpFile = helpFilePath.substr(0, dot) + ".CHM";
        choice.bHtmlHelp = true;
        choice.bInitHtmlHelp = true;
    }
    return choice;
}

LanguageChoice StartLanguage(CLanguageList& languages, ProgramSettings& settings,
                             const std::string& helpFilePath) {
    std::string directory = LanguageDirectory(helpFilePath);
    if (!directory.empty()) languages.Scan(directory);
    settings.LoadLanguage();
    LanguageChoice choice = ChooseLanguage(languages, settings.m_wLanguage, helpFilePath);
    settings.m_wLanguage = choice.wLanguage;
    return choice;
}
