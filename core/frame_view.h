// Bounds-checked, read-only view of one raw frame. Every decoder reads its
// octets through this view, so a short or damaged frame can never make a
// decoder read outside the bytes it was handed.
#pragma once

#include <cstdint>

namespace korvex {

class FrameView {
public:
    FrameView(const unsigned char* data, int32_t size)
        : data_(data), size_(data == nullptr || size < 0 ? 0 : size) {}

    int32_t Size() const { return size_; }

    // True when octet i lies inside the frame.
    bool Has(int32_t i) const { return i >= 0 && i < size_; }

    // True when octets first .. first + count - 1 all lie inside the frame.
    bool HasRange(int32_t first, int32_t count) const {
        return count >= 0 && first >= 0 && first <= size_ && count <= size_ - first;
    }

    // Octet i, or 0 outside the frame. Callers test Has() where the
    // difference matters; the fallback only guarantees a safe read.
    uint8_t At(int32_t i) const { return Has(i) ? data_[i] : 0; }

    // Octets i and i + 1, most significant first; an octet outside the
    // frame reads as 0.
    uint32_t Read16(int32_t i) const { return static_cast<uint32_t>(At(i)) << 8 | At(i + 1); }

    // Octets i to i + 3, most significant first, read as Read16 reads.
    uint32_t Read32(int32_t i) const { return Read16(i) << 16 | Read16(i + 2); }

    // The view of octets first .. end of frame (empty past the end).
    FrameView From(int32_t first) const {
        if (first <= 0) return *this;
        if (first >= size_) return FrameView(data_, 0);
        return FrameView(data_ + first, size_ - first);
    }

    // The view of the first count octets (clamped to the frame).
    FrameView First(int32_t count) const {
        if (count <= 0) return FrameView(data_, 0);
        return FrameView(data_, count < size_ ? count : size_);
    }

    // The octets first .. first + count - 1 in one piece, or null when they
    // do not all lie inside the frame.
    const unsigned char* Range(int32_t first, int32_t count) const {
        return HasRange(first, count) ? data_ + first : nullptr;
    }

    const unsigned char* Data() const { return data_; }

private:
    const unsigned char* data_;
    int32_t size_;
};

}  // namespace korvex
