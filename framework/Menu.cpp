#include "Menu.h"

#include "ResourceChain.h"
#include "Wnd.h"

const CRuntimeClass CMenu::classCMenu = {"CMenu", sizeof(CMenu), &CObject::classCObject, nullptr};

const CRuntimeClass* CMenu::GetRuntimeClass() const { return &classCMenu; }

CMenu::CMenu() = default;

CMenu::~CMenu() { DestroyMenu(); }

bool CMenu::LoadMenu(UINT id) { return LoadMenu(MAKEINTRESOURCEA(id)); }

bool CMenu::LoadMenu(LPCSTR name) {
    if (m_hMenu) return false;
    HINSTANCE module = AfxFindResourceHandle(name, RT_MENU);
    if (!module) return false;
    m_hMenu = ::LoadMenuA(module, name);
    return m_hMenu != nullptr;
}

bool CMenu::CreatePopupMenu() { return !m_hMenu && Attach(::CreatePopupMenu()); }

bool CMenu::DestroyMenu() {
    if (!m_hMenu) return false;
    return ::DestroyMenu(Detach()) != FALSE;
}

bool CMenu::Attach(HMENU menu) {
    if (!menu || m_hMenu) return false;
    m_hMenu = menu;
    return true;
}

HMENU CMenu::Detach() {
    HMENU menu = m_hMenu;
    m_hMenu = nullptr;
    return menu;
}

bool CMenu::AppendMenu(UINT flags, UINT_PTR idOrPopup, const char* text) {
    return ::AppendMenuA(m_hMenu, flags, idOrPopup, text) != FALSE;
}

HMENU CMenu::GetSubMenu(int position) const { return ::GetSubMenu(m_hMenu, position); }

int CMenu::GetMenuItemCount() const { return ::GetMenuItemCount(m_hMenu); }

UINT CMenu::GetMenuItemID(int position) const { return ::GetMenuItemID(m_hMenu, position); }

UINT CMenu::EnableMenuItem(UINT item, UINT enable) {
    return static_cast<UINT>(::EnableMenuItem(m_hMenu, item, enable));
}

DWORD CMenu::CheckMenuItem(UINT item, UINT check) { return ::CheckMenuItem(m_hMenu, item, check); }

bool CMenu::SetDefaultItem(UINT item, bool byPosition) {
    return ::SetMenuDefaultItem(m_hMenu, item, byPosition ? TRUE : FALSE) != FALSE;
}

UINT CMenu::GetDefaultItem(UINT flags, bool byPosition) const {
    return ::GetMenuDefaultItem(m_hMenu, byPosition ? TRUE : FALSE, flags);
}

int CMenu::TrackPopupMenu(UINT flags, int x, int y, CWnd* owner, const RECT* exclude) const {
    HWND window = owner ? owner->m_hWnd : nullptr;
    TPMPARAMS params = {sizeof(params), {}};
    if (exclude) params.rcExclude = *exclude;
    return static_cast<int>(::TrackPopupMenuEx(m_hMenu, flags, x, y, window, exclude ? &params : nullptr));
}
