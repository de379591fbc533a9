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
      {SplitHead, "", false, "", ""},         {SplitTail, "a:b:c", true, "a:b", "c"},
      {SplitTail, ":x", true, "", "x"},       {SplitTail, "abc", false, "abc", ""},
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

TEST(SplitHeadAndTail, NeverCutInsideAMultibyteCharacter) {
  // "é" is C3 A9 and "日" is E6 97 A5: no byte of either is an ASCII separator.
  std::string text = "\xC3\xA9t\xC3\xA9/\xE6\x97\xA5/x";
  std::string head;
  EXPECT_TRUE(SplitHead(text, head, '/'));
  EXPECT_EQ(head, "\xC3\xA9t\xC3\xA9");
  EXPECT_TRUE(SplitTail(text, head, '/'));
  EXPECT_EQ(head, "\xE6\x97\xA5");
  EXPECT_EQ(text, "x");
}

TEST(CaseCopies, ChangeOnlyAsciiLettersAndLeaveTheSourceUnchanged) {
  const std::string mixed = "aZ09[`{@]\xC3\xA9\xC3\x89~";
  EXPECT_EQ(UppercaseCopy(mixed), "AZ09[`{@]\xC3\xA9\xC3\x89~");
  EXPECT_EQ(LowercaseCopy(mixed), "az09[`{@]\xC3\xA9\xC3\x89~");
  EXPECT_EQ(mixed, "aZ09[`{@]\xC3\xA9\xC3\x89~");
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

TEST(CxCopy, NullGivesEmptyTextAndStringsAreCopiedWhole) {
  EXPECT_EQ(CX_Copy(static_cast<const char*>(nullptr)), "");
  EXPECT_EQ(CX_Copy("abc"), "abc");
  EXPECT_EQ(CX_Copy(std::string("x\0y", 3)), std::string("x\0y", 3));
}
