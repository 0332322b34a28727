// The layer-3 message inside LAPD and LAPF I frames: which decoder gets the
// information field, where its lines go, and the frames that get none.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoders/q931/ie_decoders.h"
#include "test_support.h"

namespace korvex {
namespace {

using namespace test::flags;

const std::string kLinkLines = "\nLAPD: Type: Information\nLAPD: Frm : Information";
const std::string kLapdLink =
    "\nLAPD: SAPI: 000 Call Control Procedures\nLAPD: TEI : 000 Static TEI Assignment" + kLinkLines;

int Count(const std::string& text, const std::string& piece) {
    int n = 0;
    for (auto at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) ++n;
    return n;
}

struct HandOffCase {
    const char* name;
    test::Entry entry;
    uint32_t flags;
    const char* frame;
    std::vector<std::string> pieces;  // each found in the text, in this order
    const char* absent;               // a tag the text must not hold (null: none)
};

TEST(Layer3, HandOffByFrameAndFlags) {
    const HandOffCase cases[] = {
        {"Q.931 SETUP inside a LAPD I frame: elements up to the FCS", DecodeLapd, D | L3,
         "00 01 00 02 08 01 05 05 04 03 80 90 a2 1a 2b",
         {kLapdLink + "\nQ931: Call Reference: 0x5\nQ931: Message type  : SETUP\nQ931: IE: Bearer capability",
          "64 kbps\n\n"},
         "Q931: IE: Reserved"},
        {"a two-octet call reference shortens the walk by one", DecodeLapd, D | L3,
         "00 01 00 02 08 02 00 07 05 04 01 80 1a 2b",
         {"\nQ931: Call Reference: 0x7\nQ931: Message type  : SETUP\nQ931: IE: Bearer capability",
          "Q931: BC: Transfer Capability: Speech\n\n"},
         "Transfer Mode"},
        // address, control, discriminator, call reference (1), message type, FCS
        {"a message that ends with its type: count 0 shows the header lines", DecodeLapd, D | L3,
         "00 01 00 02 08 01 05 0f 1a 2b",
         {kLapdLink + "\nQ931: Call Reference: 0x5\nQ931: Message type  : CONNECT ACK\n\n"},
         "Q931: IE:"},
        // the same with a call reference of two octets and the hex trace after it
        {"RELEASE COMPLETE without cause, with the frame's hex trace", DecodeLapd, D | L3 | H,
         "02 01 00 02 08 02 80 07 5a 1a 2b",
         {"\nQ931: Call Reference: 0x8007\nQ931: Message type  : RELEASE COMP\nHEX TRACE:"},
         "Q931: IE:"},
        {"another discriminator in LAPD goes to X.25", DecodeLapd, D | L3, "40 01 00 02 10 01 21 1a 2b",
         {kLinkLines + "\nX25: GFI    : 01\nX25: LGN    : 00\nX25: LCN    : 01\nX25: PTI    : RR",
          "X25: P(R)   : 01\n\n"},
         "Q931:"},
        {"a LAPF packet that begins with 0x08 is still X.25", DecodeLapf, D | L3, "18 41 00 02 08 01 05 1a 2b",
         {"\nLAPD: DLCI: 00000064" + kLinkLines + "\nX25: GFI    : 00\nX25: LGN    : 08\nX25: LCN    : 01"},
         "Q931:"},
        {"a four-octet LAPF address moves the packet", DecodeLapf, D | L3, "18 40 02 04 00 02 10 01 21 1a 2b",
         {"\nLAPD: DLCI: 000c8041" + kLinkLines + "\nX25: GFI    : 01\nX25: LGN    : 00\nX25: LCN    : 01"},
         nullptr},
        {"two hex traces: the packet's, then the frame's", DecodeLapd, D | L3 | H, "40 01 00 02 10 01 21 1a 2b",
         {"X25: P(R)   : 01\nHEX TRACE:\n      10 01 21 \nHEX TRACE:\n      40 01 00 02 10 01 21 1a 2b \n\n"},
         nullptr},
        {"a U frame keyed as an I frame is handed over", DecodeLapd, D | L3, "00 01 ef 00 08 01 05 05 04 01 80 1a 2b",
         {"LAPD: Type: Unnumbered\nLAPD: Frm : Information\nQ931: Call Reference: 0x5\nQ931: Message type  : SETUP"},
         nullptr},
    };
    for (const HandOffCase& c : cases) {
        const std::string text = test::DecodeHex(c.entry, c.flags, c.frame, "12:01.250");
        std::size_t at = 0;
        for (const std::string& piece : c.pieces) {
            const auto found = text.find(piece, at);
            ASSERT_NE(found, std::string::npos) << c.name << ": no \"" << piece << "\" in\n" << text;
            at = found + piece.size();
        }
        if (c.absent != nullptr) {
            EXPECT_EQ(text.find(c.absent), std::string::npos) << c.name << "\n" << text;
        }
    }
    // The Q.931 text sits between the link layer's lines and the closing
    // line ends, nothing after the walk.
    EXPECT_EQ(Count(test::DecodeHex(DecodeLapd, D | L3 | H, "00 01 00 02 08 01 05 05 1a 2b"), "HEX TRACE:"), 1);
}

// Frames that get no layer-3 text: the link-layer text is all there is, the
// same as without DECODE_LAYER3.
TEST(Layer3, FramesThatAreNotHandedOver) {
    const struct {
        const char* name;
        test::Entry entry;
        uint32_t flags;
        const char* frame;
    } cases[] = {
        {"no detail block, no layer 3", DecodeLapd, L3 | H, "00 01 00 02 08 01 05 05 04 03 80 90 a2 1a 2b"},
        {"no detail block in LAPF", DecodeLapf, L3, "18 41 00 02 10 01 21 1a 2b"},
        {"S frame", DecodeLapd, D | L3, "02 81 01 07 08 01 05 05 1a 2b"},
        {"UI frame", DecodeLapd, D | L3, "00 01 03 08 01 05 05 1a 2b"},
        {"FRMR", DecodeLapd, D | L3, "00 01 97 01 02 03 04 05 1a 2b"},
        {"LAPD frame without octet 5", DecodeLapd, D | L3, "00 01 00 02 08"},
        {"call reference longer than the frame", DecodeLapd, D | L3, "00 01 00 02 08 ff 05 05 04 1a 2b"},
        // discriminator, call reference (1), then the FCS: no message type
        {"count below 0: message cut inside its header", DecodeLapd, D | L3, "00 01 00 02 08 01 05 1a 2b"},
        // discriminator, call reference length 2, one octet of it, then the FCS
        {"count below 0: call reference cut by the FCS", DecodeLapd, D | L3, "00 01 00 02 08 02 05 1a 2b"},
        {"no packet octet between control and FCS", DecodeLapd, D | L3, "40 01 00 02 1a 2b"},
        {"LAPF frame of address and control only", DecodeLapf, D | L3, "18 41 00 02"},
    };
    for (const auto& c : cases) {
        const std::string with = test::DecodeHex(c.entry, c.flags, c.frame, "t");
        EXPECT_EQ(with, test::DecodeHex(c.entry, c.flags & ~L3, c.frame, "t")) << c.name;
        EXPECT_EQ(with.find("Q931:"), std::string::npos) << c.name;
        EXPECT_EQ(with.find("X25:"), std::string::npos) << c.name;
    }
}

// I frames carrying random Q.931 and X.25 contents, every length up to 96,
// every combination of the flag bits, into buffers of every size from 1 to
// past the text: each text is a clean prefix of the whole one and nothing
// is written past the buffer.
TEST(Layer3, RandomInformationFramesIntoEveryCapacity) {
    std::mt19937 rng(10);
    for (test::Entry entry : {DecodeLapd, DecodeLapf}) {
        for (int length = 0; length <= 96; ++length) {
            std::vector<unsigned char> frame(static_cast<std::size_t>(length));
            for (unsigned char& octet : frame) octet = static_cast<unsigned char>(rng());
            if (length > 2) frame[2] &= 0xFE;  // an I frame after a two-octet address
            if (length > 1) frame[1] |= 0x01;
            if (length > 5 && rng() % 2 == 0) {
                frame[4] = 0x08;
                frame[5] = static_cast<unsigned char>(rng() % 4);
            }
            for (uint32_t flags = 0; flags < 0x100; flags += 1 + rng() % 7) {
                ElementState().Reset();
                const std::string whole = test::DecodeOctets(entry, flags, frame, "12:00.000");
                ASSERT_EQ(whole.find('\0'), std::string::npos);
                const auto full = static_cast<int32_t>(whole.size());
                for (int32_t capacity : {1, 2, 9, 40, full / 2 + 1, full, full + 1}) {
                    std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(capacity) + 16]);
                    std::fill(out.get(), out.get() + capacity + 16, '#');
                    ElementState().Reset();
                    DecodeRequest request{flags, "12:00.000", frame.data(), out.get(), length, capacity};
                    const int32_t n = entry(request);
                    ASSERT_EQ(n, std::min(full, capacity - 1)) << length << " " << flags << " " << capacity;
                    ASSERT_EQ(std::string(out.get(), static_cast<std::size_t>(n)), whole.substr(0, static_cast<std::size_t>(n)));
                    ASSERT_EQ(out[static_cast<std::size_t>(n)], '\0');
                    for (int k = 0; k < 16; ++k) ASSERT_EQ(out[static_cast<std::size_t>(capacity + k)], '#');
                }
            }
        }
    }
}

}  // namespace
}  // namespace korvex
