// ARP decoder: the operation and the sender's and target's protocol
// addresses on the summary line; every field in the detail block, the
// hardware and protocol types by name, IPv4 addresses in dotted decimal and
// other addresses as hex octets. The address fields are placed by the two
// length octets; nothing is checked against anything.
//
// A packet cut short shows the fields whose octets it holds, each whole,
// and leaves out the others.

#include "decoders/inet/arp.h"

#include "core/frame_text.h"
#include "core/output.h"
#include "decoders/inet/ethernet.h"

namespace korvex {

namespace {

//   octets 0-1   hardware type
//   octets 2-3   protocol type, an EtherType
//   octet 4      hardware address length, n
//   octet 5      protocol address length, m
//   octets 6-7   operation
//   octets 8..   sender hardware address (n), sender protocol address (m),
//                target hardware address (n), target protocol address (m)
enum PacketField : int32_t { kHardwareType = 0, kProtocolType = 2, kHardwareLength = 4, kProtocolLength = 5,
                             kOperation = 6, kAddresses = 8 };
constexpr uint32_t kProtocolIpv4 = 0x0800;
constexpr int kAddressTextWidth = 15;

// Where each of the four addresses starts, and their lengths.
struct AddressPlaces {
    int32_t hardwareLength;
    int32_t protocolLength;
    int32_t senderHardware;
    int32_t senderProtocol;
    int32_t targetHardware;
    int32_t targetProtocol;
};

AddressPlaces PlacesOf(const FrameView& d) {
    const int32_t n = d.At(kHardwareLength);
    const int32_t m = d.At(kProtocolLength);
    return {n, m, kAddresses, kAddresses + n, kAddresses + n + m, kAddresses + 2 * n + m};
}

// count octets from first on as hex digit pairs joined by blanks.
void AppendOctets(TextWriter& w, const FrameView& d, int32_t first, int32_t count) {
    for (int32_t i = 0; i < count; ++i) {
        if (i > 0) w.Put(' ');
        AppendHexByte(w, d.At(first + i));
    }
}

// A protocol address: dotted decimal for IPv4 (padded to width), else hex
// octets.
void AppendProtocolAddress(TextWriter& w, const FrameView& d, int32_t first, int32_t length, int width) {
    if (d.Read16(kProtocolType) == kProtocolIpv4 && length == 4) {
        AppendDottedDecimal(w, d, first, 4, width);
    } else {
        AppendOctets(w, d, first, length);
    }
}

void ArpSummary(const FrameView& d, uint32_t, NoFields&, TextWriter& w) {
    AppendText(w, "  ARP");
    if (d.HasRange(kOperation, 2)) {
        AppendText(w, "  OP ");
        AppendHexPair(w, d.At(kOperation), d.At(kOperation + 1));
    }
    if (!d.HasRange(kProtocolType, 4)) return;
    const AddressPlaces at = PlacesOf(d);
    if (d.HasRange(at.senderProtocol, at.protocolLength)) {
        AppendText(w, "  SENDER ");
        AppendProtocolAddress(w, d, at.senderProtocol, at.protocolLength, kAddressTextWidth);
    }
    if (d.HasRange(at.targetProtocol, at.protocolLength)) {
        AppendText(w, "  TARGET ");
        AppendProtocolAddress(w, d, at.targetProtocol, at.protocolLength, 0);
    }
}

// The line of a 16-bit field: its four hex digits, a blank and its name.
void AppendNamedField(TextWriter& w, const char* label, const FrameView& d, int32_t first, int tableId) {
    AppendLabelHexPair(w, label, d.At(first), d.At(first + 1));
    AppendText(w, " ");
    AppendValueName(w, tableId, d.Read16(first), "Unassigned");
}

void AppendAddressLines(const FrameView& d, TextWriter& w) {
    const AddressPlaces at = PlacesOf(d);
    const struct {
        const char* label;
        int32_t first;
        int32_t length;
        bool protocol;  // a protocol address, else a hardware address
    } lines[] = {
        {"\nARP: Sender HW Addr : ", at.senderHardware, at.hardwareLength, false},
        {"\nARP: Sender Address : ", at.senderProtocol, at.protocolLength, true},
        {"\nARP: Target HW Addr : ", at.targetHardware, at.hardwareLength, false},
        {"\nARP: Target Address : ", at.targetProtocol, at.protocolLength, true},
    };
    for (const auto& line : lines) {
        if (!d.HasRange(line.first, line.length)) continue;
        AppendText(w, line.label);
        if (line.protocol) {
            AppendProtocolAddress(w, d, line.first, line.length, 0);
        } else {
            AppendOctets(w, d, line.first, line.length);
        }
    }
}

void ArpDetail(const FrameView& d, uint32_t, NoFields&, TextWriter& w) {
    if (d.HasRange(kHardwareType, 2)) AppendNamedField(w, "\nARP: Hardware Type  : ", d, kHardwareType, kTableArpHardware);
    if (d.HasRange(kProtocolType, 2)) {
        AppendLabelHexPair(w, "\nARP: Protocol Type  : ", d.At(kProtocolType), d.At(kProtocolType + 1));
        AppendText(w, " ");
        NameEtherType(d.Read16(kProtocolType), w);
    }
    if (d.Has(kHardwareLength)) AppendLabelDecimal(w, "\nARP: Hardware Length: ", d.At(kHardwareLength));
    if (d.Has(kProtocolLength)) AppendLabelDecimal(w, "\nARP: Protocol Length: ", d.At(kProtocolLength));
    if (d.HasRange(kOperation, 2)) AppendNamedField(w, "\nARP: Operation      : ", d, kOperation, kTableArpOperation);
    if (d.HasRange(kHardwareLength, 2)) AppendAddressLines(d, w);
}

constexpr FrameText<NoFields> kArpText = {ArpSummary, ArpDetail};

}  // namespace

int32_t DecodeArp(DecodeRequest request) { return DecodeFrame(kArpText, request); }

}  // namespace korvex
