// Command targets and the command-UI object. A target keeps a table of
// command handlers, each optionally with an update handler that decides
// whether the command is enabled, checked or how its menu item reads.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "FwExport.h"
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

    // Runs the target's update handler for m_nID. A command with a handler
    // but no update handler is enabled; one with neither is disabled when
    // `disableIfNoHandler`, else left as it is. True when the target knew
    // the command.
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

class FW_API CCmdTarget : public CObject {
public:
    using CommandHandler = std::function<void()>;
    using RangeHandler = std::function<void(UINT id)>;
    using UpdateHandler = std::function<void(CCmdUI* ui)>;

    CCmdTarget();
    ~CCmdTarget() override;

    // Handlers of one command; a later registration of the same id replaces
    // the earlier one. An empty handler leaves that half unset.
    void AddCommand(UINT id, CommandHandler handler, UpdateHandler update = {});
    void AddUpdateHandler(UINT id, UpdateHandler update);
    // Handlers of every command first..last that has no handler of its own.
    void AddCommandRange(UINT first, UINT last, RangeHandler handler, UpdateHandler update = {});
    void RemoveCommand(UINT id);

    // With `ui` null, runs the command handler of `id`; otherwise runs its
    // update handler on `ui` (a command with only a command handler is
    // enabled). False when this target has no handler for `id`; derived
    // targets pass such commands on along their routing.
    virtual bool OnCmdMsg(UINT id, CCmdUI* ui);

    // Whether the command is enabled now, by its update handler (true when
    // it has none but a command handler; false when it is unknown).
    bool IsCommandEnabled(UINT id);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCCmdTarget;

private:
    struct Entry {
        CommandHandler command;
        UpdateHandler update;
    };
    struct Range {
        UINT last;
        RangeHandler command;
        UpdateHandler update;
    };
    std::map<UINT, Entry> m_commands;
    std::map<UINT, Range> m_ranges;  // by first id
};
