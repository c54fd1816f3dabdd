// A report-view list that sorts itself on header clicks, shows the sort
// direction as an arrow in the header, lets its owner (a CLumDialog or
// CLumPropertyPage) or a derived class order the items, and keeps its column
// widths and order in the profile ("Settings", "Columns-<id>", "Order-<id>").
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <unordered_map>

#include "framework/Controls.h"

class CLumDialog;
class CLumPropertyPage;

class CLumListCtrl : public CListCtrl {
public:
    CLumListCtrl();            // 701
    ~CLumListCtrl() override;  // 702

    // Order of the items with these data: negative, 0 or positive. By
    // default the texts of the sort column (lstrcmpA), reversed when
    // descending.
    virtual int CompareItems(LPARAM lParam1, LPARAM lParam2);  // 704

    // Header clicks sort; `allowToggle`: a second click on the sort column
    // reverses it. Enabling re-sorts ascending by the current sort column.
    void EnableSort(BOOL enable, BOOL allowToggle);  // 706
    // Index of the first item with this data, else -1.
    int FindItemByData(LPARAM data);  // 707
    // column < 0 keeps the current sort column.
    void SortItems(int column, BOOL descending);  // 715
    void LoadColumns();                           // 711
    void SaveColumns();                           // 714

    // LVM_SORTITEMS comparison; `list` is the CLumListCtrl.
    static int CALLBACK SortCallback(LPARAM lParam1, LPARAM lParam2, LPARAM list);  // 710

    int GetSortColumn() const { return m_nSortColumn; }
    BOOL IsSortDescending() const { return m_bSortDescending; }

    const CRuntimeClass* GetRuntimeClass() const override;  // 709
    static const CRuntimeClass classCLumListCtrl;           // 719
    const MessageMap* GetMessageMap() const override;       // 708
    static const MessageMap messageMap;                     // 720
    static const MessageMapEntry messageEntries[];          // 700

    BOOL m_bSaveColumns = TRUE;
    BOOL m_bSortEnabled = FALSE;
    BOOL m_bAllowToggle = FALSE;
    int m_nSortColumn = -1;
    BOOL m_bSortDescending = FALSE;
    // Consulted by SortCallback; their base CompareItems resets these to null.
    CLumDialog* m_pOwnerDialog = nullptr;
    CLumPropertyPage* m_pOwnerPage = nullptr;

protected:
    void OnDestroy();                                                       // 712
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) override;  // 713

    HBITMAP m_hSortAscending = nullptr;   // bitmap 130, pointing down
    HBITMAP m_hSortDescending = nullptr;  // bitmap 131, pointing up

private:
    // The sort key of the sort column's text of each item data (first item
    // wins); set only while SortItems sorts.
    const std::unordered_map<LPARAM, std::string>* m_pSortKeys = nullptr;
};
