#include "ToneSynth.h"

#include <algorithm>
#include <cstdio>

ToneSynth::ToneSynth(unsigned sampleRate, std::int16_t amplitude)
    : m_sampleRate(sampleRate), m_amplitude(amplitude) {}

std::size_t ToneSynth::SamplesFor(unsigned durationMs, unsigned sampleRate) {
    return static_cast<std::size_t>(std::uint64_t{durationMs} * sampleRate / 1000);
}

void ToneSynth::Start(unsigned frequency, unsigned durationMs) {
    m_length = SamplesFor(durationMs, m_sampleRate);
    m_done = 0;
    m_phase = 0;
    // Above half the sample rate a square wave cannot be told from noise.
    const bool audible = frequency > MelodyNote::kMaxSilentFrequency && m_sampleRate > 0 &&
                         frequency < m_sampleRate / 2;
    m_phaseStep = audible ? static_cast<std::uint32_t>((std::uint64_t{frequency} << 32) / m_sampleRate) : 0;
    m_fade = std::min(SamplesFor(kFadeMs, m_sampleRate), m_length / 2);
}

std::size_t ToneSynth::Render(std::int16_t* out, std::size_t capacity) {
    const std::size_t count = std::min(capacity, Remaining());
    for (std::size_t i = 0; i < count; ++i, ++m_done) {
        if (m_phaseStep == 0) {
            out[i] = 0;
            continue;
        }
        // The first half of each turn high, the second low.
        std::int32_t level = m_phase < 0x80000000u ? m_amplitude : -m_amplitude;
        const std::size_t edge = std::min(m_done, m_length - 1 - m_done);
        if (edge < m_fade) level = static_cast<std::int32_t>(level * std::int64_t(edge) / std::int64_t(m_fade));
        out[i] = static_cast<std::int16_t>(level);
        m_phase += m_phaseStep;
    }
    return count;
}

std::vector<std::int16_t> RenderNotes(const std::vector<MelodyNote>& notes, unsigned sampleRate) {
    std::vector<std::int16_t> samples;
    ToneSynth synth(sampleRate);
    for (const MelodyNote& note : notes) {
        if (note.IsEnd()) break;
        synth.Start(note.frequency, note.duration);
        const std::size_t at = samples.size();
        samples.resize(at + synth.Remaining());
        synth.Render(samples.data() + at, synth.Remaining());
    }
    return samples;
}

namespace {

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

std::string WaveFileImage(const std::vector<std::int16_t>& samples, unsigned sampleRate) {
    const std::uint32_t dataSize = static_cast<std::uint32_t>(samples.size() * 2);
    std::string image;
    image.reserve(44 + dataSize);
    image += "RIFF";
    Put32(image, 36 + dataSize);
    image += "WAVEfmt ";
    Put32(image, 16);              // format chunk size
    Put16(image, 1);               // PCM
    Put16(image, 1);               // mono
    Put32(image, sampleRate);
    Put32(image, sampleRate * 2);  // bytes per second
    Put16(image, 2);               // bytes per sample frame
    Put16(image, 16);              // bits per sample
    image += "data";
    Put32(image, dataSize);
    for (std::int16_t sample : samples) Put16(image, static_cast<std::uint16_t>(sample));
    return image;
}

bool WriteWaveFile(const std::string& path, const std::vector<std::int16_t>& samples,
                   unsigned sampleRate) {
    const std::string image = WaveFileImage(samples, sampleRate);
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    const bool written = std::fwrite(image.data(), 1, image.size(), out) == image.size();
    return std::fclose(out) == 0 && written;
}
