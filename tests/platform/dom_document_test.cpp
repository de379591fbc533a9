#include "platform/dom/dom_document.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/com_error.h"
#include "platform/com_factory.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

class DomDocumentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "dom_document_test.XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string PathOf(const std::string& name) const { return (folder_ / name).string(); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(PathOf(name), std::ios::binary) << bytes;
    return PathOf(name);
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  size_t FilesInFolder() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(folder_), {}));
  }
  static std::string Fixture() { return std::string(XMLAGENT_TEST_DATA) + "/word_template.htm"; }

  fs::path folder_;
  std::shared_ptr<DomDocument> document_ = DomDocument::Create();
};

TEST_F(DomDocumentTest, LoadsTheWordTemplateKeepingItsDeclaration) {
  ASSERT_TRUE(document_->load(Fixture())) << document_->parseError().reason;
  EXPECT_EQ(document_->parseError().errorCode, 0);
  EXPECT_EQ(document_->documentElement().tagName(), "html");
  const DomNode declaration = document_->asNode().firstChild();
  EXPECT_EQ(declaration.nodeValue(), "version=\"1.0\" encoding=\"windows-1252\"");
  // The UTF-8 text no longer claims the file's encoding.
  EXPECT_EQ(document_->xml().rfind("<?xml version=\"1.0\"?><html xmlns:v=", 0), 0u);
  EXPECT_NE(document_->xml().find("[REPEAT1]"), std::string::npos);
}

TEST_F(DomDocumentTest, WhiteSpaceOnlyTextIsDroppedUnlessPreserved) {
  const std::string text = "<a> <b>x</b>\n<c/> </a>";
  ASSERT_TRUE(document_->loadXML(text));
  EXPECT_EQ(document_->documentElement().childNodes().length(), 2u);
  EXPECT_EQ(document_->xml(), "<a><b>x</b><c/></a>");
  document_->setPreserveWhiteSpace(true);
  ASSERT_TRUE(document_->loadXML(text));
  EXPECT_EQ(document_->documentElement().childNodes().length(), 5u);
  EXPECT_EQ(document_->xml(), text);
}

TEST_F(DomDocumentTest, MissingFileEmptiesTheDocumentAndSaysWhy) {
  ASSERT_TRUE(document_->loadXML("<r><p>old</p></r>"));
  const DomNode old = document_->selectSingleNode("r/p");
  const std::string path = PathOf("absent.htm");
  EXPECT_FALSE(document_->load(path));
  const DomParseError& error = document_->parseError();
  EXPECT_NE(error.errorCode, 0);
  EXPECT_EQ(error.url, path);
  EXPECT_NE(error.reason.find("No such file or directory"), std::string::npos) << error.reason;
  EXPECT_TRUE(document_->documentElement().isNull());
  EXPECT_EQ(document_->xml(), "");
  EXPECT_EQ(old.text(), "old");  // handles into the old content stay valid
}

TEST_F(DomDocumentTest, TextThatIsNotWellFormedIsRefusedWithItsPosition) {
  const std::string text = "<a>\n  <b>&nbsp;</b></a>";
  EXPECT_FALSE(document_->loadXML(text));
  EXPECT_NE(document_->parseError().errorCode, 0);
  EXPECT_EQ(document_->parseError().line, 2);
  EXPECT_GT(document_->parseError().linepos, 1);
  EXPECT_FALSE(document_->parseError().reason.empty());
  EXPECT_EQ(document_->parseError().url, "");
  EXPECT_TRUE(document_->documentElement().isNull());

  const std::string path = Write("bad.htm", text);
  EXPECT_FALSE(document_->load(path));
  EXPECT_EQ(document_->parseError().url, path);
  EXPECT_EQ(document_->parseError().line, 2);

  EXPECT_FALSE(document_->loadXML("<a><b></a>"));
  EXPECT_FALSE(document_->loadXML(""));
  EXPECT_TRUE(document_->loadXML("<a/>"));
  EXPECT_EQ(document_->parseError().errorCode, 0);
}

TEST_F(DomDocumentTest, LoadXmlTakesTheTextAsUtf8WhateverItsDeclarationSays) {
  ASSERT_TRUE(document_->loadXML(
      "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xC3\xA9</a>"));
  EXPECT_EQ(document_->documentElement().text(), "caf\xC3\xA9");
}

TEST_F(DomDocumentTest, DeclaredEncodingIsHonouredOnLoadAndSave) {
  const std::string bytes = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9</a>";
  ASSERT_TRUE(document_->load(Write("in.htm", bytes))) << document_->parseError().reason;
  EXPECT_EQ(document_->documentElement().text(), "caf\xC3\xA9");
  document_->documentElement().appendChild(document_->createTextNode(" \xCE\xA9"));  // omega
  document_->save(PathOf("out.htm"));
  EXPECT_EQ(Read(PathOf("out.htm")),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><a>caf\xE9 &#937;</a>");
  ASSERT_TRUE(document_->load(PathOf("out.htm")));
  EXPECT_EQ(document_->documentElement().text(), "caf\xC3\xA9 \xCE\xA9");
}

TEST_F(DomDocumentTest, Utf8DocumentSurvivesSaveAndLoadByteForByte) {
  const std::string bytes =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?><!--top--><html><head><title>Caf\xC3\xA9</title>"
      "</head><body><p class=\"a\" style=\"x:'1'\">x &amp; y &lt; z &gt;</p><br/>"
      "<![CDATA[<raw> & ]]><?pi data?><p>\xE2\x82\xAC 5<span> </span>\n</p></body></html>";
  document_->setPreserveWhiteSpace(true);
  ASSERT_TRUE(document_->load(Write("page.htm", bytes))) << document_->parseError().reason;
  document_->save(PathOf("copy.htm"));
  EXPECT_EQ(Read(PathOf("copy.htm")), bytes);
  document_->save(PathOf("page.htm"));  // over the file it came from
  EXPECT_EQ(Read(PathOf("page.htm")), bytes);
  EXPECT_EQ(FilesInFolder(), 2u);  // no temporary file left behind
}

TEST_F(DomDocumentTest, SavingTheWordTemplateIsStableAcrossReloads) {
  ASSERT_TRUE(document_->load(Fixture()));
  document_->save(PathOf("once.htm"));
  auto again = DomDocument::Create();
  ASSERT_TRUE(again->load(PathOf("once.htm"))) << again->parseError().reason;
  again->save(PathOf("twice.htm"));
  EXPECT_EQ(Read(PathOf("twice.htm")), Read(PathOf("once.htm")));
  EXPECT_EQ(again->xml(), document_->xml());
  // No indentation is added: the runs of a paragraph stay side by side.
  EXPECT_NE(Read(PathOf("once.htm")).find("<p class=\"MsoNormal\">Name: <span"), std::string::npos);
}

TEST_F(DomDocumentTest, DocumentWithoutDeclarationIsSavedAsUtf8WithoutOne) {
  ASSERT_TRUE(document_->loadXML("<a>\xC3\xA9</a>"));
  document_->save(PathOf("plain.xml"));
  EXPECT_EQ(Read(PathOf("plain.xml")), "<a>\xC3\xA9</a>");
}

TEST_F(DomDocumentTest, DetachedNodesAreNeitherSavedNorSerialised) {
  ASSERT_TRUE(document_->load(Fixture()));
  const DomNode body = document_->selectSingleNode("html/body");
  const DomNode commentList = body.lastChild();
  body.removeChild(commentList);
  document_->createElement("orphan");
  document_->save(PathOf("out.htm"));
  const std::string saved = Read(PathOf("out.htm"));
  EXPECT_EQ(saved.find("_com_1"), std::string::npos);
  EXPECT_EQ(saved.find("orphan"), std::string::npos);
  EXPECT_EQ(saved.find("parking"), std::string::npos);
  EXPECT_EQ(saved.substr(saved.size() - 14), "</body></html>");
  EXPECT_EQ(document_->xml().find("_com_1"), std::string::npos);
  EXPECT_NE(document_->xml().find("_anchor_1"), std::string::npos);
  EXPECT_EQ(document_->selectNodes("//p[@class='MsoCommentText']").length(), 0u);
  EXPECT_EQ(commentList.selectNodes(".//p[@class='MsoCommentText']").length(), 3u);
}

TEST_F(DomDocumentTest, SaveFailureRaisesTheSystemReasonAndKeepsTheTarget) {
  ASSERT_TRUE(document_->loadXML("<a/>"));
  const std::string missing = PathOf("no-such-folder/out.htm");
  try {
    document_->save(missing);
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_EQ(e.Code(), kE_FAIL);
    EXPECT_NE(e.Description().find(missing), std::string::npos);
    EXPECT_NE(e.Description().find("No such file or directory"), std::string::npos);
  }
  fs::create_directory(PathOf("folder"));
  EXPECT_THROW(document_->save(PathOf("folder")), ComError);  // cannot rename over a folder
  EXPECT_TRUE(fs::is_directory(PathOf("folder")));
  EXPECT_EQ(FilesInFolder(), 1u);
}

TEST_F(DomDocumentTest, ReloadLeavesHandlesOfTheOldContentIntact) {
  ASSERT_TRUE(document_->loadXML("<r><p>first</p></r>"));
  const DomNode p = document_->selectSingleNode("r/p");
  ASSERT_TRUE(document_->loadXML("<s/>"));
  EXPECT_EQ(p.text(), "first");
  const DomNode placed = document_->documentElement().appendChild(p);  // copied in
  EXPECT_NE(placed, p);
  EXPECT_EQ(document_->xml(), "<s><p>first</p></s>");
}

TEST_F(DomDocumentTest, IsCreatableByItsProgId) {
  RegisterDomDocumentClass();
  const auto object = ComFactory::Create("MSXML.DOMDocument");
  const auto created = std::dynamic_pointer_cast<DomDocument>(object);
  ASSERT_NE(created, nullptr);
  EXPECT_NE(created, document_);
  ASSERT_TRUE(created->loadXML("<a>x</a>"));
  EXPECT_EQ(created->documentElement().ownerDocument(), created);
}

}  // namespace
}  // namespace platform
