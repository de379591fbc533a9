// Opening a data source's root container from a locator that names the data source rather
// than one of its artifacts ("ds:Container:Key=value").
#pragma once

#include <string>

#include "foundation/quire_status.h"

// Cuts the locator into domain, class and first assignment; when the value is not empty and the
// domain is a registered data-source domain, opens its root container with that value. False
// (the status set when the open failed) otherwise.
bool OpenDataSourceRootContainer(const std::string& locator, QuireStatus& status);
