"""IPv6 and tagged-LAN sample traces: samples/ipv6.txt and
samples/eth_vlan.txt. make_samples.py writes and checks them with the
other samples.

The same office LAN as eth.txt and ip.txt, now dual-stack, seen from the
workstation (fe80::21b:21ff:fe3a:4c5d, 2001:db8:1:20::14): frames it sends
are tagged 'U', the others 'N'.

ipv6.txt holds IPv6 datagrams from the first octet of the fixed header:
neighbour and router discovery, a ping of the router, a TCP handshake with
the mail server, a DNS query, a multicast listener report behind a
hop-by-hop options header, a UDP datagram in two fragments, a port
unreachable error and a datagram with destination options and no next
header. Every checksum is computed over the IPv6 pseudo-header.

eth_vlan.txt holds Ethernet frames of a switch port that trunks VLANs 20
and 30: ARP untagged and tagged, IPv4 and IPv6 tagged with 802.1Q, a frame
with two tags (802.1ad outer, 802.1Q inner), untagged IPv6 neighbour
discovery and a RARP request.
"""

import ipaddress
import struct

from samples_inet import (ETHERTYPE_ARP, ETHERTYPE_IP, ETHERTYPE_IPV6, ETHERTYPE_RARP, PROTO_TCP, PROTO_UDP,
                          ROUTER, ROUTER_MAC, TCP_ACK, TCP_SYN, WS, WS_MAC, arp, ethernet, internet_checksum,
                          ip4, ipv4, mac, pseudo_header, tcp, udp)
from trace_format import Frame as F

ETHERTYPE_VLAN, ETHERTYPE_QINQ = 0x8100, 0x88A8
PROTO_HOP_BY_HOP, PROTO_FRAGMENT, PROTO_ICMPV6, PROTO_NONE, PROTO_DEST_OPTIONS = 0, 44, 58, 59, 60


def ip6(text):
    return ipaddress.IPv6Address(text).packed


WS6 = ip6("fe80::21b:21ff:fe3a:4c5d")          # link-local addresses
ROUTER6 = ip6("fe80::20d:b9ff:fe41:7e02")
WS_GLOBAL = ip6("2001:db8:1:20::14")
MAIL6 = ip6("2001:db8:0:25::19")
DNS6 = ip6("2001:db8:1:20::2")
LAB6 = ip6("2001:db8:7:0:0:1:0:33")
ALL_NODES = ip6("ff02::1")
ALL_ROUTERS = ip6("ff02::2")
MLDV2_ROUTERS = ip6("ff02::16")


def solicited_node(address):
    return ip6("ff02::1:ff00:0")[:13] + address[13:]


def ipv6(src, dst, next_header, payload, hop_limit=64, traffic_class=0, flow=0):
    """IPv6 fixed header, then the payload (extension headers included)."""
    word = 6 << 28 | traffic_class << 20 | flow
    return struct.pack("!IHBB", word, len(payload), next_header, hop_limit) + src + dst + payload


def icmpv6(src, dst, icmp_type, code, body):
    """ICMPv6 message with its checksum over the IPv6 pseudo-header."""
    message = struct.pack("!BBH", icmp_type, code, 0) + body
    csum = internet_checksum(pseudo_header(src, dst, PROTO_ICMPV6, len(message)) + message)
    return message[:2] + struct.pack("!H", csum) + message[4:]


def icmpv6_datagram(src, dst, icmp_type, code, body, hop_limit=64, extension=b"", first=PROTO_ICMPV6):
    return ipv6(src, dst, first, extension + icmpv6(src, dst, icmp_type, code, body), hop_limit)


def link_layer_option(kind, address):
    """Neighbour discovery option: source (1) or target (2) link-layer address."""
    return bytes([kind, 1]) + address


def neighbour_solicitation(src, target, link):
    body = struct.pack("!I", 0) + target + link_layer_option(1, link)
    return icmpv6_datagram(src, solicited_node(target), 135, 0, body, 255)


def neighbour_advertisement(src, dst, target, link, flags=0x60000000):
    body = struct.pack("!I", flags) + target + link_layer_option(2, link)
    return icmpv6_datagram(src, dst, 136, 0, body, 255)


def hop_by_hop_router_alert(next_header):
    """Hop-by-hop options header: router alert (MLD), then a 2-octet pad."""
    return bytes([next_header, 0, 0x05, 0x02, 0x00, 0x00, 0x01, 0x00])


def fragment_header(next_header, offset, more, ident):
    return struct.pack("!BBHI", next_header, 0, offset << 3 | more, ident)


def mldv2_report(src, group):
    record = struct.pack("!BBH", 4, 0, 0) + group        # change to exclude mode, no sources
    body = struct.pack("!HH", 0, 1) + record
    return icmpv6_datagram(src, MLDV2_ROUTERS, 143, 0, body, 1, hop_by_hop_router_alert(PROTO_ICMPV6),
                           PROTO_HOP_BY_HOP)


def echo6(icmp_type, src, dst, seq, hop_limit=64):
    return icmpv6_datagram(src, dst, icmp_type, 0, struct.pack("!HH", 0x0B0B, seq) + bytes(range(0x40, 0x50)),
                           hop_limit)


def tcp6(src, dst, sport, dport, seq, ack, flags, window, hop_limit=64):
    return ipv6(src, dst, PROTO_TCP, tcp(src, dst, sport, dport, seq, ack, flags, window, b"",
                                         bytes([2, 4, 0x05, 0xA0])), hop_limit)


def dns_query_aaaa(ident, name):
    labels = b"".join(bytes([len(p)]) + p.encode("ascii") for p in name.split(".")) + b"\x00"
    return struct.pack("!HHHHHH", ident, 0x0100, 1, 0, 0, 0) + labels + struct.pack("!HH", 28, 1)


# A UDP datagram of 64 octets (a syslog message) in two fragments of 32.
SYSLOG6 = udp(WS_GLOBAL, LAB6, 514, 514, b"<134>ws20: backup done, 1423 files".ljust(56, b" "))
PORT_PROBE = ipv6(WS_GLOBAL, LAB6, PROTO_UDP, udp(WS_GLOBAL, LAB6, 50010, 69, b"\x00\x01boot.cfg\x00octet\x00"))

IPV6_FRAMES = [
    # --- Neighbour discovery of the router, router solicitation -------------
    F(0, "U", neighbour_solicitation(WS6, ROUTER6, WS_MAC)),
    F(1, "N", neighbour_advertisement(ROUTER6, WS6, ROUTER6, ROUTER_MAC, 0xE0000000)),
    F(3, "U", icmpv6_datagram(WS6, ALL_ROUTERS, 133, 0, struct.pack("!I", 0) + link_layer_option(1, WS_MAC),
                              255)),
    # --- The workstation joins a group: MLDv2 report behind hop-by-hop -----
    F(12, "U", mldv2_report(WS6, ip6("ff02::1:3"))),
    # --- Ping the router ----------------------------------------------------
    F(840, "U", echo6(128, WS_GLOBAL, ip6("2001:db8:1:20::1"), 1)),
    F(1, "N", echo6(129, ip6("2001:db8:1:20::1"), WS_GLOBAL, 1)),
    # --- DNS query for the mail server's address ---------------------------
    F(410, "U", ipv6(WS_GLOBAL, DNS6, PROTO_UDP, udp(WS_GLOBAL, DNS6, 53012, 53,
                                                      dns_query_aaaa(0x4E31, "mail.example.net")))),
    # --- TCP handshake with the mail server ---------------------------------
    F(6, "U", tcp6(WS_GLOBAL, MAIL6, 49400, 25, 0x6B4D0001, 0, TCP_SYN, 64800)),
    F(19, "N", tcp6(MAIL6, WS_GLOBAL, 25, 49400, 0x1C2D3E4F, 0x6B4D0002, TCP_SYN | TCP_ACK, 28560, 57)),
    # --- A syslog message in two fragments ----------------------------------
    F(2200, "U", ipv6(WS_GLOBAL, LAB6, PROTO_FRAGMENT, fragment_header(PROTO_UDP, 0, 1, 0x2A0001) + SYSLOG6[:32])),
    F(1, "U", ipv6(WS_GLOBAL, LAB6, PROTO_FRAGMENT, fragment_header(PROTO_UDP, 4, 0, 0x2A0001) + SYSLOG6[32:])),
    # --- TFTP to a host without a server: port unreachable ------------------
    F(1500, "U", PORT_PROBE),
    F(2, "N", icmpv6_datagram(LAB6, WS_GLOBAL, 1, 4, struct.pack("!I", 0) + PORT_PROBE[:40], 61)),
    # --- Destination options and nothing behind them -----------------------
    F(950, "U", ipv6(WS_GLOBAL, LAB6, PROTO_DEST_OPTIONS, bytes([PROTO_NONE, 0, 0x01, 0x04, 0, 0, 0, 0]))),
]


def tagged(dst, src, tags, ethertype, payload):
    """Ethernet frame with VLAN tags (tag protocol identifier, priority,
    DEI and VLAN id each) in front of the type, padded to 64 octets with the
    tag."""
    tag_octets = b"".join(struct.pack("!HH", tpid, prio << 13 | dei << 12 | vid) for tpid, prio, dei, vid in tags)
    frame = dst + src + tag_octets + struct.pack("!H", ethertype) + payload
    return frame + b"\x00" * max(0, 60 + len(tag_octets) - len(frame))


BROADCAST = mac("ff:ff:ff:ff:ff:ff")
PHONE_MAC = mac("00:04:f2:1c:33:e8")
PHONE = ip4("192.168.30.15")
VOICE_GW = ip4("192.168.30.1")
VOICE_GW_MAC = mac("00:0d:b9:41:7e:1e")
PROVIDER_MAC = mac("00:1f:9e:00:20:01")
VLAN20 = [(ETHERTYPE_VLAN, 0, 0, 20)]
VOICE = [(ETHERTYPE_VLAN, 5, 0, 30)]

ETH_VLAN_FRAMES = [
    # --- ARP for the router on the untagged VLAN, and the answer -------------
    F(0, "U", ethernet(BROADCAST, WS_MAC, ETHERTYPE_ARP, arp(1, WS_MAC, WS, bytes(6), ROUTER))),
    F(1, "N", ethernet(WS_MAC, ROUTER_MAC, ETHERTYPE_ARP, arp(2, ROUTER_MAC, ROUTER, WS_MAC, WS))),
    # --- The phone on the voice VLAN: tagged ARP, then its call setup --------
    F(320, "N", tagged(BROADCAST, PHONE_MAC, VOICE, ETHERTYPE_ARP, arp(1, PHONE_MAC, PHONE, bytes(6), VOICE_GW))),
    F(1, "N", tagged(PHONE_MAC, VOICE_GW_MAC, VOICE, ETHERTYPE_ARP,
                     arp(2, VOICE_GW_MAC, VOICE_GW, PHONE_MAC, PHONE))),
    F(2, "N", tagged(VOICE_GW_MAC, PHONE_MAC, VOICE, ETHERTYPE_IP,
                     ipv4(PHONE, VOICE_GW, PROTO_TCP, tcp(PHONE, VOICE_GW, 51200, 1720, 0x00C0FFEE, 0, TCP_SYN,
                                                          8192), 0x0201, tos=0xB8))),
    # --- IPv6 on VLAN 20: neighbour solicitation and a ping -------------------
    F(700, "U", tagged(mac("33:33:ff:41:7e:02"), WS_MAC, VLAN20, ETHERTYPE_IPV6, IPV6_FRAMES[0].data)),
    F(1, "N", tagged(WS_MAC, ROUTER_MAC, VLAN20, ETHERTYPE_IPV6, IPV6_FRAMES[1].data)),
    F(3, "U", tagged(ROUTER_MAC, WS_MAC, VLAN20, ETHERTYPE_IPV6, IPV6_FRAMES[4].data)),
    F(1, "N", tagged(WS_MAC, ROUTER_MAC, VLAN20, ETHERTYPE_IPV6, IPV6_FRAMES[5].data)),
    # --- Untagged IPv6: router solicitation -----------------------------------
    F(90, "U", ethernet(mac("33:33:00:00:00:02"), WS_MAC, ETHERTYPE_IPV6, IPV6_FRAMES[2].data)),
    # --- From the provider's bridge: two tags, 802.1ad outer, 802.1Q inner ----
    F(1200, "N", tagged(WS_MAC, PROVIDER_MAC, [(ETHERTYPE_QINQ, 0, 0, 100), (ETHERTYPE_VLAN, 3, 1, 20)],
                        ETHERTYPE_IP, ipv4(ip4("10.20.0.25"), WS, PROTO_UDP,
                                           udp(ip4("10.20.0.25"), WS, 123, 123, bytes([0x24, 2, 6, 0xEC]) +
                                               bytes(12)), 0x5D01, ttl=58))),
    # --- A diskless terminal on VLAN 20 asks for its address: RARP ------------
    F(830, "N", tagged(BROADCAST, mac("08:00:2b:12:34:56"), VLAN20, ETHERTYPE_RARP,
                       arp(3, mac("08:00:2b:12:34:56"), bytes(4), mac("08:00:2b:12:34:56"), bytes(4)))),
]


def check_ipv6(data):
    """The payload length field counts the octets behind the fixed header."""
    return len(data) >= 40 and data[0] >> 4 == 6 and struct.unpack("!H", data[4:6])[0] == len(data) - 40


# The traces make_samples.py writes, each frame checked for sound headers.
SAMPLES = {
    "ipv6.txt": (IPV6_FRAMES, lambda d: check_ipv6(d) and len(d) <= 96),
    "eth_vlan.txt": (ETH_VLAN_FRAMES, lambda d: 60 <= len(d) <= 96),
}
