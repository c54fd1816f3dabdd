#include "StatusBar.h"

#include <algorithm>

#include "FrameWnd.h"
#include "FrameworkIds.h"
#include "ResourceChain.h"

namespace {

constexpr int kTextPadding = 5;  // on either side of a pane's text, inside its borders
constexpr UINT kDrawStyles = SBPS_NOBORDERS | SBPS_POPOUT;

// The state of an indicator pane as an update handler sets it.
class CStatusCmdUI : public CCmdUI {
public:
    CStatusCmdUI(CStatusBar* bar, int index) : m_pBar(bar), m_nPane(index) {}

    void Enable(bool on) override {
        CCmdUI::Enable(on);
        Change(SBPS_DISABLED, on ? 0 : SBPS_DISABLED);
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        Change(SBPS_POPOUT, check ? SBPS_POPOUT : 0);
    }
    void SetText(const char* text) override {
        CCmdUI::SetText(text);
        if (m_pBar->GetPaneText(m_nPane) != m_strText) m_pBar->SetPaneText(m_nPane, m_strText.c_str());
    }

private:
    void Change(UINT mask, UINT bits) {
        const UINT style = m_pBar->GetPaneStyle(m_nPane);
        if ((style & mask) != bits) m_pBar->SetPaneStyle(m_nPane, (style & ~mask) | bits);
    }

    CStatusBar* m_pBar;
    int m_nPane;
};

}  // namespace

const CRuntimeClass CStatusBar::classCStatusBar = {"CStatusBar", sizeof(CStatusBar),
                                                   &CControlBar::classCControlBar, nullptr};

const CRuntimeClass* CStatusBar::GetRuntimeClass() const { return &classCStatusBar; }

const MessageMapEntry CStatusBar::messageEntries[] = {
    On::Message<&CStatusBar::OnSize>(WM_SIZE),
    On::End(),
};
const MessageMap CStatusBar::messageMap = {&CControlBar::messageMap, CStatusBar::messageEntries};

const MessageMap* CStatusBar::GetMessageMap() const { return &messageMap; }

CStatusBar::CStatusBar() = default;
CStatusBar::~CStatusBar() = default;

bool CStatusBar::Create(CWnd* parent, DWORD style, UINT id) {
    if (!parent || !parent->m_hWnd || m_hWnd) return false;
    INITCOMMONCONTROLSEX init = {sizeof(init), ICC_BAR_CLASSES};
    InitCommonControlsEx(&init);
    // The control keeps itself at its parent's bottom, as wide as the
    // parent, as tall as its font needs: the frame's layout agrees.
    style = (style & ~(CBRS_ALIGN_ANY | CBRS_BORDER_ANY | CBRS_GRIPPER)) | CBRS_ALIGN_BOTTOM;
    DWORD windowStyle = PrepareStyle(style) | WS_CHILD;
    if (parent->GetStyle() & WS_THICKFRAME) windowStyle |= SBARS_SIZEGRIP;
    if (!CWnd::CreateEx(0, STATUSCLASSNAMEA, nullptr, windowStyle, 0, 0, 0, 0, parent->m_hWnd,
                        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id))))
        return false;
    SetFont(static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    JoinFrame(parent);
    return true;
}

bool CStatusBar::SetIndicators(const UINT* ids, int count) {
    m_panes.clear();
    bool all = true;
    bool messagePane = false;
    for (int i = 0; i < count; ++i) {
        Pane pane = {ids[i], SBPS_NORMAL, 0, std::string()};
        if (pane.id == ID_SEPARATOR) {
            if (!messagePane) pane.style = SBPS_NOBORDERS | SBPS_STRETCH;
            messagePane = true;
        } else if (AfxLoadString(pane.id, pane.text)) {
            pane.width = TextWidth(pane.text);
        } else {
            all = false;
        }
        m_panes.push_back(pane);
    }
    if (!m_panes.empty() && m_panes[0].id == ID_SEPARATOR) AfxLoadString(AFX_IDS_IDLEMESSAGE, m_panes[0].text);
    UpdateParts();
    return all;
}

UINT CStatusBar::GetItemID(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<std::size_t>(index)].id : ID_SEPARATOR;
}

int CStatusBar::CommandToIndex(UINT id) const {
    for (int index = 0; index < GetCount(); ++index)
        if (m_panes[static_cast<std::size_t>(index)].id == id) return index;
    return -1;
}

bool CStatusBar::GetItemRect(int index, RECT* rect) const {
    return ::SendMessageA(m_hWnd, SB_GETRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(rect)) != 0;
}

std::string CStatusBar::GetPaneText(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<std::size_t>(index)].text : std::string();
}

bool CStatusBar::SetPaneText(int index, const char* text) {
    if (index < 0 || index >= GetCount()) return false;
    m_panes[static_cast<std::size_t>(index)].text = text ? text : "";
    ShowPane(index);
    return true;
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const {
    if (index < 0 || index >= GetCount()) {
        id = ID_SEPARATOR;
        style = SBPS_NORMAL;
        width = 0;
        return;
    }
    const Pane& pane = m_panes[static_cast<std::size_t>(index)];
    id = pane.id;
    style = pane.style;
    width = pane.width;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width) {
    if (index < 0 || index >= GetCount()) return;
    Pane& pane = m_panes[static_cast<std::size_t>(index)];
    pane.id = id;
    pane.style = style;
    pane.width = std::max(0, width);
    UpdateParts();
}

UINT CStatusBar::GetPaneStyle(int index) const {
    return index >= 0 && index < GetCount() ? m_panes[static_cast<std::size_t>(index)].style : SBPS_NORMAL;
}

void CStatusBar::SetPaneStyle(int index, UINT style) {
    if (index < 0 || index >= GetCount()) return;
    Pane& pane = m_panes[static_cast<std::size_t>(index)];
    const bool stretchChanged = ((pane.style ^ style) & SBPS_STRETCH) != 0;
    pane.style = style;
    if (stretchChanged) UpdateParts();
    else ShowPane(index);
}

int CStatusBar::TextWidth(const std::string& text) const {
    HDC dc = GetDC(m_hWnd);
    if (!dc) return 0;
    HGDIOBJ old = SelectObject(dc, GetFont() ? GetFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    SIZE size = {};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(m_hWnd, dc);
    return size.cx;
}

void CStatusBar::UpdateParts() {
    if (!m_hWnd) return;
    int borders[3] = {};  // horizontal, vertical, between parts
    SendMessage(SB_GETBORDERS, 0, reinterpret_cast<LPARAM>(borders));
    RECT client;
    GetClientRect(&client);
    int available = client.right - borders[0];
    if (GetStyle() & SBARS_SIZEGRIP) available -= GetSystemMetrics(SM_CXVSCROLL);
    int fixed = 0;
    for (const Pane& pane : m_panes) {
        const int border = (pane.style & SBPS_NOBORDERS) ? 0 : 2 * kTextPadding;
        if (!(pane.style & SBPS_STRETCH)) fixed += pane.width + border;
        fixed += borders[2];
    }
    std::vector<int> rights;
    int right = borders[0];
    for (const Pane& pane : m_panes) {
        const int border = (pane.style & SBPS_NOBORDERS) ? 0 : 2 * kTextPadding;
        right += (pane.style & SBPS_STRETCH) ? std::max(0, available - fixed) : pane.width + border;
        rights.push_back(right);
        right += borders[2];
    }
    // The last pane runs under the size grip, to the edge.
    if (!rights.empty()) rights.back() = -1;
    SendMessage(SB_SETPARTS, rights.size(), reinterpret_cast<LPARAM>(rights.data()));
    for (int index = 0; index < GetCount(); ++index) ShowPane(index);
}

void CStatusBar::ShowPane(int index) {
    if (!m_hWnd) return;
    const Pane& pane = m_panes[static_cast<std::size_t>(index)];
    const char* text = (pane.style & SBPS_DISABLED) ? "" : pane.text.c_str();
    SendMessage(SB_SETTEXTA, static_cast<WPARAM>(index) | (pane.style & kDrawStyles), reinterpret_cast<LPARAM>(text));
}

SIZE CStatusBar::CalcFixedLayout(bool stretch, bool) {
    RECT rect;
    GetWindowRect(&rect);
    SIZE size = {rect.right - rect.left, rect.bottom - rect.top};
    if (stretch && m_pDockSite) {
        RECT client;
        m_pDockSite->GetClientRect(&client);
        size.cx = client.right;
    }
    return size;
}

void CStatusBar::OnUpdateCmdUI(CFrameWnd* target, bool) {
    for (int index = 0; index < GetCount(); ++index) {
        const UINT id = m_panes[static_cast<std::size_t>(index)].id;
        if (id == ID_SEPARATOR) continue;
        CStatusCmdUI ui(this, index);
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(index);
        ui.DoUpdate(target, false);
    }
}

LRESULT CStatusBar::OnSize(WPARAM, LPARAM) {
    const LRESULT result = Default();
    UpdateParts();
    return result;
}
