// Loading the data-source domains at start-up.
#include "domains/kestrel_domain_loading.h"

#include "domains/alias_file.h"
#include "domains/domain_registry.h"
#include "domains/kestrel_domain.h"
#include "domains/kestrel_failures.h"
#include "domains/kestrel_session_access.h"
#include "platform/com_error.h"
#include "platform/log.h"

namespace {

void Report(const QuireStatus& status) {
  QuireStatus(status.Kind(),
              status.Message() + "\n\nFeatures of this domain will not be available\n")
      .Show();
}

}  // namespace

void LoadKestrelDataSource(const std::shared_ptr<kestrel::DataSource>& source,
                           QuireStatus& status) {
  status = QuireStatus();
  std::string name;
  try {
    if (source == nullptr) throw platform::ComError(platform::kE_POINTER, "no data source");
    name = source->Name();
    AliasFile aliases(name);
    if (aliases.has(name, "HIDE")) {
      platform::Log("Data source " + name + " is hidden by " + aliases.path(), platform::kLogDebug);
      return;
    }
    std::string typeText = source->TypeText();
    auto domain =
        std::make_unique<QuireKestrelDomain>(source, name, std::move(typeText), std::move(aliases));
    QuireStatus created;
    if (!domain->loadClasses(created)) {
      status = QuireStatus(created.Kind(), created.Message() + "\n" + name);
      return;
    }
    DomainRegistry::instance().registerDomain(std::move(domain));
  } catch (const platform::ComError& error) {
    WriteFailureText(FillFailureText("Error loading domain %s\nException Message: %s\n",
                                     {name, error.Description()}));
  } catch (const std::exception&) {
    WriteFailureText(FillFailureText("Error loading domain %s\n", {name}));
    status = QuireStatus(kEvaluationError, host_message::kDataSourceNotLoaded);
  }
}

void LoadKestrelDomains() {
  if (!KestrelSessionAvailable()) return;
  std::shared_ptr<kestrel::Collection<kestrel::DataSource>> sources;
  int32_t count = 0;
  try {
    sources = KestrelSession()->DataSources();
    if (sources == nullptr) throw platform::ComError(platform::kE_POINTER, "no data sources");
    count = sources->Count();
  } catch (const platform::ComError& error) {
    WriteFailureText(FillFailureText("Error loading domain %s\nException Message: %s\n",
                                     {kestrel::kSessionProgId, error.Description()}));
    Report(QuireStatus(kEvaluationError, host_message::kDataSourceNotLoaded));
    return;
  }
  for (int32_t index = 0; index < count; ++index) {
    QuireStatus status;
    std::shared_ptr<kestrel::DataSource> source;
    try {
      source = sources->Item(platform::Variant(index));
    } catch (const platform::ComError& error) {
      WriteFailureText(FillFailureText("Error loading domain %s\nException Message: %s\n",
                                       {std::to_string(index), error.Description()}));
      continue;
    }
    LoadKestrelDataSource(source, status);
    if (!status.IsOk()) Report(status);
  }
}
