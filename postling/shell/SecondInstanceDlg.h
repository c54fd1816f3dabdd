// The notice a running copy shows when the program is started again: it is
// already running, and its menu is on the tray icon. Modeless, owned by the
// main frame, which opens it once and holds it until its window is gone.
#pragma once

#include <windows.h>

#include "lumkit/LumDialog.h"
#include "postling/res/resource.h"

class CSecondInstanceDlg : public CLumDialog {
public:
    enum { IDD = IDD_SECOND_INSTANCE };

    // `frame`: the main frame, which gets the settings command and whose
    // pointer to the notice ends with the window.
    explicit CSecondInstanceDlg(HWND frame);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCSecondInstanceDlg;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // The program's icon, and the notice in the middle of the desktop.
    bool OnInitDialog() override;
    // Clears the frame's pointer, then deletes the object.
    void PostNcDestroy() override;

    // "Настройки...": the settings command to the frame, and the notice goes.
    void OnSettings();

private:
    HWND m_hFrame;
};
