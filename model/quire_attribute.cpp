#include "model/quire_attribute.h"

QuireAttribute::QuireAttribute() = default;

QuireAttribute::QuireAttribute(std::string name, int32_t type, QuireClass owner,
                               QuireAttributeReader read)
    : data_(NewData(std::move(name), type, owner)) {
  data_->reader = read;
}

QuireAttribute::QuireAttribute(std::string name, QuireClass owner, QuireGraphicWriter write)
    : data_(NewData(std::move(name), QuireType::GRAPHIC, owner)) {
  data_->writer = write;
}

QuireAttribute::QuireAttribute(std::string name, int32_t type, QuireClass owner)
    : data_(NewData(std::move(name), type, owner)) {
  data_->dynamic = true;
}

QuireAttribute::QuireAttribute(std::string name, const QuireAttribute& base,
                               std::string startMarker, std::string endMarker)
    : data_(NewData(std::move(name), QuireType::STRING, base.getClass())) {
  data_->extracted = true;
  data_->base = std::make_shared<const QuireAttribute>(base);
  data_->startMarker = std::move(startMarker);
  data_->endMarker = std::move(endMarker);
}

QuireAttribute::QuireAttribute(std::string name, QuireClass owner, std::string scriptText,
                               std::vector<QuireAttribute> scriptArguments)
    : data_(NewData(std::move(name), QuireType::STRING, owner)) {
  data_->script = true;
  data_->scriptText = std::move(scriptText);
  data_->scriptArguments =
      std::make_shared<const std::vector<QuireAttribute>>(std::move(scriptArguments));
}

QuireAttribute::QuireAttribute(const QuireAttribute& other) = default;
QuireAttribute& QuireAttribute::operator=(const QuireAttribute& other) = default;
QuireAttribute::QuireAttribute(QuireAttribute&&) noexcept = default;
QuireAttribute& QuireAttribute::operator=(QuireAttribute&&) noexcept = default;
QuireAttribute::~QuireAttribute() = default;

const QuireAttribute::Data& QuireAttribute::DefaultData() {
  // Never destroyed, like undefined() below.
  static const Data& data = *new Data;
  return data;
}

std::shared_ptr<QuireAttribute::Data> QuireAttribute::NewData(std::string name, int32_t type,
                                                              QuireClass owner) {
  auto data = std::make_shared<Data>();
  data->name = std::move(name);
  data->type = type;
  data->owner = owner;
  return data;
}

QuireAttribute::Data& QuireAttribute::edit() {
  if (!data_) {
    data_ = std::make_shared<Data>();
  } else if (data_.use_count() > 1) {
    data_ = std::make_shared<Data>(*data_);
  }
  return *data_;
}

const QuireAttribute& QuireAttribute::undefined() {
  // Never destroyed: failed lookups may still hand it out while other statics are torn down.
  static const QuireAttribute& instance = *new QuireAttribute;
  return instance;
}

bool QuireAttribute::isTextLike() const {
  return type() == QuireType::FILENAME || effectiveType() == 7 || effectiveType() == 9;
}

const QuireAttribute& QuireAttribute::baseAttribute() const {
  return data().base ? *data().base : undefined();
}

std::string QuireAttribute::extractFrom(const std::string& baseText) const {
  const std::string& startMarker = data().startMarker;
  const std::string& endMarker = data().endMarker;
  if (startMarker.empty() || baseText.size() <= startMarker.size() + endMarker.size()) {
    return {};
  }
  const size_t start = baseText.find(startMarker);
  if (start == std::string::npos) return {};
  const size_t begin = start + startMarker.size();
  const size_t end =
      endMarker.empty() ? baseText.find('\n', begin) : baseText.find(endMarker, begin);
  return end == std::string::npos ? baseText.substr(begin) : baseText.substr(begin, end - begin);
}

const std::vector<QuireAttribute>& QuireAttribute::scriptArguments() const {
  static const std::vector<QuireAttribute>& none = *new std::vector<QuireAttribute>;
  return data().scriptArguments ? *data().scriptArguments : none;
}
