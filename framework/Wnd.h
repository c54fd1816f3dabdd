// Window objects attached to window handles. Every window the framework
// creates (or subclasses) goes through one window procedure, which finds
// the object of the handle and calls its WindowProc: commands and
// notifications go their own routes (below), notifications about a child
// control go to the control's own object first, and every other message
// goes to the first matching entry of the object's message maps; what no
// entry takes gets the window's default processing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "CmdTarget.h"
#include "FwExport.h"

// Sent by the idle loop to the top-level windows and their descendants:
// update the command state of child controls.
constexpr UINT WM_IDLEUPDATECMDUI = 0x0363;

// The window procedure of framework windows; a window class registered for
// framework windows must use it.
FW_API LRESULT CALLBACK AfxWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once) a window class with AfxWndProc and returns its name,
// made from the arguments; null on failure.
FW_API const char* AfxRegisterWndClass(UINT classStyle, HCURSOR cursor = nullptr,
                                       HBRUSH background = nullptr, HICON icon = nullptr);
// Registers `wc` with AfxWndProc as its procedure when it has none and the
// application's instance when it has none; true also when a class of that
// name is registered already.
FW_API bool AfxRegisterClass(WNDCLASSA& wc);

FW_API HINSTANCE AfxGetInstanceHandle();

class FW_API CWnd : public CCmdTarget {
public:
    CWnd();
    // Destroys a window still attached (without calling back into this
    // object, which is being destroyed).
    ~CWnd() override;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to `window`, or null.
    static CWnd* FromHandlePermanent(HWND window);

    // Creates the window and attaches it to this object before its first
    // message. PreCreateWindow may change the parameters. On failure the
    // object is left as it was, the caller's to delete, even when the
    // window existed for a while.
    bool CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                  void* param = nullptr);
    // A child window with control identifier `id`.
    bool Create(const char* className, const char* windowName, DWORD style, const RECT& rect,
                CWnd* parent, UINT id);

    // Routes the messages of an existing window (of this thread) through
    // this object; the window's own procedure does the default processing.
    bool SubclassWindow(HWND window);
    // SubclassWindow of the child control `id` of `parent`.
    bool SubclassDlgItem(UINT id, CWnd* parent);
    // Gives the window its own procedure back and detaches it.
    HWND UnsubclassWindow();

    bool Attach(HWND window);
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }

    virtual bool DestroyWindow();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    // To every child (and with `deep` every descendant); with
    // `onlyPermanent`, only to windows that have an object.
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  bool deep = true, bool onlyPermanent = false);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    bool KillTimer(UINT_PTR id);

    bool ShowWindow(int command);
    bool IsWindowVisible() const;
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    std::string GetDlgItemText(int id) const;  // a child's text
    HWND GetDlgItem(int id) const;
    UINT GetDlgCtrlID() const;
    CWnd* GetParent() const;
    // The window that owns this one (or its parent), as an object or null.
    CWnd* GetOwner() const;
    // The closest ancestor frame window (a CFrameWnd), or null.
    class CFrameWnd* GetParentFrame() const;
    bool EnableWindow(bool enable = true);
    bool IsWindowEnabled() const;
    HWND SetFocus();
    void Invalidate(bool erase = true);
    void UpdateWindow();
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    bool ModifyStyleEx(DWORD remove, DWORD add, UINT swpFlags = 0);
    HFONT GetFont() const;
    void SetFont(HFONT font, bool redraw = true);
    // A message box owned by this window, captioned with the application's name.
    int MessageBox(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    // Runs the update handler (routed through `target`) of every direct
    // child control whose identifier has one.
    void UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler);
    // Runs the update handlers of the items of `menu` (not of its submenus).
    void UpdateMenuCmdUI(HMENU menu, bool disableIfNoHandler);

    // Every message of the window, from AfxWndProc: OnWndMsg, else the
    // default processing.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Routes one message; false when nothing handled it.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
    // A notification or parent message about this control, sent to its
    // parent, offered to the control first (ReflectCommand, ReflectNotify
    // and ReflectMessage entries). True when the control handled it.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);

    // Called by the message loop for messages to this window or its
    // children before they are dispatched; true when it was handled.
    virtual bool PreTranslateMessage(MSG* msg);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCWnd;

    HWND m_hWnd = nullptr;
    // Menu items without any handler are disabled before a popup shows.
    bool m_bAutoMenuEnable = false;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    // Called when a window is attached by SubclassWindow (before the
    // subclassing takes effect), and after CreateAttached made the window.
    virtual void PreSubclassWindow();
    // Runs `create`, which makes a window through the system; the first
    // window it makes is attached to this object before its first message.
    // A window that ends during the call leaves the object to the caller
    // (no PostNcDestroy). The window made, or null.
    HWND CreateAttached(const std::function<HWND()>& create);
    // The default processing of the message being handled now.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // WM_COMMAND. Notifications from a control go to the control's object
    // (OnChildNotify), then to the Control entries; menu items, accelerators
    // and button clicks go to OnCmdMsg unless their update handler disables
    // them. True when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    // WM_NOTIFY: the control's object first, then the Notify entries.
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);

    // The last call on the object for its window, after WM_NCDESTROY; a
    // window that owns itself deletes itself here. It runs when the
    // outermost handler of the object has returned, so no handler of it is
    // still on the stack; after a failed CreateEx it does not run at all
    // (the object stays the caller's).
    virtual void PostNcDestroy();

    // Handlers of CWnd's own map: the update handlers of a popup menu's
    // items (after the default processing); the update handlers of the
    // child controls at idle time.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    void OnIdleUpdateCmdUI();

private:
    friend LRESULT CALLBACK FwCreateHook(int, WPARAM, LPARAM);
    friend LRESULT FwDispatch(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY: the end of the message loop when this was the
    // application's main window, detaching, then PostNcDestroy.
    void FinishNcDestroy();

    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, when subclassed
    // Handlers of this object on the stack (and CreateEx under way); at
    // WM_NCDESTROY PostNcDestroy waits until they have all returned.
    int m_nActiveCalls = 0;
    bool m_bPostNcDestroyPending = false;
};
