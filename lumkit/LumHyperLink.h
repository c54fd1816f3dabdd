// A static text as a web-style link: blue, underlined while the mouse is
// over it, with a hand cursor; a click opens m_strURL (an address or a
// "mailto:") with the shell or, failing that, with the ".htm" browser.
// Subclass a static control of a dialog with it and set m_strURL first.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"

class CLumHyperLink : public CStatic {
public:
    CLumHyperLink();            // 500
    ~CLumHyperLink() override;  // 501

    // Reads the default value of key\subKey (at most MAX_PATH bytes) into
    // `value`, which holds MAX_PATH; empty when it cannot be read. 0, or
    // the error of opening the key.
    static LONG GetRegKey(HKEY key, const char* subKey, char* value);  // 505
    // Opens `url` with the shell, else starts the browser registered for
    // ".htm" with it. Above 32: the shell's instance; else the new
    // process's handle, 0 when it could not start, or the shell's error
    // when no browser is registered.
    static HINSTANCE GotoURL(const char* url, int showCommand);  // 507

    const CRuntimeClass* GetRuntimeClass() const override;  // 504
    static const CRuntimeClass classCLumHyperLink;          // 502

    const MessageMap* GetMessageMap() const override;       // 506
    static const MessageMap messageMap;                     // 512
    static const MessageMapEntry messageEntries[];          // 513

protected:
    void PreSubclassWindow() override;                      // 511
    // WM_CTLCOLORSTATIC sent to the parent about this control.
    LRESULT CtlColor(WPARAM wParam, LPARAM lParam);         // 503
    void OnClicked();                                       // 508
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);      // 509
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);      // 510

    HCURSOR m_hLinkCursor = nullptr;  // the help program's hand, owned; null: the system's
    BOOL m_bHover = FALSE;
    HFONT m_underlineFont = nullptr;
    HFONT m_normalFont = nullptr;

public:
    std::string m_strURL;  // the link target
};
