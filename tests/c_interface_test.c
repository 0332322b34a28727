/* A C program that uses the library through its public header alone: a
 * decoder, the protocol lookup and the hex trace reader. It runs against
 * the static library of the build tree and, from tests/install_test.sh,
 * against an installed tree (found through CMake and through pkg-config).
 *
 * Usage: c_interface_test [SAMPLE_TRACE_FILE]   (its frames are decoded) */
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "korvex/korvex.h"

static int passed;
static int failed;

static void check(int ok, const char *what) {
    if (ok) {
        ++passed;
    } else {
        ++failed;
        fprintf(stderr, "FAILED: %s\n", what);
    }
}

static int32_t decode_into(KorvexDecoder decoder, const unsigned char *frame, int32_t length,
                           char *out, int32_t capacity) {
    DecodeRequest request;
    request.flags = DECODE_SUMMARY;
    request.timestamp = "10:00.000";
    request.frame = frame;
    request.out = out;
    request.length = length;
    request.capacity = capacity;
    return decoder(request);
}

static void test_decoder(void) {
    static const unsigned char frame[] = {0x02, 0x81, 0x01, 0x07, 0x1a, 0x2b};
    static const char expected[] =
        "10:00.000  SAPI 000 TEI 064  CR 1  S   NS ---  NR 003  P/F 1  RR     FCS 1a2b\n";
    char out[256];
    int32_t n = decode_into(DecodeLapd, frame, (int32_t)sizeof frame, out, (int32_t)sizeof out);
    check(n == (int32_t)strlen(expected) && strcmp(out, expected) == 0, "DecodeLapd summary text");
}

static void test_protocols(void) {
    /* Long enough for the fixed header of every protocol. */
    static const unsigned char frame[64] = {0x02, 0x81, 0x01, 0x07, 0x1a, 0x2b, 0x45, 0x00};
    static const struct {
        const char *name;
        KorvexDecoder decoder;
    } known[] = {{"lapd", DecodeLapd}, {"lapf", DecodeLapf}, {"LAPD", DecodeLapd}, {"LapF", DecodeLapf},
                 {"q921", DecodeLapd}, {"Q922", DecodeLapf}};
    static const char *unknown[] = {"", "lapd ", "q9210", "q.921", "lap", "x"};
    char out[4096];
    int32_t i;
    size_t k;

    for (k = 0; k < sizeof known / sizeof known[0]; ++k) {
        check(KorvexFindDecoder(known[k].name) == known[k].decoder, known[k].name);
    }
    for (k = 0; k < sizeof unknown / sizeof unknown[0]; ++k) {
        check(KorvexFindDecoder(unknown[k]) == NULL, "an unknown name finds no decoder");
    }
    check(KorvexFindDecoder(NULL) == NULL, "a null name finds no decoder");
    check(KorvexProtocolName(-1) == NULL, "no protocol before the first");

    /* Every protocol the library names is found by its name and writes a
     * text that starts with the timestamp and ends with a line end. */
    for (i = 0; KorvexProtocolName(i) != NULL; ++i) {
        const char *name = KorvexProtocolName(i);
        KorvexDecoder decoder = KorvexFindDecoder(name);
        int32_t n;
        check(decoder != NULL, name);
        if (decoder == NULL) continue;
        n = decode_into(decoder, frame, (int32_t)sizeof frame, out, (int32_t)sizeof out);
        check(n > 10 && n < (int32_t)sizeof out - 1 && out[n] == '\0' && out[n - 1] == '\n' &&
                  strncmp(out, "10:00.000", 9) == 0,
              name);
    }
    check(i >= 2, "the library names lapd and lapf at least");
}

#define FRAME_TEXT(stamp, length, direction, data)                          \
    "Frame                   " stamp "\n"                                  \
    "Length: " length "          " direction "\n"                           \
    "Offset  Data\n"                                                       \
    "0000: " data "\n"                                                     \
    "\n"

static void test_trace_buffer(void) {
    static const struct {
        const char *what;
        const char *text;
        int frames;
        const char *timestamp; /* of the first frame */
        char direction;
        int32_t length;
        unsigned char first;
        int64_t line;
    } cases[] = {
        {"one frame", FRAME_TEXT("12:01.250", "3", "U", "02 01 7F  ..."), 1, "12:01.250", 'U', 3, 0x02, 5},
        {"two frames", FRAME_TEXT("12:01.250", "2", "N", "0A0B") FRAME_TEXT("12:01.300", "1", "U", "FF"),
         2, "12:01.250", 'N', 2, 0x0a, 5},
        {"a frame that declares no octets is passed over",
         FRAME_TEXT("12:00.000", "0", "U", "01") FRAME_TEXT("12:00.001", "1", "N", "02"),
         1, "12:00.001", 'N', 1, 0x02, 10},
        {"empty text", "", 0, "", 0, 0, 0, 0},
    };
    size_t k;
    for (k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
        KorvexTraceReader *reader = NULL;
        KorvexTraceFrame frame;
        int count = 0;
        int status;
        int rc = KorvexTraceOpenBuffer(cases[k].text, strlen(cases[k].text), &reader);
        check(rc == 0 && reader != NULL, cases[k].what);
        if (reader == NULL) continue;
        while ((status = KorvexTraceNext(reader, &frame)) == 1) {
            if (count == 0) {
                check(strcmp(frame.timestamp, cases[k].timestamp) == 0 &&
                          frame.direction == cases[k].direction && frame.length == cases[k].length &&
                          frame.bytes[0] == cases[k].first && frame.line == cases[k].line,
                      cases[k].what);
            }
            ++count;
        }
        check(status == 0 && count == cases[k].frames, cases[k].what);
        check(KorvexTraceNext(reader, &frame) == 0, "the end stays the end");
        KorvexTraceClose(reader);
    }
}

static void test_trace_errors(void) {
    static const struct {
        const char *what;
        const char *path;
        int error;
    } cases[] = {
        {"missing file", "/nonexistent-korvex-dir/trace.txt", ENOENT},
        {"a directory", ".", EISDIR},
        {"null path", NULL, EINVAL},
    };
    KorvexTraceReader *reader = (KorvexTraceReader *)&passed; /* must be reset to NULL */
    KorvexTraceFrame frame;
    size_t k;
    for (k = 0; k < sizeof cases / sizeof cases[0]; ++k) {
        int rc = KorvexTraceOpenFile(cases[k].path, &reader);
        check(rc == cases[k].error && reader == NULL, cases[k].what);
    }
    check(KorvexTraceOpenFile("x", NULL) == EINVAL, "open without a place for the reader");
    check(KorvexTraceOpenBuffer(NULL, 1, &reader) == EINVAL && reader == NULL, "null text");
    check(KorvexTraceOpenBuffer(NULL, 0, &reader) == 0 && KorvexTraceNext(reader, &frame) == 0,
          "null text of no characters is an empty trace");
    check(KorvexTraceNext(reader, NULL) == -EINVAL, "next without a frame");
    KorvexTraceClose(reader);
    check(KorvexTraceNext(NULL, &frame) == -EINVAL, "next without a reader");
    KorvexTraceClose(NULL);
}

static void test_trace_file(const char *path) {
    KorvexTraceReader *reader = NULL;
    KorvexTraceFrame frame;
    int frames = 0;
    int status;
    check(KorvexTraceOpenFile(path, &reader) == 0 && reader != NULL, path);
    if (reader == NULL) return;
    while ((status = KorvexTraceNext(reader, &frame)) == 1) {
        char out[4096];
        int32_t n = decode_into(DecodeLapd, frame.bytes, frame.length, out, (int32_t)sizeof out);
        if (n <= 0 || out[n - 1] != '\n') break;
        ++frames;
    }
    check(status == 0 && frames > 0, "every frame of the sample file decodes");
    KorvexTraceClose(reader);
}

int main(int argc, char **argv) {
    test_decoder();
    test_protocols();
    test_trace_buffer();
    test_trace_errors();
    if (argc > 1) test_trace_file(argv[1]);
    printf("c_interface_test: %d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
