#include "commands/source.h"

#include <cstring>

#include "commands/command_cursor.h"
#include "foundation/quire_status.h"
#include "model/domain_lookup.h"
#include "model/quire_abstract_domain.h"

bool Source::isValid() const {
  return kind_ != '\0' && !variable_.empty() && !class_.isUndefined();
}

bool Source::parseHeader(CommandCursor& cursor, const char* letters, QuireStatus& status,
                         std::string* domainName, std::string* className) {
  status = QuireStatus();
  char letter = '\0';
  cursor.takeLetter(letter);
  if (letter == '\0' || std::strchr(letters, letter) == nullptr || cursor.peek() != ':') {
    status = QuireStatus(kSyntaxError, "Source");
    return false;
  }
  cursor.skip(1);
  kind_ = letter;
  std::string domain;
  std::string cls;
  if (!cursor.takeField(':', variable_)) {
    status = QuireStatus(kSyntaxError, "Source");
    return false;
  }
  hasVariable_ = true;
  const bool haveDomain = cursor.takeField(':', domain);
  if (domainName != nullptr) *domainName = domain;
  if (!haveDomain || !cursor.takeField(':', cls)) {
    status = QuireStatus(kSyntaxError, "Source");
    return false;
  }
  if (className != nullptr) *className = cls;
  QuireAbstractDomain& found = FindDomain(status, domain);
  if (!status.IsOk()) return false;
  const QuireClass lookedUp = found.findClass(cls, status);
  if (!status.IsOk()) return false;
  class_ = lookedUp;
  hasClass_ = true;
  return true;
}

std::string Source::printHeader() const {
  return std::string(1, kind_) + ":" + variable_ + ":" + class_.domain().name() + ":" +
         class_.name() + ":";
}
