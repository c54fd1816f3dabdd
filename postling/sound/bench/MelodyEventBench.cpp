// What a melody event costs the user-interface thread: the file read, the
// section found, the melody parsed and handed to the worker when none plays,
// and the check alone while one plays.
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <cstdio>
#include <fstream>
#include <string>

#include "postling/sound/MelodyPlayer.h"

namespace {

// Holds every tone until told to stop, so that a melody keeps playing.
class HoldingOutput : public ToneOutput {
public:
    void Tone(unsigned, unsigned, const std::atomic<bool>& stop) override {
        while (!stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    void Rest(unsigned, const std::atomic<bool>& stop) override { Tone(0, 0, stop); }
};

std::string MelodyFilePath() {
    static const std::string path = [] {
        std::string file = std::string(P_tmpdir) + "/postling-bench.mus";
        std::ofstream out(file, std::ios::binary);
        out << "; melodies\r\n";
        for (int i = 0; i < 20; ++i)
            out << "[Melody " << i << "]\r\nT160 O5 C8 E8 G8 O6 C4 P8 O5 G8 O6 C2 ; notes\r\nO4 A4 B4 H4\r\n";
        return file;
    }();
    return path;
}

void BM_MelodyEventWhileIdle(benchmark::State& state) {
    HoldingOutput output;
    CMelodyPlayer player(&output);
    const std::string file = MelodyFilePath();
    for (auto _ : state) {
        benchmark::DoNotOptimize(PlayMelodyEvent(player, file, "Melody 19", 0));
        state.PauseTiming();
        player.StopMelody();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_MelodyEventWhileIdle)->Unit(benchmark::kMicrosecond);

void BM_MelodyEventWhilePlaying(benchmark::State& state) {
    HoldingOutput output;
    CMelodyPlayer player(&output);
    const std::string file = MelodyFilePath();
    PlayMelodyEvent(player, file, "Melody 0", 0);
    for (auto _ : state) benchmark::DoNotOptimize(PlayMelodyEvent(player, file, "Melody 19", 0));
    player.StopMelody();
}
BENCHMARK(BM_MelodyEventWhilePlaying)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
