// An XML document with MSXML meaning ("MSXML.DOMDocument"): loaded strictly (a document that is
// not well-formed is refused with a parse error), kept as a pugixml tree in UTF-8, saved raw in the
// encoding its declaration names. One thread at a time per document.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/com_object.h"
#include "platform/dom/dom_node.h"
#include "platform/dom/dom_node_list.h"
#include "platform/dom/dom_parse_error.h"

namespace platform {

class DomDocument : public ComObject, public std::enable_shared_from_this<DomDocument> {
  struct PassKey {};

 public:
  // A new empty document. Node handles keep the document's tree alive on their own.
  static std::shared_ptr<DomDocument> Create();
  explicit DomDocument(PassKey);

  // Reads the file, decodes it from its byte-order mark or declared encoding, checks that it is
  // well-formed and builds the tree (comments, PIs, the declaration and CDATA kept;
  // white-space-only text dropped, as MSXML does by default). On failure the document is left
  // empty and parseError() says why, with url = path. Handles into the previous content stay valid.
  bool load(const std::string& path);
  // As load, from UTF-8 text (a declared encoding is ignored; url stays empty).
  bool loadXML(const std::string& utf8Text);
  // The outcome of the last load or loadXML: errorCode 0 after a success.
  const DomParseError& parseError() const { return parseError_; }
  // Builds the tree again from its own text, so that every name and value lives in the one
  // buffer the parser keeps. Copies of a node share the strings it had from that buffer and
  // duplicate only those set since, so a template repeated over many rows costs a fraction of
  // the memory once its annotations are part of the parsed text. The new tree is kept only when
  // it has exactly the nodes of the old one (adjacent or white-space-only text, for one, would
  // not come back as it was), nor when it holds raw markup; otherwise nothing changes and false
  // is returned. Handles taken before stay valid but point into the old tree: call it only when
  // none is kept.
  bool reparse();

  // Writes the document raw (never indented) to `path`, in the encoding of its XML declaration
  // (UTF-8 when it has none; no declaration is added), through a temporary file beside the target
  // that is renamed over it. Raises ComError(kE_FAIL) with the system's reason on failure.
  void save(const std::string& path) const;
  // The bytes that save writes: the document serialised raw in the encoding of its XML
  // declaration (UTF-8 when it has none), the declaration kept whole. Raises ComError(kE_FAIL)
  // with the reason when the text cannot be written in that encoding (one that the layer cannot
  // write is named).
  std::string encodedXml() const;
  // The bytes of encodedXml handed to `sink` in pieces of a few hundred kilobytes as they are
  // encoded, so that a large page is never held whole. Raises as encodedXml does; false when the
  // sink refused a piece, which ends the writing.
  using Sink = std::function<bool(std::string_view)>;
  bool writeEncoded(const Sink& sink) const;
  // The whole document serialised raw in UTF-8 (the declaration, when present, loses its encoding).
  // Here, in encodedXml and in save, text that is not valid UTF-8 (a Latin-1 file name, a binary
  // record) is written converted by ToXmlText (platform/dom/xml_encoding.h); the tree keeps the
  // bytes as they were set, so a path read back from it still names its file.
  std::string xml() const;

  // The root element, or a null handle for an empty document.
  DomNode documentElement() const;
  // New detached nodes of this document; they appear in it once inserted. createElement raises
  // ComError(kE_INVALIDARG) for a name that is not an XML name.
  DomNode createElement(const std::string& name);
  DomNode createComment(const std::string& text);
  DomNode createTextNode(const std::string& text);
  // A new detached node that stands for `markup` already serialised in UTF-8: every
  // serialisation of the document or of a node around it writes the markup in its place, and
  // the walks and queries of the tree pass it by. The markup must be well-formed content.
  DomNode createRawMarkup(RawMarkup markup);

  // XSL-pattern queries relative to the document node (see DomNode::selectNodes).
  DomNodeList selectNodes(const std::string& pattern) const;
  DomNode selectSingleNode(const std::string& pattern) const;

  // The document node (nodeType 9).
  DomNode asNode() const;

 private:
  std::shared_ptr<DomTree> NewTree();
  bool Parse(std::string utf8, const std::string& url);
  // With a sink the bytes go to it and `bytes` is only a buffer; a refusing sink gives false with
  // an empty reason.
  bool Encode(std::string& bytes, std::string& reason, const Sink* sink = nullptr) const;
  bool Refuse(DomParseError error);
  DomNode Detached(pugi::xml_node_type type, const std::string& value, const char* operation);

  std::shared_ptr<DomTree> tree_;
  DomParseError parseError_;
};

// Makes "MSXML.DOMDocument" creatable through ComFactory. Also done at start-up when the file that
// defines it is linked in; calling it again is harmless. Any thread.
void RegisterDomDocumentClass();

// A new empty document made through ComFactory as "MSXML.DOMDocument", the way the library makes
// every document it loads, generates or reports into; null when the factory has no such class or
// its maker fails or makes something else. Any thread.
std::shared_ptr<DomDocument> NewDomDocument();

}  // namespace platform
