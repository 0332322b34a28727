// The exported lookups over the protocol table, for callers that reach the
// library through its C interface (other languages' foreign-function calls).
#include <cstdint>

#include "decoders/protocols.h"

extern "C" KorvexDecoder KorvexFindDecoder(const char* name) {
    if (name == nullptr) return nullptr;
    return korvex::FindProtocol(name);
}

extern "C" const char* KorvexProtocolName(int32_t index) {
    const auto protocols = korvex::Protocols();
    if (index < 0 || static_cast<std::size_t>(index) >= protocols.size()) return nullptr;
    return protocols[static_cast<std::size_t>(index)].name;
}
