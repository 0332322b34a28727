/* A C program that decodes a LAPD frame through the public header. */
#include <stdio.h>
#include <string.h>

#include "korvex/korvex.h"

int main(void) {
    static const unsigned char frame[] = {0x02, 0x81, 0x01, 0x07, 0x1a, 0x2b};
    static const char expected[] =
        "10:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n";
    char out[256];
    char small[11];
    DecodeRequest request;
    int32_t n;

    request.flags = DECODE_SUMMARY;
    request.timestamp = "10:00.000";
    request.frame = frame;
    request.out = out;
    request.length = (int32_t)sizeof frame;
    request.capacity = (int32_t)sizeof out;
    n = DecodeLapd(request);
    if (n != (int32_t)strlen(expected) || strcmp(out, expected) != 0) {
        fprintf(stderr, "DecodeLapd gave %d characters: \"%s\"\n", (int)n, out);
        return 1;
    }

    /* A buffer too small for the text gets its first capacity - 1 characters. */
    request.out = small;
    request.capacity = (int32_t)sizeof small;
    n = DecodeLapf(request);
    if (n != 10 || small[10] != '\0' || strncmp(small, expected, 10) != 0) {
        fprintf(stderr, "DecodeLapf into 11 characters gave %d: \"%s\"\n", (int)n, small);
        return 1;
    }
    /* The LAN decoders link from C as well. */
    {
        static const unsigned char eth[] = {0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0x00, 0x1b,
                                            0x21, 0x3a, 0x4c, 0x5d, 0x08, 0x06};
        static const char eth_text[] =
            "t  DST  ff ff ff ff ff ff   SRC  00 1b 21 3a 4c 5d   TYPE  0806\n";
        static const unsigned char ip[] = {0x45, 0x00, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x40, 0x11,
                                           0x00, 0x00, 0x0a, 0x00, 0x00, 0x01, 0x0a, 0x00, 0x00, 0x02};
        static const char ip_text[] =
            "t  IP v4  SRC IP 10.0.0.1         DST IP 10.0.0.2         PROT 11  ID 0001  Flgs 00  Len 20\n";
        request.timestamp = "t";
        request.out = out;
        request.capacity = (int32_t)sizeof out;
        request.frame = eth;
        request.length = (int32_t)sizeof eth;
        n = DecodeEthernet(request);
        if (n != (int32_t)strlen(eth_text) || strcmp(out, eth_text) != 0) {
            fprintf(stderr, "DecodeEthernet gave %d characters: \"%s\"\n", (int)n, out);
            return 1;
        }
        request.frame = ip;
        request.length = (int32_t)sizeof ip;
        n = DecodeIp(request);
        if (n != (int32_t)strlen(ip_text) || strcmp(out, ip_text) != 0) {
            fprintf(stderr, "DecodeIp gave %d characters: \"%s\"\n", (int)n, out);
            return 1;
        }
    }
    puts("c_api_test: 4 passed, 0 failed");
    return 0;
}
