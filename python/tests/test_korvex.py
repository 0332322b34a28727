"""The Python module against the tool (which links the library statically):
the same frames and flags must give the same texts, for every protocol the
library reports; the trace iterator on the bundled samples; the errors."""

import glob
import os
import random
import re
import shutil
import struct
import subprocess
import sys

import pytest

import korvex

TOOL = os.environ["KORVEX_TOOL"]
SAMPLES = os.environ["KORVEX_SAMPLES"]
PYTHON_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
REPO_DIR = os.path.dirname(PYTHON_DIR)

# Sample files named after something else than their protocol.
SAMPLE_PROTOCOL = {"q922": "lapf"}
SAMPLE_FILES = sorted(glob.glob(os.path.join(SAMPLES, "*.txt")))

# Frames of every layer the library decodes, whole and cut short.
FIXED_FRAMES = [
    "028101071a2b",                                  # LAPD RR
    "00810002080105050a1a2b",                        # LAPD I frame, Q.931 SETUP
    "027f1a2b",                                      # LAPD SABME
    "184002047f1a2b",                                # LAPF
    "0801050504038090a31801897e",                    # Q.931 SETUP alone
    "100b0b5512345678000000c1",                      # X.25 call request
    "ffffffffffff0002b3c4d5e608004500001c000140004011b8c10a0000010a000002"
    "04d20035000800000000",                           # Ethernet, IPv4, UDP
    "45000028000100004006f8bcc0a80001c0a80002303900500000000100000000500220"
    "00e6d40000",                                     # IPv4, TCP
    "4500001c00010000400100000a0000010a0000020800f7ff00000000",  # IPv4, ICMP
    "ff",
    "00",
]


def reference_frames(text):
    """Frames of a well-formed hex trace text, read the plain way."""
    frames, state = [], 0
    lines = text.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    for number, line in enumerate(lines, 1):
        line = line.rstrip("\r")
        if state == 0:
            stamp, state = line[24:33], 1
        elif state == 1:
            declared = int(re.match(r" *([0-9]*)", line[8:]).group(1) or 0)
            direction, state = line[19:20] or " ", 2
        elif state == 2:
            data, state = b"", 3
        elif line == "":
            state = 0
            data = data[:min(declared, 96)]
            if data:
                frames.append(korvex.Frame(stamp, direction, data, number))
        else:
            data += bytes.fromhex(line[6:].split("  ")[0])
    return frames


def sample_protocol(path):
    name = os.path.splitext(os.path.basename(path))[0]
    return SAMPLE_PROTOCOL.get(name, name)


def corpus():
    frames = [bytes.fromhex(h) for h in FIXED_FRAMES]
    rng = random.Random(13)
    frames += [bytes(rng.randrange(256) for _ in range(rng.randint(1, 120))) for _ in range(24)]
    frames.append(bytes(range(256)) * 8)  # its hex trace outgrows the first buffer
    for path in SAMPLE_FILES:
        with open(path, encoding="latin-1", newline="") as f:
            frames += [frame.data for frame in reference_frames(f.read())]
    return frames


def tool_texts(protocol, frames, options):
    """The tool's texts of the frames, one frame a line of its input."""
    lines = "".join(frame.hex() + "\n" for frame in frames).encode()
    done = subprocess.run([TOOL, "decode", protocol, "--null", *options], input=lines,
                          capture_output=True, check=True)
    return done.stdout.decode("latin-1").split("\0")[:-1]


# decode() keywords and the tool options that ask for the same flags.
OPTION_ROWS = [
    ({}, []),
    ({"detail": True}, ["--detail"]),
    ({"hex": True}, ["--hex"]),
    ({"detail": True, "layer3": True}, ["--detail", "--layer3"]),
    ({"detail": True, "hex": True, "layer3": True}, ["--detail", "--hex", "--layer3"]),
    ({"flags": 0}, ["--flags", "0"]),
    ({"flags": korvex.DECODE_LAPF | korvex.DECODE_DETAIL}, ["--flags", "0x82"]),
    ({"flags": korvex.DECODE_EXTENDED | korvex.DECODE_DETAIL}, ["--flags", "0x12"]),
    ({"flags": korvex.DECODE_SUMMARY, "hex": True}, ["--flags", "1", "--hex"]),
    ({"timestamp": "23:59.999", "detail": True}, ["--timestamp", "23:59.999", "--detail"]),
    ({"timestamp": ""}, ["--timestamp", ""]),
]

PROTOCOLS = korvex.protocols()
CORPUS = corpus()


def test_the_library_reports_its_protocols():
    assert {"lapd", "lapf"} <= set(PROTOCOLS)
    assert len(set(PROTOCOLS)) == len(PROTOCOLS)
    assert all(re.fullmatch(r"[a-z0-9]+", name) for name in PROTOCOLS)


@pytest.mark.parametrize("keywords,options", OPTION_ROWS, ids=[" ".join(o) or "summary" for _, o in OPTION_ROWS])
@pytest.mark.parametrize("protocol", PROTOCOLS)
def test_decode_gives_the_entry_points_text(protocol, keywords, options):
    expected = tool_texts(protocol, CORPUS, options)
    assert len(expected) == len(CORPUS)
    for frame, text in zip(CORPUS, expected):
        assert korvex.decode(protocol, frame, **keywords) == text, frame.hex()


@pytest.mark.parametrize("protocol", PROTOCOLS)
def test_texts_start_with_the_timestamp_and_grow_beyond_the_first_buffer(protocol):
    for frame in CORPUS:
        text = korvex.decode(protocol, frame, timestamp="01:02.003", detail=True)
        assert text.startswith("01:02.003") and text.endswith("\n"), frame.hex()
    long_text = korvex.decode(protocol, bytes(range(256)) * 8, hex=True)
    assert len(long_text) > 4096 and long_text.endswith("\n")


@pytest.mark.parametrize("frame", [b"\x02\x81\x01\x07\x1a\x2b", bytearray(b"\x02\x81\x01\x07\x1a\x2b"),
                                   memoryview(b"..\x02\x81\x01\x07\x1a\x2b")[2:]])
def test_any_bytes_like_frame(frame):
    assert korvex.decode("lapd", frame) == (
        "00:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n")


@pytest.mark.parametrize("path", SAMPLE_FILES, ids=os.path.basename)
def test_trace_iterator_reads_the_samples(path):
    with open(path, "rb") as f:
        raw = f.read()
    expected = reference_frames(raw.decode("latin-1"))
    assert expected
    assert list(korvex.read_trace(path)) == expected
    assert list(korvex.parse_trace(raw)) == expected
    assert list(korvex.parse_trace(raw.decode("latin-1"))) == expected


@pytest.mark.parametrize("options", [[], ["--detail", "--hex"]])
@pytest.mark.parametrize("path", [p for p in SAMPLE_FILES if sample_protocol(p) in PROTOCOLS],
                         ids=os.path.basename)
def test_replay_through_python_matches_the_tool(path, options):
    protocol = sample_protocol(path)
    flags = korvex.DECODE_DETAIL | korvex.DECODE_HEX if options else korvex.DECODE_SUMMARY
    texts = [korvex.decode(protocol, frame.data, flags=flags, timestamp=frame.timestamp)
             for frame in korvex.read_trace(path)]
    done = subprocess.run([TOOL, "replay", protocol, path, "--color=never", *options],
                          capture_output=True, check=True)
    assert "".join(texts) == done.stdout.decode("latin-1")


def test_trace_reader_closes():
    frames = korvex.read_trace(SAMPLE_FILES[0])
    with frames:
        assert next(frames).data
    assert list(frames) == []


@pytest.mark.parametrize("call,error,message", [
    (lambda: korvex.decode("q920", b"\x01"), korvex.UnknownProtocolError, "unknown protocol 'q920'"),
    (lambda: korvex.decode("LAPDX", b"\x01"), korvex.UnknownProtocolError, "the library decodes: lapd, lapf"),
    (lambda: korvex.decode("", b"\x01"), ValueError, "unknown protocol ''"),
    (lambda: korvex.decode("lapd\0", b"\x01"), korvex.UnknownProtocolError, "unknown protocol"),
    (lambda: korvex.decode("läpd", b"\x01"), korvex.UnknownProtocolError, "unknown protocol"),
    (lambda: korvex.decode(b"lapd", b"\x01"), TypeError, "protocol must be a str, not bytes"),
    (lambda: korvex.decode("lapd", "028101071a2b"), TypeError, "frame must be bytes, not str"),
    (lambda: korvex.decode("lapd", [2, 129, 1]), TypeError, "frame must be bytes, not list"),
    (lambda: korvex.decode("lapd", 7), TypeError, "frame must be bytes, not int"),
    (lambda: korvex.decode("lapd", None), TypeError, "frame must be bytes, not NoneType"),
    (lambda: korvex.decode("lapd", b""), ValueError, "frame is empty"),
    (lambda: korvex.decode("lapd", b"\x01", flags=-1), ValueError, "do not fit in 32 bits"),
    (lambda: korvex.decode("lapd", b"\x01", flags=1 << 32), ValueError, "do not fit in 32 bits"),
    (lambda: korvex.decode("lapd", b"\x01", flags="2"), TypeError, "flags must be an int"),
    (lambda: korvex.decode("lapd", b"\x01", timestamp="1\0"), ValueError, "NUL"),
    (lambda: korvex.decode("lapd", b"\x01", timestamp="\u20ac"), ValueError, "beyond Latin-1"),
    (lambda: korvex.decode("lapd", b"\x01", timestamp=1.5), TypeError, "timestamp must be a str"),
    (lambda: korvex.read_trace("/nonexistent-korvex/trace.txt"), FileNotFoundError,
     "cannot open the trace file: No such file or directory: '/nonexistent-korvex/trace.txt'"),
    (lambda: korvex.read_trace(SAMPLES), IsADirectoryError, "Is a directory"),
    (lambda: korvex.read_trace("a\0b"), ValueError, "NUL"),
    (lambda: korvex.parse_trace(12), TypeError, "text must be str or bytes"),
], ids=lambda value: value.__name__ if isinstance(value, type) else None)
def test_errors(call, error, message):
    with pytest.raises(error) as raised:
        call()
    assert message in str(raised.value)


# Names in any case and the other names of the protocols, beside the
# library's own name for each.
NAME_ROWS = [("LAPD", "lapd"), ("q921", "lapd"), ("q922", "lapf"), ("Q931", "q931"), ("X25", "x25"),
             ("ethernet", "eth"), ("IPv4", "ip"), ("Ip", "ip")]


@pytest.mark.parametrize("typed,name", NAME_ROWS)
def test_protocol_names_in_any_case_and_their_other_names(typed, name):
    frames = [bytes.fromhex(h) for h in FIXED_FRAMES]
    assert [korvex.decode(typed, f, detail=True) for f in frames] == \
        [korvex.decode(name, f, detail=True) for f in frames]
    assert typed not in korvex.protocols()


# The first octets of captures: pcap in both byte orders, with nanosecond
# timestamps, and a pcapng section header block.
def pcap_file(magic, byte_order):
    header = struct.pack(byte_order + "IHHiIII", magic, 2, 4, 0, 0, 65535, 203)
    return header + struct.pack(byte_order + "IIII", 0, 0, 3, 3) + b"\x02\x01\x7f"


CAPTURES = [
    ("pcap", pcap_file(0xA1B2C3D4, "<")),
    ("pcap", pcap_file(0xA1B2C3D4, ">")),
    ("pcap", pcap_file(0xA1B23C4D, "<")),
    ("pcapng", bytes.fromhex("0a0d0d0a 1c000000 4d3c2b1a 01000000 ffffffffffffffff 1c000000")),
]


@pytest.mark.parametrize("kind,octets", CAPTURES, ids=[f"{k}-{i}" for i, (k, _) in enumerate(CAPTURES)])
def test_a_capture_is_not_a_trace(tmp_path, kind, octets):
    path = tmp_path / f"call.{kind}"
    path.write_bytes(octets)
    with pytest.raises(ValueError) as raised:
        korvex.read_trace(path)
    assert str(raised.value) == (f"{path} is a {kind} capture, not a hex trace file; "
                                 f"decode it with: korvex pcap {path}")
    # The tool refuses the file in the same words.
    done = subprocess.run([TOOL, "replay", "lapd", str(path)], capture_output=True, text=True)
    assert done.returncode == 1
    assert done.stderr == f"korvex: {raised.value}\n"
    for text in (octets, bytearray(octets), octets.decode("latin-1")):
        with pytest.raises(ValueError, match=f"^the text is a {kind} capture, not hex trace text; "
                                             "write it to a file and decode it with: korvex pcap FILE$"):
            korvex.parse_trace(text)


def test_text_that_only_looks_like_a_capture_start_is_read_as_a_trace(tmp_path):
    # Three of the four octets of a magic number, and a trace: no capture.
    assert list(korvex.parse_trace(b"\xd4\xc3\xb2")) == []
    path = tmp_path / "trace.txt"
    path.write_text("Frame                   12:01.250\nLength: 6          U\nhdr\n0000: 02 81 01 07 1A 2B\n\n")
    assert [frame.data for frame in korvex.read_trace(path)] == [bytes.fromhex("028101071a2b")]


def test_a_file_that_cannot_be_read(tmp_path):
    if os.geteuid() == 0:
        pytest.skip("root reads every file")
    path = tmp_path / "closed.txt"
    path.write_text("")
    path.chmod(0)
    with pytest.raises(PermissionError, match="closed.txt"):
        korvex.read_trace(path)


def run_python(code, env_changes, cwd=None):
    env = {k: v for k, v in os.environ.items() if k not in ("KORVEX_LIBRARY", "LD_LIBRARY_PATH")}
    env.update(env_changes)
    return subprocess.run([sys.executable, "-c", code], env=env, cwd=cwd, capture_output=True, text=True)


def copy_package(tmp_path):
    target = tmp_path / "site" / "korvex"
    shutil.copytree(os.path.join(PYTHON_DIR, "korvex"), target,
                    ignore=shutil.ignore_patterns("__pycache__"))
    return target


LOAD = "import korvex; print(korvex.library_path()); print(korvex.protocols())"


def system_loader_finds_the_library():
    """Whether a libkorvex1 is installed where the system's loader looks
    (asked in a fresh interpreter: this one holds a library of that name)."""
    return run_python("import ctypes; ctypes.CDLL('libkorvex.so.1')", {}).returncode == 0


def test_library_not_found_lists_every_place_tried(tmp_path):
    package = copy_package(tmp_path)
    done = run_python(LOAD, {"PYTHONPATH": str(package.parent)})
    if system_loader_finds_the_library():
        # An installed libkorvex1: in the interpreter's prefix or through the loader.
        assert done.returncode == 0, done.stderr
        path, names = done.stdout.splitlines()
        assert os.path.basename(path) == "libkorvex.so.1" and names == repr(PROTOCOLS)
        return
    assert done.returncode != 0
    assert "LibraryNotFoundError: cannot load the korvex shared library; tried:" in done.stderr
    for place in [package / "libkorvex.so.1", package / "libkorvex.so",
                  tmp_path / "build" / "libkorvex.so.1", "libkorvex.so.1 (system loader)"]:
        assert str(place) in done.stderr


@pytest.mark.parametrize("setting,tried", [
    ("/nonexistent-korvex/libkorvex.so", ["/nonexistent-korvex/libkorvex.so (KORVEX_LIBRARY): no such file"]),
    ("{tmp}", ["{tmp}/libkorvex.so.1 (KORVEX_LIBRARY)", "{tmp}/libkorvex.so (KORVEX_LIBRARY)"]),
    ("{tmp}/not-a-library", ["{tmp}/not-a-library (KORVEX_LIBRARY): "]),
])
def test_library_variable_is_the_only_place_tried(tmp_path, setting, tried):
    (tmp_path / "not-a-library").write_text("text")
    done = run_python(LOAD, {"PYTHONPATH": PYTHON_DIR, "KORVEX_LIBRARY": setting.format(tmp=tmp_path)})
    assert done.returncode != 0
    for line in tried:
        assert line.format(tmp=tmp_path) in done.stderr
    assert "source tree build" not in done.stderr


def test_library_beside_the_module_is_found(tmp_path):
    package = copy_package(tmp_path)
    shutil.copy(os.path.realpath(korvex.library_path()), package / "libkorvex.so.1")
    done = run_python(LOAD, {"PYTHONPATH": str(package.parent)})
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [str(package / "libkorvex.so.1"), repr(PROTOCOLS)]


def test_version_is_the_tools():
    done = subprocess.run([TOOL, "--version"], capture_output=True, text=True, check=True)
    assert done.stdout == f"korvex {korvex.__version__}\n"
    assert re.fullmatch(r"[0-9]+\.[0-9]+\.[0-9]+", korvex.__version__)


@pytest.mark.skipif(os.environ.get("KORVEX_TEST_INSTALLED") != "1", reason="the source tree's module is tested")
def test_the_installed_module_is_tested():
    package = os.path.dirname(os.path.abspath(korvex.__file__))
    assert not package.startswith(PYTHON_DIR + os.sep)
    assert os.path.isfile(os.path.join(package, "py.typed"))


def test_library_in_the_environment_prefix_is_found(tmp_path):
    # A virtual environment with the module in its site-packages, as pip
    # puts it, and the library in the environment's lib/, as cmake --install
    # --prefix puts it.
    subprocess.run([sys.executable, "-m", "venv", "--without-pip", str(tmp_path / "env")], check=True)
    python = tmp_path / "env" / "bin" / "python"
    site = subprocess.run([python, "-c", "import sysconfig; print(sysconfig.get_path('purelib'))"],
                          capture_output=True, text=True, check=True).stdout.strip()
    shutil.copytree(os.path.join(PYTHON_DIR, "korvex"), os.path.join(site, "korvex"),
                    ignore=shutil.ignore_patterns("__pycache__"))
    library = tmp_path / "env" / "lib" / "libkorvex.so.1"
    shutil.copy(os.path.realpath(korvex.library_path()), library)
    env = {k: v for k, v in os.environ.items() if k not in ("KORVEX_LIBRARY", "LD_LIBRARY_PATH", "PYTHONPATH")}
    done = subprocess.run([python, "-c", LOAD], env=env, cwd=tmp_path, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    assert done.stdout.splitlines() == [str(library), repr(PROTOCOLS)]


def test_readme_python_example():
    with open(os.path.join(REPO_DIR, "README.md"), encoding="utf-8") as f:
        example = re.search(r"```python\n(.*?)```", f.read(), re.S).group(1)
    assert len(example.strip().splitlines()) == 3
    done = run_python(example, {"PYTHONPATH": PYTHON_DIR, "KORVEX_LIBRARY": korvex.library_path()},
                      cwd=REPO_DIR)
    assert done.returncode == 0, done.stderr
    assert done.stdout.startswith("00:00.000  SAPI 000 TEI 064")
