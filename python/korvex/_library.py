"""Finding and loading the shared library libkorvex.so, and the C interface
of include/korvex/korvex.h as ctypes declarations."""

from __future__ import annotations

import ctypes
import os
import sys
import sysconfig
from typing import Any, Callable

ENV_VARIABLE = "KORVEX_LIBRARY"
# The file names tried in each directory: the run-time name first.
FILE_NAMES = ("libkorvex.so.1", "libkorvex.so")

_PACKAGE_DIR = os.path.dirname(os.path.abspath(__file__))


class LibraryNotFoundError(OSError):
    """libkorvex.so could not be found or loaded; the message lists every
    place that was tried."""


class DecodeRequest(ctypes.Structure):
    _fields_ = [
        ("flags", ctypes.c_uint32),
        ("timestamp", ctypes.c_char_p),
        ("frame", ctypes.POINTER(ctypes.c_ubyte)),
        ("out", ctypes.POINTER(ctypes.c_char)),
        ("length", ctypes.c_int32),
        ("capacity", ctypes.c_int32),
    ]


class TraceFrame(ctypes.Structure):
    _fields_ = [
        ("timestamp", ctypes.c_char * 12),
        ("direction", ctypes.c_char),
        ("length", ctypes.c_int32),
        ("bytes", ctypes.POINTER(ctypes.c_ubyte)),
        ("line", ctypes.c_int64),
    ]


Decoder = ctypes.CFUNCTYPE(ctypes.c_int32, DecodeRequest)
# A decoder entry point as Python calls it: the request in, the text's length out.
DecoderFunction = Callable[[DecodeRequest], Any]
TraceReaderHandle = ctypes.c_void_p


def _declare(lib: ctypes.CDLL) -> ctypes.CDLL:
    lib.KorvexFindDecoder.argtypes = [ctypes.c_char_p]
    lib.KorvexFindDecoder.restype = ctypes.c_void_p
    lib.KorvexProtocolName.argtypes = [ctypes.c_int32]
    lib.KorvexProtocolName.restype = ctypes.c_char_p
    lib.KorvexTraceOpenFile.argtypes = [ctypes.c_char_p, ctypes.POINTER(TraceReaderHandle)]
    lib.KorvexTraceOpenFile.restype = ctypes.c_int
    lib.KorvexTraceOpenBuffer.argtypes = [ctypes.c_char_p, ctypes.c_size_t,
                                          ctypes.POINTER(TraceReaderHandle)]
    lib.KorvexTraceOpenBuffer.restype = ctypes.c_int
    lib.KorvexTraceNext.argtypes = [TraceReaderHandle, ctypes.POINTER(TraceFrame)]
    lib.KorvexTraceNext.restype = ctypes.c_int
    lib.KorvexTraceClose.argtypes = [TraceReaderHandle]
    lib.KorvexTraceClose.restype = None
    from . import _select, _structs
    _structs.declare(lib)
    _select.declare(lib)
    return lib


def _files_in(directory: str) -> list[str]:
    return [os.path.join(directory, name) for name in FILE_NAMES]


def candidates() -> list[tuple[str, str]]:
    """The library files to try, in order, each with where it comes from.

    With KORVEX_LIBRARY set (a library file, or a directory holding one) only
    that place is tried. Otherwise: this package's own directory; the library
    directory of the tree this package was installed into (by cmake
    --install); the library directories of the Python environment's prefix
    (a library installed into the same prefix as a module installed with
    pip); build/ of the source tree this package sits in; and last the
    system's loader by name (LD_LIBRARY_PATH, the ld.so cache, the standard
    directories)."""
    chosen = os.environ.get(ENV_VARIABLE)
    if chosen:
        if os.path.isdir(chosen):
            return [(path, ENV_VARIABLE) for path in _files_in(chosen)]
        return [(chosen, ENV_VARIABLE)]
    places = [(path, "beside the module") for path in _files_in(_PACKAGE_DIR)]
    try:
        from . import _install  # type: ignore[attr-defined]  # written by cmake --install
        library_dir: str | None = _install.LIBRARY_DIR
    except ImportError:
        library_dir = None
    if library_dir is not None:
        installed = os.path.normpath(os.path.join(_PACKAGE_DIR, library_dir))
        places += [(path, "install tree") for path in _files_in(installed)]
    multiarch = sysconfig.get_config_var("MULTIARCH")
    prefix_lib = os.path.join(sys.prefix, "lib")
    for directory in ([os.path.join(prefix_lib, multiarch)] if multiarch else []) + [prefix_lib]:
        places += [(path, "environment prefix") for path in _files_in(directory)]
    build = os.path.normpath(os.path.join(_PACKAGE_DIR, os.pardir, os.pardir, "build"))
    places += [(path, "source tree build") for path in _files_in(build)]
    places.append((FILE_NAMES[0], "system loader"))
    return places


def load() -> ctypes.CDLL:
    """Loads the first library that can be found, or raises
    LibraryNotFoundError naming every place tried and why it failed."""
    tried = []
    for path, origin in candidates():
        by_name = os.sep not in path
        if not by_name and not os.path.exists(path):
            tried.append(f"  {path} ({origin}): no such file")
            continue
        try:
            return _declare(ctypes.CDLL(path))
        except (OSError, AttributeError) as error:
            tried.append(f"  {path} ({origin}): {error}")
    hint = (f"Build it (scripts/replay-samples.sh or scripts/test.sh builds build/libkorvex.so) "
            f"or set {ENV_VARIABLE} to the library file or its directory.")
    raise LibraryNotFoundError("cannot load the korvex shared library; tried:\n"
                               + "\n".join(tried) + "\n" + hint)


def indexed_names(name_at: Callable[[int], Any]) -> list[str]:
    """The names a library function gives for the indexes 0, 1, 2 ... until
    it gives none (a null pointer)."""
    names: list[str] = []
    while True:
        name: bytes | None = name_at(len(names))
        if name is None:
            return names
        names.append(name.decode("ascii"))
