#include "decoders/protocols.h"

namespace korvex {

namespace {

constexpr Protocol kProtocols[] = {
    {"lapd", DecodeLapd},
    {"lapf", DecodeLapf},
    {"q931", DecodeQ931},
    {"x25", DecodeX25},
    {"eth", DecodeEthernet},
    {"ip", DecodeIp},
};

// Other names of the protocols above, by the recommendation or the layer
// people know them by.
constexpr ProtocolAlias kAliases[] = {
    {"q921", "lapd"},
    {"q922", "lapf"},
    {"ethernet", "eth"},
    {"ipv4", "ip"},
};

// Equal but for the case of ASCII letters.
bool SameName(std::string_view typed, std::string_view name) {
    if (typed.size() != name.size()) return false;
    for (std::size_t i = 0; i < typed.size(); ++i) {
        char c = typed[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i]) return false;
    }
    return true;
}

// The row of a name as typed, or null.
const Protocol* Match(std::string_view name) {
    for (const ProtocolAlias& a : kAliases) {
        if (SameName(name, a.alias)) {
            name = a.name;
            break;
        }
    }
    for (const Protocol& p : kProtocols) {
        if (SameName(name, p.name)) return &p;
    }
    return nullptr;
}

}  // namespace

std::span<const Protocol> Protocols() { return kProtocols; }

std::span<const ProtocolAlias> ProtocolAliases() { return kAliases; }

const char* CanonicalProtocolName(std::string_view name) {
    const Protocol* p = Match(name);
    return p != nullptr ? p->name : nullptr;
}

KorvexDecoder FindProtocol(std::string_view name) {
    const Protocol* p = Match(name);
    return p != nullptr ? p->decoder : nullptr;
}

std::vector<std::string> ProtocolNames() {
    std::vector<std::string> names;
    for (const Protocol& p : kProtocols) names.emplace_back(p.name);
    return names;
}

}  // namespace korvex
