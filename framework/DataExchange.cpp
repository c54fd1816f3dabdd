#include "DataExchange.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "FrameworkIds.h"
#include "ResourceChain.h"
#include "WinApp.h"
#include "Wnd.h"

void AfxThrowUserException() { throw CUserException(); }

// ---- message boxes ----

namespace {

// The application's help-context word, through the main window when it
// answers WM_HELPPROMPTADDR.
DWORD* HelpContextWord() {
    CWinApp* app = AfxGetApp();
    if (app && app->m_pMainWnd && app->m_pMainWnd->m_hWnd) {
        auto* word = reinterpret_cast<DWORD*>(::SendMessageA(app->m_pMainWnd->m_hWnd, WM_HELPPROMPTADDR, 0, 0));
        if (word) return word;
    }
    return app ? &app->m_dwPromptContext : nullptr;
}

std::string ReplaceArgument(std::string text, const char* marker, const std::string& value) {
    std::string::size_type at = text.find(marker);
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

}  // namespace

int AfxMessageBox(const char* text, UINT type, UINT helpId) {
    DWORD* word = HelpContextWord();
    const DWORD saved = word ? *word : 0;
    if (word && helpId != 0 && helpId != static_cast<UINT>(-1)) *word = HID_BASE_PROMPT + helpId;
    CWinApp* app = AfxGetApp();
    std::string caption = app ? app->m_strAppName : std::string();
    HWND owner = GetActiveWindow();
    if (!owner && app && app->m_pMainWnd) owner = app->m_pMainWnd->m_hWnd;
    const int result = ::MessageBoxA(owner, text ? text : "", caption.c_str(), type);
    if (word) *word = saved;
    return result;
}

int AfxMessageBox(UINT stringId, UINT type, UINT helpId) {
    std::string text;
    AfxLoadString(stringId, text);
    return AfxMessageBox(text.c_str(), type, helpId == static_cast<UINT>(-1) ? stringId : helpId);
}

std::string AfxFormatString1(UINT id, const std::string& first) {
    std::string text;
    AfxLoadString(id, text);
    return ReplaceArgument(text, "%1", first);
}

std::string AfxFormatString2(UINT id, const std::string& first, const std::string& second) {
    // Replaced one after the other, so that "%2" inside the first value stays.
    std::string text;
    AfxLoadString(id, text);
    std::string::size_type one = text.find("%1");
    std::string::size_type two = text.find("%2");
    if (one != std::string::npos && two != std::string::npos && two > one) {
        text.replace(two, 2, second);
        text.replace(one, 2, first);
        return text;
    }
    return ReplaceArgument(ReplaceArgument(text, "%2", second), "%1", first);
}

// ---- CDataExchange ----

CDataExchange::CDataExchange(CWnd* dialog, bool saveAndValidate)
    : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

HWND CDataExchange::PrepareCtrl(int id) {
    HWND control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(id) : nullptr;
    if (!control) {
        char text[96];
        std::snprintf(text, sizeof text, "The dialog has no control %d.", id);
        AfxMessageBox(text, MB_ICONHAND);
        AfxThrowUserException();
    }
    m_hWndLastControl = control;
    m_bEditLastControl = false;
    return control;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl) {
        if (m_pDlgWnd && m_pDlgWnd->m_hWnd)
            ::SendMessageA(m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(m_hWndLastControl), TRUE);
        else
            ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl) ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    AfxThrowUserException();
}

// ---- DDX ----

namespace {

std::string ControlText(HWND control) {
    const int length = GetWindowTextLengthA(control);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = GetWindowTextA(control, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return text;
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Whole text as a signed or unsigned decimal number within [low, high].
bool ParseWhole(const std::string& raw, long long low, long long high, long long& value) {
    const std::string text = Trimmed(raw);
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    const long long parsed = std::strtoll(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || parsed < low || parsed > high) return false;
    value = parsed;
    return true;
}

[[noreturn]] void FailWith(CDataExchange* dx, UINT prompt) {
    AfxMessageBox(prompt, MB_ICONEXCLAMATION);
    dx->Fail();
}

template <typename T>
void WholeNumber(CDataExchange* dx, int id, T& value, long long low, long long high, UINT prompt) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        long long parsed = 0;
        if (!ParseWhole(ControlText(control), low, high, parsed)) FailWith(dx, prompt);
        value = static_cast<T>(parsed);
    } else {
        SetWindowTextA(control, std::to_string(value).c_str());
    }
}

}  // namespace

void DDX_Control(CDataExchange* dx, int id, CWnd& control) {
    if (control.m_hWnd) return;
    HWND window = dx->PrepareCtrl(id);
    if (!control.SubclassWindow(window)) {
        AfxMessageBox("A control could not be attached.", MB_ICONHAND);
        AfxThrowUserException();
    }
}

void DDX_Text(CDataExchange* dx, int id, std::string& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = ControlText(control);
    else
        SetWindowTextA(control, value.c_str());
}

void DDX_Text(CDataExchange* dx, int id, int& value) {
    WholeNumber(dx, id, value, INT_MIN, INT_MAX, AFX_IDP_PARSE_INT);
}

void DDX_Text(CDataExchange* dx, int id, UINT& value) {
    WholeNumber(dx, id, value, 0, UINT_MAX, AFX_IDP_PARSE_UINT);
}

void DDX_Text(CDataExchange* dx, int id, long long& value) {
    WholeNumber(dx, id, value, LLONG_MIN, LLONG_MAX, AFX_IDP_PARSE_INT);
}

void DDX_Text(CDataExchange* dx, int id, double& value) {
    HWND control = dx->PrepareEditCtrl(id);
    if (dx->m_bSaveAndValidate) {
        const std::string text = Trimmed(ControlText(control));
        char* end = nullptr;
        errno = 0;
        const double parsed = text.empty() ? 0 : std::strtod(text.c_str(), &end);
        if (text.empty() || errno != 0 || *end != '\0') FailWith(dx, AFX_IDP_PARSE_REAL);
        value = parsed;
    } else {
        char text[64];
        std::snprintf(text, sizeof text, "%.15g", value);
        SetWindowTextA(control, text);
    }
}

void DDX_Check(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    else
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value < 0 || value > 2 ? 0 : value), 0);
}

void DDX_Radio(CDataExchange* dx, int id, int& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) value = -1;
    // The group runs from the control with WS_GROUP to the next one with it.
    int index = 0;
    for (HWND button = control; button; button = GetWindow(button, GW_HWNDNEXT), ++index) {
        if (button != control && (GetWindowLongA(button, GWL_STYLE) & WS_GROUP)) break;
        if (!(::SendMessageA(button, WM_GETDLGCODE, 0, 0) & DLGC_RADIOBUTTON)) {
            --index;
            continue;
        }
        if (dx->m_bSaveAndValidate) {
            if (::SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED) value = index;
        } else {
            ::SendMessageA(button, BM_SETCHECK, index == value ? BST_CHECKED : BST_UNCHECKED, 0);
        }
    }
}

void DDX_CBIndex(CDataExchange* dx, int id, int& index) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate)
        index = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
    else
        ::SendMessageA(control, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void DDX_CBString(CDataExchange* dx, int id, std::string& value) {
    HWND control = dx->PrepareCtrl(id);
    if (dx->m_bSaveAndValidate) {
        // A drop-down list has no edit: the selected item's text.
        const int selected = static_cast<int>(::SendMessageA(control, CB_GETCURSEL, 0, 0));
        if ((GetWindowLongA(control, GWL_STYLE) & 3) == CBS_DROPDOWNLIST && selected >= 0) {
            const auto length = ::SendMessageA(control, CB_GETLBTEXTLEN, static_cast<WPARAM>(selected), 0);
            std::string text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, '\0');
            ::SendMessageA(control, CB_GETLBTEXT, static_cast<WPARAM>(selected),
                           reinterpret_cast<LPARAM>(&text[0]));
            text.resize(std::char_traits<char>::length(text.c_str()));
            value = text;
        } else {
            value = ControlText(control);
        }
        return;
    }
    // Loading selects the first item that starts with the text; an edit
    // shows the text even when no item matches.
    if (::SendMessageA(control, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>(value.c_str())) == CB_ERR &&
        (GetWindowLongA(control, GWL_STYLE) & 3) != CBS_DROPDOWNLIST)
        SetWindowTextA(control, value.c_str());
}

void DDV_MaxChars(CDataExchange* dx, const std::string& value, int count) {
    if (dx->m_bSaveAndValidate) {
        if (static_cast<int>(value.size()) > count) {
            AfxMessageBox(AfxFormatString1(AFX_IDP_PARSE_STRING_SIZE, std::to_string(count)).c_str(),
                          MB_ICONEXCLAMATION, AFX_IDP_PARSE_STRING_SIZE);
            dx->Fail();
        }
    } else if (dx->m_hWndLastControl && dx->m_bEditLastControl) {
        ::SendMessageA(dx->m_hWndLastControl, EM_LIMITTEXT, static_cast<WPARAM>(count), 0);
    }
}

void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum) {
    if (!dx->m_bSaveAndValidate || (value >= minimum && value <= maximum)) return;
    AfxMessageBox(AfxFormatString2(AFX_IDP_PARSE_INT_RANGE, std::to_string(minimum), std::to_string(maximum))
                      .c_str(),
                  MB_ICONEXCLAMATION, AFX_IDP_PARSE_INT_RANGE);
    dx->Fail();
}
