// Call tracking: the messages of a trace grouped into calls, one record per
// call. The tracker keeps the calls that are open and the records that wait
// to be taken, both in fixed arrays made once: its memory does not grow with
// the trace.
#pragma once

#include <array>
#include <cstdint>

#include "korvex/korvex.h"

namespace korvex {

class CallTracker {
public:
    // Calls open at once; one more evicts the one idle longest.
    static constexpr int kMaxOpen = 512;
    // Records waiting to be taken: every open call can end on one frame (a
    // restart), with room for the one a frame opens.
    static constexpr int kMaxWaiting = kMaxOpen + 4;

    explicit CallTracker(int32_t input) : input_(input) {}

    int32_t Frame(const char* timestamp, char direction, const unsigned char* octets, int32_t length);
    void Finish();
    bool Next(KorvexCallRecord& record);

private:
    // One call being followed.
    struct Open {
        KorvexCallRecord record;
        int32_t key;       // call reference value, or the logical channel
        int8_t origin;     // Q.931: the side that allocated the call reference (-1 unknown)
        bool setupOnly;    // nothing but its opening message so far
        bool cleared;      // a clearing message was seen
        int64_t answerAt;  // time of the answer, -1
        int64_t clearAt;   // time of the first clearing message
    };

    // Milliseconds of a timestamp from the trace's first hour.
    int64_t TimeOf(const char* timestamp);
    int32_t Q931(const unsigned char* octets, int32_t length, int side, int32_t link, bool broadcast);
    int32_t X25(const unsigned char* octets, int32_t length, int side, int32_t link);
    Open& Start(int32_t protocol, int32_t key, int32_t link, int side, bool begun);
    void End(int index, bool ended, const char* how);
    void Store(const KorvexCallRecord& record);

    int32_t input_;
    int64_t now_ = 0;       // time of the current frame
    int64_t hourBase_ = 0;  // whole hours passed, in ms
    int64_t lastInHour_ = -1;
    int32_t nextNumber_ = 1;
    int openCount_ = 0;
    std::array<Open, kMaxOpen> open_{};
    std::array<KorvexCallRecord, kMaxWaiting> waiting_{};
    int waitingFirst_ = 0;
    int waitingCount_ = 0;
};

}  // namespace korvex
