"""The link-layer sample traces: samples/lapd.txt (an ISDN basic-rate D
channel) and samples/q922.txt (a frame relay access link carrying X.25),
with the LAPD and LAPF frame builders. Every frame is a whole link-layer
frame (address, control, information, 2-octet FCS); the FCS is computed,
not typed in. make_samples.py writes and checks them with the other samples.
"""

from samples_q931 import (ALERTING, BEARER, CALLED, CALLING, CAUSE, CHANNEL, CONNECT, CONNECT_ACK, DATE_TIME,
                          DISCONNECT, DISPLAY, INFORMATION, PROCEEDING, PROGRESS_IND, RELEASE, RELEASE_COMP,
                          SENDING_COMPLETE, SETUP, SIGNAL, ie, number, q931)
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


def tei_mgmt(ri, msgtype, ai):
    """Management entity id 0x0F, reference number Ri, type, Ai with EA=1."""
    return bytes([0x0F, ri >> 8, ri & 0xFF, msgtype, ai << 1 | 1])


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

# The traces make_samples.py writes; every frame ends in its FCS.
SAMPLES = {
    "lapd.txt": (LAPD_FRAMES, fcs_ok),
    "q922.txt": (Q922_FRAMES, fcs_ok),
}
