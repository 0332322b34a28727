"""The structured decoders' and the call tracker's structs of
include/korvex/korvex.h as ctypes declarations."""

from __future__ import annotations

import ctypes

c_int32 = ctypes.c_int32
c_char_p = ctypes.c_char_p


class LinkKeys(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in (
        "lapf", "sapi", "tei", "cr", "dlci", "address_octets", "frame_type", "frame_key")] + [
        ("frame_name", ctypes.c_char * 8)] + [(name, c_int32) for name in (
            "ns", "nr", "pf", "info_offset", "info_length", "truncated")]


class PartyNumber(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in (
        "present", "type_of_number", "numbering_plan", "presentation", "screening", "digit_count")] + [
        ("digits", ctypes.c_char * 33)]


class ChannelId(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in (
        "present", "interface_type", "interface_id", "exclusive", "d_channel", "selection", "by_map",
        "channel")] + [("slot_map", ctypes.c_uint32)]


class Bearer(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in (
        "present", "coding_standard", "transfer_capability", "transfer_mode", "transfer_rate",
        "layer1_protocol")] + [("capability_name", c_char_p), ("rate_name", c_char_p)]


class Cause(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in (
        "present", "coding_standard", "location", "value", "cause_class")] + [
        ("name", c_char_p), ("location_name", c_char_p), ("class_name", c_char_p)]


class Q931Element(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in ("codeset", "identifier", "length", "offset")]


Q931_MAX_OTHER = 16
X25_MAX_FACILITIES = 16


class Q931Message(ctypes.Structure):
    _fields_ = [
        ("protocol", c_int32), ("call_ref_length", c_int32), ("call_ref", ctypes.c_uint32),
        ("call_ref_flag", c_int32), ("message_type", c_int32), ("message_name", c_char_p),
        ("segmented_type", c_int32), ("first_segment", c_int32), ("sending_complete", c_int32),
        ("called", PartyNumber), ("calling", PartyNumber), ("connected", PartyNumber),
        ("channel", ChannelId), ("bearer", Bearer), ("cause", Cause),
        ("progress_location", c_int32), ("progress_description", c_int32), ("progress_name", c_char_p),
        ("display", ctypes.c_char * 83), ("other_count", c_int32),
        ("other", Q931Element * Q931_MAX_OTHER), ("truncated", c_int32),
    ]


class X25Packet(ctypes.Structure):
    _fields_ = [(name, c_int32) for name in ("gfi", "q_bit", "d_bit", "modulo", "channel", "type")] + [
        ("type_name", ctypes.c_char * 16)] + [(name, c_int32) for name in ("ps", "pr", "m_bit")] + [
        ("called", ctypes.c_char * 16), ("calling", ctypes.c_char * 16),
        ("facility_length", c_int32), ("facility_count", c_int32),
        ("facilities", c_int32 * X25_MAX_FACILITIES),
        ("cause", c_int32), ("diagnostic", c_int32), ("cause_name", c_char_p), ("diagnostic_name", c_char_p),
        ("user_data_length", c_int32), ("truncated", c_int32),
    ]


class CallRecord(ctypes.Structure):
    _fields_ = [
        ("number", c_int32), ("protocol", c_int32),
        ("first_time", ctypes.c_char * 12), ("last_time", ctypes.c_char * 12),
        ("first_ms", ctypes.c_int64), ("last_ms", ctypes.c_int64), ("alerting_ms", ctypes.c_int64),
        ("answer_ms", ctypes.c_int64), ("connected_ms", ctypes.c_int64),
        ("direction", ctypes.c_char), ("cleared_by", ctypes.c_char),
        ("calling", ctypes.c_char * 33), ("called", ctypes.c_char * 33),
        ("link", c_int32), ("call_ref", c_int32), ("logical_channel", c_int32),
        ("channel", ctypes.c_char * 24),
        ("bearer_capability", c_int32), ("bearer_mode", c_int32), ("bearer_rate", c_int32),
        ("bearer_name", c_char_p),
        ("cause", c_int32), ("diagnostic", c_int32), ("cause_name", c_char_p),
        ("messages", c_int32), ("data_packets", c_int32), ("begun", c_int32), ("ended", c_int32),
        ("end", c_char_p),
    ]


CallTrackerHandle = ctypes.c_void_p


def declare(lib: ctypes.CDLL) -> None:
    octets = ctypes.POINTER(ctypes.c_ubyte)
    lib.KorvexParseLink.argtypes = [octets, c_int32, ctypes.c_int, ctypes.POINTER(LinkKeys)]
    lib.KorvexParseLink.restype = ctypes.c_int
    lib.KorvexParseQ931.argtypes = [octets, c_int32, ctypes.POINTER(Q931Message)]
    lib.KorvexParseQ931.restype = ctypes.c_int
    lib.KorvexParseX25.argtypes = [octets, c_int32, ctypes.POINTER(X25Packet)]
    lib.KorvexParseX25.restype = ctypes.c_int
    lib.KorvexCallsOpen.argtypes = [c_int32, ctypes.POINTER(CallTrackerHandle)]
    lib.KorvexCallsOpen.restype = ctypes.c_int
    lib.KorvexCallsFrame.argtypes = [CallTrackerHandle, c_char_p, ctypes.c_char, octets, c_int32]
    lib.KorvexCallsFrame.restype = c_int32
    lib.KorvexCallsFinish.argtypes = [CallTrackerHandle]
    lib.KorvexCallsFinish.restype = None
    lib.KorvexCallsNext.argtypes = [CallTrackerHandle, ctypes.POINTER(CallRecord)]
    lib.KorvexCallsNext.restype = ctypes.c_int
    lib.KorvexCallsClose.argtypes = [CallTrackerHandle]
    lib.KorvexCallsClose.restype = None
    lib.KorvexCallsGuessInput.argtypes = [octets, c_int32]
    lib.KorvexCallsGuessInput.restype = c_int32
