"""The X.25 sample trace: packets of the packet layer alone (no link-layer
address, control or FCS), as a protocol analyser on an X.25 access line
records them; and the X.25 packet builders the link-layer samples use too.
make_samples.py writes and checks it with the other samples.

A card payment terminal (the DTE, direction 'U') talks to its acquirer's host
through the network (the DCE, direction 'N'), modulo 8, logical channel group
0. The network restarts the packet layer; the terminal calls the host with
reverse charging and asks for larger packets and windows, the network
negotiates them down; an authorisation runs with qualified and
delivery-confirmed data, flow control, a retransmission after REJ, an
interrupt and two resets; a second call to a wrong number is cleared by the
network; a packet on the restart channel earns a diagnostic packet; the
terminal clears the first call.
"""

from trace_format import Frame as F

# ---------------------------------------------------------------------------
# X.25 packets (modulo 8, GFI 0x1)
# ---------------------------------------------------------------------------

CALL_REQUEST, CALL_CONNECTED = 0x0B, 0x0F
CLEAR_REQUEST, CLEAR_CONFIRM = 0x13, 0x17
RESET_REQUEST, RESET_CONFIRM = 0x1B, 0x1F
INTERRUPT, INTERRUPT_CONFIRM = 0x23, 0x27
RESTART_REQUEST, RESTART_CONFIRM = 0xFB, 0xFF
DIAGNOSTIC = 0xF1

# Facilities: packet size 128/128 and window size 2/2
SIZE_128_WINDOW_2 = bytes([0x42, 0x07, 0x07,
                           0x43, 0x02, 0x02])


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
    return x25(lcn, CALL_REQUEST, body)


def x25_data(lcn, ps, pr, payload, more=0):
    return x25(lcn, pr << 5 | more << 4 | ps << 1, payload)


def x25_rr(lcn, pr):
    return x25(lcn, pr << 5 | 0x01)


# ---------------------------------------------------------------------------
# The payment terminal's session
# ---------------------------------------------------------------------------

LCN_AUTH = 0x21         # the terminal's calls take the highest channels
LCN_SECOND = 0x20
HOST = "262454100071"           # DNIC 2624, host 54100071
TERMINAL = "26245730415"        # DNIC 2624, terminal line 5730415
WRONG = "26245419"              # a number the network does not know

# Facilities of the call request: reverse charging, 256-octet packets and
# window 7 both ways; the network grants 128-octet packets and window 2.
ASKED = bytes([0x01, 0x01,          # reverse charging
               0x42, 0x08, 0x08,    # packet size 256/256
               0x43, 0x07, 0x07])   # window size 7/7
GRANTED = SIZE_128_WINDOW_2
PROTOCOL_ID = bytes([0xC0, 0x50, 0x4F, 0x53])   # call user data: "POS" service


def qd(packet, q=0, d=0):
    """The packet with the Q (A) bit and the D bit of its GFI set."""
    return bytes([packet[0] | q << 7 | d << 6]) + packet[1:]


def rnr(lcn, pr):
    return x25(lcn, pr << 5 | 0x05)


def rej(lcn, pr):
    return x25(lcn, pr << 5 | 0x09)


def call_connected(lcn, facilities):
    """Call connected with no addresses and the negotiated facilities."""
    return x25(lcn, CALL_CONNECTED, bytes([0x00, len(facilities)]) + facilities)


X25_FRAMES = [
    # --- Restart ----------------------------------------------------------
    # Restart indication: network operational, no diagnostic
    F(0, "N", x25(0, RESTART_REQUEST, [0x07, 0x00])),
    F(38, "U", x25(0, RESTART_CONFIRM)),

    # --- Call 1 -----------------------------------------------------------
    F(612, "U", x25_call_request(LCN_AUTH, called=HOST, calling=TERMINAL,
                                 facilities=ASKED, user_data=PROTOCOL_ID)),
    F(431, "N", call_connected(LCN_AUTH, GRANTED)),
    # Data P(S)=0 P(R)=0 with the D bit: the terminal wants the host's receipt
    F(57, "U", qd(x25_data(LCN_AUTH, 0, 0, b"AUTH 0042 EUR 17.50"), d=1)),
    F(212, "N", x25_rr(LCN_AUTH, 1)),
    # Qualified data (Q bit) P(S)=0 P(R)=1: the host sets a terminal
    # parameter: control message, not user data
    F(96, "N", qd(x25_data(LCN_AUTH, 0, 1, bytes([0x02, 0x04, 0x00])), q=1)),
    # A long record in two packets: M bit on the first
    F(24, "U", x25_data(LCN_AUTH, 1, 1, b"TRACK2 4999120000001234=2812", more=1)),
    F(3, "U", x25_data(LCN_AUTH, 2, 1, b"1010000000000")),
    # The host is busy, then ready again
    F(45, "N", rnr(LCN_AUTH, 3)),
    F(870, "N", x25_rr(LCN_AUTH, 3)),
    F(402, "N", x25_data(LCN_AUTH, 1, 3, b"APPROVED 731955")),
    # P(S)=2 was lost on the line: P(S)=3 arrives out of sequence
    F(18, "N", x25_data(LCN_AUTH, 3, 3, b"RECEIPT 1/2")),
    F(9, "U", rej(LCN_AUTH, 2)),
    F(35, "N", x25_data(LCN_AUTH, 2, 3, b"BALANCE OK")),
    F(6, "N", x25_data(LCN_AUTH, 3, 3, b"RECEIPT 1/2")),
    F(14, "U", x25_rr(LCN_AUTH, 4)),
    # The cashier cancels: interrupt with one octet of user data
    F(2310, "U", x25(LCN_AUTH, INTERRUPT, [0x01])),
    F(64, "N", x25(LCN_AUTH, INTERRUPT_CONFIRM)),
    # Reset by the network: local procedure error, invalid P(R)
    F(517, "N", x25(LCN_AUTH, RESET_REQUEST, [0x05, 0x02])),
    F(21, "U", x25(LCN_AUTH, RESET_CONFIRM)),
    # Reset again: network congestion, no diagnostic
    F(1804, "N", x25(LCN_AUTH, RESET_REQUEST, [0x07, 0x00])),
    F(19, "U", x25(LCN_AUTH, RESET_CONFIRM)),

    # --- Call 2: a wrong number ------------------------------------------
    F(955, "U", x25_call_request(LCN_SECOND, called=WRONG, calling=TERMINAL)),
    # Clear indication: not obtainable, invalid called address
    F(188, "N", x25(LCN_SECOND, CLEAR_REQUEST, [0x0D, 0x43])),
    F(12, "U", x25(LCN_SECOND, CLEAR_CONFIRM)),

    # --- A packet on the restart channel ---------------------------------
    F(640, "U", x25_rr(0, 0)),
    # Diagnostic: packet on unassigned logical channel, the packet's header
    # as explanation
    F(33, "N", x25(0, DIAGNOSTIC, [0x24, 0x10, 0x00, 0x01])),

    # --- The terminal clears call 1 ---------------------------------------
    F(1120, "U", x25(LCN_AUTH, CLEAR_REQUEST, [0x00, 0x00])),
    F(97, "N", x25(LCN_AUTH, CLEAR_CONFIRM)),
]


# The trace make_samples.py writes; its packets carry no FCS.
SAMPLES = {"x25.txt": (X25_FRAMES, None)}
