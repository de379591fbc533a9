#include "platform/dom/dom_node.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/xml_encoding.h"
#include "platform/dom/xml_wellformedness.h"
#include "test_support.h"
#include "tests/common/small_stack.h"

namespace platform {
namespace {

using test_support::ComErrorOf;

class DomNodeTest : public ::testing::Test {
 protected:
  void Load(const std::string& xml) {
    ASSERT_TRUE(document_->loadXML(xml)) << document_->parseError().reason;
  }
  DomNode Select(const std::string& pattern) const {
    const DomNode node = document_->selectSingleNode(pattern);
    EXPECT_FALSE(node.isNull()) << pattern;
    return node;
  }
  std::string Xml() const { return document_->xml(); }

  std::shared_ptr<DomDocument> document_ = DomDocument::Create();
};

// "type name=value <tagName>" of each node.
std::string Describe(const DomNodeList& nodes) {
  std::string text;
  for (const DomNode n : nodes) {
    text += std::to_string(n.nodeType()) + " " + n.nodeName() + "=" + n.nodeValue() + " <" +
            n.tagName() + ">;";
  }
  return text;
}

TEST_F(DomNodeTest, KindsNamesAndValues) {
  Load("<a x=\"1\">t<![CDATA[c<d]]><?go fast?><!--in--></a>");
  const DomNodeList children = document_->documentElement().childNodes();
  EXPECT_EQ(Describe(children),
            "3 #text=t <>;4 #cdata-section=c<d <>;7 go=fast <>;8 #comment=in <>;");
  EXPECT_TRUE(children.item(4).isNull());
}

TEST_F(DomNodeTest, TextJoinsTextAndCDataInOrderAndIsTrimmed) {
  Load("<p>one <b>two<!--no--></b><![CDATA[ three]]><?pi no?><i><u> four</u></i></p>");
  EXPECT_EQ(document_->documentElement().text(), "one two three four");
  Load("<p>\n  a <b> b </b>&#160;\t</p>");
  const DomNode p = document_->documentElement();
  EXPECT_EQ(p.text(), "a  b \xC2\xA0");  // a no-break space is not XML white space
}

TEST_F(DomNodeTest, AppendChildAndInsertBeforeMoveTheNodeOutOfItsOldPlace) {
  Load("<r><a><x id=\"1\">t</x><y/></a><b/></r>");
  const DomNode x = Select("r/a/x");
  EXPECT_EQ(Select("r/b").appendChild(x), x);
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
  const DomNode r = document_->documentElement();
  r.insertBefore(Select("r/b"), Select("r/a"));
  EXPECT_EQ(Xml(), "<r><b><x id=\"1\">t</x></b><a><y/></a></r>");
  r.insertBefore(Select("r/b"), DomNode());  // without a reference: appends
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
  r.insertBefore(Select("r/a"), Select("r/a"));  // before itself: stays
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
}

TEST_F(DomNodeTest, RemovedNodeIsParkedUsableAndOutOfReachOfTheDocument) {
  Load("<!--a--><r><a><img id=\"parked\"/>keep</a><b>text<img id=\"live\"/></b></r><!--z-->");
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  EXPECT_EQ(r.removeChild(a), a);
  EXPECT_EQ(Xml(), "<!--a--><r><b>text<img id=\"live\"/></b></r><!--z-->");
  EXPECT_EQ(a.xml(), "<a><img id=\"parked\"/>keep</a>");
  // Queries stay within the attached or the detached part they start from.
  EXPECT_EQ(r.selectSingleNode("//img").getAttribute("id"), "live");
  EXPECT_EQ(a.selectSingleNode("//img").getAttribute("id"), "parked");
  // The parking place is no child of the document, and it goes back in whole.
  EXPECT_EQ(doc.childNodes().length(), 3u);
  doc.appendChild(document_->createComment("c"));
  r.appendChild(a);
  EXPECT_EQ(Xml(),
            "<!--a--><r><b>text<img id=\"live\"/></b><a><img id=\"parked\"/>keep</a></r><!--z-->"
            "<!--c-->");
}

// The walks give what the queries ".//*[@q]", ".//span[@q]", ".//span" and ".//*[@Q or @qr]"
// give: descendants only, in document order, by exact names, never a detached node from the
// document, nothing below an attribute handle.
TEST_F(DomNodeTest, DescendantsWithAttributeMatchTheQueryTheyReplace) {
  Load(
      "<r q=\"top\"><span q=\"1\"><b q=\"2\"><span q=\"3\"/></b><SPAN q=\"4\"/>"
      "<span Q=\"no\"/></span><i qr=\"no\"/><span q=\"\"><v:x q=\"5\" xmlns:v=\"v\"/></span></r>");
  // The elements as "name:q" in list order.
  const auto names = [](const DomNodeList& nodes) {
    std::string text;
    for (const DomNode n : nodes) text += n.nodeName() + ":" + n.getAttribute("q") + ";";
    return text;
  };
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode detached = document_->createElement("span");
  detached.setAttribute("q", "detached");
  detached.appendChild(document_->createElement("span")).setAttribute("q", "inside");
  for (const DomNode& from : {doc, r, Select("r/span"), Select("r/i"), detached}) {
    EXPECT_EQ(names(from.descendantsWithAttribute("q")), names(from.selectNodes(".//*[@q]")))
        << from.xml();
    EXPECT_EQ(names(from.descendantsWithAttribute("q", "span")),
              names(from.selectNodes(".//span[@q]")))
        << from.xml();
    EXPECT_EQ(names(from.descendantsNamed("span")), names(from.selectNodes(".//span")))
        << from.xml();
    EXPECT_EQ(names(from.descendantsWithAnyAttribute({"Q", "qr"})),
              names(from.selectNodes(".//*[@Q or @qr]")))
        << from.xml();
  }
  EXPECT_EQ(r.descendantsWithAttribute("q").length(), 6u);
  EXPECT_EQ(detached.descendantsWithAttribute("q").item(0).getAttribute("q"), "inside");
  EXPECT_EQ(r.selectSingleNode("@q").descendantsWithAttribute("q").length(), 0u);
  EXPECT_EQ(r.selectSingleNode("@q").descendantsNamed("span").length(), 0u);
}

// The same for the walks by node type that stand in for ".//text()", ".//comment()" and
// "descendant-or-self::*": text takes CDATA too, and a detached node is never met from the page.
TEST_F(DomNodeTest, DescendantsOfTypeMatchTheQueriesTheyReplace) {
  Load("<r>a<p>b<![CDATA[c]]><!--d--><i>e</i></p><!--f--><q/></r>");
  const auto texts = [](const DomNodeList& nodes) {
    std::string text;
    for (const DomNode n : nodes) text += n.nodeName() + "=" + n.nodeValue() + ";";
    return text;
  };
  document_->createElement("detached").appendChild(document_->createTextNode("x"));
  const DomNode doc = document_->asNode();
  for (const DomNode& from : {doc, document_->documentElement(), Select("r/p"), Select("r/q")}) {
    EXPECT_EQ(texts(from.descendantsOfType(kDomText)), texts(from.selectNodes(".//text()")));
    EXPECT_EQ(texts(from.descendantsOfType(kDomComment)), texts(from.selectNodes(".//comment()")));
    EXPECT_EQ(texts(from.descendantsOfType(kDomElement, true)),
              texts(from.selectNodes("descendant-or-self::*")));
  }
  EXPECT_EQ(texts(Select("r/p").descendantsOfType(kDomText)), "#text=b;#cdata-section=c;#text=e;");
}

TEST_F(DomNodeTest, CloneDeepCopiesTheSubtreeShallowOnlyTheElementAndAttributes) {
  Load("<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
  const DomNode td = Select("r/td");
  const DomNode deep = td.cloneNode(true);
  EXPECT_EQ(deep.xml(), td.xml());
  EXPECT_EQ(td.cloneNode(false).xml(), "<td style=\"s\" width=\"9\"/>");
  deep.setAttribute("style", "changed");
  deep.firstChild().setText("y");
  EXPECT_EQ(Xml(), "<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
}

TEST_F(DomNodeTest, SetTextReplacesTheChildrenOfAnElementAndTheValueOfOtherNodes) {
  Load("<r><p>a<b>b</b></p><!--c--></r>");
  const DomNode r = document_->documentElement();
  const DomNode b = Select("r/p/b");
  Select("r/p").setText("x < y");
  r.lastChild().setText("d");
  EXPECT_EQ(Xml(), "<r><p>x &lt; y</p><!--d--></r>");
  EXPECT_EQ(b.text(), "b");  // the old child is detached, not freed

  // A lone text child takes the new text itself; an empty text still removes it.
  const DomNode p = Select("r/p");
  const DomNode lone = p.firstChild();
  p.setText("z");
  EXPECT_EQ(lone.nodeValue(), "z");
  EXPECT_EQ(p.firstChild(), lone);
  p.setText("");
  EXPECT_EQ(Xml(), "<r><p/><!--d--></r>");
}

// Text from file names and data files may be Latin-1 or binary. The tree keeps the bytes (a path
// read back still names its file); the serialised page reads what is not UTF-8 as Latin-1 and
// turns forbidden control characters into U+FFFD, so that it can always be saved.
TEST_F(DomNodeTest, TextThatIsNotUtf8IsKeptInTheTreeAndConvertedWhenWritten) {
  Load("<r><p/></r>");
  const std::string latin1 = "caf\xE9 \x01\x7F";
  const DomNode p = Select("r/p");
  p.setText(latin1);
  p.setAttribute("title", latin1);
  p.appendChild(document_->createTextNode("\x02z\xFF"));
  EXPECT_EQ(p.getAttribute("title"), latin1);
  const std::string converted = "caf\xC3\xA9 \xEF\xBF\xBD\x7F";
  EXPECT_EQ(Xml(),
            "<r><p title=\"" + converted + "\">" + converted + "\xEF\xBF\xBDz\xC3\xBF</p></r>");
  EXPECT_EQ(document_->encodedXml(), Xml());
  Load("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r><p/></r>");
  Select("r/p").setText(latin1);
  EXPECT_EQ(document_->encodedXml().substr(document_->encodedXml().find("<r>")),
            "<r><p>caf\xE9 &#65533;\x7F</p></r>");
  EXPECT_EQ(ToXmlText("&#9;&#01;&#31;&#32;&#1"), "&#9;\xEF\xBF\xBD\xEF\xBF\xBD&#32;&#1")
      << "references to forbidden characters only";
  const std::string valid = "R\xC3\xA9sum\xC3\xA9 \xE8\xB3\x87\ttab";
  EXPECT_EQ(ToXmlText(valid), valid) << "valid UTF-8 is kept as it is";
  // Long plain text is checked several bytes at a time: a bad byte is found wherever it stands.
  for (size_t at = 0; at < 20; ++at) {
    const std::string plain(20, 'a');
    std::string control = plain, high = plain;
    control[at] = '\x1F';
    high[at] = '\xFF';
    EXPECT_EQ(ToXmlText(control), plain.substr(0, at) + "\xEF\xBF\xBD" + plain.substr(at + 1))
        << at;
    EXPECT_EQ(ToXmlText(high), plain.substr(0, at) + "\xC3\xBF" + plain.substr(at + 1)) << at;
  }
}

// "&#1;" inside a comment, a CDATA section or a processing instruction is text, not a reference:
// a template that holds it is saved with it, also when the page is written in many pieces.
TEST_F(DomNodeTest, ReferenceLettersInCommentsCdataAndInstructionsAreKeptWhenWritten) {
  const std::string raw = "<!--&#1; <a>--><![CDATA[&#2; <b>&#3;]]><?pi &#4; <c>?>";
  std::string body;
  for (int i = 0; i < 3000; ++i) body += "<p>x</p>" + raw;
  Load("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r>" + body + "</r>");
  Select("r/p").setText("a\x01");
  std::string expected = "<r><p>a\xEF\xBF\xBD</p>" + raw + body.substr(8 + raw.size()) + "</r>";
  EXPECT_EQ(Xml().substr(Xml().find("<r>")), expected);
  std::string encoded = document_->encodedXml();
  ASSERT_GT(encoded.size(), 2u * 64 * 1024) << "written in several pieces";
  expected.replace(expected.find("\xEF\xBF\xBD"), 3, "&#65533;");
  EXPECT_EQ(encoded.substr(encoded.find("<r>")), expected);
}

// The document type ends at its own ">", whatever its literals and the comments of its subset
// hold: past it, references are cleaned again, and inside it they are kept.
TEST_F(DomNodeTest, DocumentTypeEndsAtItsOwnCloseWhateverItsSubsetHolds) {
  const std::vector<std::string> doctypes = {
      "<!DOCTYPE r SYSTEM \"a[b.dtd\">",
      "<!DOCTYPE r [<!-- ]> &#1; --><!ATTLIST r t CDATA \"x]>y\">]>",
      "<!DOCTYPE r [<?pi ]> &#2; ?><!ENTITY e 'q\"]>'>]>",
  };
  for (const std::string& doctype : doctypes) {
    SCOPED_TRACE(doctype);
    Load("<?xml version=\"1.0\" encoding=\"windows-1252\"?>" + doctype + "<r><p>x</p></r>");
    Select("r/p").setText("a\x01");
    const std::string encoded = document_->encodedXml();
    EXPECT_NE(encoded.find(doctype), std::string::npos);
    EXPECT_NE(encoded.find("<p>a&#65533;</p>"), std::string::npos);
  }
}

TEST_F(DomNodeTest, ReplaceChildPutsTheNewNodeInPlaceAndDetachesTheOld) {
  Load("<r><a/><b/><c/></r>");
  const DomNode r = document_->documentElement();
  const DomNode b = Select("r/b");
  EXPECT_EQ(r.replaceChild(document_->createElement("n"), b), b);
  EXPECT_EQ(Xml(), "<r><a/><n/><c/></r>");
  EXPECT_TRUE(b.parentNode().isNull());
  r.replaceChild(Select("r/c"), Select("r/a"));  // a node of the same parent moves
  EXPECT_EQ(Xml(), "<r><c/><n/></r>");
}

TEST_F(DomNodeTest, NodeOfAnotherDocumentIsCopiedInAndHandlesOutliveTheirDocument) {
  Load("<r/>");
  auto other = DomDocument::Create();
  ASSERT_TRUE(other->loadXML("<o><x a=\"1\">t</x></o>"));
  const DomNode x = other->selectSingleNode("o/x");
  EXPECT_NE(document_->documentElement().appendChild(x), x);
  EXPECT_EQ(Xml(), "<r><x a=\"1\">t</x></r>");
  other.reset();  // the handle keeps the tree alive
  EXPECT_EQ(x.text(), "t");
}

// A document nests at most kMaxElementNesting deep as it is loaded, but a tree built through the
// calls (a page that grows by copies) may nest deeper: reading and writing it never recurses.
TEST_F(DomNodeTest, DeepTreesDoNotExhaustTheStack) {
  // Deep enough that a recursive walk would overflow a Java thread's stack; each append climbs
  // the tree once, so the building takes time with the square of it.
  constexpr size_t kDepth = 20000;
  std::string text = "<r>";
  for (size_t i = 0; i < kDepth; ++i) text += "<d>";
  text += "bottom";
  for (size_t i = 0; i < kDepth; ++i) text += "</d>";
  text += "</r>";
  EXPECT_FALSE(document_->loadXML(text));
  EXPECT_EQ(document_->parseError().errorCode, kXmlErrorNestingTooDeep);

  Load("<r/>");
  DomNode bottom = document_->documentElement();
  for (size_t i = 0; i < kDepth; ++i) bottom = bottom.appendChild(document_->createElement("d"));
  bottom.appendChild(document_->createTextNode("bottom"));
  test_support::RunOnJvmSizedStack([&] {
    EXPECT_EQ(document_->documentElement().text(), "bottom");
    EXPECT_EQ(Xml(), text);
    EXPECT_EQ(document_->documentElement().cloneNode(true).xml(), text);
  });
}

TEST_F(DomNodeTest, InvalidCallsRaiseTheirCodeAndLeaveTheTreeAsItWas) {
  Load("<r><a><b/></a>t</r>");
  const DomNode null;
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  const DomNode b = Select("r/a/b");
  EXPECT_EQ(ComErrorOf([&] { null.nodeType(); }).code, kE_POINTER);
  EXPECT_EQ(ComErrorOf([&] { r.appendChild(null); }).code, kE_INVALIDARG);
  EXPECT_EQ(ComErrorOf([&] { r.removeChild(b); }).code, kE_INVALIDARG);  // b is a grandchild
  EXPECT_EQ(ComErrorOf([&] { a.appendChild(a); }).code, kE_FAIL);
  EXPECT_EQ(ComErrorOf([&] { b.appendChild(a); }).code, kE_FAIL);
  EXPECT_EQ(ComErrorOf([&] { r.lastChild().appendChild(document_->createElement("x")); }).code,
            kE_FAIL);
  EXPECT_EQ(ComErrorOf([&] { doc.appendChild(document_->createElement("second")); }).code, kE_FAIL);
  EXPECT_EQ(ComErrorOf([&] { r.setAttribute("1a", "1"); }).code, kE_INVALIDARG);
  EXPECT_EQ(Xml(), "<r><a><b/></a>t</r>");
}

TEST_F(DomNodeTest, AttributesAreSetReplacedAndRemoved) {
  Load("<r a=\"1\"/>");
  const DomNode r = document_->documentElement();
  r.setAttribute("a", "2 & \"3\"");
  r.setAttribute("o:b", "x");
  EXPECT_EQ(Xml(), "<r a=\"2 &amp; &quot;3&quot;\" o:b=\"x\"/>");
  r.removeAttribute("a");
  EXPECT_EQ(Xml(), "<r o:b=\"x\"/>");
}

TEST_F(DomNodeTest, NodeListIsASnapshot) {
  Load("<r><a/><b/><c/></r>");
  const DomNode r = document_->documentElement();
  const DomNodeList before = r.childNodes();
  r.removeChild(r.firstChild());
  std::string names;
  for (const DomNode node : before) names += node.nodeName();
  EXPECT_EQ(names, "abc");
}

}  // namespace
}  // namespace platform
