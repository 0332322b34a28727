#!/usr/bin/env bash
# Builds the korvex tool and replays the bundled sample traces through it:
# the LAPD D-channel session, the frame relay trace, the call control
# messages, the X.25 session, the Ethernet, IP and IPv6 traces, summary
# lines first, then the LAPD session again with its detail blocks and hex
# traces, then the traces of the extended text (--extended): the call control
# messages beyond the classic tables, the LAPD bus, frame relay, and the
# VLAN-tagged Ethernet trace (once more through pcap --ip, which decodes its
# ARP, IPv4 and IPv6 packets).
# Builds the shared library for the Python module on the way, and installs
# the Debian packages it needs first when they are missing (scripts/deps.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/deps.sh
korvex_need build tool
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)" --target korvex_tool korvex_shared >/dev/null
korvex=build/cli/korvex
echo "== samples/lapd.txt (LAPD) =="
"$korvex" replay lapd samples/lapd.txt
echo
echo "== samples/q922.txt (LAPF) =="
"$korvex" replay lapf samples/q922.txt
echo
echo "== samples/q931.txt (Q.931) =="
"$korvex" replay q931 samples/q931.txt
echo
echo "== samples/x25.txt (X.25) =="
"$korvex" replay x25 samples/x25.txt
echo
echo "== samples/eth.txt (Ethernet) =="
"$korvex" replay eth samples/eth.txt
echo
echo "== samples/ip.txt (IPv4 with TCP, UDP and ICMP) =="
"$korvex" replay ip samples/ip.txt
echo
echo "== samples/ipv6.txt (IPv6 with TCP, UDP and ICMPv6) =="
"$korvex" replay ipv6 samples/ipv6.txt
echo
echo "== samples/lapd.txt (LAPD, detail and hex trace) =="
"$korvex" replay lapd samples/lapd.txt --detail --hex
echo
echo "== samples/q931-extended.txt (Q.931, Q.932 and Q.933 beyond the classic tables, --extended) =="
"$korvex" replay q931 samples/q931-extended.txt --extended --detail
echo
echo "== samples/lapd_bus.txt (LAPD bus: TEI management, broadcast SETUP; --extended) =="
"$korvex" replay lapd samples/lapd_bus.txt --detail --layer3 --extended
echo
echo "== samples/frame_relay.txt (LAPF: congestion bits, IP, Q.933 on DLCI 0; --extended) =="
"$korvex" replay lapf samples/frame_relay.txt --detail --layer3 --extended
echo
echo "== samples/eth_vlan.txt (Ethernet with VLAN tags, ARP and IPv6; --extended) =="
"$korvex" replay eth samples/eth_vlan.txt --extended
echo
echo "== samples/eth_vlan.txt (the same through pcap --ip --extended, with the detail blocks) =="
"$korvex" convert samples/eth_vlan.txt - --linktype 1 | "$korvex" pcap - --ip --extended --detail
