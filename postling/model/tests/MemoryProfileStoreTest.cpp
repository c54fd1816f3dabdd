#include <gtest/gtest.h>

#include "postling/model/MemoryProfileStore.h"

TEST(MemoryProfileStore, NamesIgnoreCaseAndTypesDoNotMix) {
    MemoryProfileStore store;
    store.WriteString("\xCF\xE0\xEF\xEA\xE0", "Name", "a");  // "Папка"
    store.WriteInt("S", "Number", 7);
    EXPECT_EQ(store.GetString("\xEF\xE0\xEF\xEA\xE0", "NAME", ""), "a");
    EXPECT_EQ(store.GetString("S", "Number", "d"), "d");
    store.WriteString("s", "NUMBER", "text");  // replaces the integer
    EXPECT_EQ(store.GetInt("S", "Number", -1), -1);
}

TEST(MemoryProfileStore, DeleteTreeTakesTheSubtreeOnly) {
    MemoryProfileStore store;
    store.WriteString("Accounts\\Account 000\\Check periods", "Period 0", "0,9,0,18,0");
    store.WriteString("Accounts X", "Keep", "1");  // shares the prefix, not the key
    EXPECT_TRUE(store.DeleteTree("accounts"));
    EXPECT_FALSE(store.HasSection("Accounts\\Account 000\\Check periods"));
    EXPECT_TRUE(store.HasSection("Accounts X"));
    EXPECT_FALSE(store.DeleteTree("Accounts"));  // missing: false
}
