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

/* Q.931 call control message: protocol discriminator, call reference,
 * message type, information elements (no link-layer header in front). */
KORVEX_API int32_t DecodeQ931(DecodeRequest request);

#ifdef __cplusplus
}
#endif

#endif /* KORVEX_KORVEX_H */
