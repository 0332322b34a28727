#include "cli/mapped_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace korvex::cli {

namespace {

// What the program says when a page of the mapping is gone: written before
// the mapping exists, read by the signal handler.
char cutMessage[512];
std::size_t cutMessageSize = 0;

extern "C" void OnFileCutShort(int) {
    // Only calls a signal handler may make.
    [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, cutMessage, cutMessageSize);
    ::_exit(1);
}

}  // namespace

MappedFile::~MappedFile() {
    if (text_ == nullptr) return;
    ::munmap(const_cast<char*>(text_), size_);
    ::sigaction(SIGBUS, &previous_, nullptr);
}

bool MappedFile::Open(const std::string& name) {
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_size <= 0) {
        ::close(fd);
        return false;
    }
    size_ = static_cast<std::size_t>(status.st_size);
    void* map = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (map == MAP_FAILED) return false;
    ::madvise(map, size_, MADV_SEQUENTIAL);
    text_ = static_cast<const char*>(map);
    const std::string message = "korvex: " + name + ": the file was cut short while it was being read\n";
    cutMessageSize = std::min(message.size(), sizeof cutMessage);
    std::memcpy(cutMessage, message.data(), cutMessageSize);
    struct sigaction onCut {};
    onCut.sa_handler = OnFileCutShort;
    sigemptyset(&onCut.sa_mask);
    ::sigaction(SIGBUS, &onCut, &previous_);
    return true;
}

std::string_view MappedFile::Piece(std::size_t from, std::size_t to, std::string& tail) const {
    const std::size_t count = std::min(to - from, kPiece);
    if (size_ - from - count >= TextPieces::kReadBehind) return {text_ + from, count};
    tail.assign(text_ + from, count);
    tail.resize(count + TextPieces::kReadBehind, '\0');
    return {tail.data(), count};
}

}  // namespace korvex::cli
