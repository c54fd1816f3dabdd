// The profile store seam: the program's per-user settings, as named sections
// (paths below the program's key, separated by backslashes) holding string
// and 32-bit integer values. The registry on Windows; memory in tests.
// Section and value names compare without regard to letter case.
#pragma once

#include <cstdint>
#include <string>

class ProfileStore {
public:
    virtual ~ProfileStore();

    // A string value, or `defaultValue` when it is missing or not a string.
    virtual std::string GetString(const std::string& section, const std::string& entry,
                                  const std::string& defaultValue) = 0;
    // A 32-bit integer value, or `defaultValue` when missing or not an integer.
    virtual std::int32_t GetInt(const std::string& section, const std::string& entry,
                                std::int32_t defaultValue) = 0;
    // Writes a value, creating the section as needed; false on failure.
    virtual bool WriteString(const std::string& section, const std::string& entry,
                             const std::string& value) = 0;
    virtual bool WriteInt(const std::string& section, const std::string& entry,
                          std::int32_t value) = 0;
    // Removes a section with all its subsections; false when it is missing
    // or cannot be removed.
    virtual bool DeleteTree(const std::string& section) = 0;
};

// The store the program's records load from and save to. Set once at
// start-up (or by a test) before anything is loaded.
ProfileStore& Profile();
void SetProfileStore(ProfileStore* store);
