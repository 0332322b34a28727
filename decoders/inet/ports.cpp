// TCP and UDP ports, shown alike by both decoders.

#include "core/output.h"
#include "core/value_names.h"
#include "decoders/inet/ip.h"

namespace korvex {

namespace {

constexpr int kTablePorts = 20;

}  // namespace

void AppendPort(uint32_t high, uint32_t low, TextWriter& w) {
    AppendHexPair(w, high, low);
    AppendText(w, " ");
    const uint32_t port = (high & 0xFF) << 8 | (low & 0xFF);
    if (LookupValueName(kTablePorts, port, w) == 0) AppendText(w, "Unassigned or reserved");
}

}  // namespace korvex
