/* A C program that decodes frames of every protocol through the public header. */
#include <stdio.h>
#include <string.h>

#include "korvex/korvex.h"

/* Decodes one frame into a buffer of ample size and compares the text.
 * Returns 0 when it is as expected, else 1 after saying what came out. */
static int expect_text(const char *name, int32_t (*decode)(DecodeRequest), const unsigned char *frame,
                       int32_t length, const char *expected) {
    char out[256];
    DecodeRequest request;
    int32_t n;

    request.flags = DECODE_SUMMARY;
    request.timestamp = "10:00.000";
    request.frame = frame;
    request.out = out;
    request.length = length;
    request.capacity = (int32_t)sizeof out;
    n = decode(request);
    if (n != (int32_t)strlen(expected) || strcmp(out, expected) != 0) {
        fprintf(stderr, "%s gave %d characters: \"%s\"\n", name, (int)n, out);
        return 1;
    }
    return 0;
}

int main(void) {
    static const unsigned char frame[] = {0x02, 0x81, 0x01, 0x07, 0x1a, 0x2b};
    static const char expected[] =
        "10:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n";
    static const unsigned char eth[] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00,
                                        0x1b, 0x21, 0x3a, 0x4c, 0x5d, 0x08, 0x06};
    static const unsigned char message[] = {0x08, 0x01, 0x85, 0x4d};
    static const unsigned char ip[] = {0x45, 0x00, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x40, 0x11,
                                       0x00, 0x00, 0x0a, 0x00, 0x00, 0x01, 0x0a, 0x00, 0x00, 0x02};
    char small[11];
    DecodeRequest request;
    int32_t n;

    if (expect_text("DecodeLapd", DecodeLapd, frame, (int32_t)sizeof frame, expected) ||
        expect_text("DecodeEthernet", DecodeEthernet, eth, (int32_t)sizeof eth,
                    "10:00.000  DST  ff ff ff ff ff ff   SRC  00 1b 21 3a 4c 5d   TYPE  0806\n") ||
        expect_text("DecodeQ931", DecodeQ931, message, (int32_t)sizeof message,
                    "10:00.000  Q.931     Call Ref  0x000085    RELEASE\n") ||
        expect_text("DecodeIp", DecodeIp, ip, (int32_t)sizeof ip,
                    "10:00.000  IP v4  SRC IP 10.0.0.1         DST IP 10.0.0.2         PROT 11  ID 0001"
                    "  Flgs 00  Len 20\n")) {
        return 1;
    }

    /* A buffer too small for the text gets its first capacity - 1 characters. */
    request.flags = DECODE_SUMMARY;
    request.timestamp = "10:00.000";
    request.frame = frame;
    request.length = (int32_t)sizeof frame;
    request.out = small;
    request.capacity = (int32_t)sizeof small;
    n = DecodeLapf(request);
    if (n != 10 || small[10] != '\0' || strncmp(small, expected, 10) != 0) {
        fprintf(stderr, "DecodeLapf into 11 characters gave %d: \"%s\"\n", (int)n, small);
        return 1;
    }

    /* An X.25 packet decoded embedded: no timestamp (null), no summary line,
     * no closing line end. */
    {
        static const unsigned char packet[] = {0x10, 0x05, 0x21};
        static const char lines[] =
            "\nX25: GFI    : 01\nX25: LGN    : 00\nX25: LCN    : 05\nX25: PTI    : RR             "
            "\nX25: Modulo : 8\nX25: A-Bit  : 0\nX25: D-Bit  : 0\nX25: P(R)   : 01";
        char out[256];
        request.flags = DECODE_DETAIL | DECODE_EMBEDDED;
        request.timestamp = NULL;
        request.frame = packet;
        request.out = out;
        request.length = (int32_t)sizeof packet;
        request.capacity = (int32_t)sizeof out;
        n = DecodeX25(request);
        if (n != (int32_t)strlen(lines) || strcmp(out, lines) != 0) {
            fprintf(stderr, "DecodeX25 embedded gave %d characters: \"%s\"\n", (int)n, out);
            return 1;
        }
    }
    puts("c_api_test: 6 passed, 0 failed");
    return 0;
}
