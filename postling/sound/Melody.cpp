#include "Melody.h"

#include <cstddef>

namespace {

// The frequency of A in octaves 0..8.
constexpr double kFrequencyOfA[] = {27.5, 55, 110, 220, 440, 880, 1760, 3520, 7040};
constexpr int kMaxOctave = 8;
constexpr double kSharp = 1.059463;
constexpr double kFlat = 0.9438743967462762;
// Truncated frequencies below this are silence.
constexpr double kLowestAudible = 18.2;
constexpr int kMinTempo = 11;
constexpr int kMaxTempo = 599;
// Any digit run stops growing here: no command takes a number this large,
// so a longer run is just another invalid number.
constexpr unsigned kNumberCeiling = 100000;

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Frequency relative to A of a note letter; 0 for P, a negative value for
// any other character.
double NoteRatio(char letter) {
    switch (letter) {
    case 'C': return 0.594604;
    case 'D': return 0.66742;
    case 'E': return 0.749154;
    case 'F': return 0.793701;
    case 'G': return 0.890899;
    case 'A': return 1.0;
    case 'B': return 1.059463;
    case 'H': return 1.122462;
    case 'P': return 0.0;
    default: return -1.0;
    }
}

bool IsLength(unsigned n) {
    return n == 1 || n == 2 || n == 4 || n == 8 || n == 16 || n == 32 || n == 64 || n == 128;
}

class Parser {
public:
    explicit Parser(std::string_view text) : m_text(text) {}

    std::vector<MelodyNote> Run() {
        std::vector<MelodyNote> notes;
        while (m_pos < m_text.size()) {
            const char c = Upper(m_text[m_pos++]);
            const double ratio = NoteRatio(c);
            if (ratio >= 0) {
                notes.push_back(Note(ratio));
            } else if (c == 'O') {
                const unsigned octave = Number();
                if (octave <= kMaxOctave) m_octave = static_cast<int>(octave);
            } else if (c == 'I') {
                const unsigned length = Number();
                if (IsLength(length)) m_defaultLength = length;
            } else if (c == 'T') {
                const unsigned tempo = Number();
                if (tempo >= kMinTempo && tempo <= kMaxTempo) m_tempo = tempo;
            }
        }
        notes.push_back({0, 0});
        return notes;
    }

private:
    bool Next(char c) {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    // A run of digits, 0 when there is none; saturates at kNumberCeiling.
    unsigned Number() {
        unsigned value = 0;
        while (m_pos < m_text.size() && IsDigit(m_text[m_pos])) {
            value = value * 10 + static_cast<unsigned>(m_text[m_pos++] - '0');
            if (value > kNumberCeiling) value = kNumberCeiling;
        }
        return value;
    }

    MelodyNote Note(double ratio) {
        if (Next('#') || Next('+'))
            ratio *= kSharp;
        else if (Next('-'))
            ratio *= kFlat;
        unsigned length = Number();
        if (!IsLength(length)) length = m_defaultLength;
        std::uint32_t duration = 240000 / m_tempo / length;
        if (Next('.')) duration += duration / 2;
        auto frequency = static_cast<std::uint32_t>(ratio * kFrequencyOfA[m_octave]);
        if (frequency < kLowestAudible) frequency = 0;
        return {frequency, duration};
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
    int m_octave = 4;
    unsigned m_defaultLength = 4;
    unsigned m_tempo = 120;
};

}  // namespace

std::vector<MelodyNote> ParseMelody(std::string_view text) { return Parser(text).Run(); }
