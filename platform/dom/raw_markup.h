// Raw markup: text that stands in a document as already serialised markup. A processing
// instruction marks its place in the tree, and the document's writers put the text there. A
// region repeated over many objects can so be written out as it is produced instead of being
// kept as nodes until the page is saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The text of one raw markup, gathered part by part: text of its own, and text that it shares
// with what made it (a part of a template written for every object, say), which it keeps alive.
// `clean` when the text is document text already: valid UTF-8 without the control characters or
// their references that XML forbids (see ToXmlText), so that the page's writer can hand it to the
// encoder as it is.
class RawMarkup {
 public:
  bool clean = false;

  // Keeps `owner` alive as long as the markup.
  void keep(std::shared_ptr<const void> owner) { owners_.push_back(std::move(owner)); }
  // Appends `text`, which stays as it is while what the markup keeps lives.
  void appendShared(std::string_view text);
  // Appends a copy of `text`.
  void appendCopy(std::string_view text);
  // The text of its own that the markup gathers: appending `length` bytes to it and then calling
  // takeOwned(length) appends them to the markup.
  std::string& ownedText();
  void takeOwned(std::size_t length);

  // The number of parts so far, and the markup cut back to its first `parts`.
  std::size_t parts() const { return parts_.size(); }
  void cutTo(std::size_t parts) { parts_.resize(parts); }
  bool empty() const { return parts_.empty(); }

  // Calls `write(std::string_view)` for each part in order.
  template <class Write>
  void forEachPart(Write&& write) const {
    for (const Part& part : parts_) {
      write(part.chunk == kShared
                ? std::string_view(reinterpret_cast<const char*>(part.where), part.size)
                : std::string_view(owned_[part.chunk].data() + part.where, part.size));
    }
  }

 private:
  // A page holds millions of parts: they are kept small, and in blocks that are never copied.
  static constexpr std::uint32_t kShared = UINT32_MAX;
  struct Part {
    std::uintptr_t where;  // the shared text's address, or the offset in the chunk
    std::uint32_t size;
    std::uint32_t chunk;  // the chunk of the markup's own text, or kShared
  };
  void addPart(std::uintptr_t where, std::size_t size, std::uint32_t chunk);

  std::deque<Part> parts_;
  // Text of its own, in chunks of about a megabyte, so that no buffer is ever copied whole.
  std::vector<std::string> owned_;
  std::vector<std::shared_ptr<const void>> owners_;
};

// A writer that takes such clean text apart from the rest. The text before it ends just where the
// raw markup stands, outside any comment, CDATA section or instruction.
class CleanTextWriter {
 public:
  virtual ~CleanTextWriter() = default;
  virtual void writeClean(std::string_view text) = 0;
};

// The target of the instructions that mark raw markup. A control character cannot begin the
// target of an instruction that was parsed, and the serialiser writes it in text and attribute
// values as a character reference, so the marker cannot be confused with the document's own.
inline constexpr const char* kRawMarkupTarget = "\x01markup";

// Passes text on to `inner` with every raw-markup marker ("<?\x01markup N?>") replaced by the
// text of markup N, clean text through writeClean when `inner` is a CleanTextWriter. Finish()
// hands on what is still held back at the end.
class RawMarkupWriter final : public pugi::xml_writer {
 public:
  RawMarkupWriter(pugi::xml_writer& inner, const std::vector<RawMarkup>& markup)
      : inner_(inner), clean_(dynamic_cast<CleanTextWriter*>(&inner)), markup_(markup) {}
  void write(const void* data, size_t size) override;
  void Finish();

 private:
  // Hands on `held_` up to the last place where a marker could still begin.
  void Expand();
  void Pass(const char* data, size_t size) {
    if (size > 0) inner_.write(data, size);
  }

  pugi::xml_writer& inner_;
  CleanTextWriter* const clean_;
  const std::vector<RawMarkup>& markup_;
  std::string held_;
};

}  // namespace platform
