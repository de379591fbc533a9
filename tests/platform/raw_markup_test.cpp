#include "platform/dom/raw_markup.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dom/dom_document.h"

namespace platform {
namespace {

struct Gathered : pugi::xml_writer {
  void write(const void* data, size_t size) override {
    text.append(static_cast<const char*>(data), size);
  }
  std::string text;
};

// Markup of `parts`: the first shared with a string that only the markup keeps, the others its
// own.
RawMarkup Markup(std::initializer_list<std::string_view> parts, bool clean = false) {
  RawMarkup markup;
  markup.clean = clean;
  for (const std::string_view part : parts) {
    if (markup.empty()) {
      const auto kept = std::make_shared<const std::string>(part);
      markup.keep(kept);
      markup.appendShared(*kept);
    } else {
      markup.appendCopy(part);
    }
  }
  return markup;
}

// The text handed to the writer in pieces of `size` bytes, markers cut anywhere.
std::string Expanded(const std::string& text, std::size_t size,
                     const std::vector<RawMarkup>& markup) {
  Gathered out;
  RawMarkupWriter writer(out, markup);
  for (std::size_t at = 0; at < text.size(); at += size) {
    writer.write(text.data() + at, std::min(size, text.size() - at));
  }
  writer.Finish();
  return out.text;
}

TEST(RawMarkupTest, MarkersAreReplacedHoweverTheTextIsCut) {
  std::vector<RawMarkup> markup;
  markup.push_back(Markup({"<b>", "one", "</b>"}));
  markup.push_back(Markup({}));
  markup.push_back(Markup({"<i>two</i>"}, true));
  const std::string text = "<p><?\x01markup 0?>, <?\x01markup 2?><?\x01markup 1?>.</p>";
  for (std::size_t size = 1; size <= text.size(); ++size) {
    EXPECT_EQ(Expanded(text, size, markup), "<p><b>one</b>, <i>two</i>.</p>") << size;
  }
  // What only looks like a marker passes as it is.
  const std::string unknown = "<?\x01markup 7?><?\x01markup x?><?\x01mark";
  for (std::size_t size = 1; size <= unknown.size(); ++size) {
    EXPECT_EQ(Expanded(unknown, size, markup), unknown) << size;
  }
}

TEST(RawMarkupTest, TheDocumentWritesItsRawMarkupInItsOwnEncoding) {
  const auto document = DomDocument::Create();
  ASSERT_TRUE(document->loadXML(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><html><body><p>end</p></body></html>"));
  const DomNode body = document->documentElement().firstChild();
  const DomNode raw = document->createRawMarkup(
      Markup({"<p>caf\xC3\xA9 ", "\xE4\xB8\xAD</p>", "<p>&amp;</p>"}, true));
  body.insertBefore(raw, body.firstChild());
  EXPECT_EQ(body.xml(), "<body><p>caf\xC3\xA9 \xE4\xB8\xAD</p><p>&amp;</p><p>end</p></body>");
  // A character that the code page lacks becomes a reference there as anywhere in the page.
  EXPECT_EQ(document->encodedXml(),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><html><body><p>caf\xE9 "
            "&#20013;</p><p>&amp;</p><p>end</p></body></html>");
  // A copy of the node stands for the same markup; a tree with raw markup is not parsed again.
  body.appendChild(raw.cloneNode(true));
  EXPECT_EQ(body.text(), "end");
  EXPECT_EQ(body.lastChild().xml(), "<p>caf\xC3\xA9 \xE4\xB8\xAD</p><p>&amp;</p>");
  EXPECT_FALSE(document->reparse());
}

TEST(RawMarkupTest, MarkupThatIsNotDocumentTextIsCleanedOnTheWayOut) {
  const auto document = DomDocument::Create();
  ASSERT_TRUE(document->loadXML(
      "<?xml version=\"1.0\" encoding=\"windows-1252\"?><html><body><!--c--></body></html>"));
  const DomNode body = document->documentElement().firstChild();
  // A Latin-1 byte and a forbidden control character, as values from a data file may bring.
  body.insertBefore(document->createRawMarkup(Markup({"<p>\xE9</p>", "<p>&#01;</p>"})),
                    body.firstChild());
  body.appendChild(document->createRawMarkup(Markup({"<p>\xC3\xA9</p>"}, true)));
  EXPECT_EQ(document->encodedXml(),
            "<?xml version=\"1.0\" encoding=\"windows-1252\"?><html><body><p>\xE9</p><p>&#65533;"
            "</p><!--c--><p>\xE9</p></body></html>");
}

}  // namespace
}  // namespace platform
