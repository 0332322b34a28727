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
    puts("c_api_test: 2 passed, 0 failed");
    return 0;
}
