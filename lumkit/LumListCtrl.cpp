#include "lumkit/LumListCtrl.h"

#include "lumkit/LumResource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "framework/SysColorBitmap.h"
#include "framework/WinApp.h"
#include "lumkit/LumDialog.h"
#include "lumkit/LumPropertySheet.h"

namespace {

constexpr UINT kAscendingBitmap = IDB_LUM_SORT_ASCENDING;
constexpr UINT kDescendingBitmap = IDB_LUM_SORT_DESCENDING;
constexpr char kSection[] = "Settings";
constexpr long kMaxColumnWidth = 4096;
constexpr int kTextMax = 256;  // 255 characters and the terminator

// The hourglass until the end of the scope.
class WaitCursor {
public:
    WaitCursor() : previous_(SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR previous_;
};

std::string EntryName(const char* prefix, UINT id) {
    char name[32];
    std::snprintf(name, sizeof name, "%s-%d", prefix, static_cast<int>(id));
    return name;
}

// Field `index` of "a,b,c,", empty when there are fewer.
std::string Field(const std::string& text, int index) {
    size_t start = 0;
    for (int i = 0; i < index; ++i) {
        start = text.find(',', start);
        if (start == std::string::npos) return {};
        ++start;
    }
    if (start >= text.size()) return {};
    return text.substr(start, text.find(',', start) - start);
}

std::string ItemText(HWND list, int index, int column) {
    char text[kTextMax] = "";
    if (index < 0) return text;
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = kTextMax;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    text[kTextMax - 1] = '\0';
    return text;
}

// The sort key of an ANSI text in the thread locale, as CompareStringA
// (and so lstrcmpA) compares it.
std::string SortKey(const std::string& text) {
    const LCID locale = GetThreadLocale();
    char buffer[4 * kTextMax];
    int size = LCMapStringA(locale, LCMAP_SORTKEY, text.c_str(), -1, buffer, sizeof buffer);
    if (size > 0) return std::string(buffer, static_cast<size_t>(size));
    size = LCMapStringA(locale, LCMAP_SORTKEY, text.c_str(), -1, nullptr, 0);
    std::string key(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0) LCMapStringA(locale, LCMAP_SORTKEY, text.c_str(), -1, &key[0], size);
    return key;
}

}  // namespace

const CRuntimeClass CLumListCtrl::classCLumListCtrl = {"CLumListCtrl", sizeof(CLumListCtrl),
                                                       &CListCtrl::classCListCtrl, nullptr};

const CRuntimeClass* CLumListCtrl::GetRuntimeClass() const { return &classCLumListCtrl; }

const MessageMapEntry CLumListCtrl::messageEntries[] = {
    On::Message<&CLumListCtrl::OnDestroy>(WM_DESTROY),
    On::End(),
};
const MessageMap CLumListCtrl::messageMap = {&CWnd::messageMap, CLumListCtrl::messageEntries};

const MessageMap* CLumListCtrl::GetMessageMap() const { return &messageMap; }

CLumListCtrl::CLumListCtrl()
    : m_hSortAscending(AfxLoadSysColorBitmap(MAKEINTRESOURCEA(kAscendingBitmap))),
      m_hSortDescending(AfxLoadSysColorBitmap(MAKEINTRESOURCEA(kDescendingBitmap))) {}

CLumListCtrl::~CLumListCtrl() {
    if (m_hSortAscending) DeleteObject(m_hSortAscending);
    if (m_hSortDescending) DeleteObject(m_hSortDescending);
}

void CLumListCtrl::EnableSort(BOOL enable, BOOL allowToggle) {
    m_bSortEnabled = enable;
    if (enable) {
        m_bAllowToggle = allowToggle;
        if (m_nSortColumn != -1) SortItems(-1, FALSE);
    } else {
        m_bAllowToggle = FALSE;
        m_bSortDescending = FALSE;
    }
}

int CLumListCtrl::FindItemByData(LPARAM data) {
    LVFINDINFOA find = {};
    find.flags = LVFI_PARAM;
    find.lParam = data;
    return FindItem(&find, -1);
}

int CLumListCtrl::CompareItems(LPARAM lParam1, LPARAM lParam2) {
    int result;
    if (m_pSortKeys) {
        // Sort keys compare as CompareString compares their strings, and
        // lstrcmpA is CompareStringA in the thread locale.
        auto it1 = m_pSortKeys->find(lParam1);
        auto it2 = m_pSortKeys->find(lParam2);
        const bool found1 = it1 != m_pSortKeys->end();
        const bool found2 = it2 != m_pSortKeys->end();
        const std::string none = found1 && found2 ? std::string() : SortKey(std::string());
        const int order = (found1 ? it1->second : none).compare(found2 ? it2->second : none);
        result = order < 0 ? -1 : order > 0 ? 1 : 0;
    } else {
        result = lstrcmpA(ItemText(m_hWnd, FindItemByData(lParam1), m_nSortColumn).c_str(),
                          ItemText(m_hWnd, FindItemByData(lParam2), m_nSortColumn).c_str());
    }
    return m_bSortDescending ? -result : result;
}

int CALLBACK CLumListCtrl::SortCallback(LPARAM lParam1, LPARAM lParam2, LPARAM list) {
    auto* self = reinterpret_cast<CLumListCtrl*>(list);
    if (self->m_pOwnerDialog) return self->m_pOwnerDialog->CompareItems(self, lParam1, lParam2);
    if (self->m_pOwnerPage) return self->m_pOwnerPage->CompareItems(self, lParam1, lParam2);
    return self->CompareItems(lParam1, lParam2);
}

void CLumListCtrl::SortItems(int column, BOOL descending) {
    WaitCursor wait;
    const int previous = m_nSortColumn;
    if (column >= 0) m_nSortColumn = column;
    if (m_nSortColumn == -1) return;
    HWND header = ::GetDlgItem(m_hWnd, 0);
    const int columns = header ? static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    if (m_nSortColumn >= columns) m_nSortColumn = columns - 1;
    if (m_nSortColumn < 0) m_nSortColumn = 0;

    m_bSortDescending = descending;
    SendMessage(WM_SETREDRAW, FALSE);
    const int count = GetItemCount();
    if (count > 1) {
        const LPARAM first = static_cast<LPARAM>(GetItemData(0));
        const LPARAM second = static_cast<LPARAM>(GetItemData(1));
        CWnd* parent = GetParent();
        if (parent && parent->IsKindOf(&CLumDialog::classCLumDialog)) {
            m_pOwnerDialog = static_cast<CLumDialog*>(parent);
            m_pOwnerDialog->CompareItems(this, first, second);
        }
        if (parent && parent->IsKindOf(&CLumPropertyPage::classCLumPropertyPage)) {
            m_pOwnerPage = static_cast<CLumPropertyPage*>(parent);
            m_pOwnerPage->CompareItems(this, first, second);
        }
        // Sort keys of the sort column's texts, made once instead of
        // searching for both items on every comparison.
        std::unordered_map<LPARAM, std::string> keys;
        keys.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const LPARAM data = static_cast<LPARAM>(GetItemData(i));
            if (keys.count(data)) continue;
            keys.emplace(data, SortKey(ItemText(m_hWnd, i, m_nSortColumn)));
        }
        m_pSortKeys = &keys;
        CListCtrl::SortItems(&CLumListCtrl::SortCallback, reinterpret_cast<DWORD_PTR>(this));
        m_pSortKeys = nullptr;
    }

    if (header) {
        HDITEMA item = {};
        if (previous != m_nSortColumn && previous >= 0) {
            item.mask = HDI_FORMAT;
            if (::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(previous), reinterpret_cast<LPARAM>(&item))) {
                item.fmt &= ~(HDF_BITMAP | HDF_BITMAP_ON_RIGHT);
                ::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(previous), reinterpret_cast<LPARAM>(&item));
            }
        }
        item = {};
        item.mask = HDI_FORMAT;
        ::SendMessageA(header, HDM_GETITEMA, static_cast<WPARAM>(m_nSortColumn), reinterpret_cast<LPARAM>(&item));
        item.mask = HDI_FORMAT | HDI_BITMAP;
        item.hbm = m_bSortDescending ? m_hSortDescending : m_hSortAscending;
        item.fmt |= HDF_BITMAP;
        if (item.fmt & HDF_RIGHT)
            item.fmt &= ~HDF_BITMAP_ON_RIGHT;
        else
            item.fmt |= HDF_BITMAP_ON_RIGHT;
        ::SendMessageA(header, HDM_SETITEMA, static_cast<WPARAM>(m_nSortColumn), reinterpret_cast<LPARAM>(&item));
    }
    SendMessage(WM_SETREDRAW, TRUE);
}

bool CLumListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const auto* header = reinterpret_cast<const NMHEADERA*>(lParam);
    if ((header->hdr.code == HDN_ITEMCLICKA || header->hdr.code == HDN_ITEMCLICKW) && m_bSortEnabled) {
        const BOOL descending =
            header->iItem == m_nSortColumn && m_bAllowToggle ? !m_bSortDescending : FALSE;
        SortItems(header->iItem, descending);
    }
    return CListCtrl::OnNotify(wParam, lParam, result);
}

void CLumListCtrl::OnDestroy() {
    if (m_bSaveColumns) SaveColumns();
    Default();
}

void CLumListCtrl::SaveColumns() {
    CWinApp* app = AfxGetApp();
    HWND header = ::GetDlgItem(m_hWnd, 0);
    if (!app || !header) return;
    const bool orders = (GetExtendedStyle() & LVS_EX_HEADERDRAGDROP) != 0;
    std::string widths;
    std::string order;
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < columns; ++i) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH | LVCF_ORDER;
        GetColumn(i, &column);
        widths += std::to_string(column.cx) + ',';
        if (orders) order += std::to_string(column.iOrder) + ',';
    }
    const UINT id = GetDlgCtrlID();
    app->WriteProfileString(kSection, EntryName("Columns", id).c_str(), widths.c_str());
    if (orders) app->WriteProfileString(kSection, EntryName("Order", id).c_str(), order.c_str());
}

void CLumListCtrl::LoadColumns() {
    CWinApp* app = AfxGetApp();
    HWND header = ::GetDlgItem(m_hWnd, 0);
    if (!app || !header) return;
    const UINT id = GetDlgCtrlID();
    const std::string widths = app->GetProfileString(kSection, EntryName("Columns", id).c_str(), "");
    if (widths.empty()) return;
    std::string order;
    if (GetExtendedStyle() & LVS_EX_HEADERDRAGDROP)
        order = app->GetProfileString(kSection, EntryName("Order", id).c_str(), "");
    const bool orders = !order.empty();

    struct Record {
        int column;
        int width;
        int order;
    };
    // strtol, unlike atoi, is defined past int's range. A width past any
    // screen hides the other columns: it counts as missing, as a negative one.
    const auto number = [](const std::string& field) {
        const long n = std::strtol(field.c_str(), nullptr, 10);
        return static_cast<int>(std::clamp<long>(n, -kMaxColumnWidth - 1, kMaxColumnWidth + 1));
    };
    std::vector<Record> records;
    const int columns = static_cast<int>(::SendMessageA(header, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < columns; ++i) {
        const std::string width = Field(widths, i);
        const std::string position = orders ? Field(order, i) : std::string();
        const int cx = width.empty() ? -1 : number(width);
        records.push_back({i, cx > kMaxColumnWidth ? -1 : cx, position.empty() ? 255 : number(position)});
    }
    if (orders) {
        std::stable_sort(records.begin(), records.end(), [](const Record& a, const Record& b) {
            return a.order != b.order ? a.order < b.order : a.width < b.width;
        });
        // Each column its place in the sorted sequence: positions stay a
        // permutation whatever was stored.
        for (size_t j = 0; j < records.size(); ++j) records[j].order = static_cast<int>(j);
    }
    for (const Record& record : records) {
        LVCOLUMNA column = {};
        column.mask = LVCF_WIDTH;
        column.cx = record.width > -1 ? record.width : GetColumnWidth(record.column);
        if (orders) {
            column.mask |= LVCF_ORDER;
            column.iOrder = record.order;
        }
        SetColumn(record.column, &column);
    }
}
