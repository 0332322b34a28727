// The tool's way from input to output: the large output buffer that frames
// are decoded into, which must write exactly what the stream path writes and
// still let a live capture's text out as it comes, and the input buffer's
// large reads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "capture_files.h"
#include "cli/commands.h"
#include "cli/frame_output.h"
#include "cli/mapped_file.h"
#include "cli/options.h"
#include "cli/output_buffer.h"
#include "replay/trace_reader.h"
#include "test_support.h"

namespace korvex {
namespace {

std::string SamplePath(const char* name) { return std::string(KORVEX_SAMPLES_DIR) + "/" + name; }

// A scratch file that an OutputBuffer writes into, read back afterwards.
class ScratchFile {
public:
    ScratchFile() {
        char name[] = "/tmp/korvex-output-XXXXXX";
        fd_ = ::mkstemp(name);
        path_ = name;
    }
    ~ScratchFile() {
        if (fd_ >= 0) ::close(fd_);
        std::filesystem::remove(path_);
    }
    int Fd() const { return fd_; }
    std::string Text() const {
        std::ifstream in(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    int fd_ = -1;
    std::string path_;
};

TEST(OutputBuffer, StreamAndInPlaceWritesComeOutInTheirOrder) {
    struct Step {
        bool inPlace;  // written into the free part, else through the stream
        std::string text;
    };
    struct Case {
        const char* name;
        std::size_t size;
        std::vector<Step> steps;
    };
    const std::string big(100, 'x');
    const std::vector<Case> cases = {
        {"stream only", 16, {{false, "abc"}, {false, "def"}}},
        {"in place between stream writes", 16, {{false, "abc"}, {true, "XYZ"}, {false, "def"}}},
        {"a stream write that does not fit drains first", 16,
         {{true, "0123456789"}, {false, "abcdefghij"}, {true, "!"}}},
        {"a write as large as the buffer goes out as it is", 16, {{false, "ab"}, {false, big}, {false, "cd"}}},
        {"the buffer filled exactly in place", 8, {{true, "12345678"}, {false, "9"}}},
        {"single characters", 2, {{false, "a"}, {false, "b"}, {false, "c"}, {true, "d"}, {false, "e"}}},
    };
    for (const Case& c : cases) {
        ScratchFile file;
        std::string expected;
        {
            cli::OutputBuffer buffer(file.Fd(), c.size);
            std::ostream out(&buffer);
            for (const Step& step : c.steps) {
                expected += step.text;
                if (!step.inPlace) {
                    if (step.text.size() == 1) {
                        out.put(step.text[0]);
                    } else {
                        out << step.text;
                    }
                    continue;
                }
                std::size_t room = 0;
                char* at = buffer.Free(room);
                if (room < step.text.size()) {
                    ASSERT_TRUE(buffer.Drain());
                    at = buffer.Free(room);
                }
                ASSERT_GE(room, step.text.size()) << c.name;
                step.text.copy(at, step.text.size());
                buffer.Commit(step.text.size());
            }
            EXPECT_TRUE(out.good()) << c.name;
        }  // the buffer writes out what is pending as it goes
        EXPECT_EQ(file.Text(), expected) << c.name;
    }
}

TEST(OutputBuffer, AFailedWriteFailsTheStreamAndDropsTheRest) {
    const int full = ::open("/dev/full", O_WRONLY);
    if (full < 0) GTEST_SKIP() << "no /dev/full here";
    {
        cli::OutputBuffer buffer(full, 64);
        std::ostream out(&buffer);
        out << "some text";
        out.flush();
        EXPECT_TRUE(out.bad());
        EXPECT_FALSE(buffer.Drain());
        out.clear();
        out << std::string(200, 'x');  // larger than the buffer: dropped as well
        EXPECT_TRUE(out.bad());
    }
    ::close(full);
}

// The text of a sample through TraceOutput into a stream.
std::string ThroughStream(const std::string& path, KorvexDecoder decoder, uint32_t flags, bool ipAfterEthernet) {
    std::ifstream in(path, std::ios::binary);
    TraceReader reader(in);
    std::ostringstream out;
    cli::TraceOutput output(out, decoder, flags, false);
    if (ipAfterEthernet) output.DecodeIpAfterEthernet(DecodeIp);
    output.Run(reader);
    return out.str();
}

// The same through an OutputBuffer of the given size, decoded in place.
std::string ThroughOutputBuffer(const std::string& path, KorvexDecoder decoder, uint32_t flags,
                                bool ipAfterEthernet, std::size_t size) {
    ScratchFile file;
    {
        std::ifstream in(path, std::ios::binary);
        TraceReader reader(in);
        cli::OutputBuffer buffer(file.Fd(), size);
        std::ostream out(&buffer);
        cli::TraceOutput output(out, decoder, flags, false);
        if (ipAfterEthernet) output.DecodeIpAfterEthernet(DecodeIp);
        output.Run(reader);
        out.flush();
    }
    return file.Text();
}

TEST(TraceOutput, DecodingIntoTheOutputBufferWritesWhatTheStreamPathWrites) {
    struct Sample {
        const char* file;
        KorvexDecoder decoder;
        bool ipAfterEthernet;
    };
    const Sample samples[] = {{"lapd.txt", DecodeLapd, false}, {"q922.txt", DecodeLapf, false},
                              {"q931.txt", DecodeQ931, false}, {"x25.txt", DecodeX25, false},
                              {"eth.txt", DecodeEthernet, false}, {"eth.txt", DecodeEthernet, true},
                              {"ip.txt", DecodeIp, false},     {"ip.txt", DecodeLapd, false}};
    // Just above the 64 KB kept free for a frame (drained every few
    // frames), the tool's own size, and too small to decode into at all.
    const std::size_t sizes[] = {64 * 1024 + 100, cli::OutputBuffer::kDefaultSize, 4096};
    for (const Sample& s : samples) {
        for (uint32_t flags : {DECODE_SUMMARY, DECODE_DETAIL, DECODE_DETAIL | DECODE_HEX,
                               DECODE_DETAIL | DECODE_HEX | DECODE_LAYER3, 0xFFu}) {
            const std::string path = SamplePath(s.file);
            const std::string expected = ThroughStream(path, s.decoder, flags, s.ipAfterEthernet);
            ASSERT_FALSE(expected.empty()) << s.file;
            for (std::size_t size : sizes) {
                EXPECT_EQ(ThroughOutputBuffer(path, s.decoder, flags, s.ipAfterEthernet, size), expected)
                    << s.file << ", flags " << flags << ", buffer of " << size;
            }
        }
    }
}

// A pipe from the output buffer, and a capture handed out one piece at a
// time that notes what has come out of the pipe whenever the reader waits
// for the next piece.
class LiveCapture : public std::streambuf {
public:
    LiveCapture(std::vector<std::string> pieces, int pipeOut) : pieces_(std::move(pieces)), pipeOut_(pipeOut) {}
    std::vector<std::string> seen;

protected:
    int_type underflow() override {
        if (next_ > 0) seen.push_back(Arrived());
        if (next_ == pieces_.size()) return traits_type::eof();
        std::string& piece = pieces_[next_++];
        setg(piece.data(), piece.data(), piece.data() + piece.size());
        return traits_type::to_int_type(piece[0]);
    }

private:
    std::string Arrived() {
        char chunk[4096];
        for (;;) {
            const ssize_t n = ::read(pipeOut_, chunk, sizeof chunk);
            if (n <= 0) break;
            arrived_.append(chunk, static_cast<std::size_t>(n));
        }
        return arrived_;
    }

    std::vector<std::string> pieces_;
    std::size_t next_ = 0;
    int pipeOut_;
    std::string arrived_;
};

TEST(TraceOutput, ALiveCapturesTextLeavesTheOutputBufferAsItArrives) {
    const char* frames[] = {"FC FF 03 0F 5A 3C 01 FF", "00 81 7F", "FC FF 03 0F 5A 3C 01 FF"};
    std::vector<test::CaptureRecord> records;
    for (int i = 0; i < 3; ++i) records.push_back({i, 0, test::Octets(frames[i])});
    const std::string capture = test::PcapBytes(203, records);
    const std::size_t first = 24 + 16 + 8, second = first + 16 + 3;

    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::fcntl(fds[0], F_SETFL, O_NONBLOCK);
    LiveCapture live({capture.substr(0, first), capture.substr(first, second - first), capture.substr(second)},
                     fds[0]);
    {
        cli::OutputBuffer buffer(fds[1]);
        std::ostream out(&buffer);
        std::istream in(&live);
        std::ostringstream err;
        ASSERT_EQ(cli::RunKorvex({"korvex", "pcap", "-", "--no-fcs-fill"}, in, out, err, false), 0) << err.str();
    }
    ::close(fds[1]);
    ::close(fds[0]);

    const std::string one = test::DecodeHex(DecodeLapd, DECODE_SUMMARY, frames[0], "00:00.000");
    const std::string two = one + test::DecodeHex(DecodeLapd, DECODE_SUMMARY, frames[1], "00:01.000");
    ASSERT_GE(live.seen.size(), 2u);
    EXPECT_EQ(live.seen[0], one) << "the first frame is out before the second arrives";
    EXPECT_EQ(live.seen[1], two);
}

TEST(Input, LargeReadsGiveEveryOctetInOrder) {
    // Texts around the sizes of the peek, of one read of the source and of
    // the reader's chunk, read back in pieces of many sizes.
    const std::size_t sizes[] = {0, 1, 3, 4, 5, 100, 65535, 65536, 65537, 200000};
    const std::size_t pieces[] = {1, 3, 4, 4096, 65536, 1 << 20};
    for (std::size_t size : sizes) {
        std::string text(size, '\0');
        for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i * 7 % 26);
        for (std::size_t piece : pieces) {
            std::istringstream standardInput(text);
            std::ostringstream err;
            cli::Input input;
            ASSERT_TRUE(input.Open("-", standardInput, err)) << err.str();
            EXPECT_EQ(input.Start(), text.substr(0, std::min<std::size_t>(size, 4)));
            std::string got;
            std::vector<char> chunk(piece);
            while (input.Stream().read(chunk.data(), static_cast<std::streamsize>(piece)) || input.Stream().gcount() > 0) {
                got.append(chunk.data(), static_cast<std::size_t>(input.Stream().gcount()));
            }
            EXPECT_EQ(got.size(), size) << "pieces of " << piece;
            EXPECT_TRUE(got == text) << size << " octets in pieces of " << piece;
        }
    }
}

TEST(MappedFile, HandsOutTheWholeFileAndEndsWithAMessageWhenItIsCutShort) {
    // Files around the size of one piece read back whole; then a file cut
    // short by another program while mapped: reading the lost part ends the
    // program with a message, not with the signal.
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("korvex-mapped-" + std::to_string(::getpid()) + ".txt")).string();
    for (std::size_t size : {std::size_t{1}, std::size_t{1000}, (std::size_t{1} << 20) + 64,
                             (std::size_t{1} << 20) + 65, std::size_t{3} << 20}) {
        std::string text(size, '\0');
        for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + i * 7 % 26);
        std::ofstream(path, std::ios::binary) << text;
        cli::MappedFile file;
        ASSERT_TRUE(file.Open(path));
        std::string got;
        std::string tail;
        while (got.size() < size) got += file.Piece(got.size(), size, tail);
        EXPECT_TRUE(got == text) << size << " octets";
    }
    EXPECT_EXIT(
        {
            cli::MappedFile file;
            if (!file.Open(path)) std::_Exit(2);
            if (::truncate(path.c_str(), 0) != 0) std::_Exit(3);
            std::size_t sum = 0;
            std::string tail;
            const std::size_t size = file.Text().size();
            for (std::size_t at = 0; at < size;) {
                const std::string_view piece = file.Piece(at, size, tail);
                for (char c : piece) sum += static_cast<unsigned char>(c);
                at += piece.size();
            }
            std::_Exit(sum > 0 ? 4 : 5);
        },
        ::testing::ExitedWithCode(1), "the file was cut short while it was being read");
    std::filesystem::remove(path);
    cli::MappedFile none;
    EXPECT_FALSE(none.Open("/"));  // no regular file: read as a stream instead
}

}  // namespace
}  // namespace korvex
