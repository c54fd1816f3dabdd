#include "MelodyPlayer.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

#include "MelodyFile.h"

#ifdef _WIN32
#include <windows.h>
#endif

ToneOutput::~ToneOutput() = default;

void ToneOutput::Rest(unsigned durationMs, const std::atomic<bool>& stop) {
    while (durationMs > 0) {
        const unsigned slice = std::min(durationMs, kRestSliceMs);
        std::this_thread::sleep_for(std::chrono::milliseconds(slice));
        durationMs -= slice;
        if (stop) return;
    }
}

void ToneOutput::MelodyEnded() {}

void SilentToneOutput::Tone(unsigned, unsigned durationMs, const std::atomic<bool>& stop) {
    Rest(durationMs, stop);
}

void CMelodyPlayer::NoteBuffer::Append(const std::vector<MelodyNote>& notes) {
    const std::size_t needed = m_count + notes.size();
    if (needed > m_capacity) {
        // Whole steps of kGrowth, made at once: a step per pair would copy a
        // long melody over and over.
        const std::size_t capacity = (needed + kGrowth - 1) / kGrowth * kGrowth;
        std::unique_ptr<MelodyNote[]> grown(new MelodyNote[capacity]);
        std::copy(m_notes.get(), m_notes.get() + m_count, grown.get());
        m_notes = std::move(grown);
        m_capacity = capacity;
    }
    std::copy(notes.begin(), notes.end(), m_notes.get() + m_count);
    m_count = needed;
}

void CMelodyPlayer::NoteBuffer::Free() {
    m_notes.reset();
    m_count = 0;
    m_capacity = 0;
}

CMelodyPlayer::CMelodyPlayer(ToneOutput* output) : m_output(output) {
    try {
        m_worker = std::thread(&CMelodyPlayer::Run, this);
    } catch (const std::system_error&) {
        return;  // no worker: silent for the rest of the run
    }
    // Until the worker waits, a melody handed to it could be lost.
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_idle; });
}

CMelodyPlayer::~CMelodyPlayer() {
    if (!HasWorker()) return;
    StopMelody();
    m_quit = true;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_go = true;
        m_changed.notify_all();
    }
    m_worker.join();
}

void CMelodyPlayer::SetToneOutput(ToneOutput* output) {
    StopMelody();
    std::lock_guard<std::mutex> lock(m_lock);
    m_output = output;
}

void CMelodyPlayer::PlayMelody(const char* text, bool loop, int limitSeconds) {
    StopMelody();
    if (!text || !HasWorker()) return;
    m_notes.Append(ParseMelody(std::string_view(text, std::strlen(text))));
    m_loop = loop;
    m_stop = false;
    TimeValue end = 0;
    if (limitSeconds != 0) {
        const std::int64_t sum = std::int64_t{CurrentTime()} + limitSeconds;
        end = static_cast<TimeValue>(std::clamp<std::int64_t>(
            sum, std::numeric_limits<TimeValue>::min(), std::numeric_limits<TimeValue>::max()));
    }
    m_endTime = end;
    std::lock_guard<std::mutex> lock(m_lock);
    // Not idle from here on, so that a StopMelody or PlayMelody right after
    // this waits for the worker instead of touching the notes it is given.
    m_idle = false;
    m_go = true;
    m_changed.notify_all();
}

void CMelodyPlayer::StopMelody() {
    if (!HasWorker()) return;
    std::unique_lock<std::mutex> lock(m_lock);
    if (m_idle) return;
    m_stop = true;
    m_changed.wait(lock, [this] { return m_idle; });
}

bool CMelodyPlayer::IsMelodyPlaying() const {
    if (!HasWorker()) return false;
    std::lock_guard<std::mutex> lock(m_lock);
    return !m_idle;
}

void CMelodyPlayer::Run() {
#ifdef _WIN32
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_ABOVE_NORMAL);
#endif
    SilentToneOutput silent;
    for (;;) {
        ToneOutput* output;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_go = false;
            m_idle = true;
            m_changed.notify_all();
            m_changed.wait(lock, [this] { return m_go; });
            m_idle = false;
            output = m_output;
        }
        if (m_quit) return;
        if (m_notes.Size() > 0) PlayNotes(output ? *output : silent);
        m_notes.Free();
    }
}

void CMelodyPlayer::PlayNotes(ToneOutput& output) {
    std::size_t i = 0;
    for (;;) {
        const TimeValue end = m_endTime;
        if (end != 0 && CurrentTime() > end) m_stop = true;
        if (m_stop) break;
        const MelodyNote note = m_notes[i];
        if (note.IsEnd()) {
            // A melody without notes would loop on its end marker alone.
            if (!m_loop || i == 0) break;
            i = 0;
            continue;
        }
        if (note.frequency > MelodyNote::kMaxSilentFrequency)
            output.Tone(note.frequency, note.duration, m_stop);
        else
            output.Rest(note.duration, m_stop);
        ++i;
    }
    output.MelodyEnded();
}

bool PlayMelodyEvent(CMelodyPlayer& player, const std::string& melodyFile, const std::string& name,
                     int limitSeconds) {
    if (player.IsMelodyPlaying()) return false;
    const std::optional<std::string> file = ReadMelodyFile(melodyFile);
    if (!file) return false;
    const std::string text = MelodyText(*file, name);
    if (text.empty()) return false;
    player.PlayMelody(text.c_str(), false, limitSeconds);
    return true;
}
