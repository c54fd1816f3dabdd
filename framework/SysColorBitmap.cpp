#include "SysColorBitmap.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "ResourceChain.h"

namespace {

struct SysColorMap {
    COLORREF from;
    int sysColor;
};

constexpr SysColorMap kSysColorMap[] = {
    {RGB(0x00, 0x00, 0x00), COLOR_BTNTEXT},
    {RGB(0x80, 0x80, 0x80), COLOR_BTNSHADOW},
    {RGB(0xC0, 0xC0, 0xC0), COLOR_BTNFACE},
    {RGB(0xFF, 0xFF, 0xFF), COLOR_BTNHIGHLIGHT},
};

}  // namespace

COLORREF AfxMapSysColor(COLORREF color) {
    for (const SysColorMap& entry : kSysColorMap)
        if (entry.from == color) return GetSysColor(entry.sysColor);
    return color;
}

HBITMAP AfxCreateSysColorBitmap(const void* dib, std::size_t size) {
    BITMAPINFOHEADER header;
    if (!dib || size < sizeof(header)) return nullptr;
    std::memcpy(&header, dib, sizeof(header));
    if (header.biSize < sizeof(header) || header.biSize > size) return nullptr;
    const long width = header.biWidth;
    const long height = std::labs(header.biHeight);
    if (width <= 0 || height <= 0 || header.biPlanes != 1) return nullptr;

    std::size_t colors = header.biClrUsed;
    if (colors == 0 && header.biBitCount <= 8) colors = std::size_t{1} << header.biBitCount;
    if (header.biBitCount <= 8 && colors > (std::size_t{1} << header.biBitCount)) return nullptr;
    // Three masks follow a plain header with bit-field pixels.
    const std::size_t masks =
        header.biCompression == BI_BITFIELDS && header.biSize == sizeof(header) ? 3 * sizeof(DWORD) : 0;
    const std::size_t tableOffset = header.biSize + masks;
    const std::size_t bitsOffset = tableOffset + colors * sizeof(RGBQUAD);
    std::size_t imageSize;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        const std::size_t stride = (static_cast<std::size_t>(width) * header.biBitCount + 31) / 32 * 4;
        imageSize = stride * static_cast<std::size_t>(height);
    } else {
        imageSize = header.biSizeImage;
    }
    if (imageSize == 0 || bitsOffset > size || imageSize > size - bitsOffset) return nullptr;

    const auto* bytes = static_cast<const BYTE*>(dib);
    std::vector<BYTE> info(bytes, bytes + bitsOffset);
    for (std::size_t i = 0; i < colors; ++i) {
        RGBQUAD quad;
        std::memcpy(&quad, &info[tableOffset + i * sizeof(quad)], sizeof(quad));
        const COLORREF mapped = AfxMapSysColor(RGB(quad.rgbRed, quad.rgbGreen, quad.rgbBlue));
        quad.rgbRed = GetRValue(mapped);
        quad.rgbGreen = GetGValue(mapped);
        quad.rgbBlue = GetBValue(mapped);
        std::memcpy(&info[tableOffset + i * sizeof(quad)], &quad, sizeof(quad));
    }

    HDC screen = GetDC(nullptr);
    if (!screen) return nullptr;
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC memory = bitmap ? CreateCompatibleDC(screen) : nullptr;
    bool drawn = false;
    if (memory) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        // Scan lines copied; 0 or GDI_ERROR (negative) on failure.
        drawn = StretchDIBits(memory, 0, 0, width, height, 0, 0, width, height, bytes + bitsOffset,
                              reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                              SRCCOPY) > 0;
        SelectObject(memory, old);
        DeleteDC(memory);
    }
    ReleaseDC(nullptr, screen);
    if (!drawn && bitmap) {
        DeleteObject(bitmap);
        bitmap = nullptr;
    }
    return bitmap;
}

HBITMAP AfxLoadSysColorBitmap(HINSTANCE module, HRSRC resource) {
    if (!module || !resource) return nullptr;
    HGLOBAL loaded = LoadResource(module, resource);
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data) return nullptr;
    return AfxCreateSysColorBitmap(data, SizeofResource(module, resource));
}

HBITMAP AfxLoadSysColorBitmap(LPCSTR name) {
    HINSTANCE module = AfxFindResourceHandle(name, RT_BITMAP);
    if (!module) return nullptr;
    return AfxLoadSysColorBitmap(module, FindResourceA(module, name, RT_BITMAP));
}
