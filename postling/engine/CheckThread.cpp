// The account's checking thread: the session, then the merge of its result.
#include "CheckThread.h"

#include <exception>

#include "CheckContext.h"
#include "EngineStrings.h"
#include "postling/message/RuleBook.h"
#include "postling/engine/Pop3Session.h"
#include "postling/model/Account.h"

CheckThread::CheckThread(std::function<void()> body) {
    m_thread = std::thread([this, body = std::move(body)] {
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait(lock, [this] { return m_state != kSuspended; });
            if (m_state == kCancelled) return;
        }
        body();
    });
}

CheckThread::~CheckThread() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_state == kSuspended) m_state = kCancelled;
    }
    m_changed.notify_all();
    Join();
}

void CheckThread::Resume() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_state == kSuspended) m_state = kResumed;
    }
    m_changed.notify_all();
}

void CheckThread::Join() {
    if (m_thread.joinable()) m_thread.join();
}

namespace {

// The checking thread: the session and the merge, then the notice to the
// main frame that the thread is done.
void CheckThreadBody(CAccount& account) {
    CheckContext& context = Checking();
    ++context.m_nRunningChecks;
    RunCheck(account);
    account.m_timeCheckFinished = CurrentTime();
    --context.m_nRunningChecks;
    account.m_bChecking = 0;
    context.m_sink.PostThreadExiting(&account);
}

}  // namespace

bool StartCheck(CAccount& account) {
    // The thread of the previous check must have been collected first: its
    // handle is what the main frame waits for when that thread has ended.
    if (account.IsBusy()) return false;
    try {
        account.m_pThread = std::make_unique<CheckThread>([&account] { CheckThreadBody(account); });
    } catch (const std::exception&) {  // no thread, or no memory for it
        account.m_pThread.reset();
        return false;
    }
    account.m_bChecking = 1;
    account.m_timeCheckStarted = CurrentTime();
    account.m_timeCheckFinished = kTimeInvalid;
    account.ComputeNextCheck(account.m_timeCheckStarted.load());
    account.m_pThread->Resume();
    return true;
}

bool CollectCheckThread(CAccount& account) {
    if (!account.m_pThread) return false;
    account.m_pThread->Join();
    account.m_pThread.reset();
    return true;
}

bool RunCheck(CAccount& account) {
    if (!Pop3Session(account).CheckMailbox()) {
        std::lock_guard<std::recursive_mutex> lock(account.m_lock);
        account.m_gathered.clear();
        return false;
    }
    CRuleBook& rules = Checking().m_rules;
    std::lock_guard<std::recursive_mutex> lock(account.m_lock);

    if (!account.m_knownIds.empty()) {
        for (auto& message : account.m_gathered)
            for (const auto& known : account.m_knownIds)
                if (known->m_strMessageId == message->m_strMessageId) {
                    message->m_bSeen = 1;
                    break;
                }
        account.m_knownIds.clear();
    }

    for (auto& message : account.m_gathered) {
        for (const auto& current : account.m_messages)
            if (current->m_strMessageId == message->m_strMessageId) {
                message->m_bSeen = current->m_bSeen;
                break;
            }
        if (message->m_bSeen == 0) {
            message->m_nReaction = rules.GetReaction(*message);
            if (message->m_nReaction < 2) {
                message->m_bSeen = 1;
                message->m_nReaction = 1;
            }
        }
    }

    account.m_messages.clear();
    for (auto& message : account.m_gathered) account.m_messages.push_back(std::move(message));
    account.m_gathered.clear();
    return true;
}

