/*
 * Korvex protocol-decoding library: public C interface.
 *
 * Every decoder entry point takes one DecodeRequest by value and writes the
 * trace text of one raw frame into the caller's buffer `out`, followed by a
 * NUL. It returns the number of characters written (the index of the NUL).
 *
 * The text never exceeds the buffer: at most `capacity` - 1 characters are
 * written, then the NUL. When the full text does not fit it is cut there and
 * the cut count is returned; whenever it fits it is the complete text. A
 * capacity of 0 or below writes nothing at all and returns 0. A count of
 * `capacity` - 1 or more may be a cut text; the same frame decoded again
 * with more room gives the whole text, as a frame's text never depends on
 * the frames decoded before it.
 *
 * No decoder reads outside frame[0 .. length), whatever the frame holds.
 */
#ifndef KORVEX_KORVEX_H
#define KORVEX_KORVEX_H

#ifdef __cplusplus
#include <cstddef>
#include <cstdint>
extern "C" {
#else
#include <stddef.h>
#include <stdint.h>
#endif

/* Marks the entry points the library exports (the shared library hides
 * everything else). */
#if defined(_WIN32)
#define KORVEX_API
#else
#define KORVEX_API __attribute__((visibility("default")))
#endif

/* Decode flag bits of DecodeRequest.flags. */
#define DECODE_SUMMARY  0x01u /* summary line only (the summary is always written) */
#define DECODE_DETAIL   0x02u /* add the detail block of labelled field lines */
#define DECODE_HEX      0x04u /* add the hex trace of the whole frame */
#define DECODE_LAYER3   0x08u /* decode the layer-3 message inside LAPD/LAPF I frames */
#define DECODE_EXTENDED 0x10u /* add the readings beyond the classic text (without it the text is unchanged) */
#define DECODE_EMBEDDED 0x40u /* set by the link decoder for a packet decoded inside its text */
#define DECODE_LAPF     0x80u /* run the LAPD decoder in its LAPF (Q.922) variant */

typedef struct DecodeRequest {
    uint32_t flags;             /* DECODE_* bits */
    const char *timestamp;      /* written unchanged at the start of the text */
    const unsigned char *frame; /* first octet of the raw frame */
    char *out;                  /* the caller's output buffer */
    int32_t length;             /* number of frame octets */
    int32_t capacity;           /* size of `out` in characters */
} DecodeRequest;

/* The shape of every decoder entry point below. */
typedef int32_t (*KorvexDecoder)(DecodeRequest request);

/* ---- Protocols by name ---------------------------------------------------
 * Each decoder of the library has a short name: "lapd", "lapf", and one for
 * each further decoder built in. */

/* The decoder of a protocol name, or NULL for a name the library does not
 * know. Names are matched without regard to the case of ASCII letters, and
 * "q921", "q922", "ethernet" and "ipv4" stand for "lapd", "lapf", "eth" and
 * "ip". */
KORVEX_API KorvexDecoder KorvexFindDecoder(const char *name);

/* The name of protocol number index, counted from 0; NULL when index is
 * negative or past the last. Names stay valid for the life of the process. */
KORVEX_API const char *KorvexProtocolName(int32_t index);

/* ---- Hex trace reader ----------------------------------------------------
 * Reads hex trace text (the format of the files in samples/) frame by frame.
 * A reader is used by one thread at a time; readers are independent. */

typedef struct KorvexTraceReader KorvexTraceReader;

typedef struct KorvexTraceFrame {
    char timestamp[12];          /* at most 9 characters, NUL-terminated */
    char direction;              /* direction tag: column 20 of the length line */
    int32_t length;              /* octets to decode, 1 to 96 */
    const unsigned char *bytes;  /* valid until the next call on the reader */
    int64_t line;                /* line number of the empty line ending the frame */
} KorvexTraceFrame;

/* Opens the file at path. Returns 0 and stores a new reader in *reader, or
 * returns the errno value of the failure (ENOENT, EACCES, EISDIR, ENOMEM,
 * EINVAL for a null argument, ...) and stores NULL. */
KORVEX_API int KorvexTraceOpenFile(const char *path, KorvexTraceReader **reader);

/* A reader over size characters of text, copied: the caller may free text
 * at once. Returns 0, or ENOMEM or EINVAL as KorvexTraceOpenFile. */
KORVEX_API int KorvexTraceOpenBuffer(const char *text, size_t size, KorvexTraceReader **reader);

/* Stores the next frame in *frame and returns 1; returns 0 at the end of the
 * text, and the negated errno value (EIO when none is known) when the file
 * could not be read. Frames that declare no octets, or hold none, are passed
 * over. */
KORVEX_API int KorvexTraceNext(KorvexTraceReader *reader, KorvexTraceFrame *frame);

/* Frees the reader and closes its file; NULL is allowed. */
KORVEX_API void KorvexTraceClose(KorvexTraceReader *reader);

/* ---- Decoder entry points ------------------------------------------------ */

/* LAPD (Q.921) frame: address, control, information field, 2-octet FCS. */
KORVEX_API int32_t DecodeLapd(DecodeRequest request);

/* LAPF (Q.922) frame: as DecodeLapd with DECODE_LAPF added to the flags. */
KORVEX_API int32_t DecodeLapf(DecodeRequest request);

/* X.25 packet (packet layer: general format identifier first). With
 * DECODE_EMBEDDED it writes no timestamp (which may then be null), no
 * summary line and no closing line ends: only the detail block and the hex
 * trace, for a caller that places them inside its own text. */
KORVEX_API int32_t DecodeX25(DecodeRequest request);

/* Ethernet / IEEE 802.3 frame from the destination address on (no
 * preamble): addresses, type/length field and its name, data field. */
KORVEX_API int32_t DecodeEthernet(DecodeRequest request);

/* IPv4 datagram from the first octet of its header: the header fields, and
 * the ICMP, TCP or UDP header behind the 20-octet fixed header. */
KORVEX_API int32_t DecodeIp(DecodeRequest request);

/* IPv6 datagram from the first octet of its header: the fixed header's
 * fields, its extension headers named and stepped over, and the TCP, UDP or
 * ICMPv6 header where they end. Decodes alike with and without
 * DECODE_EXTENDED. */
KORVEX_API int32_t DecodeIpv6(DecodeRequest request);

/* Q.931 call control message: protocol discriminator, call reference,
 * message type, information elements (no link-layer header in front). */
KORVEX_API int32_t DecodeQ931(DecodeRequest request);

/* ---- Structured decoding -------------------------------------------------
 * The fields of one frame as plain values, for programs that follow calls
 * rather than read text. Each parser fills the caller's struct (all of it,
 * nothing allocated) and reads nothing outside octets[0 .. length). Fields a
 * frame does not hold are -1 (numbers) or empty (texts); names are those of
 * the text decoders, without their padding, and "" where a value has none.
 * A field that is cut short is left as far as its octets go, and the struct's
 * `truncated` is set. */

/* Link-layer keys of a LAPD (Q.921) or LAPF (Q.922) frame whose last two
 * octets are its FCS. */
typedef struct KorvexLinkKeys {
    int32_t lapf;            /* 1: read as LAPF (DLCI), 0: as LAPD (SAPI, TEI) */
    int32_t sapi;            /* LAPD */
    int32_t tei;             /* LAPD */
    int32_t cr;              /* C/R bit */
    int32_t dlci;            /* LAPF: 10, 16 or 23 bits */
    int32_t address_octets;  /* 2 in LAPD; 2, 3 or 4 in LAPF */
    int32_t frame_type;      /* 0 I, 1 S, 2 U frame */
    int32_t frame_key;       /* 0xFF for an I frame, the control octet of an S frame, a U frame's with P/F set */
    char frame_name[8];      /* "INFO", "RR", "UI", "SABME", ... ("" for a control field without one) */
    int32_t ns;              /* N(S) of an I frame */
    int32_t nr;              /* N(R) of an I or S frame */
    int32_t pf;              /* P/F bit */
    int32_t info_offset;     /* first octet of the information field, -1 without one */
    int32_t info_length;     /* its octets, up to the FCS (0 without one) */
    int32_t truncated;
} KorvexLinkKeys;

/* Fills *keys from a frame read as LAPF when lapf is non-zero, else as LAPD.
 * Returns 1 when the address and control fields are whole, else 0. */
KORVEX_API int KorvexParseLink(const unsigned char *octets, int32_t length, int lapf,
                               KorvexLinkKeys *keys);

/* A called, calling or connected party number. */
typedef struct KorvexPartyNumber {
    int32_t present;         /* 1 when the message holds the element */
    int32_t type_of_number;  /* octet 3 bits 7-5 */
    int32_t numbering_plan;  /* octet 3 bits 4-1 */
    int32_t presentation;    /* octet 3a bits 7-6, -1 without octet 3a */
    int32_t screening;       /* octet 3a bits 2-1, -1 without octet 3a */
    int32_t digit_count;     /* digits the element holds */
    char digits[33];         /* the first 32 of them (IA5; other octets as '?') */
} KorvexPartyNumber;

/* Channel identification. */
typedef struct KorvexChannelId {
    int32_t present;
    int32_t interface_type;  /* 0 basic, 1 other (primary rate) interface */
    int32_t interface_id;    /* explicitly identified interface, -1 implicit */
    int32_t exclusive;       /* 1 exclusive, 0 preferred */
    int32_t d_channel;       /* the D channel is meant */
    int32_t selection;       /* octet 3 bits 2-1: 0 none, 1 and 2 B1/B2 or as indicated, 3 any */
    int32_t by_map;          /* 1: slot map, 0: channel number */
    int32_t channel;         /* B channel number (basic: 1 or 2 from selection), -1 none or any */
    uint32_t slot_map;       /* slot map bits, time slot 1 in bit 0 (up to 32 slots) */
} KorvexChannelId;

/* Bearer capability. */
typedef struct KorvexBearer {
    int32_t present;
    int32_t coding_standard;
    int32_t transfer_capability;  /* octet 3 bits 5-1 */
    int32_t transfer_mode;        /* octet 4 bits 7-6: 0 circuit, 2 packet */
    int32_t transfer_rate;        /* octet 4 bits 5-1 */
    int32_t layer1_protocol;      /* octet 5 bits 5-1, -1 without octet 5 */
    const char *capability_name;
    const char *rate_name;
} KorvexBearer;

/* Cause. */
typedef struct KorvexCause {
    int32_t present;
    int32_t coding_standard;
    int32_t location;        /* octet 3 bits 4-1 */
    int32_t value;           /* octet 4 bits 7-1: the cause number */
    int32_t cause_class;     /* bits 7-5 of the value */
    const char *name;        /* of the value */
    const char *location_name;
    const char *class_name;
} KorvexCause;

/* An element the structured decoder does not read, by identifier. */
typedef struct KorvexQ931Element {
    int32_t codeset;         /* 0 to 7, by the shifts before it */
    int32_t identifier;
    int32_t length;          /* content octets (0 for a single-octet element) */
    int32_t offset;          /* of the identifier octet in the message */
} KorvexQ931Element;

#define KORVEX_Q931_MAX_OTHER 16

typedef struct KorvexQ931Message {
    int32_t protocol;              /* protocol discriminator (0x08 for Q.931) */
    int32_t call_ref_length;       /* octets of the call reference value */
    uint32_t call_ref;             /* without the flag */
    int32_t call_ref_flag;         /* 1: sent by the side that did not allocate it */
    int32_t message_type;
    const char *message_name;
    int32_t segmented_type;        /* segmented message: the type it carries, else -1 */
    int32_t first_segment;         /* segmented message: 1 for the first segment */
    int32_t sending_complete;
    KorvexPartyNumber called;
    KorvexPartyNumber calling;
    KorvexPartyNumber connected;
    KorvexChannelId channel;
    KorvexBearer bearer;
    KorvexCause cause;
    int32_t progress_location;     /* -1 without a progress indicator */
    int32_t progress_description;
    const char *progress_name;
    char display[83];              /* display text (a leading display type octet left out) */
    int32_t other_count;           /* elements not read above, all of them */
    KorvexQ931Element other[KORVEX_Q931_MAX_OTHER];  /* the first ones */
    int32_t truncated;
} KorvexQ931Message;

/* Fills *message from a Q.931 message (protocol discriminator first). Only
 * elements of codeset 0 are read; the first of each kind counts. Returns 1
 * when the header up to the message type is whole, else 0. */
KORVEX_API int KorvexParseQ931(const unsigned char *octets, int32_t length,
                               KorvexQ931Message *message);

#define KORVEX_X25_MAX_FACILITIES 16

typedef struct KorvexX25Packet {
    int32_t gfi;
    int32_t q_bit;
    int32_t d_bit;
    int32_t modulo;               /* 8 or 128 (32768 read as 128), 0 for a reserved GFI */
    int32_t channel;              /* logical channel: group number x 256 + channel number */
    int32_t type;                 /* packet type key: 0 data; 0x01, 0x05, 0x09 RR, RNR, REJ; else octet 2 */
    char type_name[16];           /* "CALL", "DATA", "CLEAR CNF", ... */
    int32_t ps;                   /* data packets */
    int32_t pr;                   /* data, RR, RNR, REJ */
    int32_t m_bit;                /* data packets */
    char called[16];              /* call request and call accepted */
    char calling[16];
    int32_t facility_length;      /* -1 without a facility field */
    int32_t facility_count;
    int32_t facilities[KORVEX_X25_MAX_FACILITIES];  /* facility codes, in order */
    int32_t cause;                /* clear, reset and restart packets */
    int32_t diagnostic;
    const char *cause_name;
    const char *diagnostic_name;
    int32_t user_data_length;     /* data, interrupt, call and clear packets */
    int32_t truncated;
} KorvexX25Packet;

/* Fills *packet from an X.25 packet (general format identifier first).
 * Returns 1 when the three header octets are there, else 0. */
KORVEX_API int KorvexParseX25(const unsigned char *octets, int32_t length, KorvexX25Packet *packet);

/* ---- Call records --------------------------------------------------------
 * Follows the calls of a trace frame by frame and gives one record per call.
 * Q.931 messages (in LAPD I and UI frames on SAPI 0, or bare) are grouped by
 * call reference and the side that allocated it, a SETUP opening a call and
 * RELEASE COMPLETE ending it; X.25 virtual calls (in LAPD I frames on SAPI
 * 16, LAPF I frames, or bare) by link and logical channel, from CALL REQUEST
 * or INCOMING CALL to CLEAR CONFIRMATION or a restart. Only open calls are
 * kept: memory stays flat whatever the length of the trace. */

/* What the frames handed to a tracker are. */
#define KORVEX_CALLS_LAPD 1  /* LAPD frames with their FCS */
#define KORVEX_CALLS_LAPF 2  /* LAPF frames with their FCS */
#define KORVEX_CALLS_Q931 3  /* Q.931 messages */
#define KORVEX_CALLS_X25  4  /* X.25 packets */

typedef struct KorvexCallRecord {
    int32_t number;           /* 1, 2, ... in the order the calls were first seen */
    int32_t protocol;         /* KORVEX_CALLS_Q931 or KORVEX_CALLS_X25 */
    char first_time[12];      /* mm:ss.mmm of its first message */
    char last_time[12];       /* and of its last */
    int64_t first_ms;         /* the same in ms from the first hour of the trace */
    int64_t last_ms;
    int64_t alerting_ms;      /* from the first message to ALERTING, -1 without */
    int64_t answer_ms;        /* to CONNECT or CALL CONNECTED, -1 without */
    int64_t connected_ms;     /* from the answer to the first clearing message
                                 (or the last message), -1 when not answered */
    char direction;           /* who sent the SETUP or CALL REQUEST: 'U' user side (DTE),
                                 'N' network side (DCE), '?' unknown or not seen */
    char cleared_by;          /* who cleared first: 'U', 'N', '?', or 0 when nobody did */
    char calling[33];         /* calling party number or DTE address */
    char called[33];          /* called party number (with digits sent later) or DTE address */
    int32_t link;             /* TEI (LAPD) or DLCI (LAPF) of the call, -1 for bare messages */
    int32_t call_ref;         /* Q.931 call reference value, -1 for X.25 */
    int32_t logical_channel;  /* X.25 logical channel, -1 for Q.931 */
    char channel[24];         /* the B channel ("B1"), time slots ("TS1+2") with
                                 the interface ("if2 B3"), or the logical channel ("LCN 1") */
    int32_t bearer_capability;  /* Q.931 bearer capability of the SETUP, -1 */
    int32_t bearer_mode;
    int32_t bearer_rate;
    const char *bearer_name;  /* name of the transfer capability, "" */
    int32_t cause;            /* clearing cause (Q.931 cause value, X.25 clearing cause), -1 */
    int32_t diagnostic;       /* X.25 diagnostic code, -1 */
    const char *cause_name;   /* "" */
    int32_t messages;         /* messages or packets of the call */
    int32_t data_packets;     /* X.25 data packets among them */
    int32_t begun;            /* 0: its SETUP or CALL REQUEST is not in the trace */
    int32_t ended;            /* 0: it does not end in the trace */
    const char *end;          /* how it ended: "released", "cleared", "restart", "suspended",
                                 "rejected"; not ended: "open" (the trace ended first),
                                 "reused" (its call reference or channel opened another call),
                                 "evicted" (too many calls open at once) */
} KorvexCallRecord;

typedef struct KorvexCallTracker KorvexCallTracker;

/* A new tracker of frames of the kind input (KORVEX_CALLS_*). Returns 0 and
 * stores it in *tracker, or EINVAL (a null pointer or an unknown input) or
 * ENOMEM, storing NULL. */
KORVEX_API int KorvexCallsOpen(int32_t input, KorvexCallTracker **tracker);

/* Takes the next frame of the trace: its timestamp "mm:ss.mmm" (a time that
 * goes backwards is taken as the next hour; null or unreadable: the time of
 * the frame before), its direction ('U' sent by the user side or DTE, 'N' by
 * the network side or DCE, anything else unknown: LAPD and LAPF frames then
 * tell it by their C/R bit) and its octets. Returns the number of the call
 * the frame's message went to, or 0 when it carried none. Records of calls
 * that ended wait for KorvexCallsNext: take them after every frame. */
KORVEX_API int32_t KorvexCallsFrame(KorvexCallTracker *tracker, const char *timestamp, char direction,
                                    const unsigned char *frame, int32_t length);

/* Ends the trace: every call still open becomes a record marked not ended. */
KORVEX_API void KorvexCallsFinish(KorvexCallTracker *tracker);

/* Stores the next waiting record in *record and returns 1; 0 when none waits. */
KORVEX_API int KorvexCallsNext(KorvexCallTracker *tracker, KorvexCallRecord *record);

/* Frees the tracker; NULL is allowed. */
KORVEX_API void KorvexCallsClose(KorvexCallTracker *tracker);

/* The kind of frame a trace's first frame looks like (KORVEX_CALLS_*), or 0
 * when it looks like none: a frame that ends with its own FCS is a LAPD
 * frame on SAPI 0, 16 or 63, else a LAPF frame; else a Q.931 message by its
 * protocol discriminator, or an X.25 packet by its format and packet type. */
KORVEX_API int32_t KorvexCallsGuessInput(const unsigned char *frame, int32_t length);

/* ---- Frame fields and selection ------------------------------------------
 * The fields a frame is selected on, by name: link keys (LAPD, LAPF), the
 * X.25 packet and Q.931 message they carry, Ethernet and IPv4 headers. The
 * same fields and names serve the tool's --where, its JSON output and the
 * Python module. Nothing is allocated per frame. */

#define KORVEX_FIELD_COUNT 24

/* One field of a frame: a number, a name, or both (a Q.931 message has its
 * type and its name). Absent fields have present 0. */
typedef struct KorvexField {
    int32_t present;
    int32_t has_number;
    int64_t number;
    char text[34];           /* "" for a field that is only a number */
} KorvexField;

typedef struct KorvexFrameFields {
    KorvexField field[KORVEX_FIELD_COUNT];  /* in the order of KorvexFieldName */
} KorvexFrameFields;

/* The name of field index (0 .. KORVEX_FIELD_COUNT - 1: "sapi", "tei", "cr",
 * "type", "frame", "ns", "nr", "pf", "dlci", "lcn", "packet", "msg",
 * "callref", "cause", "called", "calling", "dir", "len", "src", "dst",
 * "sport", "dport", "ipproto", "ethertype"), NULL past the last. */
KORVEX_API const char *KorvexFieldName(int32_t index);

/* Fills *fields for a frame of protocol (a name KorvexFindDecoder takes;
 * "eth+ip" is an Ethernet frame whose IPv4 datagram counts too) sent in
 * direction ('U', 'N', or anything else for none). Returns 1, or 0 for an
 * unknown protocol (then only dir and len are filled). */
KORVEX_API int KorvexFrameFieldsOf(const char *protocol, char direction, const unsigned char *octets,
                                   int32_t length, KorvexFrameFields *fields);

typedef struct KorvexSelection KorvexSelection;

/* Compiles a selection expression: comparisons of fields with ==, !=, <, >,
 * <=, >=, "in {a, b}", joined by and, or, not and parentheses. Returns 0
 * and stores it in *selection; EINVAL for an expression that is not one,
 * with the offset of the fault in *error_offset and a message of at most
 * message_capacity - 1 characters in message (both may be null); ENOMEM. */
KORVEX_API int KorvexSelectionCompile(const char *expression, KorvexSelection **selection,
                                      int32_t *error_offset, char *message, size_t message_capacity);

/* 1 when the frame whose fields are given is selected, else 0. A
 * comparison with a field the frame does not have is false. */
KORVEX_API int KorvexSelectionMatch(const KorvexSelection *selection, const KorvexFrameFields *fields);

/* Tells a selection what its frames are (a protocol name as for
 * KorvexFrameFieldsOf) for KorvexSelectionMatchFrame. Returns 0, or EINVAL
 * for an unknown protocol or a null selection. */
KORVEX_API int KorvexSelectionSetProtocol(KorvexSelection *selection, const char *protocol);

/* 1 when the frame is selected, else 0: as KorvexFrameFieldsOf and then
 * KorvexSelectionMatch, but reading only the fields the expression names
 * (no Q.931 message is read for "tei == 64", and of a LAPD frame only the
 * address octets). */
KORVEX_API int KorvexSelectionMatchFrame(const KorvexSelection *selection, char direction,
                                         const unsigned char *octets, int32_t length);

/* How many leading octets of a frame KorvexSelectionMatchFrame looks at
 * (the verdict is the same for any frame of the same length and the same
 * first octets), or 0 when it may look at all of them. */
KORVEX_API int32_t KorvexSelectionLeadingOctets(const KorvexSelection *selection);

/* Frees a selection; NULL is allowed. */
KORVEX_API void KorvexSelectionFree(KorvexSelection *selection);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_KORVEX_H */
