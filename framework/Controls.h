// Window objects of the standard and common controls: each call is the
// control's message, sent to m_hWnd, with the control's own result. Create
// makes a child control (WS_CHILD is added) attached to the object.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "FwExport.h"
#include "Wnd.h"

class FW_API CStatic : public CWnd {
public:
    bool Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);

    // The previous image (SS_BITMAP / SS_ICON controls); the control does
    // not destroy the images it shows.
    HBITMAP SetBitmap(HBITMAP bitmap);
    HBITMAP GetBitmap() const;
    HICON SetIcon(HICON icon);
    HICON GetIcon() const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCStatic;
};

class FW_API CButton : public CWnd {
public:
    bool Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
    int GetCheck() const;
    void SetCheck(int check);
    // BST_* flags (checked, pushed, focused).
    UINT GetState() const;
    void SetState(bool highlight);
    // The BS_* type bits of the style.
    UINT GetButtonStyle() const;
    void SetButtonStyle(UINT style, bool redraw = true);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCButton;
};

class FW_API CEdit : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // 0: the largest limit.
    void LimitText(int maxChars = 0);
    // Selects start..end (end -1: to the end; start -1: no selection) and
    // scrolls the caret into view unless `noScroll`.
    void SetSel(int start, int end, bool noScroll = false);
    void GetSel(int& start, int& end) const;
    void ReplaceSel(const char* text, bool canUndo = false);
    void Copy();
    bool SetReadOnly(bool readOnly = true);
    int GetLineCount() const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCEdit;
};

class FW_API CComboBox : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Index of the new item, or CB_ERR / CB_ERRSPACE.
    int AddString(const char* text);
    int InsertString(int index, const char* text);
    // Items left, or CB_ERR.
    int DeleteString(UINT index);
    void ResetContent();
    int GetCount() const;
    // CB_ERR: no selection.
    int GetCurSel() const;
    // index -1 clears the selection; CB_ERR also when it did.
    int SetCurSel(int index);
    // The text of item `index` in `text`; its length, or CB_ERR (text empty).
    int GetLBText(int index, std::string& text) const;
    // Searches after `startAfter` (-1: from the top), wrapping round; case
    // does not count. Index, or CB_ERR.
    int FindStringExact(int startAfter, const char* text) const;
    // Selects the first item beginning with `text`; its index, or CB_ERR.
    int SelectString(int startAfter, const char* text);
    int SetItemData(int index, DWORD_PTR data);
    DWORD_PTR GetItemData(int index) const;
    bool GetDroppedState() const;
    void ShowDropDown(bool show = true);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCComboBox;
};

class FW_API CSpinButtonCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    void SetRange(short lower, short upper);
    void SetRange32(int lower, int upper);
    void GetRange32(int& lower, int& upper) const;
    // 32-bit positions; SetPos returns the previous one. GetPos reads the
    // buddy's text first; `error` tells whether that failed.
    int SetPos(int pos);
    int GetPos(bool* error = nullptr) const;
    // The previous buddy.
    HWND SetBuddy(HWND buddy);
    HWND GetBuddy() const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCSpinButtonCtrl;
};

class FW_API CHeaderCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    int GetItemCount() const;
    bool GetItem(int index, HDITEMA* item) const;
    bool SetItem(int index, const HDITEMA* item);
    bool GetItemRect(int index, RECT* rect) const;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCHeaderCtrl;
};

// A tool is a whole window (toolId 0: the tip is about `window`) or a
// rectangle of it (toolId non-zero, in window coordinates).
class FW_API CToolTipCtrl : public CWnd {
public:
    // A pop-up owned by `parent`; `style` TTS_*.
    bool Create(CWnd* parent, DWORD style = 0);

    void Activate(bool activate);
    // The text of string `textId` of the resource chain, read now.
    bool AddTool(CWnd* window, UINT textId, const RECT* rect = nullptr, UINT_PTR toolId = 0);
    // LPSTR_TEXTCALLBACKA: the owner is asked with TTN_GETDISPINFO.
    bool AddTool(CWnd* window, const char* text = LPSTR_TEXTCALLBACKA, const RECT* rect = nullptr,
                 UINT_PTR toolId = 0);
    void DelTool(CWnd* window, UINT_PTR toolId = 0);
    int GetToolCount() const;
    // Mouse messages of the tools' windows, from PreTranslateMessage.
    void RelayEvent(MSG* msg);
    // The previous width; -1: no limit.
    int SetMaxTipWidth(int width);
    void UpdateTipText(const char* text, CWnd* window, UINT_PTR toolId = 0);
    void UpdateTipText(UINT textId, CWnd* window, UINT_PTR toolId = 0);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCToolTipCtrl;
};

class FW_API CListCtrl : public CWnd {
public:
    bool Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);

    // Columns. width -1 and subItem -1 leave those unset. Index, or -1.
    int InsertColumn(int column, const char* heading, int format = LVCFMT_LEFT, int width = -1,
                     int subItem = -1);
    int InsertColumn(int column, const LVCOLUMNA* info);
    bool DeleteColumn(int column);
    bool GetColumn(int column, LVCOLUMNA* info) const;
    bool SetColumn(int column, const LVCOLUMNA* info);
    int GetColumnWidth(int column) const;
    // width LVSCW_AUTOSIZE or LVSCW_AUTOSIZE_USEHEADER fits the contents.
    bool SetColumnWidth(int column, int width);
    // `count` -1: as many as the header has.
    bool GetColumnOrderArray(int* order, int count = -1) const;
    bool SetColumnOrderArray(int count, const int* order);

    // Items. Index of the new item, or -1.
    int InsertItem(const LVITEMA* item);
    int InsertItem(int index, const char* text);
    int InsertItem(int index, const char* text, int image);
    // `mask` LVIF_* says which of the others count.
    int InsertItem(UINT mask, int index, const char* text, UINT state, UINT stateMask, int image,
                   LPARAM lParam);
    bool DeleteItem(int index);
    bool DeleteAllItems();
    int GetItemCount() const;
    bool SetItemText(int index, int subItem, const char* text);
    // The whole text, however long.
    std::string GetItemText(int index, int subItem) const;
    DWORD_PTR GetItemData(int index) const;
    bool SetItemData(int index, DWORD_PTR data);
    UINT GetItemState(int index, UINT mask) const;
    // index -1: every item.
    bool SetItemState(int index, UINT state, UINT mask);
    // From after `start` (-1: the first), by LVNI_* flags; -1 when none.
    int GetNextItem(int start, int flags) const;
    UINT GetSelectedCount() const;
    bool EnsureVisible(int index, bool partialOk);
    // `compare` gets the items' data and `data`.
    bool SortItems(PFNLVCOMPARE compare, DWORD_PTR data);
    // From after `start` (-1: the first); -1 when none.
    int FindItem(LVFINDINFOA* find, int start = -1) const;
    int HitTest(LVHITTESTINFO* info) const;
    int HitTest(POINT point, UINT* flags = nullptr) const;
    int SubItemHitTest(LVHITTESTINFO* info);
    // `area` LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS.
    bool GetItemRect(int index, RECT* rect, UINT area) const;
    // `area` LVIR_BOUNDS, LVIR_ICON or LVIR_LABEL.
    bool GetSubItemRect(int index, int subItem, int area, RECT* rect) const;

    // The previous extended style (LVS_EX_*).
    DWORD SetExtendedStyle(DWORD style);
    DWORD GetExtendedStyle() const;
    // `which` LVSIL_NORMAL, LVSIL_SMALL or LVSIL_STATE; the previous list.
    // The control destroys its lists only without LVS_SHAREIMAGELISTS.
    HIMAGELIST SetImageList(HIMAGELIST list, int which);
    HIMAGELIST GetImageList(int which) const;
    HWND GetHeaderCtrl() const;
    int GetTopIndex() const;
    int GetCountPerPage() const;
    bool RedrawItems(int first, int last);
    // By pixels; in report view dy rounds to whole lines.
    bool Scroll(SIZE size);
    // Makes room for `count` items (the item count of LVS_OWNERDATA lists);
    // `flags` LVSICF_*.
    bool SetItemCount(int count, DWORD flags = 0);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCListCtrl;
};
