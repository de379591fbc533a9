#include "domains/file_record_object.h"

#include <iostream>
#include <utility>

#include "foundation/quire_status.h"
#include "model/quire_abstract_domain.h"
#include "model/quire_attribute_value.h"

namespace {

// The record behind `object`, or null with kClassMismatch in the status.
const FileRecordObject* RecordOf(const QuireObject& object, QuireStatus& status) {
  status = QuireStatus();
  const FileRecordObject* found = object.as<FileRecordObject>();
  if (found == nullptr) status = QuireStatus(kClassMismatch, host_message::kNotAFileSysObject);
  return found;
}

template <size_t Number>
void ReadField(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  if (const FileRecordObject* found = RecordOf(object, status)) {
    result.setText(found->record().field(Number));
  }
}

template <size_t... Index>
constexpr std::array<QuireAttributeReader, sizeof...(Index)> MakeFieldReaders(
    std::index_sequence<Index...>) {
  return {&ReadField<Index + 1>...};
}

}  // namespace

FileRecordObject::FileRecordObject(QuireClass cls, std::string filename, RecordFields record,
                                   std::string uniqueKey)
    : class_(cls),
      shared_(std::make_shared<const Shared>(
          Shared{std::move(filename), std::move(record), std::move(uniqueKey)})) {}

QuireClass FileRecordObject::getClass(QuireStatus& status) const {
  status = QuireStatus();
  return class_;
}

std::unique_ptr<QuireDomainObject> FileRecordObject::clone() const {
  return std::make_unique<FileRecordObject>(*this);
}

void FileRecordObject::display(QuireStatus& status) const {
  status = QuireStatus();
  QuireArgumentValues arguments;
  getConstructorArguments(arguments, false, status);
  std::cout << class_.domain().name() << ":" << class_.name() << ":";
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::cout << (i > 0 ? "," : "") << arguments[i].argumentText(status, true);
  }
  std::cout << "\n";
}

void FileRecordObject::getConstructorArguments(QuireArgumentValues& list, bool /*flag*/,
                                               QuireStatus& status) const {
  status = QuireStatus();
  list.clear();
  const auto& arguments = class_.constructorArguments();
  const std::string* texts[] = {&shared_->filename, &shared_->uniqueKey};
  for (size_t i = 0; i < 2; ++i) {
    const QuireAttribute& argument =
        i < arguments.size() ? arguments[i] : QuireAttribute::undefined();
    list.emplace_back(argument, QuireValue(*texts[i]));
  }
}

namespace file_record_access {

void Text(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  if (const FileRecordObject* found = RecordOf(object, status)) {
    result.setText(found->record().text);
  }
}

void UniqueKey(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  if (const FileRecordObject* found = RecordOf(object, status)) result.setText(found->uniqueKey());
}

void Filename(QuireValue& result, const QuireObject& object, QuireStatus& status) {
  if (const FileRecordObject* found = RecordOf(object, status)) result.setText(found->filename());
}

const std::array<QuireAttributeReader, RecordFields::kMaxFields>& FieldReaders() {
  static constexpr auto readers =
      MakeFieldReaders(std::make_index_sequence<RecordFields::kMaxFields>());
  return readers;
}

}  // namespace file_record_access
