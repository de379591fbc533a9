// The library's entry points, one per native method of the portal's Java class. The JNI exports
// call these; so does the command-line host, which plays the portal.
#pragma once

#include <string>

class ProgressSink;

// Creates the command and done events and the command thread (20,000,000-byte stack).
void XmlAgentInit();
// Stores the pair in the init-parameter table (first binding wins). No thread, no lock needed.
void XmlAgentSetInitParameter(const std::string& name, const std::string& value);
// Each posts its command to the command thread and returns when it has been served; posters are
// served one at a time. Nothing happens before XmlAgentInit or after XmlAgentClose.
int XmlAgentGenerate();  // always 0
void XmlAgentGetAncestors();
void XmlAgentRefresh();
void XmlAgentClose();

// Diagnostic for the command-line host: the outcome of the last generate command, 1 generated,
// 0 failed, -1 not run (no parameter file, no agent), -2 timed out.
int XmlAgentLastGenerateOutcome();

// Makes `sink` receive the progress of every page generated from now on, on the thread that
// generates it; null reports nothing. Process-wide; the sink must outlive its use.
void XmlAgentSetProgressSink(ProgressSink* sink);
