// The two editors CLumInplaceEditList opens over a cell: an edit box and a
// drop-down list. Internal to the library: made on the heap by the list,
// child of the list with control ID 0, they delete themselves when their
// window goes.
#pragma once

#include <windows.h>

#include "framework/Controls.h"

class CLumInplaceEditList;

// An editor over a control class: its end, loss of focus and keys go to
// the list. Tab moves on in both; Up and Down leave the edit box only (the
// drop-down list keeps them for its choices).
template <class TControl>
class CLumInplaceEditor : public TControl {
public:
    CLumInplaceEditor(CLumInplaceEditList* list, int item, int column)
        : m_pList(list), m_nItem(item), m_nColumn(column) {}

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    void PostNcDestroy() override { delete this; }

private:
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);

    CLumInplaceEditList* m_pList;
    int m_nItem;
    int m_nColumn;
};

using CLumInplaceEditCtrl = CLumInplaceEditor<CEdit>;
using CLumInplaceComboBox = CLumInplaceEditor<CComboBox>;
