// Pieces shared by the tool's commands: the decode flag options, the colour
// option, the usage error, and the input named on the command line.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <fstream>
#include <istream>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

namespace korvex {
class TraceReader;
struct TraceNotes;
}

namespace korvex::cli {

// A command line that parses but asks for something impossible (exit 2).
class UsageError : public std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The check of a protocol name option: takes a name in any case, and the
// other names a protocol goes by, and puts the library's own name in its
// place; any other name is a usage error listing the accepted names.
CLI::Validator ProtocolName(const std::vector<std::string>& names);

// --flags, --detail, --hex, --layer3, --extended.
struct FlagOptions {
    std::string flags;  // empty when --flags was not given
    bool detail = false;
    bool hex = false;
    bool layer3 = false;
    bool extended = false;

    void AddTo(CLI::App& app);
    // The decode flags; DECODE_SUMMARY when none was given. Throws
    // UsageError for a --flags that is not a 32-bit number.
    uint32_t Resolve() const;
};

// --direction: each summary line starts with its frame's direction tag.
void AddDirectionFlag(CLI::App& app, bool& direction);

// --json: one JSON Lines object per frame instead of its text.
void AddJsonFlag(CLI::App& app, bool& json);

// --color=auto|always|never.
struct ColourOption {
    std::string color = "auto";

    void AddTo(CLI::App& app);
    bool Resolve(bool outIsTerminal) const {
        return color == "always" || (color == "auto" && outIsTerminal);
    }
};

// Hands out a source's octets unchanged, after reading its first few ahead
// so that a command can tell what kind of file it is before reading it. Never
// waits for more input than the source has ready once it has handed out one
// octet, so that a live source is read as it arrives.
class PeekedBuffer : public std::streambuf {
public:
    static constexpr std::size_t kPeek = 4;

    // Reads the source's first kPeek octets (fewer at its end).
    void Attach(std::streambuf* source);
    // The first octets of the source.
    std::string_view Start() const { return {start_, startSize_}; }
    // Why reading stopped early; 0 when the source ended or all went well.
    int ReadError() const { return readError_; }

protected:
    int_type underflow() override;
    std::streamsize showmanyc() override;
    // A large read goes from the source straight into the reader's buffer.
    std::streamsize xsgetn(char* s, std::streamsize n) override;

private:
    std::streamsize Fetch(char* to, std::streamsize want);

    std::streambuf* source_ = nullptr;
    char start_[kPeek] = {};
    std::size_t startSize_ = 0;
    int readError_ = 0;
    char buffer_[1 << 16];
};

// How messages name a file given on the command line ("-" is standard input).
std::string DisplayName(const std::string& name);

// Says on err that the hex trace text of name yielded no frame to decode;
// skipped is the number of its frames that held no octets.
void ReportNoTraceFrame(std::ostream& err, const std::string& name, int64_t skipped);

// Says on err, once the whole of a hex trace has been read, what of it was
// not taken as the format has it: the frames whose length line declared more
// octets than reading hands out (decoded, or converted, cut), data lines that
// stop at a character that is not a hex digit pair, a last frame without its
// closing empty line (not handed out). action names what was done with the
// frames ("decoded", "converted"). These are notes: the frames that were
// read are all there, so they change no exit status.
void ReportTraceReading(std::ostream& err, const std::string& name, const TraceReader& reader,
                        const char* action);
// The same for what one or more readers with the given frame limit noted.
void ReportTraceReading(std::ostream& err, const std::string& name, const TraceNotes& notes,
                        int32_t maxFrameLength, const char* action);

// The input named on the command line: a file, or "-" for standard input.
class Input {
public:
    // Opens name; false, with the reason on err, when it cannot be read.
    bool Open(const std::string& name, std::istream& standardInput, std::ostream& err);

    const std::string& Name() const { return name_; }
    // Every octet of the input, from the first.
    std::istream& Stream() { return stream_; }
    std::string_view Start() const { return buffer_.Start(); }
    // Reports on err when reading stopped on an error; true when it did.
    bool ReportReadError(std::ostream& err) const;

private:
    std::string name_;
    std::ifstream file_;
    PeekedBuffer buffer_;
    std::istream stream_{&buffer_};
};

}  // namespace korvex::cli
