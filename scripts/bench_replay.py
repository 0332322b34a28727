#!/usr/bin/env python3
"""End-to-end speed of `korvex replay` over large generated hex traces.

    python3 scripts/bench_replay.py [--korvex PATH] [--frames N] [--runs R] [--dir DIR]

Writes (once; they are kept in DIR) a trace of N IPv4/TCP datagrams and one
of N LAPD I frames carrying Q.931 SETUP messages (scripts/make_bench_traces.py),
then times

    korvex replay ip FILE --detail              > /dev/null
    korvex replay lapd FILE --detail --layer3   > /dev/null

under /usr/bin/time -v, R times each, and reports the best run: frames per
second, megabytes of trace text read and written per second, and the peak
memory (maximum resident set size); and the median run's frames per second. The text written is counted in a
separate run through a pipe. Figures are reported, never asserted.
"""

import subprocess
import sys
import time
from pathlib import Path

import make_bench_traces

CASES = [
    ("ip", ["--detail"]),
    ("lapd", ["--detail", "--layer3"]),
]


def timed_run(command):
    """Wall seconds, CPU seconds and peak resident kilobytes of one run. The
    wall clock is taken here (time -v gives hundredths only)."""
    with open("/dev/null", "wb") as null:
        start = time.perf_counter()
        result = subprocess.run(["/usr/bin/time", "-v"] + command, stdout=null,
                                stderr=subprocess.PIPE, text=True)
        seconds = time.perf_counter() - start
    if result.returncode != 0:
        sys.exit("bench_replay: %s failed:\n%s" % (" ".join(command), result.stderr))
    fields = {}
    for line in result.stderr.splitlines():
        key, _, value = line.strip().rpartition(": ")
        fields[key] = value
    cpu = float(fields["User time (seconds)"]) + float(fields["System time (seconds)"])
    return seconds, cpu, int(fields["Maximum resident set size (kbytes)"])


def text_octets(command):
    process = subprocess.Popen(command, stdout=subprocess.PIPE)
    total = 0
    while True:
        chunk = process.stdout.read(1 << 20)
        if not chunk:
            break
        total += len(chunk)
    process.wait()
    return total


def main():
    args = make_bench_traces.run_options(__doc__.split("\n\n")[0]).parse_args()
    if not Path("/usr/bin/time").exists():
        sys.exit("bench_replay: /usr/bin/time is missing (Debian package time)")

    rows = []
    for protocol, options in CASES:
        trace = make_bench_traces.ensure_trace(args.dir, protocol, args.frames)
        command = [str(args.korvex), "replay", protocol, str(trace)] + options
        runs = sorted(timed_run(command) for _ in range(max(1, args.runs)))
        best = runs[0]
        median = runs[len(runs) // 2]
        peak = max(run[2] for run in runs)
        written = text_octets(command)
        rows.append((" ".join(["replay", protocol] + options), best[0], median[0], best[1], peak,
                     trace.stat().st_size, written))

    print("%-30s %8s %8s %12s %12s %9s %9s %8s" % ("command", "seconds", "CPU s", "frames/s", "median f/s",
                                                   "in MB/s", "text MB/s", "peak MB"))
    for name, seconds, median, cpu, peak, read, written in rows:
        print("%-30s %8.3f %8.2f %12.0f %12.0f %9.0f %9.0f %8.1f"
              % (name, seconds, cpu, args.frames / seconds, args.frames / median, read / seconds / 1e6,
                 written / seconds / 1e6, peak / 1024))
    print("(%d frames a trace; the best of %d runs by wall clock, which the rates are figured on, and the"
          " median run's frames/s; CPU s is user + system time of the best run; text MB/s counts the text"
          " written; peak MB is the largest of all runs)" % (args.frames, max(1, args.runs)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
