#include "platform/dom/dom_node.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "test_support.h"

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
  HResult CodeOf(const std::function<void()>& call) const {
    const auto error = ComErrorOf(call);
    EXPECT_EQ(error.code == kS_OK, error.description.empty()) << error.description;
    return error.code;
  }

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
  Load("<?xml version=\"1.0\"?><!--top--><a x=\"1\">t<![CDATA[c<d]]><?go fast?><!--in--></a>");
  EXPECT_EQ(document_->asNode().nodeType(), kDomDocument);
  EXPECT_EQ(document_->asNode().nodeName(), "#document");
  EXPECT_EQ(Describe(document_->asNode().childNodes()),
            "7 xml=version=\"1.0\" <>;8 #comment=top <>;1 a= <a>;");
  const DomNodeList children = document_->documentElement().childNodes();
  EXPECT_EQ(Describe(children),
            "3 #text=t <>;4 #cdata-section=c<d <>;7 go=fast <>;8 #comment=in <>;");
  EXPECT_TRUE(children.item(4).isNull());
}

TEST_F(DomNodeTest, TextJoinsTextAndCDataInOrderAndIsTrimmedUnlessWhiteSpaceIsPreserved) {
  Load("<p>one <b>two<!--no--></b><![CDATA[ three]]><?pi no?><i><u> four</u></i></p>");
  EXPECT_EQ(document_->documentElement().text(), "one two three four");
  EXPECT_EQ(document_->asNode().text(), "one two three four");
  Load("<p>\n  a <b> b </b>&#160;\t</p>");
  const DomNode p = document_->documentElement();
  EXPECT_EQ(p.text(), "a  b \xC2\xA0");  // a no-break space is not XML white space
  EXPECT_EQ(p.firstChild().text(), "a");
  document_->setPreserveWhiteSpace(true);
  EXPECT_EQ(p.text(), "\n  a  b \xC2\xA0\t");
  EXPECT_EQ(p.firstChild().text(), "\n  a ");
}

TEST_F(DomNodeTest, AppendChildAndInsertBeforeMoveTheNodeOutOfItsOldPlace) {
  Load("<r><a><x id=\"1\">t</x><y/></a><b/></r>");
  const DomNode x = Select("r/a/x");
  EXPECT_EQ(Select("r/b").appendChild(x), x);
  EXPECT_EQ(x.parentNode(), Select("r/b"));
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
  const DomNode r = document_->documentElement();
  r.insertBefore(Select("r/b"), Select("r/a"));
  EXPECT_EQ(Xml(), "<r><b><x id=\"1\">t</x></b><a><y/></a></r>");
  r.insertBefore(Select("r/b"), DomNode());  // without a reference: appends
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
  r.insertBefore(Select("r/a"), Select("r/a"));  // before itself: stays
  EXPECT_EQ(Select("r/b").previousSibling().nodeName(), "a");
  EXPECT_TRUE(Select("r/b").nextSibling().isNull());
}

TEST_F(DomNodeTest, RemovedNodeIsParkedUsableAndOutOfReachOfTheDocument) {
  Load("<!--a--><r><a><img id=\"parked\"/>keep</a><b>text<img id=\"live\"/></b></r><!--z-->");
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  EXPECT_EQ(r.removeChild(a), a);
  EXPECT_EQ(Xml(), "<!--a--><r><b>text<img id=\"live\"/></b></r><!--z-->");
  EXPECT_TRUE(a.parentNode().isNull());
  EXPECT_TRUE(a.nextSibling().isNull());
  EXPECT_EQ(a.xml(), "<a><img id=\"parked\"/>keep</a>");
  // Queries stay within the attached or the detached part they start from; created nodes are
  // a part of their own until inserted.
  const DomNode created = document_->createElement("img");
  EXPECT_EQ(created.selectSingleNode("//img"), created);
  EXPECT_EQ(document_->selectNodes("//*").length(), 3u);
  EXPECT_EQ(r.selectSingleNode("//img").getAttribute("id"), "live");
  EXPECT_EQ(a.selectNodes("//img").length(), 1u);
  EXPECT_EQ(a.selectSingleNode("//img").getAttribute("id"), "parked");
  // The parking place is no child of the document.
  EXPECT_EQ(doc.childNodes().length(), 3u);
  EXPECT_EQ(doc.lastChild().nodeValue(), "z");
  EXPECT_TRUE(r.nextSibling().nextSibling().isNull());
  EXPECT_EQ(doc.text(), "text");
  doc.appendChild(document_->createComment("c"));
  // It goes back in whole, and a created node goes in before it.
  r.appendChild(a);
  r.insertBefore(created, a);
  EXPECT_EQ(
      Xml(),
      "<!--a--><r><b>text<img id=\"live\"/></b><img/><a><img id=\"parked\"/>keep</a></r><!--z-->"
      "<!--c-->");
  EXPECT_EQ(document_->selectNodes("//img").length(), 3u);
}

TEST_F(DomNodeTest, CloneDeepCopiesTheSubtreeShallowOnlyTheElementAndAttributes) {
  Load("<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
  const DomNode td = Select("r/td");
  const DomNode deep = td.cloneNode(true);
  EXPECT_EQ(deep.xml(), td.xml());
  EXPECT_EQ(td.cloneNode(false).xml(), "<td style=\"s\" width=\"9\"/>");
  EXPECT_TRUE(deep.parentNode().isNull());
  EXPECT_NE(deep, td);
  deep.setAttribute("style", "changed");
  deep.firstChild().setText("y");
  EXPECT_EQ(Xml(), "<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
  EXPECT_EQ(td.firstChild().cloneNode(false).xml(), "<p/>");
  EXPECT_EQ(td.lastChild().cloneNode(false).xml(), "<!--c-->");
}

TEST_F(DomNodeTest, SetTextReplacesTheChildrenOfAnElementAndTheValueOfOtherNodes) {
  Load("<r><p>a<b>b</b><!--c--></p>t<!--c--></r>");
  const DomNode r = document_->documentElement();
  const DomNode p = Select("r/p");
  const DomNode b = Select("r/p/b");
  p.setText("x < y");
  r.childNodes().item(1).setText("u");
  r.lastChild().setText("d");
  EXPECT_EQ(Xml(), "<r><p>x &lt; y</p>u<!--d--></r>");
  EXPECT_EQ(b.text(), "b");  // the old child is detached, not freed
  EXPECT_TRUE(b.parentNode().isNull());
  p.setText("");
  EXPECT_FALSE(p.hasChildNodes());
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
  const DomNode placed = document_->documentElement().appendChild(x);
  EXPECT_NE(placed, x);
  EXPECT_EQ(placed.ownerDocument(), document_);
  EXPECT_EQ(Xml(), "<r><x a=\"1\">t</x></r>");
  EXPECT_EQ(other->xml(), "<o><x a=\"1\">t</x></o>");
  other.reset();  // the handle keeps the tree alive
  EXPECT_EQ(x.text(), "t");
  EXPECT_EQ(x.parentNode().nodeName(), "o");
  EXPECT_EQ(x.ownerDocument(), nullptr);
}

TEST_F(DomNodeTest, DeepTreesDoNotExhaustTheStack) {
  constexpr size_t kDepth = 100000;
  std::string text = "<r>";
  for (size_t i = 0; i < kDepth; ++i) text += "<d>";
  text += "bottom";
  for (size_t i = 0; i < kDepth; ++i) text += "</d>";
  Load(text + "</r>");
  EXPECT_EQ(document_->documentElement().text(), "bottom");
  EXPECT_EQ(Xml(), text + "</r>");
  const DomNode bottom = document_->selectSingleNode("//text()");
  bottom.parentNode().appendChild(document_->createElement("leaf"));
  EXPECT_EQ(document_->selectNodes("//d/leaf").length(), 1u);
}

TEST_F(DomNodeTest, InvalidCallsRaiseTheirCodeAndLeaveTheTreeAsItWas) {
  Load("<r><a><b/></a><c/>t</r>");
  const DomNode null;
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  const DomNode b = Select("r/a/b");
  const DomNode c = Select("r/c");
  const DomNode text = r.lastChild();
  EXPECT_EQ(CodeOf([&] { null.nodeType(); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.appendChild(r); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.selectNodes("a"); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { r.appendChild(null); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.removeChild(null); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.replaceChild(null, null); }), kE_INVALIDARG);
  // Misplaced nodes: not a child, or a move into itself or its own subtree.
  EXPECT_EQ(CodeOf([&] { r.insertBefore(c, b); }), kE_INVALIDARG);  // b is a grandchild
  EXPECT_EQ(CodeOf([&] { r.removeChild(b); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { a.replaceChild(c, c); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { a.appendChild(a); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { b.appendChild(a); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { b.appendChild(r); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { a.appendChild(doc); }), kE_FAIL);
  // Wrong kinds of children, names and values.
  EXPECT_EQ(CodeOf([&] { text.appendChild(document_->createElement("x")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.appendChild(document_->createTextNode("t")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.appendChild(document_->createElement("second")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { text.setAttribute("a", "1"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { r.setAttribute("1a", "1"); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.setAttribute("", "1"); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.setNodeValue("v"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.setText("v"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.cloneNode(true); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { document_->createElement("a b"); }), kE_INVALIDARG);
  EXPECT_EQ(text.getAttribute("a"), "");
  EXPECT_FALSE(text.hasAttribute("a"));
  EXPECT_EQ(Xml(), "<r><a><b/></a><c/>t</r>");
  b.appendChild(c);  // the one legal move
  EXPECT_EQ(Xml(), "<r><a><b><c/></b></a>t</r>");
  // Another element may replace the document element.
  doc.replaceChild(document_->createElement("s"), r);
  EXPECT_EQ(Xml(), "<s/>");
}

TEST_F(DomNodeTest, AttributesAreSetReplacedAndRemoved) {
  Load("<r a=\"1\"/>");
  const DomNode r = document_->documentElement();
  r.setAttribute("a", "2 & \"3\"");
  r.setAttribute("o:b", "x");
  EXPECT_EQ(r.getAttribute("a"), "2 & \"3\"");
  EXPECT_EQ(Xml(), "<r a=\"2 &amp; &quot;3&quot;\" o:b=\"x\"/>");
  r.removeAttribute("a");
  r.removeAttribute("absent");
  EXPECT_FALSE(r.hasAttribute("a"));
  EXPECT_EQ(r.getAttribute("a"), "");
  EXPECT_EQ(Xml(), "<r o:b=\"x\"/>");
}

TEST_F(DomNodeTest, NodeListIsASnapshotAndIterates) {
  Load("<r><a/><b/><c/></r>");
  const DomNode r = document_->documentElement();
  const DomNodeList before = r.childNodes();
  r.removeChild(r.firstChild());
  EXPECT_EQ(before.length(), 3u);
  EXPECT_EQ(r.childNodes().length(), 2u);
  std::string names;
  for (const DomNode node : before) names += node.nodeName();
  EXPECT_EQ(names, "abc");
  EXPECT_TRUE(DomNodeList().item(0).isNull());
}

}  // namespace
}  // namespace platform
