#include "QueueSink.h"

#include <chrono>

#include "CheckContext.h"
#include "postling/model/Account.h"

void QueueSink::SetPromptHandler(PromptHandler handler) {
    std::lock_guard<std::mutex> lock(m_lock);
    m_prompt = std::move(handler);
}

void QueueSink::PostClearMessages(CAccount* account) { Push({kClearMessages, account, nullptr}); }

void QueueSink::PostAddError(std::unique_ptr<ErrorRecord> record) {
    CAccount* account = record ? record->m_pAccount : nullptr;
    Push({kAddError, account, std::move(record)});
}

void QueueSink::PostAskPassword(CAccount* account) {
    PromptHandler prompt;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        prompt = m_prompt;
    }
    // As the prompt does: the reply starts as cancelled.
    account->m_bPasswordReply = 0;
    if (prompt) prompt(*account);
    Push({kAskPassword, account, nullptr});
    Checking().m_passwordAnswered.Set();
}

void QueueSink::PostThreadExiting(CAccount* account) { Push({kThreadExiting, account, nullptr}); }

void QueueSink::Push(Posted posted) {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        ++m_counts[posted.kind];
        m_queue.push_back(std::move(posted));
    }
    m_arrived.notify_all();
}

bool QueueSink::WaitFor(Kind kind, std::size_t count, int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_lock);
    return m_arrived.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                              [&] { return m_counts[kind] >= count; });
}

std::vector<QueueSink::Posted> QueueSink::TakeAll() {
    std::lock_guard<std::mutex> lock(m_lock);
    std::vector<Posted> all;
    for (auto& posted : m_queue) all.push_back(std::move(posted));
    m_queue.clear();
    return all;
}
