// The hex trace reader: the four-line cycle and how each line is read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <random>
#include <sstream>
#include <string_view>
#include <string>
#include <vector>

#include "replay/trace_reader.h"

namespace korvex {
namespace {

struct Frame {
    std::string timestamp;
    char direction;
    std::vector<int> octets;
    bool operator==(const Frame&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Frame& f) {
    os << "{\"" << f.timestamp << "\", '" << f.direction << "', [";
    for (int o : f.octets) os << std::hex << o << ' ';
    return os << "]}";
}

// Every frame a reader hands out; each comes converted whole.
std::vector<Frame> FramesOf(TraceReader& reader) {
    std::vector<Frame> frames;
    TraceFrame f;
    while (reader.Next(f)) {
        EXPECT_EQ(f.converted, f.length);
        frames.push_back({f.timestamp, f.direction, {f.bytes, f.bytes + f.length}});
    }
    return frames;
}

std::vector<Frame> Read(const std::string& text, bool useFileDirection = true,
                        std::size_t chunkSize = TraceReader::kChunkCapacity) {
    std::istringstream in(text);
    TraceReader reader(in, useFileDirection, chunkSize);
    return FramesOf(reader);
}

// Lines of one frame record: timestamp in columns 25 to 33, length from
// column 9 with the direction in column 20, a header, the data lines, the
// empty line.
std::string Record(const std::string& timestamp, const std::string& length, char direction,
                   const std::vector<std::string>& data) {
    std::string lengthLine = "Length: " + length;
    lengthLine.resize(19, ' ');
    lengthLine += direction;
    std::string text = "Frame                   " + timestamp + "\n" + lengthLine + "\nOffset  Data\n";
    for (const std::string& d : data) text += "0000: " + d + "\n";
    return text + "\n";
}

struct ReaderCase {
    const char* name;
    std::string text;
    std::vector<Frame> frames;
};

TEST(TraceReader, ReadsFramesAsDecided) {
    const std::string longData = [] {
        std::string d;
        for (int i = 0; i < 40; ++i) d += "AB ";
        return d + " printable text";
    }();
    const std::vector<ReaderCase> cases = {
        {"one frame of three octets",
         Record("12:01.250", "3", 'U', {"02 01 7F  ..."}),
         {{"12:01.250", 'U', {0x02, 0x01, 0x7f}}}},
        {"two frames",
         Record("12:01.250", "2", 'U', {"01 02"}) + Record("12:01.300", "1", 'N', {"FF"}),
         {{"12:01.250", 'U', {1, 2}}, {"12:01.300", 'N', {0xff}}}},
        {"a line longer than 99 characters is one line",
         Record("00:00.001", "40", 'N', {longData}),
         {{"00:00.001", 'N', std::vector<int>(40, 0xab)}}},
        {"octets may follow each other without a blank",
         Record("00:00.002", "3", 'U', {"0A0B0C"}),
         {{"00:00.002", 'U', {0x0a, 0x0b, 0x0c}}}},
        {"hex digits of either case",
         Record("00:00.003", "3", 'U', {"0A0B 0c"}),
         {{"00:00.003", 'U', {0x0a, 0x0b, 0x0c}}}},
        {"a character that is no hex digit ends the data",
         Record("00:00.004", "3", 'U', {"0A0G 0C"}),
         {{"00:00.004", 'U', {0x0a}}}},
        {"a pair cut by the line end stores nothing",
         Record("00:00.005", "3", 'U', {"0A 0"}),
         {{"00:00.005", 'U', {0x0a}}}},
        {"two blanks end the data",
         Record("00:00.006", "3", 'U', {"0A 0B  0C"}),
         {{"00:00.006", 'U', {0x0a, 0x0b}}}},
        {"several data lines",
         Record("00:00.007", "5", 'U', {"01 02", "03", "04 05"}),
         {{"00:00.007", 'U', {1, 2, 3, 4, 5}}}},
        {"declared length above 96 decodes 96",
         Record("00:00.008", "150", 'U', {std::string(100 * 2, '1')}),
         {{"00:00.008", 'U', std::vector<int>(96, 0x11)}}},
        {"fewer octets than declared decode what was given",
         Record("00:00.009", "4", 'U', {"01 02 03 04"}) + Record("00:00.010", "4", 'U', {"09"}),
         {{"00:00.009", 'U', {1, 2, 3, 4}}, {"00:00.010", 'U', {9}}}},
        {"octets beyond the declared length are ignored",
         Record("00:00.011", "2", 'U', {"01 02 03"}),
         {{"00:00.011", 'U', {1, 2}}}},
        {"a length too large for 32 bits is above 96",
         Record("00:00.012", "99999999999999999999", 'U', {"01 02"}),
         {{"00:00.012", 'U', {1, 2}}}},
        {"blanks and a plus sign before the length",
         Record("00:00.013", "   +2", 'U', {"01 02 03"}),
         {{"00:00.013", 'U', {1, 2}}}},
        {"zero, negative and missing lengths are not decoded",
         Record("00:00.014", "0", 'U', {"01"}) + Record("00:00.015", "-3", 'U', {"01"}) +
             Record("00:00.016", "-99999999999999999999", 'U', {"01"}) +
             Record("00:00.017", "x", 'U', {"01"}) + Record("00:00.018", "\t1", 'U', {"01"}) +
             Record("00:00.019", "1", 'N', {"07"}),
         {{"00:00.019", 'N', {7}}}},
        {"a frame without octets is not decoded",
         Record("00:00.020", "3", 'U', {"  01 02"}) + Record("00:00.021", "1", 'U', {"05"}),
         {{"00:00.021", 'U', {5}}}},
        {"a last frame without its empty line is not decoded",
         Record("00:00.022", "1", 'U', {"01"}) + "Frame                   00:00.023\nLength: 1          U\nhdr\n0000: 02\n",
         {{"00:00.022", 'U', {1}}}},
        {"a data line shorter than 7 characters gives nothing",
         "Frame                   00:00.024\nLength: 1          U\nhdr\n0000:\n0000: 03\n\n",
         {{"00:00.024", 'U', {3}}}},
        {"short timestamp and length lines",
         "Frame                   00:0\nLength: 2\nhdr\n0000: 01 02\n\n"
         "short\nLength: 1   \nhdr\n0000: 03\n\n",
         {{"00:0", ' ', {1, 2}}, {"", ' ', {3}}}},
        {"the timestamp is nine characters, not the line end",
         "Frame                   00:00.025 and more\nLength: 1          N more\nhdr\n0000: 04\n\n",
         {{"00:00.025", 'N', {4}}}},
        {"CR LF lines read like LF lines",
         "Frame                   00:00.026\r\nLength: 2          U\r\nhdr\r\n0000: 01 02\r\n\r\n",
         {{"00:00.026", 'U', {1, 2}}}},
        {"a last line without line end",
         "Frame                   00:00.027\nLength: 1          U\nhdr\n0000: 01\n",
         {}},
    };
    // Whole lines in one read and lines cut across reads at every place read
    // the same.
    for (const ReaderCase& c : cases) {
        for (std::size_t chunk : {TraceReader::kChunkCapacity, std::size_t{1}, std::size_t{7}}) {
            EXPECT_EQ(Read(c.text, true, chunk), c.frames) << c.name << ", chunks of " << chunk;
        }
    }
}

// What the reader tells of a whole text besides its frames.
struct ReadingNotes {
    int64_t overlong;
    int64_t badLines;
    int64_t firstBadLine;
    int64_t unfinishedLine;
    bool operator==(const ReadingNotes&) const = default;
};

std::ostream& operator<<(std::ostream& os, const ReadingNotes& n) {
    return os << "{overlong " << n.overlong << ", bad lines " << n.badLines << " from " << n.firstBadLine
              << ", unfinished at " << n.unfinishedLine << "}";
}

// The notes of a reader that has read its text.
ReadingNotes NotesOf(const TraceReader& reader) {
    return {reader.OverlongFrames(), reader.BadDataLines(), reader.FirstBadDataLine(), reader.UnfinishedFrameLine()};
}

ReadingNotes Notes(const std::string& text, std::size_t chunkSize, int32_t maxFrameLength = TraceReader::kMaxFrameLength) {
    std::istringstream in(text);
    TraceReader reader(in, true, chunkSize, maxFrameLength);
    TraceFrame f;
    while (reader.Next(f)) {
    }
    return NotesOf(reader);
}

TEST(TraceReader, RandomTextReadsTheSameWhateverTheReadSize) {
    // Texts of record-like lines with damage: stray carriage returns, blanks,
    // half pairs, non-hex characters, long and missing lines.
    const char* pieces[] = {"Frame                   12:01.250", "Length: 5          U", "Length: -3",
                            "Length:  +4x        N", "Length:", "Frame                   12:0",
                            "Offset  Data", "0000: 0a 1B 2c  text", "0000: 0a1b2", "0000:  ff",
                            "0000: 0g 11", "0000: 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10",
                            "", "\r", " ", "x", "0000: 7f\r\r",
                            // Longer than two 64-character blocks of the line feed scan.
                            "0000: 00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10 11 12 13 14 15 16 17 18 19 1a "
                            "1b 1c 1d 1e 1f 20 21 22 23 24 25 26 27 28 29  ................................"};
    std::mt19937 rng(1234);
    std::size_t framesRead = 0;
    for (int round = 0; round < 200; ++round) {
        std::string text;
        const int lines = static_cast<int>(rng() % 60);
        for (int i = 0; i < lines; ++i) {
            text += pieces[rng() % std::size(pieces)];
            text += rng() % 8 == 0 ? "\r\n" : "\n";
        }
        if (rng() % 2 == 0) text += pieces[rng() % std::size(pieces)];  // no line end at the end
        const auto whole = Read(text);
        framesRead += whole.size();
        for (std::size_t chunk : {std::size_t{1}, std::size_t{2}, std::size_t{5}, std::size_t{64}, std::size_t{100}}) {
            ASSERT_EQ(Read(text, true, chunk), whole) << "round " << round << ", chunks of " << chunk;
            ASSERT_EQ(Notes(text, chunk), Notes(text, TraceReader::kChunkCapacity)) << "round " << round;
        }
    }
    EXPECT_GT(framesRead, 100u);  // the texts do hold frames to compare
}

TEST(TraceReader, DataLinesOfEveryLengthWithOneFaultAnywhereReadAlike) {
    // Data lines of 1 to 40 pairs in the usual layout ("HH " each, two
    // blanks, a printable rendering), each spoiled in one of these ways at
    // one place; frames that reach the 96-octet cap in the middle of a line.
    // Read whole, a line goes pair by pair in groups; read in pieces, each
    // piece goes on from the state the last one left: all agree, and a
    // clean line gives its pairs.
    struct Fault {
        const char* name;
        std::string (*apply)(std::string line, std::size_t at);
        // The data stops at a character that is not a hex digit pair: always,
        // never, or only when the last pair is spoiled.
        enum { Never, Always, AtLastPair } stopsData;
    };
    const Fault faults[] = {
        {"none", [](std::string line, std::size_t) { return line; }, Fault::Never},
        {"lower-case digit", [](std::string line, std::size_t at) { line[at] = 'c'; return line; }, Fault::Never},
        {"not a digit", [](std::string line, std::size_t at) { line[at] = 'G'; return line; }, Fault::Always},
        {"second digit not a digit", [](std::string line, std::size_t at) { line[at + 1] = ':'; return line; }, Fault::Always},
        // Behind the last pair, the rendering then follows one blank only.
        {"no blank behind the pair", [](std::string line, std::size_t at) { return line.erase(at + 2, 1); },
         Fault::AtLastPair},
        {"two blanks behind the pair", [](std::string line, std::size_t at) { return line.insert(at + 2, " "); }, Fault::Never},
        {"half a pair", [](std::string line, std::size_t at) { return line.erase(at + 1, 1); }, Fault::Always},
        {"line ends inside the pair", [](std::string line, std::size_t at) { return line.substr(0, at + 1); }, Fault::Always},
        {"carriage return in the line", [](std::string line, std::size_t at) { line[at + 2] = '\r'; return line; }, Fault::Always},
        // Characters next to the digits' and letters' ranges, and one with
        // the high bit set.
        {"character below 0", [](std::string line, std::size_t at) { line[at] = '/'; return line; }, Fault::Always},
        {"character above f", [](std::string line, std::size_t at) { line[at + 1] = 'g'; return line; }, Fault::Always},
        {"character below a", [](std::string line, std::size_t at) { line[at] = '`'; return line; }, Fault::Always},
        {"character below A", [](std::string line, std::size_t at) { line[at + 1] = '@'; return line; }, Fault::Always},
        {"high-bit character", [](std::string line, std::size_t at) { line[at] = '\xC6'; return line; }, Fault::Always},
        {"tab for the blank", [](std::string line, std::size_t at) { line[at + 2] = '\t'; return line; }, Fault::Always},
    };
    std::size_t clean = 0;
    for (int pairs = 1; pairs <= 40; ++pairs) {
        std::string line;  // Record() puts the offset in front
        std::vector<int> octets;
        for (int i = 0; i < pairs; ++i) {
            const int octet = (i * 29 + pairs) & 0xFF;
            const char* digits = "0123456789ABCDEF";
            line += digits[octet >> 4];
            line += digits[octet & 15];
            line += ' ';
            octets.push_back(octet);
        }
        line += " ..printable..";
        for (const Fault& fault : faults) {
            for (int at = 0; at < pairs; at += fault.apply == faults[0].apply ? pairs : 1) {
                const std::string spoiled = fault.apply(line, 3 * static_cast<std::size_t>(at));
                // Three lines of the same data: past 96 octets from 3 x 33 on.
                const std::string text = Record("00:00.001", "200", 'U', {spoiled, spoiled, spoiled});
                const auto whole = Read(text);
                // One character at a time, and pieces that cut lines at
                // places that move from line to line (a pair too).
                for (std::size_t chunk : {std::size_t{1}, std::size_t{37}}) {
                    ASSERT_EQ(Read(text, true, chunk), whole)
                        << fault.name << " at pair " << at << " of " << pairs << ", chunks of " << chunk;
                    ASSERT_EQ(Notes(text, chunk), Notes(text, TraceReader::kChunkCapacity))
                        << fault.name << " at pair " << at << " of " << pairs << ", chunks of " << chunk;
                }
                const bool stops = fault.stopsData == Fault::Always || (fault.stopsData == Fault::AtLastPair && at == pairs - 1);
                EXPECT_EQ(Notes(text, TraceReader::kChunkCapacity).badLines, stops ? 3 : 0)
                    << fault.name << " at pair " << at << " of " << pairs;
                if (fault.apply == faults[0].apply) {
                    std::vector<int> expected;
                    for (int copy = 0; copy < 3; ++copy) expected.insert(expected.end(), octets.begin(), octets.end());
                    expected.resize(std::min<std::size_t>(expected.size(), 96));
                    ASSERT_EQ(whole, (std::vector<Frame>{{"00:00.001", 'U', expected}})) << pairs << " pairs";
                    ++clean;
                }
            }
        }
    }
    EXPECT_EQ(clean, 40u);
}

TEST(TraceReader, TellsWhatTheFormatDidNotHold) {
    const std::string frame = Record("00:00.001", "2", 'U', {"01 02"});  // five lines
    const struct {
        const char* name;
        std::string text;
        ReadingNotes notes;
    } cases[] = {
        {"a clean text", frame + frame, {0, 0, 0, 0}},
        {"a rendering after two blanks, a blank at the end", Record("00:00.001", "2", 'U', {"01 02  ..", "03 "}), {0, 0, 0, 0}},
        {"half a pair, then a line of no pair", Record("00:00.001", "2", 'U', {"01 0", "x"}), {0, 2, 4, 0}},
        {"half a pair before a blank", Record("00:00.001", "2", 'U', {"01 0 2"}), {0, 1, 4, 0}},
        {"a line too short to hold data is no fault", "Frame\nLength: 1\nhdr\n0000:\n0000: 01\n\n", {0, 0, 0, 0}},
        {"a declared length above the limit", Record("00:00.001", "97", 'U', {"01"}) + frame, {1, 0, 0, 0}},
        {"a frame passed over is not counted long", Record("00:00.001", "200", 'U', {""}), {0, 0, 0, 0}},
        {"the same without a line end", frame + "Frame\nLength: 1\nhdr\n0000: 01", {0, 0, 0, 6}},
        {"a last frame of one line", frame + "Frame", {0, 0, 0, 6}},
        {"empty lines after the last frame", frame + "\n\n\r\n", {0, 0, 0, 0}},
        {"a frame cut after an empty timestamp line", frame + "\nLength: 1\n", {0, 0, 0, 6}},
    };
    for (const auto& c : cases) {
        for (std::size_t chunk : {TraceReader::kChunkCapacity, std::size_t{1}, std::size_t{7}}) {
            EXPECT_EQ(Notes(c.text, chunk), c.notes) << c.name << ", chunks of " << chunk;
        }
    }
    // A reader that keeps longer frames counts only those above its limit.
    const std::string long200 = Record("00:00.001", "200", 'U', {std::string(200 * 2, '5')});
    EXPECT_EQ(Notes(long200, TraceReader::kChunkCapacity), (ReadingNotes{1, 0, 0, 0}));
    EXPECT_EQ(Notes(long200, TraceReader::kChunkCapacity, 200), (ReadingNotes{0, 0, 0, 0}));
    EXPECT_EQ(Notes(long200, 3, 199), (ReadingNotes{1, 0, 0, 0}));
}

TEST(TraceReader, DirectionIsOneWhenTheFileDirectionIsNotUsed) {
    EXPECT_EQ(Read(Record("00:00.000", "1", 'U', {"01"}), false),
              (std::vector<Frame>{{"00:00.000", '\x01', {1}}}));
}

TEST(TraceReader, TextArrivingInSmallPiecesReadsTheSame) {
    // More than one read chunk of text: a large file of many frames.
    std::string text;
    std::vector<Frame> expected;
    for (int i = 0; i < 3000; ++i) {
        char ts[16];
        std::snprintf(ts, sizeof ts, "00:%02d.%03d", i / 1000, i % 1000);
        text += Record(ts, "3", i % 2 ? 'U' : 'N', {"01 02 03  some printable text to make it long"});
        expected.push_back({ts, i % 2 ? 'U' : 'N', {1, 2, 3}});
    }
    EXPECT_EQ(Read(text), expected);
}

// Text handed out in pieces of a given size, each copied where the reader
// may read past its end.
class Pieces final : public TextPieces {
public:
    Pieces(std::string text, std::size_t size) : text_(std::move(text)), size_(size) {}
    std::string_view Next() override {
        const std::size_t n = std::min(size_, text_.size() - at_);
        piece_.assign(text_, at_, n);
        piece_.resize(n + kReadBehind, '#');
        at_ += n;
        return {piece_.data(), n};
    }

private:
    std::string text_;
    std::size_t size_;
    std::size_t at_ = 0;
    std::string piece_;
};

// The frames a sieve with a lead takes (every third, and it stops reading
// after frame stopAfter when that is above 0), with the number of frames it
// was asked about and the notes.
struct Sieved {
    std::vector<Frame> taken;
    int asked = 0;
    ReadingNotes notes;
};

Sieved ReadSieved(const std::string& text, int32_t lead, int stopAfter = 0) {
    struct Context {
        int asked = 0;
        int stopAfter = 0;
        int32_t lead = 0;
        bool leadOctetsThere = true;
    } context{0, stopAfter, lead, true};
    std::istringstream in(text);
    TraceReader reader(in);
    reader.SetSieve(
        lead,
        [](void* c, const TraceFrame& f) {
            auto* context = static_cast<Context*>(c);
            const int number = context->asked++;
            // The octets the sieve looks at are there.
            if (f.converted < std::min(context->lead, f.length)) context->leadOctetsThere = false;
            if (context->stopAfter > 0 && number == context->stopAfter) return TraceReader::Verdict::Stop;
            return number % 3 == 0 ? TraceReader::Verdict::Take : TraceReader::Verdict::PassOver;
        },
        &context);
    Sieved result;
    result.taken = FramesOf(reader);
    EXPECT_TRUE(context.leadOctetsThere);
    result.asked = context.asked;
    result.notes = NotesOf(reader);
    return result;
}

TEST(TraceReader, PiecesAndSievesReadTheFramesAStreamReads) {
    // Frames in the usual layout, sixteen pairs a line and two blanks before
    // the rendering, of 1 to 60 octets; in some, one line spoiled in one of
    // these ways (the declared length may also disagree with the pairs).
    // Read through pieces of any size, the frames and notes are those of
    // the stream; a sieve sees every frame, and the frames it takes come
    // whole, as the stream gives them, whatever of their text it did not
    // convert at first.
    struct Damage {
        const char* name;
        void (*apply)(std::vector<std::string>& lines, std::string& length, std::size_t line);
    };
    const Damage damages[] = {
        {"none", [](std::vector<std::string>&, std::string&, std::size_t) {}},
        {"not a digit", [](std::vector<std::string>& l, std::string&, std::size_t i) { l[i][4] = 'G'; }},
        {"half a pair", [](std::vector<std::string>& l, std::string&, std::size_t i) { l[i].erase(3, 1); }},
        {"line cut in a pair", [](std::vector<std::string>& l, std::string&, std::size_t i) { l[i].resize(4); }},
        {"no rendering", [](std::vector<std::string>& l, std::string&, std::size_t i) {
             l[i].resize(l[i].find("  "));
         }},
        {"one blank before the rendering", [](std::vector<std::string>& l, std::string&, std::size_t i) {
             l[i].erase(l[i].find("  "), 1);
         }},
        {"carriage return", [](std::vector<std::string>& l, std::string&, std::size_t i) { l[i][2] = '\r'; }},
        {"offset only", [](std::vector<std::string>& l, std::string&, std::size_t i) { l[i] = ""; }},
        {"declared longer", [](std::vector<std::string>&, std::string& length, std::size_t) { length += "0"; }},
        {"declared shorter", [](std::vector<std::string>&, std::string& length, std::size_t) { length = "2"; }},
        {"declared none", [](std::vector<std::string>&, std::string& length, std::size_t) { length = "0"; }},
    };
    std::mt19937 rng(4321);
    std::string text;
    for (int i = 0; i < 600; ++i) {
        const int octets = 1 + static_cast<int>(rng() % 60);
        std::vector<std::string> lines;
        for (int at = 0; at < octets; at += 16) {
            std::string line;
            for (int k = at; k < std::min(octets, at + 16); ++k) {
                line += "0123456789abcdef"[(k * 7 + i) % 16];
                line += "0123456789ABCDEF"[(k * 5 + i / 16) % 16];
                line += ' ';
            }
            lines.push_back(line + " rendering..");
        }
        std::string length = std::to_string(octets);
        const Damage& damage = damages[rng() % 3 == 0 ? rng() % std::size(damages) : 0];
        damage.apply(lines, length, rng() % lines.size());
        char ts[16];
        std::snprintf(ts, sizeof ts, "00:%02d.%03d", i / 1000, i % 1000);
        text += Record(ts, length, i % 2 ? 'U' : 'N', lines);
    }
    const auto whole = Read(text);
    const ReadingNotes notes = Notes(text, TraceReader::kChunkCapacity);
    ASSERT_GT(whole.size(), 500u);
    ASSERT_GT(notes.badLines, 10);
    for (std::size_t size : {std::size_t{1}, std::size_t{7}, std::size_t{64}, std::size_t{4096}, text.size()}) {
        Pieces pieces(text, size);
        TraceReader reader(pieces);
        EXPECT_EQ(FramesOf(reader), whole) << "pieces of " << size;
        EXPECT_EQ(NotesOf(reader), notes) << "pieces of " << size;
    }
    for (int32_t lead : {1, 2, 20}) {
        const Sieved sieved = ReadSieved(text, lead);
        EXPECT_EQ(sieved.asked, static_cast<int>(whole.size())) << "lead " << lead;
        EXPECT_EQ(sieved.notes, notes) << "lead " << lead;
        std::vector<Frame> everyThird;
        for (std::size_t i = 0; i < whole.size(); i += 3) everyThird.push_back(whole[i]);
        EXPECT_EQ(sieved.taken, everyThird) << "lead " << lead;
    }
    // A sieve that stops: nothing is read past the frame it stopped at.
    const Sieved stopped = ReadSieved(text, 2, 10);
    EXPECT_EQ(stopped.asked, 11);
    EXPECT_EQ(stopped.taken.size(), 4u);
}

TEST(HexDigitValue, DigitsOfEitherCaseAndSixteenForTheRest) {
    const std::string digits = "0123456789ABCDEF";
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(HexDigitValue(digits[static_cast<std::size_t>(i)]), i);
        EXPECT_EQ(HexDigitValue(static_cast<char>(std::tolower(digits[static_cast<std::size_t>(i)]))), i);
    }
    for (char c : {'g', 'G', ' ', '\0', '\n', '/', ':', '@', '`'}) EXPECT_EQ(HexDigitValue(c), 16) << c;
}

}  // namespace
}  // namespace korvex
