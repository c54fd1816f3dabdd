#include "ImageList.h"

#include "SysColorBitmap.h"

const CRuntimeClass CImageList::classCImageList = {"CImageList", sizeof(CImageList),
                                                   &CObject::classCObject, nullptr};

const CRuntimeClass* CImageList::GetRuntimeClass() const { return &classCImageList; }

CImageList::CImageList() = default;

CImageList::~CImageList() { DeleteImageList(); }

bool CImageList::Create(int cx, int cy, UINT flags, int initial, int grow) {
    if (m_hImageList) return false;
    m_hImageList = ImageList_Create(cx, cy, flags, initial, grow);
    return m_hImageList != nullptr;
}

bool CImageList::Create(UINT bitmapId, int cx, int grow, COLORREF mask) {
    if (m_hImageList || cx <= 0) return false;
    HBITMAP bitmap = AfxLoadSysColorBitmap(MAKEINTRESOURCEA(bitmapId));
    if (!bitmap) return false;
    BITMAP info = {};
    GetObjectA(bitmap, sizeof(info), &info);
    const bool masked = mask != CLR_NONE;
    const UINT flags = ILC_COLOR24 | (masked ? ILC_MASK : 0);
    bool added = false;
    if (info.bmWidth >= cx && Create(cx, static_cast<int>(info.bmHeight), flags,
                                     static_cast<int>(info.bmWidth / cx), grow)) {
        added = (masked ? Add(bitmap, AfxMapSysColor(mask)) : Add(bitmap, HBITMAP{})) >= 0;
        if (!added) DeleteImageList();
    }
    DeleteObject(bitmap);
    return added;
}

int CImageList::Add(HBITMAP image, COLORREF mask) {
    return ImageList_AddMasked(m_hImageList, image, mask);
}

int CImageList::Add(HBITMAP image, HBITMAP mask) { return ImageList_Add(m_hImageList, image, mask); }

int CImageList::Add(HICON icon) { return ImageList_AddIcon(m_hImageList, icon); }

HICON CImageList::ExtractIcon(int index) { return ImageList_GetIcon(m_hImageList, index, ILD_NORMAL); }

int CImageList::GetImageCount() const { return ImageList_GetImageCount(m_hImageList); }

bool CImageList::GetImageInfo(int index, IMAGEINFO* info) const {
    return ImageList_GetImageInfo(m_hImageList, index, info) != FALSE;
}

bool CImageList::Draw(HDC dc, int index, POINT point, UINT style) const {
    return ImageList_Draw(m_hImageList, index, dc, point.x, point.y, style) != FALSE;
}

bool CImageList::DeleteImageList() {
    if (!m_hImageList) return false;
    HIMAGELIST list = Detach();
    return ImageList_Destroy(list) != FALSE;
}

bool CImageList::Attach(HIMAGELIST list) {
    if (!list || m_hImageList) return false;
    m_hImageList = list;
    return true;
}

HIMAGELIST CImageList::Detach() {
    HIMAGELIST list = m_hImageList;
    m_hImageList = nullptr;
    return list;
}
