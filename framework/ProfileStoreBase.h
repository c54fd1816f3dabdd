// The store behind the application's profile functions: named sections
// (paths separated by backslashes) of string and 32-bit integer values. The
// program provides one (the registry, or memory in tests). No platform types:
// the program's portable core builds on it too.
#pragma once

#include <cstdint>
#include <string>

#include "FwExport.h"

class FW_API CProfileStore {
public:
    virtual ~CProfileStore();
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
};
