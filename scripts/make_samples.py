#!/usr/bin/env python3
"""Write the sample hex traces used by Korvex tests and examples.

    python3 scripts/make_samples.py           write samples/*.txt, then verify them
    python3 scripts/make_samples.py --check   only verify the files already on disk

Frames are listed below as readable Python data: each entry gives the delay
since the previous frame, the sending side ('U' user, 'N' network) and the
frame bytes built with the small helpers in this file. Every frame is a whole
link-layer frame (address, control, information, 2-octet FCS); the FCS is
computed, not typed in. Output is fully deterministic.

Trace file layout, one group of lines per frame (columns counted from 1):

    Frame 12                12:01.250         free text to col 24, MM:SS.mmm in 25-33
    Length: 46         U                      count from col 9, padded to 19, dir in 20
    Offset  Data ... Text                     header (free text)
    0000: 08 01 01 05 ...  ....               offset, hex bytes (<= 16), 2 blanks, text
    (empty line)
"""

import argparse
import sys
from collections import namedtuple
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
SAMPLES = ROOT / "samples"

MAX_FRAME = 96      # largest frame the traces may hold
BYTES_PER_LINE = 16
HEADER_LINE = "Offset  Data                                              Text"


# ---------------------------------------------------------------------------
# HDLC frame check sequence
# ---------------------------------------------------------------------------

def fcs16(data):
    """16-bit HDLC FCS: reflected poly 0x8408, init 0xFFFF, complemented."""
    crc = 0xFFFF
    for b in data:
        crc ^= b
        for _ in range(8):
            crc = (crc >> 1) ^ 0x8408 if crc & 1 else crc >> 1
    return crc ^ 0xFFFF


def hdlc(body):
    """Append the FCS to address+control+info; the low-order byte goes first."""
    fcs = fcs16(body)
    return bytes(body) + bytes([fcs & 0xFF, fcs >> 8])


# ---------------------------------------------------------------------------
# Control field (shared by LAPD and LAPF, modulo 128)
# ---------------------------------------------------------------------------

S_CODES = {"RR": 0x01, "RNR": 0x05, "REJ": 0x09}
# U frame codes with the P/F bit clear; P/F is bit 0x10.
U_CODES = {"SABME": 0x6F, "DM": 0x0F, "UI": 0x03, "DISC": 0x43,
           "UA": 0x63, "FRMR": 0x87, "XID": 0xAF}

# C/R bit values: the user side sends commands with C/R=0 and responses with
# C/R=1; the network side the other way round.
U_CMD, U_RSP = 0, 1
N_CMD, N_RSP = 1, 0


def i_ctrl(ns, nr, p):
    return bytes([(ns & 0x7F) << 1, (nr & 0x7F) << 1 | p])


def s_ctrl(kind, nr, pf):
    return bytes([S_CODES[kind], (nr & 0x7F) << 1 | pf])


def u_ctrl(kind, pf):
    return bytes([U_CODES[kind] | (0x10 if pf else 0)])


# ---------------------------------------------------------------------------
# LAPD (Q.921) frames
# ---------------------------------------------------------------------------

def lapd_addr(sapi, tei, cr):
    return bytes([sapi << 2 | cr << 1, tei << 1 | 1])


def lapd_i(sapi, tei, cr, ns, nr, p, info):
    return hdlc(lapd_addr(sapi, tei, cr) + i_ctrl(ns, nr, p) + info)


def lapd_s(kind, sapi, tei, cr, nr, pf):
    return hdlc(lapd_addr(sapi, tei, cr) + s_ctrl(kind, nr, pf))


def lapd_u(kind, sapi, tei, cr, pf, info=b""):
    return hdlc(lapd_addr(sapi, tei, cr) + u_ctrl(kind, pf) + info)


def lapd_raw(sapi, tei, cr, control):
    """A frame with an arbitrary (possibly undefined) control field."""
    return hdlc(lapd_addr(sapi, tei, cr) + bytes(control))


def frmr_info(rejected_ctrl, vs, vr, rejected_was_response, wxyz):
    """FRMR information field: rejected control field (2 octets, a 1-octet
    control is followed by 0x00), V(S), V(R) with the C/R bit of the rejected
    frame, then the W/X/Y/Z cause bits (W=0x01 X=0x02 Y=0x04 Z=0x08)."""
    ctrl = bytes(rejected_ctrl) + b"\x00" * (2 - len(rejected_ctrl))
    return ctrl + bytes([vs << 1, vr << 1 | rejected_was_response, wxyz])


# TEI management (SAPI 63, broadcast TEI 127, UI frames)
TEI_ID_REQUEST, TEI_ID_ASSIGNED, TEI_ID_DENIED = 0x01, 0x02, 0x03
TEI_CHECK_REQUEST, TEI_CHECK_RESPONSE, TEI_REMOVE = 0x04, 0x05, 0x06


def tei_mgmt(ri, msgtype, ai):
    """Management entity id 0x0F, reference number Ri, type, Ai with EA=1."""
    return bytes([0x0F, ri >> 8, ri & 0xFF, msgtype, ai << 1 | 1])


# ---------------------------------------------------------------------------
# Q.931 messages
# ---------------------------------------------------------------------------

ALERTING, CALL_PROCEEDING, SETUP, CONNECT = 0x01, 0x02, 0x05, 0x07
CONNECT_ACK, DISCONNECT, RELEASE, RELEASE_COMPLETE = 0x0F, 0x45, 0x4D, 0x5A
INFORMATION = 0x7B

IE_BEARER, IE_CAUSE, IE_CHANNEL_ID, IE_PROGRESS = 0x04, 0x08, 0x18, 0x1E
IE_DISPLAY, IE_DATE_TIME, IE_SIGNAL = 0x28, 0x29, 0x34
IE_CALLING, IE_CALLED = 0x6C, 0x70
SENDING_COMPLETE = 0xA1     # single-octet element


def ie(ident, data=None):
    """Variable-length element (id, length, contents); without data, a
    single-octet element."""
    if data is None:
        return bytes([ident])
    data = bytes(data)
    return bytes([ident, len(data)]) + data


def number(ident, octets, digits):
    """Calling/called party number: type/plan octets then IA5 digits."""
    return ie(ident, bytes(octets) + digits.encode("ascii"))


def q931(cref, flag, msgtype, ies=()):
    """Protocol discriminator 0x08, 1-octet call reference; flag=1 on messages
    sent by the side that did not originate the call."""
    return bytes([0x08, 0x01, (flag << 7) | cref, msgtype]) + b"".join(ies)


# ---------------------------------------------------------------------------
# LAPF (Q.922) frames
# ---------------------------------------------------------------------------

def q922_addr(dlci, cr, fecn=0, becn=0, de=0, size=2):
    """2-, 3- or 4-octet address (10-, 16- or 23-bit DLCI), D/C always 0."""
    flags = fecn << 3 | becn << 2 | de << 1
    if size == 2:
        assert dlci < 1 << 10
        return bytes([(dlci >> 4) << 2 | cr << 1,
                      (dlci & 0x0F) << 4 | flags | 1])
    if size == 3:
        assert dlci < 1 << 16
        return bytes([(dlci >> 10) << 2 | cr << 1,
                      ((dlci >> 6) & 0x0F) << 4 | flags,
                      (dlci & 0x3F) << 2 | 1])
    if size == 4:
        assert dlci < 1 << 23
        return bytes([(dlci >> 17) << 2 | cr << 1,
                      ((dlci >> 13) & 0x0F) << 4 | flags,
                      ((dlci >> 6) & 0x7F) << 1,
                      (dlci & 0x3F) << 2 | 1])
    raise ValueError("address size must be 2, 3 or 4")


def lapf_i(addr, ns, nr, p, info):
    return hdlc(addr + i_ctrl(ns, nr, p) + info)


def lapf_s(kind, addr, nr, pf):
    return hdlc(addr + s_ctrl(kind, nr, pf))


def lapf_u(kind, addr, pf, info=b""):
    return hdlc(addr + u_ctrl(kind, pf) + info)


# ---------------------------------------------------------------------------
# X.25 packets (modulo 8, GFI 0x1)
# ---------------------------------------------------------------------------

X25_CALL_REQUEST, X25_CALL_CONNECTED = 0x0B, 0x0F
X25_CLEAR_REQUEST, X25_CLEAR_CONFIRM = 0x13, 0x17
X25_RESTART_REQUEST, X25_RESTART_CONFIRM = 0xFB, 0xFF


def x25(lcn, ptype, body=b"", lgn=0):
    return bytes([0x10 | lgn, lcn, ptype]) + bytes(body)


def bcd(digits):
    """Pack decimal digits two per octet, high nibble first, 0-padded."""
    if len(digits) % 2:
        digits += "0"
    return bytes(int(digits[i]) << 4 | int(digits[i + 1])
                 for i in range(0, len(digits), 2))


def x25_call_request(lcn, called, calling, facilities=b"", user_data=b""):
    addresses = bytes([len(calling) << 4 | len(called)]) + bcd(called + calling)
    body = addresses + bytes([len(facilities)]) + facilities + user_data
    return x25(lcn, X25_CALL_REQUEST, body)


def x25_data(lcn, ps, pr, payload, more=0):
    return x25(lcn, pr << 5 | more << 4 | ps << 1, payload)


def x25_rr(lcn, pr):
    return x25(lcn, pr << 5 | 0x01)


# ---------------------------------------------------------------------------
# Frame lists
# ---------------------------------------------------------------------------

Frame = namedtuple("Frame", "delay_ms direction data")
F = Frame

SESSION_START_MS = 12 * 60000 + 1250        # first frame at 12:01.250

# ISDN basic-rate D channel. User terminal gets TEI 64, brings up SAPI 0,
# makes an outgoing speech call, takes an incoming data call, then releases
# the link.
TEI = 64
UNASSIGNED = 127
X25_FACILITIES = bytes([0x42, 0x07, 0x07,     # packet size 128/128
                        0x43, 0x02, 0x02])    # window size 2/2
SAPI_CC, SAPI_X25, SAPI_MGMT = 0, 16, 63

LAPD_FRAMES = [
    # --- TEI assignment ---------------------------------------------------
    # Identity request, Ri 0x5A3C, Ai 127 (any TEI)
    F(0, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0,
                     tei_mgmt(0x5A3C, TEI_ID_REQUEST, 127))),
    # Identity assigned, Ri 0x5A3C, Ai 64
    F(32, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0,
                      tei_mgmt(0x5A3C, TEI_ID_ASSIGNED, TEI))),
    # --- Multiple-frame establishment on SAPI 0 --------------------------
    # SABME P=1
    F(15, "U", lapd_u("SABME", SAPI_CC, TEI, U_CMD, 1)),
    # UA F=1
    F(21, "N", lapd_u("UA", SAPI_CC, TEI, N_RSP, 1)),

    # --- Call 1: outgoing speech call, call reference 1 ---------------------
    # I 0/0: SETUP (sending complete, speech, any B channel, numbers)
    F(1240, "U", lapd_i(SAPI_CC, TEI, U_CMD, 0, 0, 0, q931(0x01, 0, SETUP, [
        ie(SENDING_COMPLETE),
        ie(IE_BEARER, [0x80, 0x90, 0xA2]),
        ie(IE_CHANNEL_ID, [0x83]),
        number(IE_CALLING, [0x21, 0x80], "301234567"),
        number(IE_CALLED, [0x81], "04012345678"),
    ]))),
    # RR N(R)=1
    F(18, "N", lapd_s("RR", SAPI_CC, TEI, N_RSP, 1, 0)),
    # I 0/1: CALL PROCEEDING, B1 exclusive
    F(74, "N", lapd_i(SAPI_CC, TEI, N_CMD, 0, 1, 0, q931(0x01, 1, CALL_PROCEEDING, [
        ie(IE_CHANNEL_ID, [0x89]),
    ]))),
    # RR N(R)=1
    F(12, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 1, 0)),
    # I 1/1: ALERTING, in-band tones available, ring-back signal
    F(1532, "N", lapd_i(SAPI_CC, TEI, N_CMD, 1, 1, 0, q931(0x01, 1, ALERTING, [
        ie(IE_PROGRESS, [0x82, 0x88]),
        ie(IE_SIGNAL, [0x01]),
    ]))),
    # RR N(R)=2
    F(11, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 2, 0)),
    # I 2/1: CONNECT with date/time 2024-03-14 12:01
    F(6815, "N", lapd_i(SAPI_CC, TEI, N_CMD, 2, 1, 0, q931(0x01, 1, CONNECT, [
        ie(IE_CHANNEL_ID, [0x89]),
        ie(IE_DATE_TIME, [24, 3, 14, 12, 1]),
    ]))),
    # I 1/3: CONNECT ACKNOWLEDGE
    F(14, "U", lapd_i(SAPI_CC, TEI, U_CMD, 1, 3, 0, q931(0x01, 0, CONNECT_ACK))),
    # RR N(R)=2
    F(17, "N", lapd_s("RR", SAPI_CC, TEI, N_RSP, 2, 0)),
    # Link idle for 10 s: RR command P=1 (keep-alive poll)
    F(10000, "N", lapd_s("RR", SAPI_CC, TEI, N_CMD, 2, 1)),
    # RR response F=1
    F(9, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 3, 1)),
    # I 3/2: INFORMATION with a charging display
    F(4120, "N", lapd_i(SAPI_CC, TEI, N_CMD, 3, 2, 0, q931(0x01, 1, INFORMATION, [
        ie(IE_DISPLAY, b"CHARGE: 2 UNITS"),
    ]))),
    # RNR N(R)=4: terminal receiver busy
    F(13, "U", lapd_s("RNR", SAPI_CC, TEI, U_RSP, 4, 0)),
    # RR N(R)=4: busy condition cleared
    F(412, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 4, 0)),
    # I 2/4: DISCONNECT, cause 16 normal call clearing (user)
    F(7930, "U", lapd_i(SAPI_CC, TEI, U_CMD, 2, 4, 0, q931(0x01, 0, DISCONNECT, [
        ie(IE_CAUSE, [0x80, 0x90]),
    ]))),
    # I 4/3: RELEASE
    F(46, "N", lapd_i(SAPI_CC, TEI, N_CMD, 4, 3, 0, q931(0x01, 1, RELEASE))),
    # I 3/5: RELEASE COMPLETE
    F(15, "U", lapd_i(SAPI_CC, TEI, U_CMD, 3, 5, 0, q931(0x01, 0, RELEASE_COMPLETE))),
    # RR N(R)=4
    F(19, "N", lapd_s("RR", SAPI_CC, TEI, N_RSP, 4, 0)),

    # --- TEI audit --------------------------------------------------------
    # Identity check request, Ri 0 (unused), Ai 64
    F(5310, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0,
                        tei_mgmt(0x0000, TEI_CHECK_REQUEST, TEI))),
    # Identity check response, Ri 0x21F7, Ai 64
    F(27, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0,
                      tei_mgmt(0x21F7, TEI_CHECK_RESPONSE, TEI))),

    # --- Packet mode on SAPI 16: an X.25 virtual call over the D channel --
    # SABME P=1 on SAPI 16
    F(1120, "U", lapd_u("SABME", SAPI_X25, TEI, U_CMD, 1)),
    # UA F=1
    F(19, "N", lapd_u("UA", SAPI_X25, TEI, N_RSP, 1)),
    # I 0/0: CALL REQUEST on LCN 1 to 2624 from 1195
    F(214, "U", lapd_i(SAPI_X25, TEI, U_CMD, 0, 0, 0,
                       x25_call_request(1, "2624", "1195", X25_FACILITIES))),
    # I 0/1: CALL CONNECTED
    F(388, "N", lapd_i(SAPI_X25, TEI, N_CMD, 0, 1, 0, x25(1, X25_CALL_CONNECTED))),
    # RR N(R)=1
    F(15, "U", lapd_s("RR", SAPI_X25, TEI, U_RSP, 1, 0)),

    # --- Call 2: incoming 64 kbit/s data call, call reference 0x12 --------
    # UI on broadcast TEI: SETUP (unrestricted digital, B2 exclusive)
    F(3870, "N", lapd_u("UI", SAPI_CC, UNASSIGNED, N_CMD, 0, q931(0x12, 0, SETUP, [
        ie(SENDING_COMPLETE),
        ie(IE_BEARER, [0x88, 0x90]),
        ie(IE_CHANNEL_ID, [0x8A]),
        number(IE_CALLING, [0x21, 0x83], "4087654321"),
        number(IE_CALLED, [0xC1], "4567"),
    ]))),
    # I 4/5: ALERTING, B2
    F(38, "U", lapd_i(SAPI_CC, TEI, U_CMD, 4, 5, 0, q931(0x12, 1, ALERTING, [
        ie(IE_CHANNEL_ID, [0x8A]),
    ]))),
    # I 5/5: CONNECT
    F(610, "U", lapd_i(SAPI_CC, TEI, U_CMD, 5, 5, 0, q931(0x12, 1, CONNECT))),
    # I 5/6: CONNECT ACKNOWLEDGE
    F(41, "N", lapd_i(SAPI_CC, TEI, N_CMD, 5, 6, 0, q931(0x12, 0, CONNECT_ACK))),
    # RR N(R)=6
    F(12, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 6, 0)),
    # I 7/6: INFORMATION. I 6/6 was hit by a line error and dropped
    # (bad FCS, so not in the trace): N(S) is out of sequence.
    F(9218, "N", lapd_i(SAPI_CC, TEI, N_CMD, 7, 6, 0, q931(0x12, 0, INFORMATION, [
        ie(IE_DISPLAY, b"CHARGE: 4 UNITS"),
    ]))),
    # REJ N(R)=6: asks for retransmission from N(S)=6
    F(10, "U", lapd_s("REJ", SAPI_CC, TEI, U_RSP, 6, 0)),
    # I 6/6: INFORMATION (retransmitted)
    F(16, "N", lapd_i(SAPI_CC, TEI, N_CMD, 6, 6, 0, q931(0x12, 0, INFORMATION, [
        ie(IE_DISPLAY, b"CHARGE: 3 UNITS"),
    ]))),
    # I 7/6: INFORMATION (retransmitted)
    F(9, "N", lapd_i(SAPI_CC, TEI, N_CMD, 7, 6, 0, q931(0x12, 0, INFORMATION, [
        ie(IE_DISPLAY, b"CHARGE: 4 UNITS"),
    ]))),
    # RR N(R)=8
    F(12, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 8, 0)),
    # Faulty terminal firmware sends a supervisory frame with the undefined
    # function bits 11 (control 0x0D), N(R)=8
    F(3305, "U", lapd_raw(SAPI_CC, TEI, U_CMD, [0x0D, 8 << 1])),
    # FRMR F=0: W (undefined control field); V(S)=8, V(R)=6, rejected frame
    # was a command
    F(14, "N", lapd_u("FRMR", SAPI_CC, TEI, N_RSP, 0,
                      frmr_info([0x0D, 8 << 1], 8, 6, 0, 0x01))),
    # SABME P=1: terminal re-establishes the link, counters restart at 0
    F(21, "U", lapd_u("SABME", SAPI_CC, TEI, U_CMD, 1)),
    # UA F=1
    F(18, "N", lapd_u("UA", SAPI_CC, TEI, N_RSP, 1)),
    # I 0/0: DISCONNECT from the network, cause 16 normal call clearing
    F(12470, "N", lapd_i(SAPI_CC, TEI, N_CMD, 0, 0, 0, q931(0x12, 0, DISCONNECT, [
        ie(IE_CAUSE, [0x82, 0x90]),
    ]))),
    # I 0/1: RELEASE
    F(27, "U", lapd_i(SAPI_CC, TEI, U_CMD, 0, 1, 0, q931(0x12, 1, RELEASE))),
    # I 1/1: RELEASE COMPLETE
    F(35, "N", lapd_i(SAPI_CC, TEI, N_CMD, 1, 1, 0, q931(0x12, 0, RELEASE_COMPLETE))),
    # RR N(R)=2
    F(11, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 2, 0)),

    # --- Link release -----------------------------------------------------
    # DISC P=1 (the network's UA is lost on the line)
    F(2004, "U", lapd_u("DISC", SAPI_CC, TEI, U_CMD, 1)),
    # DISC P=1 retransmitted after T200 (1 s)
    F(1000, "U", lapd_u("DISC", SAPI_CC, TEI, U_CMD, 1)),
    # DM F=1: the network has already left multiple-frame operation
    F(16, "N", lapd_u("DM", SAPI_CC, TEI, N_RSP, 1)),
]

# Frame relay access link with LAPF on each DLCI. DLCI 100 carries an X.25
# packet layer session (restart, one virtual call, data, clearing); other
# DLCIs show 3- and 4-octet addresses and congestion bits on links that were
# already running when the capture started.
DLCI_X25 = 100
DLCI_POLL = 550
DLCI_16BIT = 20000      # needs a 3-octet address
DLCI_23BIT = 74565      # needs a 4-octet address

X29_PAD = bytes([0x01, 0x00, 0x00, 0x00])     # call user data: protocol id


def a_user(dlci=DLCI_X25, cmd=True, **kw):
    return q922_addr(dlci, U_CMD if cmd else U_RSP, **kw)


def a_net(dlci=DLCI_X25, cmd=True, **kw):
    return q922_addr(dlci, N_CMD if cmd else N_RSP, **kw)


Q922_FRAMES = [
    # SABME P=1 on DLCI 100
    F(0, "U", lapf_u("SABME", a_user(), 1)),
    # UA F=1
    F(23, "N", lapf_u("UA", a_net(cmd=False), 1)),
    # I 0/0: X.25 RESTART REQUEST, cause 0x00 (DTE originated), diag 0x00
    F(31, "U", lapf_i(a_user(), 0, 0, 0, x25(0, X25_RESTART_REQUEST, [0x00, 0x00]))),
    # I 0/1: X.25 RESTART CONFIRMATION
    F(58, "N", lapf_i(a_net(), 0, 1, 0, x25(0, X25_RESTART_CONFIRM))),
    # I 1/1: X.25 CALL REQUEST on LCN 1, packet size and window facilities,
    # X.29 call user data
    F(420, "U", lapf_i(a_user(), 1, 1, 0, x25_call_request(
        1, called="311012345678", calling="31108765432",
        facilities=X25_FACILITIES, user_data=X29_PAD))),
    # I 1/2: X.25 CALL CONNECTED (call accepted by the remote host)
    F(286, "N", lapf_i(a_net(), 1, 2, 0, x25(1, X25_CALL_CONNECTED))),
    # I 2/2: X.25 DATA P(S)=0 P(R)=0
    F(1930, "U", lapf_i(a_user(), 2, 2, 0, x25_data(1, 0, 0, b"LOGIN operator\r"))),
    # I 2/3: X.25 DATA P(S)=0 P(R)=1
    F(152, "N", lapf_i(a_net(), 2, 3, 0, x25_data(
        1, 0, 1, b"\r\nKX-7 host ready. Last login 09:14\r\nPassword:"))),
    # I 3/3: X.25 RR P(R)=1
    F(40, "U", lapf_i(a_user(), 3, 3, 0, x25_rr(1, 1))),
    # RR N(R)=4, BECN set: traffic the user sends meets congestion
    F(15, "N", lapf_s("RR", a_net(cmd=False, becn=1), 4, 0)),
    # DLCI 550: RR command P=1 (link check), discard eligible
    F(640, "U", lapf_s("RR", a_user(DLCI_POLL, de=1), 0, 1)),
    # DLCI 550: RR response F=1, FECN set: congestion toward the user
    F(19, "N", lapf_s("RR", a_net(DLCI_POLL, cmd=False, fecn=1), 0, 1)),
    # DLCI 20000 (3-octet address): I 17/9 carrying X.25 DATA on LCN 5
    F(733, "U", lapf_i(a_user(DLCI_16BIT, size=3), 17, 9, 0,
                       x25_data(5, 3, 2, b"ALARM 0042 CLEARED\r\n"))),
    # DLCI 20000: RR N(R)=18
    F(21, "N", lapf_s("RR", a_net(DLCI_16BIT, cmd=False, size=3), 18, 0)),
    # DLCI 74565 (4-octet address): RR command P=1
    F(1104, "N", lapf_s("RR", a_net(DLCI_23BIT, size=4), 12, 1)),
    # DLCI 74565: RR response F=1
    F(14, "U", lapf_s("RR", a_user(DLCI_23BIT, cmd=False, size=4), 7, 1)),
    # I 4/4: X.25 DATA P(S)=2 P(R)=1. I 3/4 (DATA P(S)=1) was hit by a
    # line error and dropped (not in the trace).
    F(2211, "N", lapf_i(a_net(), 4, 4, 0, x25_data(1, 2, 1, b"\r\n$"))),
    # REJ N(R)=3
    F(11, "U", lapf_s("REJ", a_user(cmd=False), 3, 0)),
    # I 3/4: X.25 DATA P(S)=1 P(R)=1 (retransmitted)
    F(17, "N", lapf_i(a_net(), 3, 4, 0, x25_data(
        1, 1, 1, b"\r\nSession 4 opened on line TTY12\r\n"))),
    # I 4/4: X.25 DATA P(S)=2 P(R)=1 (retransmitted)
    F(8, "N", lapf_i(a_net(), 4, 4, 0, x25_data(1, 2, 1, b"\r\n$"))),
    # I 4/5: X.25 CLEAR REQUEST, cause 0x00 (DTE originated), diag 0x00
    F(3650, "U", lapf_i(a_user(), 4, 5, 0, x25(1, X25_CLEAR_REQUEST, [0x00, 0x00]))),
    # I 5/5: X.25 CLEAR CONFIRMATION
    F(97, "N", lapf_i(a_net(), 5, 5, 0, x25(1, X25_CLEAR_CONFIRM))),
    # RR N(R)=6
    F(12, "U", lapf_s("RR", a_user(cmd=False), 6, 0)),
    # DISC P=1 on DLCI 100
    F(1500, "U", lapf_u("DISC", a_user(), 1)),
    # UA F=1
    F(20, "N", lapf_u("UA", a_net(cmd=False), 1)),
]

TRACES = {
    "lapd.txt": LAPD_FRAMES,
    "q922.txt": Q922_FRAMES,
}
# Traces of frames without an HDLC FCS (a layer above the link).
WITHOUT_FCS = set()


# ---------------------------------------------------------------------------
# Writer
# ---------------------------------------------------------------------------

def timestamp(ms):
    minutes, rest = divmod(ms, 60000)
    assert minutes < 100, "timestamp does not fit MM:SS.mmm"
    return "%02d:%02d.%03d" % (minutes, rest // 1000, rest % 1000)


def printable(chunk):
    return "".join(chr(b) if 0x20 <= b <= 0x7E else "." for b in chunk)


def frame_lines(number, ms, direction, data):
    assert direction in ("U", "N")
    assert 0 < len(data) <= MAX_FRAME, "frame %d is %d bytes" % (number, len(data))
    label = "Frame %d" % number
    assert len(label) <= 24
    lines = [label.ljust(24) + timestamp(ms),
             "Length: " + str(len(data)).ljust(11) + direction,
             HEADER_LINE]
    for off in range(0, len(data), BYTES_PER_LINE):
        chunk = data[off:off + BYTES_PER_LINE]
        hexpart = " ".join("%02X" % b for b in chunk)
        lines.append("%04X: %s  %s" % (off, hexpart, printable(chunk)))
    lines.append("")
    return lines


def timeline(frames):
    """Absolute time in ms of each frame."""
    ms = SESSION_START_MS
    for fr in frames:
        ms += fr.delay_ms
        yield ms


def render(frames):
    out = []
    for n, (fr, ms) in enumerate(zip(frames, timeline(frames)), 1):
        out.extend(frame_lines(n, ms, fr.direction, fr.data))
    return "\n".join(out) + "\n"


def write_trace(path, frames):
    path.parent.mkdir(parents=True, exist_ok=True)
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write(render(frames))


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


def fcs_ok(data):
    """The last two octets are the FCS of the rest, low octet first."""
    return len(data) >= 2 and fcs16(data[:-2]) == data[-2] | data[-1] << 8


def check_trace(path, frames):
    parsed = parse_trace(path.read_text(encoding="ascii"))
    if len(parsed) != len(frames):
        raise TraceError("%s: %d frames on disk, %d defined"
                         % (path.name, len(parsed), len(frames)))
    last = -1
    for n, ((ms, direction, data), fr, want_ms) in enumerate(
            zip(parsed, frames, timeline(frames)), 1):
        where = "%s frame %d" % (path.name, n)
        if data != fr.data:
            raise TraceError(where + ": bytes differ")
        if direction != fr.direction:
            raise TraceError(where + ": direction differs")
        if ms != want_ms:
            raise TraceError(where + ": timestamp differs")
        if ms <= last:
            raise TraceError(where + ": timestamp does not increase")
        if path.name not in WITHOUT_FCS and not fcs_ok(data):
            raise TraceError(where + ": bad FCS")
        last = ms
    return len(parsed)


def main(argv=None):
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--check", action="store_true",
                    help="only verify the trace files already written")
    args = ap.parse_args(argv)

    import samples_x25  # its builders use the helpers above
    samples_x25.add_to(TRACES, WITHOUT_FCS)

    # Known-answer test of the FCS routine.
    assert fcs16(b"123456789") == 0x906E

    if not args.check:
        for name, frames in TRACES.items():
            write_trace(SAMPLES / name, frames)
    ok = True
    for name, frames in TRACES.items():
        path = SAMPLES / name
        try:
            count = check_trace(path, frames)
            print("%s: %d frames OK" % (path.relative_to(ROOT), count))
        except (TraceError, OSError) as e:
            print("%s: FAILED: %s" % (path.relative_to(ROOT), e), file=sys.stderr)
            ok = False
    import samples_inet  # eth.txt and ip.txt
    ok = samples_inet.write_and_check(args.check) and ok
    import samples_q931     # call control messages, without a link layer
    ok = samples_q931.main(args.check) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
