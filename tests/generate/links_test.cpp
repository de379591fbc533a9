// Link texts, anchors, script URLs, escaping and formatted text written by DISPLAY, over "Memos";
// the link kinds as pages show them are in tests/golden.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "domains/domain_registry.h"
#include "foundation/quire_status.h"
#include "generate/error_collector.h"
#include "generate/link_texts.h"
#include "generate/script_escaping.h"
#include "generate/template_annotator.h"
#include "generate/web_page_generator.h"
#include "generation_fixture.h"
#include "model/quire_standard_domain.h"
#include "platform/config.h"
#include "platform/dom/dom_document.h"
#include "platform/log.h"
#include "word_comments.h"

namespace {

namespace fs = std::filesystem;
using platform::DomNode;
using test_support::CapturedStderr;
using test_support::KeyedObject;
using test_support::TempFolder;

TEST(LinkTextsTest, AnchorNamesKeepLettersAndDigitsFromTheFirstLetter) {
  EXPECT_EQ(AnchorNameOf("12 Main-Req #4"), "MainReq4");
  EXPECT_EQ(AnchorNameOf(std::string(50, 'a')), std::string(39, 'a'));
}

TEST(LinkTextsTest, NormaliseUrlGivesEveryTextAScheme) {
  EXPECT_EQ(NormaliseUrl("c:\\docs\\a.htm"), "file://c:\\docs\\a.htm");
  EXPECT_EQ(NormaliseUrl("ann@example.org"), "mailto:ann@example.org");
  for (const char* kept : {"http://host/a b.htm", "mailto:ann@example.org"}) {
    EXPECT_EQ(NormaliseUrl(kept), kept);
  }
}

TEST(LinkTextsTest, ShownTextTakesTheReferenceForKindsTwoAndThree) {
  const std::string reference = "Memos:Memo:title=Plan\\x20A";
  EXPECT_EQ(ShownValueText("value", reference, 0x02), "Memos:Memo:title=Plan A");
  EXPECT_EQ(ShownValueText("value", "", 0x02), "-Not-Named-");
  EXPECT_EQ(ShownValueText("http://host/plan.htm", reference, 0x03), "plan");
  EXPECT_EQ(ShownValueText("mailto:ann@example.org", reference, 0x03), "mailto:ann");
  EXPECT_EQ(ShownValueText("file:///docs/", reference, 0x03), "No Name");
}

// Class Memo: key, title, text, url, body (effective type 9) and MemoFormattedText (by its name).
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
        // Its reference names it by its title; without one the reference cannot be built.
        const std::string& title = found->second["title"];
        QuireArgumentValues arguments;
        if (!title.empty()) {
          arguments.emplace_back(QuireAttribute("title", QuireType::STRING, cls), title);
        }
        return QuireObject(std::make_unique<KeyedObject>(cls, found->first, std::move(arguments)));
      }
    }
    status = QuireStatus(kEvaluationError, "Memos: no such memo");
    return QuireObject();
  }

  QuireAttributeValue getAttributeValue(QuireStatus& status, const QuireAttribute& attribute,
                                        const QuireObject& local) override {
    status = QuireStatus();
    const auto* memo = local.as<KeyedObject>();
    if (memo == nullptr) return QuireAttributeValue();
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

// A 1x1 GIF.
const std::string kGif(
    "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
    "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
    43);

class LinksTest : public test_support::GenerationFixture<> {
 protected:
  void SetUp() override {
    GenerationFixture::SetUp();
    Memos().memos["N1"] = {{"key", "N1"}, {"title", "Plan A"}, {"text", "Plan"}};
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

  TempFolder folder{"links"};
  std::shared_ptr<platform::DomDocument> document;
  std::unique_ptr<ErrorCollector> errors;
  std::optional<std::string> outline;
};

TEST_F(LinksTest, InPageLinkNamesTheAnchorOfTheReference) {
  SetMemo("title", "12 Main-Req #4");
  EXPECT_EQ(GenerateLink(Show("text", "01")).getAttribute("href"), "#MemosMemotitle12MainReq4");
}

// The link gets whatever reference text came back (the domain and class alone); the value is
// still read, shown and passed on.
TEST_F(LinksTest, AReferenceThatCannotBeBuiltKeepsTheValueAndItsLink) {
  Memos().memos["N1"].erase("title");
  DomNode link = GenerateLink(Show("text", "01"));
  EXPECT_EQ(link.getAttribute("href"), "#MemosMemo");
  EXPECT_EQ(link.text(), "Plan");
  EXPECT_TRUE(errors->empty());

  link = GenerateLink(Show("text", "0a"));
  EXPECT_EQ(link.getAttribute("href"), "javascript:getPage('Memos:Memo:','','','1','Plan','','1')");
  EXPECT_TRUE(errors->empty());
}

TEST_F(LinksTest, RegisteredUrlsAreDynamicEntriesOpenedWhereTheLinkSays) {
  SetMemo("url", "http://host/docs/plan.htm");
  // flags, the entry's frame
  for (const auto& [flags, frame] :
       {std::pair<std::string, std::string>{"2b", "new"}, {"0b", "main"}, {"3b", "new"}}) {
    SCOPED_TRACE(flags);
    GenerateLink(Show("url", flags));
    ASSERT_TRUE(outline.has_value());
    auto entries = platform::DomDocument::Create();
    ASSERT_TRUE(entries->loadXML("<outline>" + *outline + "</outline>"));
    const DomNode entry = entries->documentElement().selectSingleNode("outline");
    ASSERT_TRUE(entry);
    std::map<std::string, std::string> contexts;
    for (const DomNode& context : entry.selectNodes("context")) {
      contexts[context.getAttribute("name")] = context.getAttribute("value");
    }
    EXPECT_EQ(contexts["url"], "http://host/docs/plan.htm");
    EXPECT_EQ(contexts["template"], "web:url:dynamic");
    EXPECT_EQ(contexts["frame"], frame);
  }
}

TEST_F(LinksTest, ScriptUrlsAreDroppedWithALogLine) {
  SetMemo("url", " JavaScript:alert(document.cookie)");
  for (const char* flags : {"03", "23", "0b", "3b"}) {
    SCOPED_TRACE(flags);
    const std::string log = CapturedStderr([&] {
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
}

// A DISPLAY of formatted text, by its type or by its name, is moved into an element of its own
// beside its mark, as the walk will write markup into it; a text DISPLAY is not.
TEST_F(LinksTest, FormattedTextDisplaysGetAnElementOfTheirOwnWhenAnnotated) {
  for (const auto& [attribute, wrapped] : std::vector<std::pair<std::string, bool>>{
           {"body", true}, {"MemoFormattedText", true}, {"title", false}}) {
    SCOPED_TRACE(attribute);
    const std::string command = "F:m:Memos:Memo::" + attribute + ":SAA:";
    auto page = platform::DomDocument::Create();
    ASSERT_TRUE(page->loadXML(test_support::WordPage(
        "<p>" + test_support::Mark(1, "[DISPLAY1]") + "&lt;Text&gt;</p>", {command})));
    QuireStatus status;
    ASSERT_TRUE(TemplateAnnotator(page).annotateTemplate(status)) << status.Text();
    const DomNode display = page->selectSingleNode("//*[@QuireQuery='" + command + "']");
    ASSERT_TRUE(display);
    EXPECT_EQ(display.parentNode().nodeName(), wrapped ? "span" : "p");
  }
}

TEST_F(LinksTest, FormattedTextReplacesTheContentAndCopiesItsPictures) {
  const std::string picture = folder.Write("export/pic.gif", kGif);
  folder.Write("page_files/newimage012.gif", kGif);
  SetMemo("body", "<p class=MsoNormal>Intro <b>bold</b></p><p><img src=\"" + picture + "\"></p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());

  const DomNode element = Body().selectSingleNode("span");
  EXPECT_EQ(element.text().find('x'), std::string::npos);  // the placeholder is gone
  EXPECT_EQ(element.selectSingleNode(".//img").getAttribute("src"), "./page_files/newimage013.gif");
  EXPECT_EQ(fs::file_size(folder.Path("page_files/newimage013.gif")), kGif.size());
  // The export folder lay under the temporary folder: emptied and removed.
  EXPECT_FALSE(fs::exists(folder.Path("export")));
}

// A Word date field in formatted text takes the date like one of the template's, though the
// template has none.
TEST_F(LinksTest, FormattedTextDateFieldsTakeTheDate) {
  SetMemo("body",
          "<p><!--[if supportFields]>DATE \\@ &quot;yyyy&quot;<![endif]-->"
          "<span>old</span></p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ASSERT_NE(localtime_r(&now, &local), nullptr);
  EXPECT_EQ(Body().selectSingleNode("span/p/span").text(), std::to_string(1900 + local.tm_year));
}

TEST_F(LinksTest, FormattedTextNeverRemovesTheTemplatesFolder) {
  folder.Write("pic.gif", kGif);
  SetMemo("MemoFormattedText", "<html><body><img src=\"pic.gif\"></body></html>");
  ASSERT_TRUE(Generate(Show("MemoFormattedText")).IsOk());
  EXPECT_EQ(Body().selectSingleNode("span/img").getAttribute("src"),
            "./page_files/newimage001.gif");
  EXPECT_TRUE(fs::exists(folder.Path("pic.gif")));
}

TEST_F(LinksTest, FormattedTextLosesItsScripts) {
  SetMemo("body",
          "<p onclick=\"steal()\">a<script>steal()</script><a href=\"javascript:steal()\">b</a>"
          "c</p>");
  ASSERT_TRUE(Generate(Show("body")).IsOk());
  const DomNode paragraph = Body().selectSingleNode("span/p");
  EXPECT_FALSE(paragraph.hasAttribute("onclick"));
  EXPECT_EQ(paragraph.selectNodes("script").length(), 0u);
  EXPECT_FALSE(paragraph.selectSingleNode("a").hasAttribute("href"));
  EXPECT_EQ(paragraph.text(), "abc");
}

// Formatted text comes from data in the system code page, UTF-8 here: bytes that are valid UTF-8
// are read as UTF-8 whatever the fragment names, "&middot;" among them; other bytes are read in
// their declared charset, Windows ANSI when they name none.
TEST_F(LinksTest, FormattedTextIsReadAsUtf8WhenItsBytesAreUtf8) {
  const std::string meta1252 =
      "<meta http-equiv=Content-Type content=\"text/html; charset=windows-1252\">";
  const std::string metaLatin2 =
      "<meta http-equiv=Content-Type content=\"text/html; charset=iso-8859-2\">";
  for (const auto& [fragment, shown] : std::vector<std::pair<std::string, std::string>>{
           {"<p>M\xC3\xBCller &middot; Berlin</p>", "M\xC3\xBCller \xC2\xB7 Berlin"},
           {"<html><head>" + meta1252 +
                "</head><body><p>Gr\xC3\xB6\xC3\x9F"
                "e</p></body></html>",
            "Gr\xC3\xB6\xC3\x9F"
            "e"},
           {"<html><head>" + meta1252 + "</head><body><p>a &middot; b</p></body></html>",
            "a \xC2\xB7 b"},
           // Not UTF-8: Windows ANSI, or the charset the fragment names.
           {"<p>M\xFCller &middot; Berlin</p>", "M\xC3\xBCller \xC2\xB7 Berlin"},
           {"<html><head>" + meta1252 +
                "</head><body><p>Gr\xF6\xDF"
                "e</p></body></html>",
            "Gr\xC3\xB6\xC3\x9F"
            "e"},
           {"<html><head>" + metaLatin2 +
                "</head><body><p>\xB3\xF3"
                "d\xBC</p></body></html>",
            "\xC5\x82\xC3\xB3"
            "d\xC5\xBA"}}) {
    SCOPED_TRACE(fragment);
    SetMemo("body", fragment);
    const QuireStatus status = Generate(Show("body"));
    ASSERT_TRUE(status.IsOk()) << status.Text();
    const DomNode paragraph = Body().selectSingleNode("span//p");
    ASSERT_TRUE(paragraph) << document->xml();
    EXPECT_EQ(paragraph.text(), shown);
  }
}

TEST_F(LinksTest, FormattedTextThatDoesNotParseFailsTheDisplay) {
  SetMemo("body", "<p><b>open</p></i>");
  QuireStatus status;
  const std::string log = CapturedStderr([&] { status = Generate(Show("body")); });
  EXPECT_FALSE(status.IsOk());
  EXPECT_NE(log.find("The formatted text could not be parsed: "), std::string::npos) << log;
}

}  // namespace
