// The melody language: a text of notes, rests and settings turned into
// (frequency in Hz, duration in ms) pairs for the melody player.
//
//   C D E F G A B H   a note of the current octave (B is the semitone above A,
//                     H two semitones above A); P a rest
//   # or +, -         right after a note or P: sharp, flat
//   digits            the note's length: 1, 2, 4, 8, 16, 32, 64 or 128;
//                     anything else, or none, is the default length
//   .                 after the length: dotted, half as long again
//   On                octave 0..8 (above 8: unchanged; no digits: 0)
//   In                default length, one of the lengths above
//   Tn                quarter notes per minute, 11..599
//
// Letters in either case; any other character is skipped. Every melody
// starts at I4, T120, O4.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

struct MelodyNote {
    std::uint32_t frequency;  // Hz; 0 is silence
    std::uint32_t duration;   // ms

    // The pair that ends every melody, (0, 0); a rest always lasts.
    bool IsEnd() const { return frequency <= kMaxSilentFrequency && duration < 1; }
    // Tones at or below this frequency are not sounded: they are rests.
    static constexpr std::uint32_t kMaxSilentFrequency = 18;
};

inline bool operator==(const MelodyNote& a, const MelodyNote& b) {
    return a.frequency == b.frequency && a.duration == b.duration;
}
inline bool operator!=(const MelodyNote& a, const MelodyNote& b) { return !(a == b); }

// One pair per note or rest of `text`, then the end marker (0, 0).
std::vector<MelodyNote> ParseMelody(std::string_view text);
