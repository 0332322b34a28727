// TCP header lines: ports, sequence and acknowledgement numbers, header
// length, the six flags one line each, window, checksum and urgent pointer.
// Options and payload are left to the hex trace.

#include "core/output.h"
#include "core/value_names.h"
#include "decoders/inet/ip.h"

#include <array>
#include <string_view>
#include <utility>

namespace korvex {

namespace {

// FIN is entry 21 of the label list, URG entry 26: the base plus the bit
// number.
constexpr int kLabelFirstFlag = 21;
constexpr int kFlagCount = 6;

// The start of each flag's line, up to its bit: "\nTCP: ", the flag's label
// and "              : ", put together when compiling.
struct FlagLine {
    std::array<char, 64> text{};
    std::size_t length = 0;
};

constexpr auto kFlagLines = [] {
    std::array<FlagLine, kFlagCount> lines{};
    for (int index = 0; index < kFlagCount; ++index) {
        FlagLine& line = lines[static_cast<std::size_t>(index)];
        for (std::string_view part : {std::string_view("\nTCP: "), LabelView(kLabelFirstFlag + index),
                                      std::string_view("              : ")}) {
            for (char c : part) line.text[line.length++] = c;
        }
    }
    return lines;
}();

// One flag's line, its length known when compiling.
template <std::size_t index>
KORVEX_INLINE void AppendFlagLine(uint32_t flags, TextWriter& w) {
    constexpr std::size_t length = kFlagLines[index].length;
    w.Write(kFlagLines[index].text.data(), length);
    w.PutWithBlank(static_cast<char>('0' + TestBits(flags, 1u << index)));
}

uint32_t Read(const FrameView& d, int32_t first, int32_t count) {
    return ReadBigEndian(d.Data() + first, count);
}

}  // namespace

void AppendTcpFlag(int index, uint32_t flags, TextWriter& w) {
    const FlagLine& line = kFlagLines[static_cast<std::size_t>(index)];
    w.Write(line.text.data(), line.length);
    w.PutWithBlank(static_cast<char>('0' + TestBits(flags, 1u << index)));
}

void AppendTcpFlags(uint32_t flags, TextWriter& w) {
    [&]<std::size_t... index>(std::index_sequence<index...>) {
        (AppendFlagLine<index>(flags, w), ...);
    }(std::make_index_sequence<kFlagCount>{});
}

void DecodeTcp(IpHeaderFields& fields, const FrameView& d, TextWriter& w) {
    if (d.HasRange(0, 2)) {
        fields.sourcePort = static_cast<int32_t>(Read(d, 0, 2));
        AppendText(w, "\nTCP: Source      Port : ");
        AppendPort(d.At(0), d.At(1), w);
    }
    if (d.HasRange(2, 2)) {
        fields.destinationPort = static_cast<int32_t>(Read(d, 2, 2));
        AppendText(w, "\nTCP: Destination Port : ");
        AppendPort(d.At(2), d.At(3), w);
    }
    if (d.HasRange(4, 4)) AppendLabelUnsigned(w, "\nTCP: Sequence Number  : ", Read(d, 4, 4));
    if (d.HasRange(8, 4)) AppendLabelUnsigned(w, "\nTCP: Acknowl. Number  : ", Read(d, 8, 4));
    if (d.Has(12)) AppendLabelDecimal(w, "\nTCP: TCP Header Length: ", (d.At(12) >> 4) * 4);
    if (d.Has(13)) {
        const uint32_t flags = d.At(13) & 0x3F;
        AppendText(w, "\nTCP: Flags            : 0x");
        AppendHexByte(w, flags);
        AppendTcpFlags(flags, w);
    }
    if (d.HasRange(14, 2)) AppendLabelUnsigned(w, "\nTCP: Window           : ", Read(d, 14, 2));
    if (d.HasRange(16, 2)) {
        AppendLabelHexPair(w, "\nTCP: Checksum         : 0x", d.At(16), d.At(17));
    }
    if (d.HasRange(18, 2)) AppendLabelUnsigned(w, "\nTCP: Urgent Pointer   : ", Read(d, 18, 2));
}

}  // namespace korvex
