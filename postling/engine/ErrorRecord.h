// One failure or notice of a check, handed to the main frame.
#pragma once

#include <cstdint>
#include <string>

#include "framework/Object.h"
#include "postling/model/Clock.h"

class CAccount;

class ErrorRecord : public CObject {
public:
    enum Kind { kMessage = 0, kWarning = 1, kError = 2 };  // fields of string 10016

    ErrorRecord(std::int32_t kind, std::string text, CAccount* account)
        : m_nKind(kind), m_strText(std::move(text)), m_pAccount(account) {}
    ~ErrorRecord() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classErrorRecord;

    std::int32_t m_nKind;
    std::string m_strText;
    CAccount* m_pAccount;           // not owned
    // A certificate error: the SHA-256 fingerprint (64 hex digits) of the
    // server certificate the user may accept for the account.
    std::string m_strFingerprint;
    TimeValue m_time = kTimeInvalid;  // stamped by the receiver
};
