#define OEMRESOURCE
#include "lumkit/LumInplaceEditList.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/ResourceChain.h"
#include "lumkit/LumInplaceEditors.h"
#include "lumkit/LumMessages.h"

extern unsigned int LUMKIT_REQUEST_DESTROY;

namespace {

constexpr UINT_PTR kAutoScrollTimer = 1;
constexpr UINT kAutoScrollPeriod = 250;  // ms
constexpr int kRowHeight = 18;           // the row-height image's size
constexpr int kMarkerAbove = 6;          // the marker strip around a row's bottom edge
constexpr int kMarkerBelow = 7;
constexpr int kMarkerBar = 3;
constexpr int kMarkerInset = 5;
constexpr int kTextInset = 3;

HBRUSH MakeCheckerboardBrush() {
    // Monochrome rows are WORD aligned.
    static const WORD rows[8] = {0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA};
    HBITMAP bitmap = CreateBitmap(8, 8, 1, 1, rows);
    if (!bitmap) return nullptr;
    HBRUSH brush = CreatePatternBrush(bitmap);
    DeleteObject(bitmap);
    return brush;
}

HIMAGELIST MakeRowHeightImages() {
    HIMAGELIST images = ImageList_Create(kRowHeight, kRowHeight, ILC_COLOR, 1, 0);
    if (!images) return nullptr;
    // The system's arrow is smaller than the image (16 or 17 pixels), which
    // ImageList_Add would refuse: it is copied onto an image of full size.
    HBITMAP arrow = LoadBitmapA(nullptr, MAKEINTRESOURCEA(OBM_UPARROW));
    HDC screen = GetDC(nullptr);
    HBITMAP image = CreateCompatibleBitmap(screen, kRowHeight, kRowHeight);
    HDC from = CreateCompatibleDC(screen);
    HDC to = CreateCompatibleDC(screen);
    if (arrow && image && from && to) {
        HGDIOBJ oldFrom = SelectObject(from, arrow);
        HGDIOBJ oldTo = SelectObject(to, image);
        PatBlt(to, 0, 0, kRowHeight, kRowHeight, WHITENESS);
        BITMAP size = {};
        GetObjectA(arrow, sizeof size, &size);
        BitBlt(to, 0, 0, size.bmWidth, size.bmHeight, from, 0, 0, SRCCOPY);
        SelectObject(from, oldFrom);
        SelectObject(to, oldTo);
        ImageList_Add(images, image, nullptr);
    }
    if (to) DeleteDC(to);
    if (from) DeleteDC(from);
    if (image) DeleteObject(image);
    if (arrow) DeleteObject(arrow);
    ReleaseDC(nullptr, screen);
    return images;
}

bool HasFocusWithin(HWND window) {
    HWND focus = GetFocus();
    return focus && (focus == window || IsChild(window, focus));
}

}  // namespace

const CRuntimeClass CLumInplaceEditList::classCLumInplaceEditList = {
    "CLumInplaceEditList", sizeof(CLumInplaceEditList), &CLumListCtrl::classCLumListCtrl, nullptr};

const CRuntimeClass* CLumInplaceEditList::GetRuntimeClass() const { return &classCLumInplaceEditList; }

const MessageMapEntry CLumInplaceEditList::messageEntries[] = {
    On::Message<&CLumInplaceEditList::OnGetDlgCode>(WM_GETDLGCODE),
    On::Message<&CLumInplaceEditList::OnHScroll>(WM_HSCROLL),
    On::Message<&CLumInplaceEditList::OnKeyDown>(WM_KEYDOWN),
    On::Message<&CLumInplaceEditList::OnLButtonDown>(WM_LBUTTONDOWN),
    On::Message<&CLumInplaceEditList::OnLButtonUp>(WM_LBUTTONUP),
    On::Message<&CLumInplaceEditList::OnMouseMove>(WM_MOUSEMOVE),
    On::Message<&CLumInplaceEditList::OnPaint>(WM_PAINT),
    On::Message<&CLumInplaceEditList::OnRButtonDown>(WM_RBUTTONDOWN),
    On::Registered<&CLumInplaceEditList::OnRequestDestroy>(&LUMKIT_REQUEST_DESTROY),
    On::Message<&CLumInplaceEditList::OnTimer>(WM_TIMER),
    On::Message<&CLumInplaceEditList::OnVScroll>(WM_VSCROLL),
    On::ReflectMessage<&CLumInplaceEditList::OnReflectDrawItem>(WM_DRAWITEM),
    On::End(),
};
const MessageMap CLumInplaceEditList::messageMap = {&CLumListCtrl::messageMap,
                                                    CLumInplaceEditList::messageEntries};

const MessageMap* CLumInplaceEditList::GetMessageMap() const { return &messageMap; }

CLumInplaceEditList::CLumInplaceEditList()
    : m_rowHeightImages(MakeRowHeightImages()), m_markerBrush(MakeCheckerboardBrush()) {}

CLumInplaceEditList::~CLumInplaceEditList() {
    // An editor still open ends quietly while the object is whole: the
    // owner may be going too.
    if (m_pEditor) {
        m_bCancel = TRUE;
        DestroyEditor();
        m_bCancel = FALSE;
    }
    if (m_rowHeightImages) ImageList_Destroy(m_rowHeightImages);
    if (m_markerBrush) DeleteObject(m_markerBrush);
}

void CLumInplaceEditList::PreSubclassWindow() {
    // The list shares the row-height images, so that only this object
    // destroys them.
    ModifyStyle(0, LVS_OWNERDRAWFIXED | LVS_SHAREIMAGELISTS | WS_CLIPCHILDREN);
    SetImageList(m_rowHeightImages, LVSIL_SMALL);
    CLumListCtrl::PreSubclassWindow();
}

// Columns.

int CLumInplaceEditList::AddDescriptor(int index, int kind, const std::string& choices) {
    if (index < 0) return -1;
    m_columns.push_back({index, kind, kind == 1 ? choices : std::string()});
    return index;
}

int CLumInplaceEditList::InsertEditColumn(int column, LPCSTR heading, int format, int width, int subItem) {
    return AddDescriptor(InsertColumn(column, heading, format, width, subItem), 0, std::string());
}

int CLumInplaceEditList::InsertChoiceColumn(int column, LPCSTR heading, int format, int width, int subItem,
                                            LPCSTR choices) {
    return AddDescriptor(InsertColumn(column, heading, format, width, subItem), 1, choices ? choices : "");
}

int CLumInplaceEditList::InsertChoiceColumn(int column, LPCSTR heading, int format, int width, int subItem,
                                            UINT choicesID) {
    std::string choices;
    AfxLoadString(choicesID, choices);
    return InsertChoiceColumn(column, heading, format, width, subItem, choices.c_str());
}

const CLumInplaceEditList::ColumnDescriptor* CLumInplaceEditList::FindDescriptor(int column) const {
    for (const ColumnDescriptor& descriptor : m_columns)
        if (descriptor.column == column) return &descriptor;
    return nullptr;
}

RECT CLumInplaceEditList::CellRect(int item, int column) {
    RECT rect = {};
    GetItemRect(item, &rect, LVIR_BOUNDS);
    for (int i = 0; i < column; ++i) rect.left += GetColumnWidth(i);
    rect.right = rect.left + GetColumnWidth(column);
    return rect;
}

// Editing.

BOOL CLumInplaceEditList::EditSubItem(int item, int column) {
    if (m_pEditor) DestroyEditor();
    const ColumnDescriptor* descriptor = FindDescriptor(column);
    if (!descriptor || item < 0 || item >= GetItemCount()) return FALSE;

    SetFocus();
    EnsureVisible(item, false);
    UpdateWindow();

    RECT rect = CellRect(item, column);
    const std::string text = GetItemText(item, column);
    CWnd* editor = nullptr;
    if (descriptor->kind == 1) {
        --rect.left;
        --rect.top;
        rect.bottom = rect.top + 8 * (rect.bottom - rect.top);
        auto* combo = new CLumInplaceComboBox(this, item, column);
        if (!combo->Create(WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, rect, this, 0)) {
            delete combo;
            return FALSE;
        }
        combo->SetFont(GetFont());
        int selection = -1;
        size_t start = 0;
        const std::string& choices = descriptor->choices;
        while (start < choices.size()) {
            const size_t end = std::min(choices.find('\n', start), choices.size());
            if (end == start) break;
            const std::string choice = choices.substr(start, end - start);
            const int index = combo->AddString(choice.c_str());
            if (index >= 0 && choice == text) selection = index;
            start = end + 1;
        }
        combo->SetCurSel(selection);
        editor = combo;
    } else {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT;
        GetColumn(column, &info);
        DWORD style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
        switch (info.fmt & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT: style |= ES_RIGHT; break;
        case LVCFMT_CENTER: style |= ES_CENTER; break;
        default: break;
        }
        auto* edit = new CLumInplaceEditCtrl(this, item, column);
        if (!edit->Create(style, rect, this, 0)) {
            delete edit;
            return FALSE;
        }
        edit->SetFont(GetFont());
        edit->SetWindowText(text.c_str());
        edit->SetSel(0, -1);
        editor = edit;
    }
    m_bEditing = TRUE;
    m_nEditItem = item;
    m_nEditColumn = column;
    m_pEditor = editor;
    editor->SetFocus();
    return TRUE;
}

void CLumInplaceEditList::DestroyEditor() {
    if (m_pEditor) m_pEditor->DestroyWindow();
}

void CLumInplaceEditList::EndEdit() {
    if (!m_bEditing) return;
    CWnd* editor = m_pEditor;
    const int item = m_nEditItem;
    const int column = m_nEditColumn;
    const BOOL moved = m_bMoved;
    // Idle before the owner hears of it, so that the owner may open the next
    // editor from its handler.
    m_bEditing = FALSE;
    m_pEditor = nullptr;
    m_bMoved = FALSE;
    if (editor && HasFocusWithin(editor->m_hWnd)) SetFocus();

    if (m_bCancel) {
        m_bCancel = FALSE;
    } else if (editor) {
        m_editText = editor->GetWindowText();
        InplaceEditResult result = {item, column, moved, m_editText.c_str(), editor->m_hWnd};
        if (CWnd* parent = GetParent())
            parent->SendMessage(LUMKIT_INPLACE_EDIT_FINISHED, GetDlgCtrlID(), reinterpret_cast<LPARAM>(&result));
    }
    Invalidate();
    UpdateWindow();
}

void CLumInplaceEditList::EditorTab(bool backwards) {
    const int item = m_nEditItem;
    const int column = m_nEditColumn;
    int target = -1;
    if (backwards) {
        if (column > 0) target = column - 1;
    } else if (column < static_cast<int>(m_columns.size()) - 1) {
        target = column + 1;
    }
    if (target < 0) {
        PostMessage(WM_KEYDOWN, VK_TAB, 0);
        DestroyEditor();
        return;
    }
    m_bMoved = TRUE;
    DestroyEditor();
    EditSubItem(item, target);
}

void CLumInplaceEditList::EditorUpDown(WPARAM key) {
    PostMessage(WM_KEYDOWN, key, 0);
    DestroyEditor();
}

bool CLumInplaceEditList::PreTranslateMessage(MSG* msg) {
    if (m_bEditing && msg->message == WM_KEYDOWN && (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        if (msg->wParam == VK_ESCAPE) m_bCancel = TRUE;
        DestroyEditor();
        m_bCancel = FALSE;
        return true;
    }
    return CLumListCtrl::PreTranslateMessage(msg);
}

LRESULT CLumInplaceEditList::OnRequestDestroy(WPARAM item, LPARAM column) {
    // A late request from an earlier editor of the same cell finds the new
    // editor holding the focus.
    if (m_pEditor && m_nEditItem == static_cast<int>(item) && m_nEditColumn == static_cast<int>(column) &&
        !HasFocusWithin(m_pEditor->m_hWnd))
        DestroyEditor();
    return 0;
}

// Keys and scrolling.

LRESULT CLumInplaceEditList::OnKeyDown(WPARAM key, LPARAM) {
    if (key == VK_F2) {
        const int selected = GetNextItem(-1, LVNI_SELECTED);
        if (selected >= 0) EditSubItem(selected, 0);
        return 0;
    }
    return Default();
}

LRESULT CLumInplaceEditList::OnGetDlgCode(WPARAM, LPARAM) {
    const LRESULT code = Default();
    return m_bEditing ? code | DLGC_WANTTAB : code;
}

LRESULT CLumInplaceEditList::OnHScroll(WPARAM, LPARAM) {
    if (m_bEditing) DestroyEditor();
    return Default();
}

LRESULT CLumInplaceEditList::OnVScroll(WPARAM, LPARAM) {
    if (m_bEditing) DestroyEditor();
    return Default();
}

LRESULT CLumInplaceEditList::OnRButtonDown(WPARAM, LPARAM) {
    if (m_bEditing) DestroyEditor();
    return Default();
}

// Mouse: clicks that edit, and dragging rows.

LRESULT CLumInplaceEditList::OnLButtonDown(WPARAM, LPARAM lParam) {
    if (!m_pEditor) SetFocus();
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    SubItemHitTest(&hit);
    if (hit.iItem < 0 || !(hit.flags & LVHT_ONITEM)) return Default();

    if (hit.iItem == GetNextItem(-1, LVNI_SELECTED)) {
        if (m_pEditor) {
            m_bMoved = TRUE;
            DestroyEditor();
            EditSubItem(hit.iItem, hit.iSubItem);
            return 0;
        }
        m_bClickOnSelected = TRUE;
    } else {
        if (m_pEditor) {
            DestroyEditor();
            return Default();
        }
        SetItemState(-1, 0, LVIS_SELECTED);
        SetItemState(hit.iItem, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        UpdateWindow();
        m_bClickOnSelected = FALSE;
    }
    m_pressPoint = hit.pt;
    ::SetCapture(m_hWnd);
    m_nDropPosition = -2;
    return 0;
}

LRESULT CLumInplaceEditList::OnMouseMove(WPARAM, LPARAM lParam) {
    if (::GetCapture() != m_hWnd) return Default();
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!m_bDragging) {
        // A move the system makes up without the mouse moving is no drag.
        if (point.x == m_pressPoint.x && point.y == m_pressPoint.y) return 0;
        m_bDragging = TRUE;
        RECT top = {};
        GetItemRect(GetTopIndex(), &top, LVIR_BOUNDS);
        m_nFirstRowTop = top.top;
        m_nRowHeight = std::max(1, static_cast<int>(top.bottom - top.top));
        m_nRowsPerPage = GetCountPerPage();
    }
    if (!m_bDragEnabled) return 0;
    const bool outside =
        point.y < m_nFirstRowTop || point.y >= m_nFirstRowTop + m_nRowsPerPage * m_nRowHeight;
    if (outside && !m_bAutoScroll) {
        SetTimer(kAutoScrollTimer, kAutoScrollPeriod);
        m_bAutoScroll = TRUE;
    } else if (!outside) {
        StopAutoScroll();
    }
    MoveDropMarker(DropPositionFromY(point.y));
    return 0;
}

LRESULT CLumInplaceEditList::OnTimer(WPARAM id, LPARAM) {
    if (id != kAutoScrollTimer) return Default();
    POINT cursor = {};
    GetCursorPos(&cursor);
    ScreenToClient(m_hWnd, &cursor);
    SendMessage(WM_VSCROLL, cursor.y >= m_nFirstRowTop ? SB_LINEDOWN : SB_LINEUP, 0);
    MoveDropMarker(DropPositionFromY(cursor.y));
    return 0;
}

LRESULT CLumInplaceEditList::OnLButtonUp(WPARAM, LPARAM lParam) {
    if (::GetCapture() != m_hWnd) return Default();
    ReleaseCapture();
    if (m_bDragging) {
        StopAutoScroll();
        InvalidateDropMarker(m_nDropPosition);
        const int selected = GetNextItem(-1, LVNI_SELECTED);
        const int position = m_nDropPosition;
        m_bDragging = FALSE;
        m_bClickOnSelected = FALSE;
        m_nDropPosition = -2;
        UpdateWindow();
        if (!m_bDragEnabled) return 0;
        CWnd* parent = GetParent();
        return parent ? parent->SendMessage(LUMKIT_DRAGDROP_FINISHED, static_cast<WPARAM>(selected), position) : 0;
    }
    LVHITTESTINFO hit = {};
    hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    SubItemHitTest(&hit);
    if (hit.iItem < 0 || !(hit.flags & LVHT_ONITEM)) {
        MessageBeep(static_cast<UINT>(-1));
    } else if (m_bClickOnSelected) {
        m_bClickOnSelected = FALSE;
        EditSubItem(hit.iItem, hit.iSubItem);
    }
    return 0;
}

void CLumInplaceEditList::StopAutoScroll() {
    if (!m_bAutoScroll) return;
    KillTimer(kAutoScrollTimer);
    m_bAutoScroll = FALSE;
}

int CLumInplaceEditList::DropPositionFromY(int y) {
    const int top = GetTopIndex();
    const int visible = std::min(GetItemCount(), m_nRowsPerPage);
    if (y < m_nFirstRowTop) return top - 1;
    if (y >= m_nFirstRowTop + visible * m_nRowHeight) return top + visible - 1;
    return top + (y - m_nFirstRowTop) / m_nRowHeight;
}

void CLumInplaceEditList::MoveDropMarker(int position) {
    if (position == m_nDropPosition) return;
    InvalidateDropMarker(m_nDropPosition);
    InvalidateDropMarker(position);
    m_nDropPosition = position;
    UpdateWindow();
}

// The drop marker.

void CLumInplaceEditList::GetDropMarkerRect(int position, RECT* rect) {
    RECT row = {};
    if (position == -1) {
        GetItemRect(0, &row, LVIR_BOUNDS);
        OffsetRect(&row, 0, -(row.bottom - row.top));
    } else {
        GetItemRect(position, &row, LVIR_BOUNDS);
    }
    *rect = {row.left, row.bottom - kMarkerAbove, row.right, row.bottom + kMarkerBelow};
}

void CLumInplaceEditList::InvalidateDropMarker(int position) {
    if (position < -1) return;
    RECT strip;
    GetDropMarkerRect(position, &strip);
    InvalidateRect(m_hWnd, &strip, TRUE);
}

LRESULT CLumInplaceEditList::OnPaint(WPARAM, LPARAM) {
    const LRESULT result = Default();
    if (!m_bDragging || !m_bDragEnabled || m_nDropPosition < -1 || !m_markerBrush) return result;
    RECT strip;
    GetDropMarkerRect(m_nDropPosition, &strip);
    HDC dc = ::GetDC(m_hWnd);
    HGDIOBJ old = SelectObject(dc, m_markerBrush);
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    const int height = strip.bottom - strip.top;
    PatBlt(dc, strip.left, strip.top, kMarkerBar, height, PATCOPY);
    PatBlt(dc, strip.right - kMarkerBar, strip.top, kMarkerBar, height, PATCOPY);
    PatBlt(dc, strip.left + kMarkerBar, strip.top + kMarkerInset, strip.right - strip.left - 2 * kMarkerBar,
           height - 2 * kMarkerInset, PATCOPY);
    SelectObject(dc, old);
    ::ReleaseDC(m_hWnd, dc);
    return result;
}

// Owner-drawn rows.

LRESULT CLumInplaceEditList::OnReflectDrawItem(WPARAM, LPARAM lParam) {
    DrawItem(reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    return TRUE;
}

void CLumInplaceEditList::DrawItem(DRAWITEMSTRUCT* item) { DrawRow(item); }

void CLumInplaceEditList::DrawRow(DRAWITEMSTRUCT* item) {
    if (static_cast<int>(item->itemID) < 0) return;
    HDC dc = item->hDC;
    if (item->itemAction == ODA_FOCUS) {
        DrawFocusRect(dc, &item->rcItem);
        return;
    }
    const int row = static_cast<int>(item->itemID);
    const bool selected = (GetItemState(row, LVIS_SELECTED) & LVIS_SELECTED) &&
                          (::GetFocus() == m_hWnd || m_pEditor);
    FillRect(dc, &item->rcItem, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF oldText = SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    if (item->itemState & ODS_FOCUS) DrawFocusRect(dc, &item->rcItem);

    RECT cell = item->rcItem;
    for (int column = 0;; ++column) {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_WIDTH;
        if (!GetColumn(column, &info)) break;
        cell.right = cell.left + info.cx;
        RECT text = {cell.left + kTextInset, cell.top, cell.right - kTextInset, cell.bottom};
        UINT format = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
        switch (info.fmt & LVCFMT_JUSTIFYMASK) {
        case LVCFMT_RIGHT: format |= DT_RIGHT; break;
        case LVCFMT_CENTER: format |= DT_CENTER; break;
        default: format |= DT_LEFT; break;
        }
        const std::string value = GetItemText(row, column);
        DrawTextA(dc, value.c_str(), static_cast<int>(value.size()), &text, format);
        cell.left = cell.right;
    }
    SetBkMode(dc, oldMode);
    SetTextColor(dc, oldText);
}
