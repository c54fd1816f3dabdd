// The melody player: one worker thread that plays melodies note by note
// through a tone output, so that the caller never waits for a tune.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "postling/model/Clock.h"
#include "postling/sound/Melody.h"

// Where the player's tones go. Only the worker thread calls it, one call at
// a time; `stop` is the player's stop flag, set by another thread when the
// melody must end.
class ToneOutput {
public:
    virtual ~ToneOutput();

    // Sounds `frequency` Hz (above MelodyNote::kMaxSilentFrequency) for
    // `durationMs` and returns when the tone has ended. An output that can
    // cut a tone short returns soon after `stop` is set (an audio device
    // within one buffer); one that cannot (Beep) just plays it out.
    virtual void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) = 0;

    // Silence for `durationMs`: a rest, or a tone too low to sound. Waits in
    // slices of at most kRestSliceMs and returns after the first slice that
    // ends with `stop` set.
    virtual void Rest(unsigned durationMs, const std::atomic<bool>& stop);

    // The worker has left a melody (played out or stopped); an output that
    // holds a device or a tone switched on lets go of it here.
    virtual void MelodyEnded();

    static constexpr unsigned kRestSliceMs = 100;
};

// An output that sounds nothing but keeps every note's time.
class SilentToneOutput : public ToneOutput {
public:
    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) override;
};

class CMelodyPlayer;

// A melody event: unless a melody is playing (which a new event never cuts
// short), plays section `name` of the melody file at `melodyFile`, for
// `limitSeconds` at most (0: in full). Nothing when the file cannot be read
// or the melody is empty. True when a melody was started.
bool PlayMelodyEvent(CMelodyPlayer& player, const std::string& melodyFile, const std::string& name,
                     int limitSeconds);

class CMelodyPlayer {
public:
    // Starts the worker and returns once it waits for a melody. `output`
    // (null: silent) must outlive the player or be replaced first. When no
    // thread can be made the player has no worker: it never plays, and
    // StopMelody returns at once.
    explicit CMelodyPlayer(ToneOutput* output = nullptr);
    // Stops the melody and ends the worker.
    ~CMelodyPlayer();
    CMelodyPlayer(const CMelodyPlayer&) = delete;
    CMelodyPlayer& operator=(const CMelodyPlayer&) = delete;

    // Stops any melody first; null `output` is silent.
    void SetToneOutput(ToneOutput* output);

    // Stops the current melody; then, unless `text` is null (which only
    // silences), plays `text` (up to its first NUL), from the start again at
    // its end when `loop` is set, and for `limitSeconds` wall-clock seconds
    // at most (0: no limit; the clock counts whole seconds, so a melody may
    // run up to one second longer).
    void PlayMelody(const char* text, bool loop, int limitSeconds);
    // Ends the current melody and waits until the worker has left it: at
    // most one note for an output that cannot cut a tone short.
    void StopMelody();
    // True from PlayMelody until the worker has left the melody.
    bool IsMelodyPlaying() const;
    bool HasWorker() const { return m_worker.joinable(); }

private:
    // The notes of the melody being played. Filled only while the worker is
    // idle; read only by the worker between go and idle. Its capacity grows
    // in steps of kGrowth pairs.
    class NoteBuffer {
    public:
        static constexpr std::size_t kGrowth = 10;
        void Append(const std::vector<MelodyNote>& notes);
        void Free();
        std::size_t Size() const { return m_count; }
        const MelodyNote& operator[](std::size_t i) const { return m_notes[i]; }

    private:
        std::unique_ptr<MelodyNote[]> m_notes;
        std::size_t m_count = 0;
        std::size_t m_capacity = 0;
    };

    void Run();
    void PlayNotes(ToneOutput& output);

    // The go and idle events (both manual reset) under one lock.
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_go = false;
    bool m_idle = false;

    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_loop{false};
    std::atomic<TimeValue> m_endTime{0};  // 0: no limit
    ToneOutput* m_output;                 // changed only while the worker is idle
    NoteBuffer m_notes;
    std::thread m_worker;
};
