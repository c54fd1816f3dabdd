// The frame window: a top-level window with a window class of its own,
// commands routed on to the application object, and closing that ends the
// program when it is the application's main window. A frame owns itself:
// it deletes itself when its window is gone, so create it with new.
#pragma once

#include <windows.h>

#include "FwExport.h"
#include "Wnd.h"

// Frame style: the title is the application's (kept for the frame styles
// programs pass; it has no further meaning here).
constexpr DWORD FWS_ADDTOTITLE = 0x00008000;

class FW_API CFrameWnd : public CWnd {
public:
    CFrameWnd();
    ~CFrameWnd() override;

    // Creates the frame with the title (first line of string `resourceId`,
    // or the application's title), menu (menu `resourceId`, if the chain has
    // one) and window-class icon (icon `resourceId`, if the chain has one)
    // of one resource identifier.
    bool LoadFrame(UINT resourceId, DWORD style = WS_OVERLAPPEDWINDOW | FWS_ADDTOTITLE,
                   CWnd* parent = nullptr);
    // className null: the frame class (see PreCreateWindow). menuName: a
    // menu resource of the chain, or null.
    bool Create(const char* className, const char* title, DWORD style = WS_OVERLAPPEDWINDOW,
                const RECT& rect = rectDefault, CWnd* parent = nullptr, const char* menuName = nullptr,
                DWORD exStyle = 0);

    // Own commands first, then the application's.
    bool OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui = nullptr) override;
    // The frame's accelerators (LoadFrame's resource, or LoadAccelTable).
    bool PreTranslateMessage(MSG* msg) override;
    // Accelerator table `id` of the resource chain; false when missing.
    bool LoadAccelTable(UINT id);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

    static const RECT rectDefault;
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCFrameWnd;

protected:
    // Without a class: a class of the frame's own (double clicks, arrow
    // cursor, window background, the icon of LoadFrame), with the sunken
    // client edge. Derived frames change either here.
    bool PreCreateWindow(CREATESTRUCTA& cs) override;
    void PostNcDestroy() override;

    // The main window asks the application to save first; then the window
    // is destroyed.
    void OnClose();
    // The session messages reach the application through the main frame.
    LRESULT OnQueryEndSession(WPARAM wParam, LPARAM lParam);
    LRESULT OnEndSession(WPARAM wParam, LPARAM lParam);
    // WM_HELPPROMPTADDR: the address of the application's help-context word.
    LRESULT OnHelpPromptAddr(WPARAM wParam, LPARAM lParam);

    UINT m_nIDResource = 0;
    HICON m_hClassIcon = nullptr;
    HACCEL m_hAccelTable = nullptr;
};
