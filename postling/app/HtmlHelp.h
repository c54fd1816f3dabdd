// The program's access to the HTML Help control: HtmlHelpA, export 14 of
// the control registered for its class identifier (or "hhctrl.ocx"),
// loaded on first use; and what CPostlingApp::WinHelp makes of a WinHelp
// request. The program keeps its own loader state, apart from LUMKIT's.
#pragma once

#include <windows.h>
#include <htmlhelp.h>

#include <string>

// The help window type the program defines and opens its topics in.
constexpr char kHelpWindowType[] = "VarnekAndSoltuPostSentryHtmlHelp";
// The control's class identifier, whose InprocServer32 names its file.
constexpr char kHtmlHelpServerKey[] = "CLSID\\{ADB880A6-D8FF-11CF-9377-00AA003B7A11}\\InprocServer32";

class CHtmlHelpLoader {
public:
    CHtmlHelpLoader() = default;
    ~CHtmlHelpLoader();
    CHtmlHelpLoader(const CHtmlHelpLoader&) = delete;
    CHtmlHelpLoader& operator=(const CHtmlHelpLoader&) = delete;

    // Loads the control on the first call; a failure is kept, and then
    // this and every later call return null without trying again.
    HWND Call(HWND caller, const char* file, UINT command, DWORD_PTR data);
    // Loads as Call does; whether HtmlHelpA is there.
    bool Available();

private:
    using HtmlHelpFn = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
    bool m_bTried = false;
    HMODULE m_hModule = nullptr;
    HtmlHelpFn m_pfnHtmlHelp = nullptr;
};

// The HTML Help call for a WinHelp request: HELP_CONTEXT opens the topic
// of the low 16 bits of `data` (the framework's help-ID bases 0x10000,
// 0x20000 and 0x30000 fall away); HELP_QUIT closes every help window;
// HELP_INDEX, HELP_CONTENTS and HELP_FINDER show the table of contents.
// False for any other command.
bool MapWinHelpRequest(UINT command, DWORD_PTR data, UINT* htmlCommand, DWORD_PTR* htmlData);

// The program's help window: a full-screen tri-pane window (search,
// favourites and advanced-search tabs, a menu, the title of the topic
// shown) whose navigation pane is a third of the screen wide, with the
// expand, back, forward, sync and print buttons.
void FillHelpWindowType(HH_WINTYPE& type, int screenWidth, int screenHeight);

// "<help file>><window type>": how help requests address the file.
std::string HelpFileWithWindow(const std::string& helpFile);
