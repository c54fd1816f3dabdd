// The About box: the program's name, version and copyright, and two links
// that write to the authors. Modeless and without an owner; the main frame
// opens it once and holds it until its window is gone.
#pragma once

#include <windows.h>

#include "lumkit/LumDialog.h"
#include "lumkit/LumHyperLink.h"
#include "postling/res/resource.h"

class CAboutDlg : public CLumDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    // `frame`: the main frame, whose pointer to the box ends with the window.
    explicit CAboutDlg(HWND frame);

    CLumHyperLink m_linkVarnek;
    CLumHyperLink m_linkSoltu;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCAboutDlg;

protected:
    // The window's icons and the links' targets.
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Clears the frame's pointer, then deletes the object.
    void PostNcDestroy() override;

private:
    HWND m_hFrame;
};
