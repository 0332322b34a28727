// X.25 packet trace texts, one golden case a row: the summary line, the
// detail lines of every packet type, the embedded form and short packets.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/output.h"
#include "decoders/x25/x25.h"
#include "test_support.h"

namespace korvex {
namespace {

using test::DecodeHex;

using namespace test::flags;

const std::string& kIndent = test::kDumpIndent;

// The seven lines every packet of three octets or more starts its detail
// block with, as the decoder is expected to write them.
std::string Head(const char* gfi, const char* lgn, const char* lcn, const std::string& pti,
                 const char* modulo, char x, int qa, int d) {
    return std::string("\nX25: GFI    : ") + gfi + "\nX25: LGN    : " + lgn + "\nX25: LCN    : " + lcn +
           "\nX25: PTI    : " + pti + "\nX25: Modulo : " + modulo + "\nX25: " + x + "-Bit  : " +
           std::to_string(qa) + "\nX25: D-Bit  : " + std::to_string(d);
}

std::string Head(const char* lcn, const std::string& pti, char x = 'A') {
    return Head("01", "00", lcn, pti, "8", x, 0, 0);
}

struct Golden {
    const char* name;
    uint32_t flags;
    const char* packet;
    std::string text;  // after the timestamp "12:01.250" (none when embedded)
};

void Check(const std::vector<Golden>& cases) {
    for (const Golden& c : cases) {
        const bool embedded = (c.flags & E) != 0;
        const std::string expected = (embedded ? "" : "12:01.250") + c.text;
        EXPECT_EQ(DecodeHex(DecodeX25, c.flags, c.packet, "12:01.250"), expected) << c.name;
    }
}

TEST(X25Summary, HeaderFieldsAndPacketTypeNames) {
    Check({
        {"data", S, "10 05 52 41", "  GFI 01  LGN 00  LCN 05  DATA           \n"},
        {"flags 0 as summary", 0, "10 05 52 41", "  GFI 01  LGN 00  LCN 05  DATA           \n"},
        {"LGN and LCN apart", S, "1a ff 00", "  GFI 01  LGN 0a  LCN ff  DATA           \n"},
        {"RR with P(R) 1", S, "10 05 21", "  GFI 01  LGN 00  LCN 05  RR             \n"},
        {"RNR with P(R) 1", S, "10 05 25", "  GFI 01  LGN 00  LCN 05  RNR            \n"},
        {"REJ with P(R) 7", S, "10 05 e9", "  GFI 01  LGN 00  LCN 05  REJ            \n"},
        {"call", S, "10 01 0b 00 00", "  GFI 01  LGN 00  LCN 01  CALL           \n"},
        {"connect", S, "10 01 0f", "  GFI 01  LGN 00  LCN 01  CONNECT        \n"},
        {"clear", S, "10 01 13 00 00", "  GFI 01  LGN 00  LCN 01  CLEAR          \n"},
        {"clear confirmation", S, "10 01 17", "  GFI 01  LGN 00  LCN 01  CLEAR CNF      \n"},
        {"interrupt", S, "10 01 23 7f", "  GFI 01  LGN 00  LCN 01  INTERRUPT      \n"},
        {"interrupt confirmation", S, "10 01 27", "  GFI 01  LGN 00  LCN 01  INTERRUPT CNF  \n"},
        {"reset", S, "10 01 1b 07 00", "  GFI 01  LGN 00  LCN 01  RESET          \n"},
        {"reset confirmation", S, "10 01 1f", "  GFI 01  LGN 00  LCN 01  RESET CNF      \n"},
        {"restart", S, "10 00 fb 07 00", "  GFI 01  LGN 00  LCN 00  RESTART        \n"},
        {"restart confirmation", S, "10 00 ff", "  GFI 01  LGN 00  LCN 00  RESTART CNF    \n"},
        {"diagnostic", S, "10 00 f1 26", "  GFI 01  LGN 00  LCN 00  DIAGNOSTIC     \n"},
        {"registration request has no name", S, "10 05 f3", "  GFI 01  LGN 00  LCN 05  \n"},
        {"hex trace of the whole packet", H, "10 05 52 41 42",
         "  GFI 01  LGN 00  LCN 05  DATA           \nHEX TRACE:" + kIndent + "10 05 52 41 42 \n"},
    });
}

TEST(X25Detail, HeaderLinesAndTheLinesOfEachType) {
    Check({
        {"RR shows P(R)", D, "10 05 21",
         "  GFI 01  LGN 00  LCN 05  RR             " + Head("05", "RR             ") +
             "\nX25: P(R)   : 01\n\n"},
        {"RNR", D, "10 05 25",
         "  GFI 01  LGN 00  LCN 05  RNR            " + Head("05", "RNR            ") +
             "\nX25: P(R)   : 01\n\n"},
        {"REJ", D, "10 05 29",
         "  GFI 01  LGN 00  LCN 05  REJ            " + Head("05", "REJ            ") +
             "\nX25: P(R)   : 01\n\n"},
        {"any even type is data", D, "10 05 52 41 42",
         "  GFI 01  LGN 00  LCN 05  DATA           " + Head("05", "DATA           ", 'Q') +
             "\nX25: M-Bit  : 1\nX25: P(R)   : 02\nX25: P(S)   : 01\nX25: DATA   : " + kIndent +
             "41 42 \n\n"},
        {"data of three octets", D, "10 05 00",
         "  GFI 01  LGN 00  LCN 05  DATA           " + Head("05", "DATA           ", 'Q') +
             "\nX25: M-Bit  : 0\nX25: P(R)   : 00\nX25: P(S)   : 00\nX25: DATA   : " + kIndent + "\n\n"},
        {"interrupt user data", D, "10 05 23 7f",
         "  GFI 01  LGN 00  LCN 05  INTERRUPT      " + Head("05", "INTERRUPT      ") +
             "\nX25: DATA   : " + kIndent + "7f \n\n"},
        {"confirmation ends after the D bit", D, "10 05 27",
         "  GFI 01  LGN 00  LCN 05  INTERRUPT CNF  " + Head("05", "INTERRUPT CNF  ") + "\n\n"},
        {"unnamed type ends after the D bit", D, "10 05 f3 01 02",
         "  GFI 01  LGN 00  LCN 05  " + Head("05", "") + "\n\n"},
        {"modulo 128", D, "20 05 01",
         "  GFI 02  LGN 00  LCN 05  RR             " +
             Head("02", "00", "05", "RR             ", "128", 'A', 0, 0) + "\nX25: P(R)   : 00\n\n"},
        {"modulo 32768", D, "30 05 01",
         "  GFI 03  LGN 00  LCN 05  RR             " +
             Head("03", "00", "05", "RR             ", "32768", 'A', 0, 0) + "\nX25: P(R)   : 00\n\n"},
        {"modulo reserved", D, "00 05 01",
         "  GFI 00  LGN 00  LCN 05  RR             " +
             Head("00", "00", "05", "RR             ", "Reserved", 'A', 0, 0) + "\nX25: P(R)   : 00\n\n"},
        {"Q bit of a data packet", D, "90 05 00",
         "  GFI 09  LGN 00  LCN 05  DATA           " +
             Head("09", "00", "05", "DATA           ", "8", 'Q', 1, 0) +
             "\nX25: M-Bit  : 0\nX25: P(R)   : 00\nX25: P(S)   : 00\nX25: DATA   : " + kIndent + "\n\n"},
        {"A and D bits of a call", D, "dc 12 0f",
         "  GFI 0d  LGN 0c  LCN 12  CONNECT        " +
             Head("0d", "0c", "12", "CONNECT        ", "8", 'A', 1, 1) + "\n\n"},
        {"detail and hex", D | H, "10 05 21",
         "  GFI 01  LGN 00  LCN 05  RR             " + Head("05", "RR             ") +
             "\nX25: P(R)   : 01\nHEX TRACE:" + kIndent + "10 05 21 \n\n"},
    });
}

TEST(X25Detail, AddressesAndFacilities) {
    const std::string call = "  GFI 01  LGN 00  LCN 01  CALL           " + Head("01", "CALL           ");
    Check({
        {"four and four digits", D, "10 01 0b 44 12 34 56 78 06 42 07 07 43 02 02 01 00 00 00",
         call + "\nX25: Called : 1234\nX25: Calling: 5678\nX25: Facilities: " + kIndent +
             "42 07 07 43 02 02 \n\n"},
        {"odd lengths share an octet", D, "10 01 0b 23 12 34 50 01 c1",
         call + "\nX25: Called : 123\nX25: Calling: 45\nX25: Facilities: " + kIndent + "c1 \n\n"},
        {"no addresses", D, "10 01 0b 00 00",
         call + "\nX25: Called : \nX25: Calling: \nX25: Facilities: " + kIndent + "\n\n"},
        {"semi-octets above 9", D, "10 01 0b 06 ab cd ef 00",
         call + "\nX25: Called : :;<=>?\nX25: Calling: \nX25: Facilities: " + kIndent + "\n\n"},
        {"call accepted", D, "10 01 0f 10 90 00",
         "  GFI 01  LGN 00  LCN 01  CONNECT        " + Head("01", "CONNECT        ") +
             "\nX25: Called : \nX25: Calling: 9\nX25: Facilities: " + kIndent + "\n\n"},
        {"facility length past the end", D, "10 01 0b 11 12 09 42 07",
         call + "\nX25: Called : 1\nX25: Calling: 2\nX25: Facilities: " + kIndent + "42 07 \n\n"},
        {"short address block: the digits there are", D, "10 01 0b 0f 12 34",
         call + "\nX25: Called : 1234\nX25: Calling: \n\n"},
        {"no address lengths octet", D, "10 01 0b", call + "\n\n"},
    });
}

TEST(X25Detail, CausesAndDiagnostics) {
    const std::string clear = "  GFI 01  LGN 00  LCN 01  CLEAR          " + Head("01", "CLEAR          ");
    const std::string reset = "  GFI 01  LGN 00  LCN 01  RESET          " + Head("01", "RESET          ");
    const std::string restart = "  GFI 01  LGN 00  LCN 00  RESTART        " + Head("00", "RESTART        ");
    const std::string diag = "  GFI 01  LGN 00  LCN 00  DIAGNOSTIC     " + Head("00", "DIAGNOSTIC     ");
    Check({
        {"clear by the DTE", D, "10 01 13 00 00",
         clear + "\nX25: Cause  : 00 DTE ORIGINATED\nX25: DIAG   : 00 NO ADDITIONAL INFORMATION\n\n"},
        {"clearing cause without a name", D, "10 01 13 10 00",
         clear + "\nX25: Cause  : 10\nX25: DIAG   : 00 NO ADDITIONAL INFORMATION\n\n"},
        {"named diagnostic after an unnamed cause", D, "10 01 13 80 42",
         clear + "\nX25: Cause  : 80\nX25: DIAG   : 42 FACILITY PARAMETER NOT ALLOWED\n\n"},
        {"diagnostic without a name", D, "10 01 13 05 03",
         clear + "\nX25: Cause  : 05 NETWORK CONGESTION\nX25: DIAG   : 03\n\n"},
        {"misspelt diagnostic kept", D, "10 01 13 13 19",
         clear + "\nX25: Cause  : 13 LOCAL PROCEDURE ERROR\nX25: DIAG   : 19 PACKET TYPE INVALID FPR STATE P6\n\n"},
        {"reset cause 7", D, "10 01 1b 07 00",
         reset + "\nX25: Cause  : 07 NETWORK CONGESTION\nX25: DIAG   : 00 NO ADDITIONAL INFORMATION\n\n"},
        {"restart cause 7", D, "10 00 fb 07 00",
         restart + "\nX25: Cause  : 07 NETWORK OPERATIONAL\nX25: DIAG   : 00 NO ADDITIONAL INFORMATION\n\n"},
        {"restart cause without a name", D, "10 00 fb 00 80",
         restart + "\nX25: Cause  : 00\nX25: DIAG   : 80 NETWORK SPECIFIC DIAGNOSTIC INFORMATION\n\n"},
        {"clear without its diagnostic octet", D, "10 01 13 09", clear + "\nX25: Cause  : 09 OUT OF ORDER\n\n"},
        {"clear without its cause octet", D, "10 01 13", clear + "\n\n"},
        {"diagnostic packet code 1", D, "10 00 f1 01",
         diag + "\nX25: Code   : 01 INVALID PS\nX25: Expl.  : " + kIndent + "\n\n"},
        {"explanation of three octets", D, "10 00 f1 26 10 05 23",
         diag + "\nX25: Code   : 26 PACKET TOO SHORT\nX25: Expl.  : " + kIndent + "10 05 23 \n\n"},
        {"diagnostic code 0 has no name", D, "10 00 f1 00 aa",
         diag + "\nX25: Code   : 00\nX25: Expl.  : " + kIndent + "aa \n\n"},
        {"diagnostic packet without its code", D, "10 00 f1", diag + "\n\n"},
    });
}

TEST(X25Detail, PacketsShorterThanTheirHeader) {
    Check({
        {"one octet", D, "1a", "  GFI 01  LGN 0a\nX25: GFI    : 01\nX25: LGN    : 0a\n\n"},
        {"two octets", D | H, "1a 07",
         "  GFI 01  LGN 0a  LCN 07\nX25: GFI    : 01\nX25: LGN    : 0a\nX25: LCN    : 07\nHEX TRACE:" +
             kIndent + "1a 07 \n\n"},
        {"no octet at all", D | H, "", "\nHEX TRACE:" + kIndent + "\n\n"},
        {"no octet, embedded", D | H | E, "", "\nHEX TRACE:" + kIndent},
    });
}

TEST(X25Embedded, NoTimestampNoSummaryNoClosingLineEnd) {
    Check({
        {"detail", D | E, "10 05 21", Head("05", "RR             ") + "\nX25: P(R)   : 01"},
        {"detail and hex", D | H | E, "10 05 52 41",
         Head("05", "DATA           ", 'Q') + "\nX25: M-Bit  : 1\nX25: P(R)   : 02\nX25: P(S)   : 01" +
             "\nX25: DATA   : " + kIndent + "41 \nHEX TRACE:" + kIndent + "10 05 52 41 "},
        {"hex only", H | E, "10 05 21", "\nHEX TRACE:" + kIndent + "10 05 21 "},
        {"summary only writes nothing", S | E, "10 05 21", ""},
        {"link-layer flags play no part", D | E | DECODE_LAYER3 | DECODE_LAPF, "10 01 13 00 00",
         Head("01", "CLEAR          ") +
             "\nX25: Cause  : 00 DTE ORIGINATED\nX25: DIAG   : 00 NO ADDITIONAL INFORMATION"},
    });

    // The timestamp is not read: it may be null.
    const std::vector<unsigned char> packet = test::Octets("10 05 21");
    char out[512];
    DecodeRequest request{D | E, nullptr, packet.data(), out, 3, sizeof out};
    const int32_t n = DecodeX25(request);
    EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), Head("05", "RR             ") + "\nX25: P(R)   : 01");
    EXPECT_EQ(out[n], '\0');
}

// A link-layer decoder writes the packet's text with its own writer, at its
// position (AppendEmbeddedX25). Whatever the buffer's size, the whole text
// is a clean prefix of the text of a buffer large enough, the packet's text
// is what DecodeX25 writes with DECODE_EMBEDDED, and nothing is written past
// the buffer.
const char kLinkLines[] = "\nLAPD: Frm : Information";

std::string LinkText(char* out, int32_t capacity, const std::vector<unsigned char>& packet, uint32_t flags,
                     int32_t* embeddedCount = nullptr) {
    TextWriter w(out, capacity);
    AppendText(w, kLinkLines);
    const int32_t before = w.Position();
    AppendEmbeddedX25(FrameView(packet.data(), static_cast<int32_t>(packet.size())), flags, w);
    if (embeddedCount != nullptr) *embeddedCount = w.Position() - before;
    AppendText(w, "\nHEX TRACE:");
    AppendText(w, "\n");
    const int32_t end = w.Finish();
    return std::string(out, static_cast<std::size_t>(end));
}

TEST(X25Embedded, InsideALinkLayerTextAtEveryCapacity) {
    const std::vector<unsigned char> packet = test::Octets("10 01 0b 44 12 34 56 78 03 42 07 07");
    std::vector<char> big(4096);
    int32_t n = 0;
    const std::string whole = LinkText(big.data(), static_cast<int32_t>(big.size()), packet, D | H, &n);
    EXPECT_EQ(whole.substr(std::strlen(kLinkLines), static_cast<std::size_t>(n)),
              test::DecodeOctets(DecodeX25, D | H | E, packet, nullptr));
    EXPECT_EQ(whole.rfind("\nLAPD: Frm : Information\nX25: GFI    : 01", 0), 0u);

    const int32_t full = static_cast<int32_t>(whole.size());
    for (int32_t capacity = 0; capacity <= full + 2; ++capacity) {
        std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(capacity) + 1]);
        std::memset(out.get(), '#', static_cast<std::size_t>(capacity) + 1);
        const std::string text = LinkText(out.get(), capacity, packet, D | H);
        const std::size_t expected = capacity == 0 ? 0 : static_cast<std::size_t>(std::min(full, capacity - 1));
        ASSERT_EQ(text, whole.substr(0, expected)) << "capacity " << capacity;
        ASSERT_EQ(out[static_cast<std::size_t>(capacity)], '#') << "written past the buffer";
    }
}

TEST(X25, UnpackBcdDigitsStopsAtTheEndOfTheBlock) {
    const struct {
        const char* block;
        int32_t first;
        int32_t count;
        const char* digits;
    } cases[] = {
        {"12 34 56 78", 0, 4, "1234"}, {"12 34 56 78", 4, 4, "5678"}, {"12 34 50", 3, 2, "45"},
        {"12 34", 1, 15, "234"},       {"", 0, 15, ""},                {"a0", 0, 1, ":"},
    };
    for (const auto& c : cases) {
        const std::vector<unsigned char> octets = test::Octets(c.block);
        char digits[16] = {};
        const int32_t n = UnpackBcdDigits(digits, FrameView(octets.data(), static_cast<int32_t>(octets.size())),
                                          c.first, c.count);
        EXPECT_EQ(n, static_cast<int32_t>(std::strlen(c.digits))) << c.block;
        EXPECT_STREQ(digits, c.digits) << c.block;
    }
}

// Random packets of every type and of every length from 0 to 40, with every
// combination of the six flag bits: the frame lives in a block of exactly
// its size (the sanitizers catch a read past it), the text ends as its flags
// say, the same packet twice gives the same text, and a smaller buffer gets
// a prefix of it.
TEST(X25Robustness, EveryTypeEveryLengthEveryFlagCombination) {
    const uint8_t types[] = {0x0b, 0x0f, 0x13, 0x17, 0x00, 0x52, 0x23, 0x27, 0x21, 0x05, 0xe9, 0x1b,
                             0x1f, 0xfb, 0xff, 0xf1, 0xf3, 0x07, 0x31, 0xfd};
    const uint32_t bits[] = {DECODE_SUMMARY, D, H, DECODE_LAYER3, E, DECODE_LAPF};
    std::mt19937 rng(25);
    std::vector<char> out(4096);
    for (uint8_t type : types) {
        for (int length = 0; length <= 40; ++length) {
            std::unique_ptr<unsigned char[]> frame(new unsigned char[static_cast<std::size_t>(length) + 1]);
            for (int i = 0; i < length; ++i) frame[static_cast<std::size_t>(i)] = static_cast<unsigned char>(rng());
            if (length > 2) frame[2] = type;
            for (uint32_t subset = 0; subset < 64; ++subset) {
                uint32_t flags = 0;
                for (uint32_t b = 0; b < 6; ++b) {
                    if (subset & (1u << b)) flags |= bits[b];
                }
                DecodeRequest request{flags, (flags & E) ? nullptr : "t", frame.get(), out.data(), length,
                                      static_cast<int32_t>(out.size())};
                const int32_t n = DecodeX25(request);
                ASSERT_TRUE(n >= 0 && n < static_cast<int32_t>(out.size()));
                const std::string text(out.data(), static_cast<std::size_t>(n));
                ASSERT_EQ(out[static_cast<std::size_t>(n)], '\0');
                ASSERT_EQ(text.find('\0'), std::string::npos);
                if (flags & E) {
                    ASSERT_TRUE(text.empty() || text.back() != '\n') << "embedded text ends in a line end";
                    if ((flags & D) && length > 0) {
                        ASSERT_EQ(text.rfind("\nX25: GFI    : ", 0), 0u);
                    }
                } else {
                    ASSERT_EQ(text.rfind("t", 0), 0u);
                    ASSERT_EQ(text.back(), '\n');
                    if (flags & D) {
                        ASSERT_EQ(text.substr(text.size() - 2), "\n\n");
                    }
                }
                ASSERT_EQ(DecodeX25(request), n);
                ASSERT_EQ(std::string(out.data(), static_cast<std::size_t>(n)), text);

                // A buffer too small for the text gets a clean prefix of it.
                const int32_t capacity = static_cast<int32_t>(rng() % static_cast<uint32_t>(n + 2));
                std::vector<char> cut(static_cast<std::size_t>(capacity) + 1, '#');
                request.out = cut.data();
                request.capacity = capacity;
                const int32_t m = DecodeX25(request);
                ASSERT_EQ(m, capacity == 0 ? 0 : std::min(n, capacity - 1));
                ASSERT_EQ(std::string(cut.data(), static_cast<std::size_t>(m)), text.substr(0, static_cast<std::size_t>(m)));
                ASSERT_EQ(cut[static_cast<std::size_t>(capacity)], '#') << "written past the buffer";
            }
        }
    }
}

}  // namespace
}  // namespace korvex
