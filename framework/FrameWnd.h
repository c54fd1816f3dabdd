// The frame window: a top-level window with a window class of its own,
// commands routed on to the application object, and closing that ends the
// program when it is the application's main window. A frame owns itself:
// it deletes itself when its window is gone, so create it with new.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FwExport.h"
#include "Wnd.h"

class CControlBar;
class CStatusBar;

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

    // ---- Control bars ----
    // Bars join the frame when they are created as its children and leave
    // it when destroyed. The first bar takes the frame's sunken client edge
    // away (the view has its own). The layout runs on WM_SIZE, after
    // DockControlBar and ShowControlBar, at the next idle time after
    // DelayRecalcLayout (and after a bar joined), or when called.

    // The sides (CBRS_ALIGN_* bits) bars may be docked to.
    void EnableDocking(DWORD dockStyle);
    DWORD GetDockingStyle() const { return m_dwDockStyle; }
    // Docks `bar` at `side` (one CBRS_ALIGN_* bit; 0: its own side, or the
    // first of top, bottom, left and right it may go to), after the bars
    // docked there before. The side must be allowed by both the bar's and
    // the frame's EnableDocking; false otherwise.
    bool DockControlBar(CControlBar* bar, DWORD side = 0);
    void ShowControlBar(CControlBar* bar, bool show, bool delay = false);
    // The frame's bar with window identifier `id`, or null.
    CControlBar* GetControlBar(UINT id) const;
    // In layout order.
    const std::vector<CControlBar*>& GetControlBars() const { return m_bars; }

    // Bars take their strips along the edges of the client area: bars that
    // cannot be dragged (the status bar) first, then the others; top and
    // bottom before left and right; each side in docking order, outermost
    // first. The rest goes to the view (GetViewWindow). A derived frame
    // that handles WM_SIZE itself calls the base's handler.
    virtual void RecalcLayout();
    void DelayRecalcLayout() { m_bLayoutPending = true; }
    // m_pViewWnd, else the child with identifier AFX_IDW_PANE_FIRST, else
    // (when the frame has bars) its first child that is not a bar; null
    // when none: then the layout leaves the other children alone.
    HWND GetViewWindow() const;
    CWnd* m_pViewWnd = nullptr;

    // Saves each bar's identifier, visibility and side with the
    // application's profile functions: section "<profileName>-Summary",
    // value "Bars" (how many); sections "<profileName>-Bar0", "-Bar1", ...
    // in layout order, values "BarID" (the bar's window identifier),
    // "Visible" (1 shown, 0 hidden) and "Side" ("top", "bottom", "left" or
    // "right"; empty for a bar with no side).
    void SaveBarState(const char* profileName) const;
    // Restores what SaveBarState saved, sides in the saved order. What does
    // not fit is skipped: an identifier of no bar of the frame, a side that
    // is none of the four or not allowed, a visibility other than 0 or 1,
    // a count beyond 256.
    void LoadBarState(const char* profileName);

    // ---- The message pane ----
    // The status bar with identifier AFX_IDW_STATUS_BAR, or null.
    CStatusBar* GetMessageBar() const;
    // Pane 0 of the message bar.
    void SetMessageText(const char* text);
    // The text before "\n" of string `id` (0: empty).
    void SetMessageText(UINT id);
    // The status text of command `id`: its string's text before "\n".
    virtual void GetMessageString(UINT id, std::string& text) const;

    // ---- Help ----
    // ID_CONTEXT_HELP: the help mode. The cursor becomes the help cursor
    // and the frame takes the mouse; the next click on the frame or one of
    // its windows ends the mode and asks the application's WinHelp for
    // HELP_CONTEXT: a bar's item (a toolbar button) or a command chosen from
    // the menu gives HID_BASE_COMMAND + its command; a window that answers
    // WM_HELPHITTEST gives that; anything else the frame's resource,
    // HID_BASE_RESOURCE + the LoadFrame identifier. Esc, the right button,
    // a click outside the frame or the loss of the mouse ends it without help.
    void OnContextHelp();
    bool IsInHelpMode() const { return m_bHelpMode; }

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
    // ID_HELP, and F1 (WM_HELP) in the frame: the help of the message box
    // being shown (the help-context word), else the frame's resource.
    void OnHelp();
    LRESULT OnHelpInfo(WPARAM wParam, LPARAM lParam);

    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    // A pending layout, then the base's update of the child controls.
    void OnIdleUpdateFrame();
    // WM_SETMESSAGESTRING.
    LRESULT OnSetMessageString(WPARAM wParam, LPARAM lParam);
    // The highlighted menu item's prompt; the idle message once the menu
    // has closed.
    LRESULT OnMenuSelect(WPARAM wParam, LPARAM lParam);
    void OnExitMenuLoop();
    // The View menu's commands of the bars (AFX_IDW_CONTROLBAR_FIRST..
    // AFX_IDW_CONTROLBAR_LAST): show or hide the bar of that identifier,
    // checked while it shows; disabled when there is no such bar.
    void OnBarCheck(UINT id);
    void OnUpdateControlBarMenu(CCmdUI* ui);
    // The lock-key indicators: enabled (their text shown) while the key's
    // toggle is on.
    void OnUpdateKeyIndicator(CCmdUI* ui);

    UINT m_nIDResource = 0;
    HICON m_hClassIcon = nullptr;
    HACCEL m_hAccelTable = nullptr;
    // The identifier last shown in the message pane (0 for a text).
    UINT m_nIDLastMessage = 0;

private:
    friend class CControlBar;
    void AddControlBar(CControlBar* bar);
    void RemoveControlBar(CControlBar* bar);

    // One message of the help mode; false ends the mode.
    bool ProcessHelpMsg(MSG& msg, HCURSOR cursor);
    // The help ID of the frame's window `window` at the screen point.
    DWORD HelpHitTest(HWND window, POINT screenPoint) const;

    std::vector<CControlBar*> m_bars;
    bool m_bHelpMode = false;
    DWORD m_dwHelpModeContext = 0;
    DWORD m_dwDockStyle = 0;
    bool m_bLayoutPending = false;
    bool m_bInLayout = false;
};
