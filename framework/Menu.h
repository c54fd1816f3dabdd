// A menu owned by the object: the destructor destroys it unless it was
// detached. Submenus stay their parent menu's and are handed out as handles.
#pragma once

#include <windows.h>

#include "FwExport.h"
#include "Object.h"

class CWnd;

class FW_API CMenu : public CObject {
public:
    CMenu();
    ~CMenu() override;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // Menu resource `id` (or `name`) of the resource chain; false when no
    // module has it or the object holds a menu already.
    bool LoadMenu(UINT id);
    bool LoadMenu(LPCSTR name);
    bool CreatePopupMenu();
    bool DestroyMenu();
    // Takes ownership of `menu`; false when the object holds one already.
    bool Attach(HMENU menu);
    // Gives up ownership.
    HMENU Detach();
    HMENU GetSafeHmenu() const { return m_hMenu; }

    bool AppendMenu(UINT flags, UINT_PTR idOrPopup = 0, const char* text = nullptr);
    // The popup at position `position`, or null.
    HMENU GetSubMenu(int position) const;
    int GetMenuItemCount() const;
    // 0 for a separator, -1 (as UINT) for a popup or a bad position.
    UINT GetMenuItemID(int position) const;
    // `enable` and `check` are MF_* flags (MF_BYCOMMAND or MF_BYPOSITION);
    // the previous state, or -1 (as UINT/DWORD) when there is no such item.
    UINT EnableMenuItem(UINT item, UINT enable);
    DWORD CheckMenuItem(UINT item, UINT check);
    // `item` -1 (as UINT): no default item.
    bool SetDefaultItem(UINT item, bool byPosition = false);
    UINT GetDefaultItem(UINT flags = 0, bool byPosition = false) const;

    // Shows the menu as a popup owned by `owner`, outside `exclude` when
    // given. With TPM_RETURNCMD the command chosen (0: none); otherwise
    // non-zero on success.
    int TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* exclude = nullptr) const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMenu;

    HMENU m_hMenu = nullptr;
};
