"""Korvex from Python: decode raw protocol frames into trace text and read hex
trace files, through the shared library libkorvex.so (ctypes, no compiled
extension).

    >>> import korvex
    >>> korvex.decode("lapd", bytes.fromhex("028101071a2b"))
    '00:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\\n'

The library is looked for in the place named by the environment variable
KORVEX_LIBRARY, else beside this package, in the tree it was installed into,
in build/ of the source tree it sits in, and through the system's loader.

Texts are handed over one character per byte (Latin-1): the decoded text is
exactly the bytes the decoder wrote, and a timestamp of Latin-1 characters
comes back as it was given.

Selection: korvex.frames(path, where="tei == 64 and frame == REJ") yields the
frames a selection expression chooses (the tool's --where), each with its
fields as a dict.

Calls: korvex.calls(path_or_text) gives one CallRecord per call of a trace,
and korvex.parse_q931(octets) and korvex.parse_x25(octets) a message or a
packet as a dataclass.

The module is typed (py.typed): its functions and Frame carry annotations.
"""

from __future__ import annotations

import ctypes
import os
import stat
import threading
from types import TracebackType
from typing import Iterator, NamedTuple, Optional, Type, Union

from . import _calls, _library, _select
from ._calls import (Bearer, CallRecord, Cause, ChannelId, Element, PartyNumber, Q931Message,
                     X25Packet)
from ._library import LibraryNotFoundError
from ._select import SelectedFrame, SelectionError

__all__ = [
    "DECODE_SUMMARY", "DECODE_DETAIL", "DECODE_HEX", "DECODE_LAYER3", "DECODE_EMBEDDED",
    "DECODE_LAPF", "DECODE_EXTENDED", "Bearer", "CallRecord", "Cause", "ChannelId", "Element", "Frame",
    "LibraryNotFoundError", "PartyNumber", "Q931Message", "SelectedFrame", "SelectionError",
    "UnknownProtocolError", "X25Packet", "__version__", "calls", "decode", "field_names", "frames",
    "library_path", "parse_q931", "parse_trace", "parse_x25", "protocols", "read_trace",
]

# The project's version: the library's and the tool's (korvex --version).
__version__ = "1.0.0"

# What a path may be given as, and frame octets: anything that gives bytes
# through the buffer protocol.
PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]
BytesLike = Union[bytes, bytearray, memoryview]

DECODE_SUMMARY = 0x01
DECODE_DETAIL = 0x02
DECODE_HEX = 0x04
DECODE_LAYER3 = 0x08
DECODE_EXTENDED = 0x10
DECODE_EMBEDDED = 0x40
DECODE_LAPF = 0x80

_TEXT_ENCODING = "latin-1"
_FIRST_CAPACITY = 4096
_MAX_CAPACITY = 1 << 30
_INT32_MAX = (1 << 31) - 1


class UnknownProtocolError(ValueError):
    """The library has no decoder of that name."""


class Frame(NamedTuple):
    """One frame of a hex trace: its timestamp text, its direction tag (one
    character), its octets and the line number of the empty line that ended
    it."""

    timestamp: str
    direction: str
    data: bytes
    line: int


_lib: Optional[ctypes.CDLL] = None
_decoders: dict[str, _library.DecoderFunction] = {}
# Some decoders keep process-wide working state from one octet to the next,
# so decodes run one after another even when threads call decode() at once
# (ctypes lets go of the interpreter lock during the call).
_decode_lock = threading.Lock()


def _library_handle() -> ctypes.CDLL:
    global _lib
    if _lib is None:
        _lib = _library.load()
    return _lib


def library_path() -> str:
    """The file of the shared library in use (loading it when not yet loaded)."""
    name: str = _library_handle()._name
    return name


def protocols() -> list[str]:
    """The protocol names the library decodes, in its own order."""
    return _library.indexed_names(_library_handle().KorvexProtocolName)


def _decoder(protocol: str) -> _library.DecoderFunction:
    if not isinstance(protocol, str):
        raise TypeError(f"protocol must be a str, not {type(protocol).__name__}")
    decoder = _decoders.get(protocol)
    if decoder is None:
        address = None
        if protocol.isascii() and "\0" not in protocol:
            address = _library_handle().KorvexFindDecoder(protocol.encode("ascii"))
        if not address:
            raise UnknownProtocolError(f"unknown protocol {protocol!r}; the library decodes: "
                                       + ", ".join(protocols()))
        decoder = _decoders[protocol] = _library.Decoder(address)
    return decoder


def _frame_bytes(frame: BytesLike) -> bytes:
    if isinstance(frame, (str, int)) or frame is None:
        raise TypeError(f"frame must be bytes, not {type(frame).__name__}")
    try:
        view = memoryview(frame)
    except TypeError:
        raise TypeError(f"frame must be bytes, not {type(frame).__name__}") from None
    octets = view.tobytes()
    if not octets:
        raise ValueError("frame is empty: a decoder needs at least one octet")
    if len(octets) > _INT32_MAX:
        raise ValueError(f"frame of {len(octets)} octets is too long to decode")
    return octets


def _flag_word(flags: Optional[int], detail: bool, hex: bool, layer3: bool) -> int:
    if flags is None:
        value = 0 if (detail or hex or layer3) else DECODE_SUMMARY
    elif isinstance(flags, bool) or not isinstance(flags, int):
        raise TypeError(f"flags must be an int, not {type(flags).__name__}")
    elif not 0 <= flags <= 0xFFFFFFFF:
        raise ValueError(f"flags {flags:#x} do not fit in 32 bits")
    else:
        value = flags
    if detail:
        value |= DECODE_DETAIL
    if hex:
        value |= DECODE_HEX
    if layer3:
        value |= DECODE_LAYER3
    return value


def _timestamp_bytes(timestamp: Union[str, bytes, bytearray]) -> bytes:
    if isinstance(timestamp, (bytes, bytearray)):
        text = bytes(timestamp)
    elif isinstance(timestamp, str):
        try:
            text = timestamp.encode(_TEXT_ENCODING)
        except UnicodeEncodeError:
            raise ValueError(f"timestamp {timestamp!r} holds characters beyond Latin-1") from None
    else:
        raise TypeError(f"timestamp must be a str, not {type(timestamp).__name__}")
    if b"\0" in text:
        raise ValueError("timestamp holds a NUL character")
    return text


def decode(protocol: str, frame: BytesLike, *, detail: bool = False, hex: bool = False,
           layer3: bool = False, flags: Optional[int] = None,
           timestamp: Union[str, bytes, bytearray] = "00:00.000") -> str:
    """The trace text of one frame, exactly as the protocol's decoder writes it.

    protocol  a name from protocols(), e.g. "lapd"
    frame     the frame's octets (bytes, bytearray, memoryview)
    detail, hex, layer3
              add DECODE_DETAIL, DECODE_HEX, DECODE_LAYER3 to the flags
    flags     the flag word handed to the decoder; by default DECODE_SUMMARY
              when none of detail, hex and layer3 is set, else 0
    timestamp the text the decoder writes first

    Raises UnknownProtocolError (a ValueError) for a name the library does not
    know, TypeError for a frame that is not bytes, ValueError for an empty one.
    Safe to call from several threads: the decodes run one at a time.
    """
    decoder = _decoder(protocol)
    octets = _frame_bytes(frame)
    word = _flag_word(flags, detail, hex, layer3)
    stamp = _timestamp_bytes(timestamp)
    source = (ctypes.c_ubyte * len(octets)).from_buffer_copy(octets)
    capacity = _FIRST_CAPACITY
    while True:
        out = ctypes.create_string_buffer(capacity)
        request = _library.DecodeRequest(word, stamp, source,
                                         ctypes.cast(out, ctypes.POINTER(ctypes.c_char)),
                                         len(octets), capacity)
        with _decode_lock:
            count: int = decoder(request)
        # A count below capacity - 1 is the whole text; at capacity - 1 the
        # text may have been cut, so decode again with more room.
        if count < capacity - 1 or capacity >= _MAX_CAPACITY:
            return out.raw[:count].decode(_TEXT_ENCODING)
        capacity *= 2


class _TraceFrames(Iterator[Frame]):
    """Iterator over the frames of one reader handle; closes it at the end,
    on close() or on leaving a with block."""

    def __init__(self, lib: ctypes.CDLL, handle: _library.TraceReaderHandle, name: str) -> None:
        self._lib = lib
        self._handle: Optional[_library.TraceReaderHandle] = handle
        self._name = name

    def __iter__(self) -> _TraceFrames:
        return self

    def __next__(self) -> Frame:
        if self._handle is None:
            raise StopIteration
        frame = _library.TraceFrame()
        status: int = self._lib.KorvexTraceNext(self._handle, ctypes.byref(frame))
        if status == 1:
            return Frame(frame.timestamp.decode(_TEXT_ENCODING),
                         frame.direction.decode(_TEXT_ENCODING),
                         ctypes.string_at(frame.bytes, frame.length), frame.line)
        self.close()
        if status == 0:
            raise StopIteration
        raise OSError(-status, f"cannot read the trace: {os.strerror(-status)}", self._name)

    def close(self) -> None:
        if self._handle is not None:
            self._lib.KorvexTraceClose(self._handle)
            self._handle = None

    def __enter__(self) -> _TraceFrames:
        return self

    def __exit__(self, kind: Optional[Type[BaseException]], value: Optional[BaseException],
                 traceback: Optional[TracebackType]) -> None:
        self.close()

    def __del__(self) -> None:
        self.close()


# The first four octets of a capture file, as the tool tells them apart: the
# pcap magic numbers in either byte order (microsecond, nanosecond and the
# variant with longer records), and the pcapng section header block type.
_PCAP_MAGICS: frozenset[int] = frozenset({0xA1B2C3D4, 0xA1B23C4D, 0xA1B2CD34})
_PCAPNG_BLOCK_TYPE = 0x0A0D0D0A


def _capture_format(start: bytes) -> Optional[str]:
    """The capture format, "pcap" or "pcapng", that the octets start, or None."""
    if len(start) < 4:
        return None
    little, big = int.from_bytes(start[:4], "little"), int.from_bytes(start[:4], "big")
    if little in _PCAP_MAGICS or big in _PCAP_MAGICS:
        return "pcap"
    if big == _PCAPNG_BLOCK_TYPE:
        return "pcapng"
    return None


def read_trace(path: PathLike) -> _TraceFrames:
    """Iterator over the frames (Frame tuples) of the hex trace file at path.

    The file is opened at once: a file that cannot be opened raises the
    matching OSError (FileNotFoundError, PermissionError, IsADirectoryError)
    with the file name; a pcap or pcapng capture raises ValueError (the tool's
    korvex pcap decodes those)."""
    name = os.fsencode(path)
    if b"\0" in name:
        raise ValueError("path holds a NUL character")
    shown = os.fsdecode(path)
    # Only a regular file is looked into first: opening a pipe would wait for
    # its writer, and octets read from it would be lost to the reader. A file
    # that cannot be read is left to the reader to report.
    start = b""
    try:
        if stat.S_ISREG(os.stat(name).st_mode):
            with open(name, "rb") as f:
                start = f.read(4)
    except OSError:
        pass
    capture = _capture_format(start)
    if capture:
        raise ValueError(f"{shown} is a {capture} capture, not a hex trace file; "
                         f"decode it with: korvex pcap {shown}")
    lib = _library_handle()
    handle = _library.TraceReaderHandle()
    error: int = lib.KorvexTraceOpenFile(name, ctypes.byref(handle))
    if error != 0:
        raise OSError(error, f"cannot open the trace file: {os.strerror(error)}", os.fsdecode(path))
    return _TraceFrames(lib, handle, os.fsdecode(path))


def parse_trace(text: Union[str, BytesLike]) -> _TraceFrames:
    """Iterator over the frames (Frame tuples) of hex trace text held in
    memory: a str (Latin-1 characters) or bytes. The octets of a pcap or
    pcapng capture raise ValueError (the tool's korvex pcap decodes those)."""
    if isinstance(text, str):
        data = text.encode(_TEXT_ENCODING)
    elif isinstance(text, (bytes, bytearray, memoryview)):
        data = bytes(text)
    else:
        raise TypeError(f"text must be str or bytes, not {type(text).__name__}")
    capture = _capture_format(data)
    if capture:
        raise ValueError(f"the text is a {capture} capture, not hex trace text; "
                         "write it to a file and decode it with: korvex pcap FILE")
    lib = _library_handle()
    handle = _library.TraceReaderHandle()
    error: int = lib.KorvexTraceOpenBuffer(data, len(data), ctypes.byref(handle))
    if error != 0:
        raise OSError(error, f"cannot read the trace text: {os.strerror(error)}")
    return _TraceFrames(lib, handle, "<text>")


def parse_q931(octets: BytesLike) -> Q931Message:
    """The fields of one Q.931 message (protocol discriminator first) as a
    Q931Message: header, party numbers, channel, bearer, cause, progress,
    display, and the elements not read by identifier. A cut message gives
    what it holds, with truncated set (and complete unset when the header is
    cut)."""
    return _calls.q931_message(_library_handle(), _frame_bytes_or_empty(octets))


def parse_x25(octets: BytesLike) -> X25Packet:
    """The fields of one X.25 packet (general format identifier first) as an
    X25Packet."""
    return _calls.x25_packet(_library_handle(), _frame_bytes_or_empty(octets))


def _frame_bytes_or_empty(frame: BytesLike) -> bytes:
    if isinstance(frame, (str, int)) or frame is None:
        raise TypeError(f"octets must be bytes, not {type(frame).__name__}")
    try:
        return memoryview(frame).tobytes()
    except TypeError:
        raise TypeError(f"octets must be bytes, not {type(frame).__name__}") from None


def calls(path_or_text: Union[PathLike, BytesLike], protocol: Optional[str] = None) -> list[CallRecord]:
    """The calls of a hex trace, one CallRecord each, in the order they
    began: the records of korvex calls. path_or_text is a file's path (a str
    without a line end, or an os.PathLike), or the trace's text (a str with
    line ends, or bytes). protocol is "lapd", "lapf", "q931" or "x25"; by
    default the first frame tells it, as in the tool. Raises ValueError for a
    trace that is none of these, and what read_trace raises for a file."""
    if isinstance(path_or_text, (bytes, bytearray, memoryview)) or (
            isinstance(path_or_text, str) and "\n" in path_or_text):
        frames = parse_trace(path_or_text)
    elif isinstance(path_or_text, (str, os.PathLike)):
        frames = read_trace(path_or_text)
    else:
        raise TypeError(f"path_or_text must be a path or trace text, not {type(path_or_text).__name__}")
    with frames:
        return _calls.track(_library_handle(), ((f.timestamp, f.direction, f.data) for f in frames), protocol)


def field_names() -> list[str]:
    """The names of the fields frames are selected on, in the library's order."""
    return _select.field_names(_library_handle())


def frames(path: PathLike, protocol: Optional[str] = None, *,
           where: Optional[str] = None) -> Iterator[SelectedFrame]:
    """The frames of the hex trace file at path that the selection expression
    where chooses (every frame without one), as SelectedFrame objects with
    their fields: korvex replay --where, in Python. protocol is the frames'
    protocol (a name from protocols()); by default the first frame tells
    LAPD, LAPF, Q.931 or X.25, as korvex calls does.

    A malformed expression or an unknown field raises SelectionError (a
    ValueError) with the offset of the fault, and an unknown protocol
    UnknownProtocolError, at once; the file raises what read_trace raises."""
    lib = _library_handle()
    if where is not None:
        lib.KorvexSelectionFree(_select.compile_selection(lib, where))
    if protocol is not None:
        _decoder(protocol)
    return _selected_frames(lib, read_trace(path), os.fsdecode(path), protocol, where)


# Protocol names of the KORVEX_CALLS_* kinds a first frame is guessed as.
_GUESSED_KINDS = {1: "lapd", 2: "lapf", 3: "q931", 4: "x25"}


def _selected_frames(lib: ctypes.CDLL, trace: _TraceFrames, name: str, protocol: Optional[str],
                     where: Optional[str]) -> Iterator[SelectedFrame]:
    with trace:
        first = next(trace, None)
        if first is None:
            return
        kind = protocol
        if kind is None:
            octets = (ctypes.c_ubyte * len(first.data)).from_buffer_copy(first.data)
            guess: int = lib.KorvexCallsGuessInput(octets, len(first.data))
            if guess not in _GUESSED_KINDS:
                raise ValueError(f"{name}: its first frame is not LAPD, LAPF, Q.931 or X.25; give protocol")
            kind = _GUESSED_KINDS[guess]

        def every_frame(first: Frame) -> Iterator[tuple[str, str, bytes]]:
            yield first.timestamp, first.direction, first.data
            for f in trace:
                yield f.timestamp, f.direction, f.data

        yield from _select.select(lib, every_frame(first), kind, where)
