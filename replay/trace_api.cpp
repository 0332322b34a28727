// The hex trace reader behind the library's C interface: an opaque handle
// that owns its text source and a TraceReader over it.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <sstream>
#include <string>

#include "korvex/korvex.h"
#include "replay/trace_file.h"
#include "replay/trace_reader.h"

struct KorvexTraceReader {
    explicit KorvexTraceReader(std::unique_ptr<std::istream> source)
        : stream(std::move(source)), reader(*stream) {}

    std::unique_ptr<std::istream> stream;
    korvex::TraceReader reader;
};

namespace {

// Nothing thrown inside may cross the C interface: allocation failures turn
// into ENOMEM, anything else into EIO.
template <typename Body>
int Guarded(Body body) {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return ENOMEM;
    } catch (...) {
        return EIO;
    }
}

}  // namespace

extern "C" int KorvexTraceOpenFile(const char* path, KorvexTraceReader** reader) {
    if (reader == nullptr) return EINVAL;
    *reader = nullptr;
    return Guarded([&] {
        auto file = std::make_unique<std::ifstream>();
        if (const int error = korvex::OpenTraceFile(path, *file); error != 0) return error;
        *reader = new KorvexTraceReader(std::move(file));
        return 0;
    });
}

extern "C" int KorvexTraceOpenBuffer(const char* text, size_t size, KorvexTraceReader** reader) {
    if (reader == nullptr) return EINVAL;
    *reader = nullptr;
    if (text == nullptr && size != 0) return EINVAL;
    return Guarded([&] {
        std::string copy = size == 0 ? std::string() : std::string(text, size);
        *reader = new KorvexTraceReader(std::make_unique<std::istringstream>(std::move(copy)));
        return 0;
    });
}

extern "C" int KorvexTraceNext(KorvexTraceReader* reader, KorvexTraceFrame* frame) {
    if (reader == nullptr || frame == nullptr) return -EINVAL;
    const int result = Guarded([&] {
        korvex::TraceFrame next;
        errno = 0;
        if (reader->reader.Next(next)) {
            std::memcpy(frame->timestamp, next.timestamp, sizeof frame->timestamp);
            frame->timestamp[sizeof frame->timestamp - 1] = '\0';
            frame->direction = next.direction;
            frame->length = next.length;
            frame->bytes = next.bytes;
            frame->line = next.endLine;
            return 1;
        }
        if (reader->stream->bad()) return -(errno != 0 ? errno : EIO);
        return 0;
    });
    // Guarded reports a failure as a positive errno value.
    return result > 1 ? -result : result;
}

extern "C" void KorvexTraceClose(KorvexTraceReader* reader) { delete reader; }
