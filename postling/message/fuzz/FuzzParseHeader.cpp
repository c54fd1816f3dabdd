// libFuzzer target: any bytes as the response to TOP, parsed whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "postling/message/Message.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CMessage message;
    message.m_strHeader.assign(reinterpret_cast<const char*>(data), size);
    bool complete = message.ParseHeader();
    // Nothing the parser makes is longer than the text it read it from.
    if (message.m_strSubject.size() > size || message.m_strSenderName.size() > size ||
        message.m_strSenderAddress.size() > size || message.m_strMessageId.size() > size)
        std::abort();
    if (complete && message.m_strMessageId.empty()) std::abort();
    CMessage copy(message);
    if (copy.m_strSubject != message.m_strSubject) std::abort();
    return 0;
}
