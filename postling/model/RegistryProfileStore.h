// The profile store over the registry (Windows): sections are keys below
// HKEY_CURRENT_USER\<root>, strings are REG_SZ values and integers REG_DWORD,
// as the framework's profile functions store them. Reading creates no keys.
#pragma once

#include <string>

#include "postling/model/ProfileStore.h"

class RegistryProfileStore : public ProfileStore {
public:
    // The program's key below HKEY_CURRENT_USER.
    static const char kProgramKey[];

    explicit RegistryProfileStore(std::string root = kProgramKey);

    // A REG_SZ (or REG_EXPAND_SZ, not expanded) value up to its first NUL.
    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override;
    // A REG_DWORD value; anything else gives the default.
    std::int32_t GetInt(const std::string& section, const std::string& entry,
                        std::int32_t defaultValue) override;
    // Writes the text up to its first NUL, as a NUL-terminated REG_SZ.
    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& entry,
                  std::int32_t value) override;
    bool DeleteTree(const std::string& section) override;

    // HKEY_CURRENT_USER's subkey path of a section.
    std::string KeyPath(const std::string& section) const;

private:
    std::string m_root;
};
