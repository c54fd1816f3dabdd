#include "RegistryProfileStore.h"

#include <windows.h>

#include <cstring>
#include <vector>

#include "lumkit/LumRegistry.h"

namespace {

// An open key, closed when it goes out of scope.
class Key {
public:
    Key() = default;
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    ~Key() {
        if (m_key) RegCloseKey(m_key);
    }
    bool Open(const std::string& path, REGSAM access) {
        return RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, access, &m_key) == ERROR_SUCCESS;
    }
    bool Create(const std::string& path) {
        return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                               REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &m_key,
                               nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

}  // namespace

const char RegistryProfileStore::kProgramKey[] =
    "Software\\Razezo Varnek\\Varnek & Soltu Post Sentry";

RegistryProfileStore::RegistryProfileStore(std::string root) : m_root(std::move(root)) {}

std::string RegistryProfileStore::KeyPath(const std::string& section) const {
    return section.empty() ? m_root : m_root + '\\' + section;
}

std::string RegistryProfileStore::GetString(const std::string& section, const std::string& entry,
                                            const std::string& defaultValue) {
    Key key;
    if (!key.Open(KeyPath(section), KEY_QUERY_VALUE)) return defaultValue;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.get(), entry.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return defaultValue;
    // The value may change between the two calls; try again while it grows.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::vector<char> data(static_cast<std::size_t>(size) + 1, '\0');
        DWORD got = size;
        LONG result = RegQueryValueExA(key.get(), entry.c_str(), nullptr, &type,
                                       reinterpret_cast<BYTE*>(data.data()), &got);
        if (result == ERROR_MORE_DATA) {
            size = got > size ? got : size * 2 + 16;
            continue;
        }
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return defaultValue;
        // Stored data need not be terminated, and may hold more than one string.
        std::size_t length = got < data.size() ? got : data.size() - 1;
        return std::string(data.data(), strnlen(data.data(), length));
    }
    return defaultValue;
}

std::int32_t RegistryProfileStore::GetInt(const std::string& section, const std::string& entry,
                                          std::int32_t defaultValue) {
    Key key;
    if (!key.Open(KeyPath(section), KEY_QUERY_VALUE)) return defaultValue;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.get(), entry.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value),
                         &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return static_cast<std::int32_t>(value);
}

bool RegistryProfileStore::WriteString(const std::string& section, const std::string& entry,
                                       const std::string& value) {
    Key key;
    if (!key.Create(KeyPath(section))) return false;
    const char* text = value.c_str();
    return RegSetValueExA(key.get(), entry.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>(std::strlen(text) + 1)) == ERROR_SUCCESS;
}

bool RegistryProfileStore::WriteInt(const std::string& section, const std::string& entry,
                                    std::int32_t value) {
    Key key;
    if (!key.Create(KeyPath(section))) return false;
    DWORD data = static_cast<DWORD>(value);
    return RegSetValueExA(key.get(), entry.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                          sizeof data) == ERROR_SUCCESS;
}

bool RegistryProfileStore::DeleteTree(const std::string& section) {
    return DeleteRegTree(KeyPath(section));
}
