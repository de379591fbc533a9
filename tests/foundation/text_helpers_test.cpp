#include "foundation/text_helpers.h"

#include <gtest/gtest.h>

#include <string>

TEST(SplitHeadAndTail, CutAtTheFirstOrLastSeparatorOrMoveTheWholeTextToTheHead) {
  const struct {
    bool (*split)(std::string&, std::string&, char);
    const char* text;
    bool found;
    const char* head;
    const char* rest;
  } rows[] = {
      {SplitHead, "a:b:c", true, "a", "b:c"}, {SplitHead, ":x", true, "", "x"},
      {SplitHead, "ab:", true, "ab", ""},     {SplitHead, "abc", false, "abc", ""},
      {SplitTail, "a:b:c", true, "a:b", "c"}, {SplitTail, "abc", false, "abc", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    std::string text = row.text;
    std::string head = "stale";
    EXPECT_EQ(row.split(text, head, ':'), row.found);
    EXPECT_EQ(head, row.head);
    EXPECT_EQ(text, row.rest);
  }
}

TEST(CaseCopies, ChangeOnlyAsciiLettersInCopiesAndInPlace) {
  const std::string mixed = "aZ09[`{@]\xC3\xA9\xC3\x89~";
  EXPECT_EQ(UppercaseCopy(mixed), "AZ09[`{@]\xC3\xA9\xC3\x89~");
  EXPECT_EQ(LowercaseCopy(mixed), "az09[`{@]\xC3\xA9\xC3\x89~");
  std::string text = mixed;
  CX_ApplyLowercase(text);
  EXPECT_EQ(text, LowercaseCopy(mixed));
}

TEST(CaseBlindEqualityAndTrimming, OnlyAsciiLettersFoldAndOnlyEdgeBlanksGo) {
  EXPECT_TRUE(EqualsIgnoringCase("Password", "pASSWORD"));
  EXPECT_FALSE(EqualsIgnoringCase("Password", "Passwords"));
  // Bytes of multibyte characters are compared as they are.
  EXPECT_FALSE(EqualsIgnoringCase("\xC3\xA9", "\xC3\x89"));
  EXPECT_TRUE(EqualsIgnoringCase("", ""));
  EXPECT_EQ(TrimmedBlanks(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimmedBlanks(" \n "), "");
}

TEST(CxCopy, NullGivesEmptyTextAndStringsAreCopiedWhole) {
  EXPECT_EQ(CX_Copy(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(CX_Copy("abc"), "abc");
}
