// What every decode has to satisfy whatever its input, checked by all the
// fuzz harnesses, and the plain readings of text that some of them compare
// the library with. A broken property prints what broke and aborts, so that
// libFuzzer keeps the input as a finding.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "korvex/korvex.h"

namespace korvex::fuzz {

[[noreturn]] inline void Fail(const char* what, const std::string& detail = {}) {
    std::fprintf(stderr, "\n*** property broken: %s\n%s%s", what, detail.c_str(),
                 detail.empty() || detail.back() == '\n' ? "" : "\n");
    std::fflush(stderr);
    std::abort();
}

inline void Check(bool holds, const char* what, const std::string& detail = {}) {
    if (!holds) Fail(what, detail);
}

// Characters behind the capacity that a decode must leave as they were.
inline constexpr int32_t kGuardSize = 64;
// What the buffer holds before a decode: no decoder writes this character
// after its text, so a change to it anywhere behind the text is seen.
inline constexpr char kUntouched = static_cast<char>(0xA5);

// Runs before every decode; puts carried state where the caller wants it.
using Prepare = std::function<void()>;

// One decode of request (its out and capacity are set here) into a buffer of
// exactly capacity characters, followed by a guard zone. Checks that the
// count is below the capacity with the NUL at that index, that the text
// before holds no NUL, and that nothing behind the NUL changed, up to the
// end of the guard zone. Returns the text.
inline std::string CheckedDecode(KorvexDecoder decoder, DecodeRequest request, int32_t capacity,
                                 const Prepare& prepare) {
    const auto size = static_cast<std::size_t>(capacity) + kGuardSize;
    std::unique_ptr<char[]> buffer(new char[size]);
    std::memset(buffer.get(), kUntouched, size);
    request.out = buffer.get();
    request.capacity = capacity;
    if (prepare) prepare();
    const int32_t count = decoder(request);

    Check(count >= 0 && count < capacity, "count below the capacity",
          "count " + std::to_string(count) + ", capacity " + std::to_string(capacity));
    const auto n = static_cast<std::size_t>(count);
    Check(buffer[n] == '\0', "NUL at the index of the count", "count " + std::to_string(count));
    Check(std::memchr(buffer.get(), '\0', n) == nullptr, "no NUL inside the text");
    // One comparison with an untouched copy (a loop here would be
    // instrumented for coverage and cost more than the decode); the loop
    // only finds the place once something changed.
    std::unique_ptr<char[]> untouched(new char[size]);
    std::memset(untouched.get(), kUntouched, size);
    if (std::memcmp(buffer.get() + n + 1, untouched.get(), size - n - 1) != 0) {
        std::size_t i = n + 1;
        while (buffer[i] == kUntouched) ++i;
        Fail(i < static_cast<std::size_t>(capacity) ? "nothing written behind the NUL"
                                                     : "guard zone behind the capacity unchanged",
             "count " + std::to_string(count) + ", capacity " + std::to_string(capacity) + ", changed at " +
                 std::to_string(i));
    }
    return std::string(buffer.get(), n);
}

// The whole text of a decode: the capacity grows until the text ends before
// the last character of the buffer, every try checked as above and every
// try preceded by prepare.
inline std::string WholeText(KorvexDecoder decoder, const DecodeRequest& request, const Prepare& prepare) {
    for (int32_t capacity = 4096;; capacity *= 2) {
        std::string text = CheckedDecode(decoder, request, capacity, prepare);
        if (static_cast<int32_t>(text.size()) < capacity - 1) return text;
        Check(capacity < (1 << 26), "text of a bounded size", std::to_string(text.size()) + " characters");
    }
}

// A text cut by a capacity is the whole text up to capacity - 1 characters.
inline void CheckCut(const std::string& cut, const std::string& whole, int32_t capacity) {
    const std::size_t expected = std::min(whole.size(), static_cast<std::size_t>(capacity - 1));
    Check(cut.size() == expected, "a cut text as long as the room allows",
          "capacity " + std::to_string(capacity) + ": " + std::to_string(cut.size()) + " characters, whole text " +
              std::to_string(whole.size()));
    Check(whole.compare(0, cut.size(), cut) == 0, "a cut text is a prefix of the whole text",
          "cut:\n" + cut + "\nwhole:\n" + whole);
}

inline void CheckSame(const std::string& first, const std::string& second, const char* what) {
    if (first != second) Fail(what, "first:\n" + first + "\nsecond:\n" + second);
}

// Number of lines a text makes: one per line feed, and one for characters
// after the last.
inline int32_t LinesOf(const std::string& text) {
    const auto feeds = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
    return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// Plain readings of text that the harnesses compare the library with.

// The lines of text as a person sees them: split at line feeds, a carriage
// return right before one belonging to the line end; the characters after
// the last line feed are a line when there are any.
inline std::vector<std::string_view> PlainLines(std::string_view text) {
    std::vector<std::string_view> lines;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

// Value of a hex digit of either case; -1 for any other character.
inline int PlainHexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace korvex::fuzz
