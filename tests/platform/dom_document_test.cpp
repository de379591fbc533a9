#include "platform/dom/dom_document.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/com_error.h"
#include "platform/com_factory.h"
#include "test_support.h"

namespace platform {
namespace {

using test_support::ReadFile;

class DomDocumentTest : public ::testing::Test {
 protected:
  std::string PathOf(const std::string& name) const { return folder_.Path(name); }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(PathOf("")), {}));
  }
  static std::string Fixture() { return std::string(XMLAGENT_TEST_DATA) + "/word_template.htm"; }

  test_support::TempFolder folder_;
  std::shared_ptr<DomDocument> document_ = DomDocument::Create();
};

TEST_F(DomDocumentTest, WordTemplateKeepsItsDeclarationAndSavesTheSameBytesAfterAReload) {
  ASSERT_TRUE(document_->load(Fixture())) << document_->parseError().reason;
  // The UTF-8 text no longer claims the file's encoding.
  EXPECT_EQ(document_->xml().rfind("<?xml version=\"1.0\"?><html xmlns:v=", 0), 0u);
  document_->save(PathOf("once.htm"));
  ASSERT_TRUE(document_->load(PathOf("once.htm"))) << document_->parseError().reason;
  document_->save(PathOf("twice.htm"));
  const std::string once = ReadFile(PathOf("once.htm"));
  EXPECT_EQ(ReadFile(PathOf("twice.htm")), once);
  EXPECT_EQ(once.rfind("<?xml version=\"1.0\" encoding=\"windows-1252\"?><html", 0), 0u);
}

// Kept when white space is preserved: see Utf8DocumentSurvivesSaveAndLoadByteForByte.
TEST_F(DomDocumentTest, WhiteSpaceOnlyTextIsDroppedByDefault) {
  ASSERT_TRUE(document_->loadXML("<a> <b>x</b>\n<c/> </a>"));
  EXPECT_EQ(document_->xml(), "<a><b>x</b><c/></a>");
}

TEST_F(DomDocumentTest, FailedLoadEmptiesTheDocumentAndSaysWhereAndWhy) {
  ASSERT_TRUE(document_->loadXML("<r><p>old</p></r>"));
  const DomNode old = document_->selectSingleNode("r/p");
  const DomParseError& error = document_->parseError();
  EXPECT_FALSE(document_->load(PathOf("absent.htm")));
  EXPECT_EQ(error.url, PathOf("absent.htm"));
  EXPECT_NE(error.reason.find("No such file or directory"), std::string::npos) << error.reason;
  EXPECT_TRUE(document_->documentElement().isNull());
  // Handles into the old content stay valid; such a node is copied into the new content.
  EXPECT_EQ(old.text(), "old");
  ASSERT_TRUE(document_->loadXML("<s/>"));
  EXPECT_NE(document_->documentElement().appendChild(old), old);
  EXPECT_EQ(document_->xml(), "<s><p>old</p></s>");
}

TEST_F(DomDocumentTest, LoadXmlTakesUtf8WhateverTheDeclarationSaysAndSaveHonoursIt) {
  ASSERT_TRUE(document_->loadXML(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xC3\xA9</a>"));
  EXPECT_EQ(document_->documentElement().text(), "caf\xC3\xA9");
  document_->save(PathOf("saved.xml"));
  EXPECT_EQ(ReadFile(PathOf("saved.xml")),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9</a>");
}

TEST_F(DomDocumentTest, Utf8DocumentSurvivesSaveAndLoadByteForByte) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--top--><html><head><title>Caf\xC3\xA9</title>"
      "</head><body><p class=\"a\" style=\"x:'1'\">x &amp; y &lt; z &gt;</p><br/>"
      "<![CDATA[<raw> & ]]><?pi data?><p>\xE2\x82\xAC 5<span>6</span></p></body></html>";
  ASSERT_TRUE(document_->load(folder_.Write("page.htm", bytes))) << document_->parseError().reason;
  document_->save(PathOf("copy.htm"));
  EXPECT_EQ(ReadFile(PathOf("copy.htm")), bytes);
  document_->save(PathOf("page.htm"));  // over the file it came from
  EXPECT_EQ(ReadFile(PathOf("page.htm")), bytes);
  EXPECT_EQ(FilesInFolder(), 2u);  // no temporary file left behind
}

TEST_F(DomDocumentTest, DetachedNodesAreNeitherSavedNorSerialised) {
  ASSERT_TRUE(document_->load(Fixture()));
  const DomNode body = document_->selectSingleNode("html/body");
  const DomNode commentList = body.lastChild();
  body.removeChild(commentList);
  document_->save(PathOf("out.htm"));
  const std::string saved = ReadFile(PathOf("out.htm"));
  EXPECT_EQ(saved.find("_com_1"), std::string::npos);
  EXPECT_NE(saved.find("_anchor_1"), std::string::npos);
}

TEST_F(DomDocumentTest, ReparsingKeepsTheDocumentWhenItsTextBringsBackTheSameNodes) {
  ASSERT_TRUE(document_->load(Fixture())) << document_->parseError().reason;
  const DomNode body = document_->selectSingleNode("html/body");
  body.setAttribute("QuireQuery", "F:a:Files:File::Name:SAA:");
  body.removeChild(body.lastChild());
  const std::string before = document_->encodedXml();
  const DomNode kept = body.firstChild();

  ASSERT_TRUE(document_->reparse());
  EXPECT_EQ(document_->encodedXml(), before);
  // Nothing parked comes back, and the document goes on taking changes.
  const DomNode again = document_->selectSingleNode("html/body");
  again.setAttribute("lang", "de");
  EXPECT_NE(document_->xml().find("lang=\"de\""), std::string::npos);
  // A handle taken before still answers, from the tree it was taken in.
  EXPECT_EQ(kept.nodeName(), again.firstChild().nodeName());
  EXPECT_EQ(body.getAttribute("lang"), "EN-US");
}

TEST_F(DomDocumentTest, ReparsingRefusesTextThatWouldComeBackAsOtherNodes) {
  ASSERT_TRUE(document_->loadXML("<p><b>x</b></p>"));
  const DomNode p = document_->documentElement();
  // Two adjacent texts read back as one; blank text and an empty one not at all.
  for (const std::string text : {"a", "b"}) p.appendChild(document_->createTextNode(text));
  EXPECT_FALSE(document_->reparse());
  EXPECT_EQ(document_->documentElement().childNodes().length(), 3u);

  ASSERT_TRUE(document_->loadXML("<p><b>x</b></p>"));
  document_->documentElement().appendChild(document_->createTextNode("  "));
  EXPECT_FALSE(document_->reparse());
  EXPECT_EQ(document_->documentElement().childNodes().length(), 2u);

  ASSERT_TRUE(document_->loadXML("<p><b>x</b></p>"));
  document_->documentElement().firstChild().firstChild().setNodeValue("");
  EXPECT_FALSE(document_->reparse());
  EXPECT_EQ(document_->xml(), "<p><b></b></p>");
}

TEST_F(DomDocumentTest, SaveFailureRaisesTheSystemReason) {
  ASSERT_TRUE(document_->loadXML("<a/>"));
  const std::string missing = PathOf("no-such-folder/out.htm");
  const auto error = test_support::ComErrorOf([&] { document_->save(missing); });
  EXPECT_EQ(error.code, kE_FAIL);
  EXPECT_NE(error.description.find(missing), std::string::npos) << error.description;
  EXPECT_NE(error.description.find("No such file or directory"), std::string::npos);
}

// A document many pieces long is encoded in pieces exactly as one short document is: each unit
// (a code-page character, a missing one as a reference, a control written as a reference and
// replaced, a Latin-1 byte) comes out the same wherever the pieces were cut.
TEST_F(DomDocumentTest, APageWrittenInPiecesHoldsWhatTheWholeTextWouldHold) {
  const std::string head = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>";
  const auto documentOf = [&](int units) {
    ASSERT_TRUE(document_->loadXML(head + "</r>"));
    const DomNode root = document_->documentElement();
    for (int i = 0; i < units; ++i) {
      const DomNode unit = document_->createElement("p");
      // U+4E2D, U+20AC, a control, a byte that is not UTF-8, and digits after "&#".
      unit.setText("caf\xC3\xA9 \xE4\xB8\xAD \xE2\x82\xAC \x01 \xE9 &#12;" + std::to_string(i % 7));
      root.appendChild(unit);
    }
  };
  documentOf(1);
  const std::string one = document_->encodedXml();
  const size_t start = one.find("<p>");
  const size_t end = one.find("</p>");
  ASSERT_NE(start, std::string::npos);
  const std::string unit = one.substr(start, end - start - 1);  // without the digit
  EXPECT_NE(unit.find("\xE9 &#20013; \x80 &#65533; \xE9"), std::string::npos) << unit;

  documentOf(20000);
  std::string written;
  size_t pieces = 0;
  ASSERT_TRUE(document_->writeEncoded([&](std::string_view piece) {
    ++pieces;
    written += piece;
    return true;
  }));
  EXPECT_GT(pieces, 2u);
  EXPECT_EQ(written, document_->encodedXml());
  EXPECT_EQ(test_support::Count(written, unit), 20000u);

  // A sink that refuses ends the writing there.
  size_t offered = 0;
  EXPECT_FALSE(document_->writeEncoded([&](std::string_view) { return ++offered > 1; }));
  EXPECT_EQ(offered, 1u);
}

// Every document of the library comes from the factory, so a host may replace the class; a
// missing class or a maker of something else gives no document instead of a throw.
TEST(NewDomDocumentTest, MakesAFreshDocumentThroughTheFactoryOrNone) {
  const std::shared_ptr<DomDocument> first = NewDomDocument();
  const std::shared_ptr<DomDocument> second = NewDomDocument();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_NE(first, second);
  EXPECT_TRUE(first->documentElement().isNull());
  ASSERT_TRUE(first->loadXML("<a/>"));
  EXPECT_TRUE(second->documentElement().isNull());

  struct Reregister {
    ~Reregister() { RegisterDomDocumentClass(); }
  } reregister;
  ASSERT_TRUE(
      ComFactory::Register("MSXML.DOMDocument", [] { return std::make_shared<ComObject>(); }));
  EXPECT_EQ(NewDomDocument(), nullptr);
  ASSERT_TRUE(ComFactory::Unregister("MSXML.DOMDocument"));
  EXPECT_EQ(NewDomDocument(), nullptr);
}

}  // namespace
}  // namespace platform
