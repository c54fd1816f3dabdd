// The common-controls version the library needs.
#pragma once

constexpr long kComCtlVersion400 = 0x00040000;
constexpr long kComCtlVersionMinimum = 0x00040048;  // 4.72

constexpr long ComCtlVersion(unsigned long major, unsigned long minor) {
    return static_cast<long>((major << 16) | (minor & 0xFFFF));
}

constexpr bool IsComCtlVersionSupported(long version) { return version >= kComCtlVersionMinimum; }

constexpr const char kComCtlVersionCaption[] = "Invalid COMCTL32.DLL";
constexpr const char kComCtlVersionMessage[] =
    "Invalid Common Control DLL!\nYou need version 4.72 or higher to use Varnek Extension "
    "Library.\nAborting!";
