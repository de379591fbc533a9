// Loading the data-source domains: one QuireKestrelDomain per data source that the component's
// session lists, registered in the domain registry.
#pragma once

#include <memory>

#include "foundation/quire_status.h"
#include "kestrel/kestrel_session.h"

// Loads every data source of the session, in the session's order. A data source whose alias
// table has "HIDE" in its own section is skipped. One that fails is reported (a message box,
// which the log receives, with host_message::kErrorOccurred and the status text followed by
// "\n\nFeatures of this domain will not be available\n") and left out; the others load. Without
// a registered component nothing is loaded.
void LoadKestrelDomains();

// Loads the data source and registers its domain. A bad status (the domain is dropped): the
// creation's failure with "\n" and the name appended, or kEvaluationError
// (host_message::kDataSourceNotLoaded) for a failure that is not the component's.
void LoadKestrelDataSource(const std::shared_ptr<kestrel::DataSource>& source, QuireStatus& status);
