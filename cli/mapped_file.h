// A regular file mapped into memory and handed to trace readers piece by
// piece: they read the file's pages where they are, with no copy into a
// buffer of their own. Should another program cut the file short while
// it is mapped, reading the lost pages ends the program with a message
// saying so and exit status 1, where it would otherwise die of the signal.
#pragma once

#include <signal.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "replay/trace_reader.h"

namespace korvex::cli {

class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile();

    // Maps name; false when it cannot be (no regular file, empty, or the
    // system refuses): such a file is read as a stream instead.
    bool Open(const std::string& name);

    // The file's text.
    std::string_view Text() const { return {text_, size_}; }

    // A piece of the text from offset from on, at most kPiece characters
    // and none from to on (from < to <= the file's size), with
    // TextPieces::kReadBehind characters readable behind its end: straight
    // from the mapping where the file has them, else copied into tail.
    // Pieces may be taken on several threads at once, each with a tail of
    // its own.
    std::string_view Piece(std::size_t from, std::size_t to, std::string& tail) const;

    static constexpr std::size_t kPiece = std::size_t{1} << 20;

private:
    struct sigaction previous_ {};  // the handler of SIGBUS before the mapping
    const char* text_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace korvex::cli
