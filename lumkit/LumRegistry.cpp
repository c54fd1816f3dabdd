#include "LumRegistry.h"

#include <windows.h>

#include <vector>

bool DeleteRegTree(const std::string& subkey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subkey.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return false;
    std::vector<std::string> names;
    char name[512];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name - 1;  // 511 characters
        if (RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    RegCloseKey(key);
    for (const std::string& child : names)
        if (!DeleteRegTree(subkey + '\\' + child)) return false;
    return RegDeleteKeyA(HKEY_CURRENT_USER, subkey.c_str()) == ERROR_SUCCESS;
}
