#include "postling/shell/RegisteredMessages.h"

const RegisteredMessages& RegisteredMessages::Get() {
    static const RegisteredMessages messages = {
        RegisterWindowMessageA(kMsgIconClick),
        RegisterWindowMessageA(kMsgStartSecondInstance),
        RegisterWindowMessageA(kMsgCheckInstance),
        RegisterWindowMessageA(kMsgThreadExiting),
        RegisterWindowMessageA(kMsgDropUnreadFlag),
        RegisterWindowMessageA(kMsgAddError),
        RegisterWindowMessageA(kMsgClearMessages),
        RegisterWindowMessageA(kMsgAskPassword),
    };
    return messages;
}

PostingSink::~PostingSink() {
    // Records never delivered (the frame went away first).
    for (ErrorRecord* record : m_inFlight) delete record;
}

bool PostingSink::Post(UINT message, LPARAM lParam) {
    HWND frame = m_frame.load();
    return frame && PostMessageA(frame, message, 0, lParam);
}

void PostingSink::PostClearMessages(CAccount* account) {
    Post(RegisteredMessages::Get().clearMessages, reinterpret_cast<LPARAM>(account));
}

void PostingSink::PostAddError(std::unique_ptr<ErrorRecord> record) {
    ErrorRecord* raw = record.get();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_inFlight.insert(raw);
    }
    record.release();
    if (!Post(RegisteredMessages::Get().addError, reinterpret_cast<LPARAM>(raw))) {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_inFlight.erase(raw)) delete raw;
    }
}

void PostingSink::PostAskPassword(CAccount* account) {
    Post(RegisteredMessages::Get().askPassword, reinterpret_cast<LPARAM>(account));
}

void PostingSink::PostThreadExiting(CAccount* account) {
    Post(RegisteredMessages::Get().threadExiting, reinterpret_cast<LPARAM>(account));
}

std::unique_ptr<ErrorRecord> PostingSink::TakeRecord(LPARAM lParam) {
    ErrorRecord* raw = reinterpret_cast<ErrorRecord*>(lParam);
    std::lock_guard<std::mutex> lock(m_lock);
    if (!m_inFlight.erase(raw)) return nullptr;
    return std::unique_ptr<ErrorRecord>(raw);
}
