#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "domains/record_file_reader.h"
#include "tests/common/test_support.h"

using test_support::CapturedStderr;
using test_support::TempFolder;

namespace {

constexpr char kOutOfRangeLine[] = "*** Warning: <FIELD INDEX OUT OF RANGE>\n";
constexpr char kTooLongLine[] =
    "*** Error: line/record longer than bufferSize or ifstream failed\n";

// Every record of `content` as its list of fields (the first 30).
std::vector<std::vector<std::string>> Records(const std::string& content) {
  TempFolder folder;
  RecordFileReader reader;
  std::vector<std::vector<std::string>> records;
  for (bool more = reader.open(folder.Write("r.txt", content)); more; more = reader.next()) {
    std::vector<std::string> fields;
    for (size_t n = 1; n <= reader.record().positions.size(); ++n)
      fields.push_back(reader.field(n));
    records.push_back(fields);
  }
  return records;
}

using Fields = std::vector<std::vector<std::string>>;

}  // namespace

TEST(RecordFile, HeadersAndDelimitersSplitTheTextIntoRecordsAndFields) {
  const std::string binary("\x01\xFF\0z", 4);
  const struct {
    std::string content;
    Fields records;
  } rows[] = {
      // Without headers: fields at spaces, one record per line.
      {"a b  c\r\n\n  d\n", {{"a", "b", "c"}, {"d"}}},
      // Record and quote delimiters split across lines.
      {"#RECORD_DELIMITER ;\n#QUOTE_DELIMITER '\n\na b;\n'c d' e;", {{"a", "b"}, {"c d", "e"}}},
      // Quoted fields hold the delimiter; text after the closing quote is skipped.
      {"#FIELD_DELIMITER ,\n\"a,b\"junk,c,,\"open", {{"a,b", "c", "", "open"}}},
      // Binary and NUL bytes stay in their fields.
      {"#FIELD_DELIMITER ,\nk," + binary + ",e\n", {{"k", binary, "e"}}},
      // Headers only: no records.
      {"#FIELD_DELIMITER ,\n#KEY_FIELDS 1\n", {}},
      // A delimiter that is a UTF-8 character is that whole character, so that fields are never
      // cut inside one; a value that does not start with a UTF-8 character gives its first byte.
      {"#FIELD_DELIMITER \xC2\xA7\nM\xC3\xBCller\xC2\xA7"
       "25\xC2\xB0"
       "C\n",
       {{"M\xC3\xBCller",
         "25\xC2\xB0"
         "C"}}},
      // The quote is the whole guillemet, and holds the field delimiter.
      {"#FIELD_DELIMITER ;\n#QUOTE_DELIMITER \xC2\xAB\n\xC2\xAB"
       "a;b\xC2\xAB"
       "junk;c\n",
       {{"a;b", "c"}}},
      // A three-byte record delimiter; the bytes it shares with other characters do not end a
      // record.
      {"#RECORD_DELIMITER \xE2\x80\xA2\na \xE2\x80\x93\xE2\x80\xA2"
       "b\xE2\x80\xA2",
       {{"a", "\xE2\x80\x93"}, {"b"}}},
      // Only the first character of the value counts.
      {"#FIELD_DELIMITER \xC2\xA7\xC2\xB0\na\xC2\xA7"
       "b\xC2\xB0"
       "c\n",
       {{"a",
         "b\xC2\xB0"
         "c"}}},
      // A byte that starts no UTF-8 character is the delimiter alone.
      {"#FIELD_DELIMITER \xA7\xA7\na\xA7"
       "b\n",
       {{"a", "b"}}},
  };
  for (const auto& row : rows) EXPECT_EQ(Records(row.content), row.records) << row.content;
}

TEST(RecordFile, FieldDelimiterValueForms) {
  const struct {
    std::string header;
    char delimiter;
  } rows[] = {
      {"#FIELD_DELIMITER ,", ','},
      {"#FIELD_DELIMITER \\t", '\t'},
      {"#FIELD_DELIMITER \\054", ','},
      {"#FIELD_DELIMITER \\0054", ','},  // an octal number of any length
      {"#FIELD_DELIMITER \\x3B", ';'},
      {"#FIELD_DELIMITER|", '|'},
      // Invalid values and comments leave the blank.
      {"# FIELD_DELIMITER ,", ' '},
      {"#FIELD_DELIMITER \\0", ' '},
      {"#FIELD_DELIMITER \\1234", ' '},  // past 127
      {"#FIELD_DELIMITER \\q", ' '},
  };
  TempFolder folder;
  for (const auto& row : rows) {
    RecordFileReader reader;
    ASSERT_TRUE(reader.open(folder.Write("r.txt", "  " + row.header + "\nx\n"))) << row.header;
    EXPECT_EQ(reader.fieldDelimiter(), std::string(1, row.delimiter)) << row.header;
  }
}

TEST(RecordFile, KeyFieldsJoinListedFieldsInOrder) {
  TempFolder folder;
  RecordFileReader reader;
  ASSERT_TRUE(reader.open(folder.Write("k.txt", "#FIELD_DELIMITER ,\n#KEY_FIELDS 2 1 x 3\na,b\n")));
  EXPECT_EQ(reader.keyFields(), (std::vector<int>{1, 0}));
  EXPECT_EQ(reader.uniqueKey(), "b,a");
  // A delimiter of several bytes joins the key whole.
  ASSERT_TRUE(reader.open(folder.Write("k2.txt",
                                       "#FIELD_DELIMITER \xC2\xA7\n#KEY_FIELDS 2 1\na\xC2\xA7"
                                       "b\n")));
  EXPECT_EQ(reader.fieldDelimiter(), "\xC2\xA7");
  EXPECT_EQ(reader.uniqueKey(),
            "b\xC2\xA7"
            "a");

  ASSERT_TRUE(reader.open(folder.Write("k3.txt", "#KEY_FIELDS 3\na b\n")));
  std::string key;
  EXPECT_EQ(CapturedStderr([&] { key = reader.uniqueKey(); }), kOutOfRangeLine);
  EXPECT_EQ(key, "<INVALID UNIQUE KEY>");
}

TEST(RecordFile, OnlyTheFirstThirtyFieldsAreReachable) {
  std::string line;
  for (int n = 1; n <= 31; ++n) line += "f" + std::to_string(n) + " ";
  TempFolder folder;
  RecordFileReader reader;
  ASSERT_TRUE(reader.open(folder.Write("w.txt", line + "\n")));
  EXPECT_EQ(reader.record().count, 31u);
  EXPECT_EQ(reader.field(30), "f30");
  std::string field;
  EXPECT_EQ(CapturedStderr([&] { field = reader.field(31); }), kOutOfRangeLine);
  EXPECT_EQ(field, "<FIELD INDEX OUT OF RANGE>");
}

TEST(RecordFile, RecordOf8191CharactersEndsTheFile) {
  TempFolder folder;
  RecordFileReader reader;
  const std::string fits(8190, 'a');
  ASSERT_TRUE(reader.open(folder.Write("ok.txt", fits + "\n" + std::string(8191, 'b') + "\nc\n")));
  EXPECT_EQ(reader.record().text, fits);
  bool more = true;
  EXPECT_EQ(CapturedStderr([&] { more = reader.next(); }), kTooLongLine);
  EXPECT_FALSE(more);
  EXPECT_FALSE(reader.next());  // the record after it is never read

  // A file without any delimiter is refused the same way.
  EXPECT_EQ(
      CapturedStderr([&] { more = reader.open(folder.Write("x.txt", std::string(1 << 20, 'x'))); }),
      kTooLongLine);
  EXPECT_FALSE(more);

  // A long first line of short records is read record by record.
  std::string many;
  for (int n = 0; n < 5000; ++n) many += "ab;";
  ASSERT_TRUE(reader.open(folder.Write("many.txt", "#RECORD_DELIMITER ;\n" + many)));
  EXPECT_EQ(reader.record().text, "ab");
  int count = 1;
  while (reader.next()) ++count;
  EXPECT_EQ(count, 5000);
}
