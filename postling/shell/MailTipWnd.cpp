#include "postling/shell/MailTipWnd.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"

namespace {

// Text flags of the tip, for measuring and for painting.
constexpr UINT kTextFormat = DT_WORDBREAK | DT_NOPREFIX;

// The body's distance from the full-screen area's right and bottom edges,
// and the room around the text inside it.
constexpr int kBodyRightGap = 8;     // right = X - 8
constexpr int kBodyBottomGap = 28;   // bottom = Y - 28
constexpr int kTextLeft = 26;        // icon column
constexpr int kTextMargin = 8;
constexpr int kTailDrop = 20;        // the tail hangs below the body
constexpr int kCornerSize = 16;
constexpr int kMinTextHeight = 16;
constexpr int kMaxAspect = 20;

// The tail picture in memory, bit for bit what bitmap IDB_TIP_TAIL holds: 1-bits
// (background colour) inside the tail triangle and across the body's
// bottom border where the tail joins it, 0-bits (text colour) around them.
// Drawn at (w - 40, h - 2), so the triangle (w - 32, h - 1), (w - 16,
// h - 1), (w - 40, h + 19) is (8, 1), (24, 1), (0, 21) here.
HBITMAP MakeTailPicture() {
    const int width = CMailTipWnd::kTailPictureWidth;
    const int height = CMailTipWnd::kTailPictureHeight;
    const int stride = ((width + 15) / 16) * 2;  // rows are word-aligned
    std::vector<BYTE> bits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y) {
        double left, right;
        if (y <= 1) {
            // The opening in the body's border: w - 30 to w - 17.
            left = 9.5;
            right = 23.5;
        } else {
            double t = (y - 1) / 20.0;
            // Two pixels of edge on either side of the inside.
            left = 8.0 - 8.0 * t + 1.5;
            right = 24.0 - 24.0 * t - 1.5;
        }
        for (int x = 0; x < width; ++x) {
            if (x > left && x < right) bits[static_cast<std::size_t>(y * stride + x / 8)] |=
                static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    return CreateBitmap(width, height, 1, 1, bits.data());
}

HICON LoadTipIcon() {
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA(CMailTipWnd::kIconId), RT_GROUP_ICON);
    if (!module) return nullptr;
    return static_cast<HICON>(
        LoadImageA(module, MAKEINTRESOURCEA(CMailTipWnd::kIconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

HBITMAP LoadTailPicture() {
    HINSTANCE module = AfxFindResourceHandle(MAKEINTRESOURCEA(CMailTipWnd::kTailBitmapId), RT_BITMAP);
    if (module) {
        HBITMAP bitmap = LoadBitmapA(module, MAKEINTRESOURCEA(CMailTipWnd::kTailBitmapId));
        if (bitmap) return bitmap;
    }
    return MakeTailPicture();
}

HWND MainWindowHandle() {
    CWinApp* app = AfxGetApp();
    return app && app->m_pMainWnd ? app->m_pMainWnd->GetSafeHwnd() : nullptr;
}

}  // namespace

// ---- Measuring and placing ----

SIZE MeasureTipText(const std::string& text, const TipExtentFn& extent, const TipLayoutFn& layout) {
    SIZE size = extent(text);
    if (text.find('\n') != std::string::npos) size.cy = 0;
    while (size.cx > kMaxAspect * size.cy) {
        int width = size.cx - size.cx / 3;
        SIZE next = layout(text, width);
        // A word wider than the goal keeps the text as wide as it is: stop
        // there rather than go round for ever (the height is still the
        // layout's, so a text with line breaks gets its lines).
        bool narrower = next.cx < size.cx;
        size = next;
        if (!narrower) break;
    }
    if (size.cy < kMinTextHeight) size.cy = kMinTextHeight;
    return size;
}

SIZE MeasureTipText(const std::string& text) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    auto extent = [dc](const std::string& s) {
        SIZE size = {0, 0};
        GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
        return size;
    };
    auto layout = [dc](const std::string& s, int width) {
        RECT rect = {0, 0, width, 2};
        DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &rect, kTextFormat | DT_CALCRECT);
        SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
        return size;
    };
    SIZE size = MeasureTipText(text, extent, layout);
    SelectObject(dc, oldFont);
    ReleaseDC(nullptr, dc);
    return size;
}

RECT PlaceTipBody(SIZE text, SIZE screen, const RECT& workArea) {
    // The body is the text plus 34 across and 16 down, with its left edge
    // at X - 42 - cx and its top at Y - 44 - cy; the tail hangs 20 pixels
    // below it. A text too large for the work area (a long unbroken word,
    // a very long text) is cut to it.
    int workWidth = workArea.right - workArea.left;
    int workHeight = workArea.bottom - workArea.top;
    int cx = std::max<int>(0, std::min<int>(text.cx, workWidth - 42 - 2 * kBodyRightGap));
    int cy = std::max<int>(0, std::min<int>(text.cy, workHeight - 16 - kTailDrop - 2 * kBodyRightGap));
    RECT body;
    body.left = screen.cx - 42 - cx;
    body.right = screen.cx - kBodyRightGap;
    body.top = screen.cy - 44 - cy;
    body.bottom = screen.cy - kBodyBottomGap;
    // Where the full-screen area reaches past the work area (Wine reports
    // a full-screen height larger than the screen), the tip moves in so
    // that the whole balloon, tail included, is on screen.
    int dx = 0, dy = 0;
    if (body.right > workArea.right) dx = workArea.right - body.right;
    else if (body.left < workArea.left) dx = workArea.left - body.left;
    if (body.bottom + kTailDrop > workArea.bottom) dy = workArea.bottom - (body.bottom + kTailDrop);
    else if (body.top < workArea.top) dy = workArea.top - body.top;
    OffsetRect(&body, dx, dy);
    return body;
}

// ---- CMailTipWnd ----

CMailTipWnd* CMailTipWnd::s_pCurrentTip = nullptr;

const CRuntimeClass CMailTipWnd::classCMailTipWnd = {"CMailTipWnd", sizeof(CMailTipWnd),
                                                     &CWnd::classCWnd, nullptr};

const CRuntimeClass* CMailTipWnd::GetRuntimeClass() const { return &classCMailTipWnd; }

const MessageMapEntry CMailTipWnd::messageEntries[] = {
    On::Message<&CMailTipWnd::OnPaint>(WM_PAINT),
    On::Message<&CMailTipWnd::OnNcHitTest>(WM_NCHITTEST),
    On::Message<&CMailTipWnd::OnMouseActivate>(WM_MOUSEACTIVATE),
    On::Message<&CMailTipWnd::OnTimer>(WM_TIMER),
    On::Message<&CMailTipWnd::OnDestroy>(WM_DESTROY),
    On::End(),
};
const MessageMap CMailTipWnd::messageMap = {&CWnd::messageMap, CMailTipWnd::messageEntries};

const MessageMap* CMailTipWnd::GetMessageMap() const { return &messageMap; }

CMailTipWnd::CMailTipWnd() = default;

CMailTipWnd::~CMailTipWnd() {
    if (s_pCurrentTip == this) s_pCurrentTip = nullptr;
    FreePictures();
}

bool CMailTipWnd::IsTipShown() { return s_pCurrentTip != nullptr; }

bool CMailTipWnd::ShowTip(const char* text) {
    // 1. The tip on screen goes; this very object's window goes without
    //    taking the object with it.
    if (s_pCurrentTip) {
        CMailTipWnd* old = s_pCurrentTip;
        if (old == this) m_bAutoDelete = false;
        if (old->m_hWnd) old->DestroyWindow();
        if (s_pCurrentTip == old) s_pCurrentTip = nullptr;
    }
    if (m_hWnd) DestroyWindow();  // a window of this object that was not the current tip
    if (!text || !*text) return false;

    // 2.
    s_pCurrentTip = this;

    // 3. Measure; 4. place, in screen coordinates.
    SIZE textSize = MeasureTipText(text);
    SIZE screen = {GetSystemMetrics(SM_CXFULLSCREEN), GetSystemMetrics(SM_CYFULLSCREEN)};
    RECT workArea = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    m_rcBody = PlaceTipBody(textSize, screen, workArea);
    int w = m_rcBody.right - m_rcBody.left;
    int h = m_rcBody.bottom - m_rcBody.top;

    // 5. Create.
    const char* className =
        AfxRegisterWndClass(CS_GLOBALCLASS, LoadCursorA(nullptr, IDC_ARROW),
                            reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_INFOBK + 1)), nullptr);
    m_bAutoDelete = false;
    if (!className ||
        !CreateEx(WS_EX_TOPMOST | WS_EX_WINDOWEDGE, className, text, WS_POPUP, m_rcBody.left,
                  m_rcBody.top, w, h + kTailDrop, MainWindowHandle(), nullptr) ||
        !m_hWnd) {
        if (s_pCurrentTip == this) s_pCurrentTip = nullptr;
        return false;
    }
    m_bAutoDelete = true;
    m_rcBody = {0, 0, w, h};

    // 6. The balloon: the rounded body and the tail below its right end.
    m_ptTail[0] = {w - 32, h - 1};
    m_ptTail[1] = {w - 16, h - 1};
    m_ptTail[2] = {w - 40, h + 19};
    HRGN region = CreateRoundRectRgn(0, 0, w, h, kCornerSize, kCornerSize);
    HRGN tail = CreatePolygonRgn(m_ptTail, 3, WINDING);
    CombineRgn(region, region, tail, RGN_OR);
    DeleteObject(tail);
    if (!SetWindowRgn(m_hWnd, region, FALSE)) DeleteObject(region);  // the window owns it otherwise

    // 7.
    LoadPictures();

    // 8. 9.
    SetTimer(kTimerId, m_nLifetime);
    ::ShowWindow(m_hWnd, SW_SHOWNOACTIVATE);
    return true;
}

void CMailTipWnd::LoadPictures() {
    FreePictures();
    m_hTail = LoadTailPicture();
    BITMAP info = {};
    if (m_hTail && GetObjectA(m_hTail, sizeof(info), &info)) m_sizeTail = {info.bmWidth, info.bmHeight};
    m_imageList = ImageList_Create(16, 16, ILC_COLOR4 | ILC_MASK, 1, 0);
    HICON icon = LoadTipIcon();
    if (m_imageList && icon) ImageList_AddIcon(m_imageList, icon);
    if (icon) DestroyIcon(icon);
}

void CMailTipWnd::FreePictures() {
    if (m_imageList) ImageList_Destroy(m_imageList);
    m_imageList = nullptr;
    if (m_hTail) DeleteObject(m_hTail);
    m_hTail = nullptr;
    m_sizeTail = {0, 0};
}

LRESULT CMailTipWnd::OnNcHitTest(WPARAM, LPARAM) { return HTTRANSPARENT; }

LRESULT CMailTipWnd::OnMouseActivate(WPARAM, LPARAM) { return MA_NOACTIVATE; }

void CMailTipWnd::OnPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    int w = m_rcBody.right - m_rcBody.left;
    int h = m_rcBody.bottom - m_rcBody.top;
    COLORREF textColour = GetSysColor(COLOR_INFOTEXT);
    COLORREF backColour = GetSysColor(COLOR_INFOBK);

    // 1. The outline; the inside keeps the class background.
    HPEN pen = CreatePen(PS_SOLID, 2, textColour);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
    RoundRect(dc, 0, 0, w, h, kCornerSize, kCornerSize);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    // 2. The tail: 0-bits in the text colour, 1-bits in the background.
    SetTextColor(dc, textColour);
    SetBkColor(dc, backColour);
    if (m_hTail) {
        HDC memory = CreateCompatibleDC(dc);
        HGDIOBJ oldBitmap = SelectObject(memory, m_hTail);
        BitBlt(dc, w - 40, h - 2, m_sizeTail.cx, m_sizeTail.cy, memory, 0, 0, SRCCOPY);
        SelectObject(memory, oldBitmap);
        DeleteDC(memory);
    }

    // 3. The icon.
    if (m_imageList) ImageList_Draw(m_imageList, 0, dc, 8, 8, ILD_TRANSPARENT);

    // 4. The text.
    std::string text = GetWindowText();
    HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    RECT rect = {kTextLeft, kTextMargin, w - kTextMargin, h - kTextMargin};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &rect, kTextFormat);
    SelectObject(dc, oldFont);
    EndPaint(m_hWnd, &ps);
}

LRESULT CMailTipWnd::OnTimer(WPARAM id, LPARAM) {
    if (id != kTimerId) return Default();
    DestroyWindow();
    return 0;
}

void CMailTipWnd::OnDestroy() {
    KillTimer(kTimerId);
    Default();
}

void CMailTipWnd::PostNcDestroy() {
    if (s_pCurrentTip == this) s_pCurrentTip = nullptr;
    FreePictures();
    if (m_bAutoDelete) delete this;
}
