#include <gtest/gtest.h>

#include <memory>

#include "RuleTestText.h"
#include "postling/message/Message.h"
#include "postling/message/Rule.h"

namespace {

CMessage Msg(const std::string& name, const std::string& address, const std::string& subject,
             const std::string& id = "") {
    CMessage m;
    m.m_strSenderName = name;
    m.m_strSenderAddress = address;
    m.m_strSubject = subject;
    m.m_strMessageId = id;
    return m;
}

bool Matches(std::int32_t field, const std::string& text, const CMessage& m) {
    return CRule(field, text, ReactionBlink).Match(m);
}

}  // namespace

TEST(RuleMatch, SenderEqualsNameOrAddressSubjectContainsIdIsExact) {
    CMessage m = Msg("Ivan Petrov", "ivan@mail.ru", Cp1251("Ежемесячный ОТЧЕТ за май"), "<Ab@h>");
    EXPECT_FALSE(Matches(RuleFieldSender, "ivan", m));  // equality, not containment
    EXPECT_TRUE(Matches(RuleFieldSender, "IVAN PETROV ", m));
    EXPECT_TRUE(Matches(RuleFieldSender, "  Ivan@Mail.RU", m));
    EXPECT_TRUE(Matches(RuleFieldSender, Cp1251("ПЁТР"), Msg(Cp1251("пётр"), "", "")));
    EXPECT_TRUE(Matches(RuleFieldSubject, Cp1251("отчет"), m));
    EXPECT_FALSE(Matches(RuleFieldSubject, "ivan", m));
    EXPECT_TRUE(Matches(RuleFieldMessageId, "<Ab@h>", m));
    EXPECT_FALSE(Matches(RuleFieldMessageId, "<ab@h>", m));
    EXPECT_FALSE(Matches(RuleFieldMessageId, "<Ab@h> ", m));
    for (std::int32_t field : {-2, 2, 99}) EXPECT_FALSE(Matches(field, "<Ab@h>", m)) << field;
}

TEST(RuleMatch, EmptyTextMatchesOnlyAnEmptyPartNeverEveryMessage) {
    CMessage full = Msg("", "a@b", "subject");
    EXPECT_FALSE(Matches(RuleFieldSubject, "   ", full));
    EXPECT_FALSE(Matches(RuleFieldSender, "", full));  // no display name, but an address
    EXPECT_FALSE(Matches(RuleFieldMessageId, "", full));
    EXPECT_TRUE(Matches(RuleFieldSubject, "", Msg("", "", "  ")));
    EXPECT_TRUE(Matches(RuleFieldSender, "", Msg(" ", "", "s")));
}

TEST(RuleList, CursorRemovalAndDeepCopy) {
    CRuleList list;
    CRule* a = list.AddTail(std::make_unique<CRule>(RuleFieldSender, "x", ReactionDefault));
    CRule* b = list.AddTail(std::make_unique<CRule>(RuleFieldSender, "x", ReactionMailer));
    CRule* c = list.AddTail(std::make_unique<CRule>(RuleFieldSubject, "s", ReactionTip));
    CMessage fromX = Msg("X", "x@y", "s");
    ASSERT_EQ(list.FindMatch(fromX), a);  // the first that matches
    list.InsertBefore(a, std::make_unique<CRule>(RuleFieldSubject, "-", 0));
    EXPECT_TRUE(list.RemoveRule(a, true));  // through the cursor, still valid
    EXPECT_EQ(list.GetMatch(), nullptr);
    ASSERT_EQ(list.FindMatch(fromX), b);
    EXPECT_TRUE(list.RemoveRule(c, false));  // by search; the caller owns c now
    EXPECT_EQ(list.GetMatch(), nullptr);
    EXPECT_FALSE(list.RemoveRule(c, true));  // no longer listed: left alone
    delete c;
    EXPECT_EQ(list.FindMatch(Msg("Z", "", "")), nullptr);

    CRuleList copy;
    copy.AddTail(std::make_unique<CRule>());
    copy.CopyFrom(list);
    ASSERT_EQ(copy.GetCount(), 2u);
    copy.GetAt(1)->m_strText = "changed";
    EXPECT_EQ(b->m_strText, "x");
    EXPECT_EQ(copy.GetAt(1)->m_nAction, ReactionMailer);
    list.CopyFrom(list);
    EXPECT_EQ(list.GetAt(1), b);

    for (int i = 0; i < 3; ++i) list.AddTail(std::make_unique<CRule>(RuleFieldSender, "X", i));
    while (CRule* rule = list.FindMatch(fromX)) ASSERT_TRUE(list.RemoveRule(rule, true));
    EXPECT_EQ(list.GetCount(), 1u);
}
