#include "platform/dom/xsl_pattern.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "test_support.h"

namespace platform {
namespace {

using test_support::ComErrorOf;

TEST(XslPatternTranslation, RewritesXslFormsAndLeavesTheRestAlone) {
  const struct {
    const char* pattern;
    const char* xpath;
  } kRows[] = {
      {"a[@n $ge$ 2 $and$ @n $lt$ 5]", "a[@n >= 2 and @n < 5]"},
      {"a[@n $eq$ 1 $or$ @n $ne$ 3]", "a[@n = 1 or @n != 3]"},
      // Zero-based plain integer predicates shift by one, and only those.
      {"a[99999999999999999999]", "a[100000000000000000000]"},
      {"a[@n = 0]", "a[@n = 0]"},
      {"a[b[0]]", "a[b[1]]"},
      // String literals are copied untouched.
      {".//span[. = 'x $and$ y [0]']", ".//span[. = 'x $and$ y [0]']"},
      // $not$ wraps its operand up to the next connective.
      {"a[$not$ @b $and$ @c]", "a[not(@b) and @c]"},
      {"a[@c $and$ $not$ @b = 'x]']", "a[@c and not(@b = 'x]')]"},
  };
  for (const auto& row : kRows) EXPECT_EQ(TranslateXslPattern(row.pattern), row.xpath);
}

TEST(XslPatternTranslation, UnknownOrUnclosedOperatorIsRejected) {
  EXPECT_EQ(ComErrorOf([] { TranslateXslPattern("a[@x $and @y]"); }).code, kE_INVALIDARG);
  EXPECT_EQ(ComErrorOf([] { TranslateXslPattern("a[$any$ b]"); }).description,
            "Invalid query: unsupported operator \"$any$\" in \"a[$any$ b]\"");
}

TEST(XslQueryCache, SharesOneQueryPerTranslationAndHandedOutQueriesStayUsable) {
  XslQueryCache cache(2);
  const auto first = cache.Compile("a[0]");
  EXPECT_EQ(cache.Compile("a[0]"), first);
  EXPECT_EQ(cache.Compile("a[ 0 ]"), first);  // translates to the same "a[1]"
  EXPECT_NE(cache.Compile("b"), first);
  cache.Compile("c");  // full: starts over
  cache.Compile("d");
  EXPECT_LE(cache.Size(), 2u);
  pugi::xml_document document;
  ASSERT_TRUE(document.load_string("<r><a/><a/></r>"));
  EXPECT_EQ(first->evaluate_node_set(document.child("r")).size(), 1u);
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
    ASSERT_TRUE(document_->load(std::string(XMLAGENT_TEST_DATA) + "/word_template.htm"))
        << document_->parseError().reason << " line " << document_->parseError().line;
    root_ = document_->documentElement();
    body_ = root_.selectSingleNode("body");
  }

  std::shared_ptr<DomDocument> document_ = DomDocument::Create();
  DomNode root_;
  DomNode body_;
};

// What tells a node apart: "" its text, "#value" its value, "#parent" its parent's name, else
// the named attribute.
std::string Identity(const DomNode& node, const std::string& key) {
  if (key.empty()) return node.text();
  if (key == "#value") return node.nodeValue();
  if (key == "#parent") return node.parentNode().nodeName();
  return node.getAttribute(key);
}

TEST_F(XslPatternOnWordTemplate, EveryPatternSelectsTheExpectedNodesInDocumentOrder) {
  const std::string nbsp = "\xC2\xA0";
  const std::string commands = "F:Project.Owner|R:Project.Tasks|S:Open|S:Closed";
  const struct {
    const char* context;  // selected from the document element; "" is that element
    const char* pattern;
    const char* key;       // see Identity
    std::string expected;  // identities joined by "|"
  } kRows[] = {
      {"", "body", "lang", "EN-US"},
      // Comment marks and the comment list.
      {"", "body/div//a[@class='msocomanchor']", "id", "_anchor_1|_anchor_2|_anchor_3"},
      {"", "body/div/div//div/p[@class='MsoCommentText']", "",
       nbsp + "R:Project|" + nbsp + "F:Project.Name|" + nbsp + "R:Project"},
      {"body", ".//span/a[. = '[ENDREP1]']", "id", "_anchor_3"},
      {"body", ".//a[. = '[DISPLAY2]']", "id", "_anchor_2"},
      // Whole-text matches, even with XSL syntax inside the literal.
      {"body", ".//span[. = '<Owner>']", "QuireQuery", "F:Project.Owner"},
      // Command elements.
      {"body", ".//span[@QuireQuery]", "QuireQuery", commands},
      {"body", ".//*[@QuireQuery]", "QuireQuery", commands},
      // Comments: index 0 is the first comment child of a parent, not of the whole subtree.
      {"body", ".//comment()", "#value",
       "list=true| nbsp=\"True\"|DATE \\@ \"d MMMM yyyy\" \\* MERGEFORMAT &quot;|nbsp;|\n"
       "document.write(\"fallback\")\n// "},
      {"head", ".//comment()[0]", "#parent", "style|script|style"},
      // Numbered lists need a start of at least one and a type.
      {"body", ".//span[@QuireQuery]/span[@QuireQuery]/ol[@start >= 1 $and$ @type]", "start",
       "1|4"},
      {"body//span[@QuireQuery='S:Closed']", "./ol[@start >= 1 $and$ @type]", "", "Review"},
      {"body", "./div/ol[@start >= 1 $and$ @type]", "", ""},
      // Tables, their rows and styled cells, and elements with non-empty text.
      {"body", "./div/table", "class", "MsoTableGrid"},
      {"body/div/table", "./tr", "", "TaskDue|<Task>"},
      {"body/div/table/tr[1]", "./td[@style]", "style",
       "border-bottom:double windowtext 2.25pt|border-top:none"},
      {"body/div/table", ".//td[@style]", "", "Task|<Task>|"},
      {"body/div/table", ".//*[text() != '']", "", "Task|Due|<Task>"},
      // Prefixed picture markup matches by its literal name.
      {"body", ".//v:shape[@style]", "id", "_x0000_i1025"},
      {"body", ".//v:shape[@title]", "id", ""},
      {"body/div/p[4]", "./v:shape", "id", "_x0000_i1025"},
      {"body/div/p[4]", ".//v:imagedata", "src", "report_files/image001.png"},
      {"body/div/p[4]", "./img", "src", "report_files/image002.gif"},
      {"body", ".//w:bordertop[@type]", "width", "4"},
      // Pictures, links and scripts; names are case-sensitive.
      {"", "body//img", "src", "report_files/image002.gif|report_files/image003.gif"},
      {"body", ".//img[@src]", "src", "report_files/image002.gif|report_files/image003.gif"},
      {"body", ".//img", "src", "report_files/image002.gif|report_files/image003.gif"},
      {"body", ".//a[@href]", "", "[REPEAT1]|[DISPLAY2]|Apollo|[ENDREP1]"},
      {"", ".//SCRIPT", "#parent", "div"},
      {"", "head/script[@language='JavaScript']", "#parent", "head"},
      {"body", "form[@name='portal']", "", ""},
  };
  for (const auto& row : kRows) {
    SCOPED_TRACE(std::string(row.context) + " -> " + row.pattern);
    const DomNode context = *row.context ? root_.selectSingleNode(row.context) : root_;
    ASSERT_FALSE(context.isNull());
    const DomNodeList found = context.selectNodes(row.pattern);
    std::string joined;
    for (size_t i = 0; i < found.length(); ++i) {
      joined += (i == 0 ? "" : "|") + Identity(found.item(i), row.key);
    }
    EXPECT_EQ(joined, row.expected);
    const DomNode first = context.selectSingleNode(row.pattern);
    EXPECT_EQ(first.isNull() ? "" : Identity(first, row.key),
              row.expected.substr(0, row.expected.find('|')));
  }
}

TEST_F(XslPatternOnWordTemplate, MalformedQueriesAndQueriesThatSelectNoNodesAreRejected) {
  const auto error = ComErrorOf([&] { body_.selectNodes("count(.//img)"); });
  EXPECT_EQ(error.code, kE_INVALIDARG);
  EXPECT_NE(error.description.find("count(.//img)"), std::string::npos);
  const auto malformed = ComErrorOf([&] { body_.selectSingleNode(".//img[@src"); });
  EXPECT_EQ(malformed.description.rfind("Invalid query: ", 0), 0u) << malformed.description;
}

TEST_F(XslPatternOnWordTemplate, AttributeResultsWriteThroughAndOutliveTheirRemoval) {
  const DomNode apollo = body_.selectNodes(".//a/@href").item(2);
  apollo.setNodeValue("#top");
  const DomNode link = body_.selectSingleNode(".//a[. = 'Apollo']");
  EXPECT_EQ(link.getAttribute("href"), "#top");
  link.removeAttribute("href");
  EXPECT_EQ(apollo.nodeValue(), "");
  EXPECT_THROW(apollo.setNodeValue("x"), ComError);
}

}  // namespace
}  // namespace platform
