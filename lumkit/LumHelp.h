// Context menus and context help for the controls of LUMKIT's dialogs and
// pages, and the HTML Help loader.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CWnd;

// A popup menu registered for one control of a dialog or page.
struct LumContextMenu {
    UINT controlId;
    LPCSTR menuName;      // integer resource ID or a name (copied into `nameText`)
    std::string nameText;
    int defaultItem;      // command shown bold, -1 for none
};

class LumContextMenus {
public:
    // Replaces the control's registration or appends one.
    void Add(UINT controlId, LPCSTR menuName, int defaultItem);
    const LumContextMenu* Find(UINT controlId) const {
        for (const LumContextMenu& item : m_items)
            if (item.controlId == controlId) return &item;
        return nullptr;
    }
    std::size_t Count() const { return m_items.size(); }

private:
    std::vector<LumContextMenu> m_items;
};

HWND DeepChildFromPoint(HWND parent, POINT screenPoint);                               // 13
BOOL ShowContextMenuAt(CWnd* window, const LumContextMenus& menus, int x, int y);     // 21
BOOL HandleHelpInfo(CWnd* window, HELPINFO* info);                                    // 22

// HtmlHelpA of the HTML Help control, loaded on first use; 0 when it cannot
// be loaded (then never tried again).
HWND LumHtmlHelp(HWND caller, const char* file, UINT command, DWORD_PTR data);

class CCmdTarget;
// The command-UI walk of a popup menu for the dialog and page classes:
// separators are skipped; a submenu entry is updated as its first item
// (never disabled for want of a handler); any other item is updated,
// disabled when it has no handler unless it is a system command.
void LumUpdatePopupMenu(HMENU popup, CCmdTarget* target);

// A message box owned by `owner`, captioned with the application's name (or
// the executable's path); while it shows, the help-context word is
// `helpId` + 0x30000 unless `helpId` is 0.
int LumShowMessage(HWND owner, const char* text, UINT type, UINT helpId);
// The same with string `messageId`; `helpId` -1 means the message ID.
int LumShowMessage(HWND owner, UINT messageId, UINT type, UINT helpId);

// What the dialog and the page classes share: WM_IDLEUPDATECMDUI to a
// visible window and its descendants with objects; and a failed
// validation (the message with the hand icon, the focus on the control,
// then the framework's user exception).
void LumUpdateControls(CWnd* window);
[[noreturn]] void LumFailValidation(CWnd* window, UINT controlId, UINT messageId);
