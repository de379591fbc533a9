// QuireStatus: the outcome of an engine operation, a kind (0 success, 1 to 66 a kind of failure)
// and a human-readable message. A value type: copied freely, compared, collected in lists and
// thrown by value.
#pragma once

#include <cstdint>
#include <string>

#include "foundation/host_message_ids.h"

// The kinds of status that the library sets or tests, each named after the text that names it in
// the host's resource module; kinds 49, 50 and 64, whose texts there are generic, are named after
// what they report. The other kinds up to 66 are never set here; a kind is carried as a plain
// number, so a status of any kind can still be built, compared and named.
enum QuireStatusKind : uint32_t {
  kSuccess = 0,                        // no failure
  kFileNotFound = 4,                   // a template, picture, path or record that is not there
  kSyntaxError = 35,                   // a command, schema or graphic text that does not parse
  kNoTextForm = 36,                    // a value or modifier setting that has no text encoding
  kUnknownAttribute = 37,              // a class without the attribute a DISPLAY field names
  kUnknownAttributeInExpression = 38,  // a class without the attribute a primary names
  kUnsupportedOperation = 39,          // an invalid command, or an operation it does not offer
  kNavigationError = 40,               // a path step of a wrong kind, or a wrong bound class
  kTypeMismatch = 41,                  // values of different types compared in a predicate
  kUnboundVariable = 42,               // a command variable that no command has bound
  kNotABooleanValue = 44,              // a boolean modifier given a value that is not BOOLEAN
  kUndefinedSetting = 45,              // a "${...}" reference to a setting without a value
  kDuplicateDomain = 48,               // a domain name that is already registered
  kNoArgumentToAssign = 49,            // an assignment when every constructor argument has one
  kUnreadableArgument = 50,            // an object identifier's argument value not readable
  kClassMismatch = 51,                 // an object of another class or domain than expected
  kArgumentMismatch = 52,              // argument values that do not fit the declared ones
  kInformationSourceError = 53,        // an information source that answered with a failure
  kNoResult = 54,                      // an evaluation that found nothing: an empty result
  kNotImplemented = 61,                // an operation that the domain does not offer
  kProcessingError = 62,               // files, commands, documents or identifiers failing
  kEvaluationError = 63,               // undefined objects, unknown names, failed evaluations
  kUnloggedFailure = 64,               // a failure that page generation returns unlogged
};

class QuireStatus {
 public:
  // Success: kSuccess, empty message.
  QuireStatus() = default;

  // A status with that kind and message; the texts that follow are appended to the message.
  QuireStatus(uint32_t kind, std::string message);
  QuireStatus(uint32_t kind, std::string message, const std::string& text);
  QuireStatus(uint32_t kind, std::string message, const std::string& text1,
              const std::string& text2);
  QuireStatus(uint32_t kind, std::string message, const std::string& text1,
              const std::string& text2, const std::string& text3);

  // A status whose message is the host string `message` (read now, through HostString), with
  // "%1" and "%2" replaced by the arguments in the forms that take them.
  QuireStatus(uint32_t kind, HostMessageId message);
  QuireStatus(uint32_t kind, HostMessageId message, const std::string& argument);
  QuireStatus(uint32_t kind, HostMessageId message, const std::string& argument1,
              const std::string& argument2);

  QuireStatus(const QuireStatus&) = default;
  QuireStatus(QuireStatus&&) = default;
  QuireStatus& operator=(const QuireStatus&) = default;
  QuireStatus& operator=(QuireStatus&&) = default;
  virtual ~QuireStatus() = default;

  // Whether the kind is kSuccess.
  bool IsOk() const { return kind_ == kSuccess; }
  uint32_t Kind() const { return kind_; }
  const std::string& Message() const { return message_; }

  // The host string that names the kind (one shared name for kinds without their own).
  std::string KindName() const;

  // KindName() + ": " + Message(), for log lines.
  std::string Text() const;

  // Shows a message box titled with host_message::kProductName whose text is
  // host_message::kErrorOccurred with the kind name as %1, a blank and the message. Runs on the
  // caller's thread.
  void Show() const;

  // Same kind and exactly the same message.
  bool operator==(const QuireStatus& other) const {
    return kind_ == other.kind_ && message_ == other.message_;
  }

 private:
  uint32_t kind_ = kSuccess;
  std::string message_;
};

// The host string id that names a status kind.
unsigned QuireStatusKindNameId(uint32_t kind);

// The process-wide shared statuses, built once on first use and never destroyed. Reached through
// inline references bound before any later definition of every file that includes this header,
// so they may be used while other files' statics are initialised or destroyed.
const QuireStatus& QuireSuccessStatusInstance();
const QuireStatus& QuireNotImplementedStatusInstance();

// kSuccess, empty message.
inline const QuireStatus& QuireSuccessStatus = QuireSuccessStatusInstance();
// kNotImplemented, "This method has not been implemented yet."
inline const QuireStatus& QuireNotImplementedStatus = QuireNotImplementedStatusInstance();
