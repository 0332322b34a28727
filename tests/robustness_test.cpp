// Whatever the octets and the flags, a decoder stays inside the frame and the
// caller's buffer, and its text is whole or a clean prefix of the whole.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "decoders/protocols.h"
#include "decoders/q931/ie_decoders.h"
#include "korvex/korvex.h"
#include "test_support.h"

namespace korvex {
namespace {

// Frames of every length up to kShortFrame are tried with kShortRandom
// random frames each besides the fills, longer ones up to kLongFrame (past
// the fixed headers of every protocol) with kLongRandom.
constexpr int kShortFrame = 8;
constexpr int kShortRandom = 24;
constexpr int kLongFrame = 80;
constexpr int kLongRandom = 3;

// Puts back what the call control element decoders carry from one octet to
// the next, so that the same frame gives the same text whatever came before.
void ResetCarried() { ElementState().Reset(); }

std::string Decode(const Protocol& p, uint32_t flags, const std::vector<unsigned char>& frame,
                   const char* timestamp) {
    ResetCarried();
    return test::DecodeOctets(p.decoder, flags, frame, timestamp);
}

// True when the protocol's text is one embedded in another's with these
// flags: no timestamp, no closing line ends.
bool Embedded(const Protocol& p, uint32_t flags) { return (p.flags & flags & DECODE_EMBEDDED) != 0; }

std::vector<std::vector<unsigned char>> Patterns(int length, int randomFrames, std::mt19937& rng) {
    std::vector<std::vector<unsigned char>> frames;
    for (unsigned char fill : {0x00, 0xff, 0x01, 0x03, 0x06, 0x11, 0x97, 0xef, 0xfe}) {
        frames.emplace_back(static_cast<std::size_t>(length), fill);
    }
    for (int i = 0; i < randomFrames; ++i) {
        std::vector<unsigned char> frame(static_cast<std::size_t>(length));
        for (unsigned char& octet : frame) octet = static_cast<unsigned char>(rng());
        frames.push_back(frame);
        // The same octets as an ICMP, a TCP and a UDP datagram.
        if (length > 9) {
            for (unsigned char protocol : {0x01, 0x06, 0x11}) {
                frame[9] = protocol;
                frames.push_back(frame);
            }
        }
        // As an IPv6 datagram with a hop-by-hop options header, a fragment
        // header or ICMPv6 behind it, and as an Ethernet frame with a VLAN tag.
        if (length > 40) {
            for (unsigned char next : {0x00, 0x2c, 0x3a}) {
                frame[6] = next;
                frame[40] = next == 0x00 ? 0x2c : 0x11;
                frames.push_back(frame);
            }
            frame[12] = 0x81;
            frame[13] = 0x00;
            frames.push_back(frame);
        }
    }
    return frames;
}

// Every combination of the seven defined flag bits.
std::vector<uint32_t> AllFlagCombinations() {
    const uint32_t bits[] = {DECODE_SUMMARY, DECODE_DETAIL, DECODE_HEX, DECODE_LAYER3, DECODE_EXTENDED,
                             DECODE_EMBEDDED, DECODE_LAPF};
    std::vector<uint32_t> combinations;
    for (uint32_t subset = 0; subset < 128; ++subset) {
        uint32_t flags = 0;
        for (uint32_t b = 0; b < 7; ++b) {
            if (subset & (1u << b)) flags |= bits[b];
        }
        combinations.push_back(flags);
    }
    return combinations;
}

TEST(Robustness, EveryShortFrameWithEveryFlagCombination) {
    std::mt19937 rng(2026);
    for (const Protocol& p : Protocols()) {
        for (int length = 0; length <= kLongFrame; ++length) {
            const int randomFrames = length <= kShortFrame ? kShortRandom : kLongRandom;
            for (const auto& frame : Patterns(length, randomFrames, rng)) {
                for (uint32_t flags : AllFlagCombinations()) {
                    const std::string text = Decode(p, flags, frame, "00:00.000");
                    ASSERT_EQ(text.find('\0'), std::string::npos) << p.name;
                    ASSERT_EQ(Decode(p, flags, frame, "00:00.000"), text) << "the same frame twice";
                    if (Embedded(p, flags)) {
                        ASSERT_EQ(text.find("00:00.000"), std::string::npos) << p.name;
                        continue;
                    }
                    ASSERT_EQ(text.rfind("00:00.000", 0), 0u) << p.name;
                    ASSERT_EQ(text.back(), '\n') << p.name << " length " << length;
                    if (flags & DECODE_DETAIL) {
                        ASSERT_EQ(text.substr(text.size() - 2), "\n\n") << p.name;
                    }
                }
            }
        }
    }
}

TEST(Robustness, NullFrameAndNegativeLength) {
    char out[128];
    for (const Protocol& p : Protocols()) {
        for (int32_t length : {0, -1, -1000}) {
            DecodeRequest request{DECODE_DETAIL | DECODE_HEX, "t", nullptr, out, length, sizeof out};
            const int32_t n = p.decoder(request);
            // Call control closes its (empty) detail block with a line end
            // of its own.
            const std::string detailEnd = p.decoder == DecodeQ931 ? "\n" : "";
            EXPECT_EQ(std::string(out, static_cast<std::size_t>(n)), "t" + detailEnd + "\nHEX TRACE:\n      \n\n")
                << p.name;
        }
    }
}

TEST(Robustness, EveryCapacityGivesAPrefixOfTheWholeText) {
    std::mt19937 rng(7);
    for (const Protocol& p : Protocols()) {
        // The examples and random frames, with random flags.
        std::vector<std::vector<unsigned char>> frames;
        for (const ExampleFrame& example : p.examples) frames.push_back(ExampleOctets(example));
        for (int trial = 0; trial < 40; ++trial) {
            std::vector<unsigned char> frame(rng() % 40);
            for (unsigned char& octet : frame) octet = static_cast<unsigned char>(rng());
            frames.push_back(frame);
        }
        for (const std::vector<unsigned char>& frame : frames) {
            const auto length = static_cast<int32_t>(frame.size());
            const uint32_t flags = rng() % 32;  // DECODE_EXTENDED among them
            const std::string whole = Decode(p, flags, frame, "12:00.000");
            const int32_t full = static_cast<int32_t>(whole.size());
            for (int32_t capacity = 0; capacity <= full + 2; ++capacity) {
                std::unique_ptr<char[]> out(new char[static_cast<std::size_t>(capacity) + 1]);
                std::memset(out.get(), '#', static_cast<std::size_t>(capacity) + 1);
                DecodeRequest request{flags, "12:00.000", frame.data(), out.get(), length, capacity};
                ResetCarried();
                const int32_t n = p.decoder(request);
                const int32_t expected = capacity == 0 ? 0 : std::min(full, capacity - 1);
                ASSERT_EQ(n, expected) << p.name << " capacity " << capacity;
                ASSERT_EQ(std::string(out.get(), static_cast<std::size_t>(n)), whole.substr(0, static_cast<std::size_t>(n)));
                if (capacity > 0) {
                    ASSERT_EQ(out[static_cast<std::size_t>(n)], '\0');
                }
                ASSERT_EQ(out[static_cast<std::size_t>(capacity)], '#') << "written past the buffer";
            }
        }
    }
}

TEST(Robustness, RandomCallControlMessagesUpTo64Octets) {
    std::mt19937 rng(931);
    for (int length = 0; length <= 64; ++length) {
        for (int trial = 0; trial < 200; ++trial) {
            std::vector<unsigned char> frame(static_cast<std::size_t>(length));
            for (unsigned char& octet : frame) octet = static_cast<unsigned char>(rng());
            if (trial % 2 == 0 && length >= 2) {
                frame[0] = 0x08;
                frame[1] = static_cast<unsigned char>(rng() % 4);
            }
            for (uint32_t flags : {0u, DECODE_DETAIL, DECODE_DETAIL | DECODE_HEX}) {
                const std::string text = test::DecodeOctets(DecodeQ931, flags, frame, "00:00.000");
                ASSERT_EQ(text.find('\0'), std::string::npos);
                ASSERT_EQ(text.rfind("00:00.000", 0), 0u);
                ASSERT_EQ(text.substr(text.size() - ((flags & DECODE_DETAIL) != 0 ? 2 : 1)),
                          (flags & DECODE_DETAIL) != 0 ? "\n\n" : "\n");
            }
        }
    }
}

// Every element identifier with random contents of every length up to 40,
// cut short or not, carried state left as the previous element left it.
TEST(Robustness, RandomContentsOfEveryElement) {
    std::mt19937 rng(7931);
    ElementState().Reset();
    for (int identifier = 0; identifier < 0x80; ++identifier) {
        for (int length = 0; length <= 40; ++length) {
            std::vector<unsigned char> message = {0x08, 0x01, 0x01, 0x05, static_cast<unsigned char>(identifier),
                                                  static_cast<unsigned char>(length)};
            for (int k = 0; k < length; ++k) message.push_back(static_cast<unsigned char>(rng()));
            if (length % 3 == 0 && length > 0) message.resize(message.size() - static_cast<std::size_t>(length / 2));
            const std::string text = test::DecodeOctets(DecodeQ931, DECODE_DETAIL | DECODE_HEX, message, "t");
            ASSERT_EQ(text.find('\0'), std::string::npos) << identifier << " " << length;
            ASSERT_NE(text.find("\nQ931: Message type  : SETUP\nQ931: IE: "), std::string::npos);
            ASSERT_EQ(text.substr(text.size() - 2), "\n\n");
        }
    }
}

}  // namespace
}  // namespace korvex
