// Numeric fields: an edit box paired with a spin (up-down) control, bound to
// a fixed-point value (a 64-bit integer scaled by 10^decimals) by one
// data-exchange call. The spin's arrows step the value within the limits;
// saving parses and range-checks the text with the framework's prompts.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Controls.h"
#include "framework/DataExchange.h"

class CNumberSpin;

// The edit of a pair. The value and the limits are scaled like the text.
class CNumberEdit : public CEdit {
public:
    CNumberEdit();
    // Unlinks the partner spin.
    ~CNumberEdit() override;

    CNumberSpin* m_pSpin = nullptr;
    int m_nDecimals = 0;
    std::int64_t m_nValue = 0;  // last value set or stepped
    std::int64_t m_nMax = 2147483647;
    std::int64_t m_nMin = -2147483647 - 1;
    std::int64_t m_nStep = 1;  // added by one spin click
    BOOL m_bAutoDelete = FALSE;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCNumberEdit;

protected:
    void PostNcDestroy() override;
};

// The spin of a pair: its clicks step the partner edit's value.
class CNumberSpin : public CSpinButtonCtrl {
public:
    CNumberSpin();
    // Unlinks the partner edit.
    ~CNumberSpin() override;

    CNumberEdit* m_pEdit = nullptr;
    BOOL m_bAutoDelete = FALSE;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCNumberSpin;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    void PostNcDestroy() override;
    // Reflected UDN_DELTAPOS: the typed (or else the stored) value plus
    // delta times the step, kept within the limits.
    void OnDeltaPos(NMHDR* header, LRESULT* result);
};

// Binds the edit `editId` and the spin `spinId` to `value`. The objects of
// the two controls are made (self-deleting) on the first call unless the
// controls have some already. Loading stores the limits and the step (0: one
// whole unit) in the edit and shows the value; saving fails with the
// framework's prompt on text that is not a number or is out of range.
void DDX_NumberSpin64(CDataExchange* dx, int editId, int spinId, __int64& value, int decimals,
                      __int64 minimum, __int64 maximum, __int64 step);  // 6
// The same for an int: sign-extended, and the low 32 bits stored back.
void DDX_NumberSpin32(CDataExchange* dx, int editId, int spinId, int& value, int decimals, int minimum,
                      int maximum, int step);  // 5
