// libFuzzer target: any values in the program's stored layout. The bytes
// fill the values of two accounts (with their periods and seen messages),
// three rules, the settings and the sounds, as strings or numbers; then
// everything is loaded as at start-up, the schedule computed, and saved as
// at exit. What was saved must load back and save again unchanged: junk in
// the store may be dropped or corrected, never kept half-read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "postling/message/RuleBook.h"
#include "postling/model/AccountList.h"
#include "postling/model/MemoryProfileStore.h"
#include "postling/model/ProgramSettings.h"
#include "postling/sound/SoundSetting.h"

namespace {

struct Slot {
    std::string section;
    std::string entry;
};

std::vector<Slot> Layout() {
    std::vector<Slot> slots;
    for (const char* account : {"Accounts\\Account 000", "Accounts\\Account 001"}) {
        for (const char* entry : {"Name", "Options", "Server", "User", "Password", "Protocol", "Port", "Time Out",
                                  "Interval", "Security", "Certificate", "Message ID 0", "Message ID 1"})
            slots.push_back({account, entry});
        for (const char* periods : {"\\Check periods", "\\Uncheck periods"})
            for (const char* entry : {"Period 0", "Period 1"}) slots.push_back({std::string(account) + periods, entry});
    }
    for (const char* rule : {"Rules\\Rule 000", "Rules\\Rule 001", "Rules\\Rule 002"})
        for (const char* entry : {"Field", "Text", "Action"}) slots.push_back({rule, entry});
    slots.push_back({"Rules", "Default Rule"});
    for (const char* entry : {"Mailer", "Options", "Error Save Time", "Silent Sound Duration", "Language"})
        slots.push_back({"Settings", entry});
    for (int i = 0; i < 5; ++i) slots.push_back({"Sounds", "Sound " + std::to_string(i)});
    return slots;
}

// Loads everything from the store that is current, then saves it into `out`.
void LoadAndSave(MemoryProfileStore& in, MemoryProfileStore& out) {
    SetProfileStore(&in);
    CAccountList accounts;
    accounts.LoadAccounts(1700000000);
    for (auto& account : accounts) {
        account->m_checkPeriods.Describe();
        account->m_uncheckPeriods.FirstAllowed(1700000000);
        account->m_uncheckPeriods.FirstOutside(1700000000);
    }
    CRuleBook rules;
    rules.LoadRules();
    ProgramSettings settings;
    settings.LoadLanguage();
    settings.Load();
    SoundSettings sounds;
    LoadSoundSettings(sounds);

    SetProfileStore(&out);
    accounts.SaveAllAccounts();
    rules.SaveRules();
    settings.Save();
    SaveSoundSettings(sounds);
    SetProfileStore(nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<Slot> slots = Layout();
    MemoryProfileStore fuzzed;
    // Records: slot, kind, length, bytes. Kind odd: a number from four bytes.
    std::size_t at = 0;
    while (at + 3 <= size) {
        const Slot& slot = slots[data[at] % slots.size()];
        const bool number = data[at + 1] & 1;
        std::size_t length = data[at + 2];
        at += 3;
        if (number) {
            std::uint32_t value = 0;
            for (std::size_t i = 0; i < 4 && at < size; ++i) value = value << 8 | data[at++];
            fuzzed.WriteInt(slot.section, slot.entry, static_cast<std::int32_t>(value));
        } else {
            if (length > size - at) length = size - at;
            fuzzed.WriteString(slot.section, slot.entry, std::string(reinterpret_cast<const char*>(data + at), length));
            at += length;
        }
    }
    MemoryProfileStore saved, again;
    LoadAndSave(fuzzed, saved);
    LoadAndSave(saved, again);
    if (saved.Dump() != again.Dump()) std::abort();
    return 0;
}
