#include "ControlBar.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "FrameWnd.h"
#include "FrameworkIds.h"

namespace {

constexpr int kMargin = 2;   // around the items of a bar with borders or a gripper
constexpr int kGripper = 8;  // the gripper's band, before the items
constexpr int kFeedback = 3; // thickness of the drag outline

bool HasMargin(DWORD style) { return (style & (CBRS_BORDER_ANY | CBRS_GRIPPER)) != 0; }

// The client area's offset in the window.
POINT ClientOffset(HWND window) {
    RECT outer;
    ::GetWindowRect(window, &outer);
    POINT origin = {0, 0};
    ::ClientToScreen(window, &origin);
    return {origin.x - outer.left, origin.y - outer.top};
}

// A 50% grey pattern: the classic outline of a window being dragged.
HBRUSH CreateHalftoneBrush() {
    WORD pattern[8];
    for (int i = 0; i < 8; ++i) pattern[i] = static_cast<WORD>(0x5555 << (i & 1));
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, pattern);
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

// Inverts a frame `kFeedback` thick along the inside of `rect`.
void InvertOutline(HWND frame, const RECT& rect) {
    HDC dc = GetDCEx(frame, nullptr, DCX_WINDOW | DCX_CACHE);
    if (!dc) return;
    HBRUSH brush = CreateHalftoneBrush();
    HGDIOBJ old = SelectObject(dc, brush);
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    PatBlt(dc, rect.left, rect.top, w, kFeedback, PATINVERT);
    PatBlt(dc, rect.left, rect.bottom - kFeedback, w, kFeedback, PATINVERT);
    PatBlt(dc, rect.left, rect.top + kFeedback, kFeedback, h - 2 * kFeedback, PATINVERT);
    PatBlt(dc, rect.right - kFeedback, rect.top + kFeedback, kFeedback, h - 2 * kFeedback, PATINVERT);
    SelectObject(dc, old);
    DeleteObject(brush);
    ReleaseDC(frame, dc);
}

}  // namespace

const CRuntimeClass CControlBar::classCControlBar = {"CControlBar", sizeof(CControlBar), &CWnd::classCWnd,
                                                     nullptr};

const CRuntimeClass* CControlBar::GetRuntimeClass() const { return &classCControlBar; }

const MessageMapEntry CControlBar::messageEntries[] = {
    On::Message<&CControlBar::OnNcCalcSize>(WM_NCCALCSIZE),
    On::Message<&CControlBar::OnNcPaint>(WM_NCPAINT),
    On::Message<&CControlBar::OnNcHitTest>(WM_NCHITTEST),
    On::Message<&CControlBar::OnSetCursor>(WM_SETCURSOR),
    On::Message<&CControlBar::OnLButtonDown>(WM_LBUTTONDOWN),
    On::Message<&CControlBar::OnLButtonDblClk>(WM_LBUTTONDBLCLK),
    On::Message<&CControlBar::OnMouseMove>(WM_MOUSEMOVE),
    On::Message<&CControlBar::OnMouseLeave>(WM_MOUSELEAVE),
    On::Message<&CControlBar::OnIdleUpdateBar>(WM_IDLEUPDATECMDUI),
    On::Message<&CControlBar::OnDestroy>(WM_DESTROY),
    On::End(),
};
const MessageMap CControlBar::messageMap = {&CWnd::messageMap, CControlBar::messageEntries};

const MessageMap* CControlBar::GetMessageMap() const { return &messageMap; }

CControlBar::CControlBar() = default;

CControlBar::~CControlBar() {
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
}

bool CControlBar::IsVisible() const { return m_hWnd && (GetStyle() & WS_VISIBLE) != 0; }

void CControlBar::SetBarStyle(DWORD style) {
    const DWORD old = m_dwStyle;
    m_dwStyle = style & CBRS_ALL;
    if (old != m_dwStyle) OnBarStyleChange(old, m_dwStyle);
}

void CControlBar::OnBarStyleChange(DWORD oldStyle, DWORD newStyle) {
    // The margin and the gripper live in the non-client area.
    const DWORD shape = CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_GRIPPER;
    if (m_hWnd && ((oldStyle ^ newStyle) & shape))
        SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void CControlBar::EnableDocking(DWORD dockStyle) { m_dwDockStyle = dockStyle & CBRS_ALIGN_ANY; }

SIZE CControlBar::CalcFixedLayout(bool stretch, bool horz) {
    // The margin and the gripper; derived bars add their items.
    const RECT inside = CalcInsideRect({0, 0}, horz);
    SIZE size = {inside.left - inside.right, inside.top - inside.bottom};
    if (stretch && m_pDockSite) {
        RECT client;
        m_pDockSite->GetClientRect(&client);
        (horz ? size.cx : size.cy) = horz ? client.right : client.bottom;
    }
    return size;
}

void CControlBar::OnUpdateCmdUI(CFrameWnd*, bool) {}

UINT CControlBar::HitTestCommand(POINT) const { return 0; }

RECT CControlBar::CalcInsideRect(SIZE size, bool horz) const {
    RECT rect = {0, 0, size.cx, size.cy};
    if (HasMargin(m_dwStyle)) InflateRect(&rect, -kMargin, -kMargin);
    if (m_dwStyle & CBRS_GRIPPER) (horz ? rect.left : rect.top) += kGripper;
    return rect;
}

RECT CControlBar::GetGripperRect() const {
    RECT rect = {};
    if (!(m_dwStyle & CBRS_GRIPPER) || !m_hWnd) return rect;
    RECT outer;
    GetWindowRect(&outer);
    rect = {kMargin, kMargin, outer.right - outer.left - kMargin, outer.bottom - outer.top - kMargin};
    if (IsHorizontal()) rect.right = rect.left + kGripper;
    else rect.bottom = rect.top + kGripper;
    return rect;
}

DWORD CControlBar::PrepareStyle(DWORD style) {
    m_dwStyle = style & CBRS_ALL;
    return style & ~CBRS_ALL;
}

bool CControlBar::JoinFrame(CWnd* parent) {
    if (!parent || !parent->IsKindOf(&CFrameWnd::classCFrameWnd)) return false;
    m_pDockSite = static_cast<CFrameWnd*>(parent);
    m_pDockSite->AddControlBar(this);
    return true;
}

// ---- Non-client area: the margin and the gripper ----

LRESULT CControlBar::OnNcCalcSize(WPARAM, LPARAM lParam) {
    LRESULT result = Default();
    auto* rect = reinterpret_cast<RECT*>(lParam);  // the first rectangle either way
    const RECT inside = CalcInsideRect({0, 0}, IsHorizontal());
    rect->left += inside.left;
    rect->top += inside.top;
    rect->right = std::max(rect->left, rect->right + inside.right);
    rect->bottom = std::max(rect->top, rect->bottom + inside.bottom);
    return result;
}

void CControlBar::OnNcPaint() {
    Default();
    if (!HasMargin(m_dwStyle)) return;
    HDC dc = GetWindowDC(m_hWnd);
    if (!dc) return;
    RECT outer;
    GetWindowRect(&outer);
    const RECT all = {0, 0, outer.right - outer.left, outer.bottom - outer.top};
    RECT client;
    GetClientRect(&client);
    const POINT offset = ClientOffset(m_hWnd);
    ExcludeClipRect(dc, offset.x, offset.y, offset.x + client.right, offset.y + client.bottom);
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    RECT grip = GetGripperRect();
    if (!IsRectEmpty(&grip)) {
        // A raised ridge three pixels thick along the middle of the band.
        if (IsHorizontal()) {
            grip.left += (kGripper - 3) / 2;
            grip.right = grip.left + 3;
            InflateRect(&grip, 0, -1);
        } else {
            grip.top += (kGripper - 3) / 2;
            grip.bottom = grip.top + 3;
            InflateRect(&grip, -1, 0);
        }
        DrawEdge(dc, &grip, BDR_RAISEDINNER, BF_RECT);
    }
    ReleaseDC(m_hWnd, dc);
}

LRESULT CControlBar::OnNcHitTest(WPARAM, LPARAM lParam) {
    // The margin and the gripper count as client area: presses there come
    // as client messages outside the client rectangle.
    if (!HasMargin(m_dwStyle)) return Default();
    RECT outer;
    GetWindowRect(&outer);
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return PtInRect(&outer, point) ? HTCLIENT : HTNOWHERE;
}

LRESULT CControlBar::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == m_hWnd && LOWORD(lParam) == HTCLIENT) {
        POINT point;
        GetCursorPos(&point);
        ScreenToClient(m_hWnd, &point);
        if (CanDragFrom(point)) {
            SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
            return TRUE;
        }
    }
    return Default();
}

// ---- Dragging ----

bool CControlBar::CanDragFrom(POINT client) const {
    if (!m_pDockSite || !(m_dwDockStyle & m_pDockSite->GetDockingStyle())) return false;
    RECT rect;
    GetClientRect(&rect);
    return !PtInRect(&rect, client);
}

LRESULT CControlBar::OnLButtonDown(WPARAM, LPARAM lParam) {
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!CanDragFrom(point)) return Default();
    ClientToScreen(m_hWnd, &point);
    TrackDrag(point);
    return 0;
}

LRESULT CControlBar::OnLButtonDblClk(WPARAM, LPARAM lParam) {
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return CanDragFrom(point) ? 0 : Default();
}

void CControlBar::TrackDrag(POINT startScreen) {
    SetCapture(m_hWnd);
    const int cxDrag = GetSystemMetrics(SM_CXDRAG), cyDrag = GetSystemMetrics(SM_CYDRAG);
    bool started = false;
    bool dropped = false;
    DWORD side = 0;
    MSG msg;
    while (GetCapture() == m_hWnd) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // for the outer loop
            break;
        }
        bool done = false;
        switch (msg.message) {
        case WM_MOUSEMOVE:
        case WM_LBUTTONUP: {
            POINT point = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
            ::ClientToScreen(msg.hwnd, &point);
            started = started || std::abs(point.x - startScreen.x) > cxDrag ||
                      std::abs(point.y - startScreen.y) > cyDrag;
            if (started) {
                side = SideAt(point);
                ShowDragFeedback(side);
            }
            if (msg.message == WM_LBUTTONUP) dropped = done = true;
            break;
        }
        case WM_KEYDOWN:
            if (msg.wParam == VK_ESCAPE) done = true;
            break;
        case WM_RBUTTONDOWN:
        case WM_CANCELMODE:
            done = true;
            break;
        default:
            DispatchMessageA(&msg);
            break;
        }
        if (done) break;
    }
    ShowDragFeedback(0);
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (dropped && started && side && side != GetDockSide() && m_pDockSite) m_pDockSite->DockControlBar(this, side);
}

DWORD CControlBar::SideAt(POINT screen) const {
    if (!m_pDockSite) return 0;
    const DWORD allowed = m_dwDockStyle & m_pDockSite->GetDockingStyle();
    RECT client;
    m_pDockSite->GetClientRect(&client);
    MapWindowPoints(m_pDockSite->m_hWnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
    const int width = std::max(1L, client.right - client.left);
    const int height = std::max(1L, client.bottom - client.top);
    const struct {
        DWORD side;
        long distance;  // from the edge, inwards
        int length;     // of the frame across the edge
    } sides[] = {
        {CBRS_ALIGN_TOP, screen.y - client.top, height},
        {CBRS_ALIGN_BOTTOM, client.bottom - screen.y, height},
        {CBRS_ALIGN_LEFT, screen.x - client.left, width},
        {CBRS_ALIGN_RIGHT, client.right - screen.x, width},
    };
    DWORD best = 0;
    double bestShare = 0;
    for (const auto& s : sides) {
        if (!(allowed & s.side) || s.distance >= s.length / 4) continue;
        if (s.side == GetDockSide()) return s.side;
        const double share = static_cast<double>(s.distance) / s.length;
        if (!best || share < bestShare) {
            best = s.side;
            bestShare = share;
        }
    }
    return best;
}

void CControlBar::ShowDragFeedback(DWORD side) {
    HWND frame = m_pDockSite ? m_pDockSite->m_hWnd : nullptr;
    if (!frame) return;
    RECT rect = {};
    if (side) {
        const bool horz = (side & CBRS_ORIENT_HORZ) != 0;
        const SIZE size = CalcFixedLayout(true, horz);
        RECT client;
        ::GetClientRect(frame, &client);
        rect = client;
        switch (side) {
        case CBRS_ALIGN_TOP: rect.bottom = rect.top + size.cy; break;
        case CBRS_ALIGN_BOTTOM: rect.top = rect.bottom - size.cy; break;
        case CBRS_ALIGN_LEFT: rect.right = rect.left + size.cx; break;
        default: rect.left = rect.right - size.cx; break;
        }
        const POINT offset = ClientOffset(frame);
        OffsetRect(&rect, offset.x, offset.y);
    }
    if (EqualRect(&rect, &m_rectFeedback)) return;
    if (!IsRectEmpty(&m_rectFeedback)) InvertOutline(frame, m_rectFeedback);
    m_rectFeedback = rect;
    if (!IsRectEmpty(&m_rectFeedback)) InvertOutline(frame, m_rectFeedback);
}

// ---- Fly-by prompts ----

LRESULT CControlBar::OnMouseMove(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    if (m_dwStyle & CBRS_FLYBY) {
        const UINT id = HitTestCommand({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (id != m_nFlyById) SetFlyBy(id);
        if (id) {
            TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, m_hWnd, 0};
            TrackMouseEvent(&track);
        }
    }
    return result;
}

LRESULT CControlBar::OnMouseLeave(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (m_nFlyById) SetFlyBy(0);
    return result;
}

void CControlBar::SetFlyBy(UINT id) {
    m_nFlyById = id;
    CFrameWnd* frame = m_pDockSite ? m_pDockSite : GetParentFrame();
    if (frame) frame->SendMessage(WM_SETMESSAGESTRING, id ? id : AFX_IDS_IDLEMESSAGE);
}

// ---- Idle time and the end ----

LRESULT CControlBar::OnIdleUpdateBar(WPARAM wParam, LPARAM) {
    CFrameWnd* frame = m_pDockSite ? m_pDockSite : GetParentFrame();
    if (frame && IsVisible()) OnUpdateCmdUI(frame, wParam != 0 && frame->m_bAutoMenuEnable);
    return 0;
}

void CControlBar::OnDestroy() {
    if (m_pDockSite) m_pDockSite->RemoveControlBar(this);
    m_pDockSite = nullptr;
    Default();
}
