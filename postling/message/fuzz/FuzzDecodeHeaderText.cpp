// libFuzzer target: header text decoding in every charset. The first byte
// chooses the message's charset, the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "postling/message/HeaderDecode.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int codes[] = {CharsetWin1251, CharsetKoi8r, CharsetUtf8, CharsetUtf7, 0};
    const int charset = codes[data[0] % 5];
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    // Decoding never lengthens a text: every step turns bytes into fewer bytes.
    if (DecodeHeaderText(text, charset).size() > text.size()) std::abort();
    if (DecodeBase64(text).size() > text.size()) std::abort();
    if (DecodeQuotedPrintable(text, data[0] & 1).size() > text.size()) std::abort();
    if (ConvertToWin1251(text, charset).size() > text.size()) std::abort();
    return 0;
}
