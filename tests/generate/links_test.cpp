// Links, URL values, formatted text and template hyperlinks as DISPLAY commands write them into a
// generated page, over a small in-memory "Memos" domain.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "domains/domain_registry.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/link_texts.h"
#include "generate/script_escaping.h"
#include "generate/web_page_generator.h"
#include "model/quire_domain_object.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "tests/common/test_support.h"

namespace {

namespace fs = std::filesystem;
using platform::DomNode;
using test_support::CapturedStderr;
using test_support::TempFolder;

// ---- Link texts ---------------------------------------------------------------------------

TEST(LinkTextsTest, AnchorNamesKeepLettersAndDigitsFromTheFirstLetter) {
  EXPECT_EQ(anchorNameOf("12 Main-Req #4"), "MainReq4");
  EXPECT_EQ(anchorNameOf("1234 -#"), "");
  EXPECT_EQ(anchorNameOf(""), "");
  // 48 characters kept: the last 39 start with digits, which go up to the next letter.
  EXPECT_EQ(anchorNameOf("x" + std::string(45, '7') + "yz"), "yz");
  EXPECT_EQ(anchorNameOf(std::string(50, 'a')), std::string(39, 'a'));
}

TEST(LinkTextsTest, DecodeReferenceUndoesPercentAndBackslashForms) {
  EXPECT_EQ(decodeReference("a%20b\\x41c%2fd"), "a bAc/d");
  EXPECT_EQ(decodeReference("Memos:Memo:title=O\\x27Neil"), "Memos:Memo:title=O'Neil");
  // A zero code, bad digits and forms cut off by the end stay as written.
  EXPECT_EQ(decodeReference("%00\\x00%zz\\xg1%4"), "%00\\x00%zz\\xg1%4");
  EXPECT_EQ(decodeReference("end%"), "end%");
  EXPECT_EQ(decodeReference("end\\x4"), "end\\x4");
  EXPECT_EQ(decodeReference("\\X41"), "\\X41");
}

TEST(LinkTextsTest, NormaliseUrlGivesEveryTextAScheme) {
  EXPECT_EQ(normaliseUrl("c:\\docs\\a.htm"), "file://c:\\docs\\a.htm");
  EXPECT_EQ(normaliseUrl("plan.HTML"), "file://plan.HTML");
  EXPECT_EQ(normaliseUrl("ann@example.org"), "mailto:ann@example.org");
  EXPECT_EQ(normaliseUrl("ann@host"), "file://ann@host");
  EXPECT_EQ(normaliseUrl("notes.txt"), "file://notes.txt");
  for (const char* kept : {"http://host/a b.htm", "HTTP://HOST", "https://host/x", "ftp://h/f",
                           "file:///c:/x", "mailto:ann@example.org"}) {
    EXPECT_EQ(normaliseUrl(kept), kept);
  }
}

TEST(LinkTextsTest, UrlValuesShowTheirNames) {
  EXPECT_EQ(shownUrlText("mailto:ann@example.org"), "ann");
  EXPECT_EQ(shownUrlText("http://host/docs/plan.htm"), "plan");
  EXPECT_EQ(shownUrlText("file://c:\\docs\\a.b.htm"), "a.b");
  EXPECT_EQ(shownUrlText("http://host/"), "No Name");
  EXPECT_EQ(shownUrlText("mailto:@host"), "No Name");
}

TEST(LinkTextsTest, ShownTextTakesTheReferenceForKindsTwoAndThree) {
  const std::string reference = "Memos:Memo:title=Plan\\x20A";
  EXPECT_EQ(shownValueText("value", reference, 0x00), "value");
  EXPECT_EQ(shownValueText("value", reference, 0x01), "value");
  EXPECT_EQ(shownValueText("value", reference, 0x02), "Memos:Memo:title=Plan A");
  EXPECT_EQ(shownValueText("value", "  " + reference + "\t", 0x0B), "Memos:Memo:title=Plan A");
  EXPECT_EQ(shownValueText("value", "", 0x02), "-Not-Named-");
  EXPECT_EQ(shownValueText("value", " \\x20 ", 0x03), "-Not-Named-");
  EXPECT_EQ(shownValueText("http://host/plan.htm", reference, 0x03), "plan");
}

TEST(LinkTextsTest, ScriptUrlsAreRecognisedAsABrowserReadsThem) {
  for (const char* url : {"javascript:alert(1)", " JavaScript:x", "java\tscript:x",
                          "\njavascript:x", "VBScript:msgbox"}) {
    EXPECT_TRUE(isScriptUrl(url)) << url;
  }
  for (const char* url :
       {"http://javascript.example/", "javascriptx", "file://javascript:x", "", "javascript"}) {
    EXPECT_FALSE(isScriptUrl(url)) << url;
  }
}

// ---- The "Memos" domain -------------------------------------------------------------------

// A memo is found by its key; its reference names it by its title.
class MemoObject : public QuireDomainObject {
 public:
  MemoObject(QuireClass cls, std::string key, std::string title)
      : class_(cls), key_(std::move(key)), title_(std::move(title)) {}
  QuireClass getClass(QuireStatus& status) const override {
    status = QuireStatus();
    return class_;
  }
  std::unique_ptr<QuireDomainObject> clone() const override {
    return std::make_unique<MemoObject>(*this);
  }
  void display(QuireStatus& status) const override { status = QuireStatus(); }
  void getConstructorArguments(QuireArgumentValues& list, bool,
                               QuireStatus& status) const override {
    status = QuireStatus();
    list = {QuireAttributeValue(QuireAttribute("title", QuireType::STRING, class_), title_)};
  }
  const std::string& key() const { return key_; }

 private:
  QuireClass class_;
  std::string key_;
  std::string title_;
};

// Class Memo: key, title, text, url (STRING), body (STRING of effective type 9) and
// MemoFormattedText (STRING named as formatted text).
class MemosDomain : public QuireStandardDomain {
 public:
  MemosDomain() : QuireStandardDomain("Memos") {}

  void loadSchema(QuireStatus& status) override {
    status = QuireStatus();
    const QuireClass memo = addClass("Memo");
    const QuireAttribute key("key", QuireType::STRING, memo);
    QuireAttribute body("body", QuireType::STRING, memo);
    body.setEffectiveType(9);
    for (const QuireFeatureList which : {QuireFeatureList::kFirst, QuireFeatureList::kSecond}) {
      memo.attributeList(which) = {key,
                                   QuireAttribute("title", QuireType::STRING, memo),
                                   QuireAttribute("text", QuireType::STRING, memo),
                                   QuireAttribute("url", QuireType::STRING, memo),
                                   body,
                                   QuireAttribute("MemoFormattedText", QuireType::STRING, memo)};
    }
    memo.connectorArguments() = {key};
    memo.constructorArguments() = {key};
  }

  QuireObject makeObject(const QuireClass& cls, const QuireArgumentValues& values,
                         QuireStatus& status, int /*completeness*/) override {
    status = QuireStatus();
    if (values.size() == 1) {
      const auto found = memos.find(values[0].displayText());
      if (found != memos.end()) {
        return QuireObject(std::make_unique<MemoObject>(cls, found->first, found->second["title"]));
      }
    }
    status = QuireStatus(63, "Memos: no such memo");
    return QuireObject();
  }

  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    const auto* memo = local.as<MemoObject>();
    if (memo == nullptr) {
      status = QuireStatus(63, "Memos: not a memo");
      return QuireAttributeValue();
    }
    std::map<std::string, std::string>& values = memos[memo->key()];
    const auto found = values.find(attribute.name());
    if (found == values.end()) return QuireAttributeValue(attribute, QuireValue());
    return QuireAttributeValue(attribute, found->second);
  }

  // key -> attribute name -> value text
  std::map<std::string, std::map<std::string, std::string>> memos;
};

MemosDomain& Memos() {
  static MemosDomain* memos = [] {
    DomainRegistry& registry = DomainRegistry::instance();
    return static_cast<MemosDomain*>(&registry.registerDomain(std::make_unique<MemosDomain>()));
  }();
  return *memos;
}

// The page completion of the portal is left out, so the links stay as the values wrote them.
class ValuesOnlyGenerator : public WebPageGenerator {
 public:
  using WebPageGenerator::WebPageGenerator;

 protected:
  bool completePage(const RequestTexts& /*request*/) override { return true; }
};

std::string Span(const std::string& command, const std::string& content = "x") {
  return "<span QuireQuery=\"" + command + "\" style=\"color:red\">" + content + "</span>";
}
const std::string kOpenMemo = Span("C:n:Memos:Memo:key=N1");
// A DISPLAY of the memo's attribute with a string modifier and the given flags (and text).
std::string Show(const std::string& attribute, const std::string& flags = "") {
  return Span("F:n:Memos:Memo::" + attribute + ":SAA" + flags);
}

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}
// A 1x1 GIF and the frame of a JPEG, written as bytes.
const std::string kGif =
    Bytes({'G',  'I',  'F',  '8',  '9',  'a',  0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xff, 0xff,
           0xff, 0x00, 0x00, 0x00, '!',  0xf9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, ',',  0x00, 0x00,
           0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 'D',  0x01, 0x00, ';'});
const std::string kJpeg = Bytes({0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 'J',  'F',  'I',  'F',  0x00,
                                 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0xff, 0xd9});

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LinksTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test_support::LoadSampleHostStrings(); }
  void SetUp() override {
    Memos().memos["N1"] = {{"key", "N1"}, {"title", "Plan A"}, {"text", "Plan"}};
    platform::ClearInitParametersForTesting();
    platform::BindInitParameter("debugLevel", "3");  // warnings reach the log
    platform::ResetLogThresholdForTesting();
  }
  void TearDown() override {
    platform::ClearInitParametersForTesting();
    platform::ResetLogThresholdForTesting();
  }
  void SetMemo(const std::string& attribute, const std::string& value) {
    Memos().memos["N1"][attribute] = value;
  }

  // Generates a page with `body` after the OPEN of memo N1; the status of the generation.
  QuireStatus Generate(const std::string& body) {
    document = platform::DomDocument::Create();
    EXPECT_TRUE(document->loadXML("<html><body>" + kOpenMemo + body + "</body></html>"))
        << document->parseError().reason;
    errors = std::make_unique<ErrorCollector>("page.htm");
    ValuesOnlyGenerator generator(document, folder.Path("page.htm"), *errors);
    return generator.generatePage("", "http://portal", "template", outline);
  }
  // Generates and gives the `a` that the single DISPLAY of `body` became.
  DomNode GenerateLink(const std::string& body) {
    const QuireStatus status = Generate(body);
    EXPECT_TRUE(status.IsOk()) << status.Text();
    const DomNode link = Body().selectSingleNode(".//span/a");
    EXPECT_TRUE(link) << document->xml();
    return link;
  }
  DomNode Body() const { return document->documentElement().selectSingleNode("body"); }
  std::string Companion(const std::string& name) const { return folder.Path("page_files/" + name); }

  TempFolder folder{"links"};
  std::shared_ptr<platform::DomDocument> document;
  std::unique_ptr<ErrorCollector> errors;
  std::optional<std::string> outline;
};

// ---- Links --------------------------------------------------------------------------------

TEST_F(LinksTest, PlainValuesAreTextWithoutALink) {
  ASSERT_TRUE(Generate(Show("text")).IsOk());
  EXPECT_EQ(Body().selectNodes(".//a").length(), 0u);
  EXPECT_EQ(Body().text(), "Plan");
}

TEST_F(LinksTest, PortalPageLinkPassesTheValueTextWithBitEight) {
  const DomNode link = GenerateLink(Show("text", "0aview"));
  EXPECT_EQ(link.getAttribute("href"),
            "javascript:getPage('Memos:Memo:title=Plan A','view','','1','Plan','','1')");
  EXPECT_EQ(link.text(), "Memos:Memo:title=Plan A");  // the reached object's reference

  EXPECT_EQ(GenerateLink(Show("text", "02view")).getAttribute("href"),
            "javascript:getPage('Memos:Memo:title=Plan A','view','','0','','','0')");
}

TEST_F(LinksTest, AnACommandElementIsTheLinkItself) {
  ASSERT_TRUE(Generate("<a QuireQuery=\"F:n:Memos:Memo::text:SAA02\">x</a>").IsOk());
  const DomNode link = Body().selectSingleNode("a");
  ASSERT_TRUE(link);
  EXPECT_TRUE(link.getAttribute("href").starts_with("javascript:getPage('Memos:Memo:"));
  EXPECT_EQ(link.selectNodes(".//a").length(), 0u);
}

TEST_F(LinksTest, InPageLinkNamesTheAnchorOfTheReference) {
  SetMemo("title", "12 Main-Req #4");
  EXPECT_EQ(GenerateLink(Show("text", "01")).getAttribute("href"),
            "#" + anchorNameOf("Memos:Memo:title=12 Main-Req #4"));
  EXPECT_EQ(GenerateLink(Show("text", "01")).getAttribute("href"), "#MemosMemotitle12MainReq4");
}

TEST_F(LinksTest, UrlLinkWithoutBitEightGetsTheNormalisedValue) {
  SetMemo("url", "c:\\docs\\a.htm");
  DomNode link = GenerateLink(Show("url", "03"));
  EXPECT_EQ(link.getAttribute("href"), "file://c:\\docs\\a.htm");
  EXPECT_FALSE(link.hasAttribute("target"));
  EXPECT_FALSE(outline.has_value());  // nothing registered

  SetMemo("url", "http://host/docs/plan.htm");
  link = GenerateLink(Show("url", "23"));
  EXPECT_EQ(link.getAttribute("href"), "http://host/docs/plan.htm");
  EXPECT_EQ(link.getAttribute("target"), "_new");
  EXPECT_EQ(link.text(), "plan");
}

TEST_F(LinksTest, UrlLinkWithBitEightIsRegisteredInTheOutline) {
  SetMemo("url", "c:\\docs\\a.htm");
  const DomNode link = GenerateLink(Show("url", "2b"));
  EXPECT_EQ(link.getAttribute("href"), "file://c:\\docs\\a.htm");
  EXPECT_EQ(link.getAttribute("target"), "_new");
  ASSERT_TRUE(outline.has_value());
  auto entries = platform::DomDocument::Create();
  ASSERT_TRUE(entries->loadXML("<o>" + *outline + "</o>")) << *outline;
  EXPECT_EQ(entries->selectNodes("o/outline").length(), 1u);
  EXPECT_TRUE(
      entries->selectSingleNode("o/outline/context[@name='url' and @value='file://c:/docs/a.htm']"))
      << *outline;
  EXPECT_TRUE(entries->selectSingleNode("o/outline/context[@name='frame' and @value='new']"))
      << *outline;
}

TEST_F(LinksTest, ProxyLinksCallGetProxyWithTheEntryIdAndOpenNoWindow) {
  SetMemo("url", "http://host/x.htm");
  const DomNode link = GenerateLink(Show("url", "3b"));  // kind 3 with 8, 16 and 32
  ASSERT_TRUE(outline.has_value());
  auto entries = platform::DomDocument::Create();
  ASSERT_TRUE(entries->loadXML("<o>" + *outline + "</o>"));
  const std::string id = entries->selectSingleNode("o/outline").getAttribute("id");
  ASSERT_FALSE(id.empty());
  EXPECT_EQ(link.getAttribute("href"), "javascript:getProxy('" + id + "')");
  EXPECT_FALSE(link.hasAttribute("target"));
}

TEST_F(LinksTest, ScriptUrlsAreDroppedWithALogLine) {
  SetMemo("url", " JavaScript:alert(document.cookie)");
  for (const char* flags : {"03", "23", "0b", "3b"}) {
    SCOPED_TRACE(flags);
    std::string log;
    log = CapturedStderr([&] {
      const DomNode link = GenerateLink(Show("url", flags));
      EXPECT_FALSE(link.hasAttribute("href"));
    });
    EXPECT_NE(log.find("JavaScript:alert"), std::string::npos) << log;
    EXPECT_FALSE(outline.has_value());
  }
}

TEST_F(LinksTest, QuotesBackslashesAndAnglesStayInsideTheScriptArgument) {
  const std::string title = "O'Neil \"Q\" <b> \\ 50%\nend";
  const std::string value = "it's \"x\" </a> \\";
  SetMemo("title", title);
  SetMemo("text", value);
  const DomNode link = GenerateLink(Show("text", "0a'v&lt;"));
  const std::string href = link.getAttribute("href");
  EXPECT_EQ(href, "javascript:getPage('" + EscapeScriptArgument("Memos:Memo:title=" + title) +
                      "','" + EscapeScriptArgument("'v<") + "','','1','" +
                      EscapeScriptArgument(value) + "','','1')");
  // Only the delimiters remain as quotes; nothing can close the argument or the script.
  const std::string arguments = href.substr(std::string("javascript:getPage(").size());
  std::string quotes;
  for (char c : arguments) {
    if (c == '\'' || c == '"' || c == '<' || c == '>' || c == '\n') quotes += c;
  }
  EXPECT_EQ(quotes, std::string(14, '\''));
  EXPECT_EQ(decodeReference(EscapeScriptArgument(title)), title);
  // The page still reads back with the same href.
  auto reread = platform::DomDocument::Create();
  ASSERT_TRUE(reread->loadXML(document->xml()));
  EXPECT_EQ(reread->selectSingleNode("//span/a").getAttribute("href"), href);
}

TEST_F(LinksTest, MultiLineLinkTextsAreSpansInsideTheLink) {
  SetMemo("title", "first\nsecond");
  const DomNode link = GenerateLink(Show("text", "02"));
  EXPECT_EQ(link.selectNodes("span").length(), 2u);
  EXPECT_EQ(link.selectNodes("br").length(), 1u);
}

// ---- Formatted text -----------------------------------------------------------------------

TEST_F(LinksTest, FormattedTextReplacesTheContentAndCopiesItsPictures) {
  const std::string picture = folder.Write("export/pic.gif", kGif);
  const std::string photo = folder.Write("export/photo.jpg", kJpeg);
  folder.Write("page_files/newimage007.gif", kGif);
  folder.Write("page_files/newimage012.gif", kGif);
  SetMemo("body", "<p class=MsoNormal>Intro <b>bold</b></p><p><img src=\"" + picture +
                      "\" width=1><img src=\"file://" + photo + "\"></p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());

  const DomNode element = Body().selectSingleNode("span");
  EXPECT_FALSE(element.hasAttribute("style"));
  EXPECT_EQ(element.selectNodes("p").length(), 2u);
  EXPECT_EQ(element.selectSingleNode("p/b").text(), "bold");
  EXPECT_EQ(element.text().find('x'), std::string::npos);  // the placeholder is gone
  const platform::DomNodeList images = element.selectNodes(".//img");
  ASSERT_EQ(images.length(), 2u);
  EXPECT_EQ(images.item(0).getAttribute("src"), "./page_files/newimage013.gif");
  EXPECT_EQ(images.item(1).getAttribute("src"), "./page_files/newimage001.jpg");
  EXPECT_EQ(ReadFile(Companion("newimage013.gif")), kGif);
  EXPECT_EQ(ReadFile(Companion("newimage001.jpg")), kJpeg);
  // The export folder lay under the temporary folder: emptied and removed.
  EXPECT_FALSE(fs::exists(folder.Path("export")));
  EXPECT_TRUE(fs::exists(folder.Path()));
}

TEST_F(LinksTest, FormattedTextNeverRemovesTheTemplatesFolder) {
  folder.Write("pic.gif", kGif);
  SetMemo("MemoFormattedText", "<html><body><img src=\"pic.gif\"></body></html>");
  ASSERT_TRUE(Generate(Show("MemoFormattedText")).IsOk());
  EXPECT_EQ(Body().selectSingleNode("span/img").getAttribute("src"),
            "./page_files/newimage001.gif");
  EXPECT_TRUE(fs::exists(folder.Path("pic.gif")));
}

TEST_F(LinksTest, UnusablePicturesInFormattedTextLeaveAMarkAndALogLine) {
  folder.Write("kept/empty.gif", "");
  folder.Write("kept/text.gif", "not a picture");
  SetMemo("body", "<p><img src=\"" + folder.Path("kept/missing.gif") + "\"><img src=\"" +
                      folder.Path("kept/empty.gif") + "\"><img src=\"" +
                      folder.Path("kept/text.gif") + "\"><img src=\"http://host/p.gif\"></p>");
  std::string log;
  log = CapturedStderr([&] { EXPECT_TRUE(Generate(Show("body")).IsOk()); });
  const DomNode paragraph = Body().selectSingleNode("span/p");
  EXPECT_EQ(paragraph.selectNodes("span").length(), 3u);
  EXPECT_EQ(paragraph.selectSingleNode("span").text(), "<picture missing>");
  EXPECT_EQ(paragraph.selectSingleNode("img").getAttribute("src"), "http://host/p.gif");
  for (const char* name : {"missing.gif", "empty.gif", "text.gif"}) {
    EXPECT_NE(log.find(name), std::string::npos) << name << "\n" << log;
  }
  EXPECT_FALSE(fs::exists(Companion("")));
}

TEST_F(LinksTest, FormattedTextLosesItsScripts) {
  SetMemo("body",
          "<p onclick=\"steal()\">a<script>steal()</script><a href=\"javascript:steal()\">b</a>"
          "<a href=\"http://host/\" onMouseOver='steal()'>c</a></p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());
  const DomNode paragraph = Body().selectSingleNode("span/p");
  EXPECT_FALSE(paragraph.hasAttribute("onclick"));
  EXPECT_EQ(paragraph.selectNodes("script").length(), 0u);
  EXPECT_FALSE(paragraph.selectSingleNode("a").hasAttribute("href"));
  EXPECT_EQ(paragraph.selectNodes("a").item(1).getAttribute("href"), "http://host/");
  EXPECT_FALSE(paragraph.selectNodes("a").item(1).hasAttribute("onMouseOver"));
  EXPECT_EQ(paragraph.text(), "abc");
}

TEST_F(LinksTest, FormattedTextInAWesternCharsetAndWithHtmlEntitiesLoads) {
  SetMemo("body", "<p>caf\xE9 &copy; &nbsp;x</p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());
  EXPECT_EQ(Body().selectSingleNode("span/p").text(), "caf\xC3\xA9 \xC2\xA9 x");
}

TEST_F(LinksTest, FormattedTextThatDoesNotParseFailsTheDisplay) {
  SetMemo("body", "<p><b>open</p></i>");
  std::string log;
  QuireStatus status;
  log = CapturedStderr([&] { status = Generate(Show("body")); });
  EXPECT_FALSE(status.IsOk());
  EXPECT_NE(log.find("The formatted text could not be parsed: "), std::string::npos) << log;
}

TEST_F(LinksTest, EmptyFormattedTextEmptiesTheElement) {
  SetMemo("body", " ");
  ASSERT_TRUE(Generate(Show("body")).IsOk());
  EXPECT_FALSE(Body().selectSingleNode("span").hasChildNodes());
}

// ---- Template hyperlinks ------------------------------------------------------------------

TEST_F(LinksTest, TemplateHyperlinksBecomeGetPageCalls) {
  ASSERT_TRUE(Generate("<p><a href=\"$$Memos:Memo:3:key=N\\x27s%20one\">a</a>"
                       "<a href=\"http://host/\">b</a><a href=\"$$Memos:Memo\">c</a>"
                       "<a href=\"$$D:C:x:name=&lt;b&gt;,&quot;q&quot;\">d</a></p>")
                  .IsOk());
  const platform::DomNodeList links = Body().selectNodes(".//a");
  ASSERT_EQ(links.length(), 4u);
  EXPECT_EQ(links.item(0).getAttribute("href"),
            "JavaScript:getPage('Memos:Memo:key=N\\x27s one','','0','','','1')");
  EXPECT_EQ(links.item(1).getAttribute("href"), "http://host/");
  EXPECT_EQ(links.item(2).getAttribute("href"), "$$Memos:Memo");  // names no object
  EXPECT_EQ(links.item(3).getAttribute("href"),
            "JavaScript:getPage('D:C:name=\\x3Cb\\x3E,\\x22q\\x22','','0','','','1')");
}

}  // namespace
