// Control bars: windows docked along an edge of a frame (toolbars, the
// status bar). The frame lays its bars out along their sides and gives the
// rest of its client area to its view (CFrameWnd::RecalcLayout). A bar with
// docking enabled can be dragged by its gripper to any side the bar and the
// frame allow; it docks there when the mouse button is released (there are
// no floating bars). Bars update their items' command state at idle time
// through the frame's update handlers.
#pragma once

#include <windows.h>

#include "FwExport.h"
#include "Wnd.h"

class CFrameWnd;

// Bar styles, kept in the bar's own style word (GetBarStyle), apart from
// the window style.
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
// Borders: a bar with any of them (or a gripper) has a margin in the face
// colour around its items.
constexpr DWORD CBRS_BORDER_LEFT = 0x0100;
constexpr DWORD CBRS_BORDER_TOP = 0x0200;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_BORDER_BOTTOM = 0x0800;
constexpr DWORD CBRS_BORDER_ANY = 0x0F00;
// Tooltips for the items (the text after "\n" of the command's prompt).
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
// The prompt of the item under the mouse in the frame's message pane.
constexpr DWORD CBRS_FLYBY = 0x0020;
// A grip to drag the bar by, before its items.
constexpr DWORD CBRS_GRIPPER = 0x00400000;
constexpr DWORD CBRS_ALL = 0x0040FFFF;

constexpr DWORD CBRS_ORIENT_HORZ = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM;
constexpr DWORD CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT;
constexpr DWORD CBRS_NOALIGN = 0;
constexpr DWORD CBRS_LEFT = CBRS_ALIGN_LEFT | CBRS_BORDER_RIGHT;
constexpr DWORD CBRS_TOP = CBRS_ALIGN_TOP | CBRS_BORDER_BOTTOM;
constexpr DWORD CBRS_RIGHT = CBRS_ALIGN_RIGHT | CBRS_BORDER_LEFT;
constexpr DWORD CBRS_BOTTOM = CBRS_ALIGN_BOTTOM | CBRS_BORDER_TOP;

// Child window identifiers of a frame: its bars and its view.
constexpr UINT AFX_IDW_CONTROLBAR_FIRST = 0xE800;
constexpr UINT AFX_IDW_CONTROLBAR_LAST = 0xE8FF;
constexpr UINT AFX_IDW_TOOLBAR = 0xE800;
constexpr UINT AFX_IDW_STATUS_BAR = 0xE801;
constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

// The View menu's commands that show or hide the bar of the same identifier.
constexpr UINT ID_VIEW_TOOLBAR = 0xE800;
constexpr UINT ID_VIEW_STATUS_BAR = 0xE801;

// A separator among a toolbar's buttons; the message pane among a status
// bar's indicators.
constexpr UINT ID_SEPARATOR = 0;

// To a frame: show a message in its message pane. wParam a string
// identifier (the text before "\n"; 0: empty), or lParam the text itself.
// Returns the identifier shown before.
constexpr UINT WM_SETMESSAGESTRING = 0x0362;

class FW_API CControlBar : public CWnd {
public:
    CControlBar();
    // Leaves the frame's list of bars.
    ~CControlBar() override;

    DWORD GetBarStyle() const { return m_dwStyle; }
    // CBRS_* bits; OnBarStyleChange follows.
    void SetBarStyle(DWORD style);
    // The side the bar is docked to: one CBRS_ALIGN_* bit, or 0.
    DWORD GetDockSide() const { return m_dwStyle & CBRS_ALIGN_ANY; }
    // Along the top or the bottom, or at no side: items in a row.
    bool IsHorizontal() const { return (m_dwStyle & CBRS_ORIENT_VERT) == 0; }
    // Shown in its frame (the window's own visibility flag, whether or not
    // the frame is on screen).
    bool IsVisible() const;

    // The sides (CBRS_ALIGN_* bits) the user may drag the bar to; 0: it
    // stays where it is.
    void EnableDocking(DWORD dockStyle);
    DWORD GetDockingStyle() const { return m_dwDockStyle; }
    // The frame that lays the bar out, or null.
    CFrameWnd* GetDockingFrame() const { return m_pDockSite; }

    // The bar's size docked horizontally or vertically. The frame asks with
    // `stretch`: then only the thickness counts and the bar takes its
    // side's whole length. Includes the margin and the gripper.
    virtual SIZE CalcFixedLayout(bool stretch, bool horz);
    // Runs the update handlers of the bar's items, routed through `target`.
    virtual void OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler);
    // The command of the item at `point` (client coordinates) for the
    // fly-by prompt; 0 when none.
    virtual UINT HitTestCommand(POINT point) const;

    // The client rectangle of a window of size `size` in the orientation
    // `horz`: without the margin and the gripper. Window coordinates.
    RECT CalcInsideRect(SIZE size, bool horz) const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCControlBar;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // For Create functions: splits `style` into the window style
    // (returned) and the bar style (kept) before the window is made...
    DWORD PrepareStyle(DWORD style);
    // ...and after it, joins the parent's bars when the parent is a frame.
    bool JoinFrame(CWnd* parent);
    // After SetBarStyle changed the style: the margin and the gripper are
    // measured again (a new side may turn the gripper); derived bars
    // follow a new orientation.
    virtual void OnBarStyleChange(DWORD oldStyle, DWORD newStyle);
    // The gripper's rectangle, window coordinates; empty without one.
    RECT GetGripperRect() const;

    LRESULT OnNcCalcSize(WPARAM wParam, LPARAM lParam);
    void OnNcPaint();
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);
    LRESULT OnLButtonDblClk(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
    LRESULT OnIdleUpdateBar(WPARAM wParam, LPARAM lParam);
    void OnDestroy();

    DWORD m_dwStyle = 0;
    DWORD m_dwDockStyle = 0;
    CFrameWnd* m_pDockSite = nullptr;

private:
    // A press outside the client area (gripper or margin) of a bar that
    // may be docked.
    bool CanDragFrom(POINT client) const;
    // Dragging: a loop of its own until the button is released (docks the
    // bar at the side under the mouse) or Escape, the right button or a
    // lost capture cancels it.
    void TrackDrag(POINT startScreen);
    // The side a drop at `screen` docks to: the current one while the
    // mouse is in its zone, else the allowed side whose zone (the outer
    // quarter of the frame's client area along it) holds the mouse and
    // whose edge is nearest; 0: none.
    DWORD SideAt(POINT screen) const;
    // The outline of the bar docked at `side` (0: none) in place of the
    // one shown.
    void ShowDragFeedback(DWORD side);
    // The fly-by prompt of `id` (0: the idle message) in the frame.
    void SetFlyBy(UINT id);

    RECT m_rectFeedback = {};  // frame window coordinates; empty: none shown
    UINT m_nFlyById = 0;
};
