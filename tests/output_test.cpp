// The output primitives through the bounded writer.
#include <gtest/gtest.h>

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
        EXPECT_EQ(w.Truncated(), capacity < 9) << "capacity " << capacity;
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
