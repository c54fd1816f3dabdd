// Stand-ins for the sound layer's devices in tests: a multimedia device
// seam that records its commands, and a tone output that records its tones.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "postling/shell/Mci.h"
#include "postling/sound/MelodyPlayer.h"

// Records every command; answers as told.
class RecordingMci : public MciCommands {
public:
    std::vector<std::string> log;
    bool openFails = false, playFails = false, stopFails = false, closeFails = false;
    UINT nextDevice = 1;

    UINT Open(const std::string& path) override {
        log.push_back("open " + path);
        return openFails ? 0 : nextDevice++;
    }
    bool SetTimeFormatMilliseconds(UINT device) override {
        log.push_back("ms " + std::to_string(device));
        return true;
    }
    DWORD length = 0;  // of every file, in milliseconds; 0: unknown
    DWORD Length(UINT device) override {
        log.push_back("length " + std::to_string(device));
        return length;
    }
    HWND notified = nullptr;  // of the last play
    bool Play(UINT device, HWND notify, DWORD toMs) override {
        log.push_back("play " + std::to_string(device) + " to " + std::to_string(toMs));
        notified = notify;
        return !playFails;
    }
    bool Stop(UINT device) override {
        log.push_back("stop " + std::to_string(device));
        return !stopFails;
    }
    bool Close(UINT device, bool wait) override {
        log.push_back(std::string(wait ? "close-wait " : "close ") + std::to_string(device));
        return !closeFails;
    }
    std::vector<std::string> Take() { return std::exchange(log, {}); }
};

// Records the tones; each lasts until stopped or `holdMs` passed.
class RecordingTones : public ToneOutput {
public:
    unsigned holdMs = 0;
    void Tone(unsigned frequency, unsigned durationMs, const std::atomic<bool>& stop) override {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_tones.emplace_back(frequency, durationMs);
        }
        for (unsigned waited = 0; waited < holdMs && !stop; waited += 5) Sleep(5);
    }
    void Rest(unsigned, const std::atomic<bool>&) override {}
    std::vector<std::pair<unsigned, unsigned>> Tones() {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_tones;
    }

private:
    std::mutex m_lock;
    std::vector<std::pair<unsigned, unsigned>> m_tones;
};

// A file name in the temporary folder.
inline std::string TempPath(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}
