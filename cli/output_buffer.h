// The tool's standard output: one large buffer in front of a file
// descriptor, written out when full or flushed. Besides the stream
// interface it lends out its free part, so that a decoder can write a
// frame's text in place and the text is copied once, by write(2).
#pragma once

#include <cstddef>
#include <memory>
#include <streambuf>

namespace korvex::cli {

class OutputBuffer : public std::streambuf {
public:
    static constexpr std::size_t kDefaultSize = std::size_t{1} << 18;

    explicit OutputBuffer(int fd, std::size_t size = kDefaultSize);
    ~OutputBuffer() override;  // writes out what is pending
    OutputBuffer(const OutputBuffer&) = delete;
    OutputBuffer& operator=(const OutputBuffer&) = delete;

    // The free part of the buffer: room characters from the returned
    // position on may be written; Commit() then takes the first n of them
    // as output, after what was there before.
    char* Free(std::size_t& room);
    void Commit(std::size_t n);

    // Writes out what is pending, so that the whole buffer is free again.
    // False once a write has failed: from then on output is dropped.
    bool Drain();

    std::size_t Size() const { return size_; }

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override;

private:
    bool WriteAll(const char* text, std::size_t n);

    int fd_;
    std::size_t size_;
    std::unique_ptr<char[]> buffer_;
    bool failed_ = false;
};

}  // namespace korvex::cli
