#!/usr/bin/env python3
"""Check that korvex pcap decodes a large capture in flat memory.

    scripts/capture_memory.py [--kind lapd|eth] [--frames N] [--korvex PATH]

Writes two pcap captures into build/capture-memory/, one of 10,000 frames and
one of N frames (default 1,000,000), decodes each with korvex pcap (LAPD:
--detail --layer3; Ethernet/IPv4/TCP: --ip --detail) into /dev/null, and
prints the time and the peak resident memory of each run. Exits 1 when the
large run needs more than 1 MiB above the small one; exits 0 without a
measurement when the tool has no decoder for the kind yet.
"""

import argparse
import os
import struct
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
OUT = ROOT / "build" / "capture-memory"
FLAT_MARGIN_KIB = 1024


def lapd_frames():
    """A Q.931 SETUP in an I frame and an RR, as a LAPD capture holds them
    (no FCS); N(S) and N(R) vary with the frame number."""
    setup = bytes.fromhex("080101 05 a1 0403 8090a2 1801 83 6c0b 2180 333031323334353637 "
                          "700c 81 3034303132333435363738".replace(" ", ""))

    def frame(n):
        if n % 2 == 0:
            return bytes([0x00, 0x81, (n // 2 % 128) << 1, (n % 128) << 1]) + setup
        return bytes([0x02, 0x81, 0x01, (n % 128) << 1])
    return 203, frame


def eth_frames():
    """Ethernet II, IPv4, TCP with a few payload octets; ports, sequence and
    identification vary with the frame number."""
    def frame(n):
        payload = bytes(range(n % 32))
        tcp = struct.pack("!HHIIBBHHH", 49152 + n % 16000, 80, n, n * 3, 0x50, 0x18, 65535, 0, 0) + payload
        ip = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(tcp), n & 0xFFFF, 0x4000, 64, 6, 0,
                         bytes([192, 168, 1, 10]), bytes([10, 0, (n >> 8) & 0xFF, n & 0xFF]))
        return bytes.fromhex("001b213a4f10000c295e77aa0800") + ip + tcp
    return 1, frame


def write_capture(path, link_type, frame, count):
    start = 1700000000
    with open(path, "wb") as f:
        f.write(struct.pack("<IHHiIII", 0xA1B2C3D4, 2, 4, 0, 0, 65535, link_type))
        chunk = []
        for n in range(count):
            data = frame(n)
            chunk.append(struct.pack("<IIII", start + n // 1000, n % 1000 * 1000, len(data), len(data)))
            chunk.append(data)
            if len(chunk) >= 20000:
                f.write(b"".join(chunk))
                chunk.clear()
        f.write(b"".join(chunk))


def high_water_kib(pid):
    """Peak resident memory of the running program (its VmHWM), or None."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return None


def run(korvex, path, options):
    """Decodes path into /dev/null; returns (exit status, seconds, peak KiB, stderr).

    The peak is the program's own high-water mark, read while it runs (the
    resource usage reported at its end would count the memory of this
    interpreter, which the child shared until it started the program)."""
    began = time.monotonic()
    peak = 0
    with open(os.devnull, "wb") as sink, tempfile.TemporaryFile() as err:
        child = subprocess.Popen([str(korvex), "pcap", str(path)] + options, stdout=sink, stderr=err)
        while child.poll() is None:
            mark = high_water_kib(child.pid)
            if mark is not None:
                peak = max(peak, mark)
            time.sleep(0.002)
        err.seek(0)
        text = err.read().decode(errors="replace")
    return child.returncode, time.monotonic() - began, peak, text


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--kind", choices=["lapd", "eth"], default="lapd")
    ap.add_argument("--frames", type=int, default=1_000_000)
    ap.add_argument("--korvex", default=str(ROOT / "build" / "cli" / "korvex"))
    args = ap.parse_args()

    link_type, frame = lapd_frames() if args.kind == "lapd" else eth_frames()
    options = ["--detail", "--layer3"] if args.kind == "lapd" else ["--ip", "--detail"]
    OUT.mkdir(parents=True, exist_ok=True)
    results = []
    for count in (10000, args.frames):
        path = OUT / ("%s-%d.pcap" % (args.kind, count))
        if not path.exists():
            write_capture(path, link_type, frame, count)
        status, seconds, peak, err = run(args.korvex, path, options)
        if status != 0 and "does not include" in err:
            print("%s: not measured: %s" % (args.kind, err.strip()))
            return 0
        if status != 0:
            print("korvex pcap %s: exit %d: %s" % (path, status, err.strip()), file=sys.stderr)
            return 1
        results.append((count, path.stat().st_size, seconds, peak))
        print("%-5s %9d frames %11d octets  %7.2f s  peak %6d KiB"
              % (args.kind, count, path.stat().st_size, seconds, peak))
    growth = results[-1][3] - results[0][3]
    print("peak memory grew by %d KiB from %d to %d frames" % (growth, results[0][0], results[-1][0]))
    return 0 if growth <= FLAT_MARGIN_KIB else 1


if __name__ == "__main__":
    sys.exit(main())
