#include "postling/shell/ToneOutputs.h"

#include <algorithm>

void BeepToneOutput::Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>&) {
    Beep(frequency, durationMs);
}

WaveOutToneOutput::WaveOutToneOutput() : m_done(CreateEventA(nullptr, FALSE, FALSE, nullptr)) {}

WaveOutToneOutput::~WaveOutToneOutput() {
    Close();
    if (m_done) CloseHandle(m_done);
}

bool WaveOutToneOutput::Open() {
    if (m_device) return true;
    if (!m_done) return false;
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kSampleRate;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = kSampleRate * 2;
    if (waveOutOpen(&m_device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(m_done), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
        m_device = nullptr;
        return false;
    }
    for (int i = 0; i < kBuffers; ++i) {
        m_headers[i] = {};
        m_headers[i].lpData = reinterpret_cast<LPSTR>(m_samples[i]);
        m_headers[i].dwBufferLength = sizeof m_samples[i];
        waveOutPrepareHeader(m_device, &m_headers[i], sizeof m_headers[i]);
        m_headers[i].dwFlags |= WHDR_DONE;  // free to fill
    }
    return true;
}

void WaveOutToneOutput::Close() {
    if (!m_device) return;
    waveOutReset(m_device);
    for (WAVEHDR& header : m_headers) waveOutUnprepareHeader(m_device, &header, sizeof header);
    waveOutClose(m_device);
    m_device = nullptr;
}

bool WaveOutToneOutput::WaitFree(int index, const std::atomic<bool>& stop) {
    // A device that stops taking buffers is let go rather than waited for.
    const DWORD start = GetTickCount();
    while (!(m_headers[index].dwFlags & WHDR_DONE)) {
        if (stop) {
            waveOutReset(m_device);  // marks every queued buffer done
            return false;
        }
        if (GetTickCount() - start > kStalledMs) {
            Close();
            return false;
        }
        WaitForSingleObject(m_done, kBufferMs);
    }
    return true;
}

void WaveOutToneOutput::Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) {
    if (!Open()) {
        Rest(durationMs, stop);
        return;
    }
    m_synth.Start(frequency, durationMs);
    int next = 0;
    for (;;) {
        if (!WaitFree(next, stop)) return;
        const std::size_t count = m_synth.Render(m_samples[next], kBufferSamples);
        if (count == 0) break;
        WAVEHDR& header = m_headers[next];
        header.dwBufferLength = static_cast<DWORD>(count * sizeof(std::int16_t));
        header.dwFlags &= ~WHDR_DONE;
        if (waveOutWrite(m_device, &header, sizeof header) != MMSYSERR_NOERROR) {
            header.dwFlags |= WHDR_DONE;
            Close();
            return;
        }
        next = (next + 1) % kBuffers;
    }
    // The tone has ended when every buffer has been played.
    for (int i = 0; i < kBuffers; ++i)
        if (!WaitFree(i, stop)) return;
}

void WaveOutToneOutput::MelodyEnded() { Close(); }

std::unique_ptr<ToneOutput> MakeAudibleToneOutput() {
    if (waveOutGetNumDevs() > 0) return std::make_unique<WaveOutToneOutput>();
    return std::make_unique<BeepToneOutput>();
}
