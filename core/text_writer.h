// Bounded text writer under every output primitive: the caller's buffer, the
// write position and the buffer's capacity. The writer keeps one character
// of the buffer for the closing NUL and drops whatever would go past it, so a
// decoder never has to think about the size of the caller's buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// Forces inlining of the small writing steps: with the text's length known
// where they are called, a copy of a constant text becomes a few moves.
#if defined(__GNUC__)
#define KORVEX_INLINE [[gnu::always_inline]] inline
#else
#define KORVEX_INLINE inline
#endif

namespace korvex {

// The first and the last k characters of n (k <= n <= 2k): all of them, in
// two copies of a known size.
template <std::size_t k>
KORVEX_INLINE void CopyEnds(char* to, const char* from, std::size_t n) {
    char head[k];
    char tail[k];
    std::memcpy(head, from, k);
    std::memcpy(tail, from + n - k, k);
    std::memcpy(to, head, k);
    std::memcpy(to + n - k, tail, k);
}

// Copies n characters without going through the C library's memcpy: the
// texts are short, and a call of that costs more than the copy.
KORVEX_INLINE void CopyText(char* to, const char* from, std::size_t n) {
    if (n > 32) {
        std::memcpy(to, from, n);
    } else if (n >= 16) {
        CopyEnds<16>(to, from, n);
    } else if (n >= 8) {
        CopyEnds<8>(to, from, n);
    } else if (n >= 4) {
        CopyEnds<4>(to, from, n);
    } else if (n > 0) {
        // 1 to 3 characters.
        const char first = from[0];
        const char middle = from[n / 2];
        const char last = from[n - 1];
        to[0] = first;
        to[n / 2] = middle;
        to[n - 1] = last;
    }
}

class TextWriter {
public:
    TextWriter(char* out, int32_t capacity)
        : out_(out), cur_(out), end_(out == nullptr || capacity < 0 ? out : out + capacity) {}

    int32_t Position() const { return static_cast<int32_t>(cur_ - out_); }

    KORVEX_INLINE void Put(char c) {
        if (end_ - cur_ > 1) *cur_++ = c;
    }

    KORVEX_INLINE void Write(const char* text, std::size_t n) {
        // Inlined into every primitive: with a constant n the copy becomes a
        // few moves. Room for the text and the closing NUL is the common case.
        if (n == 0) return;
        char* const cur = cur_;
        if (n < static_cast<std::size_t>(end_ - cur)) [[likely]] {
            Copy(cur, text, n);
            cur_ = cur + n;
            return;
        }
        WriteCut(text, n);
    }

    // Write() followed by TrailingBlank(), in one step: when the text fits,
    // the blank is known to fit behind it.
    KORVEX_INLINE void WriteWithBlank(const char* text, std::size_t n) {
        char* const cur = cur_;
        if (n < static_cast<std::size_t>(end_ - cur)) [[likely]] {
            if (n != 0) Copy(cur, text, n);
            cur[n] = ' ';
            cur_ = cur + n;
            return;
        }
        WriteCut(text, n);
        TrailingBlank();
    }

    // WriteWithBlank() of two texts one after the other, in one step: the
    // start of a line made of two parts.
    KORVEX_INLINE void WriteTwoWithBlank(const char* first, std::size_t n, const char* second, std::size_t m) {
        char* const cur = cur_;
        if (n + m < static_cast<std::size_t>(end_ - cur)) [[likely]] {
            if (n != 0) Copy(cur, first, n);
            if (m != 0) Copy(cur + n, second, m);
            cur[n + m] = ' ';
            cur_ = cur + n + m;
            return;
        }
        WriteCut(first, n);
        WriteCut(second, m);
        TrailingBlank();
    }

    // Put() followed by TrailingBlank(), in one step.
    KORVEX_INLINE void PutWithBlank(char c) {
        char* const cur = cur_;
        if (end_ - cur > 1) [[likely]] {
            cur[0] = c;
            cur[1] = ' ';
            cur_ = cur + 1;
            return;
        }
        TrailingBlank();
    }

    // Where count characters can be stored at once with room left for the
    // closing NUL; null when they do not fit. Commit() then counts those of
    // them that were stored (at most count).
    KORVEX_INLINE char* Reserve(int32_t count) { return count < end_ - cur_ ? cur_ : nullptr; }
    KORVEX_INLINE void Commit(int32_t stored) { cur_ += stored; }

    // Store a blank right after the text without counting it: the formatting
    // primitives leave one there, and the next write starts on it.
    KORVEX_INLINE void TrailingBlank() {
        if (cur_ < end_) *cur_ = ' ';
    }

    // Store the closing NUL at the position and return the position.
    int32_t Finish() {
        if (cur_ < end_) *cur_ = '\0';
        return Position();
    }

private:
    // n characters from to: a constant count is left to the compiler, which
    // turns it into a few moves; a variable one (a name from a table) goes
    // to CopyText.
    KORVEX_INLINE static void Copy(char* to, const char* from, std::size_t n) {
#if defined(__GNUC__)
        if (__builtin_constant_p(n)) {
            std::memcpy(to, from, n);
            return;
        }
#endif
        CopyText(to, from, n);
    }

    // The part of text that fits, when not all of it does.
    void WriteCut(const char* text, std::size_t n) {
        const std::size_t room = end_ - cur_ > 1 ? static_cast<std::size_t>(end_ - cur_ - 1) : 0;
        const std::size_t k = n < room ? n : room;
        if (k > 0) std::memcpy(cur_, text, k);
        cur_ += k;
    }

    char* out_;   // the buffer's first character
    char* cur_;   // the write position
    char* end_;   // just past the buffer: end_ - cur_ is the room, the NUL's included
};

}  // namespace korvex
