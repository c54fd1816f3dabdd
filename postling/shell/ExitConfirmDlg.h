// The question before the program ends, when the settings ask for it.
// Modeless and without an owner; the main frame opens it once and holds it
// until its window is gone.
#pragma once

#include <windows.h>

#include "lumkit/LumDialog.h"
#include "postling/res/resource.h"

class CExitConfirmDlg : public CLumDialog {
public:
    enum { IDD = IDD_EXIT_CONFIRM };

    // `frame`: the main frame, which gets the exit command and whose
    // pointer to the dialog ends with the window.
    explicit CExitConfirmDlg(HWND frame);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCExitConfirmDlg;

    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // The window's icons and the system's question icon.
    bool OnInitDialog() override;
    // Clears the frame's pointer, then deletes the object.
    void PostNcDestroy() override;

    // "Да": the framework's exit command to the frame; "Нет": nothing.
    // Both close the dialog.
    void OnYes();
    void OnNo();

private:
    HWND m_hFrame;
};
