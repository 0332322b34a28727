#include "cli/protocols.h"

namespace korvex::cli {

namespace {

constexpr Protocol kProtocols[] = {
    {"lapd", DecodeLapd},
    {"lapf", DecodeLapf},
    {"x25", DecodeX25},
    {"eth", DecodeEthernet},
    {"ip", DecodeIp},
    {"q931", DecodeQ931},
};

}  // namespace

DecoderEntry FindProtocol(std::string_view name) {
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

}  // namespace korvex::cli
