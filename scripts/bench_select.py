#!/usr/bin/env python3
"""Selecting a few frames of a big trace against decoding it all.

    python3 scripts/bench_select.py [--korvex PATH] [--frames N] [--runs R] [--dir DIR] [--check]

Over the generated trace of N LAPD frames carrying Q.931 SETUP messages
(scripts/make_bench_traces.py, written once into DIR), times

    korvex replay lapd FILE --detail --layer3                    > /dev/null
    korvex replay lapd FILE --detail --layer3 --where EXPR       > /dev/null

where EXPR picks one terminal and half of another's frames (about 1% of the
trace: its frames are spread over TEI 0 and 64 to 126). Only the frames
selected are decoded into text; the others have their fields read. Reports
the best of R runs of each (wall clock and CPU time), the share of frames
selected (counted from the --json output), the speed-up by wall clock and by
CPU time, and whether the wall-clock speed-up is at least 5. With --check it
exits 1 when it is not; without, the figures are only reported (as in the
smoke run, whose small traces mean nothing).

A trace file this big is read with --where in parts, one for each of the
machine's processors (up to eight, each of at least 16 MB), at once: the
wall clock of the selective run falls with the processors, its CPU time
does not. The figures say how many processors there were.

The same pair without --layer3 is timed too and its speed-up reported for
information: the link layer's text alone is cheap to write, so there the
reading of the trace text, which a selection cannot skip, weighs more.
"""

import os
import resource
import subprocess
import sys
import time

import make_bench_traces

WHERE = "tei == 100 or (tei == 101 and dir == U)"
NEEDED = 5.0


def best_seconds(command, runs):
    """The least wall-clock and the least CPU (user + system) seconds of the runs."""
    best = None
    best_cpu = None
    for _ in range(runs):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)
        seconds = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
        best = seconds if best is None else min(best, seconds)
        best_cpu = cpu if best_cpu is None else min(best_cpu, cpu)
    return best, best_cpu


def main():
    parser = make_bench_traces.run_options(__doc__.split("\n\n")[0])
    parser.add_argument("--check", action="store_true", help="exit 1 when the speed-up is below %g" % NEEDED)
    args = parser.parse_args()
    trace = make_bench_traces.ensure_trace(args.dir, "lapd", args.frames)
    everything = [str(args.korvex), "replay", "lapd", str(trace), "--detail", "--layer3"]
    selecting = everything + ["--where", WHERE]
    selected = subprocess.run(selecting + ["--json"], check=True, capture_output=True).stdout.count(b"\n")
    runs = max(1, args.runs)
    all_seconds, all_cpu = best_seconds(everything, runs)
    select_seconds, select_cpu = best_seconds(selecting, runs)
    speedup = all_seconds / select_seconds
    link_only = everything[:-1]
    link_seconds, _ = best_seconds(link_only, runs)
    link_select_seconds, _ = best_seconds(link_only + ["--where", WHERE], runs)
    print("%-46s %9s %9s %12s" % ("command", "seconds", "CPU s", "frames/s"))
    print("%-46s %9.3f %9.3f %12.0f" % ("replay lapd --detail --layer3", all_seconds, all_cpu,
                                        args.frames / all_seconds))
    print("%-46s %9.3f %9.3f %12.0f" % ("  the same with --where (%.2f%% selected)" % (100.0 * selected / args.frames),
                                        select_seconds, select_cpu, args.frames / select_seconds))
    print("speed-up %.1fx by wall clock, %.1fx by CPU time; at least %.0fx: %s (%d frames, best of %d runs, "
          "%d processors)" % (speedup, all_cpu / max(select_cpu, 1e-9), NEEDED, "yes" if speedup >= NEEDED else "NO",
                              args.frames, runs, os.cpu_count() or 1))
    print("without --layer3: %.3f s and %.3f s with --where, %.1fx (for information)"
          % (link_seconds, link_select_seconds, link_seconds / link_select_seconds))
    return 1 if args.check and speedup < NEEDED else 0


if __name__ == "__main__":
    sys.exit(main())
