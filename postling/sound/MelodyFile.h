// The melody file, "Postling.mus" beside the program: sections of melody
// text under header lines "[name]".
//
// A header is recognised only where a line feed precedes its "[" (so not on
// the first line of the file); the name is the text up to the next "]" on
// that line, matched exactly. The section's body is the lines after the
// header line up to the next line starting with "[". In each body line a
// ";" starts a comment; the rest, stripped of leading and trailing spaces,
// is appended to the melody text without separators.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

constexpr char kMelodyFileName[] = "Postling.mus";
// A larger file reads as unreadable.
constexpr std::size_t kMaxMelodyFileSize = 1024 * 1024;

// The file's bytes; nothing when it cannot be opened or read whole, or is
// larger than kMaxMelodyFileSize.
std::optional<std::string> ReadMelodyFile(const std::string& path);

// The melody text of the first section called `name`; empty when there is
// no such section or its body holds no melody.
std::string MelodyText(const std::string& file, const std::string& name);

// The names of all sections, in file order.
std::vector<std::string> MelodyNames(const std::string& file);
