#include "Controls.h"

#include <atomic>
#include <cstring>
#include <vector>

#include "ResourceChain.h"

namespace {

// Registers the common-control classes of `classes` (ICC_*) the first time
// a control of them is made.
void EnsureControlClasses(DWORD classes) {
    static std::atomic<DWORD> registered{0};
    if ((registered.load() & classes) == classes) return;
    INITCOMMONCONTROLSEX init = {sizeof(init), classes};
    if (InitCommonControlsEx(&init)) registered.fetch_or(classes);
}

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return ::SendMessageA(window, message, wParam, lParam);
}

template <typename T>
LPARAM Ptr(T* pointer) {
    return reinterpret_cast<LPARAM>(pointer);
}

}  // namespace

// ---- CStatic ----

const CRuntimeClass CStatic::classCStatic = {"CStatic", sizeof(CStatic), &CWnd::classCWnd, nullptr};

const CRuntimeClass* CStatic::GetRuntimeClass() const { return &classCStatic; }

bool CStatic::Create(const char* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_STATICA, text, style, rect, parent, id);
}

HBITMAP CStatic::SetBitmap(HBITMAP bitmap) {
    return reinterpret_cast<HBITMAP>(Send(m_hWnd, STM_SETIMAGE, IMAGE_BITMAP, Ptr(bitmap)));
}

HBITMAP CStatic::GetBitmap() const {
    return reinterpret_cast<HBITMAP>(Send(m_hWnd, STM_GETIMAGE, IMAGE_BITMAP));
}

HICON CStatic::SetIcon(HICON icon) {
    return reinterpret_cast<HICON>(Send(m_hWnd, STM_SETICON, reinterpret_cast<WPARAM>(icon)));
}

HICON CStatic::GetIcon() const { return reinterpret_cast<HICON>(Send(m_hWnd, STM_GETICON)); }

// ---- CButton ----

const CRuntimeClass CButton::classCButton = {"CButton", sizeof(CButton), &CWnd::classCWnd, nullptr};

const CRuntimeClass* CButton::GetRuntimeClass() const { return &classCButton; }

bool CButton::Create(const char* caption, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_BUTTONA, caption, style, rect, parent, id);
}

int CButton::GetCheck() const { return static_cast<int>(Send(m_hWnd, BM_GETCHECK)); }

void CButton::SetCheck(int check) { Send(m_hWnd, BM_SETCHECK, static_cast<WPARAM>(check)); }

UINT CButton::GetState() const { return static_cast<UINT>(Send(m_hWnd, BM_GETSTATE)); }

void CButton::SetState(bool highlight) { Send(m_hWnd, BM_SETSTATE, highlight ? TRUE : FALSE); }

UINT CButton::GetButtonStyle() const {
    return static_cast<UINT>(GetWindowLongA(m_hWnd, GWL_STYLE)) & BS_TYPEMASK;
}

void CButton::SetButtonStyle(UINT style, bool redraw) {
    Send(m_hWnd, BM_SETSTYLE, style, redraw ? TRUE : FALSE);
}

// ---- CEdit ----

const CRuntimeClass CEdit::classCEdit = {"CEdit", sizeof(CEdit), &CWnd::classCWnd, nullptr};

const CRuntimeClass* CEdit::GetRuntimeClass() const { return &classCEdit; }

bool CEdit::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_EDITA, nullptr, style, rect, parent, id);
}

void CEdit::LimitText(int maxChars) { Send(m_hWnd, EM_LIMITTEXT, static_cast<WPARAM>(maxChars)); }

void CEdit::SetSel(int start, int end, bool noScroll) {
    Send(m_hWnd, EM_SETSEL, static_cast<WPARAM>(start), end);
    if (!noScroll) Send(m_hWnd, EM_SCROLLCARET);
}

void CEdit::GetSel(int& start, int& end) const {
    DWORD first = 0;
    DWORD last = 0;
    Send(m_hWnd, EM_GETSEL, reinterpret_cast<WPARAM>(&first), Ptr(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

void CEdit::ReplaceSel(const char* text, bool canUndo) {
    Send(m_hWnd, EM_REPLACESEL, canUndo ? TRUE : FALSE, Ptr(text));
}

void CEdit::Copy() { Send(m_hWnd, WM_COPY); }

bool CEdit::SetReadOnly(bool readOnly) { return Send(m_hWnd, EM_SETREADONLY, readOnly ? TRUE : FALSE) != 0; }

int CEdit::GetLineCount() const { return static_cast<int>(Send(m_hWnd, EM_GETLINECOUNT)); }

// ---- CComboBox ----

const CRuntimeClass CComboBox::classCComboBox = {"CComboBox", sizeof(CComboBox), &CWnd::classCWnd,
                                                 nullptr};

const CRuntimeClass* CComboBox::GetRuntimeClass() const { return &classCComboBox; }

bool CComboBox::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(WC_COMBOBOXA, nullptr, style, rect, parent, id);
}

int CComboBox::AddString(const char* text) {
    return static_cast<int>(Send(m_hWnd, CB_ADDSTRING, 0, Ptr(text)));
}

int CComboBox::InsertString(int index, const char* text) {
    return static_cast<int>(Send(m_hWnd, CB_INSERTSTRING, static_cast<WPARAM>(index), Ptr(text)));
}

int CComboBox::DeleteString(UINT index) { return static_cast<int>(Send(m_hWnd, CB_DELETESTRING, index)); }

void CComboBox::ResetContent() { Send(m_hWnd, CB_RESETCONTENT); }

int CComboBox::GetCount() const { return static_cast<int>(Send(m_hWnd, CB_GETCOUNT)); }

int CComboBox::GetCurSel() const { return static_cast<int>(Send(m_hWnd, CB_GETCURSEL)); }

int CComboBox::SetCurSel(int index) {
    return static_cast<int>(Send(m_hWnd, CB_SETCURSEL, static_cast<WPARAM>(index)));
}

int CComboBox::GetLBText(int index, std::string& text) const {
    text.clear();
    const LRESULT length = Send(m_hWnd, CB_GETLBTEXTLEN, static_cast<WPARAM>(index));
    if (length == CB_ERR) return CB_ERR;
    // The length may overstate the text (double-byte code pages), never understate it.
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = Send(m_hWnd, CB_GETLBTEXT, static_cast<WPARAM>(index), Ptr(buffer.data()));
    if (copied == CB_ERR) return CB_ERR;
    text.assign(buffer.data(), strnlen(buffer.data(), buffer.size()));
    return static_cast<int>(text.size());
}

int CComboBox::FindStringExact(int startAfter, const char* text) const {
    return static_cast<int>(Send(m_hWnd, CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter), Ptr(text)));
}

int CComboBox::SelectString(int startAfter, const char* text) {
    return static_cast<int>(Send(m_hWnd, CB_SELECTSTRING, static_cast<WPARAM>(startAfter), Ptr(text)));
}

int CComboBox::SetItemData(int index, DWORD_PTR data) {
    return static_cast<int>(Send(m_hWnd, CB_SETITEMDATA, static_cast<WPARAM>(index),
                                 static_cast<LPARAM>(data)));
}

DWORD_PTR CComboBox::GetItemData(int index) const {
    return static_cast<DWORD_PTR>(Send(m_hWnd, CB_GETITEMDATA, static_cast<WPARAM>(index)));
}

bool CComboBox::GetDroppedState() const { return Send(m_hWnd, CB_GETDROPPEDSTATE) != 0; }

void CComboBox::ShowDropDown(bool show) { Send(m_hWnd, CB_SHOWDROPDOWN, show ? TRUE : FALSE); }

// ---- CSpinButtonCtrl ----

const CRuntimeClass CSpinButtonCtrl::classCSpinButtonCtrl = {"CSpinButtonCtrl", sizeof(CSpinButtonCtrl),
                                                             &CWnd::classCWnd, nullptr};

const CRuntimeClass* CSpinButtonCtrl::GetRuntimeClass() const { return &classCSpinButtonCtrl; }

bool CSpinButtonCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    EnsureControlClasses(ICC_UPDOWN_CLASS);
    return CWnd::Create(UPDOWN_CLASSA, nullptr, style, rect, parent, id);
}

void CSpinButtonCtrl::SetRange(short lower, short upper) {
    Send(m_hWnd, UDM_SETRANGE, 0, MAKELPARAM(upper, lower));
}

void CSpinButtonCtrl::SetRange32(int lower, int upper) {
    Send(m_hWnd, UDM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void CSpinButtonCtrl::GetRange32(int& lower, int& upper) const {
    Send(m_hWnd, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lower), Ptr(&upper));
}

int CSpinButtonCtrl::SetPos(int pos) { return static_cast<int>(Send(m_hWnd, UDM_SETPOS32, 0, pos)); }

int CSpinButtonCtrl::GetPos(bool* error) const {
    BOOL failed = FALSE;
    const int pos = static_cast<int>(Send(m_hWnd, UDM_GETPOS32, 0, Ptr(&failed)));
    if (error) *error = failed != FALSE;
    return pos;
}

HWND CSpinButtonCtrl::SetBuddy(HWND buddy) {
    return reinterpret_cast<HWND>(Send(m_hWnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)));
}

HWND CSpinButtonCtrl::GetBuddy() const { return reinterpret_cast<HWND>(Send(m_hWnd, UDM_GETBUDDY)); }

// ---- CHeaderCtrl ----

const CRuntimeClass CHeaderCtrl::classCHeaderCtrl = {"CHeaderCtrl", sizeof(CHeaderCtrl), &CWnd::classCWnd,
                                                     nullptr};

const CRuntimeClass* CHeaderCtrl::GetRuntimeClass() const { return &classCHeaderCtrl; }

bool CHeaderCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    EnsureControlClasses(ICC_LISTVIEW_CLASSES);
    return CWnd::Create(WC_HEADERA, nullptr, style, rect, parent, id);
}

int CHeaderCtrl::GetItemCount() const { return static_cast<int>(Send(m_hWnd, HDM_GETITEMCOUNT)); }

bool CHeaderCtrl::GetItem(int index, HDITEMA* item) const {
    return Send(m_hWnd, HDM_GETITEMA, static_cast<WPARAM>(index), Ptr(item)) != 0;
}

bool CHeaderCtrl::SetItem(int index, const HDITEMA* item) {
    return Send(m_hWnd, HDM_SETITEMA, static_cast<WPARAM>(index), Ptr(item)) != 0;
}

bool CHeaderCtrl::GetItemRect(int index, RECT* rect) const {
    return Send(m_hWnd, HDM_GETITEMRECT, static_cast<WPARAM>(index), Ptr(rect)) != 0;
}

// ---- CToolTipCtrl ----

namespace {

// The tool `toolId` of `window`, or `window` itself for toolId 0 (then the
// tip's notifications go to its parent, when it has one).
TTTOOLINFOA ToolInfo(CWnd* window, UINT_PTR toolId) {
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;  // understood by every version of the control
    HWND handle = window ? window->m_hWnd : nullptr;
    if (toolId == 0) {
        HWND parent = ::GetParent(handle);
        info.hwnd = parent ? parent : handle;
        info.uFlags = TTF_IDISHWND;
        info.uId = reinterpret_cast<UINT_PTR>(handle);
    } else {
        info.hwnd = handle;
        info.uId = toolId;
    }
    return info;
}

}  // namespace

const CRuntimeClass CToolTipCtrl::classCToolTipCtrl = {"CToolTipCtrl", sizeof(CToolTipCtrl),
                                                       &CWnd::classCWnd, nullptr};

const CRuntimeClass* CToolTipCtrl::GetRuntimeClass() const { return &classCToolTipCtrl; }

bool CToolTipCtrl::Create(CWnd* parent, DWORD style) {
    EnsureControlClasses(ICC_BAR_CLASSES);
    return CreateEx(0, TOOLTIPS_CLASSA, nullptr, WS_POPUP | style, CW_USEDEFAULT, CW_USEDEFAULT,
                    CW_USEDEFAULT, CW_USEDEFAULT, parent ? parent->m_hWnd : nullptr, nullptr);
}

void CToolTipCtrl::Activate(bool activate) { Send(m_hWnd, TTM_ACTIVATE, activate ? TRUE : FALSE); }

bool CToolTipCtrl::AddTool(CWnd* window, UINT textId, const RECT* rect, UINT_PTR toolId) {
    std::string text;
    if (!AfxLoadString(textId, text)) return false;
    return AddTool(window, text.c_str(), rect, toolId);  // the control keeps a copy
}

bool CToolTipCtrl::AddTool(CWnd* window, const char* text, const RECT* rect, UINT_PTR toolId) {
    if (!window || !window->m_hWnd) return false;
    TTTOOLINFOA info = ToolInfo(window, toolId);
    if (rect) info.rect = *rect;
    else if (toolId != 0) ::GetClientRect(window->m_hWnd, &info.rect);
    info.lpszText = const_cast<char*>(text);
    return Send(m_hWnd, TTM_ADDTOOLA, 0, Ptr(&info)) != 0;
}

void CToolTipCtrl::DelTool(CWnd* window, UINT_PTR toolId) {
    TTTOOLINFOA info = ToolInfo(window, toolId);
    Send(m_hWnd, TTM_DELTOOLA, 0, Ptr(&info));
}

int CToolTipCtrl::GetToolCount() const { return static_cast<int>(Send(m_hWnd, TTM_GETTOOLCOUNT)); }

void CToolTipCtrl::RelayEvent(MSG* msg) { Send(m_hWnd, TTM_RELAYEVENT, 0, Ptr(msg)); }

int CToolTipCtrl::SetMaxTipWidth(int width) {
    return static_cast<int>(Send(m_hWnd, TTM_SETMAXTIPWIDTH, 0, width));
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* window, UINT_PTR toolId) {
    TTTOOLINFOA info = ToolInfo(window, toolId);
    info.lpszText = const_cast<char*>(text);
    Send(m_hWnd, TTM_UPDATETIPTEXTA, 0, Ptr(&info));
}

void CToolTipCtrl::UpdateTipText(UINT textId, CWnd* window, UINT_PTR toolId) {
    std::string text;
    if (AfxLoadString(textId, text)) UpdateTipText(text.c_str(), window, toolId);
}

// ---- CListCtrl ----

const CRuntimeClass CListCtrl::classCListCtrl = {"CListCtrl", sizeof(CListCtrl), &CWnd::classCWnd,
                                                 nullptr};

const CRuntimeClass* CListCtrl::GetRuntimeClass() const { return &classCListCtrl; }

bool CListCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    EnsureControlClasses(ICC_LISTVIEW_CLASSES);
    return CWnd::Create(WC_LISTVIEWA, nullptr, style, rect, parent, id);
}

int CListCtrl::InsertColumn(int column, const char* heading, int format, int width, int subItem) {
    LVCOLUMNA info = {};
    info.mask = LVCF_FMT | LVCF_TEXT;
    info.fmt = format;
    info.pszText = const_cast<char*>(heading);
    if (width != -1) {
        info.mask |= LVCF_WIDTH;
        info.cx = width;
    }
    if (subItem != -1) {
        info.mask |= LVCF_SUBITEM;
        info.iSubItem = subItem;
    }
    return InsertColumn(column, &info);
}

int CListCtrl::InsertColumn(int column, const LVCOLUMNA* info) {
    return static_cast<int>(Send(m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column), Ptr(info)));
}

bool CListCtrl::DeleteColumn(int column) {
    return Send(m_hWnd, LVM_DELETECOLUMN, static_cast<WPARAM>(column)) != 0;
}

bool CListCtrl::GetColumn(int column, LVCOLUMNA* info) const {
    return Send(m_hWnd, LVM_GETCOLUMNA, static_cast<WPARAM>(column), Ptr(info)) != 0;
}

bool CListCtrl::SetColumn(int column, const LVCOLUMNA* info) {
    return Send(m_hWnd, LVM_SETCOLUMNA, static_cast<WPARAM>(column), Ptr(info)) != 0;
}

int CListCtrl::GetColumnWidth(int column) const {
    return static_cast<int>(Send(m_hWnd, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

bool CListCtrl::SetColumnWidth(int column, int width) {
    return Send(m_hWnd, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(width, 0)) != 0;
}

bool CListCtrl::GetColumnOrderArray(int* order, int count) const {
    if (count == -1) count = static_cast<int>(Send(GetHeaderCtrl(), HDM_GETITEMCOUNT));
    if (count <= 0) return false;
    return Send(m_hWnd, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), Ptr(order)) != 0;
}

bool CListCtrl::SetColumnOrderArray(int count, const int* order) {
    return Send(m_hWnd, LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count), Ptr(order)) != 0;
}

int CListCtrl::InsertItem(const LVITEMA* item) {
    return static_cast<int>(Send(m_hWnd, LVM_INSERTITEMA, 0, Ptr(item)));
}

int CListCtrl::InsertItem(int index, const char* text) {
    return InsertItem(LVIF_TEXT, index, text, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(int index, const char* text, int image) {
    return InsertItem(LVIF_TEXT | LVIF_IMAGE, index, text, 0, 0, image, 0);
}

int CListCtrl::InsertItem(UINT mask, int index, const char* text, UINT state, UINT stateMask,
                          int image, LPARAM lParam) {
    LVITEMA item = {};
    item.mask = mask;
    item.iItem = index;
    item.pszText = const_cast<char*>(text);
    item.state = state;
    item.stateMask = stateMask;
    item.iImage = image;
    item.lParam = lParam;
    return InsertItem(&item);
}

bool CListCtrl::DeleteItem(int index) { return Send(m_hWnd, LVM_DELETEITEM, static_cast<WPARAM>(index)) != 0; }

bool CListCtrl::DeleteAllItems() { return Send(m_hWnd, LVM_DELETEALLITEMS) != 0; }

int CListCtrl::GetItemCount() const { return static_cast<int>(Send(m_hWnd, LVM_GETITEMCOUNT)); }

bool CListCtrl::SetItemText(int index, int subItem, const char* text) {
    LVITEMA item = {};
    item.iSubItem = subItem;
    item.pszText = const_cast<char*>(text);
    return Send(m_hWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), Ptr(&item)) != 0;
}

std::string CListCtrl::GetItemText(int index, int subItem) const {
    // The control copies at most the buffer's size and may leave it
    // unterminated when the text is longer: one byte more than the control
    // is told stays zero, and a full buffer means try a larger one.
    for (std::size_t size = 256;; size *= 2) {
        std::vector<char> buffer(size + 1, '\0');
        LVITEMA item = {};
        item.iSubItem = subItem;
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        Send(m_hWnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), Ptr(&item));
        const std::size_t length = strnlen(buffer.data(), size);
        if (length + 1 < size) return std::string(buffer.data(), length);
    }
}

DWORD_PTR CListCtrl::GetItemData(int index) const {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    if (!Send(m_hWnd, LVM_GETITEMA, 0, Ptr(&item))) return 0;
    return static_cast<DWORD_PTR>(item.lParam);
}

bool CListCtrl::SetItemData(int index, DWORD_PTR data) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = static_cast<LPARAM>(data);
    return Send(m_hWnd, LVM_SETITEMA, 0, Ptr(&item)) != 0;
}

UINT CListCtrl::GetItemState(int index, UINT mask) const {
    return static_cast<UINT>(Send(m_hWnd, LVM_GETITEMSTATE, static_cast<WPARAM>(index), mask));
}

bool CListCtrl::SetItemState(int index, UINT state, UINT mask) {
    LVITEMA item = {};
    item.state = state;
    item.stateMask = mask;
    return Send(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(index), Ptr(&item)) != 0;
}

int CListCtrl::GetNextItem(int start, int flags) const {
    return static_cast<int>(Send(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

UINT CListCtrl::GetSelectedCount() const { return static_cast<UINT>(Send(m_hWnd, LVM_GETSELECTEDCOUNT)); }

bool CListCtrl::EnsureVisible(int index, bool partialOk) {
    return Send(m_hWnd, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), partialOk ? TRUE : FALSE) != 0;
}

bool CListCtrl::SortItems(PFNLVCOMPARE compare, DWORD_PTR data) {
    return Send(m_hWnd, LVM_SORTITEMS, data, reinterpret_cast<LPARAM>(compare)) != 0;
}

int CListCtrl::FindItem(LVFINDINFOA* find, int start) const {
    return static_cast<int>(Send(m_hWnd, LVM_FINDITEMA, static_cast<WPARAM>(start), Ptr(find)));
}

int CListCtrl::HitTest(LVHITTESTINFO* info) const {
    return static_cast<int>(Send(m_hWnd, LVM_HITTEST, 0, Ptr(info)));
}

int CListCtrl::HitTest(POINT point, UINT* flags) const {
    LVHITTESTINFO info = {};
    info.pt = point;
    const int index = HitTest(&info);
    if (flags) *flags = info.flags;
    return index;
}

int CListCtrl::SubItemHitTest(LVHITTESTINFO* info) {
    return static_cast<int>(Send(m_hWnd, LVM_SUBITEMHITTEST, 0, Ptr(info)));
}

bool CListCtrl::GetItemRect(int index, RECT* rect, UINT area) const {
    rect->left = static_cast<LONG>(area);
    return Send(m_hWnd, LVM_GETITEMRECT, static_cast<WPARAM>(index), Ptr(rect)) != 0;
}

bool CListCtrl::GetSubItemRect(int index, int subItem, int area, RECT* rect) const {
    rect->top = subItem;
    rect->left = area;
    return Send(m_hWnd, LVM_GETSUBITEMRECT, static_cast<WPARAM>(index), Ptr(rect)) != 0;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
    return static_cast<DWORD>(Send(m_hWnd, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(style)));
}

DWORD CListCtrl::GetExtendedStyle() const {
    return static_cast<DWORD>(Send(m_hWnd, LVM_GETEXTENDEDLISTVIEWSTYLE));
}

HIMAGELIST CListCtrl::SetImageList(HIMAGELIST list, int which) {
    return reinterpret_cast<HIMAGELIST>(Send(m_hWnd, LVM_SETIMAGELIST, static_cast<WPARAM>(which), Ptr(list)));
}

HIMAGELIST CListCtrl::GetImageList(int which) const {
    return reinterpret_cast<HIMAGELIST>(Send(m_hWnd, LVM_GETIMAGELIST, static_cast<WPARAM>(which)));
}

HWND CListCtrl::GetHeaderCtrl() const { return reinterpret_cast<HWND>(Send(m_hWnd, LVM_GETHEADER)); }

int CListCtrl::GetTopIndex() const { return static_cast<int>(Send(m_hWnd, LVM_GETTOPINDEX)); }

int CListCtrl::GetCountPerPage() const { return static_cast<int>(Send(m_hWnd, LVM_GETCOUNTPERPAGE)); }

bool CListCtrl::RedrawItems(int first, int last) {
    return Send(m_hWnd, LVM_REDRAWITEMS, static_cast<WPARAM>(first), last) != 0;
}

bool CListCtrl::Scroll(SIZE size) { return Send(m_hWnd, LVM_SCROLL, static_cast<WPARAM>(size.cx), size.cy) != 0; }

bool CListCtrl::SetItemCount(int count, DWORD flags) {
    return Send(m_hWnd, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), static_cast<LPARAM>(flags)) != 0;
}
