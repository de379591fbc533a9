#include "platform/dom/dom_node.h"

#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include "platform/com_error.h"
#include "platform/dom/dom_document.h"
#include "platform/dom/xsl_pattern.h"

namespace platform {
namespace {

// No XML name can hold a blank, so no pattern can name the parking element.
constexpr const char* kParkingName = "dom parking";

[[noreturn]] void Fail(HResult code, const char* operation, const std::string& why) {
  throw ComError(code, std::string(operation) + ": " + why);
}

bool IsXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(std::string text) {
  size_t end = text.size();
  while (end > 0 && IsXmlSpace(text[end - 1])) --end;
  size_t begin = 0;
  while (begin < end && IsXmlSpace(text[begin])) ++begin;
  return text.substr(begin, end - begin);
}

bool IsNameStart(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':' || c >= 0x80;
}

bool IsNameChar(unsigned char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

std::string EscapedAttributeValue(const char* value) {
  std::string out;
  for (const char* p = value; *p; ++p) {
    switch (*p) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\t':
        out += "&#9;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += *p;
    }
  }
  return out;
}

// The pseudo-attributes of an XML declaration as they stand in it: version="1.0" encoding="...".
std::string DeclarationText(pugi::xml_node declaration, bool withEncoding) {
  std::string out;
  for (const pugi::xml_attribute a : declaration.attributes()) {
    if (!withEncoding && std::string_view(a.name()) == "encoding") continue;
    if (!out.empty()) out += ' ';
    out += a.name();
    out += "=\"";
    out += EscapedAttributeValue(a.value());
    out += '"';
  }
  return out;
}

// Pre-order successor of `node` inside `root`'s subtree, entering children only when `descend`.
pugi::xml_node NextInSubtree(pugi::xml_node node, pugi::xml_node root, bool descend) {
  if (descend && node.first_child()) return node.first_child();
  while (node != root) {
    if (node.next_sibling()) return node.next_sibling();
    node = node.parent();
  }
  return pugi::xml_node();
}

struct StringWriter : pugi::xml_writer {
  explicit StringWriter(std::string& text) : out(text) {}
  void write(const void* data, size_t size) override {
    out.append(static_cast<const char*>(data), size);
  }
  std::string& out;
};

const char* KindName(pugi::xml_node_type type) {
  switch (type) {
    case pugi::node_document:
      return "document node";
    case pugi::node_element:
      return "element";
    case pugi::node_pcdata:
      return "text node";
    case pugi::node_cdata:
      return "CDATA section";
    case pugi::node_comment:
      return "comment";
    case pugi::node_pi:
      return "processing instruction";
    case pugi::node_declaration:
      return "XML declaration";
    case pugi::node_doctype:
      return "document type";
    default:
      return "node";
  }
}

}  // namespace

bool DomTree::IsName(const std::string& name) {
  if (name.empty() || !IsNameStart(static_cast<unsigned char>(name[0]))) return false;
  for (const char c : name) {
    if (!IsNameChar(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

pugi::xml_node DomTree::Parking() {
  if (!parking) parking = document.append_child(kParkingName);
  if (!parking) throw ComError(kE_OUTOFMEMORY, "Out of memory in the document");
  return parking;
}

void DomTree::Park(pugi::xml_node node) {
  if (!Parking().append_move(node)) {
    throw ComError(kE_FAIL, std::string("Cannot detach the ") + KindName(node.type()));
  }
}

pugi::xml_node DomTree::ScopeOf(pugi::xml_node node) const {
  if (!parking) return {};
  if (node == parking) return parking;
  for (pugi::xml_node current = node;;) {
    const pugi::xml_node parent = current.parent();
    if (!parent) return {};
    if (parent == parking) return current;
    current = parent;
  }
}

void DomTree::Print(pugi::xml_writer& writer, bool withEncoding) const {
  for (const pugi::xml_node child : document.children()) {
    if (child == parking) continue;
    if (child.type() == pugi::node_declaration && !withEncoding) {
      const std::string declaration = "<?xml " + DeclarationText(child, false) + "?>";
      writer.write(declaration.data(), declaration.size());
    } else {
      PrintNode(child, writer);
    }
  }
}

void DomTree::PrintNode(pugi::xml_node node, pugi::xml_writer& writer) const {
  if (rawMarkup.empty()) {
    node.print(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return;
  }
  RawMarkupWriter expanding(writer, rawMarkup);
  node.print(expanding, "", pugi::format_raw, pugi::encoding_utf8);
  expanding.Finish();
}

std::string DomTree::Serialised(bool withEncoding) const {
  std::string out;
  StringWriter writer(out);
  Print(writer, withEncoding);
  return out;
}

void DomNode::Require(const char* operation) const {
  if (!tree_) throw ComError(kE_POINTER, std::string(operation) + ": the node is null");
}

DomNode DomNode::Wrap(pugi::xml_node node) const { return node ? DomNode(tree_, node) : DomNode(); }

int32_t DomNode::nodeType() const {
  Require("nodeType");
  if (IsAttribute()) return kDomAttribute;
  switch (node_.type()) {
    case pugi::node_document:
      return kDomDocument;
    case pugi::node_element:
      return kDomElement;
    case pugi::node_pcdata:
      return kDomText;
    case pugi::node_cdata:
      return kDomCData;
    case pugi::node_comment:
      return kDomComment;
    case pugi::node_pi:
    case pugi::node_declaration:
      return kDomProcessingInstruction;
    case pugi::node_doctype:
      return kDomDocumentType;
    default:
      return 0;
  }
}

std::string DomNode::nodeName() const {
  Require("nodeName");
  if (IsAttribute()) return attribute_;
  switch (node_.type()) {
    case pugi::node_document:
      return "#document";
    case pugi::node_pcdata:
      return "#text";
    case pugi::node_cdata:
      return "#cdata-section";
    case pugi::node_comment:
      return "#comment";
    case pugi::node_declaration:
      return "xml";
    case pugi::node_doctype: {
      const std::string_view value = node_.value();
      const size_t end = value.find_first_of(" \t\r\n[");
      return std::string(value.substr(0, end));
    }
    default:
      return node_.name();
  }
}

std::string DomNode::tagName() const {
  Require("tagName");
  return !IsAttribute() && node_.type() == pugi::node_element ? node_.name() : "";
}

std::string DomNode::nodeValue() const {
  Require("nodeValue");
  if (IsAttribute()) return node_.attribute(attribute_.c_str()).value();
  switch (node_.type()) {
    case pugi::node_pcdata:
    case pugi::node_cdata:
    case pugi::node_comment:
    case pugi::node_pi:
      return node_.value();
    case pugi::node_declaration:
      return DeclarationText(node_, true);
    default:
      return "";
  }
}

void DomNode::setNodeValue(const std::string& value) const {
  Require("setNodeValue");
  bool stored = false;
  if (IsAttribute()) {
    pugi::xml_attribute a = node_.attribute(attribute_.c_str());
    if (!a) Fail(kE_FAIL, "setNodeValue", "the attribute \"" + attribute_ + "\" was removed");
    stored = a.set_value(value.data(), value.size());
  } else {
    switch (node_.type()) {
      case pugi::node_pcdata:
      case pugi::node_cdata:
      case pugi::node_comment:
      case pugi::node_pi:
        stored = node_.set_value(value.data(), value.size());
        break;
      default:
        Fail(kE_FAIL, "setNodeValue",
             std::string("the value of a ") + KindName(node_.type()) + " cannot be set");
    }
  }
  if (!stored) Fail(kE_OUTOFMEMORY, "setNodeValue", "out of memory");
}

std::string DomNode::text() const {
  Require("text");
  std::string out;
  if (IsAttribute() ||
      (node_.type() != pugi::node_element && node_.type() != pugi::node_document)) {
    out = nodeValue();
  } else {
    pugi::xml_node n = node_.first_child();
    while (n) {
      const pugi::xml_node_type type = n.type();
      if (type == pugi::node_pcdata || type == pugi::node_cdata) out += n.value();
      n = NextInSubtree(n, node_, n != tree_->parking);
    }
  }
  return Trimmed(std::move(out));
}

void DomNode::setText(const std::string& text) const {
  Require("setText");
  if (IsAttribute() || node_.type() != pugi::node_element) {
    if (!IsAttribute() && node_.type() != pugi::node_pcdata && node_.type() != pugi::node_cdata &&
        node_.type() != pugi::node_comment && node_.type() != pugi::node_pi) {
      Fail(kE_FAIL, "setText", std::string("a ") + KindName(node_.type()) + " cannot take text");
    }
    setNodeValue(text);
    return;
  }
  // An element holding just one text, as a filled placeholder does, keeps that node with the new
  // text: a page sets thousands of values, and each parked node would stay in memory to the end.
  pugi::xml_node only = node_.first_child();
  if (!text.empty() && only.type() == pugi::node_pcdata && !only.next_sibling()) {
    if (!only.set_value(text.data(), text.size())) Fail(kE_OUTOFMEMORY, "setText", "out of memory");
    return;
  }
  while (const pugi::xml_node child = node_.first_child()) tree_->Park(child);
  if (text.empty()) return;
  pugi::xml_node added = node_.append_child(pugi::node_pcdata);
  if (!added || !added.set_value(text.data(), text.size())) {
    Fail(kE_OUTOFMEMORY, "setText", "out of memory");
  }
}

std::string DomNode::xml() const {
  Require("xml");
  if (IsAttribute()) {
    return attribute_ + "=\"" + EscapedAttributeValue(node_.attribute(attribute_.c_str()).value()) +
           "\"";
  }
  if (node_.type() == pugi::node_document) return tree_->Serialised(false);
  std::string out;
  StringWriter writer(out);
  tree_->PrintNode(node_, writer);
  return out;
}

DomNode DomNode::parentNode() const {
  Require("parentNode");
  if (IsAttribute()) return {};
  const pugi::xml_node parent = node_.parent();
  if (!parent || parent == tree_->parking) return {};
  return Wrap(parent);
}

pugi::xml_node DomNode::VisibleSibling(pugi::xml_node sibling, bool forward) const {
  if (IsAttribute() || !node_.parent() || node_.parent() == tree_->parking) return {};
  while (sibling && sibling == tree_->parking) {
    sibling = forward ? sibling.next_sibling() : sibling.previous_sibling();
  }
  return sibling;
}

DomNode DomNode::firstChild() const {
  Require("firstChild");
  if (IsAttribute()) return {};
  pugi::xml_node child = node_.first_child();
  if (child && child == tree_->parking) child = child.next_sibling();
  return Wrap(child);
}

DomNode DomNode::lastChild() const {
  Require("lastChild");
  if (IsAttribute()) return {};
  pugi::xml_node child = node_.last_child();
  if (child && child == tree_->parking) child = child.previous_sibling();
  return Wrap(child);
}

DomNode DomNode::previousSibling() const {
  Require("previousSibling");
  return Wrap(VisibleSibling(node_.previous_sibling(), false));
}

DomNode DomNode::nextSibling() const {
  Require("nextSibling");
  return Wrap(VisibleSibling(node_.next_sibling(), true));
}

DomNodeList DomNode::childNodes() const {
  Require("childNodes");
  std::vector<pugi::xpath_node> children;
  if (!IsAttribute()) {
    for (const pugi::xml_node child : node_.children()) {
      if (child != tree_->parking) children.emplace_back(child);
    }
  }
  return DomNodeList(tree_, std::move(children));
}

bool DomNode::hasChildNodes() const { return !firstChild().isNull(); }

std::shared_ptr<DomDocument> DomNode::ownerDocument() const {
  Require("ownerDocument");
  if (!IsAttribute() && node_.type() == pugi::node_document) return nullptr;
  return tree_->owner.lock();
}

DomNode DomNode::cloneNode(bool deep) const {
  Require("cloneNode");
  if (IsAttribute()) Fail(kE_FAIL, "cloneNode", "an attribute node cannot be cloned");
  const pugi::xml_node_type type = node_.type();
  if (type == pugi::node_document || type == pugi::node_declaration || type == pugi::node_doctype) {
    Fail(kE_FAIL, "cloneNode", std::string("a ") + KindName(type) + " cannot be cloned");
  }
  pugi::xml_node parking = tree_->Parking();
  pugi::xml_node copy;
  if (type == pugi::node_element && !deep) {
    copy = parking.append_child(node_.name());
    for (const pugi::xml_attribute a : node_.attributes()) {
      if (copy && !copy.append_copy(a)) copy = pugi::xml_node();
    }
  } else {
    copy = parking.append_copy(node_);
  }
  if (!copy) Fail(kE_OUTOFMEMORY, "cloneNode", "out of memory");
  return Wrap(copy);
}

pugi::xml_node DomNode::Place(const DomNode& newChild, pugi::xml_node ref, pugi::xml_node replaced,
                              const char* operation) const {
  const pugi::xml_node_type parentType = node_.type();
  if (IsAttribute() || (parentType != pugi::node_element && parentType != pugi::node_document)) {
    Fail(kE_FAIL, operation,
         std::string("a ") + (IsAttribute() ? "attribute" : KindName(parentType)) +
             " cannot have children");
  }
  if (newChild.isNull()) Fail(kE_INVALIDARG, operation, "the node to insert is null");
  if (newChild.IsAttribute())
    Fail(kE_FAIL, operation, "an attribute cannot be inserted as a child");
  const pugi::xml_node_type childType = newChild.node_.type();
  if (childType == pugi::node_document) {
    Fail(kE_FAIL, operation, "a document node cannot be inserted");
  }
  if (parentType == pugi::node_document) {
    if (childType == pugi::node_pcdata || childType == pugi::node_cdata) {
      Fail(kE_FAIL, operation, "text cannot be a child of the document node");
    }
    if (childType == pugi::node_element) {
      for (const pugi::xml_node top : node_.children()) {
        if (top.type() != pugi::node_element || top == tree_->parking || top == replaced) continue;
        if (newChild.tree_ == tree_ && top == newChild.node_) continue;
        Fail(kE_FAIL, operation, "the document already has a document element");
      }
    }
  } else if (childType == pugi::node_declaration || childType == pugi::node_doctype) {
    Fail(kE_FAIL, operation,
         std::string("a ") + KindName(childType) + " can only be a child of the document node");
  }
  // The parking element stays the last child of the document, after every visible node.
  if (!ref && parentType == pugi::node_document) ref = tree_->parking;

  if (newChild.tree_ != tree_) {
    const pugi::xml_node copy =
        ref ? node_.insert_copy_before(newChild.node_, ref) : node_.append_copy(newChild.node_);
    if (!copy) Fail(kE_OUTOFMEMORY, operation, "out of memory copying the node in");
    return copy;
  }
  if (newChild.node_ == ref) return ref;
  // Only a node with children can be an ancestor: leaves skip the walk up a deep tree.
  if (newChild.node_ == node_ || newChild.node_.first_child()) {
    for (pugi::xml_node up = node_; up; up = up.parent()) {
      if (up == newChild.node_) {
        Fail(kE_FAIL, operation,
             "a node cannot be inserted into itself or into its own descendant");
      }
    }
  }
  const pugi::xml_node moved =
      ref ? node_.insert_move_before(newChild.node_, ref) : node_.append_move(newChild.node_);
  if (!moved) Fail(kE_FAIL, operation, "the node cannot be moved here");
  return moved;
}

DomNode DomNode::insertBefore(const DomNode& newChild, const DomNode& refChild) const {
  Require("insertBefore");
  pugi::xml_node ref;
  if (!refChild.isNull()) {
    if (refChild.tree_ != tree_ || refChild.IsAttribute() || IsAttribute() ||
        refChild.node_.parent() != node_) {
      Fail(kE_INVALIDARG, "insertBefore", "the reference node is not a child of this node");
    }
    ref = refChild.node_;
  }
  return Wrap(Place(newChild, ref, {}, "insertBefore"));
}

DomNode DomNode::appendChild(const DomNode& newChild) const {
  Require("appendChild");
  return Wrap(Place(newChild, {}, {}, "appendChild"));
}

DomNode DomNode::removeChild(const DomNode& child) const {
  Require("removeChild");
  if (child.isNull()) Fail(kE_INVALIDARG, "removeChild", "the node to remove is null");
  if (child.tree_ != tree_ || child.IsAttribute() || IsAttribute() ||
      child.node_.parent() != node_) {
    Fail(kE_INVALIDARG, "removeChild", "the node is not a child of this node");
  }
  tree_->Park(child.node_);
  return child;
}

DomNode DomNode::replaceChild(const DomNode& newChild, const DomNode& oldChild) const {
  Require("replaceChild");
  if (oldChild.isNull()) Fail(kE_INVALIDARG, "replaceChild", "the node to replace is null");
  if (oldChild.tree_ != tree_ || oldChild.IsAttribute() || IsAttribute() ||
      oldChild.node_.parent() != node_) {
    Fail(kE_INVALIDARG, "replaceChild", "the node to replace is not a child of this node");
  }
  if (newChild == oldChild) return oldChild;
  Place(newChild, oldChild.node_, oldChild.node_, "replaceChild");
  tree_->Park(oldChild.node_);
  return oldChild;
}

std::string DomNode::getAttribute(const std::string& name) const {
  Require("getAttribute");
  if (IsAttribute() || node_.type() != pugi::node_element) return "";
  return node_.attribute(name.c_str()).value();
}

bool DomNode::hasAttribute(const std::string& name) const {
  Require("hasAttribute");
  if (IsAttribute() || node_.type() != pugi::node_element) return false;
  return static_cast<bool>(node_.attribute(name.c_str()));
}

void DomNode::setAttribute(const std::string& name, const std::string& value) const {
  Require("setAttribute");
  if (IsAttribute() || node_.type() != pugi::node_element) {
    Fail(kE_FAIL, "setAttribute",
         std::string("only an element has attributes, not a ") +
             (IsAttribute() ? "attribute" : KindName(node_.type())));
  }
  if (!DomTree::IsName(name)) {
    Fail(kE_INVALIDARG, "setAttribute", "\"" + name + "\" is not a valid attribute name");
  }
  pugi::xml_attribute a = node_.attribute(name.c_str());
  if (!a) a = node_.append_attribute(name.c_str());
  if (!a || !a.set_value(value.data(), value.size())) {
    Fail(kE_OUTOFMEMORY, "setAttribute", "out of memory");
  }
}

void DomNode::removeAttribute(const std::string& name) const {
  Require("removeAttribute");
  if (IsAttribute() || node_.type() != pugi::node_element) {
    Fail(kE_FAIL, "removeAttribute",
         std::string("only an element has attributes, not a ") +
             (IsAttribute() ? "attribute" : KindName(node_.type())));
  }
  node_.remove_attribute(name.c_str());
}

namespace {

pugi::xml_node OwnerOf(const pugi::xpath_node& found) {
  return found.attribute() ? found.parent() : found.node();
}

std::shared_ptr<const pugi::xpath_query> NodeQuery(const std::string& pattern) {
  std::shared_ptr<const pugi::xpath_query> query = XslQueryCache::Shared().Compile(pattern);
  if (query->return_type() != pugi::xpath_type_node_set) {
    throw ComError(kE_INVALIDARG,
                   "Invalid query: the expression does not select nodes in \"" + pattern + "\"");
  }
  return query;
}

}  // namespace

DomNodeList DomNode::selectNodes(const std::string& pattern) const {
  Require("selectNodes");
  const std::shared_ptr<const pugi::xpath_query> query = NodeQuery(pattern);
  const pugi::xpath_node context =
      IsAttribute() ? pugi::xpath_node(node_.attribute(attribute_.c_str()), node_)
                    : pugi::xpath_node(node_);
  std::vector<pugi::xpath_node> found;
  try {
    pugi::xpath_node_set set = query->evaluate_node_set(context);
    set.sort();
    found.reserve(set.size());
    const pugi::xml_node scope = tree_->ScopeOf(node_);
    for (const pugi::xpath_node& n : set) {
      if (!tree_->parking || tree_->ScopeOf(OwnerOf(n)) == scope) found.push_back(n);
    }
  } catch (const pugi::xpath_exception& e) {
    throw ComError(kE_INVALIDARG, std::string("Invalid query: ") + e.result().description() +
                                      " in \"" + pattern + "\"");
  } catch (const std::bad_alloc&) {
    throw ComError(kE_OUTOFMEMORY, "Out of memory running the query \"" + pattern + "\"");
  }
  return DomNodeList(tree_, std::move(found));
}

namespace {

// Hands each node below the walk's top to `wanted`, passing by the parking element's subtree.
// pugixml's own traversal follows its tree without a call per step, where a loop of first_child,
// next_sibling and parent would make several out-of-line calls for every node.
template <class Wanted>
class DescendantCollector : public pugi::xml_tree_walker {
 public:
  DescendantCollector(Wanted& wanted, pugi::xml_node parking, std::vector<pugi::xpath_node>& found)
      : wanted_(wanted), parking_(parking), found_(found) {}

  bool for_each(pugi::xml_node& node) override {
    if (parking_) {
      const int level = depth();
      if (parkedBelow_ >= 0 && level > parkedBelow_) return true;
      parkedBelow_ = -1;
      if (node == parking_) {
        parkedBelow_ = level;
        return true;
      }
    }
    if (wanted_(node)) found_.emplace_back(node);
    return true;
  }

 private:
  Wanted& wanted_;
  const pugi::xml_node parking_;  // null unless the walk starts at the document
  std::vector<pugi::xpath_node>& found_;
  int parkedBelow_ = -1;  // the parking element's depth while inside its subtree
};

}  // namespace

// The nodes below `top` (and `top` itself when `withSelf`) that `wanted` takes, in document
// order. An attribute has no descendants; the parking element's children are each out of its
// scope, and only a walk from the document meets the parking element, which it passes by.
template <class Wanted>
std::vector<pugi::xpath_node> DomTree::Descendants(pugi::xml_node top, bool withSelf,
                                                   Wanted wanted) const {
  std::vector<pugi::xpath_node> found;
  if (!top || (parking && top == parking)) return found;
  if (withSelf && wanted(top)) found.emplace_back(top);
  const pugi::xml_node parkingBelow =
      parking && top.type() == pugi::node_document ? parking : pugi::xml_node();
  DescendantCollector<Wanted> collector(wanted, parkingBelow, found);
  top.traverse(collector);
  return found;
}

DomNodeList DomNode::descendantsOfType(int32_t type, bool withSelf) const {
  Require("descendantsOfType");
  if (IsAttribute()) return DomNodeList(tree_, {});
  const auto wanted = [type](const pugi::xml_node node) {
    switch (node.type()) {
      case pugi::node_element:
        return type == kDomElement;
      case pugi::node_pcdata:
      case pugi::node_cdata:
        return type == kDomText;
      case pugi::node_comment:
        return type == kDomComment;
      default:
        return false;
    }
  };
  return DomNodeList(tree_, tree_->Descendants(node_, withSelf, wanted));
}

DomNodeList DomNode::descendantsWithAttribute(const std::string& attribute,
                                              const char* element) const {
  Require("descendantsWithAttribute");
  if (IsAttribute()) return DomNodeList(tree_, {});
  // The tag name first, when one is asked for: it rules out most elements with one compare. The
  // attributes are searched by pugixml itself, in one call rather than three for each of them.
  const char* const name = attribute.c_str();
  const auto wanted = [&](const pugi::xml_node node) {
    if (node.type() != pugi::node_element) return false;
    if (element != nullptr && std::strcmp(node.name(), element) != 0) return false;
    return !node.attribute(name).empty();
  };
  return DomNodeList(tree_, tree_->Descendants(node_, false, wanted));
}

DomNodeList DomNode::descendantsWithAnyAttribute(
    std::initializer_list<const char*> attributes) const {
  Require("descendantsWithAnyAttribute");
  if (IsAttribute()) return DomNodeList(tree_, {});
  const auto wanted = [attributes](const pugi::xml_node node) {
    if (node.type() != pugi::node_element) return false;
    for (pugi::xml_attribute at = node.first_attribute(); at; at = at.next_attribute()) {
      const char* const carried = at.name();
      for (const char* const name : attributes) {
        if (carried[0] == name[0] && std::strcmp(carried, name) == 0) return true;
      }
    }
    return false;
  };
  return DomNodeList(tree_, tree_->Descendants(node_, false, wanted));
}

DomNodeList DomNode::descendantsNamed(const char* element) const {
  Require("descendantsNamed");
  if (IsAttribute()) return DomNodeList(tree_, {});
  const auto wanted = [element](const pugi::xml_node node) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), element) == 0;
  };
  return DomNodeList(tree_, tree_->Descendants(node_, false, wanted));
}

DomNode DomNode::selectSingleNode(const std::string& pattern) const {
  Require("selectSingleNode");
  const std::shared_ptr<const pugi::xpath_query> query = NodeQuery(pattern);
  const pugi::xpath_node context =
      IsAttribute() ? pugi::xpath_node(node_.attribute(attribute_.c_str()), node_)
                    : pugi::xpath_node(node_);
  pugi::xpath_node first;
  try {
    first = query->evaluate_node(context);
  } catch (const pugi::xpath_exception& e) {
    throw ComError(kE_INVALIDARG, std::string("Invalid query: ") + e.result().description() +
                                      " in \"" + pattern + "\"");
  } catch (const std::bad_alloc&) {
    throw ComError(kE_OUTOFMEMORY, "Out of memory running the query \"" + pattern + "\"");
  }
  if (!first) return {};
  // The first match in document order hides a visible one only when it is out of scope.
  if (tree_->parking && tree_->ScopeOf(OwnerOf(first)) != tree_->ScopeOf(node_)) {
    return selectNodes(pattern).item(0);
  }
  if (first.attribute()) return DomNode(tree_, first.parent(), first.attribute().name());
  return Wrap(first.node());
}

}  // namespace platform
