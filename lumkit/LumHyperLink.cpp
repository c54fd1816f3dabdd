#include "LumHyperLink.h"

#include <windowsx.h>
#include <shellapi.h>

namespace {

constexpr WORD kHelpHandCursor = 106;  // in the help program, winhlp32.exe

}  // namespace

const CRuntimeClass CLumHyperLink::classCLumHyperLink = {"CLumHyperLink", sizeof(CLumHyperLink),
                                                         &CStatic::classCStatic, nullptr};

const CRuntimeClass* CLumHyperLink::GetRuntimeClass() const { return &classCLumHyperLink; }

const MessageMapEntry CLumHyperLink::messageEntries[] = {
    On::ReflectCommand<&CLumHyperLink::OnClicked>(STN_CLICKED),
    On::Message<&CLumHyperLink::OnSetCursor>(WM_SETCURSOR),
    On::Message<&CLumHyperLink::OnMouseMove>(WM_MOUSEMOVE),
    On::ReflectMessage<&CLumHyperLink::CtlColor>(WM_CTLCOLORSTATIC),
    On::End(),
};
const MessageMap CLumHyperLink::messageMap = {&CStatic::messageMap, CLumHyperLink::messageEntries};

const MessageMap* CLumHyperLink::GetMessageMap() const { return &messageMap; }

CLumHyperLink::CLumHyperLink() {
    char directory[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    const std::string path = std::string(directory, length) + "\\winhlp32.exe";
    if (HMODULE module = LoadLibraryA(path.c_str())) {
        if (HCURSOR cursor = LoadCursorA(module, MAKEINTRESOURCEA(kHelpHandCursor)))
            m_hLinkCursor = CopyIcon(cursor);
        FreeLibrary(module);
    }
}

CLumHyperLink::~CLumHyperLink() {
    if (m_hLinkCursor) DestroyCursor(m_hLinkCursor);
    if (m_underlineFont) DeleteObject(m_underlineFont);
    if (m_normalFont) DeleteObject(m_normalFont);
}

void CLumHyperLink::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY);
    HFONT font = GetFont();
    LOGFONTA logFont = {};
    if (!font || !GetObjectA(font, sizeof(logFont), &logFont))
        GetObjectA(GetStockObject(SYSTEM_FONT), sizeof(logFont), &logFont);
    if (m_normalFont) DeleteObject(m_normalFont);
    if (m_underlineFont) DeleteObject(m_underlineFont);
    m_normalFont = CreateFontIndirectA(&logFont);
    logFont.lfUnderline = TRUE;
    m_underlineFont = CreateFontIndirectA(&logFont);
    CStatic::PreSubclassWindow();
}

LRESULT CLumHyperLink::CtlColor(WPARAM wParam, LPARAM) {
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetTextColor(dc, RGB(0, 0, 255));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    // Hollow: the dialog's background shows through.
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
}

LRESULT CLumHyperLink::OnSetCursor(WPARAM, LPARAM) {
    ::SetCursor(m_hLinkCursor ? m_hLinkCursor : LoadCursorA(nullptr, IDC_HAND));
    return TRUE;
}

LRESULT CLumHyperLink::OnMouseMove(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    if (!m_bHover) {
        m_bHover = TRUE;
        if (m_underlineFont) SetFont(m_underlineFont, true);
        SetCapture(m_hWnd);
    } else {
        RECT client;
        GetClientRect(&client);
        const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        if (!PtInRect(&client, point)) {
            m_bHover = FALSE;
            if (m_normalFont) SetFont(m_normalFont, true);
            ReleaseCapture();
        }
    }
    return result;
}

void CLumHyperLink::OnClicked() { GotoURL(m_strURL.c_str(), SW_SHOW); }

LONG CLumHyperLink::GetRegKey(HKEY key, const char* subKey, char* value) {
    HKEY opened = nullptr;
    const LONG error = RegOpenKeyExA(key, subKey, 0, KEY_QUERY_VALUE, &opened);
    if (error != ERROR_SUCCESS) return error;
    char data[MAX_PATH + 1] = {};
    LONG size = MAX_PATH;
    if (RegQueryValueA(opened, nullptr, data, &size) != ERROR_SUCCESS) data[0] = '\0';
    lstrcpynA(value, data, MAX_PATH);
    RegCloseKey(opened);
    return ERROR_SUCCESS;
}

HINSTANCE CLumHyperLink::GotoURL(const char* url, int showCommand) {
    HINSTANCE result = ShellExecuteA(nullptr, "open", url, nullptr, nullptr, showCommand);
    if (reinterpret_cast<INT_PTR>(result) > 32) return result;

    char fileType[MAX_PATH] = {};
    if (GetRegKey(HKEY_CLASSES_ROOT, ".htm", fileType) != ERROR_SUCCESS) return result;
    const std::string commandKey = std::string(fileType) + "\\shell\\open\\command";
    char browser[MAX_PATH] = {};
    if (GetRegKey(HKEY_CLASSES_ROOT, commandKey.c_str(), browser) != ERROR_SUCCESS) return result;

    std::string command = browser;
    std::size_t argument = command.find("\"%1\"");
    if (argument == std::string::npos) argument = command.find("%1");
    if (argument != std::string::npos) command.resize(argument);
    command += ' ';
    command += url;

    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return nullptr;
    CloseHandle(process.hThread);
    return reinterpret_cast<HINSTANCE>(process.hProcess);
}
