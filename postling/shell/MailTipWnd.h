// The mail tip: a small balloon above the notification area that says new
// mail has arrived, shows the program's small icon and a text, never takes
// the focus, lets the mouse through to whatever lies below and goes away by
// itself after ten seconds. At most one tip is on screen; a new one replaces
// the old one.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "framework/Wnd.h"
#include "postling/res/resource.h"

// Measures the text of a tip: the width and height the text needs, laid out
// at most twenty times as wide as it is high. `extent` gives the size of a
// text as one line; `layout` the size a text needs when word-wrapped to a
// width. The narrowing stops as well once a round no longer makes the text
// narrower (a word wider than the goal cannot be wrapped), so it always ends.
using TipExtentFn = std::function<SIZE(const std::string& text)>;
using TipLayoutFn = std::function<SIZE(const std::string& text, int width)>;
SIZE MeasureTipText(const std::string& text, const TipExtentFn& extent, const TipLayoutFn& layout);

// The same with the system's default GUI font on a screen device context.
SIZE MeasureTipText(const std::string& text);

// The body rectangle of a tip whose text measured `text`, in screen
// coordinates, for a full-screen client area of `screen`: at the bottom
// right, above the taskbar. The whole tip, tail included, stays inside
// `workArea`: a text too large for it is cut to it, and a full-screen area
// that reaches past it moves the tip in.
RECT PlaceTipBody(SIZE text, SIZE screen, const RECT& workArea);

class CMailTipWnd : public CWnd {
public:
    // The timer that ends the tip's life, and its period.
    static constexpr UINT_PTR kTimerId = 1;
    static constexpr UINT kLifetimeMs = 10000;
    // Resources: the small icon and the picture of the balloon's tail.
    static constexpr UINT kIconId = IDI_NEWMAIL;
    static constexpr UINT kTailBitmapId = IDB_TIP_TAIL;
    // The tail picture when no resource module has the bitmap.
    static constexpr int kTailPictureWidth = 25;
    static constexpr int kTailPictureHeight = 21;

    CMailTipWnd();
    ~CMailTipWnd() override;

    // Destroys the tip on screen, if any, then creates and shows this one
    // for `text` without activating it. With no (or empty) text it only
    // destroys the old tip. Returns whether the window was created; from
    // then on the object belongs to its window and deletes itself when the
    // window is gone. On failure the object stays the caller's.
    bool ShowTip(const char* text);

    // True while a tip is on screen.
    static bool IsTipShown();
    // The tip on screen, or null.
    static CMailTipWnd* GetCurrentTip() { return s_pCurrentTip; }

    // The period of the life timer for the next ShowTip (10,000 ms unless
    // changed; tests shorten it).
    void SetLifetime(UINT milliseconds) { m_nLifetime = milliseconds; }

    // The body: the rounded rectangle, in window coordinates once created.
    const RECT& GetBodyRect() const { return m_rcBody; }
    // The corners of the tail triangle, in window coordinates.
    const POINT* GetTailPoints() const { return m_ptTail; }

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMailTipWnd;

protected:
    void PostNcDestroy() override;

    void OnPaint();
    // Every point: clicks and mouse movement go to the window below.
    LRESULT OnNcHitTest(WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseActivate(WPARAM wParam, LPARAM lParam);
    LRESULT OnTimer(WPARAM id, LPARAM lParam);
    void OnDestroy();

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

private:
    static CMailTipWnd* s_pCurrentTip;

    void LoadPictures();
    void FreePictures();

    HIMAGELIST m_imageList = nullptr;
    HBITMAP m_hTail = nullptr;
    SIZE m_sizeTail = {0, 0};
    POINT m_ptTail[3] = {};
    RECT m_rcBody = {0, 0, 0, 0};
    UINT m_nLifetime = kLifetimeMs;
    // Set once the window exists: the object then deletes itself with it.
    bool m_bAutoDelete = false;
};
