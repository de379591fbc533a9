// QuireAttribute: the definition of an attribute of a class, a value-semantic record (copies
// are deep). Plain, graphic, dynamic, extracted and script attributes share the record.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/quire_class.h"
#include "model/quire_types.h"

class QuireAttribute;
class QuireAttributeValue;

// Computes an attribute's value itself, in place of the domain (set on attributes whose value
// comes from outside the domain, such as a field of a record file). Shared by the copies of the
// attribute, so it must not change once set.
class QuireValueSource {
 public:
  virtual ~QuireValueSource() = default;
  // The value of `attribute` for `object`; sets the status.
  virtual QuireAttributeValue value(QuireStatus& status, const QuireAttribute& attribute,
                                    const QuireObject& object) const = 0;
};

class QuireAttribute {
 public:
  // All defaults: name "Undefined", type 12, the undefined class.
  QuireAttribute();
  // A plain attribute read by `reader`.
  QuireAttribute(std::string name, int32_t type, QuireClass owner, QuireAttributeReader reader);
  // A GRAPHIC attribute whose value `writer` writes as an image.
  QuireAttribute(std::string name, QuireClass owner, QuireGraphicWriter writer);
  // A dynamic attribute: a type but no access function.
  QuireAttribute(std::string name, int32_t type, QuireClass owner);
  // An extracted STRING attribute: the text of `base`'s value between the two markers.
  QuireAttribute(std::string name, const QuireAttribute& base, std::string startMarker,
                 std::string endMarker);
  // A script STRING attribute: the output of `scriptText` run with the arguments' values.
  QuireAttribute(std::string name, QuireClass owner, std::string scriptText,
                 std::vector<QuireAttribute> scriptArguments);

  QuireAttribute(const QuireAttribute& other);
  QuireAttribute& operator=(const QuireAttribute& other);
  QuireAttribute(QuireAttribute&&) noexcept;
  QuireAttribute& operator=(QuireAttribute&&) noexcept;
  ~QuireAttribute();

  // The process-wide undefined attribute that failed lookups return.
  static const QuireAttribute& undefined();
  bool isUndefined() const { return name_ == "Undefined" && class_.isUndefined(); }

  const std::string& name() const { return name_; }
  void setName(std::string name) { name_ = std::move(name); }
  const std::string& alias() const { return alias_; }
  const std::string& aka() const { return aka_; }
  void setAlias(std::string alias) { alias_ = std::move(alias); }
  void setAka(std::string aka) { aka_ = std::move(aka); }
  // The alias (aka) when not empty, else the name.
  const std::string& displayAlias() const { return alias_.empty() ? name_ : alias_; }
  const std::string& displayAka() const { return aka_.empty() ? name_ : aka_; }
  const std::string& furtherText() const { return furtherText_; }
  void setFurtherText(std::string text) { furtherText_ = std::move(text); }

  int32_t type() const { return type_; }
  void setType(int32_t type) { type_ = type; }
  // A second type code; 12 means "use type()".
  int32_t effectiveType() const { return effectiveType_; }
  void setEffectiveType(int32_t type) { effectiveType_ = type; }
  // FILENAME, or an effective type of 7 or 9.
  bool isTextLike() const;

  const QuireClass& getClass() const { return class_; }
  void setClass(QuireClass owner) { class_ = owner; }

  bool isDynamic() const { return dynamic_; }
  QuireAttributeReader reader() const { return reader_; }
  QuireGraphicWriter graphicWriter() const { return writer_; }

  bool isExtracted() const { return extracted_; }
  // The attribute whose text is cut; the undefined attribute when this one is not extracted.
  const QuireAttribute& baseAttribute() const;
  const std::string& startMarker() const { return startMarker_; }
  const std::string& endMarker() const { return endMarker_; }
  // The extracted value's text cut out of the base value's text.
  std::string extractFrom(const std::string& baseText) const;

  // The source that computes the value, or null when the domain (or the script) does.
  const QuireValueSource* valueSource() const { return valueSource_.get(); }
  void setValueSource(std::shared_ptr<const QuireValueSource> source) {
    valueSource_ = std::move(source);
  }

  bool isScript() const { return script_; }
  const std::string& scriptText() const { return scriptText_; }
  // The attributes whose values are handed to the script (empty when none).
  const std::vector<QuireAttribute>& scriptArguments() const;

 private:
  std::string name_ = "Undefined";
  std::string alias_;
  std::string furtherText_;
  std::string aka_;
  int32_t type_ = QuireType::UNDEFINED;
  int32_t effectiveType_ = QuireType::UNDEFINED;
  QuireClass class_;
  bool dynamic_ = false;
  QuireAttributeReader reader_ = nullptr;
  QuireGraphicWriter writer_ = nullptr;
  bool extracted_ = false;
  std::unique_ptr<QuireAttribute> base_;
  std::string startMarker_ = "undefined";
  std::string endMarker_ = "undefined";
  bool script_ = false;
  std::string scriptText_;
  std::unique_ptr<std::vector<QuireAttribute>> scriptArguments_;
  std::shared_ptr<const QuireValueSource> valueSource_;
};
