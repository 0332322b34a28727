#include "cli/frame_filter.h"

#include <cerrno>
#include <new>

#include "cli/options.h"

namespace korvex::cli {

namespace {

// A frame number: decimal digits, 1 or more.
bool ReadNumber(const std::string& text, int64_t& value) {
    if (text.empty() || text.size() > 15) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1;
}

}  // namespace

void FrameFilter::AddTo(CLI::App& app) {
    whereOption_ = app.add_option("--where", where_,
                   "show only the frames EXPR selects: fields (sapi, tei, cr, type, frame, ns, nr, pf, dlci, "
                   "lcn, packet, msg, callref, cause, called, calling, dir, len, src, dst, sport, dport, "
                   "ipproto, ethertype) compared with == != < > <= >= or in {a, b}, joined by and, or, not "
                   "and parentheses")
        ->type_name("EXPR");
    app.add_option("--frames", frames_, "show only frames A to B (numbered from 1; A- or -B leave an end open)")
        ->type_name("A-B");
}

void FrameFilter::Resolve() {
    if (whereOption_ != nullptr && whereOption_->count() > 0) {
        KorvexSelection* s = nullptr;
        int32_t offset = 0;
        char message[160];
        const int rc = KorvexSelectionCompile(where_.c_str(), &s, &offset, message, sizeof message);
        if (rc == ENOMEM) throw std::bad_alloc();
        if (rc != 0) {
            throw UsageError("--where: " + std::string(message) + " at column " + std::to_string(offset + 1) +
                             "\n  " + where_ + "\n  " + std::string(static_cast<std::size_t>(offset), ' ') + "^");
        }
        selection_.reset(s);
    }
    if (!frames_.empty()) {
        const std::size_t dash = frames_.find('-');
        const std::string a = frames_.substr(0, dash);
        const std::string b = dash == std::string::npos ? a : frames_.substr(dash + 1);
        const bool ok = (a.empty() || ReadNumber(a, first_)) && (b.empty() || ReadNumber(b, last_)) &&
                        !(a.empty() && b.empty()) && (last_ < 0 || first_ <= last_);
        if (!ok) throw UsageError("--frames " + frames_ + ": give A-B, A- or -B with frame numbers 1 and up, A <= B");
    }
}


}  // namespace korvex::cli
