// Opening a hex trace file for the TraceReader, with the reason when it
// cannot be opened.
#pragma once

#include <fstream>

namespace korvex {

// Opens path for reading into stream. Returns 0, or the errno value that
// says why the file cannot be read: ENOENT, EACCES, EISDIR (a directory
// opens but gives no text), EINVAL for a null path, ...
int OpenTraceFile(const char* path, std::ifstream& stream);

}  // namespace korvex
