#include "CmdTarget.h"

#include "WinApp.h"

// ---- CCmdUI ----

CCmdUI::~CCmdUI() = default;

void CCmdUI::Enable(bool on) {
    m_bEnableChanged = true;
    m_bEnabled = on;
    if (m_hMenu) {
        EnableMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : (MF_DISABLED | MF_GRAYED)));
    } else if (m_hOther) {
        // A control losing the focus passes it on, so the keyboard does not get stuck.
        if (!on && GetFocus() == m_hOther) SendMessageA(GetParent(m_hOther), WM_NEXTDLGCTL, 0, FALSE);
        EnableWindow(m_hOther, on);
    }
}

void CCmdUI::SetCheck(int check) {
    m_nCheck = check;
    if (m_hMenu) {
        CheckMenuItem(m_hMenu, m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    } else if (m_hOther) {
        if (SendMessageA(m_hOther, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)
            SendMessageA(m_hOther, BM_SETCHECK, static_cast<WPARAM>(check), 0);
    }
}

void CCmdUI::SetText(const char* text) {
    m_bTextChanged = true;
    m_strText = text ? text : "";
    if (m_hMenu) {
        MENUITEMINFOA info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_STRING;
        info.dwTypeData = const_cast<char*>(m_strText.c_str());
        SetMenuItemInfoA(m_hMenu, m_nIndex, TRUE, &info);
    } else if (m_hOther) {
        char current[512];
        GetWindowTextA(m_hOther, current, sizeof(current));
        if (m_strText != current) SetWindowTextA(m_hOther, m_strText.c_str());
    }
}

bool CCmdUI::DoUpdate(CCmdTarget* target, bool disableIfNoHandler) {
    m_bEnableChanged = false;
    const bool known = target && target->OnCmdMsg(m_nID, CmdAction::Update, this);
    if (disableIfNoHandler && !m_bEnableChanged)
        Enable(target && target->OnCmdMsg(m_nID, CmdAction::Probe));
    return known;
}

// ---- Message maps ----

const MessageMapEntry* AfxFindMessageEntry(const MessageMap* map, MsgKind kind, UINT code, UINT id) {
    for (; map; map = map->base) {
        for (const MessageMapEntry* entry = map->entries; entry && entry->kind != MsgKind::End; ++entry) {
            if (entry->kind != kind) continue;
            switch (kind) {
            case MsgKind::Message:
            case MsgKind::ReflectCommand:
            case MsgKind::ReflectNotify:
            case MsgKind::ReflectMessage:
                if (entry->code == code) return entry;
                break;
            case MsgKind::Registered:
                if (entry->registered && *entry->registered == code && code != 0) return entry;
                break;
            case MsgKind::Command:
            case MsgKind::Update:
                if (id >= entry->firstId && id <= entry->lastId) return entry;
                break;
            case MsgKind::Control:
            case MsgKind::Notify:
                if (entry->code == code && id >= entry->firstId && id <= entry->lastId) return entry;
                break;
            case MsgKind::End:
                break;
            }
        }
    }
    return nullptr;
}

// ---- CCmdTarget ----

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", sizeof(CCmdTarget),
                                                   &CObject::classCObject, nullptr};

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const { return &classCCmdTarget; }

const MessageMapEntry CCmdTarget::messageEntries[] = {On::End()};
const MessageMap CCmdTarget::messageMap = {nullptr, CCmdTarget::messageEntries};

const MessageMap* CCmdTarget::GetMessageMap() const { return &messageMap; }

CCmdTarget::CCmdTarget() = default;
CCmdTarget::~CCmdTarget() = default;

bool CCmdTarget::OnCmdMsg(UINT id, CmdAction action, CCmdUI* ui) {
    const MsgKind kind = action == CmdAction::Update ? MsgKind::Update : MsgKind::Command;
    const MessageMapEntry* entry = AfxFindMessageEntry(GetMessageMap(), kind, 0, id);
    if (!entry) {
        // The application's help commands reach it from every target that
        // has no handler of its own (dialogs have no routing of their own).
        CWinApp* app = AfxGetApp();
        const bool appHelp = id == ID_HELP_FINDER || id == ID_HELP_INDEX || id == ID_DEFAULT_HELP;
        return appHelp && app && app != this && app->OnCmdMsg(id, action, ui);
    }
    if (action == CmdAction::Probe) return true;
    if (action == CmdAction::Update && !ui) return true;
    MsgCall call = {WM_COMMAND, id, 0, id, ui, 0};
    entry->thunk(this, call);
    return true;
}

bool CCmdTarget::IsCommandEnabled(UINT id) {
    CCmdUI state;
    state.m_nID = id;
    if (OnCmdMsg(id, CmdAction::Update, &state) && state.m_bEnableChanged) return state.m_bEnabled;
    return OnCmdMsg(id, CmdAction::Probe);
}
