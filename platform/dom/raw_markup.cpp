#include "platform/dom/raw_markup.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace platform {

namespace {

constexpr std::string_view kMarkerOpen = "<?\x01markup ";
constexpr std::string_view kMarkerClose = "?>";

// The number of the marker text between its opening and its close; npos when it is not one.
size_t MarkupNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 9) return std::string_view::npos;
  size_t number = 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return std::string_view::npos;
    number = number * 10 + static_cast<size_t>(c - '0');
  }
  return number;
}

// Text of the markup's own goes on in one chunk until it holds about this much.
constexpr std::size_t kChunkBytes = 1 << 20;

}  // namespace

void RawMarkup::addPart(std::uintptr_t where, std::size_t size, std::uint32_t chunk) {
  // A text longer than a part can say goes in several.
  while (size > 0) {
    const auto length = static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX - 1));
    parts_.push_back(Part{where, length, chunk});
    where += length;
    size -= length;
  }
}

void RawMarkup::appendShared(std::string_view text) {
  addPart(reinterpret_cast<std::uintptr_t>(text.data()), text.size(), kShared);
}

void RawMarkup::appendCopy(std::string_view text) {
  ownedText() += text;
  takeOwned(text.size());
}

std::string& RawMarkup::ownedText() {
  if (owned_.empty() || owned_.back().size() >= kChunkBytes) {
    // Room for the chunk and the value that ends it, so that it is seldom copied as it grows.
    owned_.emplace_back().reserve(kChunkBytes + kChunkBytes / 8);
  }
  return owned_.back();
}

void RawMarkup::takeOwned(std::size_t length) {
  if (length == 0) return;
  const auto chunk = static_cast<std::uint32_t>(owned_.size() - 1);
  const std::size_t offset = owned_.back().size() - length;
  // Text that follows on the part before it in the same chunk lengthens that part.
  if (!parts_.empty()) {
    Part& last = parts_.back();
    if (last.chunk == chunk && last.where + last.size == offset &&
        length < UINT32_MAX - 1 - last.size) {
      last.size += static_cast<std::uint32_t>(length);
      return;
    }
  }
  addPart(offset, length, chunk);
}

void RawMarkupWriter::write(const void* data, size_t size) {
  const char* text = static_cast<const char*>(data);
  // Most pieces hold no marker: they go on at once but for their last bytes, which may begin one
  // that the next piece ends. A held tail with a marker's control character in it waits for the
  // rest of the marker.
  if (held_.size() < kMarkerOpen.size() && held_.find('\x01') == std::string::npos &&
      std::memchr(text, '\x01', size) == nullptr) {
    const size_t keep = std::min(size, kMarkerOpen.size() - 1);
    if (held_.size() + size <= kMarkerOpen.size() - 1) {
      held_.append(text, size);
      return;
    }
    Pass(held_.data(), held_.size());
    Pass(text, size - keep);
    held_.assign(text + size - keep, keep);
    return;
  }
  held_.append(text, size);
  Expand();
}

void RawMarkupWriter::Expand() {
  const std::string_view held(held_);
  size_t done = 0;
  for (;;) {
    const size_t open = held.find(kMarkerOpen, done);
    if (open == std::string_view::npos) break;
    const size_t close = held.find(kMarkerClose, open + kMarkerOpen.size());
    if (close == std::string_view::npos) {  // the marker ends in a later piece
      Pass(held.data() + done, open - done);
      held_.erase(0, open);
      return;
    }
    const size_t number =
        MarkupNumber(held.substr(open + kMarkerOpen.size(), close - open - kMarkerOpen.size()));
    if (number < markup_.size()) {
      Pass(held.data() + done, open - done);
      const RawMarkup& markup = markup_[number];
      markup.forEachPart([&](std::string_view part) {
        if (markup.clean && clean_ != nullptr) {
          clean_->writeClean(part);
        } else {
          Pass(part.data(), part.size());
        }
      });
    } else {
      Pass(held.data() + done, close + kMarkerClose.size() - done);
    }
    done = close + kMarkerClose.size();
  }
  const size_t keep = std::min(held.size() - done, kMarkerOpen.size() - 1);
  Pass(held.data() + done, held.size() - done - keep);
  held_.erase(0, held.size() - keep);
}

void RawMarkupWriter::Finish() {
  Expand();
  Pass(held_.data(), held_.size());
  held_.clear();
}

}  // namespace platform
