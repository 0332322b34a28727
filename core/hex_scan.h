// Reading hex text fast: hex digit values, octets of digit pairs by table,
// line feeds of a block of text as a bit list, and the usual layout of hex
// pairs ("XX XX XX ...") told by a few vector compares. The trace reader's
// speed lives here, so that the reader itself stays a reading of its line
// grammar.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace korvex {

// Hex digit values by character, 16 for every character that is not one.
extern const std::array<uint8_t, 256> kHexValues;

// The octet of every pair of characters, indexed by the first character
// plus 256 times the second: the octet's value, or kBadPair when either
// character is not a hex digit.
inline constexpr uint16_t kBadPair = 0x100;
extern const std::array<uint16_t, 65536> kPairValues;

// The octet of the two characters at p, or kBadPair.
inline uint16_t PairValue(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint16_t pair;
        std::memcpy(&pair, p, sizeof pair);  // the first character in the low octet
        return kPairValues[pair];
    } else {
        return kPairValues[p[0] | static_cast<std::size_t>(p[1]) << 8];
    }
}

// True when the eight characters at 2, 5, 8, ... 23 of the 24 from p on are
// blanks: the blanks behind eight pairs.
inline bool BlanksBehindEightPairs(const unsigned char* p) {
    if constexpr (std::endian::native == std::endian::little) {
        uint64_t q[3];
        std::memcpy(q, p, sizeof q);
        constexpr uint64_t kMask0 = 0x0000FF0000FF0000;  // characters 2 and 5
        constexpr uint64_t kMask1 = 0x00FF0000FF0000FF;  // 8, 11 and 14
        constexpr uint64_t kMask2 = 0xFF0000FF0000FF00;  // 17, 20 and 23
        constexpr uint64_t kBlanks = 0x2020202020202020;
        return (((q[0] ^ kBlanks) & kMask0) | ((q[1] ^ kBlanks) & kMask1) | ((q[2] ^ kBlanks) & kMask2)) == 0;
    } else {
        for (int k = 2; k < 24; k += 3) {
            if (p[k] != ' ') return false;
        }
        return true;
    }
}

// Characters looked at by one call of LineFeedsOf64.
inline constexpr std::size_t kLineFeedBlock = 64;

// A bit for each line feed among the 64 characters from p on, the first
// character's in the lowest bit.
inline uint64_t LineFeedsOf64(const char* p) {
#if defined(__SSE2__)
    const __m128i feed = _mm_set1_epi8('\n');
    uint64_t bits = 0;
    for (int k = 0; k < 4; ++k) {
        const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        bits |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, feed)))} << (16 * k);
    }
    return bits;
#else
    uint64_t bits = 0;
    for (int k = 0; k < 64; ++k) bits |= uint64_t{p[k] == '\n'} << k;
    return bits;
#endif
}

// True when none of the count characters from p on (at most 16) is a line
// feed. The 16 characters from p on are read whatever count is.
inline bool NoLineFeedAmong16(const char* p, std::size_t count) {
#if defined(__SSE2__)
    const __m128i text = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto feeds = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(text, _mm_set1_epi8('\n'))));
    return (feeds & ((uint32_t{1} << count) - 1)) == 0;
#else
    for (std::size_t k = 0; k < count; ++k) {
        if (p[k] == '\n') return false;
    }
    return true;
#endif
}

// Characters from p on that HexLayoutOf and HexTriplesAt read, whatever
// the length of the text they are asked about: they must lie in one buffer.
inline constexpr std::size_t kHexLayoutReach = 48;

// The pairs at the start of a data line's hex text, in the usual layout:
// two hex digits, then one blank, and again. The last pair counted may lack
// its blank (the text is then the characters of the pairs, less one).
struct HexLayout {
    int32_t pairs;
    int32_t length;    // characters of the text they take
    bool blankBehind;  // the last pair's blank is among them
};

namespace hex_scan_detail {

// Where digits and blanks stand in sixteen pairs of the usual layout.
inline constexpr uint64_t kDigitPlaces = 0x6DB6DB6DB6DBULL;  // 0, 1, 3, 4, ... 45, 46
inline constexpr uint64_t kBlankPlaces = 0x924924924924ULL;  // 2, 5, ... 47

// A bit for each hex digit and for each blank among the 48 characters from
// p on.
struct DigitsAndBlanks {
    uint64_t digits;
    uint64_t blanks;
};

inline DigitsAndBlanks DigitsAndBlanksOf48(const unsigned char* p) {
    DigitsAndBlanks found{0, 0};
#if defined(__SSE2__)
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    const __m128i lowerCase = _mm_set1_epi8(0x20);
    const __m128i letterA = _mm_set1_epi8('a');
    const __m128i five = _mm_set1_epi8(5);
    const __m128i blank = _mm_set1_epi8(' ');
    for (int k = 0; k < 3; ++k) {
        const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        // A byte is in a range of n + 1 values from its first when its
        // distance from the first, unsigned, is at most n.
        const __m128i fromZero = _mm_sub_epi8(c, zero);
        const __m128i digit = _mm_cmpeq_epi8(_mm_min_epu8(fromZero, nine), fromZero);
        const __m128i fromA = _mm_sub_epi8(_mm_or_si128(c, lowerCase), letterA);
        const __m128i letter = _mm_cmpeq_epi8(_mm_min_epu8(fromA, five), fromA);
        found.digits |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_or_si128(digit, letter)))} << (16 * k);
        found.blanks |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(c, blank)))} << (16 * k);
    }
#else
    for (int k = 0; k < 48; ++k) {
        found.digits |= uint64_t{kHexValues[p[k]] < 16} << k;
        found.blanks |= uint64_t{p[k] == ' '} << k;
    }
#endif
    return found;
}

}  // namespace hex_scan_detail

// The layout of the count characters from p on (at most 48 of them, sixteen
// pairs, are looked at).
inline HexLayout HexLayoutOf(const unsigned char* p, std::size_t count) {
    using namespace hex_scan_detail;
    const DigitsAndBlanks found = DigitsAndBlanksOf48(p);
    constexpr uint64_t kLooked = uint64_t{1} << 48;
    uint64_t off = (kDigitPlaces & ~found.digits) | (kBlankPlaces & ~found.blanks);
    if (count < 48) off |= ~uint64_t{0} << count;
    const int32_t first = std::countr_zero(off | kLooked);  // the first character out of place
    const int32_t triples = first / 3;
    if (first % 3 == 2) return {triples + 1, 3 * triples + 2, false};
    return {triples, 3 * triples, triples > 0};
}

// True when the 3 x pairs characters from p on (pairs 1 to 16) are that
// many hex digit pairs each followed by one blank.
inline bool HexTriplesAt(const unsigned char* p, int32_t pairs) {
    using namespace hex_scan_detail;
    const DigitsAndBlanks found = DigitsAndBlanksOf48(p);
    const uint64_t places = (uint64_t{1} << (3 * pairs)) - 1;
    return ((kDigitPlaces & places & ~found.digits) | (kBlankPlaces & places & ~found.blanks)) == 0;
}

}  // namespace korvex
