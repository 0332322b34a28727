// The hex trace reader under the fuzzer: the input is the text of a trace
// file. The streaming reader, read in large chunks and in small ones, and
// the reader behind the C interface must all give the frames of a plain
// line-by-line reading of the text (below), and the frames must be within
// the bounds the reader promises.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fuzz/properties.h"
#include "korvex/korvex.h"
#include "replay/trace_reader.h"

namespace {

using korvex::fuzz::Check;
using korvex::fuzz::Fail;

struct Frame {
    std::string timestamp;  // up to its first NUL
    char direction;
    std::vector<unsigned char> octets;
    int64_t endLine;
    bool operator==(const Frame&) const = default;
};

std::string Describe(const std::vector<Frame>& frames) {
    std::string text;
    for (const Frame& f : frames) {
        text += "line " + std::to_string(f.endLine) + " [" + f.timestamp + "] dir " +
                std::to_string(static_cast<unsigned char>(f.direction)) + ":";
        for (unsigned char o : f.octets) text += " " + std::to_string(o);
        text += "\n";
    }
    return text;
}

// The frames of text read the simple way: split into lines, one line at a
// time through the four-line cycle.
struct Expected {
    std::vector<Frame> frames;
    int64_t skipped = 0;
};

Expected ReadByLines(std::string_view text, bool useFileDirection) {
    Expected expected;
    int state = 0;
    std::string timestamp;
    char direction = ' ';
    int64_t declared = 0;
    std::vector<unsigned char> octets;
    int64_t number = 0;
    for (std::string_view line : korvex::fuzz::PlainLines(text)) {
        ++number;
        switch (state) {
            case 0:  // timestamp: columns 25 to 33
                timestamp = line.size() > 24 ? std::string(line.substr(24, 9)) : std::string();
                timestamp = timestamp.substr(0, timestamp.find('\0'));
                state = 1;
                break;
            case 1: {  // length from column 9, direction in column 20
                std::size_t i = 8;
                while (i < line.size() && line[i] == ' ') ++i;
                bool negative = false;
                if (i < line.size() && (line[i] == '+' || line[i] == '-')) negative = line[i++] == '-';
                int64_t value = 0;
                for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
                    value = std::min<int64_t>(value * 10 + (line[i] - '0'), int64_t{1} << 40);
                }
                declared = negative ? -value : value;
                direction = !useFileDirection ? '\x01' : line.size() >= 20 ? line[19] : ' ';
                state = 2;
                break;
            }
            case 2:  // header: not read
                octets.clear();
                state = 3;
                break;
            default:
                if (line.empty()) {  // the frame ends
                    state = 0;
                    const int64_t length = std::min<int64_t>({declared, korvex::TraceReader::kMaxFrameLength,
                                                              static_cast<int64_t>(octets.size())});
                    if (length <= 0) {
                        ++expected.skipped;
                    } else {
                        octets.resize(static_cast<std::size_t>(length));
                        expected.frames.push_back(Frame{timestamp, direction, octets, number});
                    }
                    break;
                }
                // Hex pairs from column 7: one blank between pairs; two
                // blanks, another character or half a pair end the data.
                bool afterBlank = false;
                for (std::size_t i = 6; i < line.size();) {
                    if (line[i] == ' ') {
                        if (afterBlank) break;
                        afterBlank = true;
                        ++i;
                        continue;
                    }
                    if (i + 1 >= line.size()) break;
                    const int high = korvex::fuzz::PlainHexValue(line[i]);
                    const int low = korvex::fuzz::PlainHexValue(line[i + 1]);
                    if (high < 0 || low < 0) break;
                    if (octets.size() < 4096) octets.push_back(static_cast<unsigned char>(high << 4 | low));
                    afterBlank = false;
                    i += 2;
                }
                break;
        }
    }
    return expected;
}

Frame Taken(const char* timestamp, char direction, int32_t length, const unsigned char* bytes, int64_t line) {
    Check(length >= 1 && length <= korvex::TraceReader::kMaxFrameLength, "a frame of 1 to 96 octets",
          std::to_string(length));
    Check(bytes != nullptr, "a frame's octets are there");
    Check(std::memchr(timestamp, '\0', 10) != nullptr, "a timestamp of at most 9 characters");
    return Frame{timestamp, direction, std::vector<unsigned char>(bytes, bytes + length), line};
}

// Every frame a reader hands out, each converted whole.
Expected ReadAll(korvex::TraceReader& reader) {
    Expected read;
    korvex::TraceFrame frame;
    while (reader.Next(frame)) {
        Check(frame.converted == frame.length, "a frame handed out is converted whole");
        read.frames.push_back(Taken(frame.timestamp, frame.direction, frame.length, frame.bytes, frame.endLine));
    }
    read.skipped = reader.SkippedFrames();
    return read;
}

Expected ReadStreaming(const std::string& text, bool useFileDirection, std::size_t chunkSize) {
    std::istringstream in(text);
    auto reader = std::make_unique<korvex::TraceReader>(in, useFileDirection, chunkSize);
    return ReadAll(*reader);
}

// Read with a sieve of the given lead that takes every other frame; asked
// counts the frames it was asked about.
Expected ReadSieved(const std::string& text, int32_t lead, int64_t& asked) {
    std::istringstream in(text);
    auto reader = std::make_unique<korvex::TraceReader>(in);
    asked = 0;
    reader->SetSieve(
        lead,
        [](void* count, const korvex::TraceFrame& frame) {
            Check(frame.converted >= 0 && frame.converted <= frame.length, "the octets converted lie in the frame");
            return (*static_cast<int64_t*>(count))++ % 2 == 0 ? korvex::TraceReader::Verdict::Take
                                                              : korvex::TraceReader::Verdict::PassOver;
        },
        &asked);
    return ReadAll(*reader);
}

// Text handed to the reader in pieces of a given size.
class Pieces final : public korvex::TextPieces {
public:
    Pieces(const std::string& text, std::size_t size) : text_(text), size_(size) {}
    std::string_view Next() override {
        const std::size_t n = std::min(size_, text_.size() - at_);
        piece_.assign(text_, at_, n);
        piece_.resize(n + kReadBehind, '\n');
        at_ += n;
        return {piece_.data(), n};
    }

private:
    const std::string& text_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::string piece_;
};

Expected ReadPieces(const std::string& text, std::size_t size) {
    Pieces pieces(text, size);
    auto reader = std::make_unique<korvex::TraceReader>(pieces);
    return ReadAll(*reader);
}

std::vector<Frame> ReadThroughC(const std::string& text) {
    KorvexTraceReader* reader = nullptr;
    Check(KorvexTraceOpenBuffer(text.data(), text.size(), &reader) == 0 && reader != nullptr,
          "a reader over a buffer opens");
    std::vector<Frame> frames;
    KorvexTraceFrame frame;
    int result;
    while ((result = KorvexTraceNext(reader, &frame)) == 1) {
        frames.push_back(Taken(frame.timestamp, frame.direction, frame.length, frame.bytes, frame.line));
    }
    KorvexTraceClose(reader);
    Check(result == 0, "a text read to its end ends with 0", std::to_string(result));
    return frames;
}

void CheckFrames(const Expected& expected, const Expected& read, const char* how) {
    if (read.frames != expected.frames) {
        Fail(how, "expected:\n" + Describe(expected.frames) + "read:\n" + Describe(read.frames));
    }
    Check(read.skipped == expected.skipped, "frames without octets counted as passed over",
          std::to_string(read.skipped) + " instead of " + std::to_string(expected.skipped));
}

// The text read as two: up to a line start behind an empty line near its
// middle, and from there by a reader of its own. Where the first reading
// ends between frames, the two give the frames and the notes of one
// reading of the whole (the second's lines counted on from the first's).
void CheckReadInTwo(const std::string& text) {
    const std::size_t empty = text.find("\n\n", text.size() / 2);
    if (empty == std::string::npos) return;
    auto notesOf = [](const std::string& part, Expected& read) {
        std::istringstream in(part);
        auto reader = std::make_unique<korvex::TraceReader>(in);
        read = ReadAll(*reader);
        return std::pair{reader->Notes(), reader->BetweenFrames()};
    };
    Expected whole, first, second;
    const korvex::TraceNotes wholeNotes = notesOf(text, whole).first;
    auto [notes, between] = notesOf(text.substr(0, empty + 2), first);
    if (!between) return;
    const korvex::TraceNotes secondNotes = notesOf(text.substr(empty + 2), second).first;
    for (Frame& f : second.frames) f.endLine += notes.lines;
    first.frames.insert(first.frames.end(), second.frames.begin(), second.frames.end());
    first.skipped += second.skipped;
    notes.Append(secondNotes);
    CheckFrames(whole, first, "the same frames read in two parts");
    Check(notes.lines == wholeNotes.lines && notes.overlong == wholeNotes.overlong &&
              notes.badDataLines == wholeNotes.badDataLines && notes.firstBadDataLine == wholeNotes.firstBadDataLine &&
              notes.unfinishedFrameLine == wholeNotes.unfinishedFrameLine,
          "the notes of two parts added up are those of the whole");
}


}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Expected expected = ReadByLines(text, true);

    CheckFrames(expected, ReadStreaming(text, true, korvex::TraceReader::kChunkCapacity),
                "the frames of the line-by-line reading");
    // Small chunks split lines anywhere, a carriage return from its line feed too.
    const std::size_t small = 1 + size % 7;
    CheckFrames(expected, ReadStreaming(text, true, small), "the same frames read in small chunks");
    CheckFrames(ReadByLines(text, false), ReadStreaming(text, false, korvex::TraceReader::kChunkCapacity),
                "the frames without the file's directions");
    CheckFrames(expected, ReadPieces(text, small), "the same frames handed over in pieces");
    // A sieve that looks at the first few octets: every frame is asked
    // about, and every other one comes whole.
    int64_t asked = 0;
    const Expected sieved = ReadSieved(text, static_cast<int32_t>(1 + size % 20), asked);
    Check(asked == static_cast<int64_t>(expected.frames.size()), "the sieve is asked about every frame",
          std::to_string(asked) + " of " + std::to_string(expected.frames.size()));
    Expected everyOther{{}, expected.skipped};
    for (std::size_t i = 0; i < expected.frames.size(); i += 2) everyOther.frames.push_back(expected.frames[i]);
    CheckFrames(everyOther, sieved, "every other frame through a sieve");
    Expected throughC{ReadThroughC(text), expected.skipped};
    CheckFrames(expected, throughC, "the same frames through the C interface");
    CheckReadInTwo(text);
    return 0;
}
