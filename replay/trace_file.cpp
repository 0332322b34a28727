#include "replay/trace_file.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace korvex {

int OpenTraceFile(const char* path, std::ifstream& stream) {
    if (path == nullptr) return EINVAL;
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored)) return EISDIR;
    errno = 0;
    stream.open(path, std::ios::binary);
    if (stream) return 0;
    return errno != 0 ? errno : ENOENT;
}

}  // namespace korvex
