// The header view: the whole header of one message, as the server sent it,
// in a read-only box that fills a resizable window. Its context menu copies
// text, switches between a proportional and a fixed font, re-reads the
// header as KOI8-R (for Russian headers without a usable charset) and makes
// a rule from the message. Opened modally by the message list.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>

#include "framework/Controls.h"
#include "lumkit/LumDialog.h"
#include "postling/message/Rule.h"
#include "postling/res/resource.h"

class CMessage;

// The header's edit box: a context-menu request goes to its dialog, with
// the box's window and the screen point, instead of the box's own menu.
class CHeaderEdit : public CEdit {
public:
    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCHeaderEdit;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    LRESULT OnContextMenu(WPARAM wParam, LPARAM lParam);
};

class CHeaderDlg : public CLumDialog {
public:
    enum { IDD = IDD_HEADER };
    // The header shown is cut after this many characters.
    static constexpr std::size_t kMaxShown = 32000;

    // Makes a rule from the message for the field (sender or subject); the
    // opener decides whether it can, and opens the settings for it.
    using RuleHook = std::function<void(const CMessage& message, RuleField field)>;

    explicit CHeaderDlg(CWnd* parent = nullptr);
    ~CHeaderDlg() override;

    // Set before the dialog runs; not owned.
    const CMessage* m_pMessage = nullptr;
    // Null: the rule commands do nothing.
    RuleHook m_ruleHook;

    // The stored header, at most kMaxShown characters of it, read in the
    // chosen charset, into the box with nothing selected.
    void ShowHeaderText();

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCHeaderDlg;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void PostNcDestroy() override;

    LRESULT OnSize(WPARAM wParam, LPARAM lParam);
    void OnCopy();
    void OnSelectAll();
    void OnFontProportional();
    void OnFontFixed();
    void OnCharsetWin1251();
    void OnCharsetKoi8r();
    void OnRuleFromSender();
    void OnRuleFromSubject();
    void OnUpdateCopy(CCmdUI* ui);
    void OnUpdateFontProportional(CCmdUI* ui);
    void OnUpdateFontFixed(CCmdUI* ui);
    void OnUpdateCharsetWin1251(CCmdUI* ui);
    void OnUpdateCharsetKoi8r(CCmdUI* ui);

private:
    void SetFontMode(int mode);
    void SetCharset(int charset);
    void CreateRule(RuleField field);
    void DeleteFonts();

    CHeaderEdit m_edit;
    HFONT m_hProportionalFont = nullptr;  // a copy of the dialog's font
    HFONT m_hFixedFont = nullptr;         // the same as Courier New, Cyrillic, fixed pitch
    int m_nFontMode = 0;                  // 0 proportional, 1 fixed
    int m_nCharset = 0;                   // 0 Windows-1251, 1 KOI8-R
};
