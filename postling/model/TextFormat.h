// printf-like formatting of texts from the string table. The format comes
// from a resource that a language module may replace, so a conversion never
// reads an argument of another type: each one takes the next argument and
// prints it as what it is; missing arguments print nothing.
#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

using FormatArg = std::variant<std::int64_t, std::string>;

// Understands "%%" and %[-0][width](d|i|u|s); anything else is copied as it is.
std::string FormatText(const std::string& format, const std::vector<FormatArg>& args);

// String table entry `id` (a language module's first on Windows); empty
// when there is none.
std::string LoadStringResource(unsigned id);

// FormatText with string table entry `id` as the format; empty when there is none.
std::string FormatResource(unsigned id, const std::vector<FormatArg>& args);
