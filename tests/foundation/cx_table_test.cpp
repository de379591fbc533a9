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

  EXPECT_TRUE(table.Rebind("timeout", 0));
  EXPECT_EQ(*table.ValueOf("timeout"), 0);
  EXPECT_FALSE(table.Rebind("Timeout", 5));  // keys are case-sensitive and Rebind never binds

  EXPECT_TRUE(table.Unbind("timeout"));
  EXPECT_FALSE(table.Unbind("timeout"));
  EXPECT_EQ(table.ValueOf("timeout"), nullptr);
  EXPECT_EQ(table.Count(), 0u);
}

TEST(CxTableBindings, CollidingKeysKeepTheirOwnValuesThroughUnbind) {
  TextTable table(SameBucketForAll);
  table.Bind("one", 1);
  table.Bind("two", 2);
  table.Bind("three", 3);
  EXPECT_TRUE(table.Unbind("two"));
  EXPECT_EQ(*table.ValueOf("one"), 1);
  EXPECT_EQ(*table.ValueOf("three"), 3);
  EXPECT_EQ(table.ValueBucket(4).Length(), 2u);
}

TEST(CxTableChecks, MissingHashFunctionReportsIsNull) {
  TextTable table;
  EXPECT_EQ(ReportOf([&] { table.Bind("k", 1); }),
            "Is_Null (who: CX_TTable::Bind, what: object is null)\n");
  ExpectRejected([&] { table.ValueOf("k"); }, CX_Errors::TableValueOfNull);

  TextTable target(CX_ElfHash);
  target.Bind("a", 1);
  ExpectRejected([&] { target = table; }, CX_Errors::TableAssignNull);
  EXPECT_EQ(*target.ValueOf("a"), 1);
}

TEST(CxTableChecks, SecondHashFunctionAndBadBucketIndexAreReported) {
  TextTable table(CX_ElfHash);
  EXPECT_EQ(ReportOf([&] { table.SetHashFunction(SameBucketForAll); }),
            "Duplicate (who: CX_TTable::SetHashFunction, what: object already exists)\n");
  table.Bind("abc", 1);  // 26499 % 31 == 25: still hashed with the first function
  EXPECT_EQ(table.ItemBucket(25)[0], "abc");
  EXPECT_EQ(table.ValueBucket(25)[0], 1);
  ExpectRejected([&] { table.ItemBucket(31); }, CX_Errors::TableItemBucketRange);
}

TEST(CxTableCopies, CopiesAreIndependent) {
  TextTable table(CX_ElfHash);
  table.Bind("a", 1);
  TextTable copy(table);
  copy.Rebind("a", 2);
  EXPECT_EQ(*table.ValueOf("a"), 1);
  TextTable assigned;
  assigned = copy;
  EXPECT_EQ(*assigned.ValueOf("a"), 2);
}

}  // namespace
