#include "foundation/cx_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "foundation/cx_elf_hash.h"

namespace {

using TextTable = CX_TTable<std::string, int, 31>;

uint32_t SameBucketForAll(const std::string&) { return 4; }

template <typename Action>
std::string ReportOf(Action action) {
  testing::internal::CaptureStderr();
  bool thrown = false;
  try {
    action();
  } catch (const CX_Exception&) {
    thrown = true;
  }
  std::string report = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(thrown) << "no CX_Exception";
  return report;
}

TEST(CxElfHash, MatchesValuesWorkedOutByHand) {
  EXPECT_EQ(CX_ElfHash(""), 0u);
  EXPECT_EQ(CX_ElfHash("a"), 97u);
  // (97 * 16 + 98) * 16 + 99
  EXPECT_EQ(CX_ElfHash("abc"), 26499u);
  // Bytes count as unsigned: 255 * 16 + 255.
  EXPECT_EQ(CX_ElfHash("\xff\xff"), 4335u);
  // Eight 0x01 bytes give 0x11111111; the top nibble 0x1 is folded into bits 4..7 (0x10) and
  // cleared: 0x01111101.
  EXPECT_EQ(CX_ElfHash(std::string(8, '\x01')), 0x01111101u);
  // One more: 0x11111011, fold 0x10, clear the top: 0x01111001.
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
  TextTable table(CX_ElfHash);
  table.Bind("abc", 1);  // 26499 % 31 == 25
  table.Bind("ab", 2);   // 1650 % 31 == 7
  EXPECT_EQ(table.ItemBucket(25).Length(), 1u);
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
  EXPECT_EQ(*table.ValueOf("three"), 3);
  EXPECT_EQ(table.ItemBucket(4).Length(), 2u);
  EXPECT_EQ(table.ValueBucket(4).Length(), 2u);
  EXPECT_EQ(table.ValueBucket(4)[1], 3);
  *table.ValueOf("three") = 30;
  EXPECT_EQ(*table.ValueOf("three"), 30);
}

TEST(CxTableBindings, HashFunctionSetLaterServesTheTable) {
  TextTable table;
  table.SetHashFunction(CX_ElfHash);
  EXPECT_TRUE(table.Bind("abc", 1));
  EXPECT_EQ(table.ItemBucket(25)[0], "abc");
}

TEST(CxTableChecks, OperationsWithoutAHashFunctionReportIsNull) {
  TextTable table;
  const TextTable& view = table;
  EXPECT_EQ(ReportOf([&] { table.Bind("k", 1); }),
            "Is_Null (who: CX_TTable::Bind, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { table.Rebind("k", 1); }),
            "Is_Null (who: CX_TTable::Rebind, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { table.Unbind("k"); }),
            "Is_Null (who: CX_TTable::Unbind, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { view.IsBound("k"); }),
            "Is_Null (who: CX_TTable::IsBound, what: object is null)\n");
  EXPECT_EQ(ReportOf([&] { view.ValueOf("k"); }),
            "Is_Null (who: CX_TTable::ValueOf, what: object is null)\n");
  EXPECT_EQ(table.Count(), 0u);
}

TEST(CxTableChecks, SecondHashFunctionReportsDuplicate) {
  TextTable table(CX_ElfHash);
  EXPECT_EQ(ReportOf([&] { table.SetHashFunction(SameBucketForAll); }),
            "Duplicate (who: CX_TTable::SetHashFunction, what: object already exists)\n");
  table.Bind("abc", 1);
  EXPECT_EQ(table.ItemBucket(25).Length(), 1u);  // still hashed with the first function
}

TEST(CxTableChecks, BucketIndexPastTheLastReportsRangeError) {
  TextTable table(CX_ElfHash);
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
  EXPECT_EQ(assigned.Count(), 2u);
  EXPECT_EQ(*assigned.ValueOf("b"), 3);
  assigned = *&assigned;
  EXPECT_EQ(assigned.Count(), 2u);
}

TEST(CxTableCopies, AssignmentFromATableWithoutHashFunctionReportsAndKeepsTheTarget) {
  TextTable table(CX_ElfHash);
  table.Bind("a", 1);
  TextTable empty;
  EXPECT_EQ(ReportOf([&] { table = empty; }),
            "Is_Null (who: CX_TTable::operator=, what: object is null)\n");
  EXPECT_EQ(*table.ValueOf("a"), 1);
}

}  // namespace
