"""The Q.931 sample trace, samples/q931.txt: call control messages as they
leave the link layer (protocol discriminator first, no address, control or
FCS octets), sent by the user side ('U') and the network side ('N'); and the
Q.931 message builders the link-layer samples use too. make_samples.py
writes and checks it with the other samples.

Four stretches of a day on an ISDN line: a basic-rate telephone call with
overlap sending, hold and retrieval; an incoming forwarded call; a packet-mode
data call on the D channel; and a primary-rate interface with restarts,
segmented messages and national elements after a codeset shift. Together
they hold every message type and every information element the decoder
names.

samples/q931-extended.txt holds the messages and elements that the decoder
names only with --extended: the supplementary services of Q.932 around a
basic-rate call, and the Q.933 status polling of a frame relay link.
"""

from trace_format import Frame as F

# Message types
ALERTING, PROCEEDING, PROGRESS, SETUP, CONNECT = 0x01, 0x02, 0x03, 0x05, 0x07
SETUP_ACK, CONNECT_ACK = 0x0D, 0x0F
USER_INFO, SUSPEND_REJ, RESUME_REJ, SUSPEND, RESUME = 0x20, 0x21, 0x22, 0x25, 0x26
SUSPEND_ACK, RESUME_ACK = 0x2D, 0x2E
DISCONNECT, RESTART, RELEASE, RESTART_ACK, RELEASE_COMP = 0x45, 0x46, 0x4D, 0x4E, 0x5A
SEGMENT, NOTIFY, STATUS_ENQ, CONGESTION, INFORMATION, STATUS = 0x60, 0x6E, 0x75, 0x79, 0x7B, 0x7D

# Variable-length information elements
SEGMENTED, BEARER, CAUSE, CALL_IDENTITY, CALL_STATE = 0x00, 0x04, 0x08, 0x10, 0x14
CHANNEL, PROGRESS_IND, NETWORK_FACILITIES, NOTIFICATION = 0x18, 0x1E, 0x20, 0x27
DISPLAY, DATE_TIME, KEYPAD, SIGNAL = 0x28, 0x29, 0x2C, 0x34
INFO_RATE, TRANSIT_DELAY, TRANSIT_DELAY_SEL, PACKET_BINARY = 0x40, 0x42, 0x43, 0x44
WINDOW_SIZE, PACKET_SIZE, CUG, REVERSE_CHARGING = 0x45, 0x46, 0x47, 0x4A
CALLING, CALLING_SUB, CALLED, CALLED_SUB, REDIRECTING = 0x6C, 0x6D, 0x70, 0x71, 0x74
TRANSIT_NETWORK, RESTART_IND, LOW_LAYER, HIGH_LAYER, USER_USER = 0x78, 0x79, 0x7C, 0x7D, 0x7E

# Single-octet elements
MORE_DATA, SENDING_COMPLETE = 0xA0, 0xA1
CONGESTED, NOT_CONGESTED = 0xBF, 0xB0
REPEAT_PRIORITIZED = 0xD2


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


def locking_shift(codeset):
    return ie(0x90 | codeset)


def non_locking_shift(codeset):
    return ie(0x98 | codeset)


def cause(location, value, diagnostic=b"", recommendation=None):
    """ITU-T coding standard; value is the Q.931 cause number. With a
    recommendation, octet 3 announces octet 3a (bit 8 clear) and 3a holds it."""
    if recommendation is None:
        head = bytes([0x80 | location])
    else:
        head = bytes([location, 0x80 | recommendation])
    return ie(CAUSE, head + bytes([0x80 | value]) + bytes(diagnostic))


def display(text):
    """IA5 text after the display type octet 0xB1 (normal display)."""
    return ie(DISPLAY, b"\xB1" + text.encode("ascii"))


def date_time(*fields):
    return ie(DATE_TIME, bytes(fields))


def pri(cref, flag, msgtype, ies=()):
    """Primary rate: two-octet call reference."""
    return bytes([0x08, 0x02, (flag << 7) | (cref >> 8), cref & 0xFF, msgtype]) + b"".join(ies)


# Bearer capabilities
SPEECH = ie(BEARER, [0x80, 0x90, 0xA3])                # speech, 64 kbit/s, A-law
AUDIO_3K1 = ie(BEARER, [0x90, 0x90, 0xA3])             # 3.1 kHz audio
DATA_64K = ie(BEARER, [0x88, 0x90])                    # unrestricted digital
DATA_PACKET = ie(BEARER, [0x88, 0xC0, 0xC6])           # packet mode, X.25 layer 3
DATA_2X64 = ie(BEARER, [0x88, 0x91])                   # multirate 2 x 64 kbit/s
TELEPHONY = ie(HIGH_LAYER, [0x91, 0x81])

USER, NET = 0, 1   # call reference flag of the side that did not start the call

# --- A basic-rate telephone call: overlap sending, hold, retrieval ---------
BASIC_CALL = [
    # SETUP without the called number: the user dials digit by digit
    F(0, "U", q931(0x05, 0, SETUP, [
        SPEECH,
        ie(CHANNEL, [0x83]),                               # any B channel
        number(CALLING, [0x21, 0x81], "301234567"),        # national, verified
        ie(CALLING_SUB, [0xA0, 0x50, 0x34, 0x31]),         # user specified
        TELEPHONY,
    ])),
    # SETUP ACK: B1 exclusive, dial tone
    F(42, "N", q931(0x05, 1, SETUP_ACK, [
        ie(CHANNEL, [0x89]),
        ie(PROGRESS_IND, [0x82, 0x88]),
        ie(SIGNAL, [0x00]),
    ])),
    # The digits, first as a called party number, then on the keypad
    F(1830, "U", q931(0x05, 0, INFORMATION, [number(CALLED, [0x81], "040")])),
    F(1260, "U", q931(0x05, 0, INFORMATION, [
        ie(SENDING_COMPLETE),
        ie(KEYPAD, b"1234567"),
    ])),
    F(61, "N", q931(0x05, 1, PROCEEDING, [ie(SIGNAL, [0x3F])])),
    # The far end is reached through an analogue exchange
    F(880, "N", q931(0x05, 1, PROGRESS, [ie(PROGRESS_IND, [0x84, 0x82])])),
    F(1210, "N", q931(0x05, 1, ALERTING, [
        ie(PROGRESS_IND, [0x82, 0x88]),
        ie(SIGNAL, [0x01]),
    ])),
    F(7420, "N", q931(0x05, 1, CONNECT, [
        date_time(24, 3, 14, 12, 1, 37),
        display("Connected 0401234567"),
    ])),
    F(23, "U", q931(0x05, 0, CONNECT_ACK)),                # no elements after the message type
    # The other party puts the call on hold, then takes it back
    F(30510, "N", q931(0x05, 1, NOTIFY, [ie(NOTIFICATION, [0x80])])),
    F(12200, "N", q931(0x05, 1, NOTIFY, [ie(NOTIFICATION, [0x81])])),
    # The user parks the call: first with an identity already in use
    F(9320, "U", q931(0x05, 0, SUSPEND, [ie(CALL_IDENTITY, b"P1")])),
    F(37, "N", q931(0x05, 1, SUSPEND_REJ, [cause(2, 84)])),
    F(2140, "U", q931(0x05, 0, SUSPEND, [ie(CALL_IDENTITY, b"P2")])),
    F(35, "N", q931(0x05, 1, SUSPEND_ACK, [display("Call parked")])),
    # ... and takes it back on another call reference, after one wrong try
    F(24860, "U", q931(0x06, 0, RESUME, [ie(CALL_IDENTITY, b"P3")])),
    F(38, "N", q931(0x06, 1, RESUME_REJ, [cause(2, 83)])),
    F(1970, "U", q931(0x07, 0, RESUME, [ie(CALL_IDENTITY, b"P2")])),
    F(36, "N", q931(0x07, 1, RESUME_ACK, [ie(CHANNEL, [0x8A])])),
    F(120, "U", q931(0x07, 0, STATUS_ENQ)),
    F(29, "N", q931(0x07, 1, STATUS, [cause(2, 30), ie(CALL_STATE, [0x0A])])),
    # User-to-user text, then the network asks the user to hold back
    F(5410, "U", q931(0x07, 0, USER_INFO, [
        ie(MORE_DATA),
        ie(USER_USER, b"\x04Lunch at noon?"),
    ])),
    F(33, "N", q931(0x07, 1, CONGESTION, [ie(CONGESTED), cause(2, 42)])),
    F(4000, "N", q931(0x07, 1, CONGESTION, [ie(NOT_CONGESTED)])),
    F(12790, "U", q931(0x07, 0, DISCONNECT, [cause(0, 16)])),
    F(48, "N", q931(0x07, 1, RELEASE, [display("Charge 0.42 EUR")])),
    F(21, "U", q931(0x07, 0, RELEASE_COMP)),
]

# --- An incoming call forwarded from another number --------------------------
FORWARDED_CALL = [
    F(61320, "N", q931(0x21, 0, SETUP, [
        ie(SENDING_COMPLETE),
        ie(REPEAT_PRIORITIZED), AUDIO_3K1, SPEECH,
        ie(CHANNEL, [0x8A]),
        ie(NETWORK_FACILITIES, b"\x04\xA1" + b"0288" + b"\x41"),    # carrier 0288
        number(CALLING, [0x21, 0xA3], "891234567"),        # restricted
        number(CALLED, [0xC1], "4567"),                    # subscriber number
        ie(CALLED_SUB, [0x80, 0x50, 0x31, 0x32]),          # NSAP, IA5 "12"
        number(REDIRECTING, [0x21, 0x03, 0x8F], "301234999"),
    ])),
    F(210, "U", q931(0x21, 1, ALERTING, [ie(CHANNEL, [0x8A])])),
    F(3870, "U", q931(0x21, 1, CONNECT, [
        ie(LOW_LAYER, [0x90, 0x90, 0xA3]),
    ])),
    F(31, "N", q931(0x21, 0, CONNECT_ACK, [date_time(24, 3, 14, 13, 4)])),
    F(47210, "N", q931(0x21, 0, DISCONNECT, [
        cause(4, 16),
        ie(PROGRESS_IND, [0x82, 0x88]),
    ])),
    F(390, "U", q931(0x21, 1, RELEASE)),
    F(27, "N", q931(0x21, 0, RELEASE_COMP, [cause(2, 16)])),
]

# --- A packet-mode data call on the D channel ---------------------------------
PACKET_CALL = [
    F(34180, "U", q931(0x31, 0, SETUP, [
        DATA_PACKET,
        ie(CHANNEL, [0x8C]),                               # the D channel
        ie(INFO_RATE, [0x8A, 0x8A, 0x88, 0x88]),           # 9 600, at least 2 400
        ie(TRANSIT_DELAY, [0x00, 0x83, 0xF4]),             # 500 ms
        ie(TRANSIT_DELAY_SEL, [0x00, 0x81, 0xC8]),         # 200 ms
        ie(PACKET_BINARY, [0x81]),                         # modulo 128
        ie(WINDOW_SIZE, [0x87, 0x87]),
        ie(PACKET_SIZE, [0x88, 0x88]),                     # 256 octets
        ie(CUG, [0x81, 0x30, 0x34]),
        ie(REVERSE_CHARGING, [0x81]),
        number(CALLED, [0x83], "26245551234"),             # X.121 address
        ie(TRANSIT_NETWORK, b"\xA1" + b"0288"),                   # carrier 0288
        ie(USER_USER, b"\x02\x01\x00\x00\x00"),             # X.29 protocol id
    ])),
    F(88, "N", q931(0x31, 1, PROCEEDING, [ie(CHANNEL, [0x8C])])),
    F(615, "N", q931(0x31, 1, RELEASE_COMP, [
        cause(3, 69, b"\x4A"),                             # reverse charging not implemented
        display("Reverse charging not accepted"),
    ])),
]

# --- A primary-rate interface: restarts, multirate, segments ------------------
PRI_INTERFACE = [
    F(22050, "N", pri(0x0000, 0, RESTART, [
        ie(CHANNEL, [0xA9, 0x83, 0x85]),                   # B channel 5
        ie(RESTART_IND, [0x80]),
    ])),
    F(64, "U", pri(0x0000, 1, RESTART_ACK, [
        ie(CHANNEL, [0xA9, 0x83, 0x85]),
        ie(RESTART_IND, [0x80]),
    ])),
    # B channel 3 of the interface identified explicitly as interface 2
    F(860, "N", pri(0x0000, 0, RESTART, [
        ie(CHANNEL, [0xE9, 0x82, 0x83, 0x83]),
        ie(RESTART_IND, [0x80]),
    ])),
    F(58, "U", pri(0x0000, 1, RESTART_ACK, [
        ie(CHANNEL, [0xE9, 0x82, 0x83, 0x83]),
        ie(RESTART_IND, [0x80]),
    ])),
    F(1300, "U", pri(0x0000, 0, RESTART, [ie(RESTART_IND, [0x87])])),
    F(71, "N", pri(0x0000, 1, RESTART_ACK, [ie(RESTART_IND, [0x87])])),
    # A 2 x 64 kbit/s call on time slots 1 and 2, the channels as a slot map
    F(9240, "N", pri(0x0153, 0, SETUP, [
        DATA_2X64,
        ie(CHANNEL, [0xA9, 0x93, 0x03, 0x00, 0x00, 0x00]),
        number(CALLING, [0x91], "4930123456"),             # international, no octet 3a
        number(CALLED, [0x81], "5020"),
    ])),
    F(96, "U", pri(0x0153, 1, PROCEEDING, [
        ie(CHANNEL, [0xA9, 0x93, 0x03, 0x00, 0x00, 0x00]),
    ])),
    F(1410, "U", pri(0x0153, 1, CONNECT)),
    F(33, "N", pri(0x0153, 0, CONNECT_ACK)),
    # A SETUP too long for one frame, in two segments; the channel is on the
    # interface identified explicitly as interface 1
    F(5760, "N", pri(0x0154, 0, SEGMENT, [
        ie(SEGMENTED, [0x81, SETUP]),
        DATA_64K,
        ie(CHANNEL, [0xE9, 0x81, 0x83, 0x87]),
        number(CALLING, [0x21, 0x81], "301234567"),
    ])),
    F(9, "N", pri(0x0154, 0, SEGMENT, [
        ie(SEGMENTED, [0x00, SETUP]),
        number(CALLED, [0x81], "5021"),
        # Elements of the local network's codeset 6 after a locking shift:
        # named by codeset and identifier, their contents not decoded
        locking_shift(6),
        ie(0x7B, b"\x01\x05"),
        ie(PROGRESS_IND, [0x81, 0x88]),
    ])),
    F(120, "U", pri(0x0154, 1, STATUS, [
        cause(0, 101),                                     # not compatible with call state
        ie(CALL_STATE, [0x00]),
        non_locking_shift(5),
        display("SEG?"),
    ])),
    F(38, "N", pri(0x0154, 0, RELEASE_COMP, [cause(2, 111)])),
    F(71270, "U", pri(0x0153, 1, DISCONNECT, [cause(0, 16, recommendation=0)])),  # with octet 3a
    F(51, "N", pri(0x0153, 0, RELEASE)),
    F(19, "U", pri(0x0153, 1, RELEASE_COMP)),
]

FRAMES = BASIC_CALL + FORWARDED_CALL + PACKET_CALL + PRI_INTERFACE

# Message types and elements of Q.931 (1998), Q.932 and Q.933 that the
# decoder names only with --extended
HOLD, HOLD_ACK, HOLD_REJ, RETRIEVE, RETRIEVE_ACK, RETRIEVE_REJ = 0x24, 0x28, 0x30, 0x31, 0x33, 0x37
FACILITY_MSG, REGISTER = 0x62, 0x64
EXTENDED_FACILITY, FACILITY, ENDPOINT_ID = 0x0D, 0x1C, 0x3B
CONNECTED, CONNECTED_SUB = 0x4C, 0x4D
REPORT_TYPE, LINK_INTEGRITY, PVC_STATUS = 0x51, 0x53, 0x57

ROSE = 0x91                       # facility octet 3: ext 1, profile 10001 (remote operations)


def invoke(invoke_id, operation, argument=b""):
    """A remote operations invoke component: invoke id and operation value
    as ASN.1 integers, then the argument's octets."""
    body = bytes([0x02, 0x01, invoke_id, 0x02, 0x01, operation]) + bytes(argument)
    return bytes([0xA1, len(body)]) + body


def return_result(invoke_id):
    return bytes([0xA2, 0x03, 0x02, 0x01, invoke_id])


def q933(msgtype, ies=()):
    """Q.933 link management on DLCI 0: discriminator 0x08, the dummy call
    reference (length 0), message type, elements."""
    return bytes([0x08, 0x00, msgtype]) + b"".join(ies)


def pvc(dlci, new=False, delete=False, active=True):
    """PVC status of a two-octet DLCI: octet 3 its high six bits, octet 4
    its low four (ext 1), octet 5 the new, delete and active bits."""
    status = 0x80 | (0x08 if new else 0) | (0x04 if delete else 0) | (0x02 if active else 0)
    return ie(PVC_STATUS, [dlci >> 4 & 0x3F, 0x80 | (dlci & 0x0F) << 3, status])


# A basic-rate call with the supplementary services of Q.932: the connected
# number and subaddress, hold and retrieve (each rejected once), advice of
# charge asked for in a FACILITY, notifications, and a call-independent
# REGISTER for call diversion. Then the link integrity and PVC status
# polling of a frame relay link on DLCI 0 (Q.933), the messages alone.
SUPPLEMENTARY_CALL = [
    F(0, "U", q931(0x11, 0, SETUP, [
        ie(SENDING_COMPLETE), SPEECH, ie(CHANNEL, [0x83]),
        number(CALLED, [0x81], "0301234"),
    ])),
    F(58, "N", q931(0x11, 1, PROCEEDING, [ie(CHANNEL, [0x89])])),
    F(1320, "N", q931(0x11, 1, ALERTING)),
    F(6210, "N", q931(0x11, 1, CONNECT, [
        number(CONNECTED, [0x21, 0x83], "301234"),         # national, octet 3a: network provided
        ie(CONNECTED_SUB, [0x80, 0x50, 0x31, 0x32]),       # NSAP, even
    ])),
    F(24, "U", q931(0x11, 0, CONNECT_ACK)),
    F(8400, "U", q931(0x11, 0, HOLD)),
    F(41, "N", q931(0x11, 1, HOLD_REJ, [cause(2, 50)])),   # requested facility not subscribed
    F(5200, "U", q931(0x11, 0, HOLD)),
    F(39, "N", q931(0x11, 1, HOLD_ACK)),
    F(20, "N", q931(0x11, 1, NOTIFY, [ie(NOTIFICATION, [0xF9])])),     # remote hold
    F(14900, "U", q931(0x11, 0, RETRIEVE, [ie(CHANNEL, [0x8A])])),
    F(44, "N", q931(0x11, 1, RETRIEVE_REJ, [cause(2, 44)])),           # channel not available
    F(2100, "U", q931(0x11, 0, RETRIEVE, [ie(CHANNEL, [0x83])])),
    F(40, "N", q931(0x11, 1, RETRIEVE_ACK, [ie(CHANNEL, [0x89])])),
    F(18, "N", q931(0x11, 1, NOTIFY, [ie(NOTIFICATION, [0xFA])])),     # remote retrieval
    # Advice of charge asked for by operation 30, answered
    F(3300, "U", q931(0x11, 0, FACILITY_MSG, [ie(FACILITY, [ROSE] + list(invoke(1, 30, [0x0A, 0x01, 0x01])))])),
    F(52, "N", q931(0x11, 1, FACILITY_MSG, [ie(FACILITY, [ROSE] + list(return_result(1)))])),
    # A notification with its ASN.1 coded contents, a transfer, a conference
    F(9800, "N", q931(0x11, 1, NOTIFY, [ie(NOTIFICATION, [0x83, 0xA1, 0x03, 0x02, 0x01, 0x02])])),
    F(4400, "N", q931(0x11, 1, NOTIFY, [ie(NOTIFICATION, [0xE9])])),
    F(2600, "N", q931(0x11, 1, NOTIFY, [ie(NOTIFICATION, [0xC2])])),
    F(1700, "N", q931(0x11, 1, INFORMATION, [
        ie(EXTENDED_FACILITY, [0x92, 0xA1, 0x03, 0x02, 0x01, 0x07]),  # CMIP profile
        ie(ENDPOINT_ID, [0x80, 0x81]),
    ])),
    F(30100, "U", q931(0x11, 0, DISCONNECT, [cause(0, 16)])),
    F(45, "N", q931(0x11, 1, RELEASE)),
    F(20, "U", q931(0x11, 0, RELEASE_COMP)),
    # Call diversion activated outside any call: REGISTER, answered in the
    # RELEASE COMPLETE that ends the call-independent signalling connection
    F(6400, "U", q931(0x12, 0, REGISTER, [ie(FACILITY, [ROSE] + list(invoke(5, 7, [0x0A, 0x01, 0x00])))])),
    F(61, "N", q931(0x12, 1, RELEASE_COMP, [ie(FACILITY, [ROSE] + list(return_result(5)))])),
]

LINK_MANAGEMENT = [
    F(10000, "U", q933(STATUS_ENQ, [ie(REPORT_TYPE, [0x01]), ie(LINK_INTEGRITY, [0x01, 0x00])])),
    F(12, "N", q933(STATUS, [ie(REPORT_TYPE, [0x01]), ie(LINK_INTEGRITY, [0x01, 0x01])])),
    F(9988, "U", q933(STATUS_ENQ, [ie(REPORT_TYPE, [0x00]), ie(LINK_INTEGRITY, [0x02, 0x01])])),
    F(14, "N", q933(STATUS, [
        ie(REPORT_TYPE, [0x00]), ie(LINK_INTEGRITY, [0x02, 0x02]),
        pvc(16), pvc(17, new=True), pvc(18, active=False),
    ])),
    F(4300, "N", q933(STATUS, [ie(REPORT_TYPE, [0x02]), pvc(18, delete=True, active=False)])),
]

EXTENDED_FRAMES = SUPPLEMENTARY_CALL + LINK_MANAGEMENT

# The traces make_samples.py writes: messages without a link layer, no FCS.
SAMPLES = {"q931.txt": (FRAMES, None), "q931-extended.txt": (EXTENDED_FRAMES, None)}
