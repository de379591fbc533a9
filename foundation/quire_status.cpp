#include "foundation/quire_status.h"

#include <array>
#include <utility>

#include "foundation/host_hooks.h"

namespace {

// Host string naming each kind, indexed by kind; kinds without a name of their own (26, 49, 50,
// 67 and up) share host_message::kGenericKindName.
constexpr std::array<unsigned, 67> kKindNameIds = {
    40518, 40498, 40514, 40515, 40485, 40497, 40502, 40500, 40513, 40517,  // 0-9
    40464, 40482, 40507, 40506, 40510, 40486, 40478, 40465, 40512, 40508,  // 10-19
    40494, 40467, 40468, 40520, 40516, 40495, 40524, 40501, 40477, 40474,  // 20-29
    40475, 40473, 40472, 40469, 40492, 40471, 40525, 40491, 40490, 40488,  // 30-39
    40476, 40487, 40483, 40499, 40496, 40521, 40504, 40470, 40484, 40524,  // 40-49
    40524, 40511, 40466, 40522, 40503, 40505, 40519, 40493, 40481, 40479,  // 50-59
    40480, 40509, 40523, 40489, 40624, 57649, 57650,                       // 60-66
};

}  // namespace

QuireStatus::QuireStatus(uint32_t kind, std::string message)
    : kind_(kind), message_(std::move(message)) {}

QuireStatus::QuireStatus(uint32_t kind, std::string message, const std::string& text)
    : QuireStatus(kind, std::move(message)) {
  message_ += text;
}

QuireStatus::QuireStatus(uint32_t kind, std::string message, const std::string& text1,
                         const std::string& text2)
    : QuireStatus(kind, std::move(message)) {
  message_ += text1;
  message_ += text2;
}

QuireStatus::QuireStatus(uint32_t kind, std::string message, const std::string& text1,
                         const std::string& text2, const std::string& text3)
    : QuireStatus(kind, std::move(message)) {
  message_ += text1;
  message_ += text2;
  message_ += text3;
}

QuireStatus::QuireStatus(uint32_t kind, HostMessageId message)
    : QuireStatus(kind, HostString(message)) {}

QuireStatus::QuireStatus(uint32_t kind, HostMessageId message, const std::string& argument)
    : QuireStatus(kind, FormatHostMessage(HostString(message), {argument})) {}

QuireStatus::QuireStatus(uint32_t kind, HostMessageId message, const std::string& argument1,
                         const std::string& argument2)
    : QuireStatus(kind, FormatHostMessage(HostString(message), {argument1, argument2})) {}

unsigned QuireStatusKindNameId(uint32_t kind) {
  return kind < kKindNameIds.size() ? kKindNameIds[kind] : host_message::kGenericKindName.id;
}

std::string QuireStatus::KindName() const { return HostString(QuireStatusKindNameId(kind_)); }

std::string QuireStatus::Text() const { return KindName() + ": " + message_; }

void QuireStatus::Show() const {
  ShowMessageBox(
      HostString(host_message::kProductName),
      FormatHostMessage(HostString(host_message::kErrorOccurred), {KindName()}) + " " + message_);
}

// Allocated and never freed: a status used by a static destructor elsewhere must stay valid.
const QuireStatus& QuireSuccessStatusInstance() {
  static const QuireStatus* const status = new QuireStatus();
  return *status;
}

const QuireStatus& QuireNotImplementedStatusInstance() {
  static const QuireStatus* const status =
      new QuireStatus(kNotImplemented, "This method has not been implemented yet.");
  return *status;
}
