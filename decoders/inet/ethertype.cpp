// Names of the values of the Ethernet type/length field.

#include <cstring>

#include "decoders/inet/ethernet.h"
#include "decoders/inet/ethertype_tables.h"

namespace korvex {

const char* EtherTypeName(uint32_t value) {
    for (const EtherTypeRange& range : EtherTypeRangeTable) {
        if (range.low <= value && value <= range.high) return range.text;
    }
    int found = 0;
    int rowIndex = 0;
    const char* text = FindValueName(EtherTypeNameTable, value, found, rowIndex);
    return found != 0 ? text : "Unknown";
}

int NameEtherType(uint32_t value, TextWriter& w) {
    const char* name = EtherTypeName(value);
    const std::size_t n = std::strlen(name);
    w.Write(name, n);
    return static_cast<int>(n);
}

}  // namespace korvex
