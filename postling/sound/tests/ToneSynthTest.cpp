// The tone synthesiser, checked by analysing what it renders: each note's
// frequency from its rising edges and its duration from its loud run.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "postling/sound/ToneSynth.h"

namespace {

using Samples = std::vector<std::int16_t>;

// A tone's loud run: its samples at half the amplitude or more, that is
// all but half a fade at each end.
struct LoudRun {
    double startMs, durationMs, frequency;
};

std::vector<LoudRun> LoudRuns(const Samples& s, unsigned rate) {
    std::vector<LoudRun> runs;
    const double fade = ToneSynth::kFadeMs, ms = 1000.0 / rate;
    for (std::size_t i = 0; i < s.size();) {
        if (std::abs(s[i]) < ToneSynth::kDefaultAmplitude / 2) {
            ++i;
            continue;
        }
        std::size_t begin = i, edges = 0, first = 0, last = 0;
        for (; i < s.size() && std::abs(s[i]) >= ToneSynth::kDefaultAmplitude / 2; ++i) {
            if (i == begin || s[i - 1] >= 0 || s[i] <= 0) continue;
            if (edges++ == 0) first = i;
            last = i;
        }
        runs.push_back({begin * ms - fade / 2, (i - begin) * ms + fade,
                        edges > 1 ? (edges - 1) / ((last - first) * ms / 1000) : 0});
    }
    return runs;
}

std::uint32_t Le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

TEST(ToneSynth, MelodyInAWaveFile) {
    const std::string path = ::testing::TempDir() + "tone_synth_test.wav";
    const struct {
        unsigned rate;
        std::vector<LoudRun> runs;  // H# of octave 8 is above half of 8000 Hz: not sounded
    } cases[] = {
        {44100, {{0, 500, 440}, {1000, 250, 277}, {1250, 375, 277}, {1625, 500, 8372}, {2125, 500, 27}}},
        {8000, {{0, 500, 440}, {1000, 250, 277}, {1250, 375, 277}, {2125, 500, 27}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rate);
        const Samples rendered = RenderNotes(ParseMelody("T120 O4 A4 P4 C#8 D-8. O8 H# O0 A O0 C"), c.rate);
        ASSERT_TRUE(WriteWaveFile(path, rendered, c.rate));
        std::string file(1000000, '\0');
        std::FILE* in = std::fopen(path.c_str(), "rb");
        ASSERT_NE(in, nullptr);
        file.resize(std::fread(&file[0], 1, file.size(), in));
        std::fclose(in);
        // Each note is its duration in whole samples.
        const std::size_t count = 2 * (c.rate / 2) + c.rate / 4 + c.rate * 375 / 1000 + 3 * (c.rate / 2);
        ASSERT_EQ(file.size(), 44 + 2 * count);
        EXPECT_EQ(file.substr(0, 4) + file.substr(8, 8) + file.substr(36, 4), "RIFFWAVEfmt data");
        const std::uint32_t size = static_cast<std::uint32_t>(file.size());
        const std::uint32_t fields[][3] = {{4, 4, size - 8}, {16, 4, 16}, {20, 2, 1}, {22, 2, 1},
                                           {24, 4, c.rate}, {28, 4, 2 * c.rate}, {32, 2, 2}, {34, 2, 16},
                                           {40, 4, size - 44}};
        for (const auto& f : fields) EXPECT_EQ(Le(file, f[0], f[1]), f[2]) << "at " << f[0];
        Samples samples(count);
        for (std::size_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(Le(file, 44 + 2 * i, 2));
        ASSERT_EQ(samples, rendered);

        const std::vector<LoudRun> runs = LoudRuns(samples, c.rate);
        ASSERT_EQ(runs.size(), c.runs.size());
        for (std::size_t i = 0; i < runs.size(); ++i) {
            EXPECT_NEAR(runs[i].startMs, c.runs[i].startMs, 0.2) << i;
            EXPECT_NEAR(runs[i].durationMs, c.runs[i].durationMs, 0.2) << i;
            EXPECT_NEAR(runs[i].frequency, c.runs[i].frequency, 0.5) << i;
        }
        for (std::size_t i = c.rate / 2; i < c.rate; ++i) ASSERT_EQ(samples[i], 0) << i;  // the rest
    }
    std::remove(path.c_str());
}

TEST(ToneSynth, ChunksMatchTheWholeAndTonesStartAndEndSilent) {
    const std::vector<MelodyNote> notes = ParseMelody("T200 O5 C8 E16 G16. P32 T599 I128 C D");
    Samples chunked;
    ToneSynth synth(22050);
    for (std::size_t n = 0; n + 1 < notes.size(); ++n) {
        synth.Start(notes[n].frequency, notes[n].duration);
        const std::size_t begin = chunked.size();
        std::int16_t buffer[7];  // small buffers, as a device's are filled
        for (std::size_t got; (got = synth.Render(buffer, 7)) > 0;) chunked.insert(chunked.end(), buffer, buffer + got);
        EXPECT_EQ(chunked.size() - begin, ToneSynth::SamplesFor(notes[n].duration, 22050));
        EXPECT_EQ(chunked[begin], 0) << n;
        EXPECT_EQ(chunked.back(), 0) << n;
        EXPECT_NE(chunked[begin + 1] == 0, notes[n].frequency > 0) << n;
    }
    EXPECT_EQ(chunked, RenderNotes(notes, 22050));
}

}  // namespace
