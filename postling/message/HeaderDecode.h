// Header text decoding: MIME encoded words (RFC 2047), quoted-printable and
// base64, converted to code page 1251. Stateless; bad input degrades, never fails.
#pragma once

#include <string>

#include "Charset.h"

// The value of a header text in code page 1251. `charsetCode` is the
// message's charset (Charset.h); unencoded text is taken as KOI8-R when it is
// CharsetKoi8r and as code page 1251 otherwise.
std::string DecodeHeaderText(const std::string& text, int charsetCode);

// The bytes of a base64 text; decoding ends at "=" or at any character
// outside the alphabet (line breaks and blanks included).
std::string DecodeBase64(const std::string& text);

// The bytes of a quoted-printable text: "=" and two hexadecimal digits (either
// case) give one byte; an "=" without them is dropped. With `underscoreIsSpace`
// (the Q encoding of encoded words) a literal "_" stands for a space.
std::string DecodeQuotedPrintable(const std::string& text, bool underscoreIsSpace = false);
