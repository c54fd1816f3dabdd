#include "LumFlatButton.h"

#include <windowsx.h>

#include <string>

namespace {

void FillSolid(HDC dc, int x, int y, int width, int height, COLORREF color) {
    SetBkColor(dc, color);
    const RECT rect = {x, y, x + width, y + height};
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
}

// A one-pixel frame just inside `rect`: `topLeft` on the top and left
// edges, `bottomRight` on the bottom and right ones.
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    FillSolid(dc, rect.left, rect.top, width - 1, 1, topLeft);
    FillSolid(dc, rect.left, rect.top, 1, height - 1, topLeft);
    FillSolid(dc, rect.right - 1, rect.top, 1, height, bottomRight);
    FillSolid(dc, rect.left, rect.bottom - 1, width, 1, bottomRight);
}

}  // namespace

const CRuntimeClass CLumFlatButton::classCLumFlatButton = {"CLumFlatButton", sizeof(CLumFlatButton),
                                                           &CButton::classCButton, nullptr};

const CRuntimeClass* CLumFlatButton::GetRuntimeClass() const { return &classCLumFlatButton; }

const MessageMapEntry CLumFlatButton::messageEntries[] = {
    On::Message<&CLumFlatButton::OnLButtonDown>(WM_LBUTTONDOWN),
    // The button class sends a quick second click as a double click: it is a press all the same.
    On::Message<&CLumFlatButton::OnLButtonDown>(WM_LBUTTONDBLCLK),
    On::Message<&CLumFlatButton::OnLButtonUp>(WM_LBUTTONUP),
    On::Message<&CLumFlatButton::OnMouseMove>(WM_MOUSEMOVE),
    On::ReflectMessage<&CLumFlatButton::OnReflectDrawItem>(WM_DRAWITEM),
    On::End(),
};
const MessageMap CLumFlatButton::messageMap = {&CButton::messageMap, CLumFlatButton::messageEntries};

const MessageMap* CLumFlatButton::GetMessageMap() const { return &messageMap; }

CLumFlatButton::CLumFlatButton() = default;

CLumFlatButton::~CLumFlatButton() = default;

void CLumFlatButton::SetIcon(HICON icon, int width, int height) {
    m_hIcon = icon;
    m_nIconWidth = width;
    m_nIconHeight = height;
}

void CLumFlatButton::DrawItem(DRAWITEMSTRUCT* item) {
    HDC dc = item->hDC;
    const int saved = SaveDC(dc);
    RECT rect = item->rcItem;
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (m_bPressed) {
        Draw3dRect(dc, rect, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
        OffsetRect(&rect, 1, 1);
    } else if (m_bHot) {
        Draw3dRect(dc, rect, GetSysColor(COLOR_BTNHIGHLIGHT), GetSysColor(COLOR_BTNSHADOW));
    }
    InflateRect(&rect, -1, -1);

    const UINT state = (GetStyle() & WS_DISABLED) ? DSS_DISABLED : DSS_NORMAL;
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (m_hIcon) {
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(m_hIcon), 0,
                   rect.left + (width - m_nIconWidth) / 2, rect.top + (height - m_nIconHeight) / 2,
                   m_nIconWidth, m_nIconHeight, DST_ICON | state);
    } else {
        const std::string text = GetWindowText();
        const int length = static_cast<int>(text.size());
        SIZE size = {};
        GetTextExtentPoint32A(dc, text.c_str(), length, &size);
        SetBkMode(dc, TRANSPARENT);
        DrawStateA(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(text.c_str()), static_cast<WPARAM>(length),
                   rect.left + (width - size.cx) / 2, rect.top + (height - size.cy) / 2, size.cx, size.cy,
                   DST_PREFIXTEXT | state);
    }
    RestoreDC(dc, saved);
}

LRESULT CLumFlatButton::OnReflectDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

bool CLumFlatButton::HasCapture() const { return GetCapture() == m_hWnd; }

bool CLumFlatButton::ClientContains(LPARAM lParam) const {
    RECT client;
    GetClientRect(&client);
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&client, point) != FALSE;
}

void CLumFlatButton::Repaint() {
    Invalidate(false);
    UpdateWindow();
}

LRESULT CLumFlatButton::OnLButtonDown(WPARAM, LPARAM lParam) {
    if (!HasCapture())
        SetCapture(m_hWnd);
    else if (!ClientContains(lParam))
        ReleaseCapture();
    m_bPressed = m_bTracking = HasCapture() ? TRUE : FALSE;
    m_bHot = FALSE;
    Repaint();
    return 0;
}

LRESULT CLumFlatButton::OnLButtonUp(WPARAM, LPARAM lParam) {
    const bool inside = ClientContains(lParam);
    bool command = false;
    if (HasCapture()) {
        if (inside) {
            // The capture stays, to notice when the mouse leaves.
            command = m_bTracking != FALSE;
            m_bHot = TRUE;
        } else {
            m_bHot = FALSE;
            ReleaseCapture();
        }
    } else if (inside) {
        m_bHot = TRUE;
        SetCapture(m_hWnd);
    } else {
        m_bHot = FALSE;
    }
    m_bPressed = m_bTracking = FALSE;
    // The state is final before the parent runs the command, which may
    // open a modal window or destroy the button.
    if (command) ::SendMessageA(::GetParent(m_hWnd), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(), 0), 0);
    if (IsWindow(m_hWnd)) Repaint();
    return 0;
}

LRESULT CLumFlatButton::OnMouseMove(WPARAM, LPARAM lParam) {
    const BOOL inside = ClientContains(lParam) ? TRUE : FALSE;
    if (!HasCapture()) {
        SetCapture(m_hWnd);
        m_bHot = TRUE;
        Repaint();
    } else if (m_bTracking) {
        if (m_bPressed != inside) {
            m_bPressed = inside;
            Repaint();
        }
    } else if (inside) {
        if (!m_bHot) {
            m_bHot = TRUE;
            Repaint();
        }
    } else {
        ReleaseCapture();
        m_bHot = FALSE;
        Repaint();
    }
    return 0;
}
