#include "CmdTarget.h"

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
    bool known = target && target->OnCmdMsg(m_nID, this);
    if (!known && disableIfNoHandler) Enable(false);
    return known;
}

// ---- CCmdTarget ----

const CRuntimeClass CCmdTarget::classCCmdTarget = {"CCmdTarget", sizeof(CCmdTarget),
                                                   &CObject::classCObject, nullptr};

const CRuntimeClass* CCmdTarget::GetRuntimeClass() const { return &classCCmdTarget; }

CCmdTarget::CCmdTarget() = default;
CCmdTarget::~CCmdTarget() = default;

void CCmdTarget::AddCommand(UINT id, CommandHandler handler, UpdateHandler update) {
    Entry& entry = m_commands[id];
    entry.command = std::move(handler);
    entry.update = std::move(update);
}

void CCmdTarget::AddUpdateHandler(UINT id, UpdateHandler update) {
    m_commands[id].update = std::move(update);
}

void CCmdTarget::AddCommandRange(UINT first, UINT last, RangeHandler handler, UpdateHandler update) {
    m_ranges[first] = Range{last, std::move(handler), std::move(update)};
}

void CCmdTarget::RemoveCommand(UINT id) { m_commands.erase(id); }

bool CCmdTarget::OnCmdMsg(UINT id, CCmdUI* ui) {
    auto it = m_commands.find(id);
    if (it != m_commands.end() && (it->second.command || it->second.update)) {
        const Entry& entry = it->second;
        if (!ui) {
            if (!entry.command) return false;
            // Copied: the handler may replace its own registration.
            CommandHandler command = entry.command;
            command();
            return true;
        }
        if (entry.update) {
            UpdateHandler update = entry.update;
            update(ui);
        } else {
            ui->Enable(true);
        }
        return true;
    }
    // The range that starts last at or before `id`, then earlier ones.
    for (auto range = m_ranges.upper_bound(id); range != m_ranges.begin();) {
        --range;
        if (id > range->second.last) continue;
        if (!ui) {
            if (!range->second.command) continue;
            RangeHandler command = range->second.command;
            command(id);
            return true;
        }
        if (range->second.update) {
            UpdateHandler update = range->second.update;
            update(ui);
        } else if (range->second.command) {
            ui->Enable(true);
        } else {
            continue;
        }
        return true;
    }
    return false;
}

bool CCmdTarget::IsCommandEnabled(UINT id) {
    CCmdUI state;
    state.m_nID = id;
    if (!OnCmdMsg(id, &state)) return false;
    return state.m_bEnabled;
}
