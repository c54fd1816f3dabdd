// Test support: the UTF-8 texts of the test sources in a Windows code page.
#pragma once

#include <windows.h>

#include <string>

inline std::string FromUtf8(const char* utf8, UINT codePage) {
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (wideSize <= 0) return {};
    std::wstring wide(static_cast<size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, &wide[0], wideSize);
    const int size = WideCharToMultiByte(codePage, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(codePage, 0, wide.c_str(), -1, &out[0], size, nullptr, nullptr);
    out.resize(static_cast<size_t>(size) - 1);
    return out;
}

// The program's own code page.
inline std::string Cp1251(const char* utf8) { return FromUtf8(utf8, 1251); }

// A wide text for a failure message.
inline std::string WideToUtf8(const std::wstring& wide) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), nullptr, 0,
                                         nullptr, nullptr);
    if (size <= 0) return {};
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), static_cast<int>(wide.size()), &out[0], size, nullptr, nullptr);
    return out;
}
