// The status bar: the common status control ("msctls_statusbar32") as a
// control bar along the bottom of its frame, in panes. The frame's message
// pane is pane 0; the indicator panes show a string each (their
// identifier's), sized to it, while their update handler has them enabled.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "ControlBar.h"
#include "FwExport.h"

// Pane styles.
constexpr UINT SBPS_NORMAL = 0x0000;
constexpr UINT SBPS_NOBORDERS = SBT_NOBORDERS;
constexpr UINT SBPS_POPOUT = SBT_POPOUT;
// The pane's text is kept but not shown.
constexpr UINT SBPS_DISABLED = 0x04000000;
// The pane takes the width the others leave.
constexpr UINT SBPS_STRETCH = 0x08000000;

class FW_API CStatusBar : public CControlBar {
public:
    CStatusBar();
    ~CStatusBar() override;

    // Always at the bottom, never dragged; with a size grip when the
    // parent has a sizing border. A child of a frame joins its bars.
    bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_BOTTOM, UINT id = AFX_IDW_STATUS_BAR);

    // One pane for each identifier. ID_SEPARATOR: an empty pane; the first
    // of them is the message pane (no borders, stretching) and shows the
    // idle message. Any other: the string of that identifier, the pane
    // as wide as its text. False when a string is missing (its pane stays
    // empty).
    bool SetIndicators(const UINT* ids, int count);

    int GetCount() const { return static_cast<int>(m_panes.size()); }
    // ID_SEPARATOR also for an index out of range.
    UINT GetItemID(int index) const;
    // The first pane of identifier `id`, or -1.
    int CommandToIndex(UINT id) const;
    // Client coordinates.
    bool GetItemRect(int index, RECT* rect) const;
    // The pane's text, shown or not.
    std::string GetPaneText(int index) const;
    bool SetPaneText(int index, const char* text);
    // SBPS_* bits, and the width of the pane's text area.
    void GetPaneInfo(int index, UINT& id, UINT& style, int& width) const;
    void SetPaneInfo(int index, UINT id, UINT style, int width);
    UINT GetPaneStyle(int index) const;
    void SetPaneStyle(int index, UINT style);

    SIZE CalcFixedLayout(bool stretch, bool horz) override;
    // Update handlers of the indicator panes (never disabled for want of one).
    void OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler) override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCStatusBar;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    LRESULT OnSize(WPARAM wParam, LPARAM lParam);

private:
    struct Pane {
        UINT id;
        UINT style;
        int width;
        std::string text;
    };
    // The control's parts from the panes' widths; the stretching pane
    // takes what is left.
    void UpdateParts();
    // The control's text and drawing style of pane `index`.
    void ShowPane(int index);
    int TextWidth(const std::string& text) const;

    std::vector<Pane> m_panes;
};
