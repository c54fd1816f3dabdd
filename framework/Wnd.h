// Window objects attached to window handles. Every window the framework
// creates (or subclasses) goes through one window procedure, which finds
// the object of the handle and calls its WindowProc: first the handlers
// registered for a message number, then the virtual handler of the
// standard messages below, then the window's default processing.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
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
    using MessageHandler = std::function<LRESULT(WPARAM wParam, LPARAM lParam)>;

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
    // Gives the window its own procedure back and detaches it.
    HWND UnsubclassWindow();

    bool Attach(HWND window);
    HWND Detach();
    HWND GetSafeHwnd() const { return m_hWnd; }

    virtual bool DestroyWindow();

    // Handlers for one message number (a registered message, say); they
    // come before the virtual handlers. A later one replaces an earlier one.
    void AddMessageHandler(UINT message, MessageHandler handler);
    bool HasMessageHandler(UINT message) const { return m_messageHandlers.count(message) != 0; }

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    void SendMessageToDescendants(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                                  bool deep = true);

    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    bool KillTimer(UINT_PTR id);

    bool ShowWindow(int command);
    bool IsWindowVisible() const;
    void SetWindowText(const char* text);
    std::string GetWindowText() const;
    HWND GetDlgItem(int id) const;
    CWnd* GetParent() const;

    // Runs the update handler (routed through `target`) of every direct
    // child control whose identifier has one.
    void UpdateDialogControls(CCmdTarget* target, bool disableIfNoHandler);
    // Runs the update handlers of the items of `menu` (not of its submenus).
    void UpdateMenuCmdUI(HMENU menu, bool disableIfNoHandler);

    // Every message of the window, from AfxWndProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Called by the message loop for messages to this window or its
    // children before they are dispatched; true when it was handled.
    virtual bool PreTranslateMessage(MSG* msg);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCWnd;

    HWND m_hWnd = nullptr;
    // Menu items without any handler are disabled before a popup shows.
    bool m_bAutoMenuEnable = false;

protected:
    virtual bool PreCreateWindow(CREATESTRUCTA& cs);
    // The default processing of the message being handled now.
    LRESULT Default();
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // WM_COMMAND: menu items, accelerators and button clicks go to
    // OnCmdMsg, unless their update handler disables them; other control
    // notifications go to OnControlNotify. True when handled.
    virtual bool OnCommand(WPARAM wParam, LPARAM lParam);
    virtual bool OnControlNotify(UINT id, UINT code, HWND control);

    // -1 ends the creation.
    virtual int OnCreate(CREATESTRUCTA* cs);
    virtual void OnDestroy();
    // Default processing, detaching, the end of the message loop when this
    // was the application's main window, then PostNcDestroy.
    virtual void OnNcDestroy();
    // The last call on the object for its window; a window that owns
    // itself deletes itself here. It runs when the outermost handler of the
    // object has returned, so no handler of it is still on the stack; after
    // a failed CreateEx it does not run at all (the object stays the
    // caller's).
    virtual void PostNcDestroy();
    virtual void OnClose();
    virtual void OnTimer(UINT_PTR id);
    virtual void OnInitMenuPopup(HMENU menu, UINT index, bool systemMenu);
    virtual void OnIdleUpdateCmdUI();

private:
    friend LRESULT CALLBACK FwCreateHook(int, WPARAM, LPARAM);
    friend LRESULT FwDispatch(CWnd* wnd, UINT message, WPARAM wParam, LPARAM lParam);

    WNDPROC m_pfnSuper = nullptr;  // the window's own procedure, when subclassed
    // Handlers of this object on the stack (and CreateEx under way); at
    // WM_NCDESTROY PostNcDestroy waits until they have all returned.
    int m_nActiveCalls = 0;
    bool m_bPostNcDestroyPending = false;
    std::map<UINT, MessageHandler> m_messageHandlers;
};
