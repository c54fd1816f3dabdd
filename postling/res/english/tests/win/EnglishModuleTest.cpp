// The English language module as the program loads it: it describes itself,
// its help file lies beside it, and it carries every dialog and menu of the
// program (the same controls and items) and every string of the program, the
// framework and LUMKIT, with no Russian text left in any of them; the tray
// counts in English.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "framework/ResourceChain.h"
#include "postling/app/Language.h"
#include "postling/shell/MainFrame.h"

namespace {

std::string BinDir() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of('\\') + 1);
}

bool HasCyrillic(const std::wstring& text) {
    for (wchar_t c : text)
        if (c >= 0x400 && c <= 0x4FF) return true;
    return false;
}

// A module's resources of one type, by name or number.
std::vector<std::string> ResourceNames(HMODULE module, LPCSTR type) {
    std::vector<std::string> names;
    EnumResourceNamesA(
        module, type,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR param) -> BOOL {
            auto* out = reinterpret_cast<std::vector<std::string>*>(param);
            out->push_back(IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name))
                                                : std::string(name));
            return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&names));
    return names;
}

LPCSTR AsName(const std::string& name) {
    return name[0] == '#' ? MAKEINTRESOURCEA(std::stoul(name.substr(1))) : name.c_str();
}

// The string identifiers a module has, with their texts.
std::vector<std::pair<UINT, std::wstring>> Strings(HMODULE module) {
    std::vector<std::pair<UINT, std::wstring>> strings;
    for (const std::string& block : ResourceNames(module, RT_STRING)) {
        const UINT first = (static_cast<UINT>(std::stoul(block.substr(1))) - 1) * 16;
        for (UINT id = first; id < first + 16; ++id) {
            const wchar_t* text = nullptr;
            int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
            if (length > 0) strings.emplace_back(id, std::wstring(text, static_cast<std::size_t>(length)));
        }
    }
    return strings;
}

struct Control {
    int id;
    std::wstring text;
};

// A dialog of the module made hidden, with its caption and controls.
std::vector<Control> DialogControls(HMODULE module, LPCSTR name, std::wstring& caption) {
    std::vector<Control> controls;
    HWND dialog = CreateDialogParamW(module, reinterpret_cast<LPCWSTR>(name), nullptr,
                                     [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    if (!dialog) return controls;
    wchar_t text[512] = {};
    GetWindowTextW(dialog, text, 512);
    caption = text;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t childText[512] = {};
        GetWindowTextW(child, childText, 512);
        controls.push_back({GetDlgCtrlID(child), childText});
    }
    DestroyWindow(dialog);
    return controls;
}

struct Item {
    UINT id;
    std::wstring text;
};

void MenuItems(HMENU menu, std::vector<Item>& items) {
    for (int i = 0, count = GetMenuItemCount(menu); i < count; ++i) {
        wchar_t text[512] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
        HMENU sub = GetSubMenu(menu, i);
        items.push_back({sub ? 0xFFFFFFFFu : GetMenuItemID(menu, i), text});
        if (sub) MenuItems(sub, items);
    }
}

std::vector<Item> Menu(HMODULE module, LPCSTR name) {
    std::vector<Item> items;
    if (HMENU menu = LoadMenuA(module, name)) {
        MenuItems(menu, items);
        DestroyMenu(menu);
    }
    return items;
}

class EnglishModule : public ::testing::Test {
protected:
    void SetUp() override {
        m_module = LoadLibraryA((BinDir() + "ZELENG.lng").c_str());
        ASSERT_NE(m_module, nullptr);
        m_program = LoadLibraryExA((BinDir() + "Postling.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(m_program, nullptr);
    }
    void TearDown() override {
        if (m_module) FreeLibrary(m_module);
        if (m_program) FreeLibrary(m_program);
    }
    HMODULE m_module = nullptr;
    HMODULE m_program = nullptr;
};

}  // namespace

TEST_F(EnglishModule, DescribesItselfWithItsIconAndItsHelpBesideIt) {
    CLanguage language(BinDir() + "ZELENG.lng");
    ASSERT_TRUE(language.Load());
    EXPECT_EQ(language.m_info.cbSize, 402u);
    EXPECT_EQ(language.m_info.wLangId, 0x409);
    EXPECT_EQ(language.m_info.nCodePage, 1252);
    EXPECT_STREQ(language.m_info.szName, "English");
    EXPECT_STREQ(language.m_info.szLocale, "English_United States.1252");
    EXPECT_STREQ(language.m_info.szHelpFile, "PostlingEN.chm");
    EXPECT_NE(language.GetIcon(), nullptr);
    EXPECT_NE(GetFileAttributesA((BinDir() + language.m_info.szHelpFile).c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(EnglishModule, EveryDialogAndMenuHasTheSameControlsAndItemsInEnglish) {
    const std::vector<std::string> dialogs = ResourceNames(m_program, RT_DIALOG);
    ASSERT_GE(dialogs.size(), 15u);
    for (const std::string& name : dialogs) {
        SCOPED_TRACE("dialog " + name);
        std::wstring russianCaption, englishCaption;
        const auto russian = DialogControls(m_program, AsName(name), russianCaption);
        const auto english = DialogControls(m_module, AsName(name), englishCaption);
        ASSERT_EQ(english.size(), russian.size());
        EXPECT_FALSE(HasCyrillic(englishCaption));
        EXPECT_EQ(englishCaption.empty(), russianCaption.empty());
        for (std::size_t i = 0; i < english.size(); ++i) {
            EXPECT_EQ(english[i].id, russian[i].id);
            EXPECT_FALSE(HasCyrillic(english[i].text)) << english[i].id;
            EXPECT_EQ(english[i].text.empty(), russian[i].text.empty()) << english[i].id;
        }
    }
    const std::vector<std::string> menus = ResourceNames(m_program, RT_MENU);
    ASSERT_GE(menus.size(), 4u);
    for (const std::string& name : menus) {
        SCOPED_TRACE("menu " + name);
        const auto russian = Menu(m_program, AsName(name));
        const auto english = Menu(m_module, AsName(name));
        ASSERT_EQ(english.size(), russian.size());
        for (std::size_t i = 0; i < english.size(); ++i) {
            EXPECT_EQ(english[i].id, russian[i].id);
            EXPECT_FALSE(HasCyrillic(english[i].text)) << english[i].id;
            // A shortcut after a tab where the Russian item shows one.
            EXPECT_EQ(english[i].text.find(L'\t') == std::wstring::npos,
                      russian[i].text.find(L'\t') == std::wstring::npos)
                << english[i].id;
        }
    }
}

TEST_F(EnglishModule, TheStringsOfTheProgramTheFrameworkAndLumkitAreEnglish) {
    // Every string the module has is one of theirs, and English; the
    // framework's and LUMKIT's are all there, the program's but for the few
    // it keeps as they are (registry names, words the header parser reads).
    std::map<UINT, std::wstring> theirs;
    std::set<UINT> libraryIds, programIds;
    HMODULE lumkit = LoadLibraryExA((BinDir() + "LUMKIT.dll").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(lumkit, nullptr);
    for (HMODULE library : {GetModuleHandleA("Framework.dll"), lumkit}) {
        ASSERT_NE(library, nullptr);
        for (const auto& [id, text] : Strings(library)) {
            theirs[id] = text;
            libraryIds.insert(id);
        }
    }
    FreeLibrary(lumkit);
    for (const auto& [id, text] : Strings(m_program)) {
        theirs[id] = text;
        programIds.insert(id);
    }

    std::set<UINT> englishIds;
    for (const auto& [id, text] : Strings(m_module)) {
        englishIds.insert(id);
        EXPECT_EQ(theirs.count(id), 1u) << id << ": a string of no module of the program";
        EXPECT_FALSE(HasCyrillic(text)) << id;
    }
    for (UINT id : libraryIds) EXPECT_EQ(englishIds.count(id), 1u) << id;
    std::size_t kept = 0;
    for (UINT id : programIds) kept += englishIds.count(id) == 0;
    EXPECT_LE(kept, 8u) << "more than a few of the program's strings kept as they are";
}

TEST_F(EnglishModule, TheTrayCountsItsMessagesInEnglish) {
    // The module first in the chain, as the program has it after start-up.
    AfxSetLanguageModule(m_module);
    const struct {
        int total, fresh;
        const char* text;
    } cases[] = {
        {0, 0, "No messages"},
        {1, 1, "1 message (1 new)"},
        {2, 0, "2 messages (none new)"},
        {21, 21, "21 messages (21 new)"},
        {22, 11, "22 messages (11 new)"},
        {1001, 1, "1001 messages (1 new)"},
    };
    for (const auto& c : cases) EXPECT_EQ(CMainFrame::FormatMailCount(c.total, c.fresh), c.text);
    AfxSetLanguageModule(nullptr);
    // The program's own rule without the module: 21 takes the singular.
    EXPECT_EQ(CMainFrame::FormatMailCount(21, 0).substr(0, 3), "21 ");
}
