// The POP3 dialogue of a session: log-in with password retries, STAT, LIST
// and TOP for every message, DELE for the messages to delete, QUIT.
#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "CheckContext.h"
#include "EngineStrings.h"
#include "Pop3Text.h"
#include "postling/engine/Pop3Session.h"
#include "postling/message/RuleBook.h"
#include "postling/model/Account.h"
#include "postling/model/TextFormat.h"

namespace {

// The two numbers of a STAT or LIST answer, read from its fifth character
// on like "%d %d", without scanf's undefined overflow.
bool ReadTwoNumbers(const char* reply, int& first, int& second) {
    if (std::strlen(reply) < 4) return false;
    const char* p = reply + 4;
    int* targets[] = {&first, &second};
    for (int* target : targets) {
        char* end = nullptr;
        errno = 0;
        long value = std::strtol(p, &end, 10);
        if (end == p) return false;
        if (errno == ERANGE || value > 0x7FFFFFFFL) value = 0x7FFFFFFFL;
        if (value < -0x7FFFFFFFL - 1) value = -0x7FFFFFFFL - 1;
        *target = static_cast<int>(value);
        p = end;
    }
    return true;
}

// A message to delete in this session. Marks are named by the message's
// identifier rather than held by pointer: the user may drop a mark while
// the session runs.
struct DeletionEntry {
    std::unique_ptr<CMessage> message;
    bool fromMark;  // the user marked it: a successful DELE uses the mark up
    int number;
};

// The QUIT that carries out the deletions was acknowledged: the marks of
// the deleted messages are used up.
void UseUpDeletedMarks(Pop3Session& session) {
    for (const std::string& id : session.m_marksDeleted) Checking().m_rules.RemoveMark(id);
    session.m_marksDeleted.clear();
}

// A CAPA list longer than this is no list of capabilities.
constexpr std::size_t kMaxCapabilities = 64 * 1024;

// Whether a capability list (after its "+OK" line) names `name` (case
// ignored) as a line's first word.
bool HasCapability(const std::string& list, const char* name) {
    const std::size_t length = std::strlen(name);
    std::size_t line = list.find('\n');
    while (line != std::string::npos) {
        const std::size_t start = line + 1;
        line = list.find('\n', start);
        const std::size_t end = line == std::string::npos ? list.size() : line;
        if (end - start < length) continue;
        bool same = true;
        for (std::size_t i = 0; i < length && same; ++i)
            same = std::toupper(static_cast<unsigned char>(list[start + i])) == name[i];
        const char after = start + length < end ? list[start + length] : '\n';
        if (same && (after == ' ' || after == '\r' || after == '\n')) return true;
    }
    return false;
}

}  // namespace

bool Pop3Session::NegotiateStls() {
    const int capacity = static_cast<int>(kReplyBufferSize);
    std::strcpy(m_szCommand, "CAPA\n");
    SendLine(m_szCommand);
    int rc = ReadReply(m_szReply, capacity);
    bool offered = false;
    if (rc == kNoError && IsPositive(m_szReply)) {
        const ReplyTime time(*this);
        std::string list = m_szReply;
        while (rc == kNoError && !m_bReplyCut && !EndsWithDotLine(list.c_str(), list.size()) &&
               list.size() <= kMaxCapabilities) {
            rc = ReadReply(m_szReply, capacity);
            list += m_szReply;
        }
        // Unread lines of an endless list would be taken for the answer to STLS.
        const bool complete = m_bReplyCut || EndsWithDotLine(list.c_str(), list.size());
        offered = rc == kNoError && complete && HasCapability(list, "STLS");
    }
    if (offered) {
        std::strcpy(m_szCommand, "STLS\n");
        SendLine(m_szCommand);
        rc = ReadReply(m_szReply, capacity);
        offered = rc == kNoError && IsPositive(m_szReply);
    }
    if (!offered) {
        m_nLastError = rc == kNoError ? static_cast<int>(IDS_STLS_NOT_OFFERED) : rc;
        QuitKeepingReply();
        return false;
    }
    return StartTls();
}

bool Pop3Session::ComposeCommand(const char* verb, const std::string& argument) {
    // A value with a line break would smuggle further commands to the server;
    // one too long for the command buffer would be cut. Neither is sent.
    if (argument.find_first_of("\r\n") != std::string::npos) {
        m_nLastError = IDS_CREDENTIAL_LINE_BREAK;
        return false;
    }
    std::string command = std::string(verb) + ' ' + argument + '\n';
    if (command.size() + 1 > kCommandBufferSize) {
        m_nLastError = IDS_CREDENTIAL_TOO_LONG;
        return false;
    }
    std::memcpy(m_szCommand, command.c_str(), command.size() + 1);
    return true;
}

bool Pop3Session::Login() {
    if (!OpenConnection()) return false;

    // The greeting, however many lines, is read but not checked; an endless
    // one is cut at the time one answer may take.
    if (WaitReadable(m_account.EffectiveTimeOut(), 0)) {
        const ReplyTime time(*this);
        while (ReadReply(m_szReply, static_cast<int>(kReplyBufferSize)) == kNoError &&
               m_replyEnd > std::chrono::steady_clock::now() && WaitReadable(0, 100)) {
        }
    }
    // No user name or password leaves in plain text when encryption was asked for.
    if (m_account.m_nSecurity == CAccount::SECURITY_STLS && !NegotiateStls()) return false;

    if (!ComposeCommand("USER", m_account.m_strUser)) return false;
    SendLine(m_szCommand);
    if (ReadReply(m_szReply, static_cast<int>(kReplyBufferSize)) != kNoError) {
        m_nLastError = IDS_TIMED_OUT;
        return false;
    }
    if (!IsPositive(m_szReply)) {
        m_nLastError = IDS_USER_REJECTED;
        QuitKeepingReply();
        return false;
    }

    if (!ComposeCommand("PASS", m_account.m_strPassword)) {
        Disconnect(true);
        return false;
    }
    SendLine(m_szCommand);
    if (ReadReply(m_szReply, static_cast<int>(kReplyBufferSize)) != kNoError) {
        m_nLastError = IDS_TIMED_OUT;
        return false;
    }
    if (IsPositive(m_szReply)) return true;
    m_nLastError = IDS_PASSWORD_REJECTED;
    QuitKeepingReply();
    return false;
}

// The error quotes the server's refusal, not its answer to QUIT.
void Pop3Session::QuitKeepingReply() {
    const std::string refusal = m_szReply;
    Disconnect(true);
    std::memcpy(m_szReply, refusal.c_str(), refusal.size() + 1);
}

bool Pop3Session::AskPassword() {
    CheckContext& context = Checking();
    context.m_passwordGate.Wait();
    context.m_passwordAnswered.Reset();
    FormatErrorText(m_account.m_strLoginError);
    context.m_sink.PostAskPassword(&m_account);
    context.m_passwordAnswered.Wait();
    context.m_passwordGate.Set();
    return m_account.m_bPasswordReply == 1;
}

bool Pop3Session::CheckMailbox() {
    Checking().m_sink.PostClearMessages(&m_account);
    bool loggedIn = Login();
    while (!loggedIn &&
           (m_nLastError == IDS_USER_REJECTED || m_nLastError == IDS_PASSWORD_REJECTED)) {
        if (!AskPassword()) break;
        loggedIn = Login();
    }
    if (!loggedIn) {
        ReportError();
        Disconnect(false);
        return false;
    }
    m_marksDeleted.clear();
    bool read = ReadMailbox();
    if (!read) ReportError();
    // The server deletes only when it acknowledges QUIT; until then the
    // user's marks stay, and the next check tries again.
    if (Disconnect(read)) UseUpDeletedMarks(*this);
    m_marksDeleted.clear();
    return read;
}

bool Pop3Session::ReadMailbox() {
    const int capacity = static_cast<int>(kReplyBufferSize);
    std::vector<DeletionEntry> deletions;
    bool listingError = false;

    std::strcpy(m_szCommand, "STAT\n");
    SendLine(m_szCommand);
    if (ReadReply(m_szReply, capacity) != kNoError) {
        m_nLastError = IDS_TIMED_OUT;
        return false;
    }
    int count = 0, totalSize = 0;
    // Not a mailbox size (a negative one too): the check must not empty the list.
    if (!IsPositive(m_szReply) || !ReadTwoNumbers(m_szReply, count, totalSize) || count < 0) {
        m_nLastError = IDS_STAT_FAILED;
        QuitKeepingReply();
        return false;
    }
    if (count == 0) {
        m_nLastError = kNoError;
        return true;
    }

    CRuleBook& rules = Checking().m_rules;
    for (int i = 1; i > 0 && i <= count; ++i) {  // i > 0: no overflow at INT_MAX
        std::snprintf(m_szCommand, kCommandBufferSize, "LIST %d\n", i);
        SendLine(m_szCommand);
        if (ReadReply(m_szReply, capacity) != kNoError) {
            m_nLastError = IDS_TIMED_OUT;
            return false;
        }
        int listed = 0, size = 0;
        if (!IsPositive(m_szReply) || !ReadTwoNumbers(m_szReply, listed, size)) {
            PostError(ErrorRecord::kError,
                      FormatResource(IDS_LIST_FAILED, {std::int64_t{i}, AccountPart(), ReplyPart()}));
            listingError = true;
            continue;
        }

        std::snprintf(m_szCommand, kCommandBufferSize, "TOP %d 0\n", i);
        SendLine(m_szCommand);
        std::size_t offset = 0;
        bool negative = false;
        const ReplyTime time(*this);  // the whole header block, however it is cut
        for (;;) {
            if (ReadReply(m_szReply + offset, capacity - static_cast<int>(offset)) != kNoError) {
                m_nLastError = IDS_TIMED_OUT;
                return false;
            }
            if (!IsPositive(m_szReply)) {
                negative = true;
                break;
            }
            offset = std::strlen(m_szReply);
            if (EndsWithDotLine(m_szReply, offset)) break;
            if (offset >= kReplyBufferSize - 1) {
                // Full to the last byte: unless ReadReply dropped the rest,
                // the "." line is still to come, and the next reply must not
                // start with it.
                if (!m_bReplyCut && DiscardRestOfReply(m_szReply, offset) != kNoError) {
                    m_nLastError = IDS_TIMED_OUT;
                    return false;
                }
                break;
            }
        }
        if (negative) {
            PostError(ErrorRecord::kError,
                      FormatResource(IDS_TOP_FAILED, {std::int64_t{i}, AccountPart(), ReplyPart()}));
            listingError = true;
            continue;
        }

        auto message = std::make_unique<CMessage>();
        message->m_strHeader = m_szReply;
        message->ParseHeader();
        message->m_nSize = size;

        bool marked = rules.HasMark(message->m_strMessageId);
        if (marked || rules.MatchesDeleteRule(*message)) {
            deletions.push_back({std::move(message), marked, i});
        } else {
            m_account.m_gathered.push_back(std::move(message));
        }
    }

    // Highest message number first.
    while (!deletions.empty()) {
        // The program is ending: no more DELE, and no QUIT that would carry
        // out those already sent.
        if (ChecksStopping()) {
            m_nLastError = IDS_TIMED_OUT;
            return false;
        }
        DeletionEntry entry = std::move(deletions.back());
        deletions.pop_back();
        std::snprintf(m_szCommand, kCommandBufferSize, "DELE %d\n", entry.number);
        SendLine(m_szCommand);
        m_nLastError = kNoError;
        if (ReadReply(m_szReply, capacity) != kNoError)
            m_nLastError = IDS_TIMED_OUT;
        else if (!IsPositive(m_szReply))
            m_nLastError = IDS_DELE_FAILED;

        if (m_nLastError == kNoError) {
            const CMessage& gone = *entry.message;
            PostError(ErrorRecord::kMessage,
                      FormatResource(IDS_MESSAGE_DELETED, {gone.m_strSenderName, gone.m_strSenderAddress,
                                                           gone.m_strSubject, AccountPart()}));
            if (entry.fromMark) m_marksDeleted.push_back(gone.m_strMessageId);
        } else {
            m_account.m_gathered.push_back(std::move(entry.message));
            ReportError();
            m_nLastError = kNoError;
        }
    }

    if (listingError) {
        if (Disconnect(true)) UseUpDeletedMarks(*this);
        return false;
    }
    return true;
}
