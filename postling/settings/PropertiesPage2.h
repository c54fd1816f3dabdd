// The settings sheet's rules page "Уведомления": the user's rules as a
// table of field, text and reaction edited in place, their order (the first
// match wins), the reaction for all other messages, and the sound-scheme
// dialog. It works on its own copy of the rules, which whoever makes the
// page fills; the rule book changes only when the sheet applies the page.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/Controls.h"
#include "lumkit/LumDialogToolbar.h"
#include "lumkit/LumInplaceEditList.h"
#include "lumkit/LumPropertySheet.h"
#include "postling/message/Rule.h"
#include "postling/res/resource.h"

class CMessage;
class CRuleBook;
class CSounds;
class ProgramSettings;

class CPropertiesPage2 : public CLumPropertyPage {
public:
    enum { IDD = IDD_RULES_PAGE };

    // Applying writes into `book`. The sound button edits `sounds` and
    // `settings` in the sound-scheme dialog, whose stop and play
    // notifications go to `mainFrame`; without sounds it does nothing.
    CPropertiesPage2(CRuleBook& book, CSounds* sounds, ProgramSettings* settings, HWND mainFrame);
    ~CPropertiesPage2() override;

    // The working copy: the rules in table order and the default reaction
    // (1 to 5; shown clamped). Fill them before the page opens.
    CRuleList m_rules;
    std::int32_t m_nDefaultReaction = ReactionBlink;
    // Set by every edit, the default reaction's too; the page is applied
    // only when it is set.
    bool m_bChanged = false;

    // The working copy made from `book` (under its lock).
    void CopyRulesFrom(const CRuleBook& book);
    // Appends a rule for the message's sender address (kind 0) or subject
    // (kind 1) with the default reaction, selects it and opens its
    // reaction's editor.
    void AddRuleFromMessage(const CMessage& message, int kind);
    // When something changed: the working copy and the chosen default
    // reaction into `book` under its lock; the mark is cleared.
    void ApplyTo(CRuleBook& book);

    // Moves the rule of row `from` before the rule now in row `to`; at or
    // past the last row it goes to the end, below 0 counts as 0.
    void MoveRule(int from, int to);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPropertiesPage2;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    bool OnApply() override;
    // Ins, Del, Alt+Up and Alt+Down are the page's commands while no cell
    // is being edited.
    bool PreTranslateMessage(MSG* msg) override;

    void OnAdd();
    void OnDelete();
    void OnUp();
    void OnDown();
    void OnSounds();
    void OnDefaultChanged();
    void OnUpdateDelete(CCmdUI* ui);
    void OnUpdateUp(CCmdUI* ui);
    void OnUpdateDown(CCmdUI* ui);
    LRESULT OnEditFinished(WPARAM id, LPARAM result);
    LRESULT OnDragFinished(WPARAM row, LPARAM position);

private:
    int SelectedRow() const;
    CRule* RuleAt(int row) const;
    // The rule's row (inserted at the end when it has none) shows the rule;
    // returns the row.
    int FillRow(CRule* rule);
    int InsertRow(int row, CRule* rule);
    // Focus, fill, show, select and focus the rule's row; returns it.
    int ShowRule(CRule* rule);
    void MarkChanged();

    CRuleBook& m_book;
    CSounds* m_pSounds;
    ProgramSettings* m_pSettings;
    HWND m_hMainFrame;
    CLumDialogToolbar m_toolbar;
    CLumInplaceEditList m_list;
    CComboBox m_default;
};
