// libFuzzer target: any bytes as a melody file; every section's melody is
// read and parsed, and the bytes are parsed as melody text themselves.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "postling/sound/Melody.h"
#include "postling/sound/MelodyFile.h"

namespace {

// H# of octave 8, and a whole note dotted at tempo 11.
constexpr std::uint32_t kHighest = 8372;
constexpr std::uint32_t kLongest = 32727;

void Check(const std::vector<MelodyNote>& notes) {
    if (notes.empty() || notes.back() != MelodyNote{0, 0}) std::abort();
    for (std::size_t i = 0; i + 1 < notes.size(); ++i) {
        const MelodyNote& note = notes[i];
        if (note.IsEnd() || note.frequency > kHighest || note.duration > kLongest) std::abort();
        if (note.frequency != 0 && note.frequency < 19) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    Check(ParseMelody(file));
    const std::vector<std::string> names = MelodyNames(file);
    for (std::size_t i = 0; i < names.size() && i < 64; ++i) {
        const std::string text = MelodyText(file, names[i]);
        if (text.size() > size) std::abort();
        Check(ParseMelody(text));
    }
    return 0;
}
