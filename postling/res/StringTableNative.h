// The program's string table compiled into native builds (same cp1251 bytes
// as the Windows resources).
#pragma once

#include <cstddef>

namespace postling_res {

struct StringEntry {
    unsigned id;
    const char* text;
    std::size_t length;
};

extern const StringEntry kStringTable[];  // sorted by id
extern const std::size_t kStringTableSize;

}  // namespace postling_res
