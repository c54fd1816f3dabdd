// An account aimed at a scripted server, with the context the checking
// threads need: a queue for what they post, the rules, the profile.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ScriptedServer.h"
#include "postling/engine/CheckContext.h"
#include "postling/engine/Pop3Session.h"
#include "postling/engine/QueueSink.h"
#include "postling/engine/Socket.h"
#include "postling/message/RuleBook.h"
#include "postling/model/Account.h"

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        StartSockets();
        SetCheckContext(&m_context);
    }
    void TearDown() override {
        SetCheckContext(nullptr);
        StopSockets();
    }

    // An account for the server: loopback, its port, a short time-out.
    std::unique_ptr<CAccount> MakeAccount(const ScriptedServer& server, int timeout = 1) {
        auto account = std::make_unique<CAccount>();
        account->m_strName = "Test";
        account->m_strServer = "127.0.0.1";
        account->m_nPort = server.Port();
        account->m_strUser = "alice";
        account->m_strPassword = "secret";
        account->m_nTimeOut = timeout;
        return account;
    }

    // The error records posted so far, in order (other notifications dropped).
    std::vector<std::unique_ptr<ErrorRecord>> Errors() {
        std::vector<std::unique_ptr<ErrorRecord>> errors;
        for (auto& posted : m_sink.TakeAll())
            if (posted.kind == QueueSink::kAddError) errors.push_back(std::move(posted.record));
        return errors;
    }

    QueueSink m_sink;
    CRuleBook m_rules;
    CheckContext m_context{m_sink, m_rules};
};

// Log-in and listing without the password prompt and the error report of
// a whole check.
inline bool LoginAndRead(Pop3Session& session) {
    if (!session.Login()) return false;
    bool read = session.ReadMailbox();
    session.Disconnect(read);
    return read;
}

// A complete TOP answer for a small message.
inline std::string TopReply(const std::string& id, const std::string& subject) {
    return "+OK\r\nMessage-ID: " + id + "\r\nFrom: Ivan <ivan@example.ru>\r\nSubject: " + subject +
           "\r\nDate: Mon, 13 Nov 2000 10:05:07 +0300\r\n\r\n.\r\n";
}
