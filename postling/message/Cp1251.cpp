#include "Cp1251.h"

unsigned char UpperCase1251(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 0x20);
    if (c >= 0xE0) return static_cast<unsigned char>(c - 0x20);  // а..я -> А..Я
    switch (c) {
    case 0xB8: return 0xA8;  // ё -> Ё
    case 0xBA: return 0xAA;  // є -> Є
    case 0xBF: return 0xAF;  // ї -> Ї
    case 0xB3: return 0xB2;  // і -> І
    case 0xBE: return 0xBD;  // ѕ -> Ѕ
    case 0xBC: return 0xA3;  // ј -> Ј
    case 0xA2: return 0xA1;  // ў -> Ў
    case 0xB4: return 0xA5;  // ґ -> Ґ
    case 0x90: return 0x80;  // ђ -> Ђ
    case 0x83: return 0x81;  // ѓ -> Ѓ
    case 0x9A: return 0x8A;  // љ -> Љ
    case 0x9C: return 0x8C;  // њ -> Њ
    case 0x9D: return 0x8D;  // ќ -> Ќ
    case 0x9E: return 0x8E;  // ћ -> Ћ
    case 0x9F: return 0x8F;  // џ -> Џ
    default: return c;
    }
}

std::string ToUpper1251(const std::string& text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(UpperCase1251(static_cast<unsigned char>(c)));
    return upper;
}
