// Command targets and the command-UI object. A target finds its command
// handlers, and the update handlers that decide whether a command is
// enabled, checked or how its menu item reads, in its message maps.
#pragma once

#include <windows.h>

#include <string>

#include "FwExport.h"
#include "MessageMap.h"
#include "Object.h"

// The framework's standard command identifiers.
constexpr UINT ID_APP_ABOUT = 0xE140;     // 57664
constexpr UINT ID_APP_EXIT = 0xE141;      // 57665
constexpr UINT ID_HELP_INDEX = 0xE142;    // 57666
constexpr UINT ID_HELP_FINDER = 0xE143;   // 57667
constexpr UINT ID_HELP_USING = 0xE144;    // 57668
constexpr UINT ID_CONTEXT_HELP = 0xE145;  // 57669
constexpr UINT ID_HELP = 0xE146;          // 57670
constexpr UINT ID_DEFAULT_HELP = 0xE147;  // 57671

class CCmdTarget;

// The state of one command as an update handler sets it. Bound to a menu
// item (m_hMenu and m_nIndex), to a child control (m_hOther), or to
// neither, in which case it only records what the handler asked for.
class FW_API CCmdUI {
public:
    CCmdUI() = default;
    virtual ~CCmdUI();

    virtual void Enable(bool on = true);
    // 0 unchecked, 1 checked, 2 indeterminate (controls only; a menu item shows it checked).
    virtual void SetCheck(int check = 1);
    virtual void SetText(const char* text);

    // Runs the target's update handler for m_nID. With `disableIfNoHandler`,
    // a state the handler did not set (or no handler at all) becomes
    // enabled exactly when the command has a command handler. True when an
    // update handler ran.
    bool DoUpdate(CCmdTarget* target, bool disableIfNoHandler);

    UINT m_nID = 0;
    HMENU m_hMenu = nullptr;
    UINT m_nIndex = 0;
    HWND m_hOther = nullptr;

    // What the handlers asked for, whatever the CCmdUI is bound to.
    bool m_bEnableChanged = false;
    bool m_bEnabled = true;
    int m_nCheck = 0;
    bool m_bTextChanged = false;
    std::string m_strText;
};

// What OnCmdMsg is asked to do with a command.
enum class CmdAction {
    Execute,  // run its command handler
    Update,   // run its update handler on the CCmdUI
    Probe,    // only say whether it has a command handler
};

class FW_API CCmdTarget : public CObject {
public:
    CCmdTarget();
    ~CCmdTarget() override;

    // Looks the command up in the message maps of this target (Command and
    // Update entries). True when a handler of the asked kind exists (and,
    // for Execute and Update, ran). Derived targets pass commands they do
    // not handle on along their routing.
    virtual bool OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui = nullptr);

    // Whether the command is enabled now: by its update handler, else by
    // whether it has a command handler.
    bool IsCommandEnabled(UINT id);

    virtual const MessageMap* GetMessageMap() const;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCCmdTarget;
};
