// Value names for the structured decoders: the text decoders' table rows,
// reached by the same lookup, without the blanks that line the text up.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/value_names.h"

namespace korvex {

// The name of key in table tableId from its first character that is not a
// blank; "" when the table has no row for key. Trailing blanks stay: use
// CopyName where a table pads its names on the right.
inline const char* NameOf(int tableId, uint32_t key) {
    const ValueName* row = FindRowById(tableId, key);
    if (row == nullptr) return "";
    const char* text = row->text;
    while (*text == ' ') ++text;
    return text;
}

// Copies the name of key without its leading and trailing blanks into out
// (size characters with the NUL, cut to fit); "" when there is no row.
inline void CopyName(int tableId, uint32_t key, char* out, std::size_t size) {
    if (size == 0) return;
    out[0] = '\0';
    const ValueName* row = FindRowById(tableId, key);
    if (row == nullptr) return;
    std::size_t first = 0;
    std::size_t end = row->length;
    while (first < end && row->text[first] == ' ') ++first;
    while (end > first && row->text[end - 1] == ' ') --end;
    std::size_t n = end - first < size - 1 ? end - first : size - 1;
    for (std::size_t i = 0; i < n; ++i) out[i] = row->text[first + i];
    out[n] = '\0';
}

}  // namespace korvex
