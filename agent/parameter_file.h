// The request and answer files in the user-data folder: generated/ParameterFile.txt, written by
// the host, and generated/Output.txt, written by the library.
#pragma once

#include <string>
#include <vector>

#include "agent/page_request.h"

// The keys in the order in which they are tried against a line.
inline constexpr const char* kFileNameKey = "FILE_NAME";
inline constexpr const char* kArtifactLocatorKey = "ARTIFACT_LOCATOR";
inline constexpr const char* kServerUrlKey = "SERVER_URL";
inline constexpr const char* kTemplateIdKey = "TEMPLATE_ID";
inline constexpr const char* kPasswordNameKey = "PASSWORD_NAME";
inline constexpr const char* kPasswordValueKey = "PASSWORD_VALUE";

// <user data>/generated/ParameterFile.txt when USER_DATA is set and that file exists; otherwise
// the empty text (a missing file is also shown in a message box with
// host_message::kRequiredFileMissing).
std::string ParameterFilePath();

// <user data>/generated/Output.txt, or the empty text when USER_DATA is not set.
std::string OutputFilePath();

// The document file that a FILE_NAME names: an absolute name as it is, a relative one in the
// user-data folder (as it is when USER_DATA is not set).
std::string DocumentPath(const std::string& fileName);

// Reads the parameter file with the line rules: the first of `keys` found anywhere in a line
// decides the parameter; the value is everything after the first "=", untrimmed; "NULL" is
// empty; a later line wins. `trimPasswordValue` removes leading and trailing white space from
// PASSWORD_VALUE (the generate command does, the ancestors command does not). Throws
// std::runtime_error when the file cannot be opened or read.
PageRequest ReadParameterFile(const std::string& path, const std::vector<std::string>& keys,
                              bool trimPasswordValue);

// Creates or truncates the output file and writes the text (nothing for an empty text), replacing
// the file through a temporary file beside it. Throws std::runtime_error on failure.
void WriteOutputFile(const std::string& path, const std::string& text);
