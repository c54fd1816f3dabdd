// The program's rule state, shared by all threads: the user rules with the
// default reaction under the rules lock, and the deletion marks under the
// marks lock. Every member function takes the one lock it needs and releases
// it before returning, and none calls out while holding it, so the two locks
// are never held together; an account's lock may be held by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "Rule.h"

class CMessage;

class CRuleBook {
public:
    CRuleBook();
    CRuleBook(const CRuleBook&) = delete;
    CRuleBook& operator=(const CRuleBook&) = delete;

    // --- User rules (rules lock) ---

    // The reaction for a new message: the action of the first user rule that
    // matches, or the default reaction when none matches or that action is 0.
    // A stored action outside -1..5 counts as 0; a default outside 1..5 is
    // taken clamped into that range, as the rules page shows it.
    std::int32_t GetReaction(const CMessage& message) const;
    // True when the first user rule that matches has the action delete.
    bool MatchesDeleteRule(const CMessage& message) const;

    std::int32_t GetDefaultReaction() const;
    // A deep copy of the user rules and the default reaction (the rules
    // page's working copy).
    void GetRules(CRuleList& rules, std::int32_t& defaultReaction) const;
    // Replaces the user rules with a deep copy of `rules`, and the default
    // reaction (applying the rules page).
    void SetRules(const CRuleList& rules, std::int32_t defaultReaction);

    // Reads "Rules\Rule 000", "Rules\Rule 001", ... up to the first index with
    // no rule, then "Default Rule" (the current value when it is missing).
    void LoadRules();
    // Rewrites the "Rules" key whole: the rules numbered from 0 in list order,
    // then "Default Rule". False when a write failed.
    bool SaveRules() const;

    // --- Deletion marks (marks lock); never stored ---

    // Marks the message with this identifier for deletion on the server.
    // False for an empty identifier, which could not tell messages apart; a
    // second mark for the same identifier is not added.
    bool AddMark(const std::string& messageId);
    // Removes the first mark for this identifier; false when there is none.
    // Used to unmark, and after the marked message was deleted.
    bool RemoveMark(const std::string& messageId);
    bool HasMark(const std::string& messageId) const;
    // Replaces the marks with one for each identifier given (the rebuilt
    // message list's marked messages); empty identifiers are skipped.
    void ReplaceMarks(const std::vector<std::string>& messageIds);
    std::size_t GetMarkCount() const;

private:
    mutable std::mutex m_csRules;
    CRuleList m_rules;
    std::int32_t m_nDefaultReaction;

    mutable std::mutex m_csDeletions;
    CRuleList m_deletions;  // field -1, action -1, text = message identifier
};
