// The profile store over the real registry, read back with the Win32
// registry functions. The tests own the program's key while they run.
#include <gtest/gtest.h>
#include <windows.h>

#include <set>
#include <string>

#include "lumkit/LumRegistry.h"
#include "postling/model/AccountList.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/RegistryProfileStore.h"
#include "postling/model/tests/TestSupport.h"

namespace {

using Names = std::set<std::string>;
const std::string kRoot = RegistryProfileStore::kProgramKey;

struct Key {
    explicit Key(const std::string& subkey) {
        std::string path = subkey.empty() ? kRoot : kRoot + '\\' + subkey;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key))
            key = nullptr;
    }
    ~Key() { if (key) RegCloseKey(key); }
    HKEY key = nullptr;
};

// Type and bytes of a value; type REG_NONE when it is missing.
std::pair<DWORD, std::string> Read(const std::string& subkey, const std::string& name) {
    Key k(subkey);
    DWORD type = REG_NONE, size = 0;
    if (!k.key || RegQueryValueExA(k.key, name.c_str(), nullptr, &type, nullptr, &size)) return {REG_NONE, ""};
    std::string data(size, '\0');
    RegQueryValueExA(k.key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
    return {type, data.substr(0, size)};
}

std::pair<DWORD, std::string> Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }
std::pair<DWORD, std::string> Dword(DWORD n) { return {REG_DWORD, std::string(reinterpret_cast<char*>(&n), 4)}; }

Names Enumerate(const std::string& subkey, bool subkeys) {
    Names names;
    Key k(subkey);
    char name[512];
    for (DWORD i = 0, length = sizeof name; k.key; ++i, length = sizeof name) {
        LONG result = subkeys ? RegEnumKeyExA(k.key, i, name, &length, nullptr, nullptr, nullptr, nullptr)
                              : RegEnumValueA(k.key, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result != ERROR_SUCCESS) break;
        names.insert(std::string(name, length));
    }
    return names;
}

void WriteRaw(const std::string& name, DWORD type, const std::string& data) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (kRoot + "\\S").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr), ERROR_SUCCESS);
    RegSetValueExA(key, name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.data()),
                   static_cast<DWORD>(data.size()));
    RegCloseKey(key);
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRegTree(kRoot);
        PinTimeZone("UTC0");
        SetProfileStore(&m_store);
    }
    void TearDown() override {
        SetProfileStore(nullptr);
        DeleteRegTree(kRoot);
    }
    RegistryProfileStore m_store;
};

}  // namespace

TEST_F(RegistryTest, ValuesOfEachTypeAndBrokenOnes) {
    EXPECT_TRUE(m_store.WriteString("Settings", "Mailer", "C:\\mail.exe"));
    EXPECT_TRUE(m_store.WriteInt("Settings", "Options", -2));
    EXPECT_EQ(Read("Settings", "Mailer"), Sz("C:\\mail.exe"));
    EXPECT_EQ(Read("Settings", "Options"), Dword(0xFFFFFFFE));
    EXPECT_EQ(m_store.GetString("SETTINGS", "mailer", ""), "C:\\mail.exe");
    EXPECT_EQ(m_store.GetInt("Settings", "Options", 0), -2);

    WriteRaw("Unterminated", REG_SZ, "abc");
    WriteRaw("Two strings", REG_SZ, std::string("ab\0cd\0", 6));
    WriteRaw("Binary", REG_BINARY, "xyz");
    WriteRaw("Short dword", REG_DWORD, "\x01\x02");
    EXPECT_EQ(m_store.GetString("S", "Unterminated", "d"), "abc");
    EXPECT_EQ(m_store.GetString("S", "Two strings", "d"), "ab");
    EXPECT_EQ(m_store.GetString("S", "Binary", "d"), "d");
    EXPECT_EQ(m_store.GetInt("S", "Short dword", 7), 7);
    EXPECT_EQ(m_store.GetInt("S", "Unterminated", 7), 7);
    EXPECT_EQ(m_store.GetString("Accounts\\Account 007", "Name", "d"), "d");
    EXPECT_TRUE(Enumerate("", true).count("Accounts") == 0);  // reading creates no key
}

TEST_F(RegistryTest, DeleteTreeOfAMissingKeyGivesFalseAndChangesNothing) {
    m_store.WriteString("Accounts\\Account 000\\Check periods", "Period 0", "0,9,0,18,0");
    EXPECT_FALSE(m_store.DeleteTree("Rules"));
    EXPECT_FALSE(DeleteRegTree(kRoot + "\\Accounts\\Account 001"));
    EXPECT_EQ(Read("Accounts\\Account 000\\Check periods", "Period 0"), Sz("0,9,0,18,0"));
    EXPECT_TRUE(m_store.DeleteTree("Accounts"));
    EXPECT_EQ(Enumerate("", true), Names{});
}

TEST_F(RegistryTest, AccountsLayout) {
    CAccountList accounts;
    CAccount& first = *accounts.Add(std::make_unique<CAccount>());
    first.m_strName = "First";
    first.m_dwOptions = CAccount::OPT_CHECK_PERIODS | CAccount::OPT_UNCHECK_PERIODS;
    first.m_checkPeriods.Add(CInterval());
    first.m_checkPeriods.Add(CInterval::Weekly(4, 18, 0, 0, 9, 0));
    first.m_uncheckPeriods.Add(CInterval::Monthly(1, 0, 0, 2, 0, 0));
    for (const char* id : {"<a@x>", "<b@x>"}) {
        first.m_knownIds.push_back(std::make_unique<CMessage>());
        first.m_knownIds.back()->m_strMessageId = id;
    }
    for (int c = 1; c < 256; ++c) first.m_strPassword += static_cast<char>(c);  // any byte but NUL
    accounts.Add(std::make_unique<CAccount>())->m_strName = "Second";
    accounts.SaveAllAccounts();

    EXPECT_EQ(Enumerate("Accounts", true), (Names{"Account 000", "Account 001"}));
    const std::string key = "Accounts\\Account 000";
    EXPECT_EQ(Enumerate(key, true), (Names{"Check periods", "Uncheck periods"}));
    EXPECT_EQ(Enumerate(key, false), (Names{"Options", "Name", "Server", "User", "Password", "Protocol", "Port",
                                            "Time Out", "Interval", "Security", "Certificate", "Message ID 0",
                                            "Message ID 1"}));
    EXPECT_EQ(Read(key, "Options"), Dword(6));
    EXPECT_EQ(Read(key, "Name"), Sz("First"));
    EXPECT_EQ(Read(key, "User"), Sz(""));
    EXPECT_EQ(Read(key, "Password"), Sz(first.m_strPassword));
    EXPECT_EQ(Read(key, "Protocol"), Dword(0));
    EXPECT_EQ(Read(key, "Port"), Dword(110));
    EXPECT_EQ(Read(key, "Time Out"), Dword(60));
    EXPECT_EQ(Read(key, "Interval"), Dword(600));
    EXPECT_EQ(Read(key, "Security"), Dword(0));  // plain POP3, as every older account reads
    EXPECT_EQ(Read(key, "Certificate"), Sz(""));
    EXPECT_EQ(Read(key, "Message ID 1"), Sz("<b@x>"));
    EXPECT_EQ(Enumerate(key + "\\Check periods", false), (Names{"Period 0", "Period 1"}));
    EXPECT_EQ(Read(key + "\\Check periods", "Period 1"), Sz("1,4,18,0,0,9,0"));
    EXPECT_EQ(Read(key + "\\Uncheck periods", "Period 0"), Sz("2,1,0,0,2,0,0"));
    EXPECT_EQ(Enumerate("Accounts\\Account 001", true), Names{});

    CAccountList loaded;
    ASSERT_EQ(loaded.LoadAccounts(CurrentTime()), 2u);
    EXPECT_EQ(loaded[0].m_strPassword, first.m_strPassword);
    EXPECT_EQ(loaded[0].m_checkPeriods.Describe(), first.m_checkPeriods.Describe());
}

TEST_F(RegistryTest, ProgramSettingsAndTheSystemLanguage) {
    ProgramSettings settings;
    settings.LoadLanguage();
    EXPECT_EQ(settings.m_wLanguage, GetSystemDefaultLangID());
    settings.m_strMailer = "C:\\\xCF\xEE\xF7\xF2\xE0.exe";  // "Почта"
    settings.m_dwOptions = OPT_CONFIRM_EXIT | OPT_MUTE_ON_MENU;
    settings.Save();
    EXPECT_EQ(Enumerate("Settings", false),
              (Names{"Mailer", "Options", "Error Save Time", "Silent Sound Duration", "Language"}));
    EXPECT_EQ(Read("Settings", "Mailer"), Sz(settings.m_strMailer));
    EXPECT_EQ(Read("Settings", "Options"), Dword(0x18));
    EXPECT_EQ(Read("Settings", "Language"), Dword(GetSystemDefaultLangID()));
}
