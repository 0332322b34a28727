#include "replay/trace_reader.h"

#include <algorithm>
#include <array>
#include <cstring>

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

// Data lines hold their hex pairs from this column (1-based) on.
constexpr std::size_t kDataColumn = 7;

}  // namespace

int HexDigitValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

TraceReader::TraceReader(std::istream& in, bool useFileDirection, std::size_t chunkSize)
    : in_(in),
      useFileDirection_(useFileDirection),
      chunkLimit_(std::clamp<std::size_t>(chunkSize, 1, kChunkCapacity)) {}

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
                const void* end = std::memchr(start, '\n', chunkSize_ - chunkPos_);
                if (end != nullptr) {
                    const auto length = static_cast<std::size_t>(static_cast<const char*>(end) - start);
                    chunkPos_ += length + 1;
                    TakeLine(start, length);
                    continue;
                }
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
    frame.length = static_cast<int32_t>(std::min<int64_t>(std::min<int64_t>(declared_, kMaxFrameLength), gathered_));
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

void TraceReader::TakeLine(const char* line, std::size_t length) {
    // A carriage return right before the line feed belongs to the line end;
    // any other one is an ordinary character of the line.
    if (length > 0 && line[length - 1] == '\r') --length;
    switch (state_) {
        case 0: {  // timestamp line: columns 25 to 33
            for (std::size_t i = 24; i < length && i < 33; ++i) lineTimestamp_[lineTimestampLength_++] = line[i];
            column_ = static_cast<int64_t>(length);
            break;
        }
        case 1:  // length line: the number from column 9, the direction in column 20
            TakeLengthLine(line, length);
            break;
        case 2:  // header line: not read
            column_ = static_cast<int64_t>(length);
            break;
        default:
            TakeDataLine(line, length);
            column_ = static_cast<int64_t>(length);
            break;
    }
    EndLine();
}

// The same as Take() over every character of a whole length line.
void TraceReader::TakeLengthLine(const char* line, std::size_t length) {
    constexpr std::size_t kNumberColumn = 9;
    constexpr std::size_t kDirectionColumn = 20;
    if (length >= kDirectionColumn) lineDirection_ = line[kDirectionColumn - 1];
    std::size_t i = kNumberColumn - 1;
    while (i < length && line[i] == ' ') ++i;
    if (i < length && (line[i] == '+' || line[i] == '-')) {
        negative_ = line[i] == '-';
        ++i;
    }
    int64_t magnitude = 0;
    for (; i < length && line[i] >= '0' && line[i] <= '9'; ++i) {
        sawDigit_ = true;
        magnitude = std::min(magnitude * 10 + (line[i] - '0'), kNumberCeiling);
    }
    magnitude_ = magnitude;
    column_ = static_cast<int64_t>(length);
}

// Hex pairs from the data column on: one blank between pairs is skipped; two
// blanks, any other character or a half pair end the data of the line.
void TraceReader::TakeDataLine(const char* line, std::size_t length) {
    if (length < kDataColumn) return;
    const auto* p = reinterpret_cast<const unsigned char*>(line) + kDataColumn - 1;
    const auto* const end = reinterpret_cast<const unsigned char*>(line) + length;
    int64_t gathered = gathered_;
    bool afterBlank = false;
    // The usual layout first: pairs each followed by one blank. Whatever
    // else comes is left to the general walk below, in the same state.
    while (end - p >= 3 && gathered < kMaxFrameLength) {
        const uint8_t high = kHexValues[p[0]];
        const uint8_t low = kHexValues[p[1]];
        if ((high | low) >= 16) break;
        octets_[gathered++] = static_cast<unsigned char>((high << 4) | low);
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
        if (end - p < 2) break;
        const uint8_t high = kHexValues[p[0]];
        const uint8_t low = kHexValues[p[1]];
        if ((high | low) >= 16) break;
        if (gathered < kMaxFrameLength) octets_[gathered] = static_cast<unsigned char>((high << 4) | low);
        if (gathered < kNumberCeiling) ++gathered;
        afterBlank = false;
        p += 2;
    }
    gathered_ = gathered;
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
                    }
                    break;
                case DataState::SecondDigit:
                    if (v < 16) {
                        if (gathered_ < kMaxFrameLength) {
                            octets_[gathered_] = static_cast<unsigned char>((firstDigit_ << 4) | v);
                        }
                        if (gathered_ < kNumberCeiling) ++gathered_;
                        dataState_ = DataState::PairStart;
                    } else {
                        dataState_ = DataState::Ended;  // a half pair stores nothing
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
            if (column_ == 0) {
                // The empty line ends the frame.
                state_ = 0;
                int64_t length = std::min<int64_t>(std::min<int64_t>(declared_, kMaxFrameLength), gathered_);
                if (declared_ <= 0 || length <= 0) {
                    ++skipped_;
                } else {
                    ready_ = true;
                    readyLine_ = lineNumber_;
                }
            }
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
}

}  // namespace korvex
