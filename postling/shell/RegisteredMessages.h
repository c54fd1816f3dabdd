// The eight registered window messages between the checking threads, the
// program's windows, other running copies and the main frame. The names
// are shared with every copy of the program and must never change.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>

#include "postling/engine/MainFrameSink.h"

constexpr char kMsgIconClick[] = "Varnek & Soltu Post Sentry: Icon Click Message";
constexpr char kMsgStartSecondInstance[] = "Varnek & Soltu Post Sentry: Start Second Instance";
constexpr char kMsgCheckInstance[] = "Varnek & Soltu Post Sentry: Check Instance";
constexpr char kMsgThreadExiting[] = "Varnek & Soltu Post Sentry: Checking Thread Exiting";
constexpr char kMsgDropUnreadFlag[] = "Varnek & Soltu Post Sentry: Drop Unread Flag";
constexpr char kMsgAddError[] = "Varnek & Soltu Post Sentry: Add Error Message";
constexpr char kMsgClearMessages[] = "Varnek & Soltu Post Sentry: Clear Messages per Account";
constexpr char kMsgAskPassword[] = "Varnek & Soltu Post Sentry: Ask Password";

// The answer to "Check Instance" by which a starting copy recognises us.
constexpr LRESULT kCheckInstanceAnswer = 0x1234;

struct RegisteredMessages {
    UINT iconClick;
    UINT startSecondInstance;
    UINT checkInstance;
    UINT threadExiting;
    UINT dropUnreadFlag;
    UINT addError;
    UINT clearMessages;
    UINT askPassword;

    // Registered once, on first use.
    static const RegisteredMessages& Get();
};

// The sink of the checking threads in the running program: it posts the
// registered messages to the main frame. An error record travels as a
// pointer in lParam; since the messages are shared with other processes,
// the frame accepts only records this sink handed out and has not yet
// seen delivered (TakeRecord).
class PostingSink : public MainFrameSink {
public:
    explicit PostingSink(HWND frame = nullptr) : m_frame(frame) {}
    ~PostingSink() override;

    // The checking threads read it while the main thread sets it.
    void SetFrame(HWND frame) { m_frame.store(frame); }

    void PostClearMessages(CAccount* account) override;
    void PostAddError(std::unique_ptr<ErrorRecord> record) override;
    void PostAskPassword(CAccount* account) override;
    void PostThreadExiting(CAccount* account) override;

    // The record posted with this lParam, now owned by the caller; null when
    // the value is no record of ours (or was taken already).
    std::unique_ptr<ErrorRecord> TakeRecord(LPARAM lParam);

private:
    // Posts to the frame; false when there is none (never to a thread queue).
    bool Post(UINT message, LPARAM lParam);

    std::atomic<HWND> m_frame;
    std::mutex m_lock;
    std::set<ErrorRecord*> m_inFlight;
};
