// The melody language: notes, lengths, octaves, tempo and their boundaries.
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "postling/sound/Melody.h"

std::ostream& operator<<(std::ostream& out, const MelodyNote& note) {
    return out << "(" << note.frequency << ", " << note.duration << ")";
}

namespace {

TEST(MelodyLanguage, Notes) {
    const struct {
        std::string text;
        std::vector<MelodyNote> notes;  // without the end marker
    } cases[] = {
        {"T120 O4 A4 P4 C#8 D-8.", {{440, 500}, {0, 500}, {277, 250}, {277, 375}}},
        {"", {}},
        {"xyz,;! 4 8 A", {{440, 500}}},  // digits before a note are skipped
        {"C D E F G a b h", {{261, 500}, {293, 500}, {329, 500}, {349, 500}, {391, 500}, {440, 500}, {466, 500}, {493, 500}}},
        {"A# A+ A- A4# A # p#", {{466, 500}, {466, 500}, {415, 500}, {440, 500}, {440, 500}, {0, 500}}},
        {"A1 A2 A8 A16 A32 A64 A128", {{440, 2000}, {440, 1000}, {440, 250}, {440, 125}, {440, 62}, {440, 31}, {440, 15}}},
        {"A4. A. A8.. T599 A64.", {{440, 750}, {440, 750}, {440, 375}, {440, 9}}},
        {"I8 A3 A0 A I3 A I A I128 A", {{440, 250}, {440, 250}, {440, 250}, {440, 250}, {440, 250}, {440, 15}}},
        // O9 keeps the octave; O without digits selects octave 0.
        {"O5 O9 A OA O3 A O A O8 H#", {{880, 500}, {27, 500}, {220, 500}, {27, 500}, {8372, 500}}},
        // Octave 0 below 18.2 Hz is silent but keeps its time.
        {"O0 C D E A", {{0, 500}, {0, 500}, {20, 500}, {27, 500}}},
        {"T60 T5 A T600 A T11 A T599 A T10 A T11 A1.", {{440, 1000}, {440, 1000}, {440, 5454}, {440, 100}, {440, 100}, {440, 32727}}},
        // Huge numbers are invalid, even those that would wrap to valid ones.
        {"O5 O4294967300 A T4294967356 A I4294967297 A A18446744073709551624 O99999999999999999999999999999 A",
         {{880, 500}, {880, 500}, {880, 500}, {880, 500}, {880, 500}}},
        {"O0000000000000000000003 A00000000000000000008", {{220, 250}}},
        {std::string("\xC0\xFF\x00\x7F" "A\r\n\tB", 9), {{440, 500}, {466, 500}}},
    };
    for (const auto& c : cases) {
        std::vector<MelodyNote> expected = c.notes;
        expected.push_back({0, 0});
        EXPECT_EQ(ParseMelody(c.text), expected) << "\"" << c.text << "\"";
    }
}

}  // namespace
