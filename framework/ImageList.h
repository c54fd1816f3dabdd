// An image list (comctl32), owned by the object: the destructor deletes it
// unless it was detached.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "FwExport.h"
#include "Object.h"

class FW_API CImageList : public CObject {
public:
    CImageList();
    ~CImageList() override;
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;

    // An empty list of cx by cy images; `flags` ILC_COLOR* and ILC_MASK.
    // False when the object holds a list already.
    bool Create(int cx, int cy, UINT flags, int initial, int grow);
    // The images of bitmap resource `bitmapId` of the resource chain, each
    // `cx` wide, with the bitmap's greys following the system colours
    // (AfxLoadSysColorBitmap); `mask`, the transparent colour, is mapped
    // the same way. `mask` CLR_NONE: none.
    bool Create(UINT bitmapId, int cx, int grow, COLORREF mask);

    // Index of the first image added, or -1. The bitmap stays the caller's.
    int Add(HBITMAP image, COLORREF mask);
    int Add(HBITMAP image, HBITMAP mask);
    int Add(HICON icon);
    // A new icon of image `index` (the caller destroys it), or null.
    HICON ExtractIcon(int index);

    int GetImageCount() const;
    bool GetImageInfo(int index, IMAGEINFO* info) const;
    // `style` ILD_*.
    bool Draw(HDC dc, int index, POINT point, UINT style) const;

    bool DeleteImageList();
    // Takes ownership of `list`; false when the object holds one already.
    bool Attach(HIMAGELIST list);
    // Gives up ownership.
    HIMAGELIST Detach();
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCImageList;

    HIMAGELIST m_hImageList = nullptr;
};
