#include "replay/trace_reader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string_view>

#include "core/hex_scan.h"


namespace korvex {

namespace {

// Large enough to tell "more than 96" and "below 0" from any real count,
// small enough never to overflow while digits keep coming.
constexpr int64_t kNumberCeiling = int64_t{1} << 40;

// Data lines hold their hex pairs from this column (1-based) on.
constexpr std::size_t kDataColumn = 7;

}  // namespace

int HexDigitValue(char c) {
    return kHexValues[static_cast<unsigned char>(c)];
}

TraceReader::TraceReader(std::istream& in, bool useFileDirection, std::size_t chunkSize,
                         int32_t maxFrameLength)
    : TraceReader(&in, nullptr, useFileDirection, chunkSize, maxFrameLength) {}

TraceReader::TraceReader(TextPieces& pieces, bool useFileDirection, int32_t maxFrameLength)
    : TraceReader(nullptr, &pieces, useFileDirection, kChunkCapacity, maxFrameLength) {}

TraceReader::TraceReader(std::istream* in, TextPieces* pieces, bool useFileDirection, std::size_t chunkSize,
                         int32_t maxFrameLength)
    : in_(in),
      pieces_(pieces),
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

// The block of line feeds is kept from one line to the next, so that most
// lines cost a bit scan.
[[gnu::always_inline]] inline const char* TraceReader::FindLineFeed(const char* from) {
    const std::size_t offset = static_cast<std::size_t>(from - chunk_);
    std::size_t block = offset & ~(kScanBlock - 1);
    uint64_t feeds = block == scanBlock_ ? scanFeeds_ : ScanBlock(block);
    // Line feeds before from were handed out already, or are not asked for.
    feeds &= ~uint64_t{0} << (offset - block);
    while (feeds == 0) {
        block += kScanBlock;
        if (block >= chunkSize_) {
            scanBlock_ = kNoBlock;
            return nullptr;
        }
        feeds = ScanBlock(block);
    }
    scanBlock_ = block;
    scanFeeds_ = feeds;
    return chunk_ + block + std::countr_zero(feeds);
}

uint64_t TraceReader::ScanBlock(std::size_t block) const {
    const uint64_t feeds = LineFeedsOf64(chunk_ + block);
    // The characters past the chunk's end are no part of it.
    const std::size_t inside = chunkSize_ - block;
    return inside >= kScanBlock ? feeds : feeds & ((uint64_t{1} << inside) - 1);
}

void TraceReader::BadDataLine() {
    if (badDataLines_++ == 0) firstBadDataLine_ = lineNumber_;
}

bool TraceReader::Next(TraceFrame& frame) {
    for (;;) {
        if (FrameReady(frame)) return true;
        if (stopped_) return false;
        if (chunkPos_ == chunkSize_) {
            if (atEnd_) return false;
            if (pieces_ != nullptr) {
                const std::string_view piece = pieces_->Next();
                chunk_ = piece.data();
                chunkSize_ = piece.size();
            } else {
                in_->read(buffer_, static_cast<std::streamsize>(chunkLimit_));
                chunk_ = buffer_;
                chunkSize_ = static_cast<std::size_t>(in_->gcount());
            }
            chunkPos_ = 0;
            scanBlock_ = kNoBlock;
            if (chunkSize_ == 0) {
                atEnd_ = true;
                // The last line may lack its line end; a carriage return at
                // the very end is taken for one.
                if (column_ > 0 || pendingCr_) {
                    pendingCr_ = false;
                    TakeText(buffer_, 0, column_, true);
                }
                continue;
            }
        }
        // The chunk's text line by line, each line in one piece, until a
        // frame is complete; then the part of a line the chunk ends in.
        const char* start = chunk_ + chunkPos_;
        const char* const stop = chunk_ + chunkSize_;
        if (pendingCr_) {
            // A carriage return right before the line feed belongs to the line
            // end; any other one is an ordinary character.
            pendingCr_ = false;
            if (*start != '\n') TakeText("\r", 1, column_, false);
        }
        // After the first line feed, each next one is the next bit of the
        // block's line feeds, held here (the block's offset and its line
        // feeds not yet handed out) rather than in the members, which the
        // text's character stores could alias.
        const char* lineFeed = FindLineFeed(start);
        std::size_t block = scanBlock_;
        uint64_t feeds = scanFeeds_;
        const std::size_t size = chunkSize_;
        bool handedOut = false;
        for (;;) {
            if (lineFeed == nullptr) {
                const char* end = stop;
                if (end != start && end[-1] == '\r') {
                    --end;
                    pendingCr_ = true;  // the next chunk tells which it is
                }
                TakeText(start, static_cast<std::size_t>(end - start), column_, false);
                start = stop;
                break;
            }
            // Most frames are whole in the chunk: read straight through.
            if (state_ == 0 && column_ == 0 && TakeWholeFrame(start, block, feeds)) {
                // A frame the sieve passes over costs no more than its
                // reading: the next one follows in the same loop.
                if (ready_ && (sieve_ == nullptr || (handedOut = Sift(frame)) || stopped_)) break;
            } else {
                std::size_t length = static_cast<std::size_t>(lineFeed - start);
                if (length > 0 && lineFeed[-1] == '\r') --length;
                // Most lines are whole in the chunk, from column 1.
                const bool frameEnds =
                    column_ == 0 ? TakeText(start, length, 0, true) : TakeText(start, length, column_, true);
                start = lineFeed + 1;
                feeds &= feeds - 1;  // this line's feed is handed out
                if (frameEnds) break;
            }
            while (feeds == 0) {
                block += kScanBlock;
                if (block >= size) break;
                feeds = ScanBlock(block);
            }
            lineFeed = feeds == 0 ? nullptr : chunk_ + block + std::countr_zero(feeds);
        }
        if (feeds == 0) block = kNoBlock;
        scanBlock_ = block;
        scanFeeds_ = feeds;
        chunkPos_ = static_cast<std::size_t>(start - chunk_);
        if (handedOut) return true;
    }
}

bool TraceReader::FrameReady(TraceFrame& frame) {
    return ready_ && Sift(frame);
}

[[gnu::always_inline]] inline bool TraceReader::Sift(TraceFrame& frame) {
    ready_ = false;
    std::memcpy(frame.timestamp, timestamp_, sizeof frame.timestamp);
    frame.direction = direction_;
    frame.length = static_cast<int32_t>(std::min<int64_t>(std::min<int64_t>(declared_, limit_), gathered_));
    frame.bytes = octets_;
    frame.endLine = readyLine_;
    frame.converted = convertedOctets_ < 0 ? frame.length
                                           : static_cast<int32_t>(std::min<int64_t>(frame.length, convertedOctets_));
    if (sieve_ == nullptr) return true;
    switch (sieve_(sieveContext_, frame)) {
    case Verdict::Take: Complete(frame); return true;
    case Verdict::PassOver: return false;
    case Verdict::Stop: break;
    }
    stopped_ = true;
    return false;
}

// The next count characters of the current line, after first characters
// of it, as the cycle reads the line's kind; with lineEnds the line ends
// after them: what it said takes effect, and the cycle moves on with the
// state the next line starts from. A frame is handed out before the next
// line is read, so the timestamp goes straight into the frame's field.
// Returns true when the line ended a frame that is ready. Inlined into the
// line loop, where a whole line from column 1 lets the compiler fold the
// column arithmetic away.
[[gnu::always_inline]] inline bool TraceReader::TakeText(const char* text, std::size_t count, int64_t first,
                                                         bool lineEnds) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const int64_t columns = first + static_cast<int64_t>(count);
    column_ = lineEnds ? 0 : columns;
    if (lineEnds) ++lineNumber_;
    switch (state_) {
        case 0: {  // timestamp line: columns 25 to 33
            constexpr int64_t kFirst = 24;
            constexpr int64_t kCount = 9;
            const int64_t from = std::max(first, kFirst);
            const int64_t to = std::min(columns, kFirst + kCount);
            if (first == 0 && count >= static_cast<std::size_t>(kFirst + kCount)) {
                // A whole line that holds the nine columns: a copy of fixed
                // size (a loop, which the optimiser makes one move, so that
                // no size check trips over the short texts of other calls).
                for (int64_t i = 0; i < kCount; ++i) timestamp_[i] = static_cast<char>(p[kFirst + i]);
            } else if (from < to) {
                std::memcpy(timestamp_ + (from - kFirst), p + (from - first), static_cast<std::size_t>(to - from));
            }
            if (lineEnds) {
                timestamp_[std::clamp(columns - kFirst, int64_t{0}, kCount)] = '\0';
                frameLine_ = lineNumber_;
                frameHasText_ = columns > 0;
                state_ = 1;
            }
            break;
        }
        case 1: {  // length line: the number from column 9, the direction in column 20
            LengthReading reading = first > 0 ? length_ : LengthReading{};
            if (first == 0 && lineEnds) {
                if (count > 0) TakeWholeLengthLine(p, count, reading);
            } else if (count > 0) {
                TakeLengthText(p, count, first, reading);
            }
            if (!lineEnds) {
                length_ = reading;
                break;
            }
            frameHasText_ = frameHasText_ || columns > 0;
            declared_ = reading.negative ? -reading.magnitude : reading.magnitude;
            direction_ = !useFileDirection_ ? '\x01' : reading.direction;
            state_ = 2;
            break;
        }
        case 2:  // header line: not read
            if (lineEnds) {
                frameHasText_ = frameHasText_ || columns > 0;
                gathered_ = 0;
                convertedOctets_ = -1;
                unconvertedLine_ = nullptr;
                state_ = 3;
            }
            break;
        default: {  // data line: hex pairs from column 7; the empty line ends the frame
            constexpr int64_t kSkipped = kDataColumn - 1;
            DataState data = first > 0 ? dataState_ : DataState::PairStart;
            if (columns > kSkipped && data < DataState::Stopped) {
                // A whole line is read where the chunk holds it.
                data = TakeData(p + std::max(kSkipped - first, int64_t{0}), p + count, data, first == 0 && lineEnds);
            }
            if (!lineEnds) {
                dataState_ = data;
                break;
            }
            if (columns == 0) {
                EndFrame();
                return ready_;
            }
            frameHasText_ = true;
            // A first digit the line end cut from its second is half a pair.
            if (data == DataState::SecondDigit || data == DataState::Stopped) BadDataLine();
            break;
        }
    }
    return false;
}

[[gnu::always_inline]] inline bool TraceReader::TakeWholeFrame(const char*& start, std::size_t& block,
                                                               uint64_t& feeds) {
    const std::size_t size = chunkSize_;
    std::size_t scanned = block;
    uint64_t rest = feeds;
    const char* text = start;
    int64_t line = lineNumber_;
    // The next line from text on: its characters (a carriage return before
    // the line feed is the line end's) and its line feed; false at the end
    // of the chunk.
    const unsigned char* p = nullptr;
    std::size_t count = 0;
    const char* lineFeed = nullptr;
    auto nextLine = [&]() {
        while (rest == 0) {
            scanned += kScanBlock;
            if (scanned >= size) return false;
            rest = ScanBlock(scanned);
        }
        lineFeed = chunk_ + scanned + std::countr_zero(rest);
        rest &= rest - 1;
        p = reinterpret_cast<const unsigned char*>(text);
        count = static_cast<std::size_t>(lineFeed - text);
        if (count > 0 && lineFeed[-1] == '\r') --count;
        text = lineFeed + 1;
        ++line;
        return true;
    };
    // Timestamp line: columns 25 to 33.
    if (!nextLine()) return false;
    constexpr std::size_t kStampFirst = 24;
    constexpr std::size_t kStampCount = 9;
    const std::size_t stamp = std::clamp(count, kStampFirst, kStampFirst + kStampCount) - kStampFirst;
    if (stamp == kStampCount) {
        std::memcpy(timestamp_, p + kStampFirst, kStampCount);
    } else if (stamp > 0) {
        std::memcpy(timestamp_, p + kStampFirst, stamp);
    }
    timestamp_[stamp] = '\0';
    const int64_t frameLine = line;
    bool hasText = count > 0;
    // Length line: the number from column 9, the direction in column 20.
    if (!nextLine()) return false;
    LengthReading reading;
    if (count > 0) TakeWholeLengthLine(p, count, reading);
    hasText = hasText || count > 0;
    const int64_t declared = reading.negative ? -reading.magnitude : reading.magnitude;
    // Header line: not read.
    if (!nextLine()) return false;
    hasText = hasText || count > 0;
    gathered_ = 0;
    // Data lines up to the empty line. With a lead, a line in the usual
    // layout with the pairs the declared length still asks for (up to
    // sixteen, each followed by a blank, and then a second blank: the line's
    // data ends there) is only checked and counted, and only octets within
    // the lead are converted; the rest wait for Complete. Any other line is
    // read as ever, the lines waiting before it converted first.
    //
    // Such a line is mostly found where its layout says it ends (the
    // offset, the pairs and their blanks, a blank, one rendering character a
    // pair, the line feed), with no line feed among the characters before,
    // and so is the empty line: the line feed bits then catch up only when
    // a line is read as ever, or at the end of the frame.
    int64_t badLines = 0;
    int64_t firstBadLine = 0;
    int64_t gathered = 0;
    const int64_t lead = lead_;
    const char* waiting = lead > 0 ? text : nullptr;  // the first line not converted whole
    unsigned char* const octets = octets_;
    const char* const chunkEnd = chunk_ + size;
    bool behind = false;  // the line feed bits lag behind text
    auto catchUp = [&]() {
        const auto offset = static_cast<std::size_t>(text - chunk_);
        scanned = offset & ~(kScanBlock - 1);
        rest = scanned < size ? ScanBlock(scanned) & (~uint64_t{0} << (offset - scanned)) : 0;
        behind = false;
    };
    constexpr int64_t kLinePairs = 16;
    // A checked line of expected pairs: only those within the lead are
    // converted.
    auto takeChecked = [&](const unsigned char* pairs, int64_t expected) {
        if (gathered < lead) {
            const int64_t within = std::min(lead, gathered + expected);
            for (int64_t k = gathered; k < within; ++k) {
                octets[k] = static_cast<unsigned char>(PairValue(pairs + 3 * (k - gathered)));
            }
        }
        gathered += expected;
    };
    for (;;) {
        if (waiting != nullptr && text < chunkEnd) {
            if (*text == '\n') {  // the empty line
                p = reinterpret_cast<const unsigned char*>(text);
                ++text;
                ++line;
                behind = true;
                break;
            }
            const auto expected = static_cast<std::size_t>(std::clamp<int64_t>(declared - gathered, 0, kLinePairs));
            const std::size_t pairsEnd = (kDataColumn - 1) + 3 * expected;  // where the second blank is due
            const char* const lineFeed = text + pairsEnd + 1 + expected;
            const auto* const lineText = reinterpret_cast<const unsigned char*>(text);
            if (expected > 0 && lineFeed < chunkEnd && *lineFeed == '\n' && lineFeed[-1] != '\r' &&
                lineText[pairsEnd] == ' ' && NoLineFeedAmong16(text, kDataColumn - 1) &&
                NoLineFeedAmong16(text + pairsEnd + 1, expected) &&
                HexTriplesAt(lineText + (kDataColumn - 1), static_cast<int32_t>(expected))) {
                takeChecked(lineText + (kDataColumn - 1), static_cast<int64_t>(expected));
                text = lineFeed + 1;
                ++line;
                hasText = true;
                behind = true;
                continue;
            }
        }
        if (behind) catchUp();
        if (!nextLine()) return false;
        if (count == 0) break;
        hasText = true;
        if (count <= kDataColumn - 1) continue;
        const unsigned char* const pairs = p + (kDataColumn - 1);
        if (waiting != nullptr) {
            const int64_t expected = std::clamp<int64_t>(declared - gathered, 0, kLinePairs);
            const auto expectedCount = static_cast<std::size_t>(3 * expected);
            if (expected > 0 && count - (kDataColumn - 1) > expectedCount && pairs[expectedCount] == ' ' &&
                HexTriplesAt(pairs, static_cast<int32_t>(expected))) {
                takeChecked(pairs, expected);
                continue;
            }
            // gathered_ still counts the octets before the waiting lines.
            ConvertLines(waiting, reinterpret_cast<const char*>(p));
            waiting = nullptr;
        }
        const DataState data = TakeData(pairs, p + count, DataState::PairStart, true);
        if ((data == DataState::SecondDigit || data == DataState::Stopped) && badLines++ == 0) firstBadLine = line;
        gathered = gathered_;
        if (lead > 0 && gathered >= lead) waiting = text;
    }
    if (behind) catchUp();
    // The text stays in the chunk until the next read: Complete finds the
    // waiting lines there.
    convertedOctets_ = waiting != nullptr ? std::max(gathered_, std::min(lead, gathered)) : -1;
    unconvertedLine_ = waiting;
    unconvertedFrom_ = gathered_;
    frameEnd_ = reinterpret_cast<const char*>(p);
    gathered_ = gathered;
    lineNumber_ = line;
    frameLine_ = frameLine;
    frameHasText_ = hasText;
    declared_ = declared;
    direction_ = !useFileDirection_ ? '\x01' : reading.direction;
    if (badLines > 0) {
        if (badDataLines_ == 0) firstBadDataLine_ = firstBadLine;
        badDataLines_ += badLines;
    }
    EndFrame();
    start = text;
    block = scanned;
    feeds = rest;
    return true;
}

void TraceReader::ConvertLines(const char* line, const char* end) {
    while (line < end) {
        const char* lineFeed = static_cast<const char*>(std::memchr(line, '\n', static_cast<std::size_t>(end - line)));
        std::size_t count = static_cast<std::size_t>(lineFeed - line);
        if (count > 0 && lineFeed[-1] == '\r') --count;
        const auto* p = reinterpret_cast<const unsigned char*>(line);
        if (count > kDataColumn - 1) TakeData(p + (kDataColumn - 1), p + count, DataState::PairStart, true);
        line = lineFeed + 1;
    }
}

void TraceReader::Complete(TraceFrame& frame) {
    if (frame.converted >= frame.length || unconvertedLine_ == nullptr) return;
    gathered_ = unconvertedFrom_;
    ConvertLines(unconvertedLine_, frameEnd_);
    unconvertedLine_ = nullptr;
    frame.converted = frame.length;
}

// A whole length line: as TakeLengthText reads it in one piece from column
// 1, inlined into the line loop.
[[gnu::always_inline]] inline void TraceReader::TakeWholeLengthLine(const unsigned char* text, std::size_t count,
                                                                    LengthReading& reading) {
    constexpr std::size_t kNumberColumn = 9;
    constexpr std::size_t kDirectionColumn = 20;
    if (count >= kDirectionColumn) reading.direction = static_cast<char>(text[kDirectionColumn - 1]);
    const unsigned char* p = text + std::min(kNumberColumn - 1, count);
    const unsigned char* const stop = text + count;
    while (p < stop && *p == ' ') ++p;
    if (p == stop) return;  // blanks only: no number
    if (*p == '+' || *p == '-') reading.negative = *p++ == '-';
    int64_t magnitude = 0;
    for (; p < stop && *p >= '0' && *p <= '9'; ++p) {
        magnitude = std::min(magnitude * 10 + (*p - '0'), kNumberCeiling);
    }
    reading.magnitude = magnitude;
}

void TraceReader::TakeLengthText(const unsigned char* text, std::size_t count, int64_t firstColumn,
                                 LengthReading& reading) {
    constexpr int64_t kNumberColumn = 9;
    constexpr int64_t kDirectionColumn = 20;
    using Number = LengthReading::Number;
    if (firstColumn < kDirectionColumn && firstColumn + static_cast<int64_t>(count) >= kDirectionColumn) {
        reading.direction = static_cast<char>(text[kDirectionColumn - 1 - firstColumn]);
    }
    const int64_t skipped = std::clamp(kNumberColumn - 1 - firstColumn, int64_t{0}, static_cast<int64_t>(count));
    const unsigned char* p = text + skipped;
    const unsigned char* const stop = text + count;
    if (reading.number == Number::Blanks) {
        while (p < stop && *p == ' ') ++p;
        if (p < stop) {
            reading.number = Number::Digits;
            if (*p == '+' || *p == '-') reading.negative = *p++ == '-';
        }
    }
    if (reading.number == Number::Digits) {
        int64_t magnitude = reading.magnitude;
        for (; p < stop && *p >= '0' && *p <= '9'; ++p) {
            magnitude = std::min(magnitude * 10 + (*p - '0'), kNumberCeiling);
        }
        reading.magnitude = magnitude;
        if (p < stop) reading.number = Number::Done;
    }
}

// Hex pairs from state on: one blank between pairs is skipped; two blanks,
// any other character or a half pair end the data of the line (the last two
// are counted at the line end: the line held something other than the
// format's). A pair may be cut between two pieces of the line. Returns the
// state the text leaves.
[[gnu::always_inline]] inline TraceReader::DataState TraceReader::TakeData(const unsigned char* p,
                                                                           const unsigned char* const end,
                                                                           DataState state, bool inChunk) {
    // Held in locals: the octet stores could otherwise alias the members.
    int64_t gathered = gathered_;
    const int32_t limit = limit_;
    unsigned char* const octets = octets_;
    // A line of the chunk from its first pair on: the usual layout, up to
    // sixteen pairs each followed by one blank, is told by a few vector
    // compares over the next 48 characters (the chunk's buffer has room
    // behind its text for them), then only those pairs are converted, with
    // no further check. Whatever follows is left to the general walk.
    bool laidOut = false;
    if (inChunk && state == DataState::PairStart) {
        const HexLayout layout = HexLayoutOf(p, static_cast<std::size_t>(end - p));
        const int32_t kept = static_cast<int32_t>(std::clamp<int64_t>(limit - gathered, 0, layout.pairs));
        // Where the frame has room for them, all sixteen places are
        // converted, a fixed run of table look-ups with no branch per pair:
        // what lies beyond the pairs is stored, never handed out.
        if (gathered + 16 <= limit) {
#pragma GCC unroll 16
            for (int k = 0; k < 16; ++k) octets[gathered + k] = static_cast<unsigned char>(PairValue(p + 3 * k));
        } else {
            for (int32_t k = 0; k < kept; ++k) octets[gathered + k] = static_cast<unsigned char>(PairValue(p + 3 * k));
        }
        gathered += layout.pairs;
        p += layout.length;
        if (layout.blankBehind) state = DataState::AfterBlank;
        laidOut = true;
    }
    // Between pairs, the usual layout first: pairs each followed by one
    // blank, eight at a time, then one at a time. Whatever else comes is
    // left to the general walk below, in the same state. A group that turns
    // out not to be eight such pairs is walked again one pair at a time;
    // what it stored beyond the octets gathered is never handed out.
    if (!laidOut && (state == DataState::PairStart || state == DataState::AfterBlank)) {
        constexpr int kGroup = 8;
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
            state = DataState::AfterBlank;
        }
        while (end - p >= 3 && gathered < limit) {
            const uint16_t value = PairValue(p);
            if (value == kBadPair) break;
            octets[gathered++] = static_cast<unsigned char>(value);
            if (p[2] != ' ') {
                p += 2;
                state = DataState::PairStart;
                break;
            }
            p += 3;
            state = DataState::AfterBlank;
        }
    }
    // The general walk, one character at a time; past the octets kept it
    // only counts.
    for (; p != end; ++p) {
        if (*p == ' ' && state != DataState::SecondDigit) {
            if (state == DataState::AfterBlank) {
                state = DataState::Ended;
                break;
            }
            state = DataState::AfterBlank;
            continue;
        }
        const uint8_t value = kHexValues[*p];
        if (value >= 16) {  // no hex digit where one is due
            state = DataState::Stopped;
            break;
        }
        if (state == DataState::SecondDigit) {
            if (gathered < limit) octets[gathered] = static_cast<unsigned char>(firstDigit_ << 4 | value);
            if (gathered < kNumberCeiling) ++gathered;
            state = DataState::PairStart;
        } else {
            firstDigit_ = value;
            state = DataState::SecondDigit;
        }
    }
    gathered_ = gathered;
    return state;
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

}  // namespace korvex
