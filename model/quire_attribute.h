// QuireAttribute: the definition of an attribute of a class, a value-semantic record (a change
// to a copy never shows in another). Plain, graphic, dynamic, extracted and script attributes share
// the record.
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
  bool isUndefined() const { return name() == "Undefined" && getClass().isUndefined(); }

  const std::string& name() const { return data().name; }
  void setName(std::string name) { edit().name = std::move(name); }
  const std::string& alias() const { return data().alias; }
  const std::string& aka() const { return data().aka; }
  void setAlias(std::string alias) { edit().alias = std::move(alias); }
  void setAka(std::string aka) { edit().aka = std::move(aka); }
  // The alias (aka) when not empty, else the name.
  const std::string& displayAlias() const { return alias().empty() ? name() : alias(); }
  const std::string& displayAka() const { return aka().empty() ? name() : aka(); }
  const std::string& furtherText() const { return data().furtherText; }
  void setFurtherText(std::string text) { edit().furtherText = std::move(text); }

  int32_t type() const { return data().type; }
  void setType(int32_t type) { edit().type = type; }
  // A second type code; 12 means "use type()".
  int32_t effectiveType() const { return data().effectiveType; }
  void setEffectiveType(int32_t type) { edit().effectiveType = type; }
  // FILENAME, or an effective type of 7 or 9.
  bool isTextLike() const;

  const QuireClass& getClass() const { return data().owner; }
  void setClass(QuireClass owner) { edit().owner = owner; }

  bool isDynamic() const { return data().dynamic; }
  QuireAttributeReader reader() const { return data().reader; }
  QuireGraphicWriter graphicWriter() const { return data().writer; }

  bool isExtracted() const { return data().extracted; }
  // The attribute whose text is cut; the undefined attribute when this one is not extracted.
  const QuireAttribute& baseAttribute() const;
  const std::string& startMarker() const { return data().startMarker; }
  const std::string& endMarker() const { return data().endMarker; }
  // The extracted value's text cut out of the base value's text.
  std::string extractFrom(const std::string& baseText) const;

  // The source that computes the value, or null when the domain (or the script) does.
  const QuireValueSource* valueSource() const { return data().valueSource.get(); }
  void setValueSource(std::shared_ptr<const QuireValueSource> source) {
    edit().valueSource = std::move(source);
  }

  bool isScript() const { return data().script; }
  const std::string& scriptText() const { return data().scriptText; }
  // The attributes whose values are handed to the script (empty when none).
  const std::vector<QuireAttribute>& scriptArguments() const;

 private:
  // The record behind the attribute. Copies share it until one of them changes, because every
  // value read carries a copy of its attribute; the parts set only at construction are shared
  // for good.
  struct Data {
    std::string name = "Undefined";
    std::string alias;
    std::string furtherText;
    std::string aka;
    int32_t type = QuireType::UNDEFINED;
    int32_t effectiveType = QuireType::UNDEFINED;
    QuireClass owner;
    bool dynamic = false;
    QuireAttributeReader reader = nullptr;
    QuireGraphicWriter writer = nullptr;
    bool extracted = false;
    std::shared_ptr<const QuireAttribute> base;
    std::string startMarker = "undefined";
    std::string endMarker = "undefined";
    bool script = false;
    std::string scriptText;
    std::shared_ptr<const std::vector<QuireAttribute>> scriptArguments;
    std::shared_ptr<const QuireValueSource> valueSource;
  };
  // The record; a moved-from attribute reads as the default one.
  const Data& data() const { return data_ ? *data_ : DefaultData(); }
  // The record, made this attribute's own before it changes.
  Data& edit();
  static const Data& DefaultData();
  // A record with the name, type and class that every constructor sets.
  static std::shared_ptr<Data> NewData(std::string name, int32_t type, QuireClass owner);

  std::shared_ptr<Data> data_;
};
