#include "platform/dom/dom_node.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"

namespace platform {
namespace {

HResult CodeOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ComError& e) {
    EXPECT_FALSE(e.Description().empty());
    return e.Code();
  }
  return kS_OK;
}

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

TEST_F(DomNodeTest, KindsNamesAndValuesFollowMsxml) {
  Load("<?xml version=\"1.0\"?><!--top--><a x=\"1\">t<![CDATA[c<d]]><?go fast?><!--in--></a>");
  const DomNode doc = document_->asNode();
  EXPECT_EQ(doc.nodeType(), kDomDocument);
  EXPECT_EQ(doc.nodeName(), "#document");
  const DomNode declaration = doc.firstChild();
  EXPECT_EQ(declaration.nodeType(), kDomProcessingInstruction);
  EXPECT_EQ(declaration.nodeName(), "xml");
  EXPECT_EQ(declaration.nodeValue(), "version=\"1.0\"");
  const DomNode a = document_->documentElement();
  EXPECT_EQ(a.nodeType(), kDomElement);
  EXPECT_EQ(a.nodeName(), "a");
  EXPECT_EQ(a.tagName(), "a");
  EXPECT_EQ(a.nodeValue(), "");
  const DomNodeList children = a.childNodes();
  ASSERT_EQ(children.length(), 4u);
  const std::vector<std::pair<int32_t, std::string>> expected = {{kDomText, "#text"},
                                                                 {kDomCData, "#cdata-section"},
                                                                 {kDomProcessingInstruction, "go"},
                                                                 {kDomComment, "#comment"}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(children.item(i).nodeType(), expected[i].first);
    EXPECT_EQ(children.item(i).nodeName(), expected[i].second);
    EXPECT_EQ(children.item(i).tagName(), "");
  }
  EXPECT_EQ(children.item(1).nodeValue(), "c<d");
  EXPECT_EQ(children.item(2).nodeValue(), "fast");
  EXPECT_TRUE(children.item(4).isNull());
}

TEST_F(DomNodeTest, TextConcatenatesTextAndCDataButNotCommentsInDocumentOrder) {
  Load("<p>one <b>two<!--no--></b><![CDATA[ three]]><?pi no?><i><u> four</u></i></p>");
  EXPECT_EQ(document_->documentElement().text(), "one two three four");
  EXPECT_EQ(document_->asNode().text(), "one two three four");
}

TEST_F(DomNodeTest, TextIsTrimmedOnlyWhenWhiteSpaceIsNotPreserved) {
  Load("<p>\n  a <b> b </b>&#160;\t</p>");
  const DomNode p = document_->documentElement();
  EXPECT_EQ(p.text(), "a  b \xC2\xA0");  // a no-break space is not XML white space
  EXPECT_EQ(p.firstChild().text(), "a");
  document_->setPreserveWhiteSpace(true);
  EXPECT_EQ(p.text(), "\n  a  b \xC2\xA0\t");
  EXPECT_EQ(p.firstChild().text(), "\n  a ");
}

TEST_F(DomNodeTest, AppendChildMovesTheNodeOutOfItsOldParent) {
  Load("<r><a><x id=\"1\">t</x><y/></a><b/></r>");
  const DomNode a = Select("r/a");
  const DomNode b = Select("r/b");
  const DomNode x = Select("r/a/x");
  const DomNode placed = b.appendChild(x);
  EXPECT_EQ(placed, x);
  EXPECT_EQ(x.parentNode(), b);
  EXPECT_EQ(a.childNodes().length(), 1u);
  EXPECT_EQ(a.firstChild().nodeName(), "y");
  EXPECT_EQ(Xml(), "<r><a><y/></a><b><x id=\"1\">t</x></b></r>");
}

TEST_F(DomNodeTest, InsertBeforePlacesBeforeTheReferenceOrAppendsWithoutOne) {
  Load("<r><a/><b/><c/></r>");
  const DomNode r = document_->documentElement();
  r.insertBefore(Select("r/c"), Select("r/a"));
  EXPECT_EQ(Xml(), "<r><c/><a/><b/></r>");
  r.insertBefore(Select("r/c"), DomNode());
  EXPECT_EQ(Xml(), "<r><a/><b/><c/></r>");
  r.insertBefore(Select("r/b"), Select("r/b"));  // before itself: stays
  EXPECT_EQ(Xml(), "<r><a/><b/><c/></r>");
  const DomNode c = Select("r/c");
  EXPECT_EQ(c.previousSibling().nodeName(), "b");
  EXPECT_TRUE(c.nextSibling().isNull());
}

TEST_F(DomNodeTest, RemovedNodeStaysUsableAndIsNotSerialised) {
  Load("<r><a><img src=\"1.gif\"/>keep</a><b>text</b></r>");
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  EXPECT_EQ(r.removeChild(a), a);
  EXPECT_EQ(Xml(), "<r><b>text</b></r>");
  EXPECT_TRUE(a.parentNode().isNull());
  EXPECT_TRUE(a.nextSibling().isNull());
  EXPECT_TRUE(a.previousSibling().isNull());
  EXPECT_EQ(a.text(), "keep");
  EXPECT_EQ(a.xml(), "<a><img src=\"1.gif\"/>keep</a>");
  // Queries from the document or from attached nodes no longer see it ...
  EXPECT_EQ(document_->selectNodes("//img").length(), 0u);
  EXPECT_TRUE(r.selectSingleNode("//img").isNull());
  EXPECT_EQ(document_->selectNodes("//*").length(), 2u);
  EXPECT_EQ(document_->asNode().childNodes().length(), 1u);
  EXPECT_EQ(document_->asNode().lastChild(), r);
  EXPECT_TRUE(r.nextSibling().isNull());
  EXPECT_EQ(document_->asNode().text(), "text");
  // ... but a query from the detached node sees its own subtree.
  EXPECT_EQ(a.selectSingleNode("img").getAttribute("src"), "1.gif");
  // It goes back in whole.
  r.appendChild(a);
  EXPECT_EQ(Xml(), "<r><b>text</b><a><img src=\"1.gif\"/>keep</a></r>");
  EXPECT_EQ(document_->selectNodes("//img").length(), 1u);
}

TEST_F(DomNodeTest, QueriesStayWithinTheAttachedOrTheDetachedPartTheyStartFrom) {
  Load("<r><b><img id=\"live\"/></b><a><img id=\"parked\"/></a></r>");
  const DomNode a = Select("r/a");
  document_->documentElement().removeChild(a);
  const DomNode other = document_->createElement("img");
  EXPECT_EQ(a.selectSingleNode("//img").getAttribute("id"), "parked");
  EXPECT_EQ(a.selectNodes("//img").length(), 1u);
  EXPECT_EQ(document_->documentElement().selectSingleNode("//img").getAttribute("id"), "live");
  EXPECT_EQ(other.selectSingleNode("//img"), other);
  EXPECT_EQ(document_->selectNodes("//img").length(), 1u);
}

TEST_F(DomNodeTest, CreatedNodesAppearOnlyOnceInserted) {
  Load("<r/>");
  const DomNode span = document_->createElement("span");
  span.setAttribute("QuireQuery", "F:x");
  span.appendChild(document_->createTextNode("<Name>"));
  const DomNode comment = document_->createComment("list=true");
  EXPECT_TRUE(span.parentNode().isNull());
  EXPECT_EQ(Xml(), "<r/>");
  EXPECT_TRUE(document_->selectSingleNode("//span").isNull());
  document_->documentElement().appendChild(span);
  document_->documentElement().insertBefore(comment, span);
  EXPECT_EQ(Xml(), "<r><!--list=true--><span QuireQuery=\"F:x\">&lt;Name&gt;</span></r>");
  EXPECT_EQ(document_->selectSingleNode("//span[@QuireQuery]"), span);
  EXPECT_EQ(comment.ownerDocument(), document_);
}

TEST_F(DomNodeTest, CloneDeepCopiesTheSubtreeShallowOnlyTheElementAndAttributes) {
  Load("<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
  const DomNode td = Select("r/td");
  const DomNode deep = td.cloneNode(true);
  const DomNode shallow = td.cloneNode(false);
  EXPECT_EQ(deep.xml(), td.xml());
  EXPECT_EQ(shallow.xml(), "<td style=\"s\" width=\"9\"/>");
  EXPECT_TRUE(deep.parentNode().isNull());
  EXPECT_NE(deep, td);
  deep.setAttribute("style", "changed");
  deep.firstChild().setText("y");
  EXPECT_EQ(td.getAttribute("style"), "s");
  EXPECT_EQ(td.text(), "x");
  EXPECT_EQ(Xml(), "<r><td style=\"s\" width=\"9\"><p>x</p><!--c--></td></r>");
  EXPECT_EQ(td.firstChild().cloneNode(false).xml(), "<p/>");
  EXPECT_EQ(td.lastChild().cloneNode(false).xml(), "<!--c-->");
}

TEST_F(DomNodeTest, SetTextReplacesAllChildrenByOneTextNode) {
  Load("<r><p>a<b>b</b><!--c--></p></r>");
  const DomNode p = Select("r/p");
  const DomNode b = Select("r/p/b");
  p.setText("x < y");
  EXPECT_EQ(Xml(), "<r><p>x &lt; y</p></r>");
  ASSERT_EQ(p.childNodes().length(), 1u);
  EXPECT_EQ(p.firstChild().nodeType(), kDomText);
  EXPECT_EQ(b.text(), "b");  // the old child is detached, not freed
  EXPECT_TRUE(b.parentNode().isNull());
  p.setText("");
  EXPECT_FALSE(p.hasChildNodes());
}

TEST_F(DomNodeTest, SetTextOnTextAndCommentNodesSetsTheValue) {
  Load("<r>t<!--c--></r>");
  const DomNode r = document_->documentElement();
  r.firstChild().setText("u");
  r.lastChild().setText("d");
  EXPECT_EQ(Xml(), "<r>u<!--d--></r>");
  r.lastChild().setNodeValue("e");
  EXPECT_EQ(r.lastChild().nodeValue(), "e");
}

TEST_F(DomNodeTest, ReplaceChildPutsTheNewNodeInPlaceAndDetachesTheOld) {
  Load("<r><a/><b/><c/></r>");
  const DomNode r = document_->documentElement();
  const DomNode b = Select("r/b");
  const DomNode n = document_->createElement("n");
  EXPECT_EQ(r.replaceChild(n, b), b);
  EXPECT_EQ(Xml(), "<r><a/><n/><c/></r>");
  EXPECT_TRUE(b.parentNode().isNull());
  r.replaceChild(Select("r/c"), Select("r/a"));  // a node of the same parent moves
  EXPECT_EQ(Xml(), "<r><c/><n/></r>");
}

TEST_F(DomNodeTest, NodeOfAnotherDocumentIsCopiedIn) {
  Load("<r/>");
  auto other = DomDocument::Create();
  ASSERT_TRUE(other->loadXML("<o><x a=\"1\">t</x></o>"));
  const DomNode x = other->selectSingleNode("o/x");
  const DomNode placed = document_->documentElement().appendChild(x);
  EXPECT_NE(placed, x);
  EXPECT_EQ(Xml(), "<r><x a=\"1\">t</x></r>");
  EXPECT_EQ(other->xml(), "<o><x a=\"1\">t</x></o>");
  EXPECT_EQ(placed.ownerDocument(), document_);
}

TEST_F(DomNodeTest, NavigationOfTheDocumentNode) {
  Load("<!--a--><r><c/></r><!--b-->");
  const DomNode r = document_->documentElement();
  EXPECT_EQ(r.parentNode(), document_->asNode());
  EXPECT_EQ(r.parentNode().nodeType(), kDomDocument);
  EXPECT_TRUE(document_->asNode().parentNode().isNull());
  EXPECT_EQ(r.previousSibling().nodeValue(), "a");
  EXPECT_EQ(r.nextSibling().nodeValue(), "b");
  r.removeChild(Select("r/c"));  // creates the hidden parking place
  EXPECT_TRUE(r.nextSibling().nextSibling().isNull());
  EXPECT_EQ(document_->asNode().lastChild().nodeValue(), "b");
  EXPECT_EQ(document_->asNode().childNodes().length(), 3u);
  EXPECT_EQ(Xml(), "<!--a--><r/><!--b-->");
  document_->asNode().appendChild(document_->createComment("c"));
  EXPECT_EQ(Xml(), "<!--a--><r/><!--b--><!--c-->");
}

TEST_F(DomNodeTest, HandlesKeepTheTreeAliveAfterTheDocumentIsReleased) {
  Load("<r><p>kept</p></r>");
  const DomNode p = Select("r/p");
  document_.reset();
  EXPECT_EQ(p.text(), "kept");
  EXPECT_EQ(p.parentNode().nodeName(), "r");
  EXPECT_EQ(p.ownerDocument(), nullptr);
}

TEST_F(DomNodeTest, DeepTreesDoNotExhaustTheStack) {
  constexpr size_t kDepth = 100000;
  std::string text = "<r>";
  for (size_t i = 0; i < kDepth; ++i) text += "<d>";
  text += "bottom";
  for (size_t i = 0; i < kDepth; ++i) text += "</d>";
  text += "</r>";
  Load(text);
  EXPECT_EQ(document_->documentElement().text(), "bottom");
  EXPECT_EQ(Xml(), text);
  const DomNode bottom = document_->selectSingleNode("//text()");
  EXPECT_EQ(bottom.parentNode().nodeName(), "d");
  bottom.parentNode().appendChild(document_->createElement("leaf"));
  EXPECT_EQ(document_->selectNodes("//leaf").length(), 1u);
}

TEST_F(DomNodeTest, NullHandleRaisesPointerErrors) {
  Load("<r/>");
  const DomNode null;
  const DomNode r = document_->documentElement();
  EXPECT_EQ(CodeOf([&] { null.nodeType(); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.text(); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.parentNode(); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.appendChild(r); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.selectNodes("a"); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { null.getAttribute("a"); }), kE_POINTER);
  EXPECT_EQ(CodeOf([&] { r.appendChild(null); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.removeChild(null); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.replaceChild(null, null); }), kE_INVALIDARG);
}

TEST_F(DomNodeTest, MisplacedNodesRaiseErrorsAndLeaveTheTreeAsItWas) {
  Load("<r><a><b/></a><c/></r>");
  const DomNode r = document_->documentElement();
  const DomNode a = Select("r/a");
  const DomNode b = Select("r/a/b");
  const DomNode c = Select("r/c");
  EXPECT_EQ(CodeOf([&] { r.insertBefore(c, b); }), kE_INVALIDARG);  // b is a grandchild
  EXPECT_EQ(CodeOf([&] { r.removeChild(b); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { a.replaceChild(c, c); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { a.appendChild(a); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { b.appendChild(a); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { b.appendChild(r); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { a.appendChild(document_->asNode()); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { a.firstChild().appendChild(c); }), kS_OK);  // the one legal move
  EXPECT_EQ(Xml(), "<r><a><b><c/></b></a></r>");
}

TEST_F(DomNodeTest, WrongKindsOfChildrenAndAttributesRaiseErrors) {
  Load("<r>t<!--c--></r>");
  const DomNode doc = document_->asNode();
  const DomNode r = document_->documentElement();
  const DomNode text = r.firstChild();
  EXPECT_EQ(CodeOf([&] { text.appendChild(document_->createElement("x")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.appendChild(document_->createTextNode("t")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.appendChild(document_->createElement("second")); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { text.setAttribute("a", "1"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { text.removeAttribute("a"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { r.setAttribute("1a", "1"); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.setAttribute("", "1"); }), kE_INVALIDARG);
  EXPECT_EQ(CodeOf([&] { r.setNodeValue("v"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.setText("v"); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { doc.cloneNode(true); }), kE_FAIL);
  EXPECT_EQ(CodeOf([&] { document_->createElement("a b"); }), kE_INVALIDARG);
  EXPECT_EQ(text.getAttribute("a"), "");
  EXPECT_FALSE(text.hasAttribute("a"));
  EXPECT_EQ(Xml(), "<r>t<!--c--></r>");
  // The document element may be replaced by another element.
  doc.replaceChild(document_->createElement("s"), r);
  EXPECT_EQ(Xml(), "<s/>");
}

TEST_F(DomNodeTest, AttributesAreSetReplacedAndRemoved) {
  Load("<r a=\"1\"/>");
  const DomNode r = document_->documentElement();
  r.setAttribute("a", "2 & \"3\"");
  r.setAttribute("o:b", "x");
  EXPECT_EQ(r.getAttribute("a"), "2 & \"3\"");
  EXPECT_TRUE(r.hasAttribute("o:b"));
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
