// A flat owner-drawn push button: flat until the mouse is over it (raised)
// or presses it (sunken); shows an icon, or its caption when it has none.
// Create it with BS_OWNERDRAW. It sends WM_COMMAND with its identifier to
// its parent itself, on a release inside after a press inside.
#pragma once

#include <windows.h>

#include "framework/Controls.h"

class CLumFlatButton : public CButton {
public:
    CLumFlatButton();            // 400
    ~CLumFlatButton() override;  // 401

    virtual void DrawItem(DRAWITEMSTRUCT* item);              // 403
    // The icon drawn instead of the caption, at width x height; the button
    // does not destroy it. A null icon shows the caption again.
    virtual void SetIcon(HICON icon, int width, int height);  // 409

    const CRuntimeClass* GetRuntimeClass() const override;  // 404
    static const CRuntimeClass classCLumFlatButton;         // 402

    const MessageMap* GetMessageMap() const override;       // 405
    static const MessageMap messageMap;                     // 410
    static const MessageMapEntry messageEntries[];          // 411

protected:
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);    // 406
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);      // 407
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);      // 408
    // WM_DRAWITEM sent to the parent about this button.
    LRESULT OnReflectDrawItem(WPARAM wParam, LPARAM lParam);

    BOOL m_bPressed = FALSE;   // drawn sunken
    BOOL m_bHot = FALSE;       // drawn raised: mouse over, button up
    BOOL m_bTracking = FALSE;  // pressed on the button and not released yet
    HICON m_hIcon = nullptr;
    int m_nIconWidth = 0;
    int m_nIconHeight = 0;

private:
    bool HasCapture() const;
    bool ClientContains(LPARAM lParam) const;
    void Repaint();
};
