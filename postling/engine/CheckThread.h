// A checking thread: created suspended, resumed once the account's next
// check is set, and joined by the main frame when it has posted its end.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class CheckThread {
public:
    // Starts the thread, which waits for Resume before it runs `body`.
    // Throws std::system_error when no thread can be created.
    explicit CheckThread(std::function<void()> body);
    // Joins; a thread that was never resumed ends without running its body.
    ~CheckThread();
    CheckThread(const CheckThread&) = delete;
    CheckThread& operator=(const CheckThread&) = delete;

    void Resume();
    void Join();

private:
    enum State { kSuspended, kResumed, kCancelled };
    std::mutex m_lock;
    std::condition_variable m_changed;
    State m_state = kSuspended;
    std::thread m_thread;
};

class CAccount;

// Starts a check of the account on a thread of its own (user-interface
// thread). False, and nothing happens, when the account is busy or no
// thread can be made.
bool StartCheck(CAccount& account);
// Waits for the account's ended check thread and forgets it (user-interface
// thread, on "Checking Thread Exiting"); false when there is none.
bool CollectCheckThread(CAccount& account);

// One check of the account on the calling thread: the POP3 session, then
// the merge of what it found into the account's messages (seen flags kept,
// reactions of the new ones). False when the session failed.
bool RunCheck(CAccount& account);
