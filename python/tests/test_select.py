"""Selection, fields and JSON Lines: every sample's --json read back with the
json module and its lines joined back into the tool's text; the frames
--where selects against the same frames picked out of the whole JSON output
by Python; korvex.frames against both."""

import json
import os
import subprocess
from pathlib import Path
from typing import Any, Callable

import pytest

import korvex

SAMPLES = Path(os.environ["KORVEX_SAMPLES"])
TOOL = os.environ["KORVEX_TOOL"]
PROTOCOLS = {"lapd.txt": "lapd", "q922.txt": "lapf", "q931.txt": "q931", "x25.txt": "x25",
             "eth.txt": "eth", "ip.txt": "ip"}

Fields = dict[str, Any]


def tool(*args: str) -> str:
    done = subprocess.run([TOOL, *args], check=True, capture_output=True)
    return done.stdout.decode("latin-1")


def objects(*args: str) -> list[dict[str, Any]]:
    return [json.loads(line) for line in tool(*args, "--json").splitlines()]


def joined(obj: dict[str, Any]) -> str:
    """A frame's text from its JSON object: the summary, then each detail line
    as tag: label: value without the separators of empty parts."""
    lines = [obj["summary"]]
    for d in obj["detail"]:
        parts = [p for p in (d["tag"], d["label"]) if p]
        lines.append(": ".join(parts + [d["value"]]) if d["tag"] else d["value"])
    return "\n".join(lines)


@pytest.mark.parametrize("sample", sorted(PROTOCOLS))
def test_json_joined_back_is_the_text(sample: str) -> None:
    protocol, path = PROTOCOLS[sample], str(SAMPLES / sample)
    text = tool("replay", protocol, path, "--detail", "--layer3")
    found = objects("replay", protocol, path, "--detail", "--layer3")
    assert found, sample
    # Every frame's text ends with its line end and the blank line of --detail.
    assert "".join(joined(o) + "\n\n" for o in found) == text
    # Number, time, direction and octets as the library's reader gives them.
    frames = list(korvex.read_trace(path))
    assert [o["frame"] for o in found] == list(range(1, len(frames) + 1))
    assert [(o["time"], o["dir"] or " ", bytes.fromhex(o["hex"]), o["length"]) for o in found] == [
        (f.timestamp, f.direction if f.direction in "UN" else " ", f.data, len(f.data)) for f in frames]
    assert {o["protocol"] for o in found} == {protocol}


def in_set(name: str, values: set[Any]) -> Callable[[Fields], bool]:
    return lambda f: f.get(name) in values


# (sample, --where, the same choice made by Python over the fields).
SELECTIONS: list[tuple[str, str, Callable[[Fields], bool]]] = [
    ("lapd.txt", "tei == 64", lambda f: f.get("tei") == 64),
    ("lapd.txt", "frame in {SABME, UA, DISC, DM}", in_set("frame", {"SABME", "UA", "DISC", "DM"})),
    ("lapd.txt", "type == S or pf == 1", lambda f: f.get("type") == "S" or f.get("pf") == 1),
    ("lapd.txt", "msg == SETUP or msg == release_comp", in_set("msg", {"SETUP", "RELEASE COMP"})),
    ("lapd.txt", "not sapi == 0", lambda f: f.get("sapi") != 0),
    ("lapd.txt", "dir == U and nr >= 1", lambda f: f["dir"] == "U" and f.get("nr", -1) >= 1),
    ("q922.txt", "dlci > 16", lambda f: f.get("dlci", -1) > 16),
    ("q922.txt", "packet == DATA or lcn == 1", lambda f: f.get("packet") == "DATA" or f.get("lcn") == 1),
    ("q931.txt", "callref != 1", lambda f: "callref" in f and f["callref"] != 1),
    ("q931.txt", "cause in {16, 31}", in_set("cause", {16, 31})),
    ("x25.txt", "packet in {CALL, \"CLEAR CNF\", reset_cnf}", in_set("packet", {"CALL", "CLEAR CNF", "RESET CNF"})),
    ("eth.txt", "ethertype == 0x0800", lambda f: f.get("ethertype") == 0x800),
    ("ip.txt", "ipproto == 6 and (sport == 80 or dport == 80)",
     lambda f: f.get("ipproto") == 6 and 80 in (f.get("sport"), f.get("dport"))),
    ("ip.txt", "src == 192.168.1.2", lambda f: f.get("src") == "192.168.1.2"),
]


@pytest.mark.parametrize("sample,where,choose", SELECTIONS, ids=[s[1] for s in SELECTIONS])
def test_where_selects_what_python_picks_from_the_json(sample: str, where: str,
                                                       choose: Callable[[Fields], bool]) -> None:
    protocol, path = PROTOCOLS[sample], str(SAMPLES / sample)
    every = objects("replay", protocol, path)
    expected = [o["frame"] for o in every if choose({**o["fields"], "dir": o["dir"]})]
    selected = [o["frame"] for o in objects("replay", protocol, path, "--where", where)]
    assert selected == expected
    # The text view shows as many frames, one summary line each (the lines
    # under it that dump an information field begin with blanks).
    text = tool("replay", protocol, path, "--where", where)
    assert len([line for line in text.splitlines() if not line.startswith(" ")]) == len(expected)
    # The library's frames() chooses the same, with the same fields.
    from_python = list(korvex.frames(path, protocol, where=where))
    assert [f.number for f in from_python] == expected
    by_number = {o["frame"]: o for o in every}
    for f in from_python:
        obj = by_number[f.number]
        assert f.fields == {**obj["fields"], **({"dir": obj["dir"]} if obj["dir"] else {}),
                            "len": obj["length"]}
        assert f.data.hex() == obj["hex"]


def test_frames_without_where_and_by_guess() -> None:
    path = str(SAMPLES / "lapd.txt")
    every = list(korvex.frames(path))
    assert [f.number for f in every] == list(range(1, len(every) + 1))
    assert len(every) == len(list(korvex.read_trace(path)))
    assert korvex.field_names()[:3] == ["sapi", "tei", "cr"]


@pytest.mark.parametrize("where,offset", [("tei == 64 and bogus == 1", 14), ("tei ==", 6), ("(sapi == 0", 0)])
def test_frames_raises_the_fault_with_its_offset(where: str, offset: int) -> None:
    with pytest.raises(korvex.SelectionError) as caught:
        korvex.frames(str(SAMPLES / "lapd.txt"), where=where)
    assert caught.value.offset == offset
    with pytest.raises(korvex.UnknownProtocolError):
        korvex.frames(str(SAMPLES / "lapd.txt"), "token-ring")
