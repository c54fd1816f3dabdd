// LoadResourceString over the compiled string table.
#include <algorithm>

#include "StringTableNative.h"
#include "lumkit/LumStringSource.h"

bool LoadResourceString(unsigned id, std::string& out) {
    using postling_res::kStringTable;
    const auto* end = kStringTable + postling_res::kStringTableSize;
    const auto* it = std::lower_bound(kStringTable, end, id,
                                      [](const auto& entry, unsigned key) { return entry.id < key; });
    if (it == end || it->id != id) return false;
    out.assign(it->text, it->length);
    return true;
}
