// The process-wide session of the data-source component: made on first need through the
// COM-like factory, released when the agent closes. Used only from the thread that serves
// agent requests.
#pragma once

#include <memory>
#include <string>

#include "kestrel/kestrel_session.h"

// The session; throws platform::ComError when the component cannot be created (not
// registered, or an object that is not a session).
std::shared_ptr<kestrel::Session> KestrelSession();
// True when the component is registered, so that a session can be made.
bool KestrelSessionAvailable();
// Drops the process's reference to the session; the next need makes a new one.
void ReleaseKestrelSession();

// The setting "TrackletGetExtraFields", read once per process (the first call).
const std::string& TrackletGetExtraFields();
// Lets tests read the setting again.
void ForgetTrackletGetExtraFieldsForTesting();
