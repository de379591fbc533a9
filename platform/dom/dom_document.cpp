#include "platform/dom/dom_document.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/com_error.h"
#include "platform/dom/xml_encoding.h"
#include "platform/dom/xml_wellformedness.h"
#include "platform/file_io.h"

namespace platform {
namespace {

constexpr unsigned kParseOptions =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_eol |
    pugi::parse_comments | pugi::parse_pi | pugi::parse_declaration | pugi::parse_doctype;

}  // namespace

std::shared_ptr<DomDocument> DomDocument::Create() {
  auto document = std::make_shared<DomDocument>(PassKey{});
  document->tree_->owner = document;
  return document;
}

DomDocument::DomDocument(PassKey) : tree_(std::make_shared<DomTree>()) {}

std::shared_ptr<DomTree> DomDocument::NewTree() {
  auto tree = std::make_shared<DomTree>();
  tree->owner = weak_from_this();
  return tree;
}

bool DomDocument::Refuse(DomParseError error) {
  parseError_ = std::move(error);
  if (parseError_.errorCode == 0) parseError_.errorCode = kE_FAIL;
  tree_ = NewTree();
  return false;
}

bool DomDocument::load(const std::string& path) {
  DomParseError error;
  error.url = path;
  std::string bytes;
  if (!ReadWholeFile(path, bytes, error.reason)) {
    error.errorCode = kE_FAIL;
    return Refuse(std::move(error));
  }
  std::string utf8;
  std::string declaredEncoding;
  if (!DecodeXmlBytes(bytes, utf8, declaredEncoding, error)) {
    error.url = path;
    return Refuse(std::move(error));
  }
  bytes = std::string();
  return Parse(std::move(utf8), path);
}

bool DomDocument::loadXML(const std::string& utf8Text) {
  std::string_view text = utf8Text;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Parse(std::string(text), "");
}

bool DomDocument::Parse(std::string utf8, const std::string& url) {
  DomParseError error;
  if (!CheckWellFormed(utf8, error)) {
    error.url = url;
    return Refuse(std::move(error));
  }
  std::shared_ptr<DomTree> tree = NewTree();
  const pugi::xml_parse_result result =
      tree->document.load_buffer(utf8.data(), utf8.size(), kParseOptions, pugi::encoding_utf8);
  if (!result) {
    error.errorCode = kE_FAIL;
    error.reason = result.description();
    LocateXmlError(utf8, static_cast<size_t>(result.offset), error);
    error.url = url;
    return Refuse(std::move(error));
  }
  tree_ = std::move(tree);
  parseError_ = DomParseError();
  parseError_.url = url;
  return true;
}

namespace {

// Whether the two trees hold the same nodes: kinds, names, values and attributes in order.
bool SameNodes(pugi::xml_node a, pugi::xml_node b) {
  std::vector<std::pair<pugi::xml_node, pugi::xml_node>> pending{{a, b}};
  while (!pending.empty()) {
    const auto [x, y] = pending.back();
    pending.pop_back();
    if (x.type() != y.type() || std::strcmp(x.name(), y.name()) != 0 ||
        std::strcmp(x.value(), y.value()) != 0) {
      return false;
    }
    pugi::xml_attribute xa = x.first_attribute();
    pugi::xml_attribute ya = y.first_attribute();
    for (; xa && ya; xa = xa.next_attribute(), ya = ya.next_attribute()) {
      if (std::strcmp(xa.name(), ya.name()) != 0 || std::strcmp(xa.value(), ya.value()) != 0) {
        return false;
      }
    }
    if (xa || ya) return false;
    pugi::xml_node xc = x.first_child();
    pugi::xml_node yc = y.first_child();
    for (; xc && yc; xc = xc.next_sibling(), yc = yc.next_sibling()) pending.emplace_back(xc, yc);
    if (xc || yc) return false;
  }
  return true;
}

}  // namespace

bool DomDocument::reparse() {
  if (!tree_->rawMarkup.empty()) return false;
  const std::string text = tree_->Serialised(true);
  std::shared_ptr<DomTree> tree = NewTree();
  if (!tree->document.load_buffer(text.data(), text.size(), kParseOptions, pugi::encoding_utf8)) {
    return false;
  }
  // The parking element is left out of the text; the old tree keeps what was parked there.
  pugi::xml_node before = tree_->document.first_child();
  pugi::xml_node after = tree->document.first_child();
  for (;; before = before.next_sibling(), after = after.next_sibling()) {
    if (before && before == tree_->parking) before = before.next_sibling();
    if (!before || !after) break;
    if (!SameNodes(before, after)) return false;
  }
  if (before || after) return false;
  tree_ = std::move(tree);
  return true;
}

namespace {

// Takes the serialised document in pieces and hands them on as document text (ToXmlText) to the
// encoder, so that the page is never held whole in UTF-8 besides its encoded bytes. A piece ends
// just before a "<": never inside a UTF-8 sequence, a reference or a markup delimiter, so each
// piece turns out as it would inside the whole text. With a sink, the encoded bytes go to it
// whenever a few hundred kilobytes have gathered.
class EncodingWriter : public pugi::xml_writer, public CleanTextWriter {
 public:
  using Sink = std::function<bool(std::string_view)>;
  EncodingWriter(XmlTextEncoder& encoder, std::string& encoded, const Sink* sink)
      : encoder_(encoder), encoded_(encoded), sink_(sink) {}

  void write(const void* data, size_t size) override {
    if (failed_) return;
    pending_.append(static_cast<const char*>(data), size);
    if (pending_.size() >= kPieceBytes) Pass(CutPoint());
  }

  // Clean raw markup goes to the encoder as it is, after what came before it.
  void writeClean(std::string_view text) override {
    if (failed_) return;
    Pass(pending_.size());
    if (failed_ || text.empty()) return;
    if (!encoder_.AppendValid(text, reason_)) {
      failed_ = true;
      return;
    }
    Drain(kSinkBytes);
  }

  // False with the encoder's reason, or with none when the sink refused.
  bool Finish(std::string& reason) {
    if (!failed_) Pass(pending_.size());
    if (!failed_) {
      encoder_.Finish();
      Drain(0);
    }
    reason = reason_;
    return !failed_;
  }

 private:
  static constexpr size_t kPieceBytes = 64 * 1024;
  static constexpr size_t kSinkBytes = 256 * 1024;

  size_t CutPoint() const {
    const size_t at = pending_.rfind('<');
    return at == std::string::npos ? 0 : at;  // 0: no safe place yet, the piece grows
  }

  void Pass(size_t length) {
    if (length == 0) return;
    // The piece takes the gathered text over; only what follows the cut is copied back.
    std::string gathered = std::move(pending_);
    pending_.reserve(2 * kPieceBytes);
    pending_.assign(gathered, length, std::string::npos);
    gathered.resize(length);
    const std::string piece = cleaner_.Clean(std::move(gathered));
    if (!encoder_.AppendValid(piece, reason_)) {
      failed_ = true;
      return;
    }
    Drain(kSinkBytes);
  }

  // Hands what was encoded to the sink once there is at least `least` of it.
  void Drain(size_t least) {
    if (sink_ == nullptr || encoded_.empty() || encoded_.size() < least) return;
    if (!(*sink_)(encoded_)) failed_ = true;
    encoded_.clear();
  }

  XmlTextEncoder& encoder_;
  std::string& encoded_;
  const Sink* sink_;
  XmlTextCleaner cleaner_;
  std::string pending_;
  std::string reason_;
  bool failed_ = false;
};

}  // namespace

// The document in the encoding of its declaration; false with the reason when it cannot be.
// Text that came from file names, data files or scripts may not be UTF-8: it is converted here, as
// the page is written, so that it never keeps the page from being saved (see ToXmlText).
bool DomDocument::Encode(std::string& bytes, std::string& reason, const Sink* sink) const {
  std::string encoding;
  for (const pugi::xml_node child : tree_->document.children()) {
    if (child.type() == pugi::node_declaration) encoding = child.attribute("encoding").value();
  }
  bytes.clear();
  XmlTextEncoder encoder(encoding, bytes);
  if (!encoder.Start(reason)) return false;
  EncodingWriter writer(encoder, bytes, sink);
  tree_->Print(writer, true);
  return writer.Finish(reason);
}

bool DomDocument::writeEncoded(const Sink& sink) const {
  std::string piece;
  std::string reason;
  if (Encode(piece, reason, &sink)) return true;
  if (reason.empty()) return false;  // the sink refused
  throw ComError(kE_FAIL, reason);
}

void DomDocument::save(const std::string& path) const {
  FileReplacement file(path);
  int failure = file.Open();
  std::string piece;
  std::string reason;
  const Sink sink = [&](std::string_view bytes) { return (failure = file.Write(bytes)) == 0; };
  if (failure == 0 && !Encode(piece, reason, &sink) && !reason.empty()) {
    throw ComError(kE_FAIL, "Cannot save \"" + path + "\": " + reason);
  }
  if (failure == 0) failure = file.Commit();
  if (failure != 0) {
    throw ComError(kE_FAIL, "Cannot save \"" + path + "\": " + SystemErrorText(failure) + ".");
  }
}

std::string DomDocument::encodedXml() const {
  std::string text;
  std::string reason;
  if (!Encode(text, reason)) throw ComError(kE_FAIL, reason);
  return text;
}

std::string DomDocument::xml() const { return ToXmlTextOf(asNode().xml()); }

DomNode DomDocument::documentElement() const {
  for (const pugi::xml_node child : tree_->document.children()) {
    if (child.type() == pugi::node_element && child != tree_->parking) {
      return DomNode(tree_, child);
    }
  }
  return {};
}

DomNode DomDocument::Detached(pugi::xml_node_type type, const std::string& value,
                              const char* operation) {
  pugi::xml_node node = tree_->Parking().append_child(type);
  if (!node || !node.set_value(value.data(), value.size())) {
    throw ComError(kE_OUTOFMEMORY, std::string(operation) + ": out of memory");
  }
  return DomNode(tree_, node);
}

DomNode DomDocument::createElement(const std::string& name) {
  if (!DomTree::IsName(name)) {
    throw ComError(kE_INVALIDARG, "createElement: \"" + name + "\" is not a valid element name");
  }
  pugi::xml_node element = tree_->Parking().append_child(name.c_str());
  if (!element) throw ComError(kE_OUTOFMEMORY, "createElement: out of memory");
  return DomNode(tree_, element);
}

DomNode DomDocument::createComment(const std::string& text) {
  return Detached(pugi::node_comment, text, "createComment");
}

DomNode DomDocument::createTextNode(const std::string& text) {
  return Detached(pugi::node_pcdata, text, "createTextNode");
}

DomNode DomDocument::createRawMarkup(RawMarkup markup) {
  pugi::xml_node node = tree_->Parking().append_child(pugi::node_pi);
  const std::string number = std::to_string(tree_->rawMarkup.size());
  if (!node || !node.set_name(kRawMarkupTarget) || !node.set_value(number.c_str())) {
    throw ComError(kE_OUTOFMEMORY, "createRawMarkup: out of memory");
  }
  tree_->rawMarkup.push_back(std::move(markup));
  return DomNode(tree_, node);
}

DomNodeList DomDocument::selectNodes(const std::string& pattern) const {
  return asNode().selectNodes(pattern);
}

DomNode DomDocument::selectSingleNode(const std::string& pattern) const {
  return asNode().selectSingleNode(pattern);
}

DomNode DomDocument::asNode() const { return DomNode(tree_, tree_->document); }

}  // namespace platform
