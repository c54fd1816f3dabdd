#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "RuleTestText.h"
#include "postling/message/Message.h"
#include "postling/message/RuleBook.h"
#include "postling/model/MemoryProfileStore.h"

namespace {

CMessage From(const std::string& sender, const std::string& subject = "") {
    CMessage m;
    m.m_strSenderAddress = sender;
    m.m_strSubject = subject;
    return m;
}

class RuleBookTest : public ::testing::Test {
protected:
    void SetUp() override { SetProfileStore(&store); }
    void TearDown() override { SetProfileStore(nullptr); }

    void Add(std::int32_t field, const std::string& text, std::int32_t action) {
        rules.AddTail(std::make_unique<CRule>(field, text, action));
    }
    void StoreRule(int index, std::int32_t field, const std::string& text, std::int32_t action) {
        store.WriteInt(RuleSection(index), "Field", field);
        store.WriteString(RuleSection(index), "Text", text);
        store.WriteInt(RuleSection(index), "Action", action);
    }
    void Reload() {
        book.LoadRules();
        book.GetRules(rules, defaultReaction);
    }

    MemoryProfileStore store;
    CRuleBook book;
    CRuleList rules;
    std::int32_t defaultReaction = 0;
};

}  // namespace

TEST_F(RuleBookTest, FirstMatchWinsEvenWithTheDefaultReaction) {
    Add(RuleFieldSender, "x@y", ReactionDefault);
    Add(RuleFieldSender, "x@y", ReactionMailer);
    Add(RuleFieldSubject, "junk", ReactionDelete);
    Add(RuleFieldSender, "big", 99);
    Add(RuleFieldSender, "neg", -5);
    book.SetRules(rules, ReactionTip);
    EXPECT_EQ(book.GetReaction(From("x@y")), ReactionTip);
    EXPECT_EQ(book.GetReaction(From("z@y", "JUNK")), ReactionDelete);
    EXPECT_TRUE(book.MatchesDeleteRule(From("z@y", "junk")));
    EXPECT_FALSE(book.MatchesDeleteRule(From("x@y", "junk")));  // an earlier rule decides
    EXPECT_EQ(book.GetReaction(From("big")), ReactionTip);      // unknown actions: the default
    EXPECT_FALSE(book.MatchesDeleteRule(From("neg")));
    book.SetRules(rules, 9);
    EXPECT_EQ(book.GetReaction(From("x@y")), ReactionMailer);   // the default, clamped
    book.SetRules(rules, -1);
    EXPECT_EQ(book.GetReaction(From("neg")), ReactionNone);
}

TEST_F(RuleBookTest, RoundTripAndSavingThreeAfterFiveLeavesExactlyThree) {
    Reload();  // a fresh profile
    EXPECT_TRUE(rules.IsEmpty());
    EXPECT_EQ(defaultReaction, ReactionBlink);

    const std::string odd("a\0\xFF\"\\ ", 6);
    for (int i = 0; i < 5; ++i) StoreRule(i, RuleFieldSender, "s" + std::to_string(i), i);
    StoreRule(1, RuleFieldSubject, Cp1251("Пётр"), ReactionDelete);
    StoreRule(3, RuleFieldSender, odd, ReactionTip);
    store.WriteInt("Rules\\Rule 004\\stray", "x", 1);
    store.WriteInt("Rules", "Default Rule", ReactionMailList);
    Reload();
    ASSERT_EQ(rules.GetCount(), 5u);
    rules.RemoveRule(rules.GetAt(0), true);
    rules.RemoveRule(rules.GetAt(3), true);
    book.SetRules(rules, defaultReaction);
    ASSERT_TRUE(book.SaveRules());

    EXPECT_EQ(store.GetInt("Rules", "Default Rule", 0), ReactionMailList);
    EXPECT_EQ(store.GetInt("Rules\\Rule 000", "Field", 0), RuleFieldSubject);
    EXPECT_EQ(store.GetString("Rules\\Rule 000", "Text", ""), Cp1251("Пётр"));
    EXPECT_EQ(store.GetInt("Rules\\Rule 000", "Action", 0), ReactionDelete);
    EXPECT_EQ(store.GetString("Rules\\Rule 002", "Text", ""), odd);
    EXPECT_EQ(store.ValueCount("Rules\\Rule 002"), 3u);
    EXPECT_FALSE(store.HasSection("Rules\\Rule 003"));
    EXPECT_FALSE(store.HasSection("Rules\\Rule 004"));
}

TEST_F(RuleBookTest, HostileStoredValuesLoadWithoutLosingRules) {
    StoreRule(0, 7, "unknown field", ReactionTip);
    StoreRule(1, RuleFieldMessageId, "<id@x>", ReactionDelete);  // a negative field is kept
    store.WriteInt(RuleSection(2), "Field", RuleFieldSubject);    // no text, no action
    StoreRule(3, RuleFieldSender, "after", 1000);
    store.WriteString(RuleSection(4), "Field", "1");              // not an integer: the end
    StoreRule(5, RuleFieldSender, "beyond the end", 2);
    store.WriteString("Rules", "Default Rule", "3");               // wrong type: current kept
    Reload();
    ASSERT_EQ(rules.GetCount(), 4u);
    EXPECT_EQ(rules.GetAt(2)->m_nAction, ReactionDefault);
    EXPECT_EQ(defaultReaction, ReactionBlink);
    EXPECT_EQ(book.GetReaction(From("after", "unknown field")), ReactionBlink);

    ASSERT_TRUE(book.SaveRules());  // written back as they were
    EXPECT_EQ(store.GetInt(RuleSection(0), "Field", 0), 7);
    EXPECT_EQ(store.GetInt(RuleSection(3), "Action", 0), 1000);
    EXPECT_FALSE(store.HasSection(RuleSection(4)));
}

TEST_F(RuleBookTest, DeletionMarks) {
    EXPECT_FALSE(book.AddMark(""));
    EXPECT_TRUE(book.AddMark("<a@x>"));
    EXPECT_TRUE(book.AddMark("<a@x>"));
    EXPECT_TRUE(book.AddMark("<b@x>"));
    EXPECT_EQ(book.GetMarkCount(), 2u);
    EXPECT_FALSE(book.HasMark("<A@x>"));
    EXPECT_TRUE(book.RemoveMark("<a@x>"));
    EXPECT_FALSE(book.RemoveMark("<a@x>"));
    book.ReplaceMarks({"<c@x>", "", "<c@x>", "<d@x>"});
    EXPECT_EQ(book.GetMarkCount(), 2u);
    EXPECT_FALSE(book.HasMark("<b@x>"));
    ASSERT_TRUE(book.SaveRules());
    EXPECT_FALSE(store.HasSection(RuleSection(0)));  // marks are never stored
}

TEST_F(RuleBookTest, ReadersAndWritersOnSeveralThreads) {
    std::atomic<bool> stop{false};
    std::thread reader([&] {
        for (CMessage m = From("x@y", "news"); !stop; book.HasMark("<1@x>"))
            ASSERT_GE(book.GetReaction(m), ReactionBlink);
    });
    for (int i = 0; i < 300; ++i) {
        Add(RuleFieldSubject, i % 2 ? "NEWS" : "none", ReactionTip);
        book.SetRules(rules, ReactionBlink);
        book.ReplaceMarks({"<1@x>", "<2@x>"});
        book.RemoveMark("<2@x>");
    }
    stop = true;
    reader.join();
    EXPECT_EQ(book.GetMarkCount(), 1u);
}
