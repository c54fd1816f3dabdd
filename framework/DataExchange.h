// Dialog data exchange: moving values between a dialog's controls and its
// members, loading (to the controls) or saving and validating (from them).
// A failed validation shows the framework's prompt, puts the focus on the
// control and ends the exchange with the user exception, which UpdateData
// catches: the dialog stays open and the member keeps its old value.
#pragma once

#include <windows.h>

#include <string>

#include "FwExport.h"

class CWnd;

// The exception that ends a data exchange after the user was told why.
struct FW_API CUserException {};
[[noreturn]] FW_API void AfxThrowUserException();

class FW_API CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate);

    // The control `id` of the dialog, remembered as the last one prepared;
    // ends the exchange (after a message) when the dialog has no such control.
    HWND PrepareCtrl(int id);
    // The same for an edit control, whose text Fail selects.
    HWND PrepareEditCtrl(int id);
    // Focus on the last prepared control (its text selected when it is an
    // edit), then the user exception.
    [[noreturn]] void Fail();

    bool m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

// Message boxes of the framework: owned by the thread's active window (or
// the application's main window), captioned with the application's name.
// While one shows, the application's help-context word is `helpId` when
// that is not 0 (and not -1, which keeps the word).
FW_API int AfxMessageBox(const char* text, UINT type = MB_OK, UINT helpId = 0);
FW_API int AfxMessageBox(UINT stringId, UINT type = MB_OK, UINT helpId = static_cast<UINT>(-1));
// String `id` with "%1" (and "%2") replaced by the arguments, literally.
FW_API std::string AfxFormatString1(UINT id, const std::string& first);
FW_API std::string AfxFormatString2(UINT id, const std::string& first, const std::string& second);

class CWnd;
// Attaches `control` to the dialog's control `id` (subclassing it) once.
FW_API void DDX_Control(CDataExchange* dx, int id, CWnd& control);
FW_API void DDX_Text(CDataExchange* dx, int id, std::string& value);
FW_API void DDX_Text(CDataExchange* dx, int id, int& value);
FW_API void DDX_Text(CDataExchange* dx, int id, UINT& value);
FW_API void DDX_Text(CDataExchange* dx, int id, long long& value);
FW_API void DDX_Text(CDataExchange* dx, int id, double& value);
// Check box: 0 unchecked, 1 checked, 2 indeterminate.
FW_API void DDX_Check(CDataExchange* dx, int id, int& value);
// A group of radio buttons starting at `id`: the index of the checked one, -1 for none.
FW_API void DDX_Radio(CDataExchange* dx, int id, int& value);
// Combo box selection by index (-1 none) or by text.
FW_API void DDX_CBIndex(CDataExchange* dx, int id, int& index);
FW_API void DDX_CBString(CDataExchange* dx, int id, std::string& value);
// Validation, after the DDX_ call of the same control.
FW_API void DDV_MaxChars(CDataExchange* dx, const std::string& value, int count);
FW_API void DDV_MinMaxInt(CDataExchange* dx, int value, int minimum, int maximum);
