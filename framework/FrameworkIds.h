// Identifiers of the framework DLL's own string resources: the prompts of
// dialog data validation.
#pragma once

#include <windows.h>

constexpr UINT AFX_IDP_PARSE_INT = 61712;           // not an integer
constexpr UINT AFX_IDP_PARSE_REAL = 61713;          // not a number
constexpr UINT AFX_IDP_PARSE_INT_RANGE = 61714;     // integer out of %1..%2
constexpr UINT AFX_IDP_PARSE_REAL_RANGE = 61715;    // number out of %1..%2
constexpr UINT AFX_IDP_PARSE_STRING_SIZE = 61716;   // text longer than %1
constexpr UINT AFX_IDP_PARSE_RADIO_BUTTON = 61717;  // no radio button chosen
constexpr UINT AFX_IDP_PARSE_BYTE = 61718;          // not in 0..255
constexpr UINT AFX_IDP_PARSE_UINT = 61719;          // not a non-negative integer
