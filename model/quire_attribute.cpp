#include "model/quire_attribute.h"

QuireAttribute::QuireAttribute() = default;

QuireAttribute::QuireAttribute(std::string name, int32_t type, QuireClass owner,
                               QuireAttributeReader read)
    : name_(std::move(name)), type_(type), class_(owner), reader_(read) {}

QuireAttribute::QuireAttribute(std::string name, QuireClass owner, QuireGraphicWriter write)
    : name_(std::move(name)), type_(QuireType::GRAPHIC), class_(owner), writer_(write) {}

QuireAttribute::QuireAttribute(std::string name, int32_t type, QuireClass owner)
    : name_(std::move(name)), type_(type), class_(owner), dynamic_(true) {}

QuireAttribute::QuireAttribute(std::string name, const QuireAttribute& base,
                               std::string startMarker, std::string endMarker)
    : name_(std::move(name)),
      type_(QuireType::STRING),
      class_(base.getClass()),
      extracted_(true),
      base_(std::make_unique<QuireAttribute>(base)),
      startMarker_(std::move(startMarker)),
      endMarker_(std::move(endMarker)) {}

QuireAttribute::QuireAttribute(std::string name, QuireClass owner, std::string scriptText,
                               std::vector<QuireAttribute> scriptArguments)
    : name_(std::move(name)),
      type_(QuireType::STRING),
      class_(owner),
      script_(true),
      scriptText_(std::move(scriptText)),
      scriptArguments_(std::make_unique<std::vector<QuireAttribute>>(std::move(scriptArguments))) {}

QuireAttribute::QuireAttribute(const QuireAttribute& other)
    : name_(other.name_),
      alias_(other.alias_),
      furtherText_(other.furtherText_),
      aka_(other.aka_),
      type_(other.type_),
      effectiveType_(other.effectiveType_),
      class_(other.class_),
      dynamic_(other.dynamic_),
      reader_(other.reader_),
      writer_(other.writer_),
      extracted_(other.extracted_),
      base_(other.base_ ? std::make_unique<QuireAttribute>(*other.base_) : nullptr),
      startMarker_(other.startMarker_),
      endMarker_(other.endMarker_),
      script_(other.script_),
      scriptText_(other.scriptText_),
      scriptArguments_(other.scriptArguments_
                           ? std::make_unique<std::vector<QuireAttribute>>(*other.scriptArguments_)
                           : nullptr),
      valueSource_(other.valueSource_) {}

QuireAttribute& QuireAttribute::operator=(const QuireAttribute& other) {
  if (this != &other) {
    QuireAttribute copy(other);
    *this = std::move(copy);
  }
  return *this;
}

QuireAttribute::QuireAttribute(QuireAttribute&&) noexcept = default;
QuireAttribute& QuireAttribute::operator=(QuireAttribute&&) noexcept = default;
QuireAttribute::~QuireAttribute() = default;

const QuireAttribute& QuireAttribute::undefined() {
  // Never destroyed: failed lookups may still hand it out while other statics are torn down.
  static const QuireAttribute& instance = *new QuireAttribute;
  return instance;
}

bool QuireAttribute::isTextLike() const {
  return type_ == QuireType::FILENAME || effectiveType_ == 7 || effectiveType_ == 9;
}

const QuireAttribute& QuireAttribute::baseAttribute() const { return base_ ? *base_ : undefined(); }

std::string QuireAttribute::extractFrom(const std::string& baseText) const {
  if (startMarker_.empty() || baseText.size() <= startMarker_.size() + endMarker_.size()) {
    return {};
  }
  const size_t start = baseText.find(startMarker_);
  if (start == std::string::npos) return {};
  const size_t begin = start + startMarker_.size();
  const size_t end =
      endMarker_.empty() ? baseText.find('\n', begin) : baseText.find(endMarker_, begin);
  return end == std::string::npos ? baseText.substr(begin) : baseText.substr(begin, end - begin);
}

const std::vector<QuireAttribute>& QuireAttribute::scriptArguments() const {
  static const std::vector<QuireAttribute>& none = *new std::vector<QuireAttribute>;
  return scriptArguments_ ? *scriptArguments_ : none;
}
