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

Every frame fits the 96 octets a trace frame is decoded with. The frames
are built with the sample makers' packet builders and written through
trace_format.py. The output is the same for the same arguments (standard
library only).
"""

import argparse
import random
import sys
from pathlib import Path

from samples_inet import DF, MF, PROTO_TCP, TCP_ACK, TCP_PSH, TCP_SYN, TCP_URG, ipv4, tcp
from samples_link import N_CMD, SAPI_CC, U_CMD, lapd_i
from samples_q931 import BEARER, CALLED, CALLING, CHANNEL, SENDING_COMPLETE, SETUP, ie, pri, q931
from trace_format import MAX_FRAME, TIMESTAMP_WRAP_MS, write_frames

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_SEED = 12

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
    if flags & TCP_SYN:
        options = bytes([2, 4]) + rng.choice([1460, 1380, 536, 8960]).to_bytes(2, "big")
    elif rng.randrange(3) == 0:
        options = bytes([1, 1, 8, 10]) + rng.getrandbits(64).to_bytes(8, "big")
    header_length = 20 + len(options)
    room = MAX_FRAME - 20 - header_length
    payload = b""
    if flags & TCP_PSH or (flags == TCP_ACK and rng.randrange(2)):
        payload = rng.getrandbits(8 * room).to_bytes(room, "big")[:rng.randrange(1, room + 1)]
    urgent = rng.randrange(1, 1 + max(1, len(payload))) if flags & TCP_URG else 0
    segment = tcp(source, destination, source_port, destination_port, rng.getrandbits(32),
                  rng.getrandbits(32) if flags & TCP_ACK else 0, flags, rng.randrange(0, 65536),
                  payload, options, urgent)
    fragment = rng.choice([DF, DF, DF, 0, MF | rng.randrange(1, 200)])
    tos = rng.choice(TOS_VALUES)
    ident = rng.randrange(65536)
    ttl = rng.choice([64, 128, 255, rng.randrange(1, 256)])
    return ipv4(source, destination, PROTO_TCP, segment, ident, ttl=ttl, flags=fragment, tos=tos)


# ---------------------------------------------------------------------------
# (b) LAPD I frames carrying Q.931 SETUP
# ---------------------------------------------------------------------------

BEARER_CAPABILITIES = [
    ie(BEARER, [0x80, 0x90, 0xA2]),  # speech, 64 kbit/s circuit, A-law
    ie(BEARER, [0x80, 0x90, 0xA3]),  # speech, mu-law
    ie(BEARER, [0x90, 0x90, 0xA3]),  # 3.1 kHz audio
    ie(BEARER, [0x88, 0x90]),        # unrestricted digital
    ie(BEARER, [0x89, 0x90]),        # restricted digital
]


def digits(rng, low, high):
    return bytes(0x30 + rng.randrange(10) for _ in range(rng.randrange(low, high + 1)))


def channel_identification(rng):
    if rng.randrange(2):  # basic rate: B1, B2 or any, preferred or exclusive
        return ie(CHANNEL, [rng.choice([0x81, 0x82, 0x83, 0x89, 0x8A])])
    # primary rate: channel number of a B channel
    return ie(CHANNEL, [rng.choice([0xA1, 0xA9]), 0x83, 0x80 | rng.randrange(1, 31)])


def calling_number(rng):
    number = digits(rng, 4, 12)
    octet3 = rng.choice([0x01, 0x11, 0x21, 0x41])  # type and plan, octet 3a follows
    if rng.randrange(3):
        return ie(CALLING, bytes([octet3, rng.choice([0x80, 0x81, 0x83, 0xA0, 0xA3])]) + number)
    return ie(CALLING, bytes([0x80 | octet3]) + number)


def called_number(rng):
    number = digits(rng, 3, 15)
    return ie(CALLED, bytes([rng.choice([0x80, 0x81, 0xA1, 0xC1, 0x91])]) + number)


def setup_frame(rng, user_side):
    tei = rng.choice([0, rng.randrange(64, 127)])
    ns, nr, poll = rng.randrange(128), rng.randrange(128), rng.randrange(2)
    flag = 0 if user_side else 1    # the call reference flag of a call the user side started
    if rng.randrange(2):
        message = q931
        call_reference = rng.randrange(1, 128)
    else:
        message = pri
        call_reference = rng.randrange(1, 32768)
    elements = [ie(SENDING_COMPLETE)] if rng.randrange(4) == 0 else []
    elements += [rng.choice(BEARER_CAPABILITIES), channel_identification(rng), calling_number(rng),
                 called_number(rng)]
    cr = U_CMD if user_side else N_CMD
    return lapd_i(SAPI_CC, tei, cr, ns, nr, poll, message(call_reference, flag, SETUP, elements))


# ---------------------------------------------------------------------------
# Writer
# ---------------------------------------------------------------------------

def write_generated(path, count, seed, make):
    """Writes count frames of make(rng, user_side), a few ms apart, each
    from a side drawn at random."""
    rng = random.Random(seed)

    def frames():
        ms = 0
        for _ in range(count):
            ms += rng.randrange(0, 4)
            user_side = rng.randrange(2) == 0
            yield ms % TIMESTAMP_WRAP_MS, "U" if user_side else "N", make(rng, user_side)
    write_frames(path, frames())


# The frame makers by kind: make(rng, user_side) gives a frame's octets.
KINDS = {"ip": lambda rng, user_side: tcp_datagram(rng), "lapd": setup_frame}


def trace_path(directory, kind, frames):
    return directory / "bench-{}-{}.txt".format(kind, frames)


def ensure_trace(directory, kind, frames):
    """The trace of frames generated frames of kind in directory (default
    seed), written first when it is not there yet: the timed runs keep it."""
    path = trace_path(directory, kind, frames)
    if not path.exists():
        print("writing %s ..." % path, flush=True)
        write_generated(path, frames, DEFAULT_SEED, KINDS[kind])
    return path


def run_options(description):
    """The options of a timed run of the tool over generated traces."""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument("--korvex", type=Path, default=ROOT / "build-bench" / "cli" / "korvex")
    parser.add_argument("--frames", type=int, default=1_000_000)
    parser.add_argument("--runs", type=int, default=3)
    parser.add_argument("--dir", type=Path, default=ROOT / "build-bench" / "traces")
    return parser


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("directory", type=Path)
    parser.add_argument("--frames", type=int, default=1_000_000)
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    parser.add_argument("--kind", choices=["ip", "lapd", "both"], default="both")
    args = parser.parse_args()
    if args.frames < 1:
        parser.error("--frames must be at least 1")
    for kind, make in KINDS.items():
        if args.kind not in (kind, "both"):
            continue
        path = trace_path(args.directory, kind, args.frames)
        write_generated(path, args.frames, args.seed, make)
        print(path)
    return 0


if __name__ == "__main__":
    sys.exit(main())
