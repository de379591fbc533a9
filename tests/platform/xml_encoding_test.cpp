#include "platform/dom/xml_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace platform {
namespace {

struct Decoded {
  bool ok = false;
  std::string text;
  std::string declared;
  DomParseError error;
};

Decoded Decode(const std::string& bytes) {
  Decoded result;
  result.ok = DecodeXmlBytes(bytes, result.text, result.declared, result.error);
  return result;
}

std::string Encode(const std::string& text, const std::string& encoding) {
  std::string bytes;
  std::string error;
  EXPECT_TRUE(EncodeXmlText(text, encoding, bytes, error)) << error;
  return bytes;
}

TEST(XmlDecoding, Windows1252DecodesAndReencodesToTheSameBytes) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<p>\x80 5, \x93quoted\x94, caf\xE9</p>";
  const Decoded decoded = Decode(bytes);
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(decoded.text,
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
            "<p>\xE2\x82\xAC 5, \xE2\x80\x9Cquoted\xE2\x80\x9D, caf\xC3\xA9</p>");
  EXPECT_EQ(decoded.declared, "windows-1252");
  EXPECT_EQ(Encode(decoded.text, decoded.declared), bytes);

  // The five bytes the code page leaves undefined come back as themselves, in a comment too,
  // where a character reference would change the text.
  const std::string holes =
      "<?xml version='1.0' encoding='windows-1252'?><a>\x81\x8D<!-- \x8F -->\x90\x9D</a>";
  const Decoded read = Decode(holes);
  ASSERT_TRUE(read.ok) << read.error.reason;
  EXPECT_EQ(Encode(read.text, read.declared), holes);
}

// Shift_JIS under each of its names reads 0x5C as the backslash and 0x7E as the tilde, as the
// Windows code page does, so the escapes of a page keep working; the page is written back with
// the bytes it was read from.
TEST(XmlDecoding, ShiftJisReadsBackslashAndTildeAndWritesTheSameBytes) {
  for (const std::string name : {"Shift_JIS", "shift-jis", "SHIFT_JIS", "x-sjis", "sjis", "SJIS"}) {
    SCOPED_TRACE(name);
    const std::string declaration = "<?xml version=\"1.0\" encoding=\"" + name + "\"?>";
    // "\x2Ecsv", "~", and the hiragana A (0x82 0xA0) and the ideograph "table" (0x95 0x5C,
    // whose second byte is 0x5C).
    const std::string bytes = declaration + "<a b=\"C:\\x2Ecsv\">~\x82\xA0\x95\x5C</a>";
    const Decoded decoded = Decode(bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error.reason;
    EXPECT_EQ(decoded.text, declaration + "<a b=\"C:\\x2Ecsv\">~\xE3\x81\x82\xE8\xA1\xA8</a>");
    EXPECT_EQ(Encode(decoded.text, decoded.declared), bytes);
  }
  // The yen sign and the overline would come back as a backslash and a tilde: references.
  EXPECT_EQ(Encode("<a>\xC2\xA5 1\\\xE2\x80\xBE~</a>", "Shift_JIS"), "<a>&#165; 1\\&#8254;~</a>");
}

// A page saved in UTF-7 must load again: markup is written as itself, not in base64, and
// what UTF-7 must encode ("+", "~", "\\", non-ASCII) decodes back to the text.
TEST(XmlDecoding, Utf7WritesMarkupAsItselfAndReadsBackTheSameText) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-7\"?><a b=\"c\">caf\xC3\xA9 1+1 ~\\ \xE4\xB8\xAD!</a>";
  const std::string bytes = Encode(text, "UTF-7");
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-7\"?><a b=\"c\">caf", 0), 0u)
      << bytes;
  EXPECT_EQ(bytes.find("\xC3"), std::string::npos) << bytes;
  const Decoded decoded = Decode(bytes);
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(decoded.text, text);
}

TEST(XmlDecoding, DeclaredOrMarkedEncodingsDecodeToUtf8) {
  const struct {
    std::string bytes;
    std::string text;
    std::string declared;
  } kRows[] = {
      // Bytes that windows-1252 leaves undefined become C1 controls, also under its alias.
      {"<?xml version='1.0' encoding='cp1252'?><a>\x81\x8D\x8F\x90\x9D</a>",
       "<?xml version='1.0' encoding='cp1252'?><a>\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D</a>",
       "cp1252"},
      // A UTF-8 byte-order mark is removed.
      {"\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><a>\xC3\xA9</a>",
       "<?xml version='1.0' encoding='utf-8'?><a>\xC3\xA9</a>", "utf-8"},
      // UTF-16 with or without a byte-order mark.
      {Encode("<?xml version='1.0' encoding='UTF-16'?><a>\xC3\xA9\xF0\x9F\x98\x80</a>", "UTF-16"),
       "<?xml version='1.0' encoding='UTF-16'?><a>\xC3\xA9\xF0\x9F\x98\x80</a>", "UTF-16"},
      {Encode("<?xml version='1.0'?><a/>", "UTF-16LE"), "<?xml version='1.0'?><a/>", ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.text);
    const Decoded decoded = Decode(row.bytes);
    EXPECT_TRUE(decoded.ok) << decoded.error.reason;
    EXPECT_EQ(decoded.text, row.text);
    EXPECT_EQ(decoded.declared, row.declared);
  }
}

TEST(XmlDecoding, UnknownEncodingIsRefusedAtTheDeclaration) {
  for (const std::string name : {"x-no-such-encoding", "latin1//TRANSLIT"}) {
    const Decoded decoded = Decode("<?xml version='1.0' encoding='" + name + "'?>\n<a/>");
    EXPECT_FALSE(decoded.ok);
    EXPECT_EQ(decoded.error.errorCode, kXmlErrorUnsupportedEncoding);
    EXPECT_EQ(decoded.error.reason,
              "The encoding '" + name + "' named in the XML declaration is not supported.");
    EXPECT_EQ(decoded.error.line, 1);
    EXPECT_EQ(decoded.error.linepos, 31);
  }
}

TEST(XmlDecoding, InvalidBytesAreRefusedWithTheirPosition) {
  const Decoded ascii =
      Decode("<?xml version='1.0' encoding='us-ascii'?>\n<a>ok\n<b>caf\xE9</b></a>");
  EXPECT_FALSE(ascii.ok);
  EXPECT_EQ(ascii.error.errorCode, kXmlErrorBadEncodedByte);
  EXPECT_NE(ascii.error.reason.find("0xE9"), std::string::npos) << ascii.error.reason;
  EXPECT_EQ(ascii.error.line, 3);
  EXPECT_EQ(ascii.error.linepos, 7);
  EXPECT_EQ(ascii.error.srcText, "<b>caf");
  const Decoded oddUtf16 = Decode(std::string("\xFF\xFE<\0a\0/\0>\0\n", 11));
  EXPECT_FALSE(oddUtf16.ok);
  EXPECT_NE(oddUtf16.error.reason.find("ends inside a character"), std::string::npos);
}

TEST(XmlEncoding, MissingCharactersBecomeDecimalReferencesAndUtf16StartsWithAMark) {
  EXPECT_EQ(Encode("<a/>", "UTF-16"), std::string("\xFF\xFE<\0a\0/\0>\0", 10));
  EXPECT_EQ(Encode("<a>\xE4\xB8\xAD \xF0\x9F\x98\x80 \xC3\xA9</a>", "windows-1252"),
            "<a>&#20013; &#128512; \xE9</a>");
}

TEST(XmlEncoding, InvalidTextOrUnknownEncodingIsRefusedWithAReason) {
  std::string bytes;
  std::string error;
  EXPECT_FALSE(EncodeXmlText("<a>\xC3</a>", "UTF-8", bytes, error));
  EXPECT_EQ(error, "The text to save is not valid UTF-8: byte 0xC3 at byte offset 3.");
  EXPECT_FALSE(EncodeXmlText("<a/>", "x-no-such-encoding", bytes, error));
  EXPECT_EQ(error, "The encoding 'x-no-such-encoding' is not supported.");
}

TEST(XmlDecodingFuzz, RandomBytesNeverCrashAndFailuresAreComplete) {
  const std::string prefixes[] = {"<?xml version='1.0' encoding='windows-1252'?>",
                                  "<?xml version='1.0' encoding='shift_jis'?>", "\xFF\xFE",
                                  "\xEF\xBB\xBF", ""};
  std::mt19937 random(77);
  for (int round = 0; round < 3000; ++round) {
    std::string bytes = prefixes[random() % std::size(prefixes)];
    if (round % 3 == 0 && !bytes.empty()) bytes.resize(random() % bytes.size());
    const size_t length = random() % 48;
    for (size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>(random() % 256));
    const Decoded decoded = Decode(bytes);
    if (decoded.ok) continue;
    EXPECT_FALSE(decoded.error.reason.empty());
    EXPECT_GE(decoded.error.line, 1);
    EXPECT_EQ(FindInvalidUtf8(decoded.error.srcText), std::string_view::npos);
  }
}

}  // namespace
}  // namespace platform
