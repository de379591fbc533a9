// The ancestors query for the portal's tree: the artifact's node, its parent and so on up to
// the top of the data source's hierarchy.
#include "agent/ancestors_query.h"

#include "domains/kestrel_session_access.h"
#include "foundation/escaping.h"
#include "platform/log.h"

std::optional<std::string> AncestorsOf(const std::string& artifactLocator) {
  // Blanks and backslashes travel as "\xHH" in locators; the session decodes them.
  const std::string escaped = EscapeBlanks(artifactLocator);
  try {
    if (!KestrelSessionAvailable()) return std::nullopt;
    const std::shared_ptr<kestrel::Artifact> artifact = KestrelSession()->ArtifactById(escaped);
    if (artifact == nullptr) return std::nullopt;
    const std::shared_ptr<kestrel::Node> node = artifact->Node();
    if (node == nullptr) return std::string();
    // One ":" between every two ancestors, also around a node whose text is empty.
    std::string chain;
    bool first = true;
    for (std::shared_ptr<kestrel::Node> parent = node->Parent(); parent != nullptr;
         parent = parent->Parent(), first = false) {
      if (!first) chain += ":";
      chain += parent->Text();
    }
    return chain;
  } catch (const std::exception& error) {
    platform::Log("Ancestors of " + escaped + " not found: " + error.what(), platform::kLogError);
    return std::nullopt;
  }
}
