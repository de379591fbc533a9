#include "platform/dom/xsl_pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"

namespace platform {
namespace {

HResult ErrorCodeOf(void (*call)()) {
  try {
    call();
  } catch (const ComError& e) {
    return e.Code();
  }
  return kS_OK;
}

TEST(XslPatternTranslation, AndOrAndComparisonOperatorsBecomeXPath) {
  EXPECT_EQ(TranslateXslPattern("./ol[@start >= 1 $and$ @type]"), "./ol[@start >= 1 and @type]");
  EXPECT_EQ(TranslateXslPattern("a[@x$or$@y]"), "a[@x or @y]");
  EXPECT_EQ(TranslateXslPattern("a[@n $ge$ 2 $and$ @n $lt$ 5]"), "a[@n >= 2 and @n < 5]");
  EXPECT_EQ(TranslateXslPattern("a[@n $eq$ 1 $or$ @n $ne$ 3]"), "a[@n = 1 or @n != 3]");
}

TEST(XslPatternTranslation, ZeroBasedIntegerPredicatesShiftByOne) {
  EXPECT_EQ(TranslateXslPattern(".//comment()[0]"), ".//comment()[1]");
  EXPECT_EQ(TranslateXslPattern("tr[ 9 ]/td[99]"), "tr[10]/td[100]");
  EXPECT_EQ(TranslateXslPattern("a[99999999999999999999]"), "a[100000000000000000000]");
}

TEST(XslPatternTranslation, OnlyPlainIntegerPredicatesAreShifted) {
  EXPECT_EQ(TranslateXslPattern("a[@n = 0]"), "a[@n = 0]");
  EXPECT_EQ(TranslateXslPattern("a[position() = 1]"), "a[position() = 1]");
  EXPECT_EQ(TranslateXslPattern("a[0 + 1]"), "a[0 + 1]");
  EXPECT_EQ(TranslateXslPattern("a[b[0]]"), "a[b[1]]");
}

TEST(XslPatternTranslation, StringLiteralsAreNotRewritten) {
  EXPECT_EQ(TranslateXslPattern(".//span[. = 'x $and$ y [0]']"), ".//span[. = 'x $and$ y [0]']");
  EXPECT_EQ(TranslateXslPattern("a[@t = \"$or$[2]\" $and$ @u]"), "a[@t = \"$or$[2]\" and @u]");
}

TEST(XslPatternTranslation, NotWrapsItsOperandUpToTheNextConnective) {
  EXPECT_EQ(TranslateXslPattern("a[$not$ @b]"), "a[not(@b)]");
  EXPECT_EQ(TranslateXslPattern("a[$not$ @b $and$ @c]"), "a[not(@b) and @c]");
  EXPECT_EQ(TranslateXslPattern("a[@c $and$ $not$ @b = 'x]']"), "a[@c and not(@b = 'x]')]");
}

TEST(XslPatternTranslation, PatternsWithoutXslFormsPassThrough) {
  for (const char* pattern :
       {"body/div//a[@class='msocomanchor']", ".//v:shape[@style]", ".//*[text() != '']",
        ".//SCRIPT", "head/script[@language='JavaScript']"}) {
    EXPECT_EQ(TranslateXslPattern(pattern), pattern);
  }
}

TEST(XslPatternTranslation, UnknownOrUnclosedOperatorIsRejected) {
  EXPECT_EQ(ErrorCodeOf([] { TranslateXslPattern("a[@x $ieq$ 'b']"); }), kE_INVALIDARG);
  EXPECT_EQ(ErrorCodeOf([] { TranslateXslPattern("a[@x $and @y]"); }), kE_INVALIDARG);
  try {
    TranslateXslPattern("a[$any$ b]");
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_EQ(e.Description(), "Invalid query: unsupported operator \"$any$\" in \"a[$any$ b]\"");
  }
}

TEST(XslQueryCache, BadPatternRaisesInvalidQueryNamingThePattern) {
  XslQueryCache cache;
  try {
    cache.Compile("body/div[@class='x'");
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_EQ(e.Code(), kE_INVALIDARG);
    EXPECT_EQ(e.Description().rfind("Invalid query: ", 0), 0u) << e.Description();
    EXPECT_NE(e.Description().find("body/div[@class='x'"), std::string::npos);
  }
  EXPECT_EQ(cache.Size(), 0u);
}

TEST(XslQueryCache, SameTranslationSharesOneCompiledQuery) {
  XslQueryCache cache;
  const auto first = cache.Compile("a[0]");
  EXPECT_EQ(cache.Compile("a[0]"), first);
  EXPECT_EQ(cache.Compile("a[ 0 ]"), first);  // translates to the same "a[1]"
  EXPECT_NE(cache.Compile("a[1]"), first);
  EXPECT_EQ(cache.Size(), 2u);
}

TEST(XslQueryCache, StaysWithinItsCapacityAndHandedOutQueriesStayUsable) {
  XslQueryCache cache(2);
  const auto kept = cache.Compile("b");
  cache.Compile("c");
  cache.Compile("d");
  EXPECT_LE(cache.Size(), 2u);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string("<a><b/><b/></a>"));
  EXPECT_EQ(kept->evaluate_node_set(document.child("a")).size(), 2u);
}

TEST(XslQueryCache, ConcurrentCompilesAllReturnWorkingQueries) {
  XslQueryCache cache(4);  // small, so threads also race the starting-over
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string("<a><b/><b/><c/></a>"));
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      const char* patterns[] = {"a/b", "a/b[0]", "a/c", "a/*[$not$ self::c]", "a/b[1]", "//b"};
      const size_t expected[] = {2, 1, 1, 2, 1, 2};
      for (int round = 0; round < 500; ++round) {
        const size_t k = static_cast<size_t>(round + t) % 6;
        if (cache.Compile(patterns[k])->evaluate_node_set(document).size() != expected[k]) ++wrong;
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

// The patterns the library runs, on a page shaped like a word processor's saved HTML.
class XslPatternOnWordTemplate : public ::testing::Test {
 protected:
  void SetUp() override {
    document_ = DomDocument::Create();
    ASSERT_TRUE(document_->load(std::string(XMLAGENT_TEST_DATA) + "/word_template.htm"))
        << document_->parseError().reason << " line " << document_->parseError().line;
    root_ = document_->documentElement();
    body_ = root_.selectSingleNode("body");
    ASSERT_FALSE(body_.isNull());
  }

  static std::vector<std::string> Texts(const DomNodeList& list) {
    std::vector<std::string> texts;
    for (const DomNode node : list) texts.push_back(node.text());
    return texts;
  }
  static std::vector<std::string> Attributes(const DomNodeList& list, const std::string& name) {
    std::vector<std::string> values;
    for (const DomNode node : list) values.push_back(node.getAttribute(name));
    return values;
  }

  std::shared_ptr<DomDocument> document_;
  DomNode root_;
  DomNode body_;
};

TEST_F(XslPatternOnWordTemplate, CommentAnchorsAndCommentTextsPairUpInDocumentOrder) {
  const DomNodeList anchors = root_.selectNodes("body/div//a[@class='msocomanchor']");
  EXPECT_EQ(Attributes(anchors, "id"),
            (std::vector<std::string>{"_anchor_1", "_anchor_2", "_anchor_3"}));
  const DomNodeList texts = root_.selectNodes("body/div/div//div/p[@class='MsoCommentText']");
  ASSERT_EQ(texts.length(), 3u);
  EXPECT_EQ(texts.item(1).parentNode().getAttribute("id"), "_com_2");
  EXPECT_EQ(texts.item(1).lastChild().nodeValue(), "F:Project.Name");
}

TEST_F(XslPatternOnWordTemplate, AnchorIsFoundInsideACopiedReferenceSpanAndByLabel) {
  // Word's nesting: reference span > special-character span > anchor.
  const DomNode anchor = body_.selectSingleNode(".//a[@id='_anchor_2']");
  const DomNode reference = anchor.parentNode().parentNode();
  ASSERT_EQ(reference.getAttribute("class"), "MsoCommentReference");
  const DomNode copy = reference.cloneNode(true);
  const DomNode copied = copy.selectSingleNode(".//span/a[@class='msocomanchor']");
  ASSERT_FALSE(copied.isNull());
  EXPECT_NE(copied, anchor);
  EXPECT_EQ(copied.parentNode().parentNode(), copy);
  EXPECT_EQ(copied.text(), "[DISPLAY2]");
  // An anchor directly inside the reference span is a "span/a" only from above that span.
  const DomNode flat = body_.selectSingleNode(".//a[@id='_anchor_1']").parentNode();
  EXPECT_TRUE(flat.cloneNode(true).selectSingleNode(".//span/a[@class='msocomanchor']").isNull());
  EXPECT_EQ(flat.parentNode().cloneNode(true).selectSingleNode(".//span/a").text(), "[REPEAT1]");

  EXPECT_EQ(body_.selectSingleNode(".//span/a[. = '[ENDREP1]']").getAttribute("id"), "_anchor_3");
  EXPECT_EQ(body_.selectSingleNode(".//a[. = '[DISPLAY2]']"), anchor);
}

TEST_F(XslPatternOnWordTemplate, SpanIsFoundByItsWholeTextEvenWithXslSyntaxInTheLiteral) {
  EXPECT_EQ(body_.selectSingleNode(".//span[. = '<Owner>']").getAttribute("QuireQuery"),
            "F:Project.Owner");
  const DomNode total = body_.selectSingleNode(".//span[. = 'Total [0] $and$ more']");
  ASSERT_FALSE(total.isNull());
  EXPECT_EQ(total.text(), "Total [0] $and$ more");
}

TEST_F(XslPatternOnWordTemplate, FirstCommentOfAContainerIsIndexZero) {
  const DomNode list = body_.selectSingleNode(".//span[@QuireQuery='S:Open']");
  EXPECT_EQ(list.selectSingleNode(".//comment()[0]").nodeValue(), "list=true");
  const DomNode head = root_.selectSingleNode("head");
  EXPECT_EQ(head.selectSingleNode(".//comment()[0]").nodeValue(), " ");
  EXPECT_EQ(head.selectNodes(".//comment()").length(), 3u);
  // Index 1 is the second comment child of a parent, not the second comment overall.
  EXPECT_TRUE(body_.selectSingleNode(".//comment()[1]").isNull());
}

TEST_F(XslPatternOnWordTemplate, EveryCommentOfTheBodyIsSelected) {
  const DomNodeList comments = body_.selectNodes(".//comment()");
  ASSERT_EQ(comments.length(), 5u);
  EXPECT_EQ(comments.item(0).nodeValue(), "list=true");
  EXPECT_EQ(comments.item(1).nodeValue(), " nbsp=\"True\"");
  EXPECT_EQ(comments.item(2).nodeValue().rfind("DATE", 0), 0u);
  EXPECT_EQ(comments.item(3).nodeValue(), "nbsp;");
  EXPECT_EQ(comments.item(4).parentNode().nodeName(), "SCRIPT");
}

TEST_F(XslPatternOnWordTemplate, OrderedListsNeedAStartOfAtLeastOneAndAType) {
  const DomNodeList nested =
      body_.selectNodes(".//span[@QuireQuery]/span[@QuireQuery]/ol[@start >= 1 $and$ @type]");
  EXPECT_EQ(Attributes(nested, "start"), (std::vector<std::string>{"1", "4"}));
  const DomNode closed = body_.selectSingleNode(".//span[@QuireQuery='S:Closed']");
  EXPECT_EQ(closed.selectSingleNode("./ol[@start >= 1 $and$ @type]").text(), "Review");
  EXPECT_EQ(body_.selectNodes(".//ol").length(), 5u);
  EXPECT_EQ(body_.selectNodes("./div/ol[@start >= 1 $and$ @type]").length(), 0u);
}

TEST_F(XslPatternOnWordTemplate, CommandElementsAreFoundAtAnyDepth) {
  EXPECT_EQ(Attributes(body_.selectNodes(".//span[@QuireQuery]"), "QuireQuery"),
            (std::vector<std::string>{"F:Project.Owner", "R:Project.Tasks", "S:Open", "S:Closed"}));
  const DomNode display = body_.selectSingleNode(".//span[@QuireQuery]");
  display.parentNode().setAttribute("QuireQuery", "M:Project");
  EXPECT_EQ(body_.selectNodes(".//*[@QuireQuery]").length(), 5u);
  EXPECT_EQ(body_.selectNodes(".//span[@QuireQuery]").length(), 4u);
}

TEST_F(XslPatternOnWordTemplate, TableRowsAndStyledCells) {
  const DomNode table = body_.selectSingleNode("./div/table");
  ASSERT_FALSE(table.isNull());
  EXPECT_EQ(table, body_.firstChild().selectSingleNode("./table"));
  const DomNodeList rows = table.selectNodes("./tr");
  ASSERT_EQ(rows.length(), 2u);
  EXPECT_EQ(rows.item(0).selectNodes("./td[@style]").length(), 1u);
  EXPECT_EQ(rows.item(1).selectNodes("./td[@style]").length(), 2u);
  EXPECT_EQ(table.selectNodes(".//td[@style]").length(), 3u);
}

TEST_F(XslPatternOnWordTemplate, ElementsWithNonEmptyTextChildren) {
  const DomNode table = body_.selectSingleNode("./div/table");
  EXPECT_EQ(Texts(table.selectNodes(".//*[text() != '']")),
            (std::vector<std::string>{"Task", "Due", "<Task>"}));
}

TEST_F(XslPatternOnWordTemplate, PrefixedVmlAndWordNamesMatchLiterally) {
  const DomNode shape = body_.selectSingleNode(".//v:shape[@style]");
  EXPECT_EQ(shape.getAttribute("id"), "_x0000_i1025");
  const DomNode paragraph = shape.parentNode();
  EXPECT_EQ(paragraph.selectSingleNode("./v:shape"), shape);
  EXPECT_EQ(paragraph.selectSingleNode(".//v:imagedata").getAttribute("src"),
            "report_files/image001.png");
  EXPECT_EQ(paragraph.selectSingleNode("./img").getAttribute("src"), "report_files/image002.gif");
  EXPECT_EQ(shape.nextSibling(), paragraph.selectSingleNode("./img"));
  EXPECT_EQ(body_.selectSingleNode(".//w:bordertop[@type]").getAttribute("width"), "4");
  EXPECT_TRUE(body_.selectSingleNode(".//v:shape[@title]").isNull());
}

TEST_F(XslPatternOnWordTemplate, PrefixedNamesMatchWithoutNamespaceDeclarations) {
  auto bare = DomDocument::Create();
  ASSERT_TRUE(bare->loadXML(
      "<html><body><p><v:shape style=\"width:1pt\"><v:imagedata src=\"a.png\"/></v:shape>"
      "<img src=\"b.gif\"/><w:bordertop type=\"single\"/></p></body></html>"))
      << bare->parseError().reason;
  const DomNode p = bare->selectSingleNode("html/body/p");
  EXPECT_EQ(p.selectSingleNode("./v:shape").getAttribute("style"), "width:1pt");
  EXPECT_EQ(p.selectSingleNode(".//v:imagedata").getAttribute("src"), "a.png");
  EXPECT_EQ(p.selectNodes(".//w:bordertop[@type]").length(), 1u);
}

TEST_F(XslPatternOnWordTemplate, PicturesLinksAndScripts) {
  EXPECT_EQ(Attributes(root_.selectNodes("body//img"), "src"),
            (std::vector<std::string>{"report_files/image002.gif", "report_files/image003.gif"}));
  EXPECT_EQ(body_.selectNodes(".//img[@src]").length(), 2u);
  EXPECT_EQ(body_.selectNodes(".//img").length(), 2u);
  EXPECT_EQ(Texts(body_.selectNodes(".//a[@href]")),
            (std::vector<std::string>{"[REPEAT1]", "[DISPLAY2]", "Apollo", "[ENDREP1]"}));
  // Names are case-sensitive: the head's "script" and the body's "SCRIPT" are different.
  const DomNodeList upper = root_.selectNodes(".//SCRIPT");
  ASSERT_EQ(upper.length(), 1u);
  EXPECT_EQ(upper.item(0).parentNode().parentNode(), body_);
  const DomNodeList lower = root_.selectNodes("head/script[@language='JavaScript']");
  ASSERT_EQ(lower.length(), 1u);
  EXPECT_NE(lower.item(0), upper.item(0));
}

TEST_F(XslPatternOnWordTemplate, PortalFormIsFoundOnceInserted) {
  EXPECT_TRUE(body_.selectSingleNode("form[@name='portal']").isNull());
  const DomNode form = document_->createElement("form");
  form.setAttribute("name", "portal");
  body_.insertBefore(form, body_.firstChild());
  EXPECT_EQ(body_.selectSingleNode("form[@name='portal']"), form);
}

TEST_F(XslPatternOnWordTemplate, QueriesThatSelectNoNodesAreRejected) {
  try {
    body_.selectNodes("count(.//img)");
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_EQ(e.Code(), kE_INVALIDARG);
    EXPECT_NE(e.Description().find("count(.//img)"), std::string::npos);
  }
  EXPECT_THROW(body_.selectSingleNode(".//img[@src"), ComError);
}

TEST_F(XslPatternOnWordTemplate, AttributeResultsAreAttributeNodes) {
  const DomNodeList hrefs = body_.selectNodes(".//a/@href");
  ASSERT_EQ(hrefs.length(), 4u);
  const DomNode apollo = hrefs.item(2);
  EXPECT_EQ(apollo.nodeType(), kDomAttribute);
  EXPECT_EQ(apollo.nodeName(), "href");
  EXPECT_EQ(apollo.nodeValue(), "$$Planning:Project:1:Apollo");
  EXPECT_EQ(apollo.xml(), "href=\"$$Planning:Project:1:Apollo\"");
  EXPECT_TRUE(apollo.parentNode().isNull());
  apollo.setNodeValue("#top");
  EXPECT_EQ(body_.selectSingleNode(".//a[. = 'Apollo']").getAttribute("href"), "#top");
  body_.selectSingleNode(".//a[. = 'Apollo']").removeAttribute("href");
  EXPECT_EQ(apollo.nodeValue(), "");
  EXPECT_THROW(apollo.setNodeValue("x"), ComError);
}

}  // namespace
}  // namespace platform
