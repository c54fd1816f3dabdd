// Times CLumListCtrl: filling 10,000 rows of six columns, sorting them by a
// text column, and the same sort when every comparison searches for both
// items (LVM_FINDITEM), as a list did before the texts were prepared once.
//   lumkit_list_sort_bench [ROWS]
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "framework/Wnd.h"
#include "lumkit/LumListCtrl.h"

namespace {

constexpr UINT kListId = 100;
constexpr int kColumns = 6;

// Finds both items on every comparison.
class SearchingList : public CLumListCtrl {
public:
    int CompareItems(LPARAM lParam1, LPARAM lParam2) override {
        char text1[256] = "";
        char text2[256] = "";
        Read(FindItemByData(lParam1), text1);
        Read(FindItemByData(lParam2), text2);
        const int result = lstrcmpA(text1, text2);
        return m_bSortDescending ? -result : result;
    }

private:
    void Read(int index, char (&text)[256]) {
        if (index < 0) return;
        LVITEMA item = {};
        item.iSubItem = m_nSortColumn;
        item.pszText = text;
        item.cchTextMax = 256;
        SendMessage(LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    }
};

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Subject-like texts from a fixed generator: the same rows on every run.
std::vector<std::vector<std::string>> MakeRows(int count) {
    static const char* const words[] = {"Re:", "Отчёт", "встреча", "invoice", "Счёт", "проект",
                                        "news", "Привет", "order", "письмо", "update", "итоги"};
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    std::vector<std::vector<std::string>> rows(static_cast<size_t>(count));
    for (auto& row : rows) {
        for (int c = 0; c < kColumns; ++c) {
            std::string text;
            for (int w = 0; w < 3; ++w) text += std::string(words[next() % 12]) + ' ';
            text += std::to_string(next());
            // Subjects are read in the ANSI code page; the sources are UTF-8.
            wchar_t wide[512];
            MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, wide, 512);
            char ansi[512];
            WideCharToMultiByte(CP_ACP, 0, wide, -1, ansi, 512, nullptr, nullptr);
            row.push_back(ansi);
        }
    }
    return rows;
}

void Fill(CLumListCtrl& list, const std::vector<std::vector<std::string>>& rows) {
    list.SendMessage(WM_SETREDRAW, FALSE);
    list.SetItemCount(static_cast<int>(rows.size()));
    for (size_t i = 0; i < rows.size(); ++i) {
        const int index = list.InsertItem(LVIF_TEXT | LVIF_PARAM, static_cast<int>(i), rows[i][0].c_str(), 0, 0,
                                          0, static_cast<LPARAM>(i + 1));
        for (int c = 1; c < kColumns; ++c) list.SetItemText(index, c, rows[i][static_cast<size_t>(c)].c_str());
    }
    list.SendMessage(WM_SETREDRAW, TRUE);
}

bool Make(CWnd& parent, CLumListCtrl& list) {
    const RECT rect = {0, 0, 600, 400};
    if (!list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, rect, &parent, kListId)) return false;
    list.m_bSaveColumns = FALSE;
    for (int c = 0; c < kColumns; ++c) list.InsertColumn(c, ("Колонка " + std::to_string(c)).c_str(), LVCFMT_LEFT, 90);
    return true;
}

std::vector<DWORD_PTR> Order(CLumListCtrl& list) {
    std::vector<DWORD_PTR> order;
    for (int i = 0; i < list.GetItemCount(); ++i) order.push_back(list.GetItemData(i));
    return order;
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const auto rows = MakeRows(count);
    CWnd parent;
    if (!parent.CreateEx(0, AfxRegisterWndClass(0), "ListSortBench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, CW_USEDEFAULT,
                         CW_USEDEFAULT, 620, 440, nullptr, nullptr)) {
        std::fprintf(stderr, "no window\n");
        return 1;
    }

    CLumListCtrl list;
    if (!Make(parent, list)) return 1;
    double start = Now();
    Fill(list, rows);
    const double fill = Now() - start;
    start = Now();
    list.SortItems(1, FALSE);
    const double sort = Now() - start;
    const auto prepared = Order(list);
    list.DestroyWindow();
    std::printf("rows: %d, columns: %d\n", count, kColumns);
    std::printf("fill: %.1f ms\n", fill);
    std::printf("sort (texts prepared once): %.1f ms\n", sort);
    std::printf("fill + sort: %.1f ms\n", fill + sort);
    std::fflush(stdout);

    SearchingList searching;
    if (!Make(parent, searching)) return 1;
    Fill(searching, rows);
    start = Now();
    searching.SortItems(1, FALSE);
    const double slow = Now() - start;
    std::printf("sort (LVM_FINDITEM per comparison): %.1f ms\n", slow);
    std::printf("same order: %s\n", Order(searching) == prepared ? "yes" : "NO");
    searching.DestroyWindow();
    parent.DestroyWindow();
    return 0;
}
