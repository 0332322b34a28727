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

// Copies n characters (n > 0) without going through the C library's
// memcpy: the texts are short, and a call of that costs more than the copy.
void CopyText(char* to, const char* from, std::size_t n);

class TextWriter {
public:
    TextWriter(char* out, int32_t capacity)
        : out_(out), capacity_(out == nullptr || capacity < 0 ? 0 : capacity) {}

    int32_t Position() const { return pos_; }

    // True once any character had to be dropped for lack of room.
    bool Truncated() const { return truncated_; }

    KORVEX_INLINE void Put(char c) {
        if (pos_ + 1 < capacity_) {
            out_[pos_++] = c;
        } else {
            truncated_ = true;
        }
    }

    KORVEX_INLINE void Write(const char* text, std::size_t n) {
        // Inlined into every primitive: with a constant n the copy becomes a
        // few moves. Room for the text and the closing NUL is the common case.
        if (n == 0) return;
        if (n < static_cast<std::size_t>(capacity_ - pos_)) [[likely]] {
            Copy(out_ + pos_, text, n);
            pos_ += static_cast<int32_t>(n);
            return;
        }
        WriteCut(text, n);
    }

    // Write() followed by TrailingBlank(), in one step: when the text fits,
    // the blank is known to fit behind it.
    KORVEX_INLINE void WriteWithBlank(const char* text, std::size_t n) {
        char* const out = out_;
        const int32_t pos = pos_;
        if (n < static_cast<std::size_t>(capacity_ - pos)) [[likely]] {
            if (n != 0) Copy(out + pos, text, n);
            out[pos + static_cast<int32_t>(n)] = ' ';
            pos_ = pos + static_cast<int32_t>(n);
            return;
        }
        WriteCut(text, n);
        TrailingBlank();
    }

    // Put() followed by TrailingBlank(), in one step.
    KORVEX_INLINE void PutWithBlank(char c) {
        char* const out = out_;
        const int32_t pos = pos_;
        if (pos + 1 < capacity_) [[likely]] {
            out[pos] = c;
            out[pos + 1] = ' ';
            pos_ = pos + 1;
            return;
        }
        truncated_ = true;
        TrailingBlank();
    }

    // Where count characters can be stored at once with room left for the
    // closing NUL; null when they do not fit. Commit() then counts those of
    // them that were stored (at most count).
    KORVEX_INLINE char* Reserve(int32_t count) { return count < capacity_ - pos_ ? out_ + pos_ : nullptr; }
    KORVEX_INLINE void Commit(int32_t stored) { pos_ += stored; }

    // Store a blank right after the text without counting it: the formatting
    // primitives leave one there, and the next write starts on it.
    KORVEX_INLINE void TrailingBlank() {
        if (pos_ < capacity_) out_[pos_] = ' ';
    }

    // A writer for a nested decode that appends at this writer's position
    // with the room that is left; Advance() takes its count back.
    char* Cursor() const { return out_ == nullptr ? nullptr : out_ + pos_; }
    int32_t Room() const { return capacity_ - pos_; }
    void Advance(int32_t n) {
        if (n > 0 && n < Room()) pos_ += n;
    }

    // Store the closing NUL at the position and return the position.
    int32_t Finish() {
        if (pos_ < capacity_) out_[pos_] = '\0';
        return pos_;
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
        const std::size_t room = pos_ + 1 < capacity_ ? static_cast<std::size_t>(capacity_ - 1 - pos_) : 0;
        const std::size_t k = n < room ? n : room;
        if (k > 0) std::memcpy(out_ + pos_, text, k);
        pos_ += static_cast<int32_t>(k);
        if (k < n) truncated_ = true;
    }

    char* out_;
    int32_t capacity_;
    int32_t pos_ = 0;
    bool truncated_ = false;
};

}  // namespace korvex
