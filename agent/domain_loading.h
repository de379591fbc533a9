// Fills the domain registry for the life of the process: the domains, then the extension file's
// definitions, then a refresh of every domain. Runs on the command thread in synchronous mode and
// on the consumer thread in asynchronous mode.
#pragma once

// Loads what the installation provides (once per process) and reports every failure on the
// standard error stream as "<kind name>: <message>" and in a message box
// (host_message::kDomainNotLoaded, or host_message::kExtensionFileUnreadable for the extension
// file).
void FillDomainRegistry();

// Makes the data-source component creatable over its store folder: the setting "KESTREL_STORE",
// else the home folder's "datasources". A missing folder means no data sources (one log line);
// a session of an earlier start is released first.
void RegisterDataSourceStore();
