// The system's own words for a system error code (errno on POSIX, GetLastError on Windows),
// for the failure boxes' details.
#pragma once

#include <string>

// langue: 0 French, 1 English. French where the system has that language's texts, else the
// system's English; empty when the system has no text for the code.
std::string TexteErreurSysteme(int code, int langue);
