// Language modules: loading and checking, the folder scan, and the start-up
// choice that puts a module in front of the resource chain. The modules are
// built by this folder's CMakeLists into bin\lng-test; each test copies the
// ones it needs into a folder of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <set>
#include <string>

#include "framework/ResourceChain.h"
#include "postling/app/Language.h"
#include "postling/model/MemoryProfileStore.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/SystemLanguage.h"

namespace {

std::string ModuleSourceDir() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of('\\') + 1) + "lng-test\\";
}

// A fresh folder under %TEMP%, removed with its files at the end.
class TempFolder {
public:
    TempFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        static int counter = 0;
        m_path = std::string(temp) + "postling-lng-" + std::to_string(GetCurrentProcessId()) + "-" +
                 std::to_string(++counter) + "\\";
        CreateDirectoryA(m_path.c_str(), nullptr);
    }
    ~TempFolder() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((m_path + "*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveDirectoryA((m_path + name).c_str());
                else
                    DeleteFileA((m_path + name).c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(m_path.c_str());
    }
    // Copies a test module, under another name if given; returns the new path.
    std::string Copy(const std::string& module, std::string as = std::string()) {
        if (as.empty()) as = module + ".lng";
        std::string target = m_path + as;
        EXPECT_TRUE(CopyFileA((ModuleSourceDir() + module + ".lng").c_str(), target.c_str(), FALSE))
            << module;
        return target;
    }
    void Write(const std::string& name, const std::string& text) {
        HANDLE file = CreateFileA((m_path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        CloseHandle(file);
    }
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

std::string FileName(const std::string& path) { return path.substr(path.find_last_of('\\') + 1); }

bool IsInProcess(const std::string& path) { return GetModuleHandleA(path.c_str()) != nullptr; }

std::string ExeString(UINT id) {
    char text[512];
    int length = LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return std::string(text, length > 0 ? length : 0);
}

std::string ChainString(UINT id) {
    std::string text;
    EXPECT_TRUE(AfxLoadString(id, text)) << id;
    return text;
}

std::string CurrentLocale() {
    const char* name = std::setlocale(LC_ALL, nullptr);
    return name ? name : "";
}

// Global state the start-up choice changes: chain, locale, system language.
class LanguageTest : public ::testing::Test {
protected:
    void TearDown() override {
        AfxSetLanguageModule(nullptr);
        std::setlocale(LC_ALL, "C");
        SetSystemLanguageForTesting(std::nullopt);
        SetProfileStore(nullptr);
    }
    TempFolder m_folder;  // outlives every module the test loads from it
};

// --- CLanguage::Load and Unload ---------------------------------------------

TEST_F(LanguageTest, Version256LoadsAndFillsTheRecordAtItsOffsets) {
    CLanguage language(m_folder.Copy("ZELen"));
    ASSERT_TRUE(language.Load());
    EXPECT_TRUE(language.IsLoaded());
    EXPECT_EQ(language.GetModule(), GetModuleHandleA(language.GetPath().c_str()));
    const LanguageInfo& info = language.m_info;
    EXPECT_EQ(info.cbSize, 402u);
    EXPECT_EQ(info.wLangId, 0x409);
    EXPECT_EQ(info.nCodePage, 1252);
    EXPECT_STREQ(info.szLocale, "English_United States.1252");
    EXPECT_STREQ(info.szName, "English");
    EXPECT_STREQ(info.szHelpFile, "english.chm");
    EXPECT_EQ(language.GetIcon(), LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION)));

    // Unloading keeps the record; the icon handle is no longer handed out.
    language.Unload();
    EXPECT_FALSE(language.IsLoaded());
    EXPECT_EQ(language.GetModule(), nullptr);
    EXPECT_FALSE(IsInProcess(language.GetPath()));
    EXPECT_STREQ(language.m_info.szName, "English");
    EXPECT_NE(language.m_info.hIcon, 0u);
    EXPECT_EQ(language.GetIcon(), nullptr);

    // Loaded again, then destroyed: destroying unloads.
    {
        CLanguage again(language.GetPath());
        ASSERT_TRUE(again.Load());
        EXPECT_STREQ(again.GetRuntimeClass()->m_lpszClassName, "CLanguage");
        EXPECT_TRUE(again.IsKindOf(&CObject::classCObject));
    }
    EXPECT_FALSE(IsInProcess(language.GetPath()));
}

TEST_F(LanguageTest, RefusedModulesLeaveNothingLoaded) {
    // Version 255, a negative version, each export missing, a record refused.
    for (const char* module : {"ZELold", "ZELneg", "ZELnover", "ZELnolang", "ZELfail"}) {
        SCOPED_TRACE(module);
        CLanguage language(m_folder.Copy(module));
        EXPECT_FALSE(language.Load());
        EXPECT_FALSE(language.IsLoaded());
        EXPECT_EQ(language.GetModule(), nullptr);
        EXPECT_FALSE(IsInProcess(language.GetPath()));
    }
    // A file that is not there, and one that is no library.
    m_folder.Write("ZELjunk.lng", "not a library");
    for (const std::string& path : {m_folder.Path() + "ZELmissing.lng", m_folder.Path() + "ZELjunk.lng"}) {
        SCOPED_TRACE(path);
        CLanguage language(path);
        EXPECT_FALSE(language.Load());
        EXPECT_FALSE(language.IsLoaded());
    }
}

TEST_F(LanguageTest, HostileRecordIsCutToItsFieldsAndKeepsItsSize) {
    // The module writes no terminators and overwrites the size; it refuses
    // any call whose size is not 402, so the second load proves it was reset.
    CLanguage language(m_folder.Copy("ZELhostile"));
    ASSERT_TRUE(language.Load());
    EXPECT_EQ(language.m_info.cbSize, 402u);
    EXPECT_EQ(std::strlen(language.m_info.szLocale), 127u);
    EXPECT_EQ(std::strlen(language.m_info.szName), 127u);
    EXPECT_EQ(std::strlen(language.m_info.szHelpFile), 127u);
    EXPECT_EQ(language.m_info.wLangId, 0x40C);
    language.Unload();
    EXPECT_TRUE(language.Load());
}

// --- CLanguageList -----------------------------------------------------------

TEST_F(LanguageTest, ScanKeepsOnlyModulesThatCheckUnloaded) {
    for (const char* module : {"ZELen", "ZELde", "ZELold", "ZELneg", "ZELnover", "ZELnolang",
                               "ZELfail", "ZELhostile"})
        m_folder.Copy(module);
    m_folder.Write("ZELjunk.lng", "not a library");
    m_folder.Copy("ZELen", "OTHERen.lng");    // wrong name
    m_folder.Copy("ZELen", "ZELlong.lngx");   // wrong extension
    CreateDirectoryA((m_folder.Path() + "ZELdir.lng").c_str(), nullptr);

    CLanguageList list;
    list.Scan(m_folder.Path());
    std::set<std::string> names;
    for (std::size_t i = 0; i < list.GetCount(); ++i) {
        CLanguage* language = list.GetAt(i);
        EXPECT_FALSE(language->IsLoaded());
        EXPECT_FALSE(IsInProcess(language->GetPath()));
        EXPECT_EQ(language->GetPath(), m_folder.Path() + FileName(language->GetPath()));
        names.insert(FileName(language->GetPath()));
    }
    EXPECT_EQ(list.GetCount(), 3u);
    EXPECT_EQ(names, (std::set<std::string>{"ZELen.lng", "ZELde.lng", "ZELhostile.lng"}));

    // A second scan appends; the final backslash may be missing.
    list.Scan(m_folder.Path().substr(0, m_folder.Path().size() - 1));
    EXPECT_EQ(list.GetCount(), 6u);
    list.Scan(m_folder.Path() + "absent\\");
    EXPECT_EQ(list.GetCount(), 6u);
}

TEST_F(LanguageTest, FindByLangIdGivesTheFirstInListOrder) {
    CLanguageList list;
    EXPECT_EQ(list.FindByLangId(0x409), nullptr);
    m_folder.Copy("ZELde");
    m_folder.Copy("ZELen", "ZELen1.lng");
    m_folder.Copy("ZELen", "ZELen2.lng");
    list.Scan(m_folder.Path());
    ASSERT_EQ(list.GetCount(), 3u);

    CLanguage* first = nullptr;
    for (std::size_t i = 0; i < list.GetCount() && !first; ++i)
        if (list.GetAt(i)->m_info.wLangId == 0x409) first = list.GetAt(i);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(list.FindByLangId(0x409), first);
    EXPECT_EQ(list.FindByLangId(0x407)->m_info.wLangId, 0x407);
    EXPECT_EQ(list.FindByLangId(0x419), nullptr);
}

// --- Start-up choice --------------------------------------------------------

TEST_F(LanguageTest, ChosenModuleOverridesProgramStringsThroughTheChain) {
    m_folder.Copy("ZELen");
    m_folder.Copy("ZELde");
    CLanguageList list;
    list.Scan(m_folder.Path());
    ASSERT_EQ(list.GetCount(), 2u);
    std::string russian = ExeString(10014);
    ASSERT_FALSE(russian.empty());
    ASSERT_EQ(ChainString(10014), russian);

    LanguageChoice choice = ChooseLanguage(list, 0x409, "C:\\Program\\Postling.hlp");
    ASSERT_NE(choice.pModule, nullptr);
    EXPECT_EQ(choice.pModule, list.FindByLangId(0x409));
    EXPECT_TRUE(choice.pModule->IsLoaded());
    EXPECT_EQ(choice.wLanguage, 0x409);
    EXPECT_EQ(AfxGetLanguageModule(), choice.pModule->GetModule());
    std::vector<HINSTANCE> chain = AfxGetResourceChain();
    ASSERT_GE(chain.size(), 2u);
    EXPECT_EQ(chain[0], choice.pModule->GetModule());
    EXPECT_EQ(chain[1], GetModuleHandleA(nullptr));

    // The module's string wins; what it lacks comes from the program.
    EXPECT_EQ(ChainString(10014), "English 10014");
    EXPECT_EQ(ChainString(10015), ExeString(10015));
    EXPECT_NE(CurrentLocale().find("1252"), std::string::npos) << CurrentLocale();
    EXPECT_EQ(choice.strHelpFile, m_folder.Path() + "english.chm");  // beside the module
    EXPECT_TRUE(choice.bHtmlHelp);
    EXPECT_FALSE(choice.bInitHtmlHelp);

    // Releasing the module takes it out of the chain.
    choice.pModule->Unload();
    EXPECT_EQ(AfxGetLanguageModule(), nullptr);
    EXPECT_EQ(ChainString(10014), russian);
}

TEST_F(LanguageTest, SystemLanguageModuleIsTheSecondChoice) {
    m_folder.Copy("ZELen");
    m_folder.Copy("ZELde");
    CLanguageList list;
    list.Scan(m_folder.Path());
    SetSystemLanguageForTesting(0x407);

    LanguageChoice choice = ChooseLanguage(list, 0x411, "C:\\Program\\Postling.hlp");
    ASSERT_NE(choice.pModule, nullptr);
    EXPECT_EQ(choice.wLanguage, 0x407);
    EXPECT_EQ(ChainString(10014), "Deutsch 10014");
    // Its locale is refused by the run time: the built-in one, not "C".
    EXPECT_NE(CurrentLocale().find("1251"), std::string::npos) << CurrentLocale();
    EXPECT_EQ(choice.strHelpFile, m_folder.Path() + "Deutsch.Hlp");
    EXPECT_FALSE(choice.bHtmlHelp);
}

TEST_F(LanguageTest, NoModuleForEitherLanguageKeepsTheBuiltInResources) {
    m_folder.Copy("ZELde");
    CLanguageList list;
    list.Scan(m_folder.Path());
    SetSystemLanguageForTesting(0x412);

    LanguageChoice choice = ChooseLanguage(list, 0x411, "C:\\Program\\Postling.hlp");
    EXPECT_EQ(choice.pModule, nullptr);
    EXPECT_FALSE(list.GetAt(0)->IsLoaded());
    EXPECT_EQ(choice.wLanguage, 0x419);
    EXPECT_EQ(AfxGetLanguageModule(), nullptr);
    EXPECT_EQ(ChainString(10014), ExeString(10014));
    EXPECT_NE(CurrentLocale().find("1251"), std::string::npos) << CurrentLocale();
    EXPECT_EQ(choice.strHelpFile, "C:\\Program\\Postling.CHM");
    EXPECT_TRUE(choice.bHtmlHelp);
    EXPECT_TRUE(choice.bInitHtmlHelp);

    // No "." after the start: the path stays and there is no HTML help.
    for (const char* path : {"C:\\Program\\Postling", ".hlp"}) {
        LanguageChoice plain = ChooseLanguage(list, 0x411, path);
        EXPECT_EQ(plain.strHelpFile, path);
        EXPECT_FALSE(plain.bHtmlHelp);
        EXPECT_FALSE(plain.bInitHtmlHelp);
    }
}

TEST_F(LanguageTest, ModuleGoneSinceTheScanCountsAsMissing) {
    std::string english = m_folder.Copy("ZELen");
    m_folder.Copy("ZELde");
    CLanguageList list;
    list.Scan(m_folder.Path());
    ASSERT_EQ(list.GetCount(), 2u);
    ASSERT_TRUE(DeleteFileA(english.c_str()));

    SetSystemLanguageForTesting(0x407);
    LanguageChoice choice = ChooseLanguage(list, 0x409, "C:\\Program\\Postling.hlp");
    ASSERT_NE(choice.pModule, nullptr);
    EXPECT_EQ(choice.wLanguage, 0x407);
    EXPECT_EQ(ChainString(10014), "Deutsch 10014");
}

TEST_F(LanguageTest, StartLanguageScansTheProgramFolderAndReadsTheSetting) {
    MemoryProfileStore store;
    SetProfileStore(&store);
    SetSystemLanguageForTesting(0x412);
    m_folder.Copy("ZELen");
    m_folder.Copy("ZELde");
    std::string helpPath = m_folder.Path() + "Postling.hlp";

    {
        store.WriteInt("Settings", "Language", 0x407);
        CLanguageList list;
        ProgramSettings settings;
        LanguageChoice choice = StartLanguage(list, settings, helpPath);
        EXPECT_EQ(list.GetCount(), 2u);
        ASSERT_NE(choice.pModule, nullptr);
        EXPECT_EQ(settings.m_wLanguage, 0x407);
        EXPECT_EQ(ChainString(10014), "Deutsch 10014");
    }
    // The list is gone and with it the module: the chain is back to the program.
    EXPECT_EQ(AfxGetLanguageModule(), nullptr);

    {
        // A help path without a folder: nothing is scanned.
        store.WriteInt("Settings", "Language", 0x409);
        CLanguageList list;
        ProgramSettings settings;
        LanguageChoice choice = StartLanguage(list, settings, "Postling.hlp");
        EXPECT_EQ(list.GetCount(), 0u);
        EXPECT_EQ(choice.pModule, nullptr);
        EXPECT_EQ(settings.m_wLanguage, 0x419);
    }
}

}  // namespace
