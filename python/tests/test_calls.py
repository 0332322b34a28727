"""korvex.calls, parse_q931 and parse_x25: the records of the bundled samples
against the tool's CSV and JSON output read back with the csv and json
modules, the kinds of input calls() takes, and the dataclasses of the
structured decoders."""

import csv
import dataclasses
import io
import json
import os
import subprocess
from pathlib import Path

import pytest

import korvex

SAMPLES = Path(os.environ["KORVEX_SAMPLES"])
TOOL = os.environ["KORVEX_TOOL"]
CALL_SAMPLES = ["lapd.txt", "q931.txt", "x25.txt", "q922.txt"]


def tool(*args: str) -> str:
    return subprocess.run([TOOL, *args], check=True, capture_output=True, text=True).stdout


def csv_text(value: object) -> str:
    """A JSON value as the CSV form writes it."""
    if value is None:
        return ""
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, float):
        return "%.3f" % value
    return str(value)


@pytest.mark.parametrize("sample", CALL_SAMPLES)
def test_records_match_the_tool_in_json_and_csv(sample: str) -> None:
    records = korvex.calls(str(SAMPLES / sample))
    assert records, sample
    objects = [json.loads(line) for line in tool("calls", str(SAMPLES / sample), "--format", "json").splitlines()]
    assert [dataclasses.asdict(r) for r in records] == objects
    rows = list(csv.DictReader(io.StringIO(tool("calls", str(SAMPLES / sample), "--format", "csv"), newline="")))
    assert [list(row) for row in rows] == [list(o) for o in objects]
    assert [dict(row) for row in rows] == [{k: csv_text(v) for k, v in o.items()} for o in objects]


def test_calls_takes_a_path_text_or_bytes_and_a_protocol() -> None:
    path = SAMPLES / "lapd.txt"
    expected = korvex.calls(path)
    assert [r.number for r in expected] == [1, 2, 3]
    assert korvex.calls(path.read_text()) == expected
    assert korvex.calls(path.read_bytes()) == expected
    assert korvex.calls(str(path), protocol="LAPD") == expected
    # LAPD frames read as bare Q.931 hold no call.
    assert korvex.calls(path, protocol="q931") == []


@pytest.mark.parametrize("args, error, message", [
    ((str(SAMPLES / "eth.txt"),), ValueError, "give protocol="),
    ((str(SAMPLES / "lapd.txt"), "ip"), ValueError, "lapd, lapf, q931 and x25"),
    (("/nonexistent/trace.txt",), FileNotFoundError, "cannot open"),
    ((42,), TypeError, "path or trace text"),
])
def test_calls_refuses(args: tuple, error: type, message: str) -> None:
    with pytest.raises(error, match=message):
        korvex.calls(*args)


def test_an_incomplete_call_is_marked() -> None:
    # A RELEASE whose SETUP is not in the trace, then nothing more.
    trace = ("Frame 1                 00:01.000\nLength: 4          N\nOffset\n"
             "0000: 08 01 03 4D\n\n")
    [record] = korvex.calls(trace)
    assert (record.begun, record.ended, record.end, record.direction) == (False, False, "open", "?")


def test_parse_q931_gives_the_fields_as_dataclasses() -> None:
    setup = bytes.fromhex("080101 05 A1 040380 90A2 180183 6C0B2180") + b"301234567" + \
        bytes.fromhex("700C81") + b"04012345678"
    m = korvex.parse_q931(setup)
    assert (m.complete, m.call_ref, m.call_ref_flag, m.message_name, m.sending_complete) == (True, 1, 0, "SETUP", True)
    assert m.calling == korvex.PartyNumber("301234567", 2, 1, 0, 0, 9)
    assert m.called == korvex.PartyNumber("04012345678", 0, 1, None, None, 11)
    assert m.channel == korvex.ChannelId(0, None, False, False, 3, None, None, 0)
    assert m.bearer == korvex.Bearer(0, 0, "Speech", 0, 16, "64 kbps", 2)
    assert (m.cause, m.connected, m.other, m.truncated) == (None, None, (), False)

    release = korvex.parse_q931(bytes.fromhex("0802815345 0803008090 96 7B020105"))
    assert release.cause == korvex.Cause(16, "Normal call clearing", 1, "Class (001): normal event", 0, "user", 0)
    assert release.other == (korvex.Element(6, 0x7B, 2, 11),)

    cut = korvex.parse_q931(b"\x08\x01")
    assert (cut.complete, cut.truncated, cut.message_type) == (False, True, None)


def test_parse_x25_gives_the_fields_as_dataclasses() -> None:
    call = korvex.parse_x25(bytes.fromhex("10010B442624119506420707430202"))
    assert (call.channel, call.type_name, call.called, call.calling) == (1, "CALL", "2624", "1195")
    assert (call.facility_length, call.facilities, call.modulo) == (6, (0x42, 0x43), 8)
    clear = korvex.parse_x25(bytes.fromhex("1001130D43"))
    assert (clear.cause, clear.cause_name, clear.diagnostic) == (13, "NOT OBTAINABLE", 67)
    data = korvex.parse_x25(bytearray(b"\x10\x01\x22ABC"))
    assert (data.type_name, data.ps, data.pr, data.m_bit, data.user_data_length) == ("DATA", 1, 1, 0, 3)
    assert korvex.parse_x25(b"").complete is False
    with pytest.raises(TypeError):
        korvex.parse_x25("10 01 17")  # type: ignore[arg-type]
