// The errors window: the error records of the checks, each with the icon of
// its kind, and a state line that says whether any of them is an error.
// Modeless and without an owner; the main frame opens it once, fills it
// again whenever its error list changes, and holds it until its window is
// gone. It shows the list, never changes it.
#pragma once

#include <windows.h>

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "lumkit/LumDialog.h"
#include "postling/res/resource.h"

class CMainFrame;
class ErrorRecord;

class CErrorsDlg : public CLumDialog {
public:
    enum { IDD = IDD_ERRORS };

    // `frame`: the main frame, whose error list the window shows and whose
    // pointer to the window ends with it.
    explicit CErrorsDlg(CMainFrame* frame);

    // Rebuilds the list and the state line from the frame's error list.
    void Fill();

    // The record of list item `index`, or null.
    const ErrorRecord* GetRecord(int index) const;

    CStatic m_icon;    // state icon (1056)
    CWnd m_list;       // owner-drawn list box (1055), item data: the records
    CMainFrame* m_pFrame;  // not owned
    CImageList m_images;   // information, warning, error: by record kind

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCErrorsDlg;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // The kinds' icons, the controls, the list's context menu, the first fill.
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Clears the frame's pointer, then deletes the object.
    void PostNcDestroy() override;

    // Items are as tall as their wrapped text, and drawn with the kind's icon.
    LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
    LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    // The window menu's Close goes where the close button goes.
    LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
    // The selected record's text to the clipboard as plain text.
    void OnEditCopy();
    void OnUpdateEditCopy(CCmdUI* ui);

private:
    int GetCurSel() const;
};
