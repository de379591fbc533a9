#include "platform/dom/xml_encoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace platform {
namespace {

const std::string kWindows1252Document =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
    "<p>\x80 5, \x93quoted\x94, caf\xE9</p>";
const std::string kWindows1252AsUtf8 =
    "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n"
    "<p>\xE2\x82\xAC 5, \xE2\x80\x9Cquoted\xE2\x80\x9D, caf\xC3\xA9</p>";

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
  const Decoded decoded = Decode(kWindows1252Document);
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(decoded.text, kWindows1252AsUtf8);
  EXPECT_EQ(decoded.declared, "windows-1252");
  EXPECT_EQ(Encode(decoded.text, decoded.declared), kWindows1252Document);
}

TEST(XmlDecoding, EncodingNamesCompareWithoutRegardToCase) {
  const Decoded decoded = Decode("<?xml version='1.0' encoding='WINDOWS-1252'?><a>\xE9</a>");
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(decoded.declared, "WINDOWS-1252");
  EXPECT_EQ(decoded.text, "<?xml version='1.0' encoding='WINDOWS-1252'?><a>\xC3\xA9</a>");
}

TEST(XmlDecoding, Windows1252UndefinedBytesBecomeC1Controls) {
  const Decoded decoded =
      Decode("<?xml version='1.0' encoding='cp1252'?><a>\x81\x8D\x8F\x90\x9D</a>");
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(
      decoded.text,
      "<?xml version='1.0' encoding='cp1252'?><a>\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D</a>");
}

TEST(XmlDecoding, OtherSingleAndMultiByteEncodingsDecode) {
  EXPECT_EQ(Decode("<?xml version='1.0' encoding='iso-8859-15'?><a>\xA4</a>").text,
            "<?xml version='1.0' encoding='iso-8859-15'?><a>\xE2\x82\xAC</a>");
  EXPECT_EQ(Decode("<?xml version='1.0' encoding=\"Shift_JIS\"?><a>\x93\xFA\x96\x7B</a>").text,
            "<?xml version='1.0' encoding=\"Shift_JIS\"?><a>\xE6\x97\xA5\xE6\x9C\xAC</a>");
}

TEST(XmlDecoding, Utf16WithAndWithoutByteOrderMarkDecodes) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-16\"?><a>\xC3\xA9\xF0\x9F\x98\x80</a>";
  const std::string littleEndian = Encode(text, "UTF-16");
  ASSERT_EQ(littleEndian.substr(0, 4), std::string("\xFF\xFE<\0", 4));
  Decoded decoded = Decode(littleEndian);
  ASSERT_TRUE(decoded.ok) << decoded.error.reason;
  EXPECT_EQ(decoded.text, text);
  EXPECT_EQ(decoded.declared, "UTF-16");

  EXPECT_EQ(Decode("\xFE\xFF" + Encode("<a>\xE2\x82\xAC</a>", "UTF-16BE")).text,
            "<a>\xE2\x82\xAC</a>");
  EXPECT_EQ(Decode(Encode("<?xml version='1.0'?><a/>", "UTF-16LE")).text,
            "<?xml version='1.0'?><a/>");
}

TEST(XmlDecoding, Utf8ByteOrderMarkIsRemovedAndUtf8IsCopiedAsIs) {
  const Decoded withMark =
      Decode("\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?><a>\xC3\xA9</a>");
  EXPECT_TRUE(withMark.ok);
  EXPECT_EQ(withMark.text, "<?xml version='1.0' encoding='utf-8'?><a>\xC3\xA9</a>");
  EXPECT_EQ(withMark.declared, "utf-8");
  const Decoded plain = Decode("<a>\xC3\xA9</a>");
  EXPECT_TRUE(plain.ok);
  EXPECT_EQ(plain.text, "<a>\xC3\xA9</a>");
  EXPECT_EQ(plain.declared, "");
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
  EXPECT_EQ(oddUtf16.error.linepos, 5);
}

TEST(XmlEncoding, MissingCharactersBecomeDecimalReferences) {
  EXPECT_EQ(Encode("<a>\xE4\xB8\xAD \xF0\x9F\x98\x80 \xC3\xA9</a>", "windows-1252"),
            "<a>&#20013; &#128512; \xE9</a>");
  // A stateful encoding: the reference is written in ASCII mode, and the text ends back in it.
  const std::string iso2022 = Encode("\xE6\x97\xA5\xE2\x82\xAC\xE6\x97\xA5", "ISO-2022-JP");
  EXPECT_NE(iso2022.find("\x1B(B&#8364;\x1B$B"), std::string::npos);
  EXPECT_EQ(iso2022.substr(iso2022.size() - 3), "\x1B(B");
}

TEST(XmlEncoding, Utf8NamesCopyAndBadInputIsRefused) {
  EXPECT_EQ(Encode("<a>\xC3\xA9</a>", ""), "<a>\xC3\xA9</a>");
  EXPECT_EQ(Encode("<a>\xC3\xA9</a>", "utf8"), "<a>\xC3\xA9</a>");
  EXPECT_EQ(Encode("<a>\xC3\xA9</a>", "UTF-8"), "<a>\xC3\xA9</a>");
  std::string bytes;
  std::string error;
  EXPECT_FALSE(EncodeXmlText("<a>\xC3</a>", "UTF-8", bytes, error));
  EXPECT_EQ(error, "The text to save is not valid UTF-8: byte 0xC3 at byte offset 3.");
  EXPECT_FALSE(EncodeXmlText("<a>\xFF</a>", "windows-1252", bytes, error));
  EXPECT_NE(error.find("0xFF"), std::string::npos);
  EXPECT_FALSE(EncodeXmlText("<a/>", "x-no-such-encoding", bytes, error));
  EXPECT_EQ(error, "The encoding 'x-no-such-encoding' is not supported.");
  EXPECT_FALSE(EncodeXmlText("<a/>", "UTF-8//IGNORE", bytes, error));
}

TEST(XmlEncoding, FindInvalidUtf8RejectsOverlongSurrogateAndOutOfRangeForms) {
  EXPECT_EQ(FindInvalidUtf8("plain ascii text, long enough \xC3\xA9\xF0\x9F\x98\x80"),
            std::string_view::npos);
  EXPECT_EQ(FindInvalidUtf8("abcdefghij\xC0\x80"), 10u);
  EXPECT_EQ(FindInvalidUtf8("a\xED\xA0\x80"), 1u);
  EXPECT_EQ(FindInvalidUtf8("ab\xF4\x90\x80\x80"), 2u);
  EXPECT_EQ(FindInvalidUtf8("abc\xE6\x97"), 3u);
}

TEST(XmlDecodingFuzz, RandomBytesNeverCrashAndFailuresAreComplete) {
  const std::string prefixes[] = {"<?xml version='1.0' encoding='windows-1252'?>",
                                  "<?xml version='1.0' encoding='shift_jis'?>",
                                  "<?xml version='1.0' encoding='us-ascii'?>",
                                  "\xFF\xFE",
                                  "\xFE\xFF",
                                  "\xEF\xBB\xBF",
                                  ""};
  std::mt19937 random(77);
  for (int round = 0; round < 10000; ++round) {
    std::string bytes = prefixes[random() % std::size(prefixes)];
    if (round % 3 == 0 && !bytes.empty()) bytes.resize(random() % bytes.size());
    const size_t length = random() % 48;
    for (size_t i = 0; i < length; ++i) bytes.push_back(static_cast<char>(random() % 256));
    const Decoded decoded = Decode(bytes);
    if (decoded.ok) continue;
    EXPECT_LT(decoded.error.errorCode, 0);
    EXPECT_FALSE(decoded.error.reason.empty());
    EXPECT_GE(decoded.error.line, 1);
    EXPECT_EQ(FindInvalidUtf8(decoded.error.srcText), std::string_view::npos);
  }
}

}  // namespace
}  // namespace platform
