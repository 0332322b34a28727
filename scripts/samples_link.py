"""The link-layer sample traces: samples/lapd.txt (an ISDN basic-rate D
channel) and samples/q922.txt (a frame relay access link carrying X.25),
with the LAPD and LAPF frame builders; and the traces the extended text
reads further: samples/lapd_bus.txt (TEI management and a broadcast SETUP
on a basic-rate bus) and samples/frame_relay.txt (congestion bits, IP over
frame relay, Q.933 link integrity on DLCI 0). Every frame is a whole link-layer
frame (address, control, information, 2-octet FCS); the FCS is computed,
not typed in. make_samples.py writes and checks them with the other samples.
"""

from samples_q931 import (STATUS, STATUS_ENQ, ALERTING, BEARER, CALLED, CALLING, CAUSE, CHANNEL, CONNECT, CONNECT_ACK, DATE_TIME,
                          DISCONNECT, DISPLAY, INFORMATION, PROCEEDING, PROGRESS_IND, RELEASE, RELEASE_COMP,
                          SENDING_COMPLETE, SETUP, SIGNAL, ie, number, q931)
from samples_inet import PROTO_UDP, ICMP_ECHO, ICMP_ECHO_REPLY, echo, ip4, ipv4, udp
from samples_x25 import (CALL_CONNECTED, CLEAR_CONFIRM, CLEAR_REQUEST, RESTART_CONFIRM, RESTART_REQUEST,
                         SIZE_128_WINDOW_2, x25, x25_call_request, x25_data, x25_rr)
from trace_format import Frame as F, fcs_ok, with_fcs

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
    return with_fcs(lapd_addr(sapi, tei, cr) + i_ctrl(ns, nr, p) + info)


def lapd_s(kind, sapi, tei, cr, nr, pf):
    return with_fcs(lapd_addr(sapi, tei, cr) + s_ctrl(kind, nr, pf))


def lapd_u(kind, sapi, tei, cr, pf, info=b""):
    return with_fcs(lapd_addr(sapi, tei, cr) + u_ctrl(kind, pf) + info)


def lapd_raw(sapi, tei, cr, control):
    """A frame with an arbitrary (possibly undefined) control field."""
    return with_fcs(lapd_addr(sapi, tei, cr) + bytes(control))


def frmr_info(rejected_ctrl, vs, vr, rejected_was_response, wxyz):
    """FRMR information field: rejected control field (2 octets, a 1-octet
    control is followed by 0x00), V(S), V(R) with the C/R bit of the rejected
    frame, then the W/X/Y/Z cause bits (W=0x01 X=0x02 Y=0x04 Z=0x08)."""
    ctrl = bytes(rejected_ctrl) + b"\x00" * (2 - len(rejected_ctrl))
    return ctrl + bytes([vs << 1, vr << 1 | rejected_was_response, wxyz])


# TEI management (SAPI 63, broadcast TEI 127, UI frames)
TEI_ID_REQUEST, TEI_ID_ASSIGNED, TEI_ID_DENIED = 0x01, 0x02, 0x03
TEI_CHECK_REQUEST, TEI_CHECK_RESPONSE, TEI_REMOVE = 0x04, 0x05, 0x06
TEI_VERIFY = 0x07


def tei_mgmt(ri, msgtype, ai):
    """Management entity id 0x0F, reference number Ri, type, Ai with EA=1."""
    return bytes([0x0F, ri >> 8, ri & 0xFF, msgtype, ai << 1 | 1])


def tei_mgmt_list(ri, msgtype, ais):
    """The same with several action indicators (an identity check response
    of a terminal holding several TEIs): E=0 on all but the last."""
    return bytes([0x0F, ri >> 8, ri & 0xFF, msgtype]) + bytes(
        ai << 1 | (1 if n == len(ais) - 1 else 0) for n, ai in enumerate(ais))


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
    return with_fcs(addr + i_ctrl(ns, nr, p) + info)


def lapf_s(kind, addr, nr, pf):
    return with_fcs(addr + s_ctrl(kind, nr, pf))


def lapf_u(kind, addr, pf, info=b""):
    return with_fcs(addr + u_ctrl(kind, pf) + info)


# ---------------------------------------------------------------------------
# Frame lists
# ---------------------------------------------------------------------------

# ISDN basic-rate D channel. User terminal gets TEI 64, brings up SAPI 0,
# makes an outgoing speech call, takes an incoming data call, then releases
# the link.
TEI = 64
UNASSIGNED = 127
X25_FACILITIES = SIZE_128_WINDOW_2
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
        ie(BEARER, [0x80, 0x90, 0xA2]),
        ie(CHANNEL, [0x83]),
        number(CALLING, [0x21, 0x80], "301234567"),
        number(CALLED, [0x81], "04012345678"),
    ]))),
    # RR N(R)=1
    F(18, "N", lapd_s("RR", SAPI_CC, TEI, N_RSP, 1, 0)),
    # I 0/1: CALL PROCEEDING, B1 exclusive
    F(74, "N", lapd_i(SAPI_CC, TEI, N_CMD, 0, 1, 0, q931(0x01, 1, PROCEEDING, [
        ie(CHANNEL, [0x89]),
    ]))),
    # RR N(R)=1
    F(12, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 1, 0)),
    # I 1/1: ALERTING, in-band tones available, ring-back signal
    F(1532, "N", lapd_i(SAPI_CC, TEI, N_CMD, 1, 1, 0, q931(0x01, 1, ALERTING, [
        ie(PROGRESS_IND, [0x82, 0x88]),
        ie(SIGNAL, [0x01]),
    ]))),
    # RR N(R)=2
    F(11, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 2, 0)),
    # I 2/1: CONNECT with date/time 2024-03-14 12:01
    F(6815, "N", lapd_i(SAPI_CC, TEI, N_CMD, 2, 1, 0, q931(0x01, 1, CONNECT, [
        ie(CHANNEL, [0x89]),
        ie(DATE_TIME, [24, 3, 14, 12, 1]),
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
        ie(DISPLAY, b"CHARGE: 2 UNITS"),
    ]))),
    # RNR N(R)=4: terminal receiver busy
    F(13, "U", lapd_s("RNR", SAPI_CC, TEI, U_RSP, 4, 0)),
    # RR N(R)=4: busy condition cleared
    F(412, "U", lapd_s("RR", SAPI_CC, TEI, U_RSP, 4, 0)),
    # I 2/4: DISCONNECT, cause 16 normal call clearing (user)
    F(7930, "U", lapd_i(SAPI_CC, TEI, U_CMD, 2, 4, 0, q931(0x01, 0, DISCONNECT, [
        ie(CAUSE, [0x80, 0x90]),
    ]))),
    # I 4/3: RELEASE
    F(46, "N", lapd_i(SAPI_CC, TEI, N_CMD, 4, 3, 0, q931(0x01, 1, RELEASE))),
    # I 3/5: RELEASE COMPLETE
    F(15, "U", lapd_i(SAPI_CC, TEI, U_CMD, 3, 5, 0, q931(0x01, 0, RELEASE_COMP))),
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
    F(388, "N", lapd_i(SAPI_X25, TEI, N_CMD, 0, 1, 0, x25(1, CALL_CONNECTED))),
    # RR N(R)=1
    F(15, "U", lapd_s("RR", SAPI_X25, TEI, U_RSP, 1, 0)),

    # --- Call 2: incoming 64 kbit/s data call, call reference 0x12 --------
    # UI on broadcast TEI: SETUP (unrestricted digital, B2 exclusive)
    F(3870, "N", lapd_u("UI", SAPI_CC, UNASSIGNED, N_CMD, 0, q931(0x12, 0, SETUP, [
        ie(SENDING_COMPLETE),
        ie(BEARER, [0x88, 0x90]),
        ie(CHANNEL, [0x8A]),
        number(CALLING, [0x21, 0x83], "4087654321"),
        number(CALLED, [0xC1], "4567"),
    ]))),
    # I 4/5: ALERTING, B2
    F(38, "U", lapd_i(SAPI_CC, TEI, U_CMD, 4, 5, 0, q931(0x12, 1, ALERTING, [
        ie(CHANNEL, [0x8A]),
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
        ie(DISPLAY, b"CHARGE: 4 UNITS"),
    ]))),
    # REJ N(R)=6: asks for retransmission from N(S)=6
    F(10, "U", lapd_s("REJ", SAPI_CC, TEI, U_RSP, 6, 0)),
    # I 6/6: INFORMATION (retransmitted)
    F(16, "N", lapd_i(SAPI_CC, TEI, N_CMD, 6, 6, 0, q931(0x12, 0, INFORMATION, [
        ie(DISPLAY, b"CHARGE: 3 UNITS"),
    ]))),
    # I 7/6: INFORMATION (retransmitted)
    F(9, "N", lapd_i(SAPI_CC, TEI, N_CMD, 7, 6, 0, q931(0x12, 0, INFORMATION, [
        ie(DISPLAY, b"CHARGE: 4 UNITS"),
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
        ie(CAUSE, [0x82, 0x90]),
    ]))),
    # I 0/1: RELEASE
    F(27, "U", lapd_i(SAPI_CC, TEI, U_CMD, 0, 1, 0, q931(0x12, 1, RELEASE))),
    # I 1/1: RELEASE COMPLETE
    F(35, "N", lapd_i(SAPI_CC, TEI, N_CMD, 1, 1, 0, q931(0x12, 0, RELEASE_COMP))),
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
    F(31, "U", lapf_i(a_user(), 0, 0, 0, x25(0, RESTART_REQUEST, [0x00, 0x00]))),
    # I 0/1: X.25 RESTART CONFIRMATION
    F(58, "N", lapf_i(a_net(), 0, 1, 0, x25(0, RESTART_CONFIRM))),
    # I 1/1: X.25 CALL REQUEST on LCN 1, packet size and window facilities,
    # X.29 call user data
    F(420, "U", lapf_i(a_user(), 1, 1, 0, x25_call_request(
        1, called="311012345678", calling="31108765432",
        facilities=X25_FACILITIES, user_data=X29_PAD))),
    # I 1/2: X.25 CALL CONNECTED (call accepted by the remote host)
    F(286, "N", lapf_i(a_net(), 1, 2, 0, x25(1, CALL_CONNECTED))),
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
    F(3650, "U", lapf_i(a_user(), 4, 5, 0, x25(1, CLEAR_REQUEST, [0x00, 0x00]))),
    # I 5/5: X.25 CLEAR CONFIRMATION
    F(97, "N", lapf_i(a_net(), 5, 5, 0, x25(1, CLEAR_CONFIRM))),
    # RR N(R)=6
    F(12, "U", lapf_s("RR", a_user(cmd=False), 6, 0)),
    # DISC P=1 on DLCI 100
    F(1500, "U", lapf_u("DISC", a_user(), 1)),
    # UA F=1
    F(20, "N", lapf_u("UA", a_net(cmd=False), 1)),
]

# A basic-rate bus with three terminals. Two get TEIs (one of them a second
# one), the third is denied; the network audits the TEIs. An incoming call's
# SETUP is broadcast in a UI frame; both terminals answer on their own TEI,
# the first to connect gets the call and the other is released. At the end
# the network removes a TEI.
TEI_A, TEI_B, TEI_B2 = 64, 65, 66
CAUSE_NON_SELECTED = [0x82, 0x9A]   # network, cause 26: non-selected user clearing

LAPD_BUS_FRAMES = [
    # --- TEI assignment: identity request (Ai 127, any TEI) and answer ----
    F(0, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x1A2B, TEI_ID_REQUEST, 127))),
    F(28, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x1A2B, TEI_ID_ASSIGNED, TEI_A))),
    F(412, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x77E1, TEI_ID_REQUEST, 127))),
    F(30, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x77E1, TEI_ID_ASSIGNED, TEI_B))),
    # the second terminal asks for a second TEI (a terminal adapter)
    F(95, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x77E2, TEI_ID_REQUEST, 127))),
    F(29, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x77E2, TEI_ID_ASSIGNED, TEI_B2))),
    # the third terminal is denied: no TEI left for it
    F(1310, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x0C0C, TEI_ID_REQUEST, 127))),
    F(31, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x0C0C, TEI_ID_DENIED, 127))),
    # --- TEI audit: check request for every TEI, one response a terminal --
    F(2250, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x0000, TEI_CHECK_REQUEST, 127))),
    F(22, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x3D90, TEI_CHECK_RESPONSE, TEI_A))),
    F(9, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0,
                     tei_mgmt_list(0x51C4, TEI_CHECK_RESPONSE, [TEI_B, TEI_B2]))),
    # the first terminal asks the network to verify its TEI
    F(3120, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x0000, TEI_VERIFY, TEI_A))),
    F(24, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x0000, TEI_CHECK_REQUEST, TEI_A))),
    F(18, "U", lapd_u("UI", SAPI_MGMT, UNASSIGNED, U_CMD, 0, tei_mgmt(0x6E02, TEI_CHECK_RESPONSE, TEI_A))),
    # --- Incoming call, call reference 0x21: SETUP broadcast to the bus ---
    F(5400, "N", lapd_u("UI", SAPI_CC, UNASSIGNED, N_CMD, 0, q931(0x21, 0, SETUP, [
        ie(BEARER, [0x80, 0x90, 0xA3]),
        ie(CHANNEL, [0x89]),
        number(CALLING, [0x21, 0x83], "302211000"),
        number(CALLED, [0xC1], "71"),
    ]))),
    # both terminals bring up their data links on SAPI 0
    F(41, "U", lapd_u("SABME", SAPI_CC, TEI_A, U_CMD, 1)),
    F(6, "U", lapd_u("SABME", SAPI_CC, TEI_B, U_CMD, 1)),
    F(14, "N", lapd_u("UA", SAPI_CC, TEI_A, N_RSP, 1)),
    F(3, "N", lapd_u("UA", SAPI_CC, TEI_B, N_RSP, 1)),
    # both ring
    F(88, "U", lapd_i(SAPI_CC, TEI_A, U_CMD, 0, 0, 0, q931(0x21, 1, ALERTING))),
    F(5, "U", lapd_i(SAPI_CC, TEI_B, U_CMD, 0, 0, 0, q931(0x21, 1, ALERTING))),
    F(12, "N", lapd_s("RR", SAPI_CC, TEI_A, N_RSP, 1, 0)),
    F(2, "N", lapd_s("RR", SAPI_CC, TEI_B, N_RSP, 1, 0)),
    # the second terminal answers first and gets the call
    F(4870, "U", lapd_i(SAPI_CC, TEI_B, U_CMD, 1, 0, 0, q931(0x21, 1, CONNECT))),
    F(36, "N", lapd_i(SAPI_CC, TEI_B, N_CMD, 0, 2, 0, q931(0x21, 0, CONNECT_ACK, [
        ie(CHANNEL, [0x89]),
    ]))),
    F(11, "U", lapd_s("RR", SAPI_CC, TEI_B, U_RSP, 1, 0)),
    # the first is released: non-selected user clearing
    F(4, "N", lapd_i(SAPI_CC, TEI_A, N_CMD, 0, 1, 0, q931(0x21, 0, RELEASE, [ie(CAUSE, CAUSE_NON_SELECTED)]))),
    F(27, "U", lapd_i(SAPI_CC, TEI_A, U_CMD, 1, 1, 0, q931(0x21, 1, RELEASE_COMP))),
    F(10, "N", lapd_s("RR", SAPI_CC, TEI_A, N_RSP, 2, 0)),
    # --- the network removes the terminal adapter's second TEI -----------
    F(9050, "N", lapd_u("UI", SAPI_MGMT, UNASSIGNED, N_CMD, 0, tei_mgmt(0x0000, TEI_REMOVE, TEI_B2))),
]


# Frame relay: Q.933 link integrity verification on DLCI 0 (Q.933 messages
# in UI frames, NLPID 0x08 with a dummy call reference), IP on DLCI 100
# (NLPID 0xCC) and DLCI 200 (SNAP, behind a pad octet), congestion bits and
# a 3-octet address.
DLCI_SIGNALLING, DLCI_IP, DLCI_SNAP, DLCI_DOWN = 0, 100, 200, 300
NLPID_IP, NLPID_Q933, NLPID_SNAP, NLPID_ISIS = 0xCC, 0x08, 0x80, 0x83
REPORT_TYPE, LINK_INTEGRITY, PVC_STATUS = 0x51, 0x53, 0x57
FULL_STATUS, LINK_ONLY = 0x00, 0x01
SNAP_IPV4 = bytes([0x00, 0x00, 0x00, 0x08, 0x00])  # OUI 000000, PID 0800
ROUTER_A, ROUTER_B = ip4("10.200.1.1"), ip4("10.200.1.2")
SITE_C = ip4("10.200.2.2")


def lapf_ui(addr, payload):
    return with_fcs(addr + u_ctrl("UI", 0) + payload)


def q933(msgtype, ies):
    """A Q.933 message with the dummy call reference (length 0)."""
    return bytes([NLPID_Q933, 0x00, msgtype]) + b"".join(ies)


def link_integrity(send, receive):
    return ie(LINK_INTEGRITY, [send, receive])


def pvc_status(dlci, new, active):
    """PVC status for a 10-bit DLCI: DLCI high six bits; low four bits with
    the extension bit; then new (0x08) and active (0x02) with the extension
    bit."""
    return ie(PVC_STATUS, [(dlci >> 4) & 0x3F, 0x80 | (dlci & 0x0F) << 3, 0x80 | new << 3 | active << 1])


def sig(cmd_user, **kw):
    return q922_addr(DLCI_SIGNALLING, U_CMD if cmd_user else N_CMD, **kw)


DNS_QUERY = bytes.fromhex("4a1101000001000000000000") + b"\x04mail\x07example\x03net\x00" + bytes.fromhex("00010001")

FRAME_RELAY_FRAMES = [
    # --- DLCI 0: link integrity only, then a full status report ----------
    F(0, "U", lapf_ui(sig(True), q933(STATUS_ENQ, [ie(REPORT_TYPE, [LINK_ONLY]), link_integrity(1, 0)]))),
    F(18, "N", lapf_ui(sig(False), q933(STATUS, [ie(REPORT_TYPE, [LINK_ONLY]), link_integrity(1, 1)]))),
    F(10000, "U", lapf_ui(sig(True), q933(STATUS_ENQ, [ie(REPORT_TYPE, [FULL_STATUS]), link_integrity(2, 1)]))),
    F(21, "N", lapf_ui(sig(False), q933(STATUS, [
        ie(REPORT_TYPE, [FULL_STATUS]), link_integrity(2, 2),
        pvc_status(DLCI_IP, 0, 1), pvc_status(DLCI_SNAP, 1, 1), pvc_status(DLCI_DOWN, 0, 0),
    ]))),
    # --- DLCI 100: IPv4 behind NLPID 0xCC, an echo and its reply ---------
    F(640, "U", lapf_ui(a_user(DLCI_IP), bytes([NLPID_IP]) + echo(ICMP_ECHO, ROUTER_A, ROUTER_B, 0x0301, 1, 0x2201))),
    # the reply meets congestion on its way to the user: FECN
    F(37, "N", lapf_ui(a_net(DLCI_IP, fecn=1), bytes([NLPID_IP]) +
                       echo(ICMP_ECHO_REPLY, ROUTER_B, ROUTER_A, 0x0301, 1, 0x9A10))),
    # --- DLCI 200: IPv4 in SNAP behind a pad octet, a DNS query ----------
    F(212, "U", lapf_ui(a_user(DLCI_SNAP, de=1), bytes([0x00, NLPID_SNAP]) + SNAP_IPV4 + ipv4(
        ROUTER_A, SITE_C, PROTO_UDP, udp(ROUTER_A, SITE_C, 50110, 53, DNS_QUERY), 0x2202))),
    # the network tells the sender of congestion ahead: BECN
    F(44, "N", lapf_ui(a_net(DLCI_SNAP, becn=1), bytes([NLPID_ISIS]) + bytes.fromhex("1b0100100100000000"))),
    # --- DLCI 20000, a 3-octet address: IPv4 with FECN and BECN ----------
    F(1200, "N", lapf_ui(a_net(DLCI_16BIT, size=3, fecn=1, becn=1), bytes([NLPID_IP]) + ipv4(
        SITE_C, ROUTER_A, PROTO_UDP, udp(SITE_C, ROUTER_A, 53, 50110, b"\x4a\x11\x81\x80"), 0x5E01))),
    # --- DLCI 0 again: the next link integrity exchange ------------------
    F(8100, "U", lapf_ui(sig(True), q933(STATUS_ENQ, [ie(REPORT_TYPE, [LINK_ONLY]), link_integrity(3, 2)]))),
    F(19, "N", lapf_ui(sig(False), q933(STATUS, [ie(REPORT_TYPE, [LINK_ONLY]), link_integrity(3, 3)]))),
]

# The traces make_samples.py writes; every frame ends in its FCS.
SAMPLES = {
    "lapd.txt": (LAPD_FRAMES, fcs_ok),
    "q922.txt": (Q922_FRAMES, fcs_ok),
    "lapd_bus.txt": (LAPD_BUS_FRAMES, fcs_ok),
    "frame_relay.txt": (FRAME_RELAY_FRAMES, fcs_ok),
}
