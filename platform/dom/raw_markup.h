// Raw markup: text that stands in a document as already serialised markup. A processing
// instruction marks its place in the tree, and the document's writers put the text there. A
// region repeated over many objects can so be written out as it is produced instead of being
// kept as nodes until the page is saved.
#pragma once

#include <cstddef>
#include <pugixml.hpp>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The pieces of one raw markup, written one after the other.
using RawMarkupPieces = std::vector<std::string>;

// One raw markup. `clean` when its text is document text already: valid UTF-8 without the
// control characters or their references that XML forbids (see ToXmlText), so that the page's
// writer can hand it to the encoder as it is.
struct RawMarkup {
  RawMarkupPieces pieces;
  bool clean = false;
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
// pieces of markup N, clean ones through writeClean when `inner` is a CleanTextWriter. Finish()
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
