#include "postling/settings/Autostart.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "lumkit/LumRegistry.h"
#include "lumkit/LumText.h"

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

std::string ProgramPath() {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length < MAX_PATH ? length : 0);
}

void WriteString(HKEY key, const char* name, const std::string& value) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
}

}  // namespace

std::string FindAgentEntry(HKEY appsKey) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(appsKey, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        names.emplace_back(name, length);
    }
    const std::string program = Upper(ProgramPath());
    if (program.empty()) return std::string();
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        HKEY entry = nullptr;
        if (RegOpenKeyExA(appsKey, it->c_str(), 0, KEY_READ, &entry) != ERROR_SUCCESS) continue;
        char path[261] = {};
        DWORD size = 260;
        DWORD type = 0;
        const bool read = RegQueryValueExA(entry, "Path", nullptr, &type, reinterpret_cast<BYTE*>(path), &size) ==
                          ERROR_SUCCESS;
        RegCloseKey(entry);
        if (read && (type == REG_SZ || type == REG_EXPAND_SZ) &&
            Upper(std::string(path, strnlen(path, size))).find(program) != std::string::npos)
            return *it;
    }
    return std::string();
}

AgentState ReadAgentState() {
    AgentState state;
    HKEY apps = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAgentAppsKey, 0, KEY_READ, &apps) != ERROR_SUCCESS) return state;
    state.listExists = true;
    state.entryExists = !FindAgentEntry(apps).empty();
    RegCloseKey(apps);
    return state;
}

AgentResult WriteAgentEntry(bool enable) {
    HKEY apps = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kAgentAppsKey, 0, KEY_ALL_ACCESS, &apps) != ERROR_SUCCESS)
        return enable ? AgentResult::NoList : AgentResult::Done;
    const std::string existing = FindAgentEntry(apps);
    if (!existing.empty()) DeleteRegTree(std::string(kAgentAppsKey) + "\\" + existing);
    if (enable) {
        HKEY entry = nullptr;
        if (RegCreateKeyExA(apps, kAgentEntryName, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr) ==
            ERROR_SUCCESS) {
            const std::string path = ProgramPath();
            const std::string::size_type slash = path.rfind('\\');
            WriteString(entry, "Path", path);
            WriteString(entry, "Startup", slash == std::string::npos ? std::string() : path.substr(0, slash));
            WriteString(entry, "Parameters", "/autostart");
            WriteString(entry, "Enable", "Yes");
            RegCloseKey(entry);
        }
    }
    RegCloseKey(apps);
    return AgentResult::Done;
}

bool CheckMailer(const std::string& text, std::string& stored) {
    const std::string trimmed = TrimSpaces(text);
    if (trimmed.empty()) {
        stored.clear();
        return true;
    }
    const std::string::size_type slash = trimmed.rfind('\\');
    const std::string directory = slash == std::string::npos ? std::string() : trimmed.substr(0, slash);
    const std::string file = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (file.empty()) return false;
    char found[MAX_PATH];
    if (SearchPathA(directory.empty() ? nullptr : directory.c_str(), file.c_str(), nullptr, MAX_PATH, found,
                    nullptr) == 0)
        return false;
    stored = trimmed;
    return true;
}
