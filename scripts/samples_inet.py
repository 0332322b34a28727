"""Ethernet and IPv4 sample traces: samples/eth.txt and samples/ip.txt, and
the IPv4, TCP, UDP and ICMP builders the benchmark traces use too.
make_samples.py writes and checks them with the other samples.

A small office LAN, seen from the workstation 192.168.1.20: frames it sends
are tagged 'U', frames that reach it from the router, the servers and other
stations 'N'.

eth.txt holds whole Ethernet frames (destination address on, no preamble,
no FCS), short frames padded to the 60-octet minimum: ARP request and reply,
IPv4 and IPv6 frames, IEEE 802.3 length frames with LLC (spanning tree,
NetBIOS), RARP and a loopback test frame.

ip.txt holds IPv4 datagrams from the first octet of the IP header: a TCP
handshake, a short SMTP exchange and the teardown, a DNS query and answer,
ICMP echo, destination unreachable, time exceeded and redirect, a UDP
datagram in two fragments, an echo and its reply with the record route
option, and a source-routed UDP datagram in two fragments, the option in
both. Every checksum is computed, not typed in.
"""

import struct

from trace_format import Frame as F, internet_checksum

# ---------------------------------------------------------------------------
# Addresses
# ---------------------------------------------------------------------------


def mac(text):
    return bytes(int(part, 16) for part in text.split(":"))


def ip4(text):
    return bytes(int(part) for part in text.split("."))


BROADCAST = mac("ff:ff:ff:ff:ff:ff")
STP_GROUP = mac("01:80:c2:00:00:00")
NETBIOS_GROUP = mac("03:00:00:00:00:01")
WS_MAC = mac("00:1b:21:3a:4c:5d")        # the workstation
ROUTER_MAC = mac("00:0d:b9:41:7e:02")
SWITCH_MAC = mac("00:14:6a:9c:22:80")
PRINTER_MAC = mac("00:80:77:15:e0:3c")
TERMINAL_MAC = mac("08:00:2b:12:34:56")

WS = ip4("192.168.1.20")
ROUTER = ip4("192.168.1.1")
DNS = ip4("192.168.1.2")
MAIL = ip4("10.20.0.25")
LAB_HOST = ip4("10.20.7.33")
NEXT_HOP = ip4("192.168.1.254")
FAR_HOST = ip4("172.16.40.9")
MID_ROUTER = ip4("10.255.0.6")
SNMP_AGENT = ip4("192.168.1.30")

# ---------------------------------------------------------------------------
# Checksums and headers
# ---------------------------------------------------------------------------


PROTO_ICMP, PROTO_TCP, PROTO_UDP = 1, 6, 17
DF, MF = 0x4000, 0x2000


def ipv4(src, dst, proto, payload, ident, ttl=64, flags=DF, frag_offset=0, tos=0, options=b""):
    """IPv4 header (20 octets, then the options, a multiple of 4 octets) with
    its checksum, then the payload."""
    assert len(options) % 4 == 0 and len(options) <= 40
    words = 5 + len(options) // 4
    length = words * 4 + len(payload)
    header = struct.pack("!BBHHHBBH4s4s", 0x40 | words, tos, length, ident, flags | frag_offset,
                         ttl, proto, 0, src, dst) + options
    header = header[:10] + struct.pack("!H", internet_checksum(header)) + header[12:]
    return header + payload


OPT_EOL, OPT_RECORD_ROUTE, OPT_LOOSE_SOURCE_ROUTE = 0, 7, 0x83


def route_option(kind, addresses, slots, recorded):
    """Record route or source route option: type, length, pointer (the next
    slot, counted from 1 at the type octet), then the address slots; padded
    with end-of-options octets to a multiple of 4."""
    body = b"".join(addresses).ljust(4 * slots, b"\x00")
    option = bytes([kind, 3 + 4 * slots, 4 + 4 * recorded]) + body
    return option + bytes([OPT_EOL]) * (-len(option) % 4)


def pseudo_header(src, dst, proto, length):
    """The pseudo-header the TCP, UDP and ICMPv6 checksums cover: IPv4's for
    4-octet addresses, IPv6's for 16-octet ones."""
    if len(src) == 16:
        return src + dst + struct.pack("!I3xB", length, proto)
    return src + dst + struct.pack("!BBH", 0, proto, length)


TCP_FIN, TCP_SYN, TCP_RST, TCP_PSH, TCP_ACK, TCP_URG = 0x01, 0x02, 0x04, 0x08, 0x10, 0x20


def tcp(src, dst, sport, dport, seq, ack, flags, window, payload=b"", options=b"", urgent=0):
    offset = (20 + len(options)) // 4
    header = struct.pack("!HHIIBBHHH", sport, dport, seq, ack, offset << 4, flags, window, 0, urgent)
    segment = header + options + payload
    csum = internet_checksum(pseudo_header(src, dst, PROTO_TCP, len(segment)) + segment)
    return segment[:16] + struct.pack("!H", csum) + segment[18:]


def udp(src, dst, sport, dport, payload):
    length = 8 + len(payload)
    datagram = struct.pack("!HHHH", sport, dport, length, 0) + payload
    csum = internet_checksum(pseudo_header(src, dst, PROTO_UDP, length) + datagram) or 0xFFFF
    return datagram[:6] + struct.pack("!H", csum) + datagram[8:]


ICMP_ECHO_REPLY, ICMP_UNREACHABLE, ICMP_REDIRECT = 0, 3, 5
ICMP_ECHO, ICMP_TIME_EXCEEDED = 8, 11


def icmp(icmp_type, code, rest):
    """Type, code, checksum, then the rest of the message (4 octets of
    identifier/sequence, gateway or unused, then data)."""
    message = struct.pack("!BBH", icmp_type, code, 0) + rest
    return message[:2] + struct.pack("!H", internet_checksum(message)) + message[4:]


def icmp_error(icmp_type, code, word, offending):
    """An ICMP error quoting the offending datagram's header and the first
    eight octets of its payload."""
    return icmp(icmp_type, code, struct.pack("!I", word) + offending[:28])


def ethernet(dst, src, ethertype, payload):
    """Ethernet II frame padded to the 60-octet minimum (no FCS kept)."""
    frame = dst + src + struct.pack("!H", ethertype) + payload
    return frame + b"\x00" * max(0, 60 - len(frame))


def ieee8023(dst, src, llc_payload):
    """IEEE 802.3 frame: the type field holds the LLC data's length."""
    frame = dst + src + struct.pack("!H", len(llc_payload)) + llc_payload
    return frame + b"\x00" * max(0, 60 - len(frame))


# ---------------------------------------------------------------------------
# Payloads
# ---------------------------------------------------------------------------

ETHERTYPE_IP, ETHERTYPE_ARP, ETHERTYPE_RARP = 0x0800, 0x0806, 0x8035
ETHERTYPE_IPV6, ETHERTYPE_LOOPBACK = 0x86DD, 0x9000


def arp(op, sender_mac, sender_ip, target_mac, target_ip, proto=ETHERTYPE_IP):
    return struct.pack("!HHBBH", 1, proto, 6, 4, op) + sender_mac + sender_ip + target_mac + target_ip


def dns_name(name):
    return b"".join(bytes([len(label)]) + label.encode("ascii") for label in name.split(".")) + b"\x00"


def dns_query(ident, name):
    return struct.pack("!HHHHHH", ident, 0x0100, 1, 0, 0, 0) + dns_name(name) + struct.pack("!HH", 1, 1)


def dns_answer(ident, name, address, ttl):
    question = dns_name(name) + struct.pack("!HH", 1, 1)
    answer = struct.pack("!HHHIH", 0xC00C, 1, 1, ttl, 4) + address
    return struct.pack("!HHHHHH", ident, 0x8180, 1, 1, 0, 0) + question + answer


def ipv6_neighbor_solicitation():
    """ICMPv6 neighbour solicitation from fe80::21b:21ff:fe3a:4c5d for the
    router's link-local address (checksum left 0: not decoded here)."""
    src = bytes.fromhex("fe80000000000000021b21fffe3a4c5d")
    target = bytes.fromhex("fe80000000000000020db9fffe417e02")
    dst = bytes.fromhex("ff0200000000000000000001ff417e02")
    body = struct.pack("!BBHI", 135, 0, 0, 0) + target + bytes([1, 1]) + WS_MAC
    return struct.pack("!IHBB", 0x60000000, len(body), 58, 255) + src + dst + body


def stp_bpdu():
    """LLC 42 42 03, then a configuration BPDU from the root bridge."""
    root = bytes.fromhex("8000") + SWITCH_MAC
    bpdu = struct.pack("!HBBB", 0, 0, 0, 0) + root + struct.pack("!I", 0) + root + \
        struct.pack("!HHHHH", 0x8004, 0, 20 * 256, 2 * 256, 15 * 256)
    return bytes([0x42, 0x42, 0x03]) + bpdu


def netbios_name_query():
    """LLC F0 F0 03, then a NetBIOS frames name query for "PRINTSRV"."""
    name = b"PRINTSRV".ljust(16, b" ")
    header = struct.pack("<HHBBHHH", 44, 0xEFFF, 0x0A, 0, 0, 0, 0x0017)
    return bytes([0xF0, 0xF0, 0x03]) + header + name + b"WS20".ljust(16, b" ")


def loopback_reply():
    """Configuration test protocol: skip count 0, reply function, receipt
    number, then filler."""
    return struct.pack("<HHH", 0, 1, 0x2A) + b"\x00" * 40


# ---------------------------------------------------------------------------
# The two traces
# ---------------------------------------------------------------------------

ISN_WS = 0x5A3C9E01          # the workstation's initial sequence number
ISN_MAIL = 0xF1E2D3C4        # the mail server's: above 2^31
WS_PORT = 49321
MSS_1460 = bytes([2, 4, 0x05, 0xB4])

GREETING = b"220 mail.example.net ESMTP\r\n"
EHLO = b"EHLO ws20.example.net\r\n"
QUIT = b"QUIT\r\n"


def to_mail(seq, ack, flags, payload=b"", options=b"", ident=0):
    return ipv4(WS, MAIL, PROTO_TCP,
                tcp(WS, MAIL, WS_PORT, 25, seq, ack, flags, 64240, payload, options), ident)


def from_mail(seq, ack, flags, payload=b"", options=b"", ident=0):
    return ipv4(MAIL, WS, PROTO_TCP,
                tcp(MAIL, WS, 25, WS_PORT, seq, ack, flags, 29200, payload, options), ident, ttl=58)


def echo(icmp_type, src, dst, ident, seq, ip_ident, ttl=64):
    data = bytes(range(0x20, 0x40))
    return ipv4(src, dst, PROTO_ICMP, icmp(icmp_type, 0, struct.pack("!HH", ident, seq) + data),
                ip_ident, ttl=ttl)


W, M = ISN_WS, ISN_MAIL
G, E, Q = len(GREETING), len(EHLO), len(QUIT)

# Datagrams the workstation sent that the ICMP errors quote.
TFTP_PROBE = ipv4(WS, LAB_HOST, PROTO_UDP, udp(WS, LAB_HOST, 50002, 69, b"\x00\x01boot.cfg\x00octet\x00"),
                  0x1F40)
TRACE_PROBE = ipv4(WS, FAR_HOST, PROTO_UDP, udp(WS, FAR_HOST, 50003, 33434, b"\x00" * 12), 0x1F41,
                   ttl=1, flags=0)
OFF_LINK = ipv4(WS, FAR_HOST, PROTO_TCP,
                tcp(WS, FAR_HOST, 49330, 23, 0x0BADCAFE, 0, TCP_SYN, 64240), 0x1F42)


def ber(tag, content):
    """One BER element with a short-form length."""
    assert len(content) < 128
    return bytes([tag, len(content)]) + content


def snmp_sysdescr_response(request_id, descr):
    """SNMPv1 GetResponse carrying sysDescr.0."""
    varbind = ber(0x30, ber(0x06, bytes.fromhex("2b06010201010100")) + ber(0x04, descr))
    pdu = ber(0xA2, ber(0x02, struct.pack("!I", request_id)) + ber(0x02, b"\x00") + ber(0x02, b"\x00") +
              ber(0x30, varbind))
    return ber(0x30, ber(0x02, b"\x00") + ber(0x04, b"public") + pdu)


# A 96-octet UDP datagram (an SNMP response) sent in two fragments of 48
# octets: the second at fragment offset 6 (48 octets).
SNMP_RESPONSE = udp(SNMP_AGENT, WS, 161, 50004,
                    snmp_sysdescr_response(0x4D7A10E1, b"Laser printer 3F, floor 3 east, firmware 2.14"))
assert len(SNMP_RESPONSE) == 96

# ping -R to the far host: the echo leaves with nine empty record route
# slots (a 60-octet header) and comes back with the five addresses of the
# interfaces it left through, there and back.
ROUTE_OUT = [ip4("10.255.0.5"), ip4("172.16.40.1")]
ROUTE_BACK = [FAR_HOST, MID_ROUTER, ROUTER]
PING_DATA = bytes(range(0x60, 0x7C))


def record_route_echo(icmp_type, src, dst, route, ip_ident, ttl):
    message = icmp(icmp_type, 0, struct.pack("!HH", 0x0102, 1) + PING_DATA)
    return ipv4(src, dst, PROTO_ICMP, message, ip_ident, ttl=ttl,
                options=route_option(OPT_RECORD_ROUTE, route, 9, len(route)))


# A syslog message sent loose-source-routed through the far side's router,
# in two fragments; the option is copied into both (its copy bit is set), so
# the later fragment has a 28-octet header too.
SYSLOG = udp(WS, FAR_HOST, 514, 514, b"<134>ws20 backup: nightly job done, 1423 files, 0 errors")
SOURCE_ROUTE = route_option(OPT_LOOSE_SOURCE_ROUTE, [FAR_HOST], 1, 0)

IP_FRAMES = [
    # --- DNS lookup of the mail server ------------------------------------
    F(0, "U", ipv4(WS, DNS, PROTO_UDP, udp(WS, DNS, 53011, 53, dns_query(0x3D21, "mail.example.net")), 0x1A01)),
    F(3, "N", ipv4(DNS, WS, PROTO_UDP,
                   udp(DNS, WS, 53, 53011, dns_answer(0x3D21, "mail.example.net", MAIL, 3600)), 0x6E10)),
    # --- TCP handshake, SMTP greeting and EHLO, teardown ---------------------
    F(2, "U", to_mail(W, 0, TCP_SYN, options=MSS_1460, ident=0x1A02)),
    F(21, "N", from_mail(M, W + 1, TCP_SYN | TCP_ACK, options=MSS_1460)),
    F(1, "U", to_mail(W + 1, M + 1, TCP_ACK, ident=0x1A03)),
    F(35, "N", from_mail(M + 1, W + 1, TCP_PSH | TCP_ACK, GREETING)),
    F(1, "U", to_mail(W + 1, M + 1 + G, TCP_ACK, ident=0x1A04)),
    F(4, "U", to_mail(W + 1, M + 1 + G, TCP_PSH | TCP_ACK, EHLO, ident=0x1A05)),
    F(22, "N", from_mail(M + 1 + G, W + 1 + E, TCP_ACK)),
    F(1210, "U", to_mail(W + 1 + E, M + 1 + G, TCP_PSH | TCP_ACK, QUIT, ident=0x1A06)),
    F(23, "N", from_mail(M + 1 + G, W + 1 + E + Q, TCP_FIN | TCP_ACK)),
    F(1, "U", to_mail(W + 1 + E + Q, M + 2 + G, TCP_FIN | TCP_ACK, ident=0x1A07)),
    F(21, "N", from_mail(M + 2 + G, W + 2 + E + Q, TCP_ACK)),
    # --- Ping the router ----------------------------------------------------
    F(2400, "U", echo(ICMP_ECHO, WS, ROUTER, 0x0101, 1, 0x1A08)),
    F(1, "N", echo(ICMP_ECHO_REPLY, ROUTER, WS, 0x0101, 1, 0x3301, ttl=255)),
    F(999, "U", echo(ICMP_ECHO, WS, ROUTER, 0x0101, 2, 0x1A09)),
    F(1, "N", echo(ICMP_ECHO_REPLY, ROUTER, WS, 0x0101, 2, 0x3302, ttl=255)),
    # --- TFTP to a lab host that runs no TFTP server: port unreachable ------
    F(3120, "U", TFTP_PROBE),
    F(2, "N", ipv4(LAB_HOST, WS, PROTO_ICMP, icmp_error(ICMP_UNREACHABLE, 3, 0, TFTP_PROBE), 0x0C11, flags=0)),
    # --- First traceroute probe expires at the first router ----------------
    F(1840, "U", TRACE_PROBE),
    F(1, "N", ipv4(ROUTER, WS, PROTO_ICMP, icmp_error(ICMP_TIME_EXCEEDED, 0, 0, TRACE_PROBE), 0x3303,
                   ttl=255, flags=0, tos=0xC0)),
    # --- A connection to a host behind the other gateway: redirect ---------
    F(2215, "U", OFF_LINK),
    F(1, "N", ipv4(ROUTER, WS, PROTO_ICMP,
                   icmp(ICMP_REDIRECT, 1, NEXT_HOP + OFF_LINK[:28]), 0x3304, ttl=255, flags=0, tos=0xC0)),
    # --- SNMP response in two fragments --------------------------------------
    F(1700, "N", ipv4(SNMP_AGENT, WS, PROTO_UDP, SNMP_RESPONSE[:48], 0x7E21, flags=MF)),
    F(1, "N", ipv4(SNMP_AGENT, WS, PROTO_UDP, SNMP_RESPONSE[48:], 0x7E21, flags=0, frag_offset=6)),
    # --- ping -R: the echo and its reply carry a record route option ---------
    F(2630, "U", record_route_echo(ICMP_ECHO, WS, FAR_HOST, [], 0x1A0A, 64)),
    F(38, "N", record_route_echo(ICMP_ECHO_REPLY, FAR_HOST, WS, ROUTE_OUT + ROUTE_BACK, 0x5C01, 61)),
    # --- A source-routed syslog message in two fragments ---------------------
    F(4105, "U", ipv4(WS, MID_ROUTER, PROTO_UDP, SYSLOG[:48], 0x1A0B, flags=MF, options=SOURCE_ROUTE)),
    F(1, "U", ipv4(WS, MID_ROUTER, PROTO_UDP, SYSLOG[48:], 0x1A0B, flags=0, frag_offset=6,
                   options=SOURCE_ROUTE)),
]

ETH_FRAMES = [
    # --- ARP for the router, and its answer ---------------------------------
    F(0, "U", ethernet(BROADCAST, WS_MAC, ETHERTYPE_ARP, arp(1, WS_MAC, WS, bytes(6), ROUTER))),
    F(1, "N", ethernet(WS_MAC, ROUTER_MAC, ETHERTYPE_ARP, arp(2, ROUTER_MAC, ROUTER, WS_MAC, WS))),
    # --- IPv4: DNS query and answer, and a ping of the router ---------------
    F(2, "U", ethernet(ROUTER_MAC, WS_MAC, ETHERTYPE_IP, IP_FRAMES[0].data)),
    F(3, "N", ethernet(WS_MAC, ROUTER_MAC, ETHERTYPE_IP, IP_FRAMES[1].data)),
    F(410, "U", ethernet(ROUTER_MAC, WS_MAC, ETHERTYPE_IP, IP_FRAMES[13].data)),
    F(1, "N", ethernet(WS_MAC, ROUTER_MAC, ETHERTYPE_IP, IP_FRAMES[14].data)),
    # --- TCP handshake toward the mail server, through the router ----------
    F(6, "U", ethernet(ROUTER_MAC, WS_MAC, ETHERTYPE_IP, IP_FRAMES[2].data)),
    F(21, "N", ethernet(WS_MAC, ROUTER_MAC, ETHERTYPE_IP, IP_FRAMES[3].data)),
    F(1, "U", ethernet(ROUTER_MAC, WS_MAC, ETHERTYPE_IP, IP_FRAMES[4].data)),
    # --- Spanning tree: configuration BPDU, an 802.3 length frame ----------
    F(1630, "N", ieee8023(STP_GROUP, SWITCH_MAC, stp_bpdu())),
    # --- IPv6 neighbour solicitation for the router ------------------------
    F(512, "U", ethernet(mac("33:33:ff:41:7e:02"), WS_MAC, ETHERTYPE_IPV6, ipv6_neighbor_solicitation())),
    # --- NetBIOS name query over LLC, another 802.3 length frame -----------
    F(840, "U", ieee8023(NETBIOS_GROUP, WS_MAC, netbios_name_query())),
    # --- A diskless terminal asks for its address: RARP request ------------
    F(1255, "N", ethernet(BROADCAST, TERMINAL_MAC, ETHERTYPE_RARP,
                          arp(3, TERMINAL_MAC, bytes(4), TERMINAL_MAC, bytes(4)))),
    # --- The switch's loopback test, and the next BPDU ---------------------
    F(380, "N", ethernet(SWITCH_MAC, SWITCH_MAC, ETHERTYPE_LOOPBACK, loopback_reply())),
    F(1620, "N", ieee8023(STP_GROUP, SWITCH_MAC, stp_bpdu())),
    # --- ARP from the printer for the workstation, and the answer ----------
    F(930, "N", ethernet(BROADCAST, PRINTER_MAC, ETHERTYPE_ARP,
                         arp(1, PRINTER_MAC, ip4("192.168.1.40"), bytes(6), WS))),
    F(1, "U", ethernet(PRINTER_MAC, WS_MAC, ETHERTYPE_ARP, arp(2, WS_MAC, WS, PRINTER_MAC, ip4("192.168.1.40")))),
]

# ---------------------------------------------------------------------------
# Checks
# ---------------------------------------------------------------------------

def check_ip(data):
    """The header checksum of an IPv4 datagram, options included, holds."""
    header = (data[0] & 0x0F) * 4 if data else 0
    return header >= 20 and len(data) >= header and internet_checksum(data[:header]) == 0


# The traces make_samples.py writes, each frame checked for sound headers.
SAMPLES = {
    "eth.txt": (ETH_FRAMES, lambda d: len(d) >= 60 and (d[12:14] != b"\x08\x00" or check_ip(d[14:]))),
    "ip.txt": (IP_FRAMES, check_ip),
}
