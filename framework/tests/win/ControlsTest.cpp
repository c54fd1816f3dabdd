// Control wrappers on real controls, image lists, menus, system-colour
// bitmaps and the framework DLL's own string table.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/FrameworkIds.h"
#include "framework/ImageList.h"
#include "framework/Menu.h"
#include "framework/ResourceChain.h"
#include "framework/SysColorBitmap.h"

namespace {

constexpr UINT kMissingId = 4711;
// In ControlsTest.rc.
constexpr UINT kStripBitmap = 4712;
constexpr UINT kTrayMenu = 4713;

// The colour at (x, y) after drawing `draw` on a green 16x16 bitmap.
template <typename Draw>
COLORREF PixelAfter(Draw draw, int x, int y) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, canvas);
    HBRUSH green = CreateSolidBrush(RGB(0, 0xFF, 0));
    const RECT all = {0, 0, 16, 16};
    FillRect(memory, &all, green);
    DeleteObject(green);
    draw(memory);
    const COLORREF color = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    return color;
}

// A hidden top-level window holding the controls of one test.
class Controls : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, nullptr, "controls", WS_OVERLAPPEDWINDOW, 0, 0, 500, 400, nullptr,
                                    nullptr));
    }
    CWnd parent;
    const RECT area = {0, 0, 480, 300};
};

class ListCtrlTest : public Controls {
protected:
    void SetUp() override {
        Controls::SetUp();
        ASSERT_TRUE(list.Create(LVS_REPORT | LVS_SHOWSELALWAYS | WS_VISIBLE, area, &parent, 100));
        ASSERT_EQ(list.InsertColumn(0, "Name", LVCFMT_LEFT, 120), 0);
        ASSERT_EQ(list.InsertColumn(1, "Size", LVCFMT_RIGHT, 60, 1), 1);
    }
    // Rows named by their data, in the order given.
    void Fill(const std::vector<int>& data) {
        for (int value : data) {
            const std::string name = "item" + std::to_string(value);
            const int index = list.InsertItem(LVIF_TEXT | LVIF_PARAM, list.GetItemCount(), name.c_str(), 0, 0,
                                              0, value);
            ASSERT_GE(index, 0);
            ASSERT_TRUE(list.SetItemText(index, 1, std::to_string(value * 10).c_str()));
        }
    }
    std::vector<DWORD_PTR> DataInOrder() const {
        std::vector<DWORD_PTR> data;
        for (int i = 0; i < list.GetItemCount(); ++i) data.push_back(list.GetItemData(i));
        return data;
    }
    CListCtrl list;
};

int CALLBACK CompareData(LPARAM a, LPARAM b, LPARAM descending) {
    const int order = a < b ? -1 : a > b ? 1 : 0;
    return descending ? -order : order;
}

TEST_F(ListCtrlTest, KeepsTextOfAnyLengthAndData) {
    Fill({1, 2});
    std::string longText(300, 'x');
    for (std::size_t i = 0; i < longText.size(); i += 7) longText[i] = static_cast<char>('a' + i % 26);
    ASSERT_TRUE(list.SetItemText(1, 0, longText.c_str()));
    EXPECT_EQ(list.GetItemText(1, 0), longText);
    EXPECT_EQ(list.GetItemText(0, 0), "item1");
    EXPECT_EQ(list.GetItemText(0, 1), "10");
    EXPECT_EQ(list.GetItemText(5, 0), "");  // no such item
    // Exactly the first buffer's size, and one less, both come back whole.
    for (std::size_t length : {255u, 256u, 511u}) {
        const std::string text(length, 'q');
        ASSERT_TRUE(list.SetItemText(0, 1, text.c_str()));
        EXPECT_EQ(list.GetItemText(0, 1), text) << length;
    }

    EXPECT_TRUE(list.SetItemData(0, 0xDEADBEEF));
    EXPECT_EQ(list.GetItemData(0), 0xDEADBEEFu);
    EXPECT_EQ(list.GetItemData(1), 2u);
    EXPECT_EQ(list.GetColumnWidth(0), 120);
    EXPECT_TRUE(list.SetColumnWidth(0, 150));
    EXPECT_EQ(list.GetColumnWidth(0), 150);
}

TEST_F(ListCtrlTest, SortsAndFindsByData) {
    Fill({3, 1, 4, 5, 2});
    ASSERT_TRUE(list.SortItems(CompareData, 0));
    EXPECT_EQ(DataInOrder(), (std::vector<DWORD_PTR>{1, 2, 3, 4, 5}));
    EXPECT_EQ(list.GetItemText(0, 0), "item1");  // text moves with the data
    EXPECT_EQ(list.GetItemText(4, 1), "50");
    ASSERT_TRUE(list.SortItems(CompareData, 1));
    EXPECT_EQ(DataInOrder(), (std::vector<DWORD_PTR>{5, 4, 3, 2, 1}));

    LVFINDINFOA byData = {};
    byData.flags = LVFI_PARAM;
    byData.lParam = 2;
    EXPECT_EQ(list.FindItem(&byData), 3);
    EXPECT_EQ(list.FindItem(&byData, 3), -1);  // searches after `start`, without wrapping
    byData.lParam = 99;
    EXPECT_EQ(list.FindItem(&byData), -1);
    LVFINDINFOA byText = {};
    byText.flags = LVFI_STRING;
    byText.psz = "item4";
    EXPECT_EQ(list.FindItem(&byText), 1);
}

TEST_F(ListCtrlTest, SelectionAndDeletion) {
    Fill({1, 2, 3, 4});
    EXPECT_EQ(list.GetSelectedCount(), 0u);
    ASSERT_TRUE(list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED));
    ASSERT_TRUE(list.SetItemState(3, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(list.GetSelectedCount(), 2u);
    EXPECT_EQ(list.GetItemState(1, LVIS_SELECTED), static_cast<UINT>(LVIS_SELECTED));
    EXPECT_EQ(list.GetItemState(2, LVIS_SELECTED), 0u);
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetNextItem(1, LVNI_SELECTED), 3);
    EXPECT_EQ(list.GetNextItem(3, LVNI_SELECTED), -1);
    ASSERT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));
    EXPECT_EQ(list.GetSelectedCount(), 0u);

    ASSERT_TRUE(list.DeleteItem(0));
    EXPECT_EQ(list.GetItemCount(), 3);
    EXPECT_EQ(list.GetItemData(0), 2u);
    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ListCtrlTest, ColumnsHeaderAndGeometry) {
    Fill({1, 2, 3});
    CHeaderCtrl header;
    ASSERT_TRUE(header.Attach(list.GetHeaderCtrl()));
    EXPECT_EQ(header.GetItemCount(), 2);
    char text[32] = {};
    HDITEMA item = {};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    ASSERT_TRUE(header.GetItem(1, &item));
    EXPECT_STREQ(text, "Size");
    EXPECT_EQ(item.cxy, 60);
    RECT first = {};
    RECT second = {};
    ASSERT_TRUE(header.GetItemRect(0, &first));
    ASSERT_TRUE(header.GetItemRect(1, &second));
    EXPECT_EQ(second.left, first.right);

    const int reversed[] = {1, 0};
    ASSERT_TRUE(list.SetColumnOrderArray(2, reversed));
    int order[2] = {-1, -1};
    ASSERT_TRUE(list.GetColumnOrderArray(order));
    EXPECT_EQ(order[0], 1);
    EXPECT_EQ(order[1], 0);

    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT;
    column.pszText = const_cast<char*>("Sender");
    ASSERT_TRUE(list.SetColumn(0, &column));
    column.pszText = text;
    column.cchTextMax = sizeof(text);
    ASSERT_TRUE(list.GetColumn(0, &column));
    EXPECT_STREQ(text, "Sender");
    ASSERT_TRUE(list.DeleteColumn(1));
    EXPECT_EQ(header.GetItemCount(), 1);
    header.Detach();  // the list's, not ours

    RECT row = {};
    ASSERT_TRUE(list.GetItemRect(2, &row, LVIR_BOUNDS));
    UINT flags = 0;
    EXPECT_EQ(list.HitTest({(row.left + row.right) / 2, (row.top + row.bottom) / 2}, &flags), 2);
    EXPECT_NE(flags & LVHT_ONITEM, 0u);
    EXPECT_EQ(list.GetTopIndex(), 0);
    EXPECT_GT(list.GetCountPerPage(), 3);

    const DWORD before = list.GetExtendedStyle();
    EXPECT_EQ(list.SetExtendedStyle(before | LVS_EX_FULLROWSELECT), before);
    EXPECT_EQ(list.GetExtendedStyle(), before | LVS_EX_FULLROWSELECT);
}

TEST_F(Controls, ComboBoxDropListSelectsByText) {
    CComboBox combo;
    ASSERT_TRUE(combo.Create(CBS_DROPDOWNLIST | WS_VSCROLL | WS_VISIBLE, {10, 10, 200, 200}, &parent, 101));
    for (const char* text : {"Alpha", "Beta", "Gamma"}) ASSERT_GE(combo.AddString(text), 0);
    EXPECT_EQ(combo.InsertString(0, "Zero"), 0);
    EXPECT_EQ(combo.GetCount(), 4);
    EXPECT_EQ(combo.GetCurSel(), CB_ERR);

    EXPECT_EQ(combo.SelectString(-1, "Be"), 2);  // by prefix
    EXPECT_EQ(combo.GetCurSel(), 2);
    std::string text;
    EXPECT_EQ(combo.GetLBText(combo.GetCurSel(), text), 4);
    EXPECT_EQ(text, "Beta");
    EXPECT_EQ(combo.GetLBText(9, text), CB_ERR);
    EXPECT_EQ(text, "");
    EXPECT_EQ(combo.FindStringExact(-1, "gamma"), 3);
    EXPECT_EQ(combo.FindStringExact(-1, "Gam"), CB_ERR);
    EXPECT_EQ(combo.SelectString(-1, "Omega"), CB_ERR);
    EXPECT_EQ(combo.GetCurSel(), 2);  // a failed search keeps the selection

    EXPECT_NE(combo.SetItemData(3, 77), CB_ERR);
    EXPECT_EQ(combo.GetItemData(3), 77u);
    EXPECT_FALSE(combo.GetDroppedState());
    EXPECT_EQ(combo.DeleteString(0), 3);
    EXPECT_EQ(combo.GetItemData(2), 77u);
    combo.ResetContent();
    EXPECT_EQ(combo.GetCount(), 0);
}

TEST_F(Controls, SpinButtonRangePositionAndBuddy) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(ES_NUMBER | WS_VISIBLE, {10, 10, 80, 30}, &parent, 102));
    CSpinButtonCtrl spin;
    ASSERT_TRUE(spin.Create(UDS_SETBUDDYINT | UDS_NOTHOUSANDS | WS_VISIBLE, {80, 10, 100, 30}, &parent, 103));
    spin.SetRange32(-5, 100000);
    int lower = 0;
    int upper = 0;
    spin.GetRange32(lower, upper);
    EXPECT_EQ(lower, -5);
    EXPECT_EQ(upper, 100000);

    EXPECT_EQ(spin.SetBuddy(edit.m_hWnd), nullptr);
    EXPECT_EQ(spin.GetBuddy(), edit.m_hWnd);
    spin.SetPos(70000);  // beyond 16 bits
    EXPECT_EQ(edit.GetWindowText(), "70000");
    edit.SetWindowText("42");
    bool error = true;
    EXPECT_EQ(spin.GetPos(&error), 42);  // read back from the buddy
    EXPECT_FALSE(error);

    spin.SetRange(0, 10);
    spin.GetRange32(lower, upper);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 10);
}

TEST_F(Controls, EditAndButton) {
    CEdit edit;
    ASSERT_TRUE(edit.Create(ES_MULTILINE | ES_AUTOVSCROLL | WS_VISIBLE, {10, 10, 200, 100}, &parent, 104));
    edit.SetWindowText("one\r\ntwo");
    EXPECT_EQ(edit.GetLineCount(), 2);
    edit.SetSel(0, 3);
    int start = -1;
    int end = -1;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);
    EXPECT_EQ(end, 3);
    edit.ReplaceSel("1");
    EXPECT_EQ(edit.GetWindowText(), "1\r\ntwo");
    EXPECT_TRUE(edit.SetReadOnly());
    EXPECT_NE(GetWindowLongA(edit.m_hWnd, GWL_STYLE) & ES_READONLY, 0);

    CButton check;
    ASSERT_TRUE(check.Create("check", BS_AUTO3STATE | WS_VISIBLE, {10, 120, 100, 140}, &parent, 105));
    EXPECT_EQ(check.GetButtonStyle(), static_cast<UINT>(BS_AUTO3STATE));
    check.SetCheck(BST_INDETERMINATE);
    EXPECT_EQ(check.GetCheck(), BST_INDETERMINATE);
    check.SetState(true);
    EXPECT_NE(check.GetState() & BST_PUSHED, 0u);
    check.SetButtonStyle(BS_AUTOCHECKBOX);
    EXPECT_EQ(check.GetButtonStyle(), static_cast<UINT>(BS_AUTOCHECKBOX));

    CStatic picture;
    ASSERT_TRUE(picture.Create(nullptr, SS_BITMAP | WS_VISIBLE, {10, 150, 50, 190}, &parent));
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 8, 8);
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(picture.SetBitmap(bitmap), nullptr);
    EXPECT_EQ(picture.GetBitmap(), bitmap);
    picture.DestroyWindow();
    DeleteObject(bitmap);
}

TEST_F(Controls, ToolTipToolsComeAndGo) {
    CButton button;
    ASSERT_TRUE(button.Create("b", BS_PUSHBUTTON | WS_VISIBLE, {10, 10, 60, 30}, &parent, 106));
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&parent, TTS_ALWAYSTIP));
    EXPECT_TRUE(tip.AddTool(&button, "whole button"));
    EXPECT_TRUE(tip.AddTool(&parent, AFX_IDP_PARSE_INT, nullptr, 7));  // text from the chain
    EXPECT_FALSE(tip.AddTool(&parent, kMissingId, nullptr, 8));
    EXPECT_EQ(tip.GetToolCount(), 2);
    tip.UpdateTipText("new text", &button);
    char text[64] = {};
    TTTOOLINFOA info = {};
    info.cbSize = TTTOOLINFOA_V2_SIZE;
    info.hwnd = parent.m_hWnd;
    info.uId = reinterpret_cast<UINT_PTR>(button.m_hWnd);
    info.lpszText = text;
    tip.SendMessage(TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&info));
    EXPECT_STREQ(text, "new text");
    tip.DelTool(&button);
    tip.DelTool(&parent, 7);
    EXPECT_EQ(tip.GetToolCount(), 0);
}

TEST(ImageList, ImagesFromAMemoryBitmap) {
    HDC screen = GetDC(nullptr);
    HBITMAP strip = CreateCompatibleBitmap(screen, 48, 16);  // three 16x16 images
    ReleaseDC(nullptr, screen);
    CImageList images;
    ASSERT_TRUE(images.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 4));
    EXPECT_FALSE(images.Create(16, 16, ILC_COLOR24, 0, 4));  // holds one already
    EXPECT_EQ(images.Add(strip, RGB(255, 0, 255)), 0);
    EXPECT_EQ(images.Add(strip, RGB(255, 0, 255)), 3);
    DeleteObject(strip);
    EXPECT_EQ(images.GetImageCount(), 6);
    IMAGEINFO info = {};
    ASSERT_TRUE(images.GetImageInfo(5, &info));
    EXPECT_EQ(info.rcImage.right - info.rcImage.left, 16);
    EXPECT_FALSE(images.GetImageInfo(6, &info));
    HICON icon = images.ExtractIcon(1);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(images.Add(icon), 6);
    DestroyIcon(icon);

    HIMAGELIST handle = images.Detach();
    EXPECT_EQ(images.GetSafeHandle(), nullptr);
    EXPECT_FALSE(images.DeleteImageList());
    CImageList other;
    ASSERT_TRUE(other.Attach(handle));
    EXPECT_EQ(other.GetImageCount(), 7);

    CImageList missing;
    EXPECT_FALSE(missing.Create(kMissingId, 16, 4, RGB(192, 192, 192)));
    EXPECT_EQ(missing.m_hImageList, nullptr);
}

TEST(ImageList, BitmapResourceInSystemColoursWithItsMaskMappedToo) {
    CImageList images;
    // Silver is the transparent colour, though it turns into COLOR_BTNFACE.
    ASSERT_TRUE(images.Create(kStripBitmap, 16, 2, RGB(0xC0, 0xC0, 0xC0)));
    EXPECT_EQ(images.GetImageCount(), 2);
    IMAGEINFO info = {};
    ASSERT_TRUE(images.GetImageInfo(1, &info));
    EXPECT_EQ(info.rcImage.bottom - info.rcImage.top, 16);
    const auto drawFirst = [&](HDC dc) { images.Draw(dc, 0, {0, 0}, ILD_TRANSPARENT); };
    EXPECT_EQ(PixelAfter(drawFirst, 5, 5), RGB(0, 0xFF, 0));
    EXPECT_EQ(PixelAfter(drawFirst, 0, 5), RGB(0xFF, 0, 0xFF));
    const auto drawSecond = [&](HDC dc) { images.Draw(dc, 1, {0, 0}, ILD_TRANSPARENT); };
    EXPECT_EQ(PixelAfter(drawSecond, 5, 5), GetSysColor(COLOR_BTNSHADOW));
    EXPECT_EQ(PixelAfter(drawSecond, 0, 5), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST(Menu, OwnsWhatItHolds) {
    CMenu missing;
    EXPECT_FALSE(missing.LoadMenu(kMissingId));
    EXPECT_EQ(missing.m_hMenu, nullptr);
    CMenu tray;
    ASSERT_TRUE(tray.LoadMenu(kTrayMenu));
    EXPECT_FALSE(tray.LoadMenu(kTrayMenu));  // holds one already
    HMENU popup = tray.GetSubMenu(0);
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(GetMenuItemCount(popup), 3);
    EXPECT_EQ(GetMenuItemID(popup, 2), 102u);

    HMENU handle;
    {
        CMenu menu;
        ASSERT_TRUE(menu.CreatePopupMenu());
        ASSERT_TRUE(menu.AppendMenu(MF_STRING, 10, "Ten"));
        ASSERT_TRUE(menu.AppendMenu(MF_SEPARATOR));
        CMenu sub;
        ASSERT_TRUE(sub.CreatePopupMenu());
        ASSERT_TRUE(sub.AppendMenu(MF_STRING, 20, "Twenty"));
        HMENU subHandle = sub.Detach();  // now the parent's
        ASSERT_TRUE(menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(subHandle), "More"));
        EXPECT_EQ(menu.GetMenuItemCount(), 3);
        EXPECT_EQ(menu.GetMenuItemID(0), 10u);
        EXPECT_EQ(menu.GetMenuItemID(2), static_cast<UINT>(-1));
        EXPECT_EQ(menu.GetSubMenu(2), subHandle);

        EXPECT_EQ(menu.CheckMenuItem(10, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
        EXPECT_EQ(menu.EnableMenuItem(20, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(MF_ENABLED));
        EXPECT_EQ(menu.EnableMenuItem(99, MF_BYCOMMAND | MF_GRAYED), static_cast<UINT>(-1));
        EXPECT_TRUE(menu.SetDefaultItem(10));
        EXPECT_EQ(menu.GetDefaultItem(), 10u);
        EXPECT_TRUE(menu.SetDefaultItem(2, true));
        EXPECT_EQ(menu.GetDefaultItem(0, true), 2u);
        handle = menu.m_hMenu;
        EXPECT_FALSE(menu.CreatePopupMenu());  // holds one already
    }
    EXPECT_FALSE(IsMenu(handle));
}

TEST(FrameworkResources, DllIsTheLastModuleOfTheChainOnce) {
    HMODULE framework = GetModuleHandleA("Framework.dll");
    ASSERT_NE(framework, nullptr);
    const std::vector<HINSTANCE> chain = AfxGetResourceChain();
    ASSERT_FALSE(chain.empty());
    EXPECT_EQ(chain.back(), framework);
    EXPECT_EQ(std::count(chain.begin(), chain.end(), framework), 1);
    EXPECT_EQ(AfxFindResourceHandle(MAKEINTRESOURCEA(AFX_IDP_PARSE_REAL_RANGE / 16 + 1), RT_STRING),
              framework);
}

TEST(FrameworkResources, PromptsInRussian) {
    const struct {
        UINT id;
        const wchar_t* text;
    } prompts[] = {
        {AFX_IDP_PARSE_INT, L"Введите целое число."},
        {AFX_IDP_PARSE_REAL, L"Введите число."},
        {AFX_IDP_PARSE_INT_RANGE, L"Введите целое число в диапазоне от %1 до %2."},
        {AFX_IDP_PARSE_REAL_RANGE, L"Введите число в диапазоне от %1 до %2."},
        {AFX_IDP_PARSE_STRING_SIZE, L"Введите не более %1 символов."},
        {AFX_IDP_PARSE_RADIO_BUTTON, L"Выберите одну из кнопок."},
        {AFX_IDP_PARSE_BYTE, L"Введите целое число от 0 до 255."},
        {AFX_IDP_PARSE_UINT, L"Введите положительное целое число."},
    };
    for (const auto& prompt : prompts) {
        std::string text;
        ASSERT_TRUE(AfxLoadString(prompt.id, text)) << prompt.id;
        std::wstring wide(text.size(), L'\0');
        wide.resize(static_cast<std::size_t>(MultiByteToWideChar(
            CP_ACP, 0, text.data(), static_cast<int>(text.size()), &wide[0], static_cast<int>(wide.size()))));
        EXPECT_EQ(wide, prompt.text) << prompt.id;
    }

    std::string range;
    ASSERT_TRUE(AfxLoadString(AFX_IDP_PARSE_REAL_RANGE, range));
    EXPECT_NE(range.find("%1"), std::string::npos);
    EXPECT_NE(range.find("%2"), std::string::npos);
    if (GetACP() == 1251) {  // "Введите число" in code page 1251
        EXPECT_EQ(range.rfind("\xC2\xE2\xE5\xE4\xE8\xF2\xE5 \xF7\xE8\xF1\xEB\xEE", 0), 0u);
    }
}

// A 5x1 16-colour DIB: black, dark grey, silver, white, red.
struct SmallDib {
    BITMAPINFOHEADER header;
    RGBQUAD colors[16];
    BYTE bits[4];
};

SmallDib MakeSmallDib() {
    SmallDib dib = {};
    dib.header.biSize = sizeof(dib.header);
    dib.header.biWidth = 5;
    dib.header.biHeight = 1;
    dib.header.biPlanes = 1;
    dib.header.biBitCount = 4;
    dib.header.biCompression = BI_RGB;
    dib.colors[0] = {0x00, 0x00, 0x00, 0};
    dib.colors[1] = {0x80, 0x80, 0x80, 0};
    dib.colors[2] = {0xC0, 0xC0, 0xC0, 0};
    dib.colors[3] = {0xFF, 0xFF, 0xFF, 0};
    dib.colors[4] = {0x00, 0x00, 0xFF, 0};  // blue, green, red
    dib.bits[0] = 0x01;
    dib.bits[1] = 0x23;
    dib.bits[2] = 0x40;
    return dib;
}

TEST(SysColorBitmap, GreysBecomeButtonColours) {
    EXPECT_EQ(AfxLoadSysColorBitmap(MAKEINTRESOURCEA(kMissingId)), nullptr);
    EXPECT_EQ(AfxLoadSysColorBitmap("NO_SUCH_BITMAP"), nullptr);

    HBITMAP strip = AfxLoadSysColorBitmap(MAKEINTRESOURCEA(kStripBitmap));
    ASSERT_NE(strip, nullptr);
    BITMAP size = {};
    GetObjectA(strip, sizeof(size), &size);
    EXPECT_EQ(size.bmWidth, 32);
    DeleteObject(strip);

    SmallDib dib = MakeSmallDib();
    EXPECT_EQ(AfxCreateSysColorBitmap(&dib, sizeof(dib) - 2), nullptr);  // pixels cut short
    HBITMAP bitmap = AfxCreateSysColorBitmap(&dib, sizeof(dib));
    ASSERT_NE(bitmap, nullptr);
    HDC memory = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const struct {
        int x;
        COLORREF expected;
    } pixels[] = {
        {0, GetSysColor(COLOR_BTNTEXT)},   {1, GetSysColor(COLOR_BTNSHADOW)},
        {2, GetSysColor(COLOR_BTNFACE)},   {3, GetSysColor(COLOR_BTNHIGHLIGHT)},
        {4, RGB(0xFF, 0x00, 0x00)},
    };
    for (const auto& pixel : pixels) EXPECT_EQ(GetPixel(memory, pixel.x, 0), pixel.expected) << pixel.x;
    SelectObject(memory, old);
    DeleteDC(memory);
    DeleteObject(bitmap);

    EXPECT_EQ(AfxMapSysColor(RGB(0xC0, 0xC0, 0xC0)), GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(AfxMapSysColor(RGB(0xFF, 0x00, 0xFF)), RGB(0xFF, 0x00, 0xFF));
}

}  // namespace
