// The two editors CLumInplaceEditList opens over a cell. Internal to the
// library: made on the heap by the list, child of the list with control ID 0,
// they delete themselves when their window goes.
#pragma once

#include <windows.h>

#include "framework/Controls.h"

class CLumInplaceEditList;

class CLumInplaceEditCtrl : public CEdit {
public:
    CLumInplaceEditCtrl(CLumInplaceEditList* list, int item, int column);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    void PostNcDestroy() override;

private:
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);

    CLumInplaceEditList* m_pList;
    int m_nItem;
    int m_nColumn;
};

class CLumInplaceComboBox : public CComboBox {
public:
    CLumInplaceComboBox(CLumInplaceEditList* list, int item, int column);

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    void PostNcDestroy() override;

private:
    LRESULT OnDestroy(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);

    CLumInplaceEditList* m_pList;
    int m_nItem;
    int m_nColumn;
};
