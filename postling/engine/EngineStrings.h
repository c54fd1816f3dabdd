// String table entries of the checking engine: failure texts and fillers.
#pragma once

enum : unsigned {
    IDS_UNKNOWN_SOCKET_ERROR = 10025,
    IDS_SOCKET_CREATE_FAILED = 10026,
    IDS_SERVER_NOT_FOUND = 10027,
    IDS_CONNECT_FAILED = 10028,
    IDS_CONNECTION_CLOSED = 10034,
    IDS_ACCOUNT_PART = 10035,        // "Учетная запись: '%s', сервер: '%s'."
    IDS_REPLY_PART = 10036,          // "Ответ сервера: '%s'."
    IDS_SEND_FAILED = 10037,
    IDS_RECEIVE_FAILED = 10038,
    IDS_OUT_OF_MEMORY = 10039,
    IDS_TIMED_OUT = 10040,
    IDS_USER_REJECTED = 10041,
    IDS_PASSWORD_REJECTED = 10042,
    IDS_STAT_FAILED = 10043,
    IDS_DELE_FAILED = 10044,
    IDS_MESSAGE_DELETED = 10045,
    IDS_LIST_FAILED = 10046,
    IDS_TOP_FAILED = 10047,
    IDS_CREDENTIAL_TOO_LONG = 10080,
    IDS_CREDENTIAL_LINE_BREAK = 10081,
    IDS_TLS_FAILED = 10082,              // TLS library's words, account part
    IDS_STLS_NOT_OFFERED = 10083,
    IDS_CERTIFICATE_EXPIRED = 10084,     // host, fingerprint, account part
    IDS_CERTIFICATE_WRONG_NAME = 10085,
    IDS_CERTIFICATE_UNTRUSTED = 10086,
    IDS_CERTIFICATE_INVALID = 10087,
    IDS_TLS_UNAVAILABLE = 10088,         // a detail of IDS_TLS_FAILED
};

// Last error values that are not failures.
constexpr int kNoError = 0;
constexpr int kLoginUnderWay = 1;
