// User rules and deletion marks: a rule compares one part of a message with
// its text and names a reaction; a rule list is ordered, owns its rules, and
// the first rule that matches decides.
#pragma once

#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "framework/Object.h"

class CMessage;

// Which part of a message a rule compares.
enum RuleField : std::int32_t {
    RuleFieldMessageId = -1,  // deletion marks only
    RuleFieldSender = 0,
    RuleFieldSubject = 1,
};

// Reaction codes; 2 to 5 are ordered by strength.
enum Reaction : std::int32_t {
    ReactionDelete = -1,   // delete on the server during the check
    ReactionDefault = 0,   // use the default reaction
    ReactionNone = 1,      // the message counts as seen
    ReactionBlink = 2,
    ReactionTip = 3,
    ReactionMailList = 4,
    ReactionMailer = 5,
};

// The rule list in the profile: "Rules\Rule 000", "Rules\Rule 001", ...
extern const char kRulesSection[];        // "Rules"
extern const char kDefaultRuleEntry[];    // "Default Rule", in kRulesSection
std::string RuleSection(int index);

class CRule : public CObject {
public:
    CRule();
    CRule(std::int32_t field, const std::string& text, std::int32_t action);
    CRule(const CRule& other);
    CRule& operator=(const CRule& other);
    ~CRule() override;

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCRule;

    // Field -1: the message identifier equals the text byte for byte.
    // Field 0: the trimmed, upper-cased text equals the sender name or address.
    // Field 1: the trimmed, upper-cased text occurs in the subject.
    // An empty text matches only a message whose compared part is empty too
    // (never, for an identifier); any other field never matches.
    bool Match(const CMessage& message) const;

    // Writes the rule under RuleSection(index); false when a write failed.
    bool Save(int index) const;
    // Reads the rule under RuleSection(index); false when there is no rule
    // there (no integer "Field"). Any stored field and action are kept as they
    // are: a field this program does not know never matches.
    bool Load(int index);

    std::int32_t m_nField;
    std::int32_t m_nAction;
    std::string m_strText;
};

// An ordered list that owns its rules, with a match cursor: the rule found by
// the last FindMatch. Not synchronised: the owner of a shared list locks it.
class CRuleList {
public:
    CRuleList();
    ~CRuleList();
    CRuleList(const CRuleList&) = delete;             // CopyFrom makes deep copies
    CRuleList& operator=(const CRuleList&) = delete;

    bool IsEmpty() const { return m_rules.empty(); }
    std::size_t GetCount() const { return m_rules.size(); }
    // The rule at `index`, or null past the end.
    CRule* GetAt(std::size_t index) const;
    // Position of `rule` in the list, or -1.
    int IndexOf(const CRule* rule) const;

    // Takes ownership. A null rule is ignored; returns the rule.
    CRule* AddTail(std::unique_ptr<CRule> rule);
    // Inserts before `before`, or at the tail when `before` is null or not in
    // the list. Takes ownership; returns the rule.
    CRule* InsertBefore(const CRule* before, std::unique_ptr<CRule> rule);

    // The first rule that matches, or null; the cursor is set to it (or cleared).
    CRule* FindMatch(const CMessage& message);
    // The same without touching the cursor.
    const CRule* FirstMatch(const CMessage& message) const;
    // The cursor: the rule of the last successful FindMatch, or null.
    CRule* GetMatch() const { return m_pMatch; }

    // Unlinks `rule` and deletes it when `deleteIt` (otherwise the caller owns
    // it from now on). False when it is not in the list. Clears the cursor.
    bool RemoveRule(CRule* rule, bool deleteIt);
    // Deletes every rule and clears the cursor.
    void RemoveAll();
    // Replaces the contents with deep copies of `other`'s rules, in order.
    void CopyFrom(const CRuleList& other);
    // Exchanges the contents with `other`; both cursors are cleared.
    void Swap(CRuleList& other);

private:
    using List = std::list<std::unique_ptr<CRule>>;

    void ClearCursor();

    List m_rules;
    // The cursor. Every removal clears it, so the position is always valid.
    List::iterator m_posMatch;
    CRule* m_pMatch;
};
