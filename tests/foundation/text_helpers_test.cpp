#include "foundation/text_helpers.h"

#include <gtest/gtest.h>

#include <string>

TEST(SplitHead, CutsAtTheFirstSeparator) {
  std::string text = "a:b:c";
  std::string head;
  EXPECT_TRUE(SplitHead(text, head, ':'));
  EXPECT_EQ(head, "a");
  EXPECT_EQ(text, "b:c");
}

TEST(SplitHead, SeparatorFirstGivesEmptyHeadAndDropsIt) {
  std::string text = ":x";
  std::string head = "stale";
  EXPECT_TRUE(SplitHead(text, head, ':'));
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "x");
}

TEST(SplitHead, NoSeparatorMovesTheWholeTextToTheHead) {
  std::string text = "abc";
  std::string head = "stale";
  EXPECT_FALSE(SplitHead(text, head, ':'));
  EXPECT_EQ(head, "abc");
  EXPECT_EQ(text, "");
}

TEST(SplitHead, SeparatorLastLeavesAnEmptyText) {
  std::string text = "ab:";
  std::string head;
  EXPECT_TRUE(SplitHead(text, head, ':'));
  EXPECT_EQ(head, "ab");
  EXPECT_EQ(text, "");
}

TEST(SplitHead, EmptyTextGivesEmptyHeadAndFalse) {
  std::string text;
  std::string head = "stale";
  EXPECT_FALSE(SplitHead(text, head, ':'));
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "");
}

TEST(SplitTail, CutsAtTheLastSeparator) {
  std::string text = "a:b:c";
  std::string head;
  EXPECT_TRUE(SplitTail(text, head, ':'));
  EXPECT_EQ(head, "a:b");
  EXPECT_EQ(text, "c");
}

TEST(SplitTail, StepsFromAPathToItsParent) {
  std::string text = "/home/user/data";
  std::string head;
  EXPECT_TRUE(SplitTail(text, head, '/'));
  EXPECT_EQ(head, "/home/user");
  EXPECT_EQ(text, "data");
  text = head;
  EXPECT_TRUE(SplitTail(text, head, '/'));
  EXPECT_EQ(head, "/home");
}

TEST(SplitTail, OnlySeparatorAtTheFrontGivesEmptyHead) {
  std::string text = ":x";
  std::string head = "stale";
  EXPECT_TRUE(SplitTail(text, head, ':'));
  EXPECT_EQ(head, "");
  EXPECT_EQ(text, "x");
}

TEST(SplitTail, NoSeparatorMovesTheWholeTextToTheHead) {
  std::string text = "abc";
  std::string head;
  EXPECT_FALSE(SplitTail(text, head, ':'));
  EXPECT_EQ(head, "abc");
  EXPECT_EQ(text, "");
}

TEST(SplitHead, NeverCutsInsideAMultibyteCharacter) {
  // "é" is C3 A9 and "日" is E6 97 A5: no byte of either is an ASCII separator.
  std::string text = "\xC3\xA9t\xC3\xA9/\xE6\x97\xA5/x";
  std::string head;
  EXPECT_TRUE(SplitHead(text, head, '/'));
  EXPECT_EQ(head, "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(text, "\xE6\x97\xA5/x");
}

TEST(CaseCopies, ChangeOnlyAsciiLetters) {
  const std::string mixed = "aZ09[`{@]\xC3\xA9\xC3\x89~";
  EXPECT_EQ(UppercaseCopy(mixed), "AZ09[`{@]\xC3\xA9\xC3\x89~");
  EXPECT_EQ(LowercaseCopy(mixed), "az09[`{@]\xC3\xA9\xC3\x89~");
}

TEST(CaseCopies, LeaveTheSourceUnchanged) {
  const std::string source = "MiXeD";
  EXPECT_EQ(UppercaseCopy(source), "MIXED");
  EXPECT_EQ(LowercaseCopy(source), "mixed");
  EXPECT_EQ(source, "MiXeD");
}

TEST(CaseCopies, ApplyInPlaceCoversTheWholeAlphabetAndKeepsNulBytes) {
  std::string text = "abcdefghijklmnopqrstuvwxyz";
  text += '\0';
  text += "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  CX_ApplyUppercase(text);
  EXPECT_EQ(text, std::string("ABCDEFGHIJKLMNOPQRSTUVWXYZ\0ABCDEFGHIJKLMNOPQRSTUVWXYZ", 53));
  CX_ApplyLowercase(text);
  EXPECT_EQ(text, std::string("abcdefghijklmnopqrstuvwxyz\0abcdefghijklmnopqrstuvwxyz", 53));
}

TEST(CxCopy, NullGivesEmptyText) {
  EXPECT_EQ(CX_Copy(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(CX_Copy("abc"), "abc");
  EXPECT_EQ(CX_Copy(std::string("x\0y", 3)), std::string("x\0y", 3));
}
