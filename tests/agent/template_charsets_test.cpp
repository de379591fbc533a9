// Templates as Word and other editors save them in other character sets: a UTF-8 byte-order
// mark, Word's "Unicode" (UTF-16, either order), a charset in single quotes and <meta charset>.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "agent/template_conversion.h"
#include "document_request.h"
#include "foundation/quire_status.h"
#include "platform/dom/dom_document.h"
#include "platform/html_to_xml.h"

namespace {

namespace fs = std::filesystem;
using test_support::ReadFile;
using test_support::WriteFile;

std::string Convert(const std::string& bytes) { return platform::ConvertHtmlToXml(bytes, true); }

std::string Utf16(const std::string& ascii, bool littleEndian) {
  std::string units = littleEndian ? "\xFF\xFE" : "\xFE\xFF";
  for (char c : ascii) {
    units += littleEndian ? std::string{c, '\0'} : std::string{'\0', c};
  }
  return units;
}

TEST(TemplateCharsets, ByteOrderMarksAndCharsetValuesGiveTheDeclaration) {
  const std::string declaration = "<?xml version=\"1.0\" encoding=\"utf-8\"?>";
  // The mark goes; the declaration comes first.
  EXPECT_EQ(Convert("\xEF\xBB\xBF<html><meta content=\"text/html; charset=utf-8\"></html>"),
            declaration + "<html><meta content=\"text/html; charset=utf-8\"/></html>");
  // UTF-16 is read as such and written as UTF-8, and the meta tag says so.
  for (const bool littleEndian : {true, false}) {
    SCOPED_TRACE(littleEndian);
    EXPECT_EQ(Convert(Utf16("<html><meta content=\"text/html; charset=unicode\"><p>a</p></html>",
                            littleEndian)),
              declaration + "<html><meta content=\"text/html; charset=utf-8\"/><p>a</p></html>");
  }
  // The value ends at its own delimiter: a single quote, a double quote, a blank or the tag end.
  EXPECT_EQ(Convert("<html><meta content='text/html; charset=windows-1252'></html>"),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?>"
            "<html><meta content='text/html; charset=windows-1252'/></html>");
  EXPECT_EQ(Convert("<html><meta charset=\"utf-8\"><p>a&middot;</p></html>"),
            declaration + "<html><meta charset=\"utf-8\"/><p>a\xC2\xB7</p></html>");
  EXPECT_EQ(Convert("<html><META CHARSET=iso-8859-1></html>"),
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?><html><META CHARSET=\"iso-8859-1\"/>"
            "</html>");
}

TEST(TemplateCharsets, UnicodeCharactersBeyondTheBasicPlaneSurvive) {
  // "é", "€" and U+1F600 (a surrogate pair) in little-endian units.
  const std::string bytes =
      std::string("\xFF\xFE<\0p\0>\0\xE9\0\xAC\x20=\xD8\x00\xDE<\0/\0p\0>\0", 24);
  EXPECT_EQ(
      Convert(bytes),
      "<?xml version=\"1.0\" encoding=\"utf-8\"?><p>\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80</p>");
}

TEST(TemplateCharsets, UnknownCharsetIsNamedAsTheMetaTags) {
  test_support::TempFolder folder("template_charsets");
  const std::string bytes = "<html><head><meta charset=\"x-no-such-set\"></head><p>a</p></html>";
  const std::string path = folder.Write("page.htm", bytes);
  QuireStatus status;
  EXPECT_FALSE(ConvertTemplateToXml(path, status, true));
  EXPECT_EQ(status.Kind(), kProcessingError);
  EXPECT_EQ(status.Message(),
            "The character set 'x-no-such-set' named in the template's meta tag is not supported.");
  EXPECT_EQ(ReadFile(path), bytes) << "the template is left as it was";
}

class CharsetTemplatePages : public test_support::DocumentRequestTest {};

TEST_F(CharsetTemplatePages, EachSaveGivesThePageWithItsText) {
  for (const char* name : {"utf8_bom.htm", "unicode_le.htm", "unicode_be.htm", "single_quoted.htm",
                           "html5_quoted.htm", "html5_unquoted.htm"}) {
    SCOPED_TRACE(name);
    const fs::path document = root_ / name;
    fs::copy_file(fs::path(XMLAGENT_TEST_DATA) / "charsets" / name, document);
    if (GenerateDocument(document) != 1) {
      ADD_FAILURE() << ReadFile(root_ / (document.stem().string() + "ERR.htm"));
      continue;
    }
    // The page read back in the encoding that it declares.
    auto page = platform::DomDocument::Create();
    if (!page->load(document.string())) {
      ADD_FAILURE() << page->parseError().reason;
      continue;
    }
    EXPECT_EQ(page->selectSingleNode("//h1").text(), "Ordner data");
    EXPECT_NE(page->documentElement().text().find("Gr\xC3\xBC\xC3\x9F"
                                                  "e \xC2\xB7 \xC3\x9C"
                                                  "bersicht \xC2\xB7 5 \xE2\x82\xAC"),
              std::string::npos)
        << page->documentElement().text();
    EXPECT_EQ(page->selectSingleNode("//title").text(),
              "\xC3\x9C"
              "bersicht");
  }
}

}  // namespace
