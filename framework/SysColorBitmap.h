// Bitmaps drawn in the classic button greys that follow the system colours:
// in the colour table of a 16- or 256-colour bitmap, black becomes
// COLOR_BTNTEXT, dark grey (128,128,128) COLOR_BTNSHADOW, silver
// (192,192,192) COLOR_BTNFACE and white COLOR_BTNHIGHLIGHT.
#pragma once

#include <windows.h>

#include <cstddef>

#include "FwExport.h"

// Bitmap resource `name` of the resource chain, mapped, as a bitmap
// compatible with the screen; null when no module has it or it cannot be
// read. The caller deletes it.
FW_API HBITMAP AfxLoadSysColorBitmap(LPCSTR name);
// The same for a resource already found.
FW_API HBITMAP AfxLoadSysColorBitmap(HINSTANCE module, HRSRC resource);

// A packed DIB in memory (BITMAPINFOHEADER or later header, colour table,
// pixels), mapped. Bitmaps without a colour table are copied unmapped; OS/2
// headers and truncated data give null.
FW_API HBITMAP AfxCreateSysColorBitmap(const void* dib, std::size_t size);

// The colour `color` of such a bitmap becomes (itself when not mapped).
FW_API COLORREF AfxMapSysColor(COLORREF color);
