// The melody player's worker through a recording tone output and a test
// clock: order of notes, stopping, looping, the time limit, one melody
// replacing another, and destruction while playing.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "postling/model/Clock.h"
#include "postling/sound/MelodyPlayer.h"

std::ostream& operator<<(std::ostream& out, const MelodyNote& note);  // MelodyTest.cpp

namespace {

using std::chrono::milliseconds;
using Steady = std::chrono::steady_clock;
using Notes = std::vector<MelodyNote>;
const MelodyNote kA{440, 500}, kB{466, 500}, kC{261, 500}, kD{293, 500};

bool WaitUntil(const std::function<bool()>& done) {
    for (auto until = Steady::now() + milliseconds(10000); !done(); std::this_thread::sleep_for(milliseconds(1)))
        if (Steady::now() > until) return false;
    return true;
}

// Records tones and rests. A free output returns at once; a held one keeps
// each tone sounding until the test releases it (like Beep) or, when
// stoppable, also until the stop flag is set (like an audio device).
class Recorder : public ToneOutput {
public:
    enum Mode { kFree, kHeld, kStoppable };
    explicit Recorder(Mode mode, bool realRests = false) : m_mode(mode), m_realRests(realRests) {}
    template <typename F> auto Locked(F f) {
        std::lock_guard<std::mutex> lock(m_lock);
        return f();
    }

    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) override {
        Record({frequency, durationMs});
        const auto giveUp = Steady::now() + milliseconds(20000);  // a failed test must not hang
        for (; m_mode != kFree; std::this_thread::sleep_for(milliseconds(1))) {
            std::lock_guard<std::mutex> lock(m_lock);
            if (m_credits > 0) {
                --m_credits;
                return;
            }
            m_stopSeen = m_stopSeen || stop;
            if (m_mode == kStoppable && stop) return;
            if (Steady::now() > giveUp) {
                ADD_FAILURE() << frequency << " Hz never released";
                return;
            }
        }
    }
    void Rest(unsigned durationMs, const std::atomic<bool>& stop) override {
        Record({0, durationMs});
        if (m_realRests) ToneOutput::Rest(durationMs, stop);
    }
    void MelodyEnded() override { Record({0, 0}); }

    void Release(int count) { Locked([&] { m_credits += count; }); }
    // Has a held tone seen the stop flag set?
    bool StopRequested() { return Locked([&] { return m_stopSeen; }); }
    // Every pair played, with (0, 0) where a melody ended.
    Notes Played() { return Locked([&] { return m_played; }); }
    bool WaitFor(std::size_t count) { return WaitUntil([&] { return Played().size() >= count; }); }

private:
    void Record(MelodyNote note) { Locked([&] { m_played.push_back(note); }); }
    const Mode m_mode;
    const bool m_realRests;
    std::mutex m_lock;
    Notes m_played;
    bool m_stopSeen = false;
    int m_credits = 0;
};

class MelodyPlayerTest : public ::testing::Test {
protected:
    void SetUp() override { SetClockForTesting([this] { return m_now.load(); }); }
    void TearDown() override { SetClockForTesting({}); }
    static bool WaitIdle(CMelodyPlayer& player) { return WaitUntil([&] { return !player.IsMelodyPlaying(); }); }
    std::atomic<TimeValue> m_now{1000000};
};

TEST_F(MelodyPlayerTest, PlaysEveryPairInOrderThenWaitsForTheNext) {
    Recorder output(Recorder::kFree);
    CMelodyPlayer player(&output);
    EXPECT_FALSE(player.IsMelodyPlaying());
    // Octave-0 C is below 18.2 Hz: a rest that keeps its time.
    player.PlayMelody("T120 O4 A4 P4 C#8 D-8. O0 C A", false, 0);
    ASSERT_TRUE(WaitIdle(player));
    player.PlayMelody("C", false, 0);
    ASSERT_TRUE(WaitIdle(player));
    EXPECT_EQ(output.Played(), (Notes{kA, {0, 500}, {277, 250}, {277, 375}, {0, 500}, {27, 500}, {0, 0}, kC, {0, 0}}));
}

TEST_F(MelodyPlayerTest, EndingAMelodyWaitsForAtMostOneNote) {
    enum Way { kStop, kSilence, kReplace, kDestroy };
    for (Recorder::Mode mode : {Recorder::kHeld, Recorder::kStoppable}) {
        for (Way way : {kStop, kSilence, kReplace, kDestroy}) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << ", way " << way);
            Recorder output(mode);
            auto player = std::make_unique<CMelodyPlayer>(&output);
            player->PlayMelody("A B", true, 0);
            EXPECT_TRUE(player->IsMelodyPlaying());  // at once, before the worker has woken
            ASSERT_TRUE(output.WaitFor(1));
            auto ended = std::async(std::launch::async, [&] {
                if (way == kStop) player->StopMelody();
                if (way == kSilence) player->PlayMelody(nullptr, true, 5);
                if (way == kReplace) player->PlayMelody("C", false, 0);
                if (way == kDestroy) player.reset();
            });
            EXPECT_TRUE(WaitUntil([&] { return output.StopRequested(); }));
            // A tone that cannot be cut short is waited for; one that can is not.
            if (mode == Recorder::kHeld)
                EXPECT_EQ(ended.wait_for(milliseconds(100)), std::future_status::timeout);
            else
                EXPECT_EQ(ended.wait_for(milliseconds(10000)), std::future_status::ready);
            output.Release(2);
            ended.get();
            Notes expected{kA, {0, 0}};
            if (way == kReplace) {
                ASSERT_TRUE(WaitIdle(*player));
                expected.insert(expected.end(), {kC, {0, 0}});
            }
            if (player) {
                EXPECT_FALSE(player->IsMelodyPlaying());
            }
            EXPECT_EQ(output.Played(), expected);
        }
    }
}

TEST_F(MelodyPlayerTest, RestsKeepTheirTimeAndStopWithinASlice) {
    Recorder output(Recorder::kFree, true);
    CMelodyPlayer player(&output);
    auto start = Steady::now();
    player.PlayMelody("T240 P16 A T11 P1 A", false, 0);  // rests of 62 and 21818 ms
    ASSERT_TRUE(output.WaitFor(2));
    EXPECT_GE(Steady::now() - start, milliseconds(62));
    ASSERT_TRUE(output.WaitFor(3));
    std::this_thread::sleep_for(milliseconds(150));
    start = Steady::now();
    player.StopMelody();
    EXPECT_LT(Steady::now() - start, milliseconds(1000));  // a slice is 100 ms; room for slow runs
    EXPECT_EQ(output.Played(), (Notes{{0, 62}, {440, 250}, {0, 21818}, {0, 0}}));

    auto silent = std::make_unique<CMelodyPlayer>();  // no output: sounds nothing, keeps time
    silent->PlayMelody("T11 A1", true, 0);
    std::this_thread::sleep_for(milliseconds(150));
    EXPECT_TRUE(silent->IsMelodyPlaying());
    start = Steady::now();
    silent.reset();
    EXPECT_LT(Steady::now() - start, milliseconds(1000));
}

TEST_F(MelodyPlayerTest, LoopAndTimeLimit) {
    Recorder output(Recorder::kHeld);
    CMelodyPlayer player(&output);
    player.PlayMelody("A B", true, 2);  // ends once the clock is past 1000002
    output.Release(2);
    ASSERT_TRUE(output.WaitFor(3));
    m_now = 1000002;
    output.Release(1);
    ASSERT_TRUE(output.WaitFor(4));
    m_now = 1000003;
    output.Release(1);
    ASSERT_TRUE(WaitIdle(player));

    // No limit: the clock does not matter. A limit near the end of the
    // clock's range does not wrap into the past.
    player.PlayMelody("C", true, 0);
    m_now = 0x7FFFFFF0;
    output.Release(2);
    ASSERT_TRUE(output.WaitFor(8));
    auto stopped = std::async(std::launch::async, [&] { player.StopMelody(); });
    EXPECT_TRUE(WaitUntil([&] { return output.StopRequested(); }));
    output.Release(1);
    stopped.get();
    player.PlayMelody("D", false, 999);
    output.Release(1);
    ASSERT_TRUE(WaitIdle(player));
    // A looped melody without notes ends instead of spinning on its end marker.
    player.PlayMelody("xyz, 1 2 3;", true, 0);
    ASSERT_TRUE(WaitIdle(player));
    EXPECT_EQ(output.Played(), (Notes{kA, kB, kA, kB, {0, 0}, kC, kC, kC, {0, 0}, kD, {0, 0}, {0, 0}}));
}

TEST_F(MelodyPlayerTest, BackToBackMelodiesNeverShareTheBuffer) {
    // Each PlayMelody waits for the worker to leave the melody before it
    // refills the notes: the worker only ever sees whole melodies.
    Recorder output(Recorder::kFree);
    CMelodyPlayer player(&output);
    for (int i = 0; i < 200; ++i) {
        player.PlayMelody("A B", false, 0);
        player.PlayMelody("C D", false, 0);
    }
    ASSERT_TRUE(WaitIdle(player));
    const Notes played = output.Played();
    for (std::size_t i = 1; i < played.size(); ++i) {
        if (played[i] == kB || played[i] == kD) {
            EXPECT_EQ(played[i - 1], played[i] == kB ? kA : kC) << i;
        }
    }
    ASSERT_GE(played.size(), 3u);
    EXPECT_EQ(Notes(played.end() - 3, played.end()), (Notes{kC, kD, {0, 0}}));
}

}  // namespace
