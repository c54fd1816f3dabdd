#include "LumNumberEdit.h"

#include <commctrl.h>

#include <memory>
#include <string>

#include "framework/FrameworkIds.h"
#include "lumkit/LumText.h"

namespace {

// 10^decimals: one whole unit of a value with that many decimals.
std::int64_t OneUnit(int decimals) {
    std::int64_t unit = 1;
    for (int i = 0; i < decimals && i < 18; ++i) unit *= 10;
    return unit;
}

// base + count * step, saturated at the 64-bit limits (which lie beyond
// any maximum or minimum, so the clamping that follows still holds).
std::int64_t AddSteps(std::int64_t base, std::int64_t count, std::int64_t step) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(count, step, &product))
        return (count < 0) != (step < 0) ? INT64_MIN : INT64_MAX;
    std::int64_t sum = 0;
    if (__builtin_add_overflow(base, product, &sum)) return product < 0 ? INT64_MIN : INT64_MAX;
    return sum;
}

std::string Format(std::int64_t value, int decimals) { return FormatFixed(value, decimals, decimals); }

// The object already attached to `control` when it is a `T`; null when
// there is none. An object of another class cannot be used.
template <typename T> T* ExistingObject(HWND control, const CRuntimeClass* cls) {
    CWnd* wnd = CWnd::FromHandlePermanent(control);
    if (!wnd) return nullptr;
    if (!wnd->IsKindOf(cls)) {
        AfxMessageBox("A control could not be attached.", MB_ICONHAND);
        AfxThrowUserException();
    }
    return static_cast<T*>(wnd);
}

// Focus on the edit (so that it keeps it after the box), the prompt, and
// the end of the exchange.
[[noreturn]] void Reject(CDataExchange* dx, HWND edit, const std::string* text, UINT promptId) {
    if (dx->m_pDlgWnd && dx->m_pDlgWnd->m_hWnd)
        ::SendMessageA(dx->m_pDlgWnd->m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
    else
        ::SetFocus(edit);
    if (text)
        AfxMessageBox(text->c_str(), MB_ICONEXCLAMATION, promptId);
    else
        AfxMessageBox(promptId, MB_ICONEXCLAMATION);
    dx->Fail();
}

}  // namespace

// ---- CNumberEdit ----

const CRuntimeClass CNumberEdit::classCNumberEdit = {"CNumberEdit", sizeof(CNumberEdit), &CEdit::classCEdit,
                                                     nullptr};

const CRuntimeClass* CNumberEdit::GetRuntimeClass() const { return &classCNumberEdit; }

CNumberEdit::CNumberEdit() = default;

CNumberEdit::~CNumberEdit() {
    if (m_pSpin && m_pSpin->m_pEdit == this) m_pSpin->m_pEdit = nullptr;
}

void CNumberEdit::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

// ---- CNumberSpin ----

const CRuntimeClass CNumberSpin::classCNumberSpin = {"CNumberSpin", sizeof(CNumberSpin),
                                                     &CSpinButtonCtrl::classCSpinButtonCtrl, nullptr};

const CRuntimeClass* CNumberSpin::GetRuntimeClass() const { return &classCNumberSpin; }

const MessageMapEntry CNumberSpin::messageEntries[] = {
    On::ReflectNotify<&CNumberSpin::OnDeltaPos>(UDN_DELTAPOS),
    On::End(),
};
const MessageMap CNumberSpin::messageMap = {&CSpinButtonCtrl::messageMap, CNumberSpin::messageEntries};

const MessageMap* CNumberSpin::GetMessageMap() const { return &messageMap; }

CNumberSpin::CNumberSpin() = default;

CNumberSpin::~CNumberSpin() {
    if (m_pEdit && m_pEdit->m_pSpin == this) m_pEdit->m_pSpin = nullptr;
}

void CNumberSpin::PostNcDestroy() {
    if (m_bAutoDelete) delete this;
}

void CNumberSpin::OnDeltaPos(NMHDR* header, LRESULT* result) {
    *result = 0;
    CNumberEdit* edit = m_pEdit;
    if (!edit || !edit->m_hWnd) return;
    const int decimals = edit->m_nDecimals;
    std::int64_t value = edit->m_nValue;
    std::int64_t typed = 0;
    if (ParseFixed64(edit->GetWindowText(), &typed, decimals)) value = typed;
    value = AddSteps(value, reinterpret_cast<NMUPDOWN*>(header)->iDelta, edit->m_nStep);
    if (value > edit->m_nMax) value = edit->m_nMax;
    if (value < edit->m_nMin) value = edit->m_nMin;
    edit->m_nValue = value;
    edit->SetWindowText(Format(value, decimals).c_str());
}

// ---- data exchange ----

void DDX_NumberSpin64(CDataExchange* dx, int editId, int spinId, __int64& value, int decimals,
                      __int64 minimum, __int64 maximum, __int64 step) {
    HWND spinWindow = dx->PrepareCtrl(spinId);
    HWND editWindow = dx->PrepareEditCtrl(editId);
    CNumberEdit* edit = ExistingObject<CNumberEdit>(editWindow, &CNumberEdit::classCNumberEdit);
    CNumberSpin* spin = ExistingObject<CNumberSpin>(spinWindow, &CNumberSpin::classCNumberSpin);
    // Objects made here belong to their windows once attached.
    std::unique_ptr<CNumberEdit> newEdit;
    std::unique_ptr<CNumberSpin> newSpin;
    if (!edit) {
        newEdit.reset(new CNumberEdit);
        newEdit->m_bAutoDelete = TRUE;
        edit = newEdit.get();
    }
    if (!spin) {
        newSpin.reset(new CNumberSpin);
        newSpin->m_bAutoDelete = TRUE;
        spin = newSpin.get();
    }
    if (!edit->m_pSpin) edit->m_pSpin = spin;
    if (!spin->m_pEdit) spin->m_pEdit = edit;
    DDX_Control(dx, editId, *edit);
    newEdit.release();
    DDX_Control(dx, spinId, *spin);
    newSpin.release();
    dx->PrepareEditCtrl(editId);  // a failure focuses the edit

    if (!dx->m_bSaveAndValidate) {
        edit->m_nValue = value;
        edit->m_nMax = maximum;
        edit->m_nMin = minimum;
        edit->m_nDecimals = decimals;
        edit->m_nStep = step != 0 ? step : OneUnit(decimals);
        spin->SetRange(0, 100);  // the spin's own position is not used
        edit->LimitText(30);
        edit->SetWindowText(Format(value, decimals).c_str());
        return;
    }

    std::int64_t parsed = 0;
    if (!ParseFixed64(edit->GetWindowText(), &parsed, edit->m_nDecimals))
        Reject(dx, editWindow, nullptr, AFX_IDP_PARSE_REAL);
    if (parsed < edit->m_nMin || parsed > edit->m_nMax) {
        const std::string prompt = AfxFormatString2(AFX_IDP_PARSE_REAL_RANGE,
                                                    Format(edit->m_nMin, edit->m_nDecimals),
                                                    Format(edit->m_nMax, edit->m_nDecimals));
        Reject(dx, editWindow, &prompt, AFX_IDP_PARSE_REAL_RANGE);
    }
    value = parsed;
}

void DDX_NumberSpin32(CDataExchange* dx, int editId, int spinId, int& value, int decimals, int minimum,
                      int maximum, int step) {
    __int64 wide = value;
    DDX_NumberSpin64(dx, editId, spinId, wide, decimals, minimum, maximum, step);
    if (dx->m_bSaveAndValidate)
        value = static_cast<int>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}
