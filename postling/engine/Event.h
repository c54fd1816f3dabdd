// A portable event object with the two reset modes the engine needs.
#pragma once

#include <condition_variable>
#include <mutex>

class Event {
public:
    enum Reset { kAutoReset, kManualReset };
    Event(Reset reset, bool initiallySet) : m_manual(reset == kManualReset), m_set(initiallySet) {}

    void Set() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_set = true;
        if (m_manual) m_changed.notify_all(); else m_changed.notify_one();
    }
    void Reset() {
        std::lock_guard<std::mutex> lock(m_lock);
        m_set = false;
    }
    // Waits without a time limit; an auto-reset event is cleared by the wait.
    void Wait() {
        std::unique_lock<std::mutex> lock(m_lock);
        m_changed.wait(lock, [this] { return m_set; });
        if (!m_manual) m_set = false;
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    const bool m_manual;
    bool m_set;
};
