#include "TestSupport.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/SystemLanguage.h"

TEST_F(ModelTest, ProgramSettingsFromAFreshProfileAndBack) {
    SetSystemLanguageForTesting(0x0409);
    ProgramSettings settings;
    EXPECT_EQ(settings.m_nSilentSoundDuration, 0);  // zero until loaded
    settings.LoadLanguage();
    settings.Load();
    EXPECT_EQ(settings.m_strMailer, "");
    EXPECT_EQ(settings.m_dwOptions, 0u);
    EXPECT_EQ(settings.m_nErrorSaveTime, 0);
    EXPECT_EQ(settings.m_nSilentSoundDuration, 10);
    EXPECT_EQ(settings.m_wLanguage, 0x0409);

    settings.m_strMailer = "C:\\\xCF\xEE\xF7\xF2\xE0\\mail.exe";
    settings.m_dwOptions = OPT_DIALUP_ONLY | OPT_MUTE_ON_MENU | 0x400;  // unknown bits are kept
    settings.m_nSilentSoundDuration = 0;
    settings.m_wLanguage = 0x0419;
    settings.Save();
    ProgramSettings loaded;
    loaded.LoadLanguage();
    loaded.Load();
    EXPECT_EQ(loaded.m_strMailer, settings.m_strMailer);
    EXPECT_EQ(loaded.m_dwOptions, settings.m_dwOptions);
    EXPECT_EQ(loaded.m_nSilentSoundDuration, 0);
    EXPECT_EQ(loaded.m_wLanguage, 0x0419);

    m_store->WriteInt("Settings", "Language", 0x10407);  // used as its low 16 bits
    loaded.LoadLanguage();
    EXPECT_EQ(loaded.m_wLanguage, 0x0407);
    SetSystemLanguageForTesting(std::nullopt);
}

TEST_F(ModelTest, StoredNumbersAreBroughtIntoWhatTheDialogsAccept) {
    struct Case {
        std::int32_t stored;
        std::int32_t errorSaveTime;
        std::int32_t silentDuration;
    } cases[] = {
        {0, 0, 0}, {99, 99, 99}, {100, 99, 100}, {999, 99, 999}, {1000, 99, 999},
        {-1, 0, 0}, {-0x7fffffff - 1, 0, 0}, {0x7fffffff, 99, 999},
    };
    for (const Case& c : cases) {
        m_store->WriteInt("Settings", "Error Save Time", c.stored);
        m_store->WriteInt("Settings", "Silent Sound Duration", c.stored);
        ProgramSettings settings;
        settings.Load();
        EXPECT_EQ(settings.m_nErrorSaveTime, c.errorSaveTime) << c.stored;
        EXPECT_EQ(settings.m_nSilentSoundDuration, c.silentDuration) << c.stored;
    }
}
