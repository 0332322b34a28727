#include "replay/trace_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>

namespace korvex {

namespace {

// Large enough to tell "more than 96" and "below 0" from any real count,
// small enough never to overflow while digits keep coming.
constexpr int64_t kNumberCeiling = int64_t{1} << 40;

// Hex digit values by character, 16 for every character that is not one.
constexpr auto kHexValues = [] {
    std::array<uint8_t, 256> values{};
    for (int c = 0; c < 256; ++c) values[static_cast<std::size_t>(c)] = 16;
    for (int c = '0'; c <= '9'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c) values[static_cast<std::size_t>(c)] = static_cast<uint8_t>(c - 'A' + 10);
    return values;
}();

// The octet of every pair of characters, indexed by the first character
// plus 256 times the second: the octet's value, or kBadPair when either
// character is not a hex digit.
constexpr uint16_t kBadPair = 0x100;
constexpr auto kPairValues = [] {
    std::array<uint16_t, 65536> values{};
    values.fill(kBadPair);
    // Only the pairs of digits are set one by one: few enough steps for any
    // compiler's limit on evaluation when compiling.
    constexpr std::string_view kDigits = "0123456789ABCDEFabcdef";
    for (char second : kDigits) {
        for (char first : kDigits) {
            const uint8_t high = kHexValues[static_cast<unsigned char>(first)];
            const uint8_t low = kHexValues[static_cast<unsigned char>(second)];
            values[static_cast<unsigned char>(first) + 256 * std::size_t{static_cast<unsigned char>(second)}] =
                static_cast<uint16_t>(high << 4 | low);
        }
    }
    return values;
}();

uint16_t PairValue(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint16_t pair;
        std::memcpy(&pair, p, sizeof pair);  // the first character in the low octet
        return kPairValues[pair];
    } else {
        return kPairValues[p[0] | static_cast<std::size_t>(p[1]) << 8];
    }
}

// True when the eight characters at 2, 5, 8, ... 23 of the 24 from p on are
// blanks: the blanks behind eight pairs.
bool BlanksBehindEightPairs(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t q[3];
        std::memcpy(q, p, sizeof q);
        constexpr uint64_t kMask0 = 0x0000FF0000FF0000;  // characters 2 and 5
        constexpr uint64_t kMask1 = 0x00FF0000FF0000FF;  // 8, 11 and 14
        constexpr uint64_t kMask2 = 0xFF0000FF0000FF00;  // 17, 20 and 23
        constexpr uint64_t kBlanks = 0x2020202020202020;
        return (((q[0] ^ kBlanks) & kMask0) | ((q[1] ^ kBlanks) & kMask1) | ((q[2] ^ kBlanks) & kMask2)) == 0;
    } else {
        for (int k = 2; k < 24; k += 3) {
            if (p[k] != ' ') return false;
        }
        return true;
    }
}

// Data lines hold their hex pairs from this column (1-based) on.
constexpr std::size_t kDataColumn = 7;

}  // namespace

int HexDigitValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

TraceReader::TraceReader(std::istream& in, bool useFileDirection, std::size_t chunkSize,
                         int32_t maxFrameLength)
    : in_(in),
      useFileDirection_(useFileDirection),
      chunkLimit_(std::clamp<std::size_t>(chunkSize, 1, kChunkCapacity)),
      limit_(std::max(maxFrameLength, kMaxFrameLength)),
      octets_(inline_) {
    if (limit_ > kMaxFrameLength) {
        large_ = std::make_unique<unsigned char[]>(static_cast<std::size_t>(limit_));
        octets_ = large_.get();
    }
}

int64_t TraceReader::UnfinishedFrameLine() const {
    return atEnd_ && state_ != 0 && frameHasText_ ? frameLine_ : 0;
}

void TraceReader::BadDataLine() {
    if (badDataLines_++ == 0) firstBadDataLine_ = lineNumber_;
}

bool TraceReader::Next(TraceFrame& frame) {
    for (;;) {
        if (FrameReady(frame)) return true;
        if (chunkPos_ == chunkSize_) {
            if (atEnd_) return false;
            in_.read(chunk_, static_cast<std::streamsize>(chunkLimit_));
            chunkSize_ = static_cast<std::size_t>(in_.gcount());
            chunkPos_ = 0;
            if (chunkSize_ == 0) {
                atEnd_ = true;
                // The last line may lack its line end.
                if (column_ > 0 || pendingCr_) {
                    pendingCr_ = false;
                    EndLine();
                }
                continue;
            }
        }
        // Take whole lines while the chunk holds them, characters one by one
        // otherwise, until a frame is complete or the chunk is used up.
        while (chunkPos_ < chunkSize_ && !ready_) {
            if (column_ == 0 && !pendingCr_) {
                const char* start = chunk_ + chunkPos_;
                const char* const stop = chunk_ + chunkSize_;
                while (!ready_) {
                    const auto* end = static_cast<const char*>(std::memchr(start, '\n', static_cast<std::size_t>(stop - start)));
                    if (end == nullptr) break;
                    TakeLine(start, static_cast<std::size_t>(end - start));
                    start = end + 1;
                }
                chunkPos_ = static_cast<std::size_t>(start - chunk_);
                if (ready_ || chunkPos_ == chunkSize_) continue;
            }
            Feed(static_cast<unsigned char>(chunk_[chunkPos_++]));
        }
    }
}

bool TraceReader::FrameReady(TraceFrame& frame) {
    if (!ready_) return false;
    ready_ = false;
    std::memcpy(frame.timestamp, timestamp_, sizeof frame.timestamp);
    frame.direction = direction_;
    frame.length = static_cast<int32_t>(std::min<int64_t>(std::min<int64_t>(declared_, limit_), gathered_));
    frame.bytes = octets_;
    frame.endLine = readyLine_;
    return true;
}

void TraceReader::Feed(unsigned char c) {
    if (pendingCr_) {
        pendingCr_ = false;
        if (c == '\n') {
            EndLine();  // CR LF: the carriage return is dropped
            return;
        }
        Take('\r');  // a carriage return inside the line is an ordinary character
    }
    if (c == '\n') {
        EndLine();
    } else if (c == '\r') {
        pendingCr_ = true;
    } else {
        Take(c);
    }
}

// A whole line at the start of a line: the same effect as feeding its
// characters and its line end one by one, in one pass. The per-line state
// of the character walk is not touched: it stays as it was at the line's
// start, reset.
void TraceReader::TakeLine(const char* line, std::size_t length) {
    // A carriage return right before the line feed belongs to the line end;
    // any other one is an ordinary character of the line.
    if (length > 0 && line[length - 1] == '\r') --length;
    ++lineNumber_;
    switch (state_) {
        case 0: {  // timestamp line: columns 25 to 33
            frameLine_ = lineNumber_;
            frameHasText_ = length > 0;
            constexpr std::size_t kFirst = 24;
            constexpr std::size_t kCount = 9;
            const std::size_t n = length <= kFirst ? 0 : std::min(length - kFirst, kCount);
            if (n > 0) std::memcpy(timestamp_, line + kFirst, n);
            timestamp_[n] = '\0';
            state_ = 1;
            break;
        }
        case 1:  // length line: the number from column 9, the direction in column 20
            frameHasText_ = frameHasText_ || length > 0;
            TakeLengthLine(line, length);
            state_ = 2;
            break;
        case 2:  // header line: not read
            frameHasText_ = frameHasText_ || length > 0;
            gathered_ = 0;
            state_ = 3;
            break;
        default:
            if (length == 0) {
                EndFrame();
            } else {
                frameHasText_ = true;
                TakeDataLine(line, length);
            }
            break;
    }
}

void TraceReader::TakeLengthLine(const char* line, std::size_t length) {
    constexpr std::size_t kNumberColumn = 9;
    constexpr std::size_t kDirectionColumn = 20;
    std::size_t i = kNumberColumn - 1;
    while (i < length && line[i] == ' ') ++i;
    bool negative = false;
    if (i < length && (line[i] == '+' || line[i] == '-')) {
        negative = line[i] == '-';
        ++i;
    }
    int64_t magnitude = 0;
    for (; i < length && line[i] >= '0' && line[i] <= '9'; ++i) {
        magnitude = std::min(magnitude * 10 + (line[i] - '0'), kNumberCeiling);
    }
    declared_ = negative ? -magnitude : magnitude;
    direction_ = !useFileDirection_ ? '\x01' : length >= kDirectionColumn ? line[kDirectionColumn - 1] : ' ';
}

// Hex pairs from the data column on: one blank between pairs is skipped; two
// blanks, any other character or a half pair end the data of the line (the
// last two are counted: the line held something other than the format's).
void TraceReader::TakeDataLine(const char* line, std::size_t length) {
    if (length < kDataColumn) return;
    const auto* p = reinterpret_cast<const unsigned char*>(line) + kDataColumn - 1;
    const auto* const end = reinterpret_cast<const unsigned char*>(line) + length;
    int64_t gathered = gathered_;
    bool afterBlank = false;
    // The usual layout first: pairs each followed by one blank, eight at a
    // time, then one at a time. Whatever else comes is left to the general
    // walk below, in the same state. A group that turns out not to be eight
    // such pairs is walked again one pair at a time; what it stored beyond
    // the octets gathered is never handed out.
    constexpr int kGroup = 8;
    // Held in locals: the octet stores could otherwise alias the members.
    const int32_t limit = limit_;
    unsigned char* const octets = octets_;
    while (end - p >= 3 * kGroup && gathered + kGroup <= limit) {
        unsigned pairs = 0;
#pragma GCC unroll 8
        for (int k = 0; k < kGroup; ++k) {
            const uint16_t value = PairValue(p + 3 * k);
            pairs |= value;
            octets[gathered + k] = static_cast<unsigned char>(value);
        }
        if ((pairs & kBadPair) != 0 || !BlanksBehindEightPairs(p)) break;
        p += 3 * kGroup;
        gathered += kGroup;
        afterBlank = true;
    }
    while (end - p >= 3 && gathered < limit) {
        const uint16_t value = PairValue(p);
        if (value == kBadPair) break;
        octets[gathered++] = static_cast<unsigned char>(value);
        if (p[2] != ' ') {
            p += 2;
            afterBlank = false;
            break;
        }
        p += 3;
        afterBlank = true;
    }
    while (p < end) {
        if (*p == ' ') {
            if (afterBlank) break;
            afterBlank = true;
            ++p;
            continue;
        }
        if (end - p < 2) {
            BadDataLine();  // half a pair at the line end
            break;
        }
        const uint8_t high = kHexValues[p[0]];
        const uint8_t low = kHexValues[p[1]];
        if ((high | low) >= 16) {
            BadDataLine();
            break;
        }
        if (gathered < limit) octets[gathered] = static_cast<unsigned char>((high << 4) | low);
        if (gathered < kNumberCeiling) ++gathered;
        afterBlank = false;
        p += 2;
    }
    gathered_ = gathered;
}

// The empty line that ends a frame: the frame is ready, or passed over when
// it has nothing to decode.
void TraceReader::EndFrame() {
    state_ = 0;
    const int64_t length = std::min<int64_t>(std::min<int64_t>(declared_, limit_), gathered_);
    if (declared_ <= 0 || length <= 0) {
        ++skipped_;
    } else {
        ready_ = true;
        readyLine_ = lineNumber_;
        if (declared_ > limit_) ++overlong_;
    }
}

void TraceReader::Take(unsigned char c) {
    ++column_;
    const int64_t col = column_;  // 1-based column of c
    switch (state_) {
        case 0:  // timestamp line: columns 25 to 33
            if (col >= 25 && col <= 33) lineTimestamp_[lineTimestampLength_++] = static_cast<char>(c);
            break;
        case 1:  // length line: number from column 9, direction in column 20
            if (col == 20) lineDirection_ = static_cast<char>(c);
            if (col >= 9 && numberState_ != NumberState::Done) {
                if (numberState_ == NumberState::Blanks) {
                    if (c == ' ') break;
                    numberState_ = NumberState::Digits;
                    if (c == '+' || c == '-') {
                        negative_ = c == '-';
                        break;
                    }
                }
                if (c >= '0' && c <= '9') {
                    sawDigit_ = true;
                    magnitude_ = std::min(magnitude_ * 10 + (c - '0'), kNumberCeiling);
                } else {
                    numberState_ = NumberState::Done;
                }
            }
            break;
        case 2:  // header line: not read
            break;
        default: {  // data line: hex pairs from column 7
            if (col < 7 || dataState_ == DataState::Ended) break;
            int v = HexDigitValue(static_cast<char>(c));
            switch (dataState_) {
                case DataState::PairStart:
                case DataState::AfterBlank:
                    if (c == ' ') {
                        // One blank between pairs is skipped; two end the data.
                        dataState_ = dataState_ == DataState::PairStart ? DataState::AfterBlank
                                                                         : DataState::Ended;
                    } else if (v < 16) {
                        firstDigit_ = v;
                        dataState_ = DataState::SecondDigit;
                    } else {
                        dataState_ = DataState::Ended;
                        badStop_ = true;
                    }
                    break;
                case DataState::SecondDigit:
                    if (v < 16) {
                        if (gathered_ < limit_) {
                            octets_[gathered_] = static_cast<unsigned char>((firstDigit_ << 4) | v);
                        }
                        if (gathered_ < kNumberCeiling) ++gathered_;
                        dataState_ = DataState::PairStart;
                    } else {
                        dataState_ = DataState::Ended;  // a half pair stores nothing
                        badStop_ = true;
                    }
                    break;
                case DataState::Ended:
                    break;
            }
            break;
        }
    }
}

void TraceReader::EndLine() {
    ++lineNumber_;
    if (state_ == 0) {
        frameLine_ = lineNumber_;
        frameHasText_ = false;
    }
    frameHasText_ = frameHasText_ || column_ > 0;
    switch (state_) {
        case 0:
            std::memcpy(timestamp_, lineTimestamp_, static_cast<std::size_t>(lineTimestampLength_));
            timestamp_[lineTimestampLength_] = '\0';
            state_ = 1;
            break;
        case 1: {
            int64_t value = sawDigit_ ? magnitude_ : 0;
            declared_ = negative_ ? -value : value;
            direction_ = useFileDirection_ ? (column_ >= 20 ? lineDirection_ : ' ') : '\x01';
            state_ = 2;
            break;
        }
        case 2:
            gathered_ = 0;
            state_ = 3;
            break;
        default:
            if (column_ == 0) EndFrame();  // the empty line ends the frame
            // A first digit the line end cut from its second is half a pair.
            if (badStop_ || dataState_ == DataState::SecondDigit) BadDataLine();
            break;
    }
    // Start the next line afresh.
    column_ = 0;
    lineTimestampLength_ = 0;
    numberState_ = NumberState::Blanks;
    negative_ = false;
    sawDigit_ = false;
    magnitude_ = 0;
    lineDirection_ = ' ';
    dataState_ = DataState::PairStart;
    badStop_ = false;
}

}  // namespace korvex
