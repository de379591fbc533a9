#include "foundation/cx_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/cx_elf_hash.h"
#include "test_support.h"

namespace {

using TextTable = CX_TTable<std::string, int, 31>;

uint32_t SameBucketForAll(const std::string&) { return 4; }

TEST(CxElfHash, MatchesValuesWorkedOutByHand) {
  EXPECT_EQ(CX_ElfHash(""), 0u);
  EXPECT_EQ(CX_ElfHash("abc"), 26499u);      // (97 * 16 + 98) * 16 + 99
  EXPECT_EQ(CX_ElfHash("\xff\xff"), 4335u);  // bytes count as unsigned: 255 * 16 + 255
  // Eight 0x01 bytes give 0x11111111; the top nibble 0x1 is folded into bits 4..7 (0x10) and
  // cleared. One more byte: 0x11111011, fold 0x10, clear the top.
  EXPECT_EQ(CX_ElfHash(std::string(8, '\x01')), 0x01111101u);
  EXPECT_EQ(CX_ElfHash(std::string(9, '\x01')), 0x01111001u);
}

TEST(CxTableBindings, BindKeepsTheFirstValueRebindChangesItUnbindRemovesIt) {
  TextTable table(CX_ElfHash);
  EXPECT_TRUE(table.Bind("timeout", 8000));
  EXPECT_FALSE(table.Bind("timeout", 1));
  EXPECT_EQ(*table.ValueOf("timeout"), 8000);
  EXPECT_EQ(table.Count(), 1u);

  EXPECT_TRUE(table.Rebind("timeout", 0));
  EXPECT_EQ(*table.ValueOf("timeout"), 0);
  EXPECT_FALSE(table.Rebind("Timeout", 5));
  EXPECT_FALSE(table.IsBound("Timeout"));

  EXPECT_TRUE(table.Unbind("timeout"));
  EXPECT_FALSE(table.Unbind("timeout"));
  EXPECT_FALSE(table.IsBound("timeout"));
  EXPECT_EQ(table.ValueOf("timeout"), nullptr);
  EXPECT_EQ(table.Count(), 0u);
}

TEST(CxTableBindings, KeysGoToTheirHashBucketWithValuesAtTheSamePosition) {
  TextTable table;
  table.SetHashFunction(CX_ElfHash);
  table.Bind("abc", 1);  // 26499 % 31 == 25
  table.Bind("ab", 2);   // 1650 % 31 == 7
  EXPECT_EQ(table.ItemBucket(25)[0], "abc");
  EXPECT_EQ(table.ValueBucket(25)[0], 1);
  EXPECT_EQ(table.ItemBucket(7)[0], "ab");
  EXPECT_EQ(table.ValueBucket(7)[0], 2);
  uint32_t total = 0;
  for (uint32_t b = 0; b < 31; ++b) total += table.ItemBucket(b).Length();
  EXPECT_EQ(total, 2u);
}

TEST(CxTableBindings, CollidingKeysKeepTheirOwnValuesThroughUnbind) {
  TextTable table(SameBucketForAll);
  table.Bind("one", 1);
  table.Bind("two", 2);
  table.Bind("three", 3);
  EXPECT_TRUE(table.Unbind("two"));
  EXPECT_EQ(*table.ValueOf("one"), 1);
  EXPECT_EQ(table.ItemBucket(4).Length(), 2u);
  EXPECT_EQ(table.ValueBucket(4).Length(), 2u);
  EXPECT_EQ(table.ValueBucket(4)[1], 3);
  *table.ValueOf("three") = 30;
  EXPECT_EQ(*table.ValueOf("three"), 30);
}

TEST(CxTableChecks, MissingHashFunctionReportsIsNull) {
  auto is_null = [](const std::string& who) {
    return "Is_Null (who: CX_TTable::" + who + ", what: object is null)\n";
  };
  TextTable table;
  const TextTable& view = table;
  EXPECT_EQ(ReportOf([&] { table.Bind("k", 1); }), is_null("Bind"));
  EXPECT_EQ(ReportOf([&] { table.Rebind("k", 1); }), is_null("Rebind"));
  EXPECT_EQ(ReportOf([&] { table.Unbind("k"); }), is_null("Unbind"));
  EXPECT_EQ(ReportOf([&] { view.IsBound("k"); }), is_null("IsBound"));
  EXPECT_EQ(ReportOf([&] { view.ValueOf("k"); }), is_null("ValueOf"));
  EXPECT_EQ(table.Count(), 0u);

  TextTable target(CX_ElfHash);
  target.Bind("a", 1);
  EXPECT_EQ(ReportOf([&] { target = table; }), is_null("operator="));
  EXPECT_EQ(*target.ValueOf("a"), 1);
}

TEST(CxTableChecks, SecondHashFunctionAndBadBucketIndexAreReported) {
  TextTable table(CX_ElfHash);
  EXPECT_EQ(ReportOf([&] { table.SetHashFunction(SameBucketForAll); }),
            "Duplicate (who: CX_TTable::SetHashFunction, what: object already exists)\n");
  table.Bind("abc", 1);
  EXPECT_EQ(table.ItemBucket(25).Length(), 1u);  // still hashed with the first function
  EXPECT_EQ(ReportOf([&] { table.ItemBucket(31); }),
            "Range_Error (who: CX_TTable::ItemBucket, what: index is out of range)\n");
  EXPECT_EQ(ReportOf([&] { table.ValueBucket(31); }),
            "Range_Error (who: CX_TTable::ValueBucket, what: index is out of range)\n");
}

TEST(CxTableCopies, CopiesAreIndependent) {
  TextTable table(CX_ElfHash);
  table.Bind("a", 1);
  TextTable copy(table);
  copy.Rebind("a", 2);
  copy.Bind("b", 3);
  EXPECT_EQ(*table.ValueOf("a"), 1);
  EXPECT_FALSE(table.IsBound("b"));

  TextTable assigned;
  assigned = copy;
  assigned = *&assigned;
  EXPECT_EQ(assigned.Count(), 2u);
  EXPECT_EQ(*assigned.ValueOf("b"), 3);
}

}  // namespace
