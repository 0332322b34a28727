// The output primitives through the bounded writer.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "core/output.h"

namespace korvex {
namespace {

struct Buffer {
    explicit Buffer(int32_t capacity = 256) : chars(static_cast<std::size_t>(capacity) + 8, '#'), w(chars.data(), capacity) {}
    std::string Text() const { return std::string(chars.data(), static_cast<std::size_t>(w.Position())); }
    char After() const { return chars[static_cast<std::size_t>(w.Position())]; }
    std::vector<char> chars;
    TextWriter w;
};

struct PrimitiveCase {
    const char* name;
    std::function<int(TextWriter&)> write;
    std::string text;
    int result;
};

TEST(OutputPrimitives, WriteTheirTextCountItAndLeaveABlankBehind) {
    const std::vector<PrimitiveCase> cases = {
        {"text", [](TextWriter& w) { return AppendText(w, "  SAPI "); }, "  SAPI ", 7},
        {"text with a percent sign", [](TextWriter& w) { return AppendText(w, "%d%s"); }, "%d%s", 4},
        {"empty text", [](TextWriter& w) { return AppendText(w, ""); }, "", 0},
        {"hex byte", [](TextWriter& w) { return AppendHexByte(w, 0x0a); }, "0a", 2},
        {"hex byte cut to 8 bits", [](TextWriter& w) { return AppendHexByte(w, 0x1ff); }, "ff", 2},
        {"dec3 of 7", [](TextWriter& w) { return AppendDec3(w, 7); }, "007", 3},
        {"dec3 of 255", [](TextWriter& w) { return AppendDec3(w, 255); }, "255", 3},
        {"dec3 of 256", [](TextWriter& w) { return AppendDec3(w, 256); }, "000", 3},
        {"dec1 of 7", [](TextWriter& w) { return AppendDec1(w, 7); }, "7", 1},
        {"dec1 of 42", [](TextWriter& w) { return AppendDec1(w, 42); }, "42", 2},
        {"dec1 of 300", [](TextWriter& w) { return AppendDec1(w, 300); }, "44", 2},
        {"dec1 of 0", [](TextWriter& w) { return AppendDec1(w, 0); }, "0", 1},
        {"format of two", [](TextWriter& w) { return AppendFormat(w, "%d-%d", 3, 4); }, "3-4", 3},
        {"format of the first", [](TextWriter& w) { return AppendFormat(w, "  DLCI  %08x", 0xc8041, 9); },
         "  DLCI  000c8041", 16},
        {"format of one", [](TextWriter& w) { return AppendFormatInt(w, "Port %u", 80); }, "Port 80", 7},
    };
    for (const PrimitiveCase& c : cases) {
        Buffer b;
        EXPECT_EQ(c.write(b.w), c.result) << c.name;
        EXPECT_EQ(b.Text(), c.text) << c.name;
        EXPECT_EQ(b.After(), ' ') << c.name << ": the character after the text";
    }
}

TEST(OutputPrimitives, ConsecutiveWritesRunTogether) {
    Buffer b;
    AppendHexByte(b.w, 0x0a);
    AppendHexByte(b.w, 0x1b);
    EXPECT_EQ(b.Text(), "0a1b");

    Buffer pair;
    AppendHexPair(pair.w, 0x0a, 0x1b);
    EXPECT_EQ(pair.Text(), "0a1b");

    Buffer labelled;
    AppendLabelHexPair(labelled.w, " FCS ", 0x3f, 0x1a);
    EXPECT_EQ(labelled.Text(), " FCS 3f1a");
}

TEST(OutputPrimitives, CopyingPrimitivesWriteNothingAfterTheText) {
    Buffer b;
    AppendLabel(b.w, 12);
    EXPECT_EQ(b.Text(), " Group TEI");
    EXPECT_EQ(b.After(), '#');
    AppendLabel(b.w, 51);  // outside the list: nothing
    AppendLabel(b.w, -1);
    EXPECT_EQ(b.Text(), " Group TEI");
}

std::string Dump(int count, bool leadingBreak) {
    std::vector<unsigned char> octets(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) octets[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i);
    Buffer b(4096);
    FrameView frame(octets.data(), count);
    int32_t cursor = 0;
    int32_t n = count;
    AppendHexDump(b.w, frame, cursor, n, leadingBreak);
    EXPECT_EQ(n, 0);
    EXPECT_EQ(cursor, count);
    return b.Text();
}

std::string Row(int first, int count) {
    std::string row;
    static const char* digits = "0123456789abcdef";
    for (int i = first; i < first + count; ++i) {
        row += digits[i >> 4];
        row += digits[i & 15];
        row += ' ';
    }
    return row;
}

TEST(HexDump, RowsOf24OctetsAfterTheIndent) {
    const std::string indent = "\n      ";
    EXPECT_EQ(Dump(0, true), indent);
    EXPECT_EQ(Dump(0, false), "");
    EXPECT_EQ(Dump(3, false), "00 01 02 ");
    EXPECT_EQ(Dump(24, true), indent + Row(0, 24) + indent);
    EXPECT_EQ(Dump(25, true), indent + Row(0, 24) + indent + "18 ");
    EXPECT_EQ(Dump(26, true), indent + Row(0, 24) + indent + "18 19 ");
    EXPECT_EQ(Dump(48, true), indent + Row(0, 24) + indent + Row(24, 24) + indent);
}

TEST(HexDump, StopsAtTheFramesEnd) {
    const unsigned char octets[] = {0xaa, 0xbb};
    Buffer b;
    FrameView frame(octets, 2);
    int32_t cursor = 1;
    int32_t count = 5;  // more than the frame holds
    AppendHexDump(b.w, frame, cursor, count, false);
    EXPECT_EQ(b.Text(), "bb ");
    EXPECT_EQ(count, 0);
}

TEST(ReadBigEndian, MostSignificantFirstFoldingPastFourOctets) {
    const unsigned char a[] = {0x12, 0x34};
    const unsigned char b[] = {0x10, 0x00, 0x00, 0x00, 0x05};
    const unsigned char c[] = {0xde, 0xad, 0xbe, 0xef};
    EXPECT_EQ(ReadBigEndian(a, 2), 0x1234u);
    EXPECT_EQ(ReadBigEndian(a, 0), 0u);
    EXPECT_EQ(ReadBigEndian(a, -3), 0u);
    EXPECT_EQ(ReadBigEndian(b, 5), 0x15u);
    EXPECT_EQ(ReadBigEndian(c, 4), 0xdeadbeefu);
}

TEST(TestBits, ComparesTheLowEightBitsOfTheMask) {
    EXPECT_EQ(TestBits(0x12, 0x10), 1);
    EXPECT_EQ(TestBits(0x12, 0x11), 0);
    EXPECT_EQ(TestBits(0x100, 0x100), 1);
    EXPECT_EQ(TestBits(0x00, 0x00), 1);
    EXPECT_EQ(TestBits(0xff, 0x81), 1);
}

TEST(TextWriter, CutsAtCapacityMinusOneAndStoresTheNul) {
    for (int32_t capacity : {0, 1, 2, 5, 8, 9, 10}) {
        std::vector<char> chars(static_cast<std::size_t>(capacity) + 4, '#');
        TextWriter w(chars.data(), capacity);
        AppendText(w, "abcdefgh");
        const int32_t n = w.Finish();
        const int32_t expected = capacity <= 0 ? 0 : std::min(capacity - 1, 8);
        EXPECT_EQ(n, expected) << "capacity " << capacity;
        if (capacity > 0) {
            EXPECT_EQ(std::string(chars.data(), static_cast<std::size_t>(n)), std::string("abcdefgh", static_cast<std::size_t>(n)));
            EXPECT_EQ(chars[static_cast<std::size_t>(n)], '\0');
        }
        for (std::size_t i = static_cast<std::size_t>(capacity); i < chars.size(); ++i) {
            EXPECT_EQ(chars[i], '#') << "written past the capacity " << capacity;
        }
    }
}

}  // namespace
}  // namespace korvex

namespace korvex {
namespace {

TEST(AppendFormat, WritesWhatTheCLibraryWrites) {
    // Every format shape the decoders use, and some they might, against
    // snprintf with the same integers.
    const char* formats[] = {"%d", "%u", "%x", "%X", "%o", "%c", "%02x", "%04x", "%06x", "%08x", "%03d",
                             "%01d", "%5d", "%-5d|", "%-08x|", "%05d", "%d.%d", "  DLCI  %08x", "%d%%",
                             "%12u", "%.3d", "%+d", "100%% %x then %d"};
    const int32_t values[] = {0, 1, 7, 9, 10, 42, 255, 256, 4095, 65535, 0x7fffffff, -1, -42, INT32_MIN, 1000000};
    for (const char* format : formats) {
        for (int32_t first : values) {
            for (int32_t second : {0, -7, 123456}) {
                char expected[256];
                int n = std::snprintf(expected, sizeof expected, format, first, second);
                Buffer two;
                EXPECT_EQ(AppendFormat(two.w, format, first, second), n) << format << ' ' << first;
                EXPECT_EQ(two.Text(), std::string(expected, static_cast<std::size_t>(n))) << format << ' ' << first;
                EXPECT_EQ(two.chars[static_cast<std::size_t>(n)], ' ') << format;
                if (std::strstr(format, "%d.%d") != nullptr || std::strstr(format, "then") != nullptr) continue;
                Buffer one;
                n = std::snprintf(expected, sizeof expected, format, first);
                EXPECT_EQ(AppendFormatInt(one.w, format, first), n) << format << ' ' << first;
                EXPECT_EQ(one.Text(), std::string(expected, static_cast<std::size_t>(n))) << format << ' ' << first;
            }
        }
    }
}

}  // namespace
}  // namespace korvex

namespace korvex {
namespace {

// Every capacity from 0 to a little beyond the text: the writer keeps what
// fits (the whole text's first capacity - 1 characters), stores its NUL,
// and never writes past the capacity, whichever way the primitive writes.
void ExpectCutLikeTheWholeText(const std::string& name, const std::function<void(TextWriter&)>& write) {
    std::vector<char> whole(256, '#');
    TextWriter full(whole.data(), static_cast<int32_t>(whole.size()));
    write(full);
    const std::string text(whole.data(), static_cast<std::size_t>(full.Finish()));
    for (int32_t capacity = 0; capacity <= static_cast<int32_t>(text.size()) + 2; ++capacity) {
        std::vector<char> chars(static_cast<std::size_t>(capacity) + 8, '#');
        TextWriter w(chars.data(), capacity);
        write(w);
        const int32_t n = w.Finish();
        const std::size_t kept = capacity == 0 ? 0 : std::min(text.size(), static_cast<std::size_t>(capacity - 1));
        ASSERT_EQ(static_cast<std::size_t>(n), kept) << name << ", capacity " << capacity;
        EXPECT_EQ(std::string(chars.data(), kept), text.substr(0, kept)) << name << ", capacity " << capacity;
        for (std::size_t i = static_cast<std::size_t>(capacity); i < chars.size(); ++i) {
            ASSERT_EQ(chars[i], '#') << name << ": written past capacity " << capacity;
        }
    }
}

TEST(NumberPrimitives, WriteWhatTheCLibraryWrites) {
    // Around 255 and 256 too: an octet's value is written from the octet
    // table, a larger one digit by digit.
    const int64_t values[] = {0,          1,          9,          10,         99,         100,
                              999,        1000,       65535,      99999,      100000,     999999999,
                              1000000000, 2147483647, -1,         -9,         -10,        -2147483648LL,
                              4294967295, 2147483648, 4000000000, 0x0c8041,   0x7f,       0xabcdef,
                              254,        255,        256,        257,        -255,       -256};
    for (int64_t value : values) {
        const auto i32 = static_cast<int32_t>(value);
        const auto u32 = static_cast<uint32_t>(value);
        struct Check {
            std::string expected;
            std::function<int(TextWriter&)> write;
        };
        char text[64];
        std::vector<Check> checks;
        std::snprintf(text, sizeof text, "%d", i32);
        checks.push_back({text, [i32](TextWriter& w) { return AppendDecimal(w, i32); }});
        std::snprintf(text, sizeof text, "%u", u32);
        checks.push_back({text, [u32](TextWriter& w) { return AppendUnsigned(w, u32); }});
        for (int width : {0, 1, 2, 4, 6, 8}) {
            std::snprintf(text, sizeof text, "%0*x", width, u32);
            checks.push_back({text, [u32, width](TextWriter& w) { return AppendHexNumber(w, u32, width); }});
        }
        for (const Check& c : checks) {
            Buffer b;
            EXPECT_EQ(c.write(b.w), static_cast<int>(c.expected.size())) << c.expected;
            EXPECT_EQ(b.Text(), c.expected);
            EXPECT_EQ(b.After(), ' ') << c.expected;
            ExpectCutLikeTheWholeText(c.expected, [&c](TextWriter& w) { c.write(w); });
        }
    }
}

TEST(OctetPrimitives, EveryValueAsTheCLibraryWritesIt) {
    for (uint32_t value = 0; value < 512; ++value) {
        char dec3[8];
        char dec1[8];
        char hex[8];
        std::snprintf(dec3, sizeof dec3, "%03u", value & 0xFF);
        std::snprintf(dec1, sizeof dec1, "%u", value & 0xFF);
        std::snprintf(hex, sizeof hex, "%02x", value & 0xFF);
        Buffer a, b, c;
        EXPECT_EQ(AppendDec3(a.w, value), 3);
        EXPECT_EQ(a.Text(), dec3);
        EXPECT_EQ(a.After(), ' ');
        EXPECT_EQ(AppendDec1(b.w, value), static_cast<int>(std::strlen(dec1)));
        EXPECT_EQ(b.Text(), dec1);
        EXPECT_EQ(b.After(), ' ');
        EXPECT_EQ(AppendHexByte(c.w, value), 2);
        EXPECT_EQ(c.Text(), hex);
    }
    for (uint32_t value : {0u, 7u, 42u, 100u, 255u}) {
        const std::string name = std::to_string(value);
        ExpectCutLikeTheWholeText("dec3 " + name, [value](TextWriter& w) { AppendDec3(w, value); });
        ExpectCutLikeTheWholeText("dec1 " + name, [value](TextWriter& w) { AppendDec1(w, value); });
        ExpectCutLikeTheWholeText("two dec1 " + name, [value](TextWriter& w) {
            AppendDec1(w, value);
            AppendDec1(w, value + 1);
        });
    }
}

TEST(TextPrimitives, TextsOfEveryLengthWhetherKnownWhenCompilingOrNot) {
    const std::string source = "The quick brown fox jumps over the lazy dog, 0123456789 times.";
    for (std::size_t length = 0; length <= 48; ++length) {
        const std::string text = source.substr(0, length);
        const Word word(text.c_str());
        Buffer a, b;
        EXPECT_EQ(AppendText(a.w, word), static_cast<int>(length));
        EXPECT_EQ(a.Text(), text);
        EXPECT_EQ(a.After(), ' ');
        EXPECT_EQ(AppendText(b.w, text.c_str()), static_cast<int>(length));
        EXPECT_EQ(b.Text(), text);
        ExpectCutLikeTheWholeText("text of " + std::to_string(length), [&text](TextWriter& w) {
            AppendText(w, "<");
            AppendText(w, Word(text.c_str()));
            AppendText(w, ">");
        });
    }
    Buffer none;
    EXPECT_EQ(AppendText(none.w, Word(nullptr)), 0);
    EXPECT_EQ(none.Text(), "");
}

// The primitives that write a line's parts, a name with its fallback, a word
// of a list and an address: one row each, the text, and the text cut at every
// capacity a prefix of it.
TEST(LinePrimitives, WriteTheirPartsAndCutLikeTheWholeText) {
    constexpr std::array<Word, 4> kWords = {"zero", nullptr, "two", ""};
    const unsigned char address[] = {192, 168, 100, 200, 10, 0, 0, 1};
    const FrameView frame(address, 8);
    const struct {
        const char* name;
        std::function<void(TextWriter&)> write;
        std::string text;
    } cases[] = {
        {"prefix and name", [](TextWriter& w) { AppendText(w, "\nQ931: BC: ", "Transfer Rate      : "); },
         "\nQ931: BC: Transfer Rate      : "},
        {"prefix of a run-time length", [](TextWriter& w) { AppendText(w, Word(std::string_view("\nTCP: FIN")), "  "); },
         "\nTCP: FIN  "},
        {"empty and null parts", [](TextWriter& w) { AppendText(w, "", nullptr); }, ""},
        {"name found", [](TextWriter& w) { AppendValueName(w, kTableX25Modulo, 2, "Reserved"); }, "128"},
        {"name missing, fallback", [](TextWriter& w) { AppendValueName(w, kTableIpProtocol, 2, "Unassigned"); },
         "Unassigned"},
        {"name missing, no fallback", [](TextWriter& w) { AppendValueName(w, kTableQ931Signal, 0x30); }, ""},
        {"table without rows", [](TextWriter& w) { AppendValueName(w, 2, 0, "none"); }, "none"},
        {"word", [&kWords](TextWriter& w) { AppendWord(w, kWords, 2, "beyond"); }, "two"},
        {"empty entry, no fallback", [&kWords](TextWriter& w) { AppendWord(w, kWords, 1, "beyond"); }, ""},
        {"past the list", [&kWords](TextWriter& w) { AppendWord(w, kWords, 4, "beyond"); }, "beyond"},
        {"past the list, no fallback", [&kWords](TextWriter& w) { AppendWord(w, kWords, 9); }, ""},
        {"address filling the width", [&frame](TextWriter& w) { AppendDottedDecimal(w, frame, 0, 4, 15); },
         "192.168.100.200"},
        {"address blank-filled", [&frame](TextWriter& w) { AppendDottedDecimal(w, frame, 4, 4, 15); },
         "10.0.0.1       "},
        {"address past the frame", [&frame](TextWriter& w) { AppendDottedDecimal(w, frame, 6, 4, 0); }, "0.1.0.0"},
        {"one octet", [&frame](TextWriter& w) { AppendDottedDecimal(w, frame, 1, 1, 5); }, "168  "},
    };
    for (const auto& c : cases) {
        Buffer b;
        c.write(b.w);
        EXPECT_EQ(b.Text(), c.text) << c.name;
        ExpectCutLikeTheWholeText(c.name, [&c](TextWriter& w) {
            AppendText(w, "<");
            c.write(w);
            AppendText(w, ">");
        });
    }
}

TEST(FrameView, ReadsMostSignificantFirstWithOctetsOutsideAsZero) {
    const unsigned char octets[] = {0x12, 0x34, 0x56, 0x78, 0x9a};
    const FrameView frame(octets, 5);
    EXPECT_EQ(frame.Read16(0), 0x1234u);
    EXPECT_EQ(frame.Read16(3), 0x789au);
    EXPECT_EQ(frame.Read16(4), 0x9a00u);
    EXPECT_EQ(frame.Read16(-1), 0x0012u);
    EXPECT_EQ(frame.Read32(0), 0x12345678u);
    EXPECT_EQ(frame.Read32(1), 0x3456789au);
    EXPECT_EQ(frame.Read32(2), 0x56789a00u);
    EXPECT_EQ(FrameView(nullptr, 4).Read32(0), 0u);
}

TEST(HexDump, CutAtEveryCapacityLikeTheWholeDump) {
    std::vector<unsigned char> octets(60);
    for (std::size_t i = 0; i < octets.size(); ++i) octets[i] = static_cast<unsigned char>(i * 37);
    for (int32_t count : {1, 23, 24, 25, 48, 60}) {
        ExpectCutLikeTheWholeText("dump of " + std::to_string(count), [&octets, count](TextWriter& w) {
            FrameView frame(octets.data(), static_cast<int32_t>(octets.size()));
            int32_t cursor = 0;
            int32_t n = count;
            AppendHexDump(w, frame, cursor, n, true);
            AppendText(w, "|");
        });
    }
}

}  // namespace
}  // namespace korvex
