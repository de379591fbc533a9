// QuireStatus: the outcome of an engine operation, a kind (0 success, 1 to 66 a kind of failure)
// and a human-readable message. A value type: copied freely, compared, collected in lists and
// thrown by value.
#pragma once

#include <cstdint>
#include <string>

// Names a numbered host message, so that a status can be built from it.
struct HostMessageId {
  unsigned id;
};

class QuireStatus {
 public:
  // Success: kind 0, empty message.
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

  // Whether the kind is 0.
  bool IsOk() const { return kind_ == 0; }
  uint32_t Kind() const { return kind_; }
  const std::string& Message() const { return message_; }

  // The host string that names the kind (one shared name for kinds without their own).
  std::string KindName() const;

  // KindName() + ": " + Message(), for log lines.
  std::string Text() const;

  // Shows a message box titled with host string 54630 whose text is host string 40007 with the
  // kind name as %1, a blank and the message. Runs on the caller's thread.
  void Show() const;

  // Same kind and exactly the same message.
  bool operator==(const QuireStatus& other) const {
    return kind_ == other.kind_ && message_ == other.message_;
  }

 private:
  uint32_t kind_ = 0;
  std::string message_;
};

// The host string id that names a status kind.
unsigned QuireStatusKindNameId(uint32_t kind);

// The process-wide shared statuses, built once on first use and never destroyed. Reached through
// inline references bound before any later definition of every file that includes this header,
// so they may be used while other files' statics are initialised or destroyed.
const QuireStatus& QuireSuccessStatusInstance();
const QuireStatus& QuireNotImplementedStatusInstance();

// Kind 0, empty message.
inline const QuireStatus& QuireSuccessStatus = QuireSuccessStatusInstance();
// Kind 61, "This method has not been implemented yet."
inline const QuireStatus& QuireNotImplementedStatus = QuireNotImplementedStatusInstance();
