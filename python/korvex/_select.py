"""korvex.frames: the frames of a trace with their fields, chosen by a
selection expression; the library reads the fields and evaluates the
expression (the code behind the tool's --where)."""

from __future__ import annotations

import ctypes
from dataclasses import dataclass, field
from typing import Iterable, Iterator, Optional, Union

from ._library import indexed_names

FIELD_COUNT = 24

FieldValue = Union[int, str]


class Field(ctypes.Structure):
    _fields_ = [("present", ctypes.c_int32), ("has_number", ctypes.c_int32),
                ("number", ctypes.c_int64), ("text", ctypes.c_char * 34)]


class FrameFields(ctypes.Structure):
    _fields_ = [("field", Field * FIELD_COUNT)]


class SelectionHandle(ctypes.c_void_p):
    """A KorvexSelection pointer."""


class SelectionError(ValueError):
    """A selection expression that is not one: offset is where it went wrong
    (counted in characters from 0)."""

    def __init__(self, expression: str, offset: int, message: str) -> None:
        super().__init__(f"{message} at column {offset + 1}: {expression}")
        self.expression = expression
        self.offset = offset
        self.message = message


@dataclass(frozen=True)
class SelectedFrame:
    """One frame of a trace: its number (from 1, counted over every frame,
    selected or not), timestamp, direction tag, octets, and the fields it has
    by the names of the tool's --where (a number, or a name such as "SETUP";
    src and dst as dotted quads)."""

    number: int
    timestamp: str
    direction: str
    data: bytes
    fields: dict[str, FieldValue] = field(default_factory=dict)


def declare(lib: ctypes.CDLL) -> None:
    lib.KorvexFieldName.argtypes = [ctypes.c_int32]
    lib.KorvexFieldName.restype = ctypes.c_char_p
    lib.KorvexFrameFieldsOf.argtypes = [ctypes.c_char_p, ctypes.c_char, ctypes.c_char_p, ctypes.c_int32,
                                        ctypes.POINTER(FrameFields)]
    lib.KorvexFrameFieldsOf.restype = ctypes.c_int
    lib.KorvexSelectionCompile.argtypes = [ctypes.c_char_p, ctypes.POINTER(SelectionHandle),
                                           ctypes.POINTER(ctypes.c_int32), ctypes.c_char_p, ctypes.c_size_t]
    lib.KorvexSelectionCompile.restype = ctypes.c_int
    lib.KorvexSelectionMatch.argtypes = [SelectionHandle, ctypes.POINTER(FrameFields)]
    lib.KorvexSelectionMatch.restype = ctypes.c_int
    lib.KorvexSelectionFree.argtypes = [SelectionHandle]
    lib.KorvexSelectionFree.restype = None


def field_names(lib: ctypes.CDLL) -> list[str]:
    return indexed_names(lib.KorvexFieldName)


def compile_selection(lib: ctypes.CDLL, expression: str) -> SelectionHandle:
    if not isinstance(expression, str):
        raise TypeError(f"where must be a str, not {type(expression).__name__}")
    handle = SelectionHandle()
    offset = ctypes.c_int32(0)
    message = ctypes.create_string_buffer(160)
    status: int = lib.KorvexSelectionCompile(expression.encode("latin-1", "replace"), ctypes.byref(handle),
                                             ctypes.byref(offset), message, len(message))
    if status != 0:
        raise SelectionError(expression, offset.value, message.value.decode("latin-1"))
    return handle


def select(lib: ctypes.CDLL, frames: Iterable[tuple[str, str, bytes]], protocol: str,
           where: Optional[str]) -> Iterator[SelectedFrame]:
    """The frames the expression selects (all without one), with their fields."""
    names = field_names(lib)
    handle = compile_selection(lib, where) if where is not None else None
    fields = FrameFields()
    kind = protocol.encode("ascii")
    try:
        for number, (timestamp, direction, data) in enumerate(frames, start=1):
            tag = direction.encode("latin-1")[:1] or b" "
            lib.KorvexFrameFieldsOf(kind, tag, data, len(data), ctypes.byref(fields))
            if handle is not None and lib.KorvexSelectionMatch(handle, ctypes.byref(fields)) == 0:
                continue
            values: dict[str, FieldValue] = {}
            for index, name in enumerate(names):
                value = fields.field[index]
                if not value.present:
                    continue
                values[name] = value.text.decode("latin-1") if value.text else int(value.number)
            yield SelectedFrame(number, timestamp, direction, data, values)
    finally:
        if handle is not None:
            lib.KorvexSelectionFree(handle)
