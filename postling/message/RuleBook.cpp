#include "RuleBook.h"

#include <algorithm>
#include <memory>
#include <set>

#include "Message.h"
#include "postling/model/ProfileStore.h"

namespace {

// A message that carries only an identifier, for looking up marks.
CMessage ProbeFor(const std::string& messageId) {
    CMessage probe;
    probe.m_strMessageId = messageId;
    return probe;
}

std::unique_ptr<CRule> NewMark(const std::string& messageId) {
    return std::make_unique<CRule>(RuleFieldMessageId, messageId, ReactionDelete);
}

}  // namespace

CRuleBook::CRuleBook() : m_nDefaultReaction(ReactionBlink) {}

// ---------------------------------------------------------------------------
// User rules

std::int32_t CRuleBook::GetReaction(const CMessage& message) const {
    std::lock_guard<std::mutex> lock(m_csRules);
    const CRule* rule = m_rules.FirstMatch(message);
    std::int32_t action = rule ? rule->m_nAction : ReactionDefault;
    if (action < ReactionDelete || action > ReactionMailer) action = ReactionDefault;
    if (action != ReactionDefault) return action;
    return std::clamp<std::int32_t>(m_nDefaultReaction, ReactionNone, ReactionMailer);
}

bool CRuleBook::MatchesDeleteRule(const CMessage& message) const {
    std::lock_guard<std::mutex> lock(m_csRules);
    const CRule* rule = m_rules.FirstMatch(message);
    return rule && rule->m_nAction == ReactionDelete;
}

std::int32_t CRuleBook::GetDefaultReaction() const {
    std::lock_guard<std::mutex> lock(m_csRules);
    return m_nDefaultReaction;
}

void CRuleBook::GetRules(CRuleList& rules, std::int32_t& defaultReaction) const {
    std::lock_guard<std::mutex> lock(m_csRules);
    rules.CopyFrom(m_rules);
    defaultReaction = m_nDefaultReaction;
}

void CRuleBook::SetRules(const CRuleList& rules, std::int32_t defaultReaction) {
    CRuleList copy;  // copied before the lock, so a copy of m_rules itself is safe
    copy.CopyFrom(rules);
    std::lock_guard<std::mutex> lock(m_csRules);
    m_rules.Swap(copy);
    m_nDefaultReaction = defaultReaction;
}

void CRuleBook::LoadRules() {
    CRuleList loaded;
    for (int index = 0;; ++index) {
        auto rule = std::make_unique<CRule>();
        if (!rule->Load(index)) break;
        loaded.AddTail(std::move(rule));
    }
    std::int32_t defaultReaction =
        Profile().GetInt(kRulesSection, kDefaultRuleEntry, GetDefaultReaction());
    std::lock_guard<std::mutex> lock(m_csRules);
    m_rules.Swap(loaded);
    m_nDefaultReaction = defaultReaction;
}

bool CRuleBook::SaveRules() const {
    CRuleList rules;
    std::int32_t defaultReaction;
    GetRules(rules, defaultReaction);  // the store is written outside the lock

    ProfileStore& store = Profile();
    store.DeleteTree(kRulesSection);  // false when there was none yet
    bool ok = true;
    for (std::size_t index = 0; index < rules.GetCount(); ++index)
        ok = rules.GetAt(index)->Save(static_cast<int>(index)) && ok;
    ok = store.WriteInt(kRulesSection, kDefaultRuleEntry, defaultReaction) && ok;
    return ok;
}

// ---------------------------------------------------------------------------
// Deletion marks

bool CRuleBook::AddMark(const std::string& messageId) {
    if (messageId.empty()) return false;
    CMessage probe = ProbeFor(messageId);
    std::lock_guard<std::mutex> lock(m_csDeletions);
    if (!m_deletions.FirstMatch(probe)) m_deletions.AddTail(NewMark(messageId));
    return true;
}

bool CRuleBook::RemoveMark(const std::string& messageId) {
    CMessage probe = ProbeFor(messageId);
    std::lock_guard<std::mutex> lock(m_csDeletions);
    CRule* mark = m_deletions.FindMatch(probe);
    return mark && m_deletions.RemoveRule(mark, true);
}

bool CRuleBook::HasMark(const std::string& messageId) const {
    CMessage probe = ProbeFor(messageId);
    std::lock_guard<std::mutex> lock(m_csDeletions);
    return m_deletions.FirstMatch(probe) != nullptr;
}

void CRuleBook::ReplaceMarks(const std::vector<std::string>& messageIds) {
    CRuleList marks;
    std::set<std::string> seen;
    for (const std::string& id : messageIds)
        if (!id.empty() && seen.insert(id).second) marks.AddTail(NewMark(id));
    std::lock_guard<std::mutex> lock(m_csDeletions);
    m_deletions.Swap(marks);
}  // the old marks are deleted here, after the lock is released

std::size_t CRuleBook::GetMarkCount() const {
    std::lock_guard<std::mutex> lock(m_csDeletions);
    return m_deletions.GetCount();
}
