#!/usr/bin/env python3
"""Write the sample hex traces used by Korvex tests and examples.

    python3 scripts/make_samples.py           write samples/*.txt, then verify them
    python3 scripts/make_samples.py --check   only verify the files already on disk

Frames are listed as readable Python data, one module a layer: each entry
gives the delay since the previous frame, the sending side ('U' user, 'N'
network) and the frame bytes built with small helpers. Output is fully
deterministic. The trace layout, the writer and the independent checker are
in trace_format.py.

    samples_link.py   lapd.txt, q922.txt   LAPD and LAPF frames, FCS computed;
                      lapd_bus.txt,        and the traces of the extended text
                      frame_relay.txt
    samples_x25.py    x25.txt              X.25 packets alone
    samples_inet.py   eth.txt, ip.txt      Ethernet frames, IPv4 datagrams
    samples_lan.py    ipv6.txt,            IPv6 datagrams, Ethernet frames with
                      eth_vlan.txt         VLAN tags, ARP and IPv6
    samples_q931.py   q931.txt,            Q.931 messages alone
                      q931-extended.txt
"""

import argparse
import sys
from pathlib import Path

import samples_inet
import samples_lan
import samples_link
import samples_q931
import samples_x25
from trace_format import write_and_check

SAMPLES = Path(__file__).resolve().parent.parent / "samples"


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true",
                    help="only verify the trace files already written")
    args = ap.parse_args(argv)
    sessions = {}
    for module in (samples_link, samples_x25, samples_inet, samples_lan, samples_q931):
        sessions.update(module.SAMPLES)
    return 0 if write_and_check(SAMPLES, sessions, args.check) else 1


if __name__ == "__main__":
    sys.exit(main())
