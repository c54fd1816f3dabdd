// Russian test texts: written in UTF-8 here, turned into code page 1251.
#pragma once

#include <string>

// ASCII, А..я, Ё and ё only.
inline std::string Cp1251(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        if (c < 0x80) { out += static_cast<char>(c); continue; }
        unsigned code = ((c & 0x1Fu) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3Fu);
        out += static_cast<char>(code == 0x401 ? 0xA8 : code == 0x451 ? 0xB8 : 0xC0 + (code - 0x410));
    }
    return out;
}
