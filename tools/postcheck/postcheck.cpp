// postcheck: one check of a POP3 account from the command line, with the
// program's own engine. Prints the messages on the server as a table or as
// JSON lines; error records go to standard error.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "postling/engine/CheckContext.h"
#include "postling/engine/CheckThread.h"
#include "postling/engine/QueueSink.h"
#include "postling/engine/Socket.h"
#include "postling/engine/Tls.h"
#include "postling/message/Charset.h"
#include "postling/message/RuleBook.h"
#include "postling/model/Account.h"

namespace {

const char kUsage[] =
    "usage: postcheck --server HOST [--port N] --user NAME --password-file FILE\n"
    "                 [--tls | --stls] [--accept-fingerprint SHA256]\n"
    "                 [--timeout SECONDS] [--seen MESSAGE-ID]... [--delete MESSAGE-ID]... [--json]\n"
    "One check of a POP3 account: lists the messages waiting on the server.\n"
    "  --tls         TLS from the first byte (POP3S; port 995 unless --port)\n"
    "  --stls        plain POP3 upgraded with STLS before the log-in\n"
    "  --accept-fingerprint SHA256\n"
    "                accept the server certificate with this SHA-256 fingerprint\n"
    "                (hex, colons allowed) even if it fails its checks\n"
    "  --seen ID     a message already seen (it is not new)\n"
    "  --delete ID   delete that message on the server\n"
    "  --json        one JSON object per message; error records as JSON on stderr\n"
    "Exit status: 0 the check succeeded, 1 it failed, 2 usage error.\n";

struct Options {
    std::string server, user, passwordFile;
    int port = 0;  // 0: 110, or 995 with --tls
    int security = CAccount::SECURITY_NONE;
    std::string fingerprint;
    int timeout = 60;
    std::vector<std::string> seen, deletions;
    bool json = false;
};

int UsageError(const std::string& why) {
    std::cerr << "postcheck: " << why << "\n" << kUsage;
    return 2;
}

bool ParseNumber(const char* text, int low, int high, int& out) {
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    if (!*text || *end || value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

// 0 when parsed; otherwise the exit status (2 for errors, 0 after --help).
int ParseOptions(int argc, char** argv, Options& options, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto value = [&](const char*& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        const char* v = nullptr;
        if (arg == "--json") {
            options.json = true;
        } else if (arg == "--tls" || arg == "--stls") {
            const int security = arg == "--tls" ? CAccount::SECURITY_TLS : CAccount::SECURITY_STLS;
            if (options.security != CAccount::SECURITY_NONE && options.security != security) {
                error = "--tls and --stls exclude each other";
                return 2;
            }
            options.security = security;
        } else if (arg == "--accept-fingerprint") {
            if (!value(v)) {
                error = arg + " needs a value";
                return 2;
            }
            options.fingerprint = NormalizeFingerprint(v);
            if (options.fingerprint.empty()) {
                error = "--accept-fingerprint needs a SHA-256 fingerprint: 64 hex digits, colons allowed";
                return 2;
            }
        } else if (arg == "--help" || arg == "-h") {
            std::cout << kUsage;
            return -1;
        } else if (arg == "--server" || arg == "--user" || arg == "--password-file" ||
                   arg == "--seen" || arg == "--delete" || arg == "--port" || arg == "--timeout") {
            if (!value(v)) {
                error = arg + " needs a value";
                return 2;
            }
            if (arg == "--server") options.server = v;
            else if (arg == "--user") options.user = v;
            else if (arg == "--password-file") options.passwordFile = v;
            else if (arg == "--seen") options.seen.push_back(v);
            else if (arg == "--delete") options.deletions.push_back(v);
            else if (arg == "--port" && !ParseNumber(v, 1, 65535, options.port)) {
                error = "--port needs a number from 1 to 65535";
                return 2;
            } else if (arg == "--timeout" && !ParseNumber(v, 1, 3600, options.timeout)) {
                error = "--timeout needs a number of seconds from 1 to 3600";
                return 2;
            }
        } else {
            error = "unknown argument " + arg;
            return 2;
        }
    }
    if (options.server.empty() || options.user.empty() || options.passwordFile.empty()) {
        error = "--server, --user and --password-file are required";
        return 2;
    }
    return 0;
}

// The first line of the file, without its line end.
bool ReadPassword(const std::string& path, std::string& password) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return false;
    std::getline(file, password);
    if (!password.empty() && password.back() == '\r') password.pop_back();
    return true;
}

std::string Json(const std::string& cp1251) {
    std::string utf8 = Win1251ToUtf8(cp1251);
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void PrintJson(const CAccount& account) {
    for (const auto& m : account.m_messages) {
        std::cout << "{\"message_id\":" << Json(m->m_strMessageId)
                  << ",\"sender_name\":" << Json(m->m_strSenderName)
                  << ",\"sender_address\":" << Json(m->m_strSenderAddress)
                  << ",\"subject\":" << Json(m->m_strSubject) << ",\"size\":" << m->m_nSize
                  << ",\"sent\":" << m->m_timeSent << ",\"received\":" << m->m_timeReceived
                  << ",\"seen\":" << m->m_bSeen << "}\n";
    }
}

std::string LocalTime(TimeValue time) {
    std::tm broken;
    char text[32] = "?";
    if (ToLocalTime(time, broken)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &broken);
    return text;
}

void PrintTable(const CAccount& account) {
    std::cout << "  #  new      size  sent              from / subject\n";
    int number = 0;
    for (const auto& m : account.m_messages) {
        char head[64];
        std::snprintf(head, sizeof head, "%3d  %-3s %9d  %-16s  ", ++number, m->m_bSeen ? "" : "*",
                      m->m_nSize, LocalTime(m->m_timeSent).c_str());
        std::string from = m->m_strSenderName == m->m_strSenderAddress
                               ? m->m_strSenderAddress
                               : m->m_strSenderName + " <" + m->m_strSenderAddress + ">";
        std::cout << head << Win1251ToUtf8(from) << "\n"
                  << std::string(38, ' ') << Win1251ToUtf8(m->m_strSubject) << "\n";
    }
    std::cout << number << " message(s)\n";
}

void PrintErrors(QueueSink& sink, bool json) {
    for (auto& posted : sink.TakeAll()) {
        if (posted.kind != QueueSink::kAddError || !posted.record) continue;
        const ErrorRecord& record = *posted.record;
        if (json) {
            std::cerr << "{\"kind\":" << record.m_nKind << ",\"text\":" << Json(record.m_strText);
            if (!record.m_strFingerprint.empty())
                std::cerr << ",\"fingerprint\":" << Json(record.m_strFingerprint);
            std::cerr << "}\n";
        } else {
            std::cerr << (record.m_nKind == ErrorRecord::kError ? "error: " : "note: ")
                      << Win1251ToUtf8(record.m_strText) << "\n";
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);  // lines end with LF, as natively
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    Options options;
    std::string error;
    int parsed = ParseOptions(argc, argv, options, error);
    if (parsed == -1) return 0;
    if (parsed != 0) return UsageError(error);

    CAccount account;
    if (!ReadPassword(options.passwordFile, account.m_strPassword)) {
        // Not a usage error: one line that says what is wrong.
        const std::string why = "cannot read the password file " + options.passwordFile;
        if (options.json)
            std::cerr << "{\"kind\":2,\"text\":" << Json(why) << "}\n";
        else
            std::cerr << "postcheck: " << why << "\n";
        return 2;
    }
    account.m_strName = options.user + "@" + options.server;
    account.m_strServer = options.server;
    account.m_strUser = options.user;
    account.m_nPort = options.port ? options.port
                                   : options.security == CAccount::SECURITY_TLS ? CAccount::kTlsPort : 110;
    account.m_nSecurity = options.security;
    account.m_strCertificate = options.fingerprint;
    account.m_nTimeOut = options.timeout;
    for (const std::string& id : options.seen) {
        account.m_knownIds.push_back(std::make_unique<CMessage>());
        account.m_knownIds.back()->m_strMessageId = id;
    }

    QueueSink sink;  // a rejected log-in is answered as cancelled
    CRuleBook rules;
    rules.SetRules(CRuleList(), 2);
    for (const std::string& id : options.deletions) rules.AddMark(id);
    CheckContext context(sink, rules);
    SetCheckContext(&context);
    if (!StartSockets()) {
        std::cerr << "postcheck: sockets are not available\n";
        return 1;
    }

    bool ok = RunCheck(account);
    PrintErrors(sink, options.json);
    if (ok) {
        if (options.json) PrintJson(account);
        else PrintTable(account);
    }
    std::cout.flush();
    StopSockets();
    SetCheckContext(nullptr);
    return ok ? 0 : 1;
}
