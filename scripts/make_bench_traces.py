#!/usr/bin/env python3
"""Write large hex trace files for the end-to-end speed measurements.

    python3 scripts/make_bench_traces.py [--frames N] [--seed S] [--kind ip|lapd|both] DIR

writes DIR/bench-ip-N.txt and DIR/bench-lapd-N.txt (1,000,000 frames each
by default):

  ip    IPv4 datagrams carrying TCP: addresses from private and public
        ranges, well-known and ephemeral ports, every usual flag set
        (SYN, SYN/ACK, ACK, PSH/ACK, FIN/ACK, RST, URG), options on some
        segments, payloads of varied length, checksums computed.
  lapd  LAPD I frames on SAPI 0 carrying Q.931 SETUP messages: bearer
        capability, channel identification (basic and primary rate),
        calling and called party numbers of varied type, plan and length;
        the FCS computed.

Every frame fits the 96 octets a trace frame is decoded with. The output is
the same for the same arguments (standard library only).
"""

import argparse
import binascii
import random
import sys
from pathlib import Path

BYTES_PER_LINE = 16
HEADER_LINE = "Offset  Data                                              Text"
MAX_FRAME = 96

# Printable rendering of the data lines: '.' for what is not printable ASCII.
PRINTABLE = bytes(b if 0x20 <= b <= 0x7E else 0x2E for b in range(256))
# Each octet with its bits in reverse order (for the reflected CRC below).
REVERSED = bytes(int("{:08b}".format(b)[::-1], 2) for b in range(256))


def fcs16(data):
    """HDLC FCS (reflected CRC-16, polynomial 0x1021, preset and complemented),
    computed through the library's unreflected CRC on bit-reversed octets."""
    crc = binascii.crc_hqx(data.translate(REVERSED), 0xFFFF)
    crc = int("{:016b}".format(crc)[::-1], 2)
    return crc ^ 0xFFFF


def internet_checksum(data):
    if len(data) % 2:
        data += b"\x00"
    total = sum(int.from_bytes(data[i:i + 2], "big") for i in range(0, len(data), 2))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


# ---------------------------------------------------------------------------
# (a) IPv4 / TCP
# ---------------------------------------------------------------------------

WELL_KNOWN_PORTS = [20, 21, 22, 23, 25, 53, 80, 110, 119, 143, 161, 443, 993, 3306, 5060, 8080]
TCP_FLAGS = [0x02, 0x12, 0x10, 0x18, 0x18, 0x10, 0x11, 0x04, 0x14, 0x38, 0x19, 0x01]
TOS_VALUES = [0x00, 0x00, 0x10, 0x08, 0x04, 0x28, 0xB8, 0xE0]


def address(rng):
    kind = rng.randrange(4)
    if kind == 0:
        return bytes([10, rng.randrange(256), rng.randrange(256), rng.randrange(1, 255)])
    if kind == 1:
        return bytes([192, 168, rng.randrange(256), rng.randrange(1, 255)])
    if kind == 2:
        return bytes([172, 16 + rng.randrange(16), rng.randrange(256), rng.randrange(1, 255)])
    return bytes([rng.randrange(1, 224), rng.randrange(256), rng.randrange(256), rng.randrange(1, 255)])


def tcp_datagram(rng):
    source, destination = address(rng), address(rng)
    server = rng.choice(WELL_KNOWN_PORTS)
    client = rng.randrange(1024, 65536)
    if rng.randrange(2):
        source_port, destination_port = client, server
    else:
        source_port, destination_port = server, client
    flags = rng.choice(TCP_FLAGS)
    options = b""
    if flags & 0x02:
        options = bytes([2, 4]) + rng.choice([1460, 1380, 536, 8960]).to_bytes(2, "big")
    elif rng.randrange(3) == 0:
        options = bytes([1, 1, 8, 10]) + rng.getrandbits(64).to_bytes(8, "big")
    header_length = 20 + len(options)
    room = MAX_FRAME - 20 - header_length
    payload = b""
    if flags & 0x08 or (flags == 0x10 and rng.randrange(2)):
        payload = rng.getrandbits(8 * room).to_bytes(room, "big")[:rng.randrange(1, room + 1)]
    urgent = rng.randrange(1, 1 + max(1, len(payload))) if flags & 0x20 else 0
    tcp = (source_port.to_bytes(2, "big") + destination_port.to_bytes(2, "big")
           + rng.getrandbits(32).to_bytes(4, "big")
           + (rng.getrandbits(32) if flags & 0x10 else 0).to_bytes(4, "big")
           + bytes([(header_length // 4) << 4, flags])
           + rng.randrange(0, 65536).to_bytes(2, "big") + b"\x00\x00"
           + urgent.to_bytes(2, "big") + options + payload)
    pseudo = source + destination + bytes([0, 6]) + len(tcp).to_bytes(2, "big")
    checksum = internet_checksum(pseudo + tcp)
    tcp = tcp[:16] + checksum.to_bytes(2, "big") + tcp[18:]

    fragment = rng.choice([0x4000, 0x4000, 0x4000, 0x0000, 0x2000 | rng.randrange(1, 200)])
    header = bytearray(bytes([0x45, rng.choice(TOS_VALUES)]) + (20 + len(tcp)).to_bytes(2, "big")
                       + rng.randrange(65536).to_bytes(2, "big") + fragment.to_bytes(2, "big")
                       + bytes([rng.choice([64, 128, 255, rng.randrange(1, 256)]), 6, 0, 0])
                       + source + destination)
    header[10:12] = internet_checksum(bytes(header)).to_bytes(2, "big")
    return bytes(header) + tcp


# ---------------------------------------------------------------------------
# (b) LAPD I frames carrying Q.931 SETUP
# ---------------------------------------------------------------------------

BEARER_CAPABILITIES = [
    bytes([0x04, 0x03, 0x80, 0x90, 0xA2]),  # speech, 64 kbit/s circuit, A-law
    bytes([0x04, 0x03, 0x80, 0x90, 0xA3]),  # speech, mu-law
    bytes([0x04, 0x03, 0x90, 0x90, 0xA3]),  # 3.1 kHz audio
    bytes([0x04, 0x02, 0x88, 0x90]),        # unrestricted digital
    bytes([0x04, 0x02, 0x89, 0x90]),        # restricted digital
]


def digits(rng, low, high):
    return bytes(0x30 + rng.randrange(10) for _ in range(rng.randrange(low, high + 1)))


def channel_identification(rng):
    if rng.randrange(2):  # basic rate: B1, B2 or any, preferred or exclusive
        return bytes([0x18, 0x01, rng.choice([0x81, 0x82, 0x83, 0x89, 0x8A])])
    # primary rate: channel number of a B channel
    return bytes([0x18, 0x03, rng.choice([0xA1, 0xA9]), 0x83, 0x80 | rng.randrange(1, 31)])


def calling_number(rng):
    number = digits(rng, 4, 12)
    octet3 = rng.choice([0x01, 0x11, 0x21, 0x41])  # type and plan, octet 3a follows
    if rng.randrange(3):
        contents = bytes([octet3, rng.choice([0x80, 0x81, 0x83, 0xA0, 0xA3])]) + number
    else:
        contents = bytes([0x80 | octet3]) + number
    return bytes([0x6C, len(contents)]) + contents


def called_number(rng):
    number = digits(rng, 3, 15)
    contents = bytes([rng.choice([0x80, 0x81, 0xA1, 0xC1, 0x91])]) + number
    return bytes([0x70, len(contents)]) + contents


def setup_frame(rng, user_side):
    tei = rng.choice([0, rng.randrange(64, 127)])
    cr = 0 if user_side else 1  # commands: C/R 0 from the user side, 1 from the network
    address = bytes([0 << 2 | cr << 1, tei << 1 | 1])
    control = bytes([rng.randrange(128) << 1, rng.randrange(128) << 1 | rng.randrange(2)])
    flag = 0x00 if user_side else 0x80
    if rng.randrange(2):
        call_reference = bytes([0x01, flag | rng.randrange(1, 128)])
    else:
        value = rng.randrange(1, 32768)
        call_reference = bytes([0x02, flag | value >> 8, value & 0xFF])
    message = (bytes([0x08]) + call_reference + bytes([0x05])
               + (b"\xa1" if rng.randrange(4) == 0 else b"")
               + rng.choice(BEARER_CAPABILITIES) + channel_identification(rng)
               + calling_number(rng) + called_number(rng))
    body = address + control + message
    fcs = fcs16(body)
    return body + bytes([fcs & 0xFF, fcs >> 8])


# ---------------------------------------------------------------------------
# Writer
# ---------------------------------------------------------------------------

def frame_text(number, ms, direction, data):
    assert 0 < len(data) <= MAX_FRAME, len(data)
    minutes, rest = divmod(ms % 6000000, 60000)
    lines = ["{:<24}{:02d}:{:02d}.{:03d}".format("Frame %d" % number, minutes, rest // 1000, rest % 1000),
             "Length: {:<11}{}".format(len(data), direction),
             HEADER_LINE]
    for offset in range(0, len(data), BYTES_PER_LINE):
        chunk = data[offset:offset + BYTES_PER_LINE]
        lines.append("{:04X}: {}  {}".format(offset, chunk.hex(" ").upper(),
                                             chunk.translate(PRINTABLE).decode("ascii")))
    lines.append("\n")
    return "\n".join(lines)


def write_trace(path, frames, seed, make):
    rng = random.Random(seed)
    ms = 0
    with open(path, "w", encoding="ascii", newline="\n") as out:
        pieces = []
        for number in range(1, frames + 1):
            ms += rng.randrange(0, 4)
            user_side = rng.randrange(2) == 0
            pieces.append(frame_text(number, ms, "U" if user_side else "N", make(rng, user_side)))
            if len(pieces) == 4096:
                out.write("".join(pieces))
                pieces = []
        out.write("".join(pieces))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("directory", type=Path)
    parser.add_argument("--frames", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=12)
    parser.add_argument("--kind", choices=["ip", "lapd", "both"], default="both")
    args = parser.parse_args()
    if args.frames < 1:
        parser.error("--frames must be at least 1")
    args.directory.mkdir(parents=True, exist_ok=True)
    kinds = {"ip": lambda rng, user: tcp_datagram(rng), "lapd": setup_frame}
    for kind, make in kinds.items():
        if args.kind not in (kind, "both"):
            continue
        path = args.directory / "bench-{}-{}.txt".format(kind, args.frames)
        write_trace(path, args.frames, args.seed, make)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
