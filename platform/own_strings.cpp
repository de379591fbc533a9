#include "platform/own_strings.h"

namespace platform {
namespace {

struct OwnEntry {
  unsigned id;
  std::string_view text;
};

constexpr OwnEntry kOwnStrings[] = {
    {kHomeKeyStringId, "VISTAFOLD_HOME"},
    {kResourceKeyStringId, "VISTAFOLD_RESOURCE"},
    {kRegistryKeyStringId, "SOFTWARE\\NORVANE SOFTWARE\\VISTAFOLD"},
    {kResourceFileStringId, "Vistafold.rsc"},
    {kCannotLoadStringId, "%1 does not exist or can not be loaded."},
    {kNoRegistryEntryStringId, "Cannot find registry entry for %1"},
};

}  // namespace

std::optional<std::string_view> OwnString(unsigned id) {
  for (const OwnEntry& entry : kOwnStrings) {
    if (entry.id == id) return entry.text;
  }
  return std::nullopt;
}

std::string OwnStringText(unsigned id) { return std::string(OwnString(id).value_or("")); }

}  // namespace platform
