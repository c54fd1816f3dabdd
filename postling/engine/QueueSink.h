// A main-frame stand-in that keeps what the checking threads post on a
// queue: for tests and the command-line check. A rejected log-in is
// answered by the prompt handler (cancelled unless one is set).
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "MainFrameSink.h"

class QueueSink : public MainFrameSink {
public:
    enum Kind { kClearMessages, kAddError, kAskPassword, kThreadExiting };
    struct Posted {
        Kind kind;
        CAccount* account;
        std::unique_ptr<ErrorRecord> record;  // kAddError only
    };
    // Fills in the account's answer (user name, password, password reply);
    // the sink then wakes the waiting thread.
    using PromptHandler = std::function<void(CAccount&)>;

    void SetPromptHandler(PromptHandler handler);

    void PostClearMessages(CAccount* account) override;
    void PostAddError(std::unique_ptr<ErrorRecord> record) override;
    void PostAskPassword(CAccount* account) override;
    void PostThreadExiting(CAccount* account) override;

    // Waits until `count` notifications of `kind` have arrived in all; false
    // on time-out.
    bool WaitFor(Kind kind, std::size_t count, int timeoutMs);
    // Takes everything posted so far, in order.
    std::vector<Posted> TakeAll();

private:
    void Push(Posted posted);

    std::mutex m_lock;
    std::condition_variable m_arrived;
    std::deque<Posted> m_queue;
    std::size_t m_counts[4] = {};
    PromptHandler m_prompt;
};
