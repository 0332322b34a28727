// --where EXPR and --frames A-B: which frames a command shows. Frames are
// numbered from 1 as they come, selected or not, so that a frame number
// means the same in every view of a trace.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "korvex/korvex.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

struct SelectionDeleter {
    void operator()(KorvexSelection* s) const { KorvexSelectionFree(s); }
};

class FrameFilter {
public:
    // Adds --where and --frames to a command.
    void AddTo(CLI::App& app);
    // Compiles the options; throws UsageError for a malformed expression
    // (showing where it went wrong) or range.
    void Resolve();
    // The kind of the frames (a protocol name, or "eth+ip").
    void SetProtocol(const std::string& protocol) {
        protocol_ = protocol;
        if (selection_ != nullptr) KorvexSelectionSetProtocol(selection_.get(), protocol.c_str());
    }
    const std::string& Protocol() const { return protocol_; }
    // The options as given: the --where expression and the --frames range
    // (empty when not given).
    const std::string& Expression() const { return where_; }
    const std::string& Range() const { return frames_; }

    // A further test a frame must pass, asked after the range and before
    // the expression (a capture filter's verdict).
    void Also(std::function<bool()> test) { also_ = std::move(test); }

    bool Active() const { return selection_ != nullptr || first_ > 1 || last_ >= 0 || also_ != nullptr; }
    // How many leading octets of a frame Take looks at (0: all of them).
    int32_t LeadingOctets() const {
        return selection_ != nullptr ? KorvexSelectionLeadingOctets(selection_.get()) : 0;
    }
    // Counts the frame and says whether it is selected; it looks only at
    // the octets LeadingOctets says.
    bool Take(const TraceFrame& frame) {
        ++number_;
        if (number_ < first_ || (last_ >= 0 && number_ > last_)) return false;
        if (also_ != nullptr && !also_()) return false;
        return selection_ == nullptr || Matches(frame);
    }
    // Take as a trace reader's sieve (context: the filter).
    static TraceReader::Verdict Sift(void* filter, const TraceFrame& frame) {
        auto* self = static_cast<FrameFilter*>(filter);
        if (self->Take(frame)) return TraceReader::Verdict::Take;
        return self->Done() ? TraceReader::Verdict::Stop : TraceReader::Verdict::PassOver;
    }
    // The number of the frame Take saw last.
    int64_t Number() const { return number_; }
    // True when Take's verdict on a frame rests on the expression alone
    // (no range, no further test): then parts of a trace may be sifted
    // apart, by Matches, and their frames counted in with CountAlso.
    bool MatchesAlone() const { return selection_ != nullptr && first_ == 1 && last_ < 0 && also_ == nullptr; }
    // The expression's verdict on a frame, the frame not counted; it may be
    // asked on several threads at once.
    bool Matches(const TraceFrame& frame) const {
        return KorvexSelectionMatchFrame(selection_.get(), frame.direction, frame.bytes, frame.length) != 0;
    }
    // Counts frames that were sifted apart (by Matches) as seen.
    void CountAlso(int64_t frames) { number_ += frames; }
    // True when no frame after the current one can be selected.
    bool Done() const { return last_ >= 0 && number_ >= last_; }

private:
    std::string where_;
    CLI::Option* whereOption_ = nullptr;
    std::string frames_;
    std::string protocol_;
    std::unique_ptr<KorvexSelection, SelectionDeleter> selection_;
    int64_t first_ = 1;
    int64_t last_ = -1;  // -1: to the end
    int64_t number_ = 0;
    std::function<bool()> also_;
};

}  // namespace korvex::cli
