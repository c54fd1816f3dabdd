// A profile store in memory, for native tests.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <variant>

#include "ProfileStore.h"

class MemoryProfileStore : public ProfileStore {
public:
    using Value = std::variant<std::string, std::int32_t>;

    std::string GetString(const std::string& section, const std::string& entry,
                          const std::string& defaultValue) override;
    std::int32_t GetInt(const std::string& section, const std::string& entry,
                        std::int32_t defaultValue) override;
    bool WriteString(const std::string& section, const std::string& entry,
                     const std::string& value) override;
    bool WriteInt(const std::string& section, const std::string& entry,
                  std::int32_t value) override;
    bool DeleteTree(const std::string& section) override;

    // For tests: does the section exist, and how many values does it hold.
    bool HasSection(const std::string& section) const;
    std::size_t ValueCount(const std::string& section) const;
    // Every value, as "SECTION\x01ENTRY" (upper-cased) to its value, in order.
    std::map<std::string, Value> Dump() const;

private:
    using Section = std::map<std::string, Value>;  // by upper-cased value name

    // Callers hold m_lock.
    const Value* Find(const std::string& section, const std::string& entry) const;
    Section& Create(const std::string& section);

    mutable std::mutex m_lock;
    std::map<std::string, Section> m_sections;     // by upper-cased path; parents included
};
