// What the tray main frame needs of the program: the accounts, the rules,
// the settings, the error list and the checking context it does not own,
// and the sounds. The application object implements it; tests give a fake.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <windows.h>

#include "postling/engine/ErrorRecord.h"
#include "postling/sound/SoundSetting.h"

class CAccountList;
class CRuleBook;
class CheckContext;
class ProgramSettings;
class SettingsWindow;

// The program's error records in arrival order; the list owns them.
using ErrorList = std::vector<std::unique_ptr<ErrorRecord>>;


class ShellHost {
public:
    virtual ~ShellHost();

    virtual CAccountList& GetAccounts() = 0;
    virtual CRuleBook& GetRules() = 0;
    virtual ProgramSettings& GetSettings() = 0;
    virtual ErrorList& GetErrors() = 0;
    virtual CheckContext& GetCheckContext() = 0;

    // Sounds (the player belongs to the application).
    virtual void PlaySoundEvent(SoundEvent event) = 0;
    virtual void StopAllSounds() = 0;
    virtual bool IsSilentMode() const = 0;
    virtual void SetSilentMode(bool on) = 0;
    // MM_MCINOTIFY reached the frame: the player closes a device that ended.
    virtual void OnMultimediaNotify(WPARAM wParam, LPARAM lParam) = 0;

    // Opens the settings sheet over `mainFrame`; `closed` is called once its
    // window is gone. Null when none could be made (the host's own: none).
    virtual SettingsWindow* OpenSettings(HWND mainFrame, std::function<void()> closed);
};
