#include "Rule.h"

#include <cstdio>
#include <iterator>
#include <utility>

#include "Cp1251.h"
#include "Message.h"
#include "lumkit/LumText.h"
#include "postling/model/ProfileStore.h"

const char kRulesSection[] = "Rules";
const char kDefaultRuleEntry[] = "Default Rule";

namespace {

const char kFieldEntry[] = "Field";
const char kTextEntry[] = "Text";
const char kActionEntry[] = "Action";

// What rules compare: trimmed of blanks and upper-cased, Cyrillic included.
std::string Folded(const std::string& text) { return ToUpper1251(TrimSpaces(text)); }

}  // namespace

std::string RuleSection(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "Rules\\Rule %03d", index);
    return name;
}

// ---------------------------------------------------------------------------
// CRule

const CRuntimeClass CRule::classCRule = {"CRule", sizeof(CRule), &CObject::classCObject, nullptr};

const CRuntimeClass* CRule::GetRuntimeClass() const { return &classCRule; }

CRule::CRule() : m_nField(RuleFieldMessageId), m_nAction(ReactionDefault) {}

CRule::CRule(std::int32_t field, const std::string& text, std::int32_t action)
    : m_nField(field), m_nAction(action), m_strText(text) {}

CRule::CRule(const CRule& other) = default;
CRule& CRule::operator=(const CRule& other) = default;
CRule::~CRule() = default;

bool CRule::Match(const CMessage& message) const {
    switch (m_nField) {
    case RuleFieldMessageId:
        // An empty mark would catch every message without an identifier.
        return !m_strText.empty() && m_strText == message.m_strMessageId;
    case RuleFieldSender: {
        std::string text = Folded(m_strText);
        std::string name = Folded(message.m_strSenderName);
        std::string address = Folded(message.m_strSenderAddress);
        // An empty text stands for "no sender", not for "no display name".
        if (text.empty()) return name.empty() && address.empty();
        return text == name || text == address;
    }
    case RuleFieldSubject: {
        std::string text = Folded(m_strText);
        std::string subject = Folded(message.m_strSubject);
        // An empty text stands for "no subject", not for every message.
        if (text.empty()) return subject.empty();
        return subject.find(text) != std::string::npos;
    }
    default:
        return false;
    }
}

bool CRule::Save(int index) const {
    ProfileStore& store = Profile();
    std::string section = RuleSection(index);
    bool ok = store.WriteInt(section, kFieldEntry, m_nField);
    ok = store.WriteString(section, kTextEntry, m_strText) && ok;
    ok = store.WriteInt(section, kActionEntry, m_nAction) && ok;
    return ok;
}

bool CRule::Load(int index) {
    ProfileStore& store = Profile();
    std::string section = RuleSection(index);
    // A stored value comes back whatever the default; a missing one does not.
    std::int32_t field = store.GetInt(section, kFieldEntry, -1);
    if (field != store.GetInt(section, kFieldEntry, 0)) return false;
    m_nField = field;
    m_strText = store.GetString(section, kTextEntry, std::string());
    m_nAction = store.GetInt(section, kActionEntry, ReactionDefault);
    return true;
}

// ---------------------------------------------------------------------------
// CRuleList

CRuleList::CRuleList() : m_posMatch(m_rules.end()), m_pMatch(nullptr) {}

CRuleList::~CRuleList() = default;

CRule* CRuleList::GetAt(std::size_t index) const {
    if (index >= m_rules.size()) return nullptr;
    auto it = m_rules.begin();
    std::advance(it, index);
    return it->get();
}

int CRuleList::IndexOf(const CRule* rule) const {
    int index = 0;
    for (const auto& each : m_rules) {
        if (each.get() == rule) return index;
        ++index;
    }
    return -1;
}

CRule* CRuleList::AddTail(std::unique_ptr<CRule> rule) {
    if (!rule) return nullptr;
    m_rules.push_back(std::move(rule));
    return m_rules.back().get();
}

CRule* CRuleList::InsertBefore(const CRule* before, std::unique_ptr<CRule> rule) {
    if (!rule) return nullptr;
    auto it = m_rules.begin();
    while (it != m_rules.end() && it->get() != before) ++it;
    return m_rules.insert(it, std::move(rule))->get();
}

CRule* CRuleList::FindMatch(const CMessage& message) {
    for (auto it = m_rules.begin(); it != m_rules.end(); ++it) {
        if ((*it)->Match(message)) {
            m_posMatch = it;
            m_pMatch = it->get();
            return m_pMatch;
        }
    }
    ClearCursor();
    return nullptr;
}

const CRule* CRuleList::FirstMatch(const CMessage& message) const {
    for (const auto& rule : m_rules)
        if (rule->Match(message)) return rule.get();
    return nullptr;
}

bool CRuleList::RemoveRule(CRule* rule, bool deleteIt) {
    if (!rule) return false;
    List::iterator it;
    if (m_pMatch == rule) {
        it = m_posMatch;
    } else {
        it = m_rules.begin();
        while (it != m_rules.end() && it->get() != rule) ++it;
    }
    ClearCursor();
    if (it == m_rules.end()) return false;
    std::unique_ptr<CRule> owned = std::move(*it);
    m_rules.erase(it);
    if (!deleteIt) (void)owned.release();  // the caller owns it now
    return true;
}

void CRuleList::RemoveAll() {
    ClearCursor();
    m_rules.clear();
}

void CRuleList::CopyFrom(const CRuleList& other) {
    if (&other == this) return;  // RemoveAll first would lose them all
    RemoveAll();
    for (const auto& rule : other.m_rules) m_rules.push_back(std::make_unique<CRule>(*rule));
}

void CRuleList::Swap(CRuleList& other) {
    m_rules.swap(other.m_rules);
    ClearCursor();
    other.ClearCursor();
}

void CRuleList::ClearCursor() {
    m_posMatch = m_rules.end();
    m_pMatch = nullptr;
}
