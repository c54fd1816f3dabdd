#include "LumDdx.h"

void DDX_CheckFlag(CDataExchange* dx, int id, UINT& flags, UINT mask) {
    HWND box = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        if (::SendMessageA(box, BM_GETCHECK, 0, 0) != BST_UNCHECKED)
            flags |= mask;
        else
            flags &= ~mask;
    } else {
        ::SendMessageA(box, BM_SETCHECK, (flags & mask) ? BST_CHECKED : BST_UNCHECKED, 0);
    }
}
