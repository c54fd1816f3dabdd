#include "postling/app/CommandLine.h"

#include <cctype>
#include <cstdint>

#include "lumkit/LumText.h"

CPostlingCommandLineInfo::~CPostlingCommandLineInfo() {
    if (m_hRestartProcess) CloseHandle(m_hRestartProcess);
}

void CPostlingCommandLineInfo::ParseParam(const char* param, bool isSwitch, bool) {
    if (isSwitch && param) ParseSwitch(param);
}

void CPostlingCommandLineInfo::ParseSwitch(const std::string& text) {
    std::string upper = text;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper == "AUTOSTART") {
        m_bAutoStart = TRUE;
    } else if (upper == "PAUSE") {
        m_bPause = TRUE;
    } else if (upper.compare(0, 7, "RESTART") == 0) {
        // A second restart switch replaces the first one.
        if (m_hRestartProcess) CloseHandle(m_hRestartProcess);
        m_hRestartProcess = nullptr;
        m_dwRestartPid = 0;
        m_bRestart = TRUE;
        // The eighth character (the ":") is skipped without being checked.
        std::int64_t pid = 0;
        if (upper.size() < 8 || !ParseFixed64(upper.substr(8), &pid, 0)) {
            m_bRestart = FALSE;
            return;
        }
        m_dwRestartPid = static_cast<DWORD>(pid);
        m_hRestartProcess =
            OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, m_dwRestartPid);
        if (!m_hRestartProcess) {
            m_bRestart = FALSE;
            m_dwRestartPid = 0;
        }
    }
}

HANDLE CPostlingCommandLineInfo::TakeRestartProcess() {
    HANDLE process = m_hRestartProcess;
    m_hRestartProcess = nullptr;
    return process;
}
