// Text, number and registry helpers of the LUMKIT library.
// Text is single-byte ANSI (code page 1251). A "field" is a part of a text
// cut at a one-byte separator, counted from 0; an index past the last field
// (or a negative one) gives an empty field.
#pragma once

#include <cstdint>
#include <string>

std::string TrimSpaces(const std::string& text);                                     // 1
bool ParseFixed32(const std::string& text, int* out, int decimals);                  // 2
bool ParseFixed64(const std::string& text, std::int64_t* out, int decimals);         // 3
int ResSubStringToInt(unsigned stringId, int index, char separator);                 // 7
int SubStringToInt(const std::string& text, int index, char separator);              // 8
std::string ResSubString(unsigned stringId, int index, char separator);              // 9
std::string SubString(const std::string& text, int index, char separator);           // 10
int ResFindSubString(unsigned stringId, const std::string& value, char separator);   // 11
int FindSubString(const std::string& text, const std::string& value, char separator);  // 12
std::string FormatFixed(std::int64_t value, int decimals, int minDecimals);          // 14
std::string FormatFixedGrouped(std::int64_t value, int decimals, int minDecimals,
                               char separator);                                      // 15
std::string FormatCountWithNoun(std::int64_t count, const std::string& one,
                                const std::string& few, const std::string& many);    // 16
std::string PadCenter(const std::string& text, int width, char fill);                // 17
std::string PadRight(const std::string& text, int width, char fill);                 // 18
std::string PadLeft(const std::string& text, int width, char fill);                  // 19
