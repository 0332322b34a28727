#!/usr/bin/env python3
"""Check that two builds of the korvex tool write the same text, byte for byte.

    python3 scripts/same_text.py [--reference REV | --reference-tool PATH] [--korvex PATH]

The reference is the tool built from git revision REV (default: main) in a
scratch directory, or a tool already built. Both tools replay, through every
protocol:

  - the bundled samples,
  - generated traces of IPv4/TCP datagrams and of LAPD frames carrying
    Q.931 SETUP messages (scripts/make_bench_traces.py),
  - a trace of random frames of every length, many of them with the header
    octets each decoder looks at (IPv4 with ICMP, TCP and UDP, Q.931 behind
    a LAPD or LAPF header, X.25 packet types), so that damaged input is
    compared as well,

with every combination of the summary, detail, hex and layer-3 flags and a
few raw flag words (all of them without DECODE_EXTENDED); then a few runs
with colour, `decode` of single frames with --null, and `pcap` of captures
converted from the samples. Any difference is reported with the command and
the first differing line; the exit status is 1 then.
"""

import argparse
import random
import subprocess
import sys
import tempfile
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "scripts"))
import make_bench_traces  # noqa: E402
from trace_format import TIMESTAMP_WRAP_MS, write_frames  # noqa: E402

PROTOCOLS = ["lapd", "lapf", "q931", "x25", "eth", "ip"]
SAMPLES = ["lapd.txt", "q922.txt", "q931.txt", "x25.txt", "eth.txt", "ip.txt"]
# Every word without DECODE_EXTENDED (0x10): with it the text holds the
# readings beyond the classic text, which a reference of the classic text
# cannot have.
FLAG_WORDS = [f for f in range(16)] + [0x40, 0x42, 0x4E, 0x80, 0x8A, 0xEF, 0xFFFFFFEF]


def build_reference(revision, scratch):
    source = scratch / "source"
    source.mkdir()
    archive = subprocess.run(["git", "-C", str(ROOT), "archive", revision],
                             check=True, stdout=subprocess.PIPE).stdout
    subprocess.run(["tar", "-x", "-C", str(source)], input=archive, check=True)
    build = scratch / "build"
    quiet = {"stdout": subprocess.DEVNULL}
    subprocess.run(["cmake", "-S", str(source), "-B", str(build), "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                    "-DKORVEX_BUILD_TESTS=OFF"], check=True, **quiet)
    subprocess.run(["cmake", "--build", str(build), "-j", "2", "--target", "korvex_tool"],
                   check=True, **quiet)
    return build / "cli" / "korvex"


def random_frame(rng):
    length = rng.choice([1, 2, 3, 4, 5, 6, 8, 10, 14, 20, 21, 24, 25, 28, 34, 40, 48, 60, 72, 96,
                         rng.randrange(1, 97)])
    frame = bytearray(rng.getrandbits(8) for _ in range(length))
    kind = rng.randrange(6)
    if kind == 0 and length > 9:      # IPv4 with a transport header
        frame[0] = rng.choice([0x45, 0x46, 0x4F, 0x55])
        frame[9] = rng.choice([1, 6, 17, 2, 89])
    elif kind == 1 and length > 5:    # Q.931 behind a LAPD header
        frame[0] &= 0xFE
        frame[1] |= 0x01
        frame[2] &= 0xFE
        frame[4] = 0x08
        if length > 5:
            frame[5] = rng.choice([0, 1, 2, 3, 15])
    elif kind == 2 and length > 3:    # a bare Q.931 message
        frame[0] = 0x08
        frame[1] = rng.choice([0, 1, 2, 3])
    elif kind == 3 and length > 2:    # X.25 packet types
        frame[0] = (frame[0] & 0x0F) | rng.choice([0x10, 0x20, 0x30])
        frame[2] = rng.choice([0x0B, 0x0F, 0x13, 0x17, 0x1B, 0x1F, 0x23, 0x27, 0xFB, 0xFF, 0xF1,
                               0x01, 0x05, 0x09, 0x00, 0x02])
    elif kind == 4 and length > 14:   # Ethernet with IPv4 or a length field
        frame[12:14] = rng.choice([b"\x08\x00", b"\x08\x06", b"\x86\xdd", b"\x00\x2e", b"\x81\x00"])
    return bytes(frame)


def write_random_trace(path, frames, seed):
    rng = random.Random(seed)
    write_frames(path, ((number * 7 % TIMESTAMP_WRAP_MS, rng.choice("UN"), random_frame(rng))
                        for number in range(1, frames + 1)))


def run(tool, args, stdin=None):
    result = subprocess.run([str(tool)] + args, input=stdin, stdout=subprocess.PIPE,
                            stderr=subprocess.PIPE)
    return result.returncode, result.stdout, result.stderr


class Comparison:
    def __init__(self, reference, candidate):
        self.reference = reference
        self.candidate = candidate
        self.runs = 0
        self.octets = 0
        self.failures = 0

    def compare(self, args, stdin=None):
        want = run(self.reference, args, stdin)
        got = run(self.candidate, args, stdin)
        self.runs += 1
        self.octets += len(want[1])
        if want == got:
            return
        self.failures += 1
        print("DIFFERENT: korvex " + " ".join(args))
        if want[0] != got[0]:
            print("  exit status %d, was %d" % (got[0], want[0]))
        for name, a, b in (("output", want[1], got[1]), ("errors", want[2], got[2])):
            if a == b:
                continue
            a_lines, b_lines = a.split(b"\n"), b.split(b"\n")
            for i, (x, y) in enumerate(zip(a_lines, b_lines)):
                if x != y:
                    print("  %s line %d:\n    was %r\n    now %r" % (name, i + 1, x, y))
                    break
            else:
                print("  %s: %d lines, was %d" % (name, len(b_lines), len(a_lines)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    group = parser.add_mutually_exclusive_group()
    group.add_argument("--reference", default="main", help="git revision to build the reference from")
    group.add_argument("--reference-tool", type=Path, help="an already built reference tool")
    parser.add_argument("--korvex", type=Path, default=ROOT / "build" / "cli" / "korvex")
    parser.add_argument("--frames", type=int, default=3000, help="frames of each generated trace")
    parser.add_argument("--seed", type=int, default=5)
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(prefix="korvex-same-text-") as scratch_name:
        scratch = Path(scratch_name)
        reference = args.reference_tool
        if reference is None:
            print("building the reference tool from %s ..." % args.reference, flush=True)
            reference = build_reference(args.reference, scratch)
        comparison = Comparison(reference.resolve(), args.korvex.resolve())

        traces = [ROOT / "samples" / name for name in SAMPLES]
        rng = random.Random(args.seed)
        for kind, maker in make_bench_traces.KINDS.items():
            path = scratch / ("bench-%s.txt" % kind)
            make_bench_traces.write_generated(path, args.frames, args.seed, maker)
            traces.append(path)
        random_trace = scratch / "random.txt"
        write_random_trace(random_trace, args.frames, args.seed)
        traces.append(random_trace)

        for trace in traces:
            for protocol in PROTOCOLS:
                for flags in FLAG_WORDS:
                    comparison.compare(["replay", protocol, str(trace), "--flags", hex(flags)])
                comparison.compare(["replay", protocol, str(trace), "--detail", "--hex", "--layer3",
                                    "--color=always"])
                comparison.compare(["replay", protocol, str(trace), "--color=always"])
            comparison.compare(["replay", "lapd", "-", "--detail", "--layer3"], trace.read_bytes())

        # Single frames, and lines of standard input, through decode.
        lines = []
        for _ in range(300):
            frame = random_frame(rng)
            lines.append(frame.hex())
        stdin = ("\n".join(lines) + "\n").encode()
        for protocol in PROTOCOLS:
            for flags in (1, 2, 6, 14, 0x4E):
                comparison.compare(["decode", protocol, "--null", "--flags", hex(flags)], stdin)

        # Captures made from the samples, through pcap.
        for sample, linktype, protocol in (("lapd.txt", 177, "lapd"), ("lapd.txt", 203, "lapd"),
                                           ("q922.txt", 107, "lapf"), ("ip.txt", 101, "ip"),
                                           ("eth.txt", 1, "eth"), ("q931.txt", 147, "q931")):
            capture = scratch / ("%s-%d.pcap" % (sample, linktype))
            subprocess.run([str(reference), "convert", str(ROOT / "samples" / sample), str(capture),
                            "--linktype", str(linktype)], check=True, stderr=subprocess.DEVNULL)
            extra = ["--protocol", protocol] if linktype == 147 else []
            for flags in (["--flags", "1"], ["--detail"], ["--detail", "--hex", "--layer3"]):
                comparison.compare(["pcap", str(capture)] + extra + flags)
                if linktype == 1:
                    comparison.compare(["pcap", str(capture), "--ip"] + flags)

    print("same_text: %d runs, %d MB of reference text, %d different"
          % (comparison.runs, comparison.octets // 1000000, comparison.failures))
    return 1 if comparison.failures else 0


if __name__ == "__main__":
    sys.exit(main())
