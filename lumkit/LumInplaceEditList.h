// A report list whose cells are edited where they stand: a click on a cell
// of the selected row, or F2, opens an edit box or a drop-down list over the
// cell. The list never changes the cell itself: the new text goes to the
// parent in LUMKIT_INPLACE_EDIT_FINISHED (once per edit, never after
// Escape). With m_bDragEnabled the selected row can be dragged to another
// place; the parent hears of the move in LUMKIT_DRAGDROP_FINISHED.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "lumkit/LumListCtrl.h"

// What LUMKIT_INPLACE_EDIT_FINISHED points to, valid during the call.
struct InplaceEditResult {
    int item;
    int column;
    BOOL moved;        // the user moved on to another cell (Tab, a click)
    LPCSTR text;       // the editor's text
    HWND editor;
};

class CLumInplaceEditList : public CLumListCtrl {
public:
    CLumInplaceEditList();            // 600
    ~CLumInplaceEditList() override;  // 601

    // CListCtrl::InsertColumn with the same arguments, then the column is
    // edited in an edit box, or in a drop-down list of `choices` separated
    // by "\n". The column's index, or -1 (and no editing) on failure.
    int InsertEditColumn(int column, LPCSTR heading, int format, int width, int subItem);  // 612
    int InsertChoiceColumn(int column, LPCSTR heading, int format, int width, int subItem,
                           LPCSTR choices);  // 611
    int InsertChoiceColumn(int column, LPCSTR heading, int format, int width, int subItem,
                           UINT choicesID);  // 613

    // Opens an editor on the cell; FALSE for a column without editing or
    // when the editor cannot be made.
    BOOL EditSubItem(int item, int column);  // 610
    // The closing editor reports its text (unless cancelled).
    void EndEdit();  // 607

    // The strip where the drop marker of `position` is drawn.
    void GetDropMarkerRect(int position, RECT* rect);  // 603
    // Drop position for client y: -1 before the first row, k after row k.
    int DropPositionFromY(int y);     // 604
    void InvalidateDropMarker(int position);  // 615

    bool PreTranslateMessage(MSG* msg) override;  // 628

    bool IsEditing() const { return m_bEditing; }
    CWnd* GetEditor() const { return m_pEditor; }
    int GetDropPosition() const { return m_nDropPosition; }

    const CRuntimeClass* GetRuntimeClass() const override;  // 609
    static const CRuntimeClass classCLumInplaceEditList;    // 632
    const MessageMap* GetMessageMap() const override;       // 608
    static const MessageMap messageMap;                     // 633
    static const MessageMapEntry messageEntries[];

    BOOL m_bDragEnabled = FALSE;

protected:
    virtual void DrawItem(DRAWITEMSTRUCT* item);  // 605
    void DrawRow(DRAWITEMSTRUCT* item);           // 614
    void PreSubclassWindow() override;            // 627

    LRESULT OnGetDlgCode(WPARAM wParam, LPARAM lParam);     // 616
    LRESULT OnHScroll(WPARAM wParam, LPARAM lParam);        // 617
    LRESULT OnKeyDown(WPARAM wParam, LPARAM lParam);        // 618
    LRESULT OnLButtonDown(WPARAM wParam, LPARAM lParam);    // 619
    LRESULT OnLButtonUp(WPARAM wParam, LPARAM lParam);      // 620
    LRESULT OnMouseMove(WPARAM wParam, LPARAM lParam);      // 621
    LRESULT OnPaint(WPARAM wParam, LPARAM lParam);          // 622
    LRESULT OnRButtonDown(WPARAM wParam, LPARAM lParam);    // 623
    LRESULT OnRequestDestroy(WPARAM wParam, LPARAM lParam); // 624
    LRESULT OnTimer(WPARAM wParam, LPARAM lParam);          // 625
    LRESULT OnVScroll(WPARAM wParam, LPARAM lParam);        // 626

private:
    template <class TControl>
    friend class CLumInplaceEditor;

    struct ColumnDescriptor {
        int column;
        int kind;  // 0 edit box, 1 drop-down list
        std::string choices;
    };

    LRESULT OnReflectDrawItem(WPARAM wParam, LPARAM lParam);
    const ColumnDescriptor* FindDescriptor(int column) const;
    int AddDescriptor(int index, int kind, const std::string& choices);
    // The cell's rectangle: the row's bounds narrowed to the column, columns
    // laid out in index order.
    RECT CellRect(int item, int column);
    void DestroyEditor();
    // An editor's keys: Tab (Shift+Tab) to the next (previous) column or out
    // of the list, Up and Down to the list.
    void EditorTab(bool backwards);
    void EditorUpDown(WPARAM key);
    void StopAutoScroll();
    void MoveDropMarker(int position);

    std::vector<ColumnDescriptor> m_columns;
    BOOL m_bEditing = FALSE;
    int m_nEditItem = -1;
    int m_nEditColumn = -1;
    CWnd* m_pEditor = nullptr;
    BOOL m_bMoved = FALSE;
    HIMAGELIST m_rowHeightImages = nullptr;
    HBRUSH m_markerBrush = nullptr;
    BOOL m_bAutoScroll = FALSE;
    BOOL m_bDragging = FALSE;
    BOOL m_bClickOnSelected = FALSE;
    BOOL m_bCancel = FALSE;
    int m_nFirstRowTop = 0;
    int m_nRowHeight = 1;
    int m_nRowsPerPage = 1;
    int m_nDropPosition = -2;
    POINT m_pressPoint = {};
    std::string m_editText;  // what InplaceEditResult::text points to
};
