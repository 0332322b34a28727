#include "cli/output_buffer.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace korvex::cli {

OutputBuffer::OutputBuffer(int fd, std::size_t size)
    : fd_(fd), size_(std::max<std::size_t>(size, 1)), buffer_(new char[size_]) {
    setp(buffer_.get(), buffer_.get() + size_);
}

OutputBuffer::~OutputBuffer() { Drain(); }

char* OutputBuffer::Free(std::size_t& room) {
    room = static_cast<std::size_t>(epptr() - pptr());
    return pptr();
}

void OutputBuffer::Commit(std::size_t n) {
    // pbump takes an int; n never exceeds the buffer's free part.
    n = std::min(n, static_cast<std::size_t>(epptr() - pptr()));
    while (n > 0) {
        const auto step = static_cast<int>(std::min<std::size_t>(n, 1 << 30));
        pbump(step);
        n -= static_cast<std::size_t>(step);
    }
}

bool OutputBuffer::WriteAll(const char* text, std::size_t n) {
    while (n > 0 && !failed_) {
        const ssize_t written = ::write(fd_, text, n);
        if (written < 0) {
            if (errno == EINTR) continue;
            failed_ = true;
            break;
        }
        text += written;
        n -= static_cast<std::size_t>(written);
    }
    return !failed_;
}

bool OutputBuffer::Drain() {
    const auto pending = static_cast<std::size_t>(pptr() - pbase());
    if (pending > 0) WriteAll(pbase(), pending);
    setp(buffer_.get(), buffer_.get() + size_);
    return !failed_;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c) {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

std::streamsize OutputBuffer::xsputn(const char* s, std::streamsize n) {
    if (n <= 0) return 0;
    auto count = static_cast<std::size_t>(n);
    if (count > static_cast<std::size_t>(epptr() - pptr())) {
        if (!Drain()) return 0;
        // A text as large as the buffer goes out as it is.
        if (count >= size_) return WriteAll(s, count) ? n : 0;
    }
    std::memcpy(pptr(), s, count);
    Commit(count);
    return n;
}

int OutputBuffer::sync() { return Drain() ? 0 : -1; }

}  // namespace korvex::cli
