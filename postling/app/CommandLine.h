// The program's command line: the switches "AUTOSTART", "PAUSE" and
// "/RESTART:" followed by the process id of the copy to replace. A switch
// begins with "/" or "-", case does not matter, arguments that are not
// switches are ignored, and the framework's standard switches mean nothing.
#pragma once

#include <windows.h>

#include <string>

#include "framework/WinApp.h"

class CPostlingCommandLineInfo : public CCommandLineInfo {
public:
    CPostlingCommandLineInfo() = default;
    ~CPostlingCommandLineInfo() override;  // closes m_hRestartProcess
    CPostlingCommandLineInfo(const CPostlingCommandLineInfo&) = delete;
    CPostlingCommandLineInfo& operator=(const CPostlingCommandLineInfo&) = delete;

    void ParseParam(const char* param, bool isSwitch, bool isLast) override;
    // One switch, the text behind "/" or "-".
    void ParseSwitch(const std::string& text);

    // Hands the restart process handle to the caller (who closes it).
    HANDLE TakeRestartProcess();

    BOOL m_bAutoStart = FALSE;
    BOOL m_bPause = FALSE;
    // The restart switch came with a valid process id that could be opened.
    BOOL m_bRestart = FALSE;
    DWORD m_dwRestartPid = 0;
    // Opened for synchronize and query-information access.
    HANDLE m_hRestartProcess = nullptr;
};
