#include "domains/information_query.h"

// Placeholder until the library table lands.
void QuireInformationQuery::makeQuery(const std::string&, const std::string&, std::string&,
                                      QuireStatus& status) {
  status = QuireStatus(kNotImplemented, "QuireInformationQuery");
}
std::string ResponseText(const std::string& response) {
  return response.empty() ? response : response.substr(0, response.size() - 1);
}
std::vector<std::string> ResponseLines(const std::string&) { return {}; }
std::string EncodeQueryArgument(const std::string& text) { return text; }
std::string DecodeQueryArgument(const std::string& text) { return text; }
