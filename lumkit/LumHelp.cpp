#include "LumHelp.h"

#include <cctype>

#include "framework/DataExchange.h"
#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "lumkit/LumResource.h"

namespace {

constexpr UINT kWhatIsThisItem = 1;
constexpr UINT kHhDisplayTextPopup = 14;
constexpr UINT kStaticId = 0xFFFF;
// The text popups inside the compiled help file.
constexpr char kTextPopupFile[] = "cshelp.txt";

using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);

// The HH_POPUP structure of the HTML Help control.
struct HhPopup {
    int cbStruct;
    HINSTANCE hinst;
    UINT idString;
    LPCSTR pszText;
    POINT pt;
    COLORREF clrForeground;
    COLORREF clrBackground;
    RECT rcMargins;
    LPCSTR pszFont;
};
// 52 bytes in a 32-bit program, 72 in a 64-bit one: the control checks the
// size its own build expects.
static_assert(sizeof(void*) != 4 || sizeof(HhPopup) == 52, "HH_POPUP is 52 bytes on Win32");

std::string HelpFile() {
    CWinApp* app = AfxGetApp();
    return app ? app->m_strHelpFilePath : std::string();
}

bool IsHtmlHelpFile(const std::string& path) {
    const std::string::size_type dot = path.rfind('.');
    if (dot == std::string::npos) return false;
    std::string extension = path.substr(dot);
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension == ".chm";
}

void ShowTextPopup(HWND control, const std::string& helpFile) {
    RECT rect;
    GetWindowRect(control, &rect);
    HhPopup popup = {};
    popup.cbStruct = sizeof popup;
    popup.idString = static_cast<UINT>(GetDlgCtrlID(control));
    popup.pt.x = (rect.left + rect.right) / 2;
    popup.pt.y = rect.bottom;
    popup.clrForeground = GetSysColor(COLOR_WINDOWTEXT);
    popup.clrBackground = GetSysColor(COLOR_WINDOW);
    popup.rcMargins = {-1, -1, -1, -1};
    // A text popup's ID names a topic of the compiled file's popup text file.
    const std::string file = helpFile + "::/" + kTextPopupFile;
    LumHtmlHelp(control, file.c_str(), kHhDisplayTextPopup, reinterpret_cast<DWORD_PTR>(&popup));
}

}  // namespace

// ---- registrations ----

void LumContextMenus::Add(UINT controlId, LPCSTR menuName, int defaultItem) {
    LumContextMenu entry{controlId, menuName, std::string(), defaultItem};
    if (!IS_INTRESOURCE(menuName)) entry.nameText = menuName ? menuName : "";
    for (LumContextMenu& item : m_items) {
        if (item.controlId == controlId) {
            item = std::move(entry);
            if (!IS_INTRESOURCE(item.menuName)) item.menuName = item.nameText.c_str();
            return;
        }
    }
    m_items.push_back(std::move(entry));
    LumContextMenu& added = m_items.back();
    if (!IS_INTRESOURCE(added.menuName)) added.menuName = added.nameText.c_str();
}


// ---- HTML Help ----

HWND LumHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    static bool tried = false;
    static HtmlHelpFn function = nullptr;
    if (!tried) {
        tried = true;
        HMODULE module = nullptr;
        char path[MAX_PATH] = {};
        LONG size = sizeof path;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32",
                           path, &size) == ERROR_SUCCESS &&
            path[0])
            module = LoadLibraryA(path);
        if (!module) module = LoadLibraryA("hhctrl.ocx");
        if (module)
            function = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(GetProcAddress(module, MAKEINTRESOURCEA(14))));
    }
    return function ? function(caller, file, command, data) : nullptr;
}

// ---- the window under a point ----

HWND DeepChildFromPoint(HWND parent, POINT screenPoint) {
    for (;;) {
        if (HWND window = WindowFromPoint(screenPoint)) return window;
        POINT point = screenPoint;
        ScreenToClient(parent, &point);
        HWND child = ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
        if (!child || child == parent) return child;
        parent = child;
    }
}

// ---- context menus and help ----

BOOL ShowContextMenuAt(CWnd* window, const LumContextMenus& menus, int x, int y) {
    if (!window || !window->m_hWnd) return FALSE;
    HWND control = DeepChildFromPoint(window->m_hWnd, POINT{x, y});
    if (!control || control == window->m_hWnd) return FALSE;
    const UINT id = static_cast<UINT>(GetDlgCtrlID(control));
    if (const LumContextMenu* entry = menus.Find(id)) {
        HINSTANCE module = AfxFindResourceHandle(entry->menuName, RT_MENU);
        HMENU menu = module ? LoadMenuA(module, entry->menuName) : nullptr;
        if (!menu) return FALSE;
        if (HMENU popup = GetSubMenu(menu, 0)) {
            if (entry->defaultItem != -1) SetMenuDefaultItem(popup, static_cast<UINT>(entry->defaultItem), FALSE);
            TrackPopupMenu(popup, TPM_RIGHTBUTTON, x, y, 0, window->m_hWnd, nullptr);
        }
        DestroyMenu(menu);
        return TRUE;
    }
    if (id == kStaticId) return FALSE;
    const std::string helpFile = HelpFile();
    if (!IsHtmlHelpFile(helpFile)) {
        DWORD pairs[] = {id, id, 0, 0};
        WinHelpA(control, helpFile.c_str(), HELP_CONTEXTMENU, reinterpret_cast<ULONG_PTR>(pairs));
        return TRUE;
    }
    HMENU menu = CreatePopupMenu();
    if (!menu) return FALSE;
    std::string item;
    AfxLoadString(IDS_LUM_WHAT_IS_THIS, item);
    AppendMenuA(menu, MF_STRING, kWhatIsThisItem, item.c_str());
    const UINT chosen = static_cast<UINT>(
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, window->m_hWnd, nullptr));
    DestroyMenu(menu);
    if (chosen == kWhatIsThisItem) ShowTextPopup(control, helpFile);
    return TRUE;
}

BOOL HandleHelpInfo(CWnd* window, HELPINFO* info) {
    if (!window || !info || info->iContextType != HELPINFO_WINDOW) return FALSE;
    HWND control = static_cast<HWND>(info->hItemHandle);
    if (!IsChild(window->m_hWnd, control)) return FALSE;
    const int id = GetDlgCtrlID(control);
    if (id <= 0 || static_cast<UINT>(id) == kStaticId) return FALSE;
    const std::string helpFile = HelpFile();
    if (!IsHtmlHelpFile(helpFile)) {
        if (CWinApp* app = AfxGetApp()) app->WinHelp(static_cast<DWORD_PTR>(id), HELP_CONTEXTPOPUP);
        return TRUE;
    }
    ShowTextPopup(control, helpFile);
    return TRUE;
}

// ---- popup menus and message boxes ----

void LumUpdatePopupMenu(HMENU popup, CCmdTarget* target) {
    const int count = GetMenuItemCount(popup);
    for (int index = 0; index < count; ++index) {
        UINT id = GetMenuItemID(popup, index);
        if (id == 0) continue;
        CCmdUI ui;
        ui.m_hMenu = popup;
        ui.m_nIndex = static_cast<UINT>(index);
        if (id == static_cast<UINT>(-1)) {
            HMENU sub = GetSubMenu(popup, index);
            const UINT first = sub ? GetMenuItemID(sub, 0) : 0;
            if (first == 0 || first == static_cast<UINT>(-1)) continue;
            ui.m_nID = first;
            ui.DoUpdate(target, false);
            continue;
        }
        ui.m_nID = id;
        ui.DoUpdate(target, id < 0xF000);
    }
}

int LumShowMessage(HWND owner, const char* text, UINT type, UINT helpId) {
    CWinApp* app = AfxGetApp();
    DWORD* word = nullptr;
    if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
        word = reinterpret_cast<DWORD*>(SendMessageA(app->m_pMainWnd->m_hWnd, WM_HELPPROMPTADDR, 0, 0));
    if (!word && app) word = &app->m_dwPromptContext;
    const DWORD saved = word ? *word : 0;
    if (word && helpId != 0) *word = helpId + HID_BASE_PROMPT;
    std::string caption;
    if (app) {
        caption = app->m_strAppName;
    } else {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        caption = path;
    }
    const int result = MessageBoxA(owner, text ? text : "", caption.c_str(), type);
    if (word) *word = saved;
    return result;
}

int LumShowMessage(HWND owner, UINT messageId, UINT type, UINT helpId) {
    std::string text;
    AfxLoadString(messageId, text);
    return LumShowMessage(owner, text.c_str(), type, helpId == static_cast<UINT>(-1) ? messageId : helpId);
}

void LumUpdateControls(CWnd* window) {
    if (!window->m_hWnd || !window->IsWindowVisible()) return;
    window->SendMessage(WM_IDLEUPDATECMDUI, TRUE, 0);
    window->SendMessageToDescendants(WM_IDLEUPDATECMDUI, TRUE, 0, true, true);
}

void LumFailValidation(CWnd* window, UINT controlId, UINT messageId) {
    LumShowMessage(window->m_hWnd, messageId, MB_ICONHAND, static_cast<UINT>(-1));
    if (HWND control = window->GetDlgItem(static_cast<int>(controlId)))
        SendMessageA(window->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
    AfxThrowUserException();
}
