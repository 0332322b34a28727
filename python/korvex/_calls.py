"""Structured decoding and call records: the library's structs as frozen
dataclasses. Absent numbers are None, absent texts "" (as the library has
them)."""

from __future__ import annotations

import ctypes
import os
from dataclasses import dataclass
from typing import Iterable, Optional

from . import _structs

_TEXT = "latin-1"

INPUTS = {"lapd": 1, "q921": 1, "lapf": 2, "q922": 2, "q931": 3, "x25": 4}


def _number(value: int) -> Optional[int]:
    return None if value < 0 else value


def _text(value: Optional[bytes]) -> str:
    # A side of 0 (c_char) is no side at all.
    return value.decode(_TEXT) if value and value != b"\0" else ""


@dataclass(frozen=True)
class PartyNumber:
    """A called, calling or connected party number."""

    digits: str
    type_of_number: int
    numbering_plan: int
    presentation: Optional[int]
    screening: Optional[int]
    digit_count: int


@dataclass(frozen=True)
class ChannelId:
    """Channel identification: interface_type 0 basic, 1 other; channel the
    B channel number (None for none or any); slot_map bit 0 time slot 1."""

    interface_type: int
    interface_id: Optional[int]
    exclusive: bool
    d_channel: bool
    selection: int
    by_map: Optional[bool]
    channel: Optional[int]
    slot_map: int


@dataclass(frozen=True)
class Bearer:
    """Bearer capability: transfer capability, mode (0 circuit, 2 packet) and rate."""

    coding_standard: int
    transfer_capability: int
    capability_name: str
    transfer_mode: Optional[int]
    transfer_rate: Optional[int]
    rate_name: str
    layer1_protocol: Optional[int]


@dataclass(frozen=True)
class Cause:
    """Cause: the value (cause number), its name, class and location."""

    value: Optional[int]
    name: str
    cause_class: Optional[int]
    class_name: str
    location: int
    location_name: str
    coding_standard: int


@dataclass(frozen=True)
class Element:
    """An information element the structured decoder does not read."""

    codeset: int
    identifier: int
    length: int
    offset: int


@dataclass(frozen=True)
class Q931Message:
    """One Q.931 message. complete is False when the header up to the
    message type is cut; truncated when any part of it is."""

    complete: bool
    protocol: Optional[int]
    call_ref: Optional[int]
    call_ref_flag: Optional[int]
    message_type: Optional[int]
    message_name: str
    segmented_type: Optional[int]
    sending_complete: bool
    called: Optional[PartyNumber]
    calling: Optional[PartyNumber]
    connected: Optional[PartyNumber]
    channel: Optional[ChannelId]
    bearer: Optional[Bearer]
    cause: Optional[Cause]
    progress_description: Optional[int]
    progress_name: str
    display: str
    other: tuple[Element, ...]
    other_count: int
    truncated: bool


@dataclass(frozen=True)
class X25Packet:
    """One X.25 packet; channel is group number x 256 + channel number."""

    complete: bool
    gfi: Optional[int]
    q_bit: Optional[int]
    d_bit: Optional[int]
    modulo: int
    channel: Optional[int]
    type: Optional[int]
    type_name: str
    ps: Optional[int]
    pr: Optional[int]
    m_bit: Optional[int]
    called: str
    calling: str
    facility_length: Optional[int]
    facilities: tuple[int, ...]
    cause: Optional[int]
    cause_name: str
    diagnostic: Optional[int]
    diagnostic_name: str
    user_data_length: int
    truncated: bool


@dataclass(frozen=True)
class CallRecord:
    """One call of a trace (the fields of korvex calls --format json; times
    in seconds, None where there is none)."""

    number: int
    protocol: str
    first: str
    last: str
    direction: str
    calling: str
    called: str
    link: Optional[int]
    call_ref: Optional[int]
    logical_channel: Optional[int]
    channel: str
    bearer: str
    bearer_capability: Optional[int]
    bearer_mode: Optional[int]
    bearer_rate: Optional[int]
    alerting_s: Optional[float]
    answer_s: Optional[float]
    connected_s: Optional[float]
    cause: Optional[int]
    cause_name: str
    diagnostic: Optional[int]
    cleared_by: str
    messages: int
    data_packets: int
    begun: bool
    ended: bool
    end: str


def _party(n: _structs.PartyNumber) -> Optional[PartyNumber]:
    if not n.present:
        return None
    return PartyNumber(_text(n.digits), n.type_of_number, n.numbering_plan, _number(n.presentation),
                       _number(n.screening), n.digit_count)


def _array(octets: bytes) -> "ctypes.Array[ctypes.c_ubyte]":
    return (ctypes.c_ubyte * max(len(octets), 1)).from_buffer_copy(octets or b"\0")


def q931_message(lib: ctypes.CDLL, octets: bytes) -> Q931Message:
    m = _structs.Q931Message()
    complete: int = lib.KorvexParseQ931(_array(octets), len(octets), ctypes.byref(m))
    ch, b, c = m.channel, m.bearer, m.cause
    return Q931Message(
        complete=bool(complete), protocol=_number(m.protocol),
        call_ref=m.call_ref if m.call_ref_length >= 0 else None, call_ref_flag=_number(m.call_ref_flag),
        message_type=_number(m.message_type), message_name=_text(m.message_name),
        segmented_type=_number(m.segmented_type), sending_complete=bool(m.sending_complete),
        called=_party(m.called), calling=_party(m.calling), connected=_party(m.connected),
        channel=ChannelId(ch.interface_type, _number(ch.interface_id), bool(ch.exclusive), bool(ch.d_channel),
                          ch.selection, None if ch.by_map < 0 else bool(ch.by_map), _number(ch.channel),
                          ch.slot_map) if ch.present else None,
        bearer=Bearer(b.coding_standard, b.transfer_capability, _text(b.capability_name),
                      _number(b.transfer_mode), _number(b.transfer_rate), _text(b.rate_name),
                      _number(b.layer1_protocol)) if b.present else None,
        cause=Cause(_number(c.value), _text(c.name), _number(c.cause_class), _text(c.class_name), c.location,
                    _text(c.location_name), c.coding_standard) if c.present else None,
        progress_description=_number(m.progress_description), progress_name=_text(m.progress_name),
        display=_text(m.display),
        other=tuple(Element(e.codeset, e.identifier, e.length, e.offset)
                    for e in m.other[:min(m.other_count, _structs.Q931_MAX_OTHER)]),
        other_count=m.other_count, truncated=bool(m.truncated))


def x25_packet(lib: ctypes.CDLL, octets: bytes) -> X25Packet:
    p = _structs.X25Packet()
    complete: int = lib.KorvexParseX25(_array(octets), len(octets), ctypes.byref(p))
    return X25Packet(
        complete=bool(complete), gfi=_number(p.gfi), q_bit=_number(p.q_bit), d_bit=_number(p.d_bit),
        modulo=p.modulo, channel=_number(p.channel), type=_number(p.type), type_name=_text(p.type_name),
        ps=_number(p.ps), pr=_number(p.pr), m_bit=_number(p.m_bit), called=_text(p.called),
        calling=_text(p.calling), facility_length=_number(p.facility_length),
        facilities=tuple(p.facilities[:min(p.facility_count, _structs.X25_MAX_FACILITIES)]),
        cause=_number(p.cause), cause_name=_text(p.cause_name), diagnostic=_number(p.diagnostic),
        diagnostic_name=_text(p.diagnostic_name), user_data_length=p.user_data_length,
        truncated=bool(p.truncated))


def _seconds(ms: int) -> Optional[float]:
    return None if ms < 0 else ms / 1000.0


def _record(r: _structs.CallRecord) -> CallRecord:
    return CallRecord(
        number=r.number, protocol="x25" if r.protocol == INPUTS["x25"] else "q931",
        first=_text(r.first_time), last=_text(r.last_time), direction=_text(r.direction),
        calling=_text(r.calling), called=_text(r.called), link=_number(r.link), call_ref=_number(r.call_ref),
        logical_channel=_number(r.logical_channel), channel=_text(r.channel), bearer=_text(r.bearer_name),
        bearer_capability=_number(r.bearer_capability), bearer_mode=_number(r.bearer_mode),
        bearer_rate=_number(r.bearer_rate), alerting_s=_seconds(r.alerting_ms),
        answer_s=_seconds(r.answer_ms), connected_s=_seconds(r.connected_ms), cause=_number(r.cause),
        cause_name=_text(r.cause_name), diagnostic=_number(r.diagnostic), cleared_by=_text(r.cleared_by),
        messages=r.messages, data_packets=r.data_packets, begun=bool(r.begun), ended=bool(r.ended),
        end=_text(r.end))


# A frame as the trace readers give it: timestamp, direction, octets.
FrameTriple = tuple[str, str, bytes]


def track(lib: ctypes.CDLL, frames: Iterable[FrameTriple], protocol: Optional[str]) -> list[CallRecord]:
    """The records of the calls in frames, in the order the calls began."""
    input_kind = 0
    if protocol is not None:
        if not isinstance(protocol, str) or protocol.lower() not in INPUTS:
            raise ValueError(f"calls are followed in lapd, lapf, q931 and x25 traces, not {protocol!r}")
        input_kind = INPUTS[protocol.lower()]
    handle = _structs.CallTrackerHandle()
    records: list[CallRecord] = []
    def take() -> None:
        record = _structs.CallRecord()
        while lib.KorvexCallsNext(handle, ctypes.byref(record)) == 1:
            records.append(_record(record))

    try:
        for timestamp, direction, octets in frames:
            if not handle:
                if input_kind == 0:
                    input_kind = lib.KorvexCallsGuessInput(_array(octets), len(octets))
                    if input_kind == 0:
                        raise ValueError("the first frame is not LAPD, LAPF, Q.931 or X.25 as far as "
                                         "korvex can tell; give protocol=")
                error: int = lib.KorvexCallsOpen(input_kind, ctypes.byref(handle))
                if error != 0:
                    raise OSError(error, os.strerror(error))
            lib.KorvexCallsFrame(handle, timestamp.encode(_TEXT), direction.encode(_TEXT)[:1] or b" ",
                                 _array(octets), len(octets))
            take()
        if handle:
            lib.KorvexCallsFinish(handle)
            take()
    finally:
        if handle:
            lib.KorvexCallsClose(handle)
    records.sort(key=lambda r: r.number)
    return records

