// A row of flat icon buttons inside a static control of a dialog, built
// from a toolbar resource (or a bitmap and a list of command IDs). Its
// buttons act like the dialog's own: a click reaches the dialog as
// WM_COMMAND with the button's ID, and the dialog's update handlers enable
// them. Each button's tooltip is the string resource with its ID.
#pragma once

#include <windows.h>

#include <vector>

#include "framework/Controls.h"

class CLumFlatButton;
class CLumDialogToolbar;

// The command-UI object of the toolbar's buttons: Enable enables or
// disables the button at m_nIndex; check and text mean nothing here.
class CLumToolbarCmdUI : public CCmdUI {
public:
    void Enable(bool on = true) override;        // 301
    void SetCheck(int check = 1) override;       // 302
    void SetText(const char* text) override;     // 303

    CLumDialogToolbar* m_pToolbar = nullptr;
};

class CLumDialogToolbar : public CStatic {
public:
    CLumDialogToolbar();                                                    // 203
    ~CLumDialogToolbar() override;                                          // 204

    // The resource of type 241 named `name` (version, image width, image
    // height, count, then one ID a button, 0 for a separator; or the
    // resource compiler's TOOLBAR form) and the bitmap of the same name.
    // False when either is missing or unreadable.
    bool LoadToolbar(const char* name);                                     // 212
    // Buttons for `ids` (0: separator) laid out from the right edge, the
    // images cut from the bitmap `imageWidth` pixels apart. False when the
    // bitmap is missing or a button cannot be made (those made stay).
    bool LoadToolbar(const char* bitmapName, int imageWidth, const int* ids, int count);  // 211

    // WM_IDLEUPDATECMDUI: the buttons' state from the owner's update handlers.
    virtual void OnIdleUpdateCmdUI(BOOL disableIfNoHandler);                // 215
    virtual void UpdateButtons(CCmdTarget* target, BOOL disableIfNoHandler);  // 217

    bool PreTranslateMessage(MSG* msg) override;                            // 218

    int GetButtonCount() const { return static_cast<int>(m_buttons.size()); }
    CLumFlatButton* GetButton(int index) const {
        return index >= 0 && index < GetButtonCount() ? m_buttons[static_cast<std::size_t>(index)] : nullptr;
    }
    int GetSeparatorCount() const { return static_cast<int>(m_separators.size()); }

    const CRuntimeClass* GetRuntimeClass() const override;                  // 201
    static const CRuntimeClass classCLumDialogToolbar;                      // 200
    const MessageMap* GetMessageMap() const override;                       // 205
    static const MessageMap messageMap;                                     // 206
    static const MessageMapEntry messageEntries[];                          // 208

protected:
    // A button's click goes on to the toolbar's parent.
    bool OnCommand(WPARAM wParam, LPARAM lParam) override;                  // 214
    void OnPaint();                                                         // 216
    LRESULT OnIdleUpdateMessage(WPARAM wParam, LPARAM lParam);              // 213

private:
    std::vector<int> m_ids;            // one a button, left to right
    std::vector<int> m_separators;     // x of each separator line
    std::vector<CLumFlatButton*> m_buttons;
    std::vector<HICON> m_icons;
    int m_nButtonsLeft = 0;
    CToolTipCtrl m_tooltip;
};
