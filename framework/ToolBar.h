// The toolbar: the common toolbar control ("ToolbarWindow32") as a control
// bar. Its buttons come from a toolbar resource and the bitmap of the same
// name, both found along the resource chain; their enabled and checked
// states follow the frame's update handlers at idle time.
//
// A toolbar resource (type RT_TOOLBAR, 241) is WORD version (1), WORD image
// width, WORD image height, WORD count, then count WORD command
// identifiers, 0 for a separator. windres's TOOLBAR statement writes the
// same as DWORDs without the version; LoadToolBar reads either. The
// bitmap holds the buttons' images side by side, in the order of the
// buttons, in the classic greys (SysColorBitmap.h); silver is transparent.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstddef>
#include <string>
#include <vector>

#include "ControlBar.h"
#include "FwExport.h"

#ifndef RT_TOOLBAR
#define RT_TOOLBAR MAKEINTRESOURCEA(241)
#endif

// A toolbar resource read.
struct FW_API CToolBarResource {
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<UINT> ids;  // ID_SEPARATOR for separators

    // Either format; false when the data is neither (or cut short).
    bool Parse(const void* data, std::size_t size);
};

class FW_API CToolBar : public CControlBar {
public:
    CToolBar();
    // Deletes the bitmap the images came from.
    ~CToolBar() override;

    // `ctrlStyle` TBSTYLE_* (the control's own); `style` WS_* and CBRS_*
    // bits (CBRS_TOOLTIPS gives the control its tooltips). A child of a
    // frame joins the frame's bars.
    bool CreateEx(CWnd* parent, DWORD ctrlStyle = TBSTYLE_FLAT,
                  DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);
    bool Create(CWnd* parent, DWORD style = WS_CHILD | WS_VISIBLE | CBRS_TOP, UINT id = AFX_IDW_TOOLBAR);

    // The toolbar resource and the bitmap `name`: sizes, images, buttons.
    bool LoadToolBar(UINT id) { return LoadToolBar(MAKEINTRESOURCEA(id)); }
    bool LoadToolBar(LPCSTR name);
    // The images from bitmap resource `name` (replacing those there were),
    // as wide as SetSizes said.
    bool LoadBitmap(LPCSTR name);
    // The buttons, in order; the n-th button that is no separator shows
    // image n.
    bool SetButtons(const UINT* ids, int count);
    // Button and image size; the button at least the image and (7, 6).
    void SetSizes(SIZE button, SIZE image);

    int GetCount() const;
    // ID_SEPARATOR for a separator; 0 also for an index out of range.
    UINT GetItemID(int index) const;
    // The first button of command `id`, or -1.
    int CommandToIndex(UINT id) const;
    // Client coordinates.
    bool GetItemRect(int index, RECT* rect) const;
    // TBSTATE_* of button `index` (0 out of range).
    UINT GetItemState(int index) const;
    void SetItemState(int index, UINT state);

    SIZE CalcFixedLayout(bool stretch, bool horz) override;
    void OnUpdateCmdUI(CFrameWnd* target, bool disableIfNoHandler) override;
    UINT HitTestCommand(POINT point) const override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCToolBar;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // A new side: buttons in a row or a column; CBRS_TOOLTIPS: tips on or off.
    void OnBarStyleChange(DWORD oldStyle, DWORD newStyle) override;
    // The tooltip: the text after "\n" of the command's prompt.
    void OnGetInfoTipA(NMHDR* header, LRESULT* result);
    void OnGetInfoTipW(NMHDR* header, LRESULT* result);

private:
    // Every button wraps (a column) or none does (a row).
    void SetOrientation(bool horz);
    bool TipText(UINT id, std::string& tip) const;

    HBITMAP m_hbmImageWell = nullptr;
    SIZE m_sizeImage = {16, 15};
};
