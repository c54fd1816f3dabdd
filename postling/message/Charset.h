// Character sets of header text and their conversion to code page 1251.
// The converters are our own and behave the same on every platform.
#pragma once

#include <string>

// A charset code is also the string-table identifier of its alias list.
enum : int {
    CharsetWin1251 = 12000,  // "WINDOWS-1251;X-CP1251": bytes taken as they are
    CharsetKoi8r = 12001,    // "KOI8-R;CSKOI8R": the KOI8-R byte map
    CharsetUtf8 = 12002,     // "UTF-8;UNICODE-1-1-UTF-8;UNICODE-2-0-UTF-8"
    CharsetUtf7 = 12003,     // "UNICODE-1-1-UTF-7;UTF-7;CSUNICODE11UTF7"
};

// The code whose alias list holds `name` (compared exactly, so pass it
// upper-cased), searched in the order 12000..12003; -1 when none does.
int FindCharset(const std::string& name);

// KOI8-R to code page 1251, one byte for one: letters to the same letters,
// io to io, every other byte from 0x80 to 0xBF to "_", ASCII unchanged.
unsigned char Koi8rCharToWin1251(unsigned char c);
std::string Koi8rToWin1251(const std::string& text);

// UTF-8 and UTF-7 (RFC 2152) to UTF-16. Input ends at the first zero byte;
// every malformed sequence gives one U+FFFD and decoding goes on after it.
std::u16string Utf8ToUnicode(const std::string& bytes);
std::u16string Utf7ToUnicode(const std::string& bytes);

// UTF-16 to code page 1251: "?" for every character (a surrogate pair is
// one) that 1251 cannot represent; no best-fit substitutes. Ends at U+0000.
std::string UnicodeToWin1251(const std::u16string& text);

// Code page 1251 to UTF-8 (for output outside the program, such as JSON);
// byte 0x98, which 1251 leaves unassigned, becomes U+FFFD.
std::string Win1251ToUtf8(const std::string& text);

// The bytes of `text` in charset `code` as code page 1251. Codes other than
// the four above leave the bytes as they are.
std::string ConvertToWin1251(const std::string& text, int code);
