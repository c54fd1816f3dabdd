#include "MemoryProfileStore.h"

#include "postling/message/Cp1251.h"

namespace {

std::string Key(const std::string& name) { return ToUpper1251(name); }

}  // namespace

std::string MemoryProfileStore::GetString(const std::string& section, const std::string& entry,
                                          const std::string& defaultValue) {
    std::lock_guard<std::mutex> lock(m_lock);
    const Value* value = Find(section, entry);
    const std::string* text = value ? std::get_if<std::string>(value) : nullptr;
    return text ? *text : defaultValue;
}

std::int32_t MemoryProfileStore::GetInt(const std::string& section, const std::string& entry,
                                        std::int32_t defaultValue) {
    std::lock_guard<std::mutex> lock(m_lock);
    const Value* value = Find(section, entry);
    const std::int32_t* number = value ? std::get_if<std::int32_t>(value) : nullptr;
    return number ? *number : defaultValue;
}

bool MemoryProfileStore::WriteString(const std::string& section, const std::string& entry,
                                     const std::string& value) {
    std::lock_guard<std::mutex> lock(m_lock);
    Create(section)[Key(entry)] = value;
    return true;
}

bool MemoryProfileStore::WriteInt(const std::string& section, const std::string& entry,
                                  std::int32_t value) {
    std::lock_guard<std::mutex> lock(m_lock);
    Create(section)[Key(entry)] = value;
    return true;
}

bool MemoryProfileStore::DeleteTree(const std::string& section) {
    std::lock_guard<std::mutex> lock(m_lock);
    std::string path = Key(section);
    auto it = m_sections.find(path);
    if (it == m_sections.end()) return false;
    m_sections.erase(it);
    // Subsections need not follow their parent directly ("A B" sorts between
    // "A" and "A\B"), so they are found by their own prefix.
    std::string prefix = path + '\\';
    it = m_sections.lower_bound(prefix);
    while (it != m_sections.end() && it->first.compare(0, prefix.size(), prefix) == 0)
        it = m_sections.erase(it);
    return true;
}

bool MemoryProfileStore::HasSection(const std::string& section) const {
    std::lock_guard<std::mutex> lock(m_lock);
    return m_sections.count(Key(section)) != 0;
}

std::size_t MemoryProfileStore::ValueCount(const std::string& section) const {
    std::lock_guard<std::mutex> lock(m_lock);
    auto it = m_sections.find(Key(section));
    return it == m_sections.end() ? 0 : it->second.size();
}

MemoryProfileStore::Section& MemoryProfileStore::Create(const std::string& section) {
    std::string path = Key(section);
    // Creating a key creates its parents, as the registry does.
    for (std::size_t cut = path.find('\\'); cut != std::string::npos; cut = path.find('\\', cut + 1))
        m_sections[path.substr(0, cut)];
    return m_sections[path];
}

const MemoryProfileStore::Value* MemoryProfileStore::Find(const std::string& section,
                                                          const std::string& entry) const {
    auto it = m_sections.find(Key(section));
    if (it == m_sections.end()) return nullptr;
    auto value = it->second.find(Key(entry));
    return value == it->second.end() ? nullptr : &value->second;
}

std::map<std::string, MemoryProfileStore::Value> MemoryProfileStore::Dump() const {
    std::lock_guard<std::mutex> lock(m_lock);
    std::map<std::string, Value> values;
    for (const auto& section : m_sections)
        for (const auto& value : section.second) values[section.first + '\x01' + value.first] = value.second;
    return values;
}
