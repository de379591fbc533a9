// Named error descriptors of the foundation library and the routines that report them.
//
// Every container operation with a precondition names a descriptor (kind, who, what). A violated
// precondition is reported on the standard error stream as
//     "<kind> (who: <who>, what: <what>)"
// and the operation then throws CX_Exception instead of going on with the bad access.
#pragma once

#include <exception>
#include <string>

struct CX_ErrorDescriptor {
  static constexpr int kFieldSize = 64;  // each field holds at most 63 characters

  constexpr CX_ErrorDescriptor(const char* kind_text, const char* who_text, const char* what_text)
      : kind{}, who{}, what{} {
    CopyField(kind, kind_text);
    CopyField(who, who_text);
    CopyField(what, what_text);
  }

  char kind[kFieldSize];
  char who[kFieldSize];
  char what[kFieldSize];

  // "<kind> (who: <who>, what: <what>)"
  std::string Text() const;

 private:
  // Copies at most 63 characters; a longer text is cut.
  static constexpr void CopyField(char (&field)[kFieldSize], const char* text) {
    int i = 0;
    for (; text != nullptr && text[i] != '\0' && i < kFieldSize - 1; ++i) field[i] = text[i];
    field[i] = '\0';
  }
};

// Thrown after a violated precondition has been reported; carries the descriptor.
class CX_Exception : public std::exception {
 public:
  explicit CX_Exception(const CX_ErrorDescriptor& descriptor);
  const CX_ErrorDescriptor& Descriptor() const { return descriptor_; }
  const char* what() const noexcept override { return text_.c_str(); }

 private:
  CX_ErrorDescriptor descriptor_;
  std::string text_;
};

// Writes the descriptor's text and a line end to the standard error stream.
void CX_ReportError(const CX_ErrorDescriptor& descriptor);

// Writes "EXCEPTION: " and the descriptor's text to the standard error stream, then aborts.
[[noreturn]] void CX_ReportFatalError(const CX_ErrorDescriptor& descriptor);

// Reports the descriptor and throws CX_Exception unless the condition holds.
inline void CX_Require(bool condition, const CX_ErrorDescriptor& descriptor) {
  if (!condition) {
    CX_ReportError(descriptor);
    throw CX_Exception(descriptor);
  }
}

// Every descriptor that the library names.
namespace CX_Errors {
inline constexpr const char* kRange = "Range_Error";
inline constexpr const char* kUnderflow = "Underflow";
inline constexpr const char* kStorage = "Storage_Error";
inline constexpr const char* kIsNull = "Is_Null";
inline constexpr const char* kDuplicate = "Duplicate";
inline constexpr const char* kOutOfRange = "index is out of range";
inline constexpr const char* kEmpty = "object is empty";
inline constexpr const char* kNull = "object is null";

inline constexpr CX_ErrorDescriptor UnboundedSubscriptRange(kRange, "CX_TUnbounded<>::operator[]",
                                                            kOutOfRange);
inline constexpr CX_ErrorDescriptor UnboundedLocationRange(kRange, "CX_TUnbounded::Location",
                                                           kOutOfRange);
inline constexpr CX_ErrorDescriptor UnboundedInsertRange(kRange, "CX_TUnbounded::Insert",
                                                         kOutOfRange);
inline constexpr CX_ErrorDescriptor UnboundedAppendRange(kRange, "CX_TUnbounded::Append",
                                                         kOutOfRange);
inline constexpr CX_ErrorDescriptor UnboundedRemoveRange(kRange, "CX_TUnbounded::Remove",
                                                         kOutOfRange);
inline constexpr CX_ErrorDescriptor UnboundedRemoveEmpty(kUnderflow, "CX_TUnbounded::Remove",
                                                         kEmpty);
inline constexpr CX_ErrorDescriptor UnboundedFirstEmpty(kUnderflow, "CX_TUnbounded<>::First()",
                                                        kEmpty);
inline constexpr CX_ErrorDescriptor DynamicReplaceRange(kRange, "CX_TDynamic::Replace",
                                                        kOutOfRange);
inline constexpr CX_ErrorDescriptor DynamicSubscriptRange(kRange, "CX_TDynamic<>::operator[]",
                                                          kOutOfRange);
inline constexpr CX_ErrorDescriptor DynamicResizeStorage(kStorage, "CX_TDynamic::Resize", kNull);
inline constexpr CX_ErrorDescriptor SingleListHeadNull(kIsNull, "CX_TSingleList::Head", kNull);
inline constexpr CX_ErrorDescriptor SingleListTailNull(kIsNull, "CX_TSingleList::Tail", kNull);
inline constexpr CX_ErrorDescriptor SingleListItemAtNull(kIsNull, "CX_TSingleList::ItemAt", kNull);
inline constexpr CX_ErrorDescriptor SingleListItemAtRange(kRange, "CX_TSingleList::ItemAt",
                                                          kOutOfRange);
inline constexpr CX_ErrorDescriptor SingleNodeReferenced(
    kStorage, "CX_TSingleNode::~CX_TSingleNode", "object is referenced and cannot be destroyed");
inline constexpr CX_ErrorDescriptor TableBindNull(kIsNull, "CX_TTable::Bind", kNull);
inline constexpr CX_ErrorDescriptor TableRebindNull(kIsNull, "CX_TTable::Rebind", kNull);
inline constexpr CX_ErrorDescriptor TableUnbindNull(kIsNull, "CX_TTable::Unbind", kNull);
inline constexpr CX_ErrorDescriptor TableIsBoundNull(kIsNull, "CX_TTable::IsBound", kNull);
inline constexpr CX_ErrorDescriptor TableValueOfNull(kIsNull, "CX_TTable::ValueOf", kNull);
inline constexpr CX_ErrorDescriptor TableAssignNull(kIsNull, "CX_TTable::operator=", kNull);
inline constexpr CX_ErrorDescriptor TableSetHashDuplicate(kDuplicate, "CX_TTable::SetHashFunction",
                                                          "object already exists");
inline constexpr CX_ErrorDescriptor TableItemBucketRange(kRange, "CX_TTable::ItemBucket",
                                                         kOutOfRange);
inline constexpr CX_ErrorDescriptor TableValueBucketRange(kRange, "CX_TTable::ValueBucket",
                                                          kOutOfRange);
inline constexpr CX_ErrorDescriptor QuickSortNull(kIsNull, "CX_TQuickSort::Sort", kNull);
}  // namespace CX_Errors
