// The sound-scheme dialog: the sound of each of the five events (none, a
// melody of the melody file, a MIDI or a WAVE file), whether the tray menu
// stops all sounds, and how long a sound plays in silent mode. It works on
// copies; OK writes them back to the sounds and the program settings,
// Cancel drops them.
#pragma once

#include <windows.h>

#include <string>

#include "framework/ImageList.h"
#include "lumkit/LumDialog.h"
#include "lumkit/LumListCtrl.h"
#include "postling/res/resource.h"
#include "postling/sound/SoundSetting.h"

class CSounds;
class ProgramSettings;

// A file dialog filter written with '|' between its parts ("Text|*.txt||")
// as GetOpenFileName takes it: NUL between the parts, two at the end.
std::string FileDialogFilter(const std::string& text);

class CSoundSchemeDlg : public CLumDialog {
public:
    enum { IDD = IDD_SOUND_SCHEME };

    // `mainFrame` gets ID_STOP_SOUNDS from the stop button and the devices'
    // notifications of the sounds the play button starts.
    CSoundSchemeDlg(CSounds& sounds, ProgramSettings& settings, CWnd* parent, HWND mainFrame);
    ~CSoundSchemeDlg() override;

    // The copies the dialog works on, taken when it opens.
    SoundSettings m_records;
    UINT m_dwOptions = 0;  // only OPT_MUTE_ON_MENU goes back
    int m_nSilentDuration = 0;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCSoundSchemeDlg;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

    void OnItemChanged(NMHDR* header, LRESULT* result);
    void OnKind(UINT id);
    void OnMelodyChange();
    void OnMidiChange();
    void OnWaveChange();
    void OnBrowseMidi();
    void OnBrowseWave();
    void OnPlay();
    void OnStop();
    void OnUpdatePlay(CCmdUI* ui);

private:
    // The record of the selected row, or null.
    CSoundSetting* Current();
    // The selected row's record into the radio buttons and the control of
    // its kind; a melody that is not in the list loses its name.
    void ShowRecord();
    // The controls of `kind` enabled, the others' disabled (-1: all).
    void EnableKindControls(int kind);
    // The selected row's name, shown in its row.
    void SetName(const std::string& name);
    void ShowRow(int row);
    void ChangeName(int kind, int editId);
    void Browse(UINT filterId, const char* extension, int editId);

    CSounds& m_sounds;
    ProgramSettings& m_settings;
    HWND m_hMainFrame;
    CLumListCtrl m_list;
    CImageList m_images;
    HICON m_hPlay = nullptr;  // the pictures of the play and stop buttons
    HICON m_hStop = nullptr;
    int m_nRow = -1;          // the selected row (= event), -1 none
    bool m_bFilling = false;  // controls being filled: their notifications change nothing
};
