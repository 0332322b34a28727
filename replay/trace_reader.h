// Streaming reader of hex trace text: text in, frames out. Each frame of the
// text is a group of lines in a four-line cycle:
//   timestamp line  the timestamp in columns 25 to 33
//   length line     the declared octet count from column 9 on, the direction
//                   character in column 20
//   header line     not read
//   data lines      hex octet pairs from column 7 on, up to two blanks in a
//                   row or the line end; as many lines as the frame needs
//   empty line      ends the frame
// The reader holds one frame's octets and the state of the current line, so
// its memory stays flat whatever the size of the text or of its lines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <string_view>

#include "core/hex_scan.h"

namespace korvex {

struct TraceFrame {
    char timestamp[12] = "00:00.000";  // at most 9 characters, NUL-terminated
    char direction = ' ';              // direction tag of the frame's lines
    int32_t length = 0;                // octets to decode, 1 to 96 (to the reader's limit)
    const unsigned char* bytes = nullptr;  // the frame's octets (valid until the next read)
    int64_t endLine = 0;               // line number of the empty line that ended the frame
    // Leading octets of bytes converted from the text: all length of them,
    // unless the reader was given a sieve (TraceReader::SetSieve).
    int32_t converted = 0;
};

// What a reading of trace text found besides the frames it handed out.
struct TraceNotes {
    int64_t lines = 0;             // lines read
    int64_t skipped = 0;           // frames passed over with nothing to decode
    int64_t overlong = 0;          // frames cut to the reader's limit
    int64_t badDataLines = 0;      // data lines stopped by a character that is no pair
    int64_t firstBadDataLine = 0;  // the line number of the first of them (0 when none)
    int64_t unfinishedFrameLine = 0;  // where an unfinished last frame began (0 when none)

    // Adds the notes of a reading of the text that follows this one's (its
    // line numbers counted from 1 at the start of that text).
    void Append(const TraceNotes& later) {
        skipped += later.skipped;
        overlong += later.overlong;
        if (badDataLines == 0 && later.badDataLines > 0) firstBadDataLine = lines + later.firstBadDataLine;
        badDataLines += later.badDataLines;
        unfinishedFrameLine = later.unfinishedFrameLine > 0 ? lines + later.unfinishedFrameLine : 0;
        lines += later.lines;
    }
};

// Text handed to a reader piece by piece from its supplier's memory (a
// file mapped into memory, say), so that it is not copied into the
// reader's own buffer.
class TextPieces {
public:
    virtual ~TextPieces() = default;
    // The next piece of the text; empty at its end. It stays valid, with
    // kReadBehind more characters readable behind its end, until the next
    // call.
    virtual std::string_view Next() = 0;
    static constexpr std::size_t kReadBehind = 64;
};

class TraceReader {
public:
    // No frame is decoded with more octets than this.
    static constexpr int32_t kMaxFrameLength = 96;

    // With useFileDirection false every frame's direction tag is the value 1
    // instead of the character in column 20 of its length line.
    // chunkSize is how many characters one read of the stream asks for (1 to
    // kChunkCapacity); the frames read are the same whatever it is.
    static constexpr std::size_t kChunkCapacity = 65536;
    // maxFrameLength is the most octets of a frame handed out (at least
    // kMaxFrameLength): more than a decoder takes only for a reader that
    // copies frames elsewhere whole.
    explicit TraceReader(std::istream& in, bool useFileDirection = true,
                         std::size_t chunkSize = kChunkCapacity,
                         int32_t maxFrameLength = kMaxFrameLength);
    // The text in the pieces pieces hands out: the same frames as from a
    // stream of that text.
    explicit TraceReader(TextPieces& pieces, bool useFileDirection = true,
                         int32_t maxFrameLength = kMaxFrameLength);

    // The next frame to decode; false at the end of the text. Frames with no
    // octets, or with a declared length of 0 or below, are passed over: they
    // have nothing to decode.
    bool Next(TraceFrame& frame);

    // What a sieve says of a frame: hand it out, pass it over, or stop
    // reading (Next returns false, as at the end of the text).
    enum class Verdict { Take, PassOver, Stop };
    using Sieve = Verdict (*)(void* context, const TraceFrame& frame);

    // Asks sieve of every frame, before Next hands it out, whether to. It
    // looks at the frame's first lead octets (0: at all of them): a frame
    // whose text the reader holds whole has its data lines converted into
    // octets only until it holds that many (whole lines: at least that
    // many, or all it has; frame.converted says how many), its further
    // lines only checked, so lengths, counts and notes are the same; the
    // frames the sieve takes are converted whole before they are handed out.
    void SetSieve(int32_t lead, Sieve sieve, void* context) {
        lead_ = sieve != nullptr ? std::clamp(lead, 0, limit_) : 0;
        sieve_ = sieve;
        sieveContext_ = context;
    }

    // Frames of the text passed over so far because they had nothing to decode.
    int64_t SkippedFrames() const { return skipped_; }

    // Frames handed out so far whose length line declared more octets than
    // the reader hands out of a frame: they were cut.
    int64_t OverlongFrames() const { return overlong_; }
    int32_t MaxFrameLength() const { return limit_; }

    // Data lines so far whose hex pairs stopped at a character that is not
    // a hex digit pair (two blanks and the line end stop them as the format
    // says), and the line number of the first (0 when none).
    int64_t BadDataLines() const { return badDataLines_; }
    int64_t FirstBadDataLine() const { return firstBadDataLine_; }

    // Once Next has returned false: the line where a frame begins that the
    // text left unfinished (no closing empty line), or 0 when the text ends
    // between frames. Lines that are all empty do not begin a frame here.
    int64_t UnfinishedFrameLine() const;

    // The counts and line numbers above, and the lines read so far.
    TraceNotes Notes() const {
        return {lineNumber_, skipped_, overlong_, badDataLines_, firstBadDataLine_, UnfinishedFrameLine()};
    }

    // True when the text read so far ends where a frame may begin: at the
    // start of a line, the cycle at its timestamp line, no frame waiting to
    // be handed out. A reader that starts afresh on the text that follows
    // then reads the same frames, and notes the same, as this one would
    // (its line numbers counted from there). Meant to be asked by the
    // reader's TextPieces when the reader wants its next piece.
    bool BetweenFrames() const { return state_ == 0 && column_ == 0 && !pendingCr_ && !ready_; }

private:
    TraceReader(std::istream* in, TextPieces* pieces, bool useFileDirection, std::size_t chunkSize,
                int32_t maxFrameLength);

    // A length line read so far: the number from column 9 (leading blanks,
    // an optional sign, digits) and the character in column 20.
    struct LengthReading {
        enum class Number { Blanks, Digits, Done } number = Number::Blanks;
        bool negative = false;
        int64_t magnitude = 0;
        char direction = ' ';
    };
    // Where a data line's hex text stands: between pairs (after a pair, or
    // after one blank), inside a pair, or done: stopped at a character that
    // is no pair (a fault of the line), or ended by two blanks.
    enum class DataState { PairStart, AfterBlank, SecondDigit, Stopped, Ended };

    // The line grammar, read one piece of a line at a time: a whole line in
    // one piece when the chunk holds it, else the pieces the chunks cut it
    // into (down to single characters); the state of the line carries over
    // from piece to piece, so the frames are the same either way.
    bool TakeText(const char* text, std::size_t count, int64_t first, bool lineEnds);
    // A whole frame from the start of its cycle, where the chunk holds all
    // its lines up to the empty line that ends it: the reading TakeText gives
    // line by line, with the cycle kept in locals. start is the frame's first
    // line, whose line feed is the lowest bit of feeds (the line feeds of the
    // block at offset block); all three move past the frame. False, with
    // nothing changed that reading the lines one by one would not set again,
    // when the chunk ends first.
    bool TakeWholeFrame(const char*& start, std::size_t& block, uint64_t& feeds);
    // Converts the data lines from line up to end (a line start) of the
    // current frame, its octets from gathered_ on.
    void ConvertLines(const char* line, const char* end);
    static void TakeLengthText(const unsigned char* text, std::size_t count, int64_t firstColumn,
                               LengthReading& reading);
    static void TakeWholeLengthLine(const unsigned char* text, std::size_t count, LengthReading& reading);
    DataState TakeData(const unsigned char* p, const unsigned char* end, DataState state, bool inChunk);
    void EndFrame();
    bool FrameReady(TraceFrame& frame);
    // The ready frame into frame, and the sieve's verdict on it: true when
    // it is handed out.
    bool Sift(TraceFrame& frame);
    // Converts the rest of the frame whose octets the lead left unconverted.
    void Complete(TraceFrame& frame);
    void BadDataLine();

    // The first line feed of the chunk at or after from; nullptr when the
    // chunk has none from there on.
    const char* FindLineFeed(const char* from);
    // A bit for each line feed of the kScanBlock characters of the chunk from
    // offset block on (at most chunkSize_).
    uint64_t ScanBlock(std::size_t block) const;

    std::istream* in_ = nullptr;
    TextPieces* pieces_ = nullptr;
    bool useFileDirection_;
    std::size_t chunkLimit_;
    // The chunk, with room behind it for a whole block of the line feed scan.
    static constexpr std::size_t kScanBlock = kLineFeedBlock;
    static_assert(TextPieces::kReadBehind >= kScanBlock && TextPieces::kReadBehind >= kHexLayoutReach);
    char buffer_[kChunkCapacity + kScanBlock] = {};
    const char* chunk_ = buffer_;  // the reader's buffer, or a piece
    std::size_t chunkSize_ = 0;
    std::size_t chunkPos_ = 0;
    bool atEnd_ = false;
    // The line feeds of the chunk are found a block of kScanBlock characters
    // at a time: the block scanned last (its offset in the chunk) and a bit
    // for each line feed in it not yet handed out.
    static constexpr std::size_t kNoBlock = ~std::size_t{0};
    std::size_t scanBlock_ = kNoBlock;
    uint64_t scanFeeds_ = 0;

    // The cycle.
    int state_ = 0;
    int64_t lineNumber_ = 0;
    int64_t frameLine_ = 0;      // the line the current frame began on
    bool frameHasText_ = false;  // a line of the current frame held anything

    // The current line: its reading starts afresh at column 1, and only a
    // line the chunks cut into pieces keeps it here from piece to piece.
    int64_t column_ = 0;      // characters of the line taken so far
    bool pendingCr_ = false;  // a carriage return ended the last piece: line end or character
    LengthReading length_;
    DataState dataState_ = DataState::PairStart;
    int firstDigit_ = 0;      // of a pair the last piece cut

    // The current frame.
    char timestamp_[12] = "00:00.000";
    char direction_ = ' ';
    int64_t declared_ = 0;
    int64_t gathered_ = 0;
    int32_t limit_;  // octets of a frame kept
    unsigned char inline_[kMaxFrameLength] = {};
    std::unique_ptr<unsigned char[]> large_;  // for a limit above kMaxFrameLength
    unsigned char* octets_;

    // The sieve, with the octets it looks at.
    int32_t lead_ = 0;
    Sieve sieve_ = nullptr;
    void* sieveContext_ = nullptr;
    bool stopped_ = false;  // the sieve said stop
    // Of the frame read last with a lead: the octets converted (-1: all),
    // the first data line not converted whole, and the empty line that
    // ended the frame.
    int64_t convertedOctets_ = -1;
    const char* unconvertedLine_ = nullptr;
    int64_t unconvertedFrom_ = 0;  // the octet the line begins with
    const char* frameEnd_ = nullptr;

    // A frame completed by the last line, waiting to be handed out.
    bool ready_ = false;
    int64_t readyLine_ = 0;
    int64_t skipped_ = 0;
    int64_t overlong_ = 0;
    int64_t badDataLines_ = 0;
    int64_t firstBadDataLine_ = 0;
};

// Value of a hex digit character, either case; 16 for any other character.
int HexDigitValue(char c);

}  // namespace korvex
