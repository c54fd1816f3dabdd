// The melody player's tone outputs on Windows: Beep, and a square wave
// synthesised into the wave-out device, which a user hears where Beep is
// silent (most machines without a PC speaker, and Wine).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <memory>

#include "postling/sound/MelodyPlayer.h"
#include "postling/sound/ToneSynth.h"

class BeepToneOutput : public ToneOutput {
public:
    // Beep cannot be cut short: a stop waits for the note's end.
    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) override;
};

class WaveOutToneOutput : public ToneOutput {
public:
    static constexpr unsigned kSampleRate = 22050;
    static constexpr unsigned kBufferMs = 20;  // a stop is heard within one buffer

    WaveOutToneOutput();
    ~WaveOutToneOutput() override;

    // Plays through the device while it opens; without one the tone's time
    // passes in silence.
    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) override;
    // Lets the device go, so that other programs may use it.
    void MelodyEnded() override;

private:
    static constexpr int kBuffers = 3;
    static constexpr DWORD kStalledMs = 1000;
    static constexpr std::size_t kBufferSamples = kSampleRate * kBufferMs / 1000;

    bool Open();
    void Close();
    // Waits until buffer `index` is free again; false on stop (device reset).
    bool WaitFree(int index, const std::atomic<bool>& stop);

    HWAVEOUT m_device = nullptr;
    HANDLE m_done = nullptr;  // set by the device whenever a buffer is played
    WAVEHDR m_headers[kBuffers] = {};
    std::int16_t m_samples[kBuffers][kBufferSamples] = {};
    ToneSynth m_synth{kSampleRate};
};

// The output a user hears: the wave-out device when the system has one,
// else Beep.
std::unique_ptr<ToneOutput> MakeAudibleToneOutput();
