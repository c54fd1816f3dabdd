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

// The frame's message pane when nothing else is shown there.
constexpr UINT AFX_IDS_IDLEMESSAGE = 0xE001;  // 57345

// Status bar indicators of the lock keys: string and command identifiers
// at once; the text shows while the key's toggle is on.
constexpr UINT ID_INDICATOR_CAPS = 0xE701;  // 59137
constexpr UINT ID_INDICATOR_NUM = 0xE702;   // 59138
constexpr UINT ID_INDICATOR_SCRL = 0xE703;  // 59139
