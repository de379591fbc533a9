// A node of a DOM document with MSXML meaning, over a pugixml tree: a small copyable handle that
// keeps its document's tree alive. Misuse (a null handle, a node that is not a child, a node moved
// into its own subtree, ...) raises ComError with a description; nothing here crashes on bad input.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "platform/dom/raw_markup.h"

namespace platform {

class DomDocument;
class DomNodeList;

// nodeType values, numbered as MSXML numbers them.
enum DomNodeType : int32_t {
  kDomElement = 1,
  kDomAttribute = 2,
  kDomText = 3,
  kDomCData = 4,
  kDomProcessingInstruction = 7,  // also the XML declaration, whose nodeName is "xml"
  kDomComment = 8,
  kDomDocument = 9,
  kDomDocumentType = 10,
};

// The storage behind one loaded document, shared by the DomDocument and every handle into it.
// Removed, created and cloned nodes live under `parking`, a hidden element kept as the last child
// of the pugixml document, so that no handle ever points at freed memory. Not thread-safe.
struct DomTree {
  pugi::xml_document document;
  pugi::xml_node parking;  // created on first need
  std::weak_ptr<DomDocument> owner;
  // The texts of the raw markup made in this tree, by number (see raw_markup.h).
  std::vector<RawMarkup> rawMarkup;

  // The parking element, created when missing.
  pugi::xml_node Parking();
  // Moves `node` (of this tree) under the parking element; it keeps its identity.
  void Park(pugi::xml_node node);
  // The parked root holding `node` (a child of the parking element), `parking` itself for the
  // parking element, or a null node when `node` is part of the visible document.
  pugi::xml_node ScopeOf(pugi::xml_node node) const;
  // The visible document serialised raw (never indented) in UTF-8; `withEncoding` false drops the
  // encoding from the XML declaration, since the text is no longer in that encoding.
  std::string Serialised(bool withEncoding) const;
  // The same text handed to `writer` in pieces.
  void Print(pugi::xml_writer& writer, bool withEncoding) const;
  // `node` serialised raw into `writer`, its raw markup written out.
  void PrintNode(pugi::xml_node node, pugi::xml_writer& writer) const;
  // The nodes below `top` that `wanted` takes, in document order (see DomNode's walks).
  template <class Wanted>
  std::vector<pugi::xpath_node> Descendants(pugi::xml_node top, bool withSelf, Wanted wanted) const;
  // Whether `name` has the shape of an XML name (non-ASCII characters are let through).
  static bool IsName(const std::string& name);
};

class DomNode {
 public:
  // The null handle: isNull() is true and every other operation raises ComError(kE_POINTER).
  DomNode() = default;

  bool isNull() const { return !tree_; }
  explicit operator bool() const { return !isNull(); }
  // Identity: both handles name the same node of the same document (or both are null).
  friend bool operator==(const DomNode& a, const DomNode& b) {
    return a.tree_ == b.tree_ && a.node_ == b.node_ && a.attribute_ == b.attribute_;
  }

  // Handles are const: the methods below that change the tree do not change the handle.
  int32_t nodeType() const;
  // "#text", "#comment", "#cdata-section", "#document", the tag name, the PI target, "xml" for
  // the declaration, the attribute name.
  std::string nodeName() const;
  // The tag name of an element; empty for any other node.
  std::string tagName() const;
  // The value of a text, CDATA, comment, PI or attribute node; empty for an element or document.
  std::string nodeValue() const;
  // Sets that value; raises kE_FAIL on an element, a document or a declaration.
  void setNodeValue(const std::string& value) const;
  // The text of the node and its descendants in document order (comments and PIs of descendants
  // excluded); leading and trailing XML white space is trimmed.
  std::string text() const;
  // On an element: replaces every child by one text node (none for an empty text); the old
  // children are detached, not freed. An element whose only child is a text keeps that node,
  // which takes the new text. On a text, CDATA, comment, PI or attribute node: the value.
  void setText(const std::string& text) const;
  // The node serialised raw (never indented) in UTF-8.
  std::string xml() const;

  // Navigation. Detached nodes (removed, created, cloned) have no parent and no siblings; the
  // parent of the document element is the document node.
  DomNode parentNode() const;
  DomNode firstChild() const;
  DomNode lastChild() const;
  DomNode previousSibling() const;
  DomNode nextSibling() const;
  // A snapshot of the children: later changes to the tree do not change the list.
  DomNodeList childNodes() const;
  bool hasChildNodes() const;
  // The document this node belongs to; null for the document node itself and once the document
  // object has been released.
  std::shared_ptr<DomDocument> ownerDocument() const;

  // A detached copy: deep copies the whole subtree, shallow an element with its attributes only.
  DomNode cloneNode(bool deep) const;
  // Inserts `newChild` before `refChild` (appends when `refChild` is null). A node of this document
  // leaves its old place (same identity); a node of another document is copied in. Returns the
  // node now in place. Raises on a null child, a refChild that is not a child, a node moved into
  // its own subtree, text under the document node, a second document element.
  DomNode insertBefore(const DomNode& newChild, const DomNode& refChild) const;
  DomNode appendChild(const DomNode& newChild) const;
  // Detaches `child` (which must be a child of this node) and returns it; it stays usable and can
  // be inserted again for as long as the document lives.
  DomNode removeChild(const DomNode& child) const;
  // Puts `newChild` in the place of `oldChild` and returns the detached `oldChild`.
  DomNode replaceChild(const DomNode& newChild, const DomNode& oldChild) const;

  // Attributes. Reads on a node that is not an element answer "" and false; writes raise kE_FAIL.
  std::string getAttribute(const std::string& name) const;
  bool hasAttribute(const std::string& name) const;
  void setAttribute(const std::string& name, const std::string& value) const;
  void removeAttribute(const std::string& name) const;

  // XSL-pattern queries relative to this node; results in document order. Nodes detached from the
  // document are never returned to a query run from an attached node. A pattern that does not
  // compile or does not select nodes raises ComError(kE_INVALIDARG).
  DomNodeList selectNodes(const std::string& pattern) const;
  DomNode selectSingleNode(const std::string& pattern) const;
  // The descendant nodes of one type in document order, preceded by the node itself when
  // `withSelf` and it is of that type. kDomText takes text and CDATA nodes, as XPath's text()
  // does. A walk of the subtree, without an XPath evaluation.
  DomNodeList descendantsOfType(int32_t type, bool withSelf = false) const;
  // What selectNodes(".//*[@attribute]") gives, or with `element`
  // selectNodes(".//element[@attribute]"): the descendant elements carrying the attribute, in
  // document order. A walk of the subtree, without an XPath evaluation.
  DomNodeList descendantsWithAttribute(const std::string& attribute,
                                       const char* element = nullptr) const;
  // The descendant elements carrying at least one of the attributes, in document order: one walk
  // where a query per attribute would make several.
  DomNodeList descendantsWithAnyAttribute(std::initializer_list<const char*> attributes) const;
  // What selectNodes(".//element") gives: the descendant elements with that tag name (as
  // written), in document order. A walk of the subtree, without an XPath evaluation.
  DomNodeList descendantsNamed(const char* element) const;

 private:
  friend class DomDocument;
  friend class DomNodeList;

  DomNode(std::shared_ptr<DomTree> tree, pugi::xml_node node, std::string attribute = {})
      : tree_(std::move(tree)), node_(node), attribute_(std::move(attribute)) {}

  // Raises ComError(kE_POINTER) naming `operation` when the handle is null.
  void Require(const char* operation) const;
  bool IsAttribute() const { return !attribute_.empty(); }
  DomNode Wrap(pugi::xml_node node) const;
  pugi::xml_node VisibleSibling(pugi::xml_node sibling, bool forward) const;
  pugi::xml_node Place(const DomNode& newChild, pugi::xml_node ref, pugi::xml_node replaced,
                       const char* operation) const;

  std::shared_ptr<DomTree> tree_;
  // Mutable: the handle is const, the tree it points into is not.
  mutable pugi::xml_node node_;  // the node; for an attribute handle, the element carrying it
  std::string attribute_;  // attribute handles only: looked up by name, so removal never dangles
};

}  // namespace platform

// childNodes and selectNodes return lists by value: the list type comes with the node type.
#include "platform/dom/dom_node_list.h"
