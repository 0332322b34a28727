"""The hex trace format Korvex reads, and the checksums sample frames carry.

Every script that writes or checks trace files uses this module: the sample
makers (make_samples.py with samples_*.py), the benchmark trace maker
(make_bench_traces.py) and the text comparison between builds
(same_text.py). It imports nothing of the project's own.

Trace file layout, one group of lines per frame (columns counted from 1):

    Frame 12                12:01.250         free text to col 24, MM:SS.mmm in 25-33
    Length: 46         U                      count from col 9, padded to 19, dir in 20
    Offset  Data ... Text                     header (free text)
    0000: 08 01 01 05 ...  ....               offset, hex bytes (<= 16), 2 blanks, text
    (empty line)
"""

import binascii
import struct
import sys
from collections import namedtuple

MAX_FRAME = 96          # largest frame a trace may hold
BYTES_PER_LINE = 16
HEADER_LINE = "Offset  Data                                              Text"
TIMESTAMP_WRAP_MS = 100 * 60000     # MM:SS.mmm holds less than 100 minutes

# A frame of a sample session: the delay since the previous frame, the
# sending side ('U' user, 'N' network) and the frame's octets.
Frame = namedtuple("Frame", "delay_ms direction data")

SESSION_START_MS = 12 * 60000 + 1250        # a session's first frame at 12:01.250


# ---------------------------------------------------------------------------
# Checksums
# ---------------------------------------------------------------------------

# Each octet with its bits in reverse order (for the reflected CRC below).
_REVERSED = bytes(int("{:08b}".format(b)[::-1], 2) for b in range(256))


def fcs16(data):
    """16-bit HDLC FCS (reflected CRC-16, polynomial 0x1021, preset to all
    ones and complemented), computed through the standard library's
    unreflected CRC on bit-reversed octets."""
    crc = binascii.crc_hqx(bytes(data).translate(_REVERSED), 0xFFFF)
    return int("{:016b}".format(crc)[::-1], 2) ^ 0xFFFF


def with_fcs(body):
    """The frame with its FCS appended, the low-order octet first."""
    fcs = fcs16(body)
    return bytes(body) + bytes([fcs & 0xFF, fcs >> 8])


def fcs_ok(data):
    """The last two octets are the FCS of the rest, low octet first."""
    return len(data) >= 2 and fcs16(data[:-2]) == data[-2] | data[-1] << 8


def internet_checksum(data):
    """One's complement of the one's complement sum of 16-bit words."""
    if len(data) % 2:
        data += b"\x00"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def self_test():
    """Known answers of the two checksums."""
    assert fcs16(b"123456789") == 0x906E
    # A valid IPv4 header sums to zero.
    assert internet_checksum(bytes.fromhex("4500003c1c4640004006b1e6ac100a63ac100a0c")) == 0


# ---------------------------------------------------------------------------
# Writer
# ---------------------------------------------------------------------------

# Printable rendering of the data lines: '.' for what is not printable ASCII.
_PRINTABLE = bytes(b if 0x20 <= b <= 0x7E else 0x2E for b in range(256))


def frame_text(number, ms, direction, data):
    """The lines of one frame, the empty line that ends it included."""
    assert direction in ("U", "N"), direction
    assert 0 < len(data) <= MAX_FRAME, "frame %d is %d bytes" % (number, len(data))
    assert 0 <= ms < TIMESTAMP_WRAP_MS, "timestamp does not fit MM:SS.mmm"
    minutes, rest = divmod(ms, 60000)
    lines = ["{:<24}{:02d}:{:02d}.{:03d}".format("Frame %d" % number, minutes, rest // 1000, rest % 1000),
             "Length: {:<11}{}".format(len(data), direction),
             HEADER_LINE]
    for offset in range(0, len(data), BYTES_PER_LINE):
        chunk = data[offset:offset + BYTES_PER_LINE]
        lines.append("{:04X}: {}  {}".format(offset, chunk.hex(" ").upper(),
                                             chunk.translate(_PRINTABLE).decode("ascii")))
    lines.append("\n")
    return "\n".join(lines)


def write_frames(path, frames):
    """Writes (ms, direction, data) triples as a trace file, numbered from 1."""
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w", encoding="ascii", newline="\n") as out:
        pieces = []
        for number, (ms, direction, data) in enumerate(frames, 1):
            pieces.append(frame_text(number, ms, direction, data))
            if len(pieces) == 4096:
                out.write("".join(pieces))
                pieces.clear()
        out.write("".join(pieces))


def timeline(frames):
    """Absolute time in ms of each Frame of a session."""
    ms = SESSION_START_MS
    for fr in frames:
        ms += fr.delay_ms
        yield ms


def write_session(path, frames):
    """Writes a list of Frames, the first at SESSION_START_MS."""
    write_frames(path, ((ms, fr.direction, fr.data) for fr, ms in zip(frames, timeline(frames))))


# ---------------------------------------------------------------------------
# Checker: re-reads a trace file with its own parser, independent of the
# writer above, and compares it with the frame list.
# ---------------------------------------------------------------------------

class TraceError(Exception):
    pass


def parse_trace(text):
    """Return a list of (timestamp_ms, direction, bytes); raise TraceError on
    any deviation from the column layout."""
    if "\r" in text:
        raise TraceError("CR found; lines must end with LF only")
    if not text.endswith("\n"):
        raise TraceError("file does not end with LF")
    lines = text[:-1].split("\n")
    frames = []
    i = 0

    def fail(msg):
        raise TraceError("line %d: %s: %r" % (i + 1, msg, lines[i] if i < len(lines) else ""))

    while i < len(lines):
        # timestamp line
        line = lines[i]
        if len(line) != 33:
            fail("timestamp line must be 33 characters")
        ts = line[24:33]
        if not (ts[0:2].isdigit() and ts[2] == ":" and ts[3:5].isdigit()
                and ts[5] == "." and ts[6:9].isdigit() and int(ts[3:5]) < 60):
            fail("bad timestamp")
        ms = int(ts[0:2]) * 60000 + int(ts[3:5]) * 1000 + int(ts[6:9])
        i += 1
        # length line
        if i >= len(lines):
            fail("missing length line")
        line = lines[i]
        if len(line) != 20:
            fail("length line must be exactly 20 characters")
        if line[19] not in "UN":
            fail("direction must be U or N")
        field = line[8:19]
        if field[0] == " " or not field.rstrip(" ").isdigit():
            fail("length must start in column 9, digits then blanks")
        length = int(field)
        direction = line[19]
        i += 1
        # header line
        if i >= len(lines) or not lines[i].strip():
            fail("missing header line")
        i += 1
        # data lines
        data = bytearray()
        while i < len(lines) and lines[i] != "":
            line = lines[i]
            if len(line) < 6 or line[4:6] != ": ":
                fail("offset must be 4 hex digits, colon, blank")
            off = line[0:4]
            if off != off.upper() or int(off, 16) != len(data):
                fail("offset does not match byte count")
            rest = line[6:]
            sep = rest.find("  ")
            if sep < 0:
                fail("no two-blank separator before the text column")
            hexpart, textpart = rest[:sep], rest[sep + 2:]
            tokens = hexpart.split(" ")
            if not 1 <= len(tokens) <= BYTES_PER_LINE:
                fail("1..16 bytes per line")
            chunk = bytearray()
            for t in tokens:
                if len(t) != 2 or any(c not in "0123456789ABCDEF" for c in t):
                    fail("byte %r is not two upper-case hex digits" % t)
                chunk.append(int(t, 16))
            if textpart != "".join(chr(b) if 32 <= b < 127 else "." for b in chunk):
                fail("text column does not match the bytes")
            if len(data) + len(chunk) > length:
                fail("more bytes than the length line says")
            if len(chunk) < BYTES_PER_LINE and len(data) + len(chunk) != length:
                fail("short data line before the end of the frame")
            data += chunk
            i += 1
        if len(data) != length:
            fail("frame has %d bytes, length line says %d" % (len(data), length))
        if not 0 < length <= MAX_FRAME:
            fail("frame length out of range")
        if i >= len(lines):
            fail("frame not terminated by an empty line")
        i += 1      # the empty line
        frames.append((ms, direction, bytes(data)))
    return frames


def check_session(path, frames, frame_ok=None):
    """Re-reads a trace written by write_session and compares it with its
    Frames: octets, direction and time of each, times increasing, and each
    frame well formed by frame_ok when given. Returns the frame count."""
    parsed = parse_trace(path.read_text(encoding="ascii"))
    if len(parsed) != len(frames):
        raise TraceError("%s: %d frames on disk, %d defined" % (path.name, len(parsed), len(frames)))
    last = -1
    for n, ((ms, direction, data), fr, want_ms) in enumerate(zip(parsed, frames, timeline(frames)), 1):
        where = "%s frame %d" % (path.name, n)
        if data != fr.data:
            raise TraceError(where + ": bytes differ")
        if direction != fr.direction:
            raise TraceError(where + ": direction differs")
        if ms != want_ms:
            raise TraceError(where + ": timestamp differs")
        if ms <= last:
            raise TraceError(where + ": timestamp does not increase")
        if frame_ok is not None and not frame_ok(data):
            raise TraceError(where + ": not a well-formed frame")
        last = ms
    return len(parsed)


def write_and_check(directory, sessions, check_only=False):
    """Writes each session (unless check_only) as directory/NAME, then
    verifies it. sessions maps a file name to (Frames, frame_ok or None).
    Prints a line a file; True when all are as defined."""
    self_test()
    ok = True
    for name, (frames, frame_ok) in sessions.items():
        path = directory / name
        if not check_only:
            write_session(path, frames)
        try:
            count = check_session(path, frames, frame_ok)
            print("%s/%s: %d frames OK" % (directory.name, name, count))
        except (TraceError, OSError) as e:
            print("%s/%s: FAILED: %s" % (directory.name, name, e), file=sys.stderr)
            ok = False
    return ok
