#include "postling/app/HtmlHelp.h"

#include <cstring>

// 32-bit Windows has the structure at 196 bytes, as HTML Help expects it.
static_assert(sizeof(void*) != 4 || sizeof(HH_WINTYPE) == 196, "HH_WINTYPE is 196 bytes on Win32");

CHtmlHelpLoader::~CHtmlHelpLoader() {
    if (m_hModule) FreeLibrary(m_hModule);
}

bool CHtmlHelpLoader::Available() {
    if (!m_bTried) {
        m_bTried = true;
        char path[MAX_PATH] = {};
        LONG size = sizeof path;
        if (RegQueryValueA(HKEY_CLASSES_ROOT, kHtmlHelpServerKey, path, &size) == ERROR_SUCCESS && path[0])
            m_hModule = LoadLibraryA(path);
        if (!m_hModule) m_hModule = LoadLibraryA("hhctrl.ocx");
        if (m_hModule)
            m_pfnHtmlHelp = reinterpret_cast<HtmlHelpFn>(
                reinterpret_cast<void*>(GetProcAddress(m_hModule, MAKEINTRESOURCEA(14))));
        if (!m_pfnHtmlHelp && m_hModule) {
            FreeLibrary(m_hModule);
            m_hModule = nullptr;
        }
    }
    return m_pfnHtmlHelp != nullptr;
}

HWND CHtmlHelpLoader::Call(HWND caller, const char* file, UINT command, DWORD_PTR data) {
    return Available() ? m_pfnHtmlHelp(caller, file, command, data) : nullptr;
}

bool MapWinHelpRequest(UINT command, DWORD_PTR data, UINT* htmlCommand, DWORD_PTR* htmlData) {
    switch (command) {
    case HELP_CONTEXT:
        *htmlCommand = HH_HELP_CONTEXT;
        *htmlData = data & 0xFFFF;
        return true;
    case HELP_QUIT:
        *htmlCommand = HH_CLOSE_ALL;
        *htmlData = 0;
        return true;
    case HELP_INDEX:  // also HELP_CONTENTS
    case HELP_FINDER:
        *htmlCommand = HH_DISPLAY_TOC;
        *htmlData = 0;
        return true;
    default:
        return false;
    }
}

void FillHelpWindowType(HH_WINTYPE& type, int screenWidth, int screenHeight) {
    std::memset(&type, 0, sizeof type);
    type.cbStruct = sizeof type;
    type.pszType = kHelpWindowType;
    type.fsValidMembers = HHWIN_PARAM_PROPERTIES | HHWIN_PARAM_RECT | HHWIN_PARAM_NAV_WIDTH | HHWIN_PARAM_TB_FLAGS;
    type.fsWinProperties = HHWIN_PROP_TRI_PANE | HHWIN_PROP_TAB_SEARCH | HHWIN_PROP_TAB_FAVORITES |
                           HHWIN_PROP_CHANGE_TITLE | HHWIN_PROP_MENU | HHWIN_PROP_TAB_ADVSEARCH;
    type.rcWindowPos = {0, 0, screenWidth, screenHeight};
    type.iNavWidth = screenWidth / 3;
    type.fsToolBarFlags = HHWIN_BUTTON_EXPAND | HHWIN_BUTTON_BACK | HHWIN_BUTTON_FORWARD | HHWIN_BUTTON_SYNC |
                          HHWIN_BUTTON_PRINT;
}

static_assert((HHWIN_PARAM_PROPERTIES | HHWIN_PARAM_RECT | HHWIN_PARAM_NAV_WIDTH | HHWIN_PARAM_TB_FLAGS) == 0x132);
static_assert((HHWIN_PROP_TRI_PANE | HHWIN_PROP_TAB_SEARCH | HHWIN_PROP_TAB_FAVORITES | HHWIN_PROP_CHANGE_TITLE |
               HHWIN_PROP_MENU | HHWIN_PROP_TAB_ADVSEARCH) == 0x33420);
static_assert((HHWIN_BUTTON_EXPAND | HHWIN_BUTTON_BACK | HHWIN_BUTTON_FORWARD | HHWIN_BUTTON_SYNC |
               HHWIN_BUTTON_PRINT) == 0x280E);

std::string HelpFileWithWindow(const std::string& helpFile) { return helpFile + ">" + kHelpWindowType; }
