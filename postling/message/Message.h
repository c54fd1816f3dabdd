// One message waiting on a server: its raw header block and what the header
// parser reads out of it.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Object.h"
#include "postling/model/Clock.h"

class CMessage : public CObject {
public:
    CMessage();
    // Copying takes fields header text to seen flag; a copy starts with the
    // reaction, account name and deletion mark of a new record.
    CMessage(const CMessage& other);
    // Assignment takes the same fields and keeps the target's reaction,
    // account name and deletion mark.
    CMessage& operator=(const CMessage& other);
    ~CMessage() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMessage;

    // Reads m_strHeader and fills sender, address, subject, identifier and
    // both times; false when it stopped early (later fields keep their values).
    bool ParseHeader();
    // Unfolded value of a header field, by upper-case name with its colon
    // ("FROM:"); empty when absent.
    std::string GetHeaderField(const std::string& name) const;
    // A date text ("Mon, 13 Nov 2000 10:05:07 +0300") to a time value, the
    // clock time taken as local time. The current time for an empty text, an
    // unreadable one or an unknown month; kTimeInvalid for one out of range.
    TimeValue ParseDate(const std::string& text) const;

    std::string m_strHeader;         // 1: the whole response to TOP, CR LF lines
    std::string m_strSenderName;     // 2: cp1251
    std::string m_strSenderAddress;  // 3: never decoded
    std::string m_strSubject;        // 4: cp1251
    std::string m_strMessageId;      // 5: as written, blanks trimmed
    std::int32_t m_nSize;            // 6: octets, from LIST (set by the session)
    TimeValue m_timeSent;            // 7
    TimeValue m_timeReceived;        // 8
    std::int32_t m_bSeen;            // 9: 1 = not new
    std::int32_t m_nReaction;        // 10: reaction code of the rules
    std::string m_strAccount;        // 11: set on the message list's copies
    std::int32_t m_bDeleteMark;      // 12: 1 = delete on the server at the next check
};
