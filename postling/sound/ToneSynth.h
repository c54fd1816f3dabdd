// A speaker-like tone synthesiser for audio devices: square waves as 16-bit
// mono PCM, each tone faded in and out over its first and last kFadeMs so
// that notes start and stop without clicks. Rests, and tones at or below
// MelodyNote::kMaxSilentFrequency, are silence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "postling/sound/Melody.h"

class ToneSynth {
public:
    static constexpr unsigned kFadeMs = 3;
    static constexpr std::int16_t kDefaultAmplitude = 8000;

    explicit ToneSynth(unsigned sampleRate, std::int16_t amplitude = kDefaultAmplitude);

    // Begins a tone of durationMs * sampleRate / 1000 samples.
    void Start(unsigned frequency, unsigned durationMs);
    // Writes the tone's next samples, at most `capacity`; returns how many
    // (0 once the tone is done). A caller may give up between calls.
    std::size_t Render(std::int16_t* out, std::size_t capacity);
    std::size_t Remaining() const { return m_length - m_done; }
    unsigned SampleRate() const { return m_sampleRate; }

    static std::size_t SamplesFor(unsigned durationMs, unsigned sampleRate);

private:
    const unsigned m_sampleRate;
    const std::int16_t m_amplitude;
    std::uint32_t m_phaseStep = 0;  // per sample, in 2^-32 turns; 0 for silence
    std::uint32_t m_phase = 0;
    std::size_t m_length = 0;
    std::size_t m_done = 0;
    std::size_t m_fade = 0;
};

// The notes up to their end marker, one after another.
std::vector<std::int16_t> RenderNotes(const std::vector<MelodyNote>& notes, unsigned sampleRate);

// A RIFF WAVE image of 16-bit mono PCM samples.
std::string WaveFileImage(const std::vector<std::int16_t>& samples, unsigned sampleRate);
// Writes WaveFileImage to `path`; false on any failure.
bool WriteWaveFile(const std::string& path, const std::vector<std::int16_t>& samples,
                   unsigned sampleRate);
