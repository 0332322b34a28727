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

}  // namespace

std::span<const Protocol> Protocols() { return kProtocols; }

KorvexDecoder FindProtocol(std::string_view name) {
    for (const Protocol& p : kProtocols) {
        if (name == p.name) return p.decoder;
    }
    return nullptr;
}

std::vector<std::string> ProtocolNames() {
    std::vector<std::string> names;
    for (const Protocol& p : kProtocols) names.emplace_back(p.name);
    return names;
}

}  // namespace korvex
