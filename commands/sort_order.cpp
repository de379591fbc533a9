// SortOrder: parsing, printing and applying the sort order of a REPEAT.
#include "commands/sort_order.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <string>

#include "commands/command_cursor.h"
#include "commands/quire_binding.h"
#include "foundation/quire_status.h"
#include "foundation/text_helpers.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

namespace {

constexpr const char* kKeyName = "Key";

bool ParseFlagLetters(const std::string& letters, SortKey& key) {
  for (const char letter : letters) {
    switch (letter) {
      case 'A':
        key.plain = true;
        break;
      case 'N':
        key.numeric = true;
        break;
      case 'F':
        key.ignoreCase = true;
        break;
      case 'R':
        key.descending = true;
        break;
      default:
        return false;
    }
  }
  key.flagText = letters;
  return true;
}

// One key: "flags:domain:class:path:attribute", the attribute name ending at ":" or at the end
// of the key's text (no attribute name holds a ":"); nothing may follow its ":".
bool ParseKey(const std::string& text, SortKey& key, QuireStatus& status) {
  CommandCursor cursor(text);
  std::string flags;
  std::string className;
  std::string pathField;
  std::string attributeName;
  if (!cursor.takeField(':', flags) || !ParseFlagLetters(flags, key) ||
      !cursor.takeField(':', key.domainName) || !cursor.takeField(':', className) ||
      !cursor.takeField(':', pathField) || cursor.empty()) {
    status = QuireStatus(kSyntaxError, kKeyName);
    return false;
  }
  key.closingColon = cursor.takeField(':', attributeName);
  if (attributeName.empty() || !cursor.empty()) {
    status = QuireStatus(kSyntaxError, kKeyName);
    return false;
  }
  QuireAbstractDomain& domain = FindDomain(status, key.domainName);
  if (!status.IsOk()) return false;
  key.cls = domain.findClass(className, status);
  if (!status.IsOk()) return false;
  QuireClass reached = key.cls;
  key.path = NavigationPath::parse(pathField, reached, PathLookup::kKeyOrPrimary, "US", kKeyName,
                                   kKeyName, status);
  if (!status.IsOk()) return false;
  key.attribute = reached.findAttribute(attributeName, status, QuireFeatureList::kFirst);
  return status.IsOk();
}

// The key's value for `object`: the path walked as attribute primaries walk it, a second text
// standing in for the value. A value that cannot be reached is UNDEFINED: a missing author
// must not empty the whole REPEAT.
QuireValue KeyValue(const SortKey& key, const QuireObject& object) {
  QuireStatus status;
  QuireObject moved;
  const QuireObject* current = &object;
  for (const QuireRelationship& step : key.path.steps()) {
    if (step.kind() == QuireRelationship::kSuperclassLink) continue;
    if (step.kind() != QuireRelationship::kUnary) return QuireValue();
    QuireObject next = current->getUnaryRelatedObject(step, status);
    if (!status.IsOk() || next.isUndefined()) return QuireValue();
    moved = std::move(next);
    current = &moved;
  }
  QuireValue value = current->getAttributeValue(key.attribute, status);
  if (!status.IsOk()) return QuireValue();
  if (value.secondText()) return QuireValue(*value.secondText());
  return value;
}

bool HasDot(const QuireValue& value) { return value.textValue().find('.') != std::string::npos; }

// A fixed order for pairs the value comparisons leave unordered (both "less" or neither), so
// that the sort always sees a consistent ordering.
int FallbackOrder(const QuireValue& a, const QuireValue& b) {
  switch (a.type()) {
    case QuireType::BOOLEAN:
      return static_cast<int>(a.booleanValue()) - static_cast<int>(b.booleanValue());
    case QuireType::NUMBER: {
      const float x = a.numberValue();
      const float y = b.numberValue();
      if (x < y) return -1;
      if (y < x) return 1;
      return 0;
    }
    case QuireType::GRAPHIC:
      return a.graphic()->text().compare(b.graphic()->text());
    default:
      return a.textValue().compare(b.textValue());
  }
}

// A key's value with what its comparisons need, worked out once per object rather than once per
// comparison: the text folded for a case-blind key, and whether it names a setting ("${").
struct KeyCell {
  QuireValue value;
  std::string folded;
  bool plainText = false;  // a STRING or FILENAME without "${", compared as its text alone
};

KeyCell MakeKeyCell(QuireValue value, const SortKey& key) {
  KeyCell cell{std::move(value), {}, false};
  const int type = cell.value.type();
  if (!key.numeric && (type == QuireType::STRING || type == QuireType::FILENAME)) {
    cell.plainText = cell.value.textValue().find("${") == std::string::npos;
    if (cell.plainText && key.ignoreCase) cell.folded = LowercaseCopy(cell.value.textValue());
  }
  return cell;
}

// The first 16 bytes of a plain text key, big-endian, so that most comparisons of a long list
// read these 24 bytes, kept together for the whole list, instead of the values all over memory.
struct KeyHead {
  std::uint64_t high = 0;
  std::uint64_t low = 0;
  std::uint32_t length = 0;  // the text's length, at most UINT32_MAX
  std::int32_t type = -1;    // the value's type when it is plain text, else -1
};

KeyHead MakeKeyHead(const KeyCell& cell, const SortKey& key) {
  KeyHead head;
  if (!cell.plainText) return head;
  const std::string& text = key.ignoreCase ? cell.folded : cell.value.textValue();
  for (std::size_t i = 0; i < 16 && i < text.size(); ++i) {
    const std::uint64_t byte = static_cast<unsigned char>(text[i]);
    if (i < 8) {
      head.high |= byte << (56 - 8 * i);
    } else {
      head.low |= byte << (56 - 8 * (i - 8));
    }
  }
  head.length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), UINT32_MAX));
  head.type = cell.value.type();
  return head;
}

// -1, 0 or 1 as the heads order two plain texts of one type, when they tell; else 2.
int CompareHeads(const KeyHead& a, const KeyHead& b) {
  if (a.type < 0 || a.type != b.type) return 2;
  if (a.high != b.high) return a.high < b.high ? -1 : 1;
  if (a.low != b.low) return a.low < b.low ? -1 : 1;
  // Equal heads of texts no longer than the heads: the shorter text comes first.
  if (a.length > 16 || b.length > 16) return 2;
  return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
}

// -1, 0 or 1 in ascending order.
int CompareValues(const KeyCell& left, const KeyCell& right, const SortKey& key) {
  const QuireValue& a = left.value;
  const QuireValue& b = right.value;
  // Values of different types never compare; ordering them by type keeps the sort consistent
  // (UNDEFINED, the highest code, goes last).
  if (a.type() != b.type()) return a.type() < b.type() ? -1 : 1;
  // Two texts without settings are equal, less or greater by their texts alone.
  if (left.plainText && right.plainText) {
    const int order =
        key.ignoreCase ? left.folded.compare(right.folded) : a.textValue().compare(b.textValue());
    return order < 0 ? -1 : (order > 0 ? 1 : 0);
  }
  const bool ignoreCase = key.ignoreCase;
  bool less = false;
  bool greater = false;
  if (key.numeric && a.type() == QuireType::STRING) {
    if (HasDot(a) || HasDot(b)) {
      if (a.equals(b, ignoreCase)) return 0;
      less = a.versionLess(b);
      greater = b.versionLess(a);
    } else {
      if (a.numericEquals(b, ignoreCase)) return 0;
      less = a.numericLess(b, ignoreCase);
      greater = b.numericLess(a, ignoreCase);
    }
  } else {
    if (a.equals(b, ignoreCase)) return 0;
    less = a.less(b, ignoreCase);
    greater = b.less(a, ignoreCase);
  }
  if (less != greater) return less ? -1 : 1;
  const int order = FallbackOrder(a, b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

}  // namespace

SortOrder::SortOrder(const std::string& text, QuireStatus& status) {
  status = QuireStatus();
  const std::size_t dropped = !text.empty() && text[0] == 'U' ? 2 : 1;
  if (text.size() < dropped) {
    status = QuireStatus(kSyntaxError, kKeyName);
    return;
  }
  unique_ = dropped == 2;
  separator_ = text.substr(0, dropped);
  // The separator alone holds no keys (the objects keep their order), and a "," after the last
  // key ends the list; an empty key between two others is still malformed.
  CommandCursor cursor(text.substr(dropped));
  while (!cursor.empty()) {
    std::string keyText;
    trailingComma_ = cursor.takeField(',', keyText) && cursor.empty();
    SortKey key;
    if (!ParseKey(keyText, key, status)) return;
    keys_.push_back(std::move(key));
  }
}

std::string SortOrder::print(QuireStatus& status) const {
  status = QuireStatus();
  std::string text = separator_;
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    const SortKey& key = keys_[i];
    const std::string path = key.path.print(kKeyName, status);
    if (!status.IsOk()) return {};
    if (i > 0) text += ',';
    text += key.flagText + ":" + key.cls.domain().name() + ":" + key.cls.name() + ":" + path + ":" +
            key.attribute.name() + (key.closingColon ? ":" : "");
  }
  if (trailingComma_) text += ',';
  return text;
}

void SortOrder::sort(QuireObjectList& objects, QuireStatus& status,
                     const QuireBindingList& /*bindings*/) const {
  status = QuireStatus();
  const std::size_t count = objects.size();
  std::vector<KeyCell> values;  // row-major: object, then key
  values.reserve(count * keys_.size());
  for (const QuireObject& object : objects) {
    for (const SortKey& key : keys_) values.push_back(MakeKeyCell(KeyValue(key, object), key));
  }
  std::vector<KeyHead> heads;  // as values
  heads.reserve(values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    heads.push_back(MakeKeyHead(values[i], keys_[i % keys_.size()]));
  }
  auto compare = [&](std::size_t left, std::size_t right) {
    for (std::size_t k = 0; k < keys_.size(); ++k) {
      const std::size_t a = left * keys_.size() + k;
      const std::size_t b = right * keys_.size() + k;
      int order = CompareHeads(heads[a], heads[b]);
      if (order == 2) order = CompareValues(values[a], values[b], keys_[k]);
      if (order != 0) return keys_[k].descending ? -order : order;
    }
    return 0;
  };
  // Lists often come in their order already (a related list by its position): they are left
  // as they are.
  if (!unique_) {
    std::size_t next = 1;
    while (next < count && compare(next - 1, next) <= 0) ++next;
    if (next >= count) return;
  }
  std::vector<std::size_t> order(count);
  std::iota(order.begin(), order.end(), std::size_t{0});
  // A merge sort stays within bounds whatever the comparison answers, and equal objects keep
  // the domain's order.
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t left, std::size_t right) { return compare(left, right) < 0; });
  QuireObjectList sorted;
  sorted.reserve(count);
  std::size_t lastKept = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (unique_ && i > 0 && compare(lastKept, order[i]) == 0) continue;
    lastKept = order[i];
    sorted.push_back(std::move(objects[order[i]]));
  }
  objects = std::move(sorted);
}
