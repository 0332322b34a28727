#include "cli/parted_replay.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <functional>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace korvex::cli {

namespace {

std::optional<Parting> partingSet;

// Where the parts begin: offset 0, a line start behind an empty line near
// each k/parts of the text, and the text's size last. Fewer parts when
// the text has no empty line where one is looked for.
std::vector<std::size_t> Bounds(std::string_view text, unsigned parts) {
    std::vector<std::size_t> bounds = {0};
    for (unsigned k = 1; k < parts; ++k) {
        std::size_t at = std::max(text.size() / parts * k, bounds.back());
        std::size_t split = 0;
        while (split == 0) {
            at = text.find('\n', at);
            if (at == std::string_view::npos) break;
            if (at + 1 < text.size() && text[at + 1] == '\n') {
                split = at + 2;
            } else if (at + 2 < text.size() && text[at + 1] == '\r' && text[at + 2] == '\n') {
                split = at + 3;
            }
            ++at;
        }
        if (split == 0 || split >= text.size()) break;
        bounds.push_back(split);
    }
    bounds.push_back(text.size());
    return bounds;
}

// The pieces of the text from the start of part first on. Where a later
// part begins, they end if endsAt says so of that part, else go on.
class PartPieces final : public TextPieces {
public:
    PartPieces(const MappedFile& file, const std::vector<std::size_t>& bounds, std::size_t first,
               std::function<bool(std::size_t part)> endsAt)
        : file_(file), bounds_(bounds), at_(bounds[first]), part_(first), endsAt_(std::move(endsAt)) {}

    std::string_view Next() override {
        for (;;) {
            if (at_ < bounds_[part_ + 1]) {
                const std::string_view piece = file_.Piece(at_, bounds_[part_ + 1], tail_);
                at_ += piece.size();
                return piece;
            }
            ++part_;
            if (part_ + 1 == bounds_.size() || endsAt_(part_)) return {};
        }
    }

    // Where the pieces ended: the part that begins there (the number of
    // parts at the end of the text).
    std::size_t End() const { return part_; }

private:
    const MappedFile& file_;
    const std::vector<std::size_t>& bounds_;
    std::size_t at_;
    std::size_t part_;  // the part the pieces are in
    std::function<bool(std::size_t)> endsAt_;
    std::string tail_;
};

// A frame a part's thread selected, its octets in the part's store.
struct HeldFrame {
    int64_t number;  // in the part's reading
    int64_t endLine;
    std::size_t at;
    int32_t length;
    char direction;
    char timestamp[sizeof TraceFrame::timestamp];
};

// The reading of one part on a thread of its own.
struct Part {
    std::thread thread;
    std::atomic<bool> abandoned{false};  // its reading will not be used
    const FrameFilter* filter = nullptr;
    std::size_t budget = 0;
    // What it read: the frames it selected, the frames it saw, its notes,
    // and where it ended. Its reading is usable when it went through.
    std::vector<HeldFrame> held;
    std::vector<unsigned char> octets;
    int64_t frames = 0;
    TraceNotes notes;
    std::size_t end = 0;
    bool usable = false;
    bool gaveUp = false;  // the sieve said stop

    static TraceReader::Verdict Sift(void* context, const TraceFrame& frame) {
        auto* part = static_cast<Part*>(context);
        ++part->frames;
        if (part->abandoned.load(std::memory_order_relaxed) ||
            part->octets.size() + part->held.size() * sizeof(HeldFrame) > part->budget) {
            part->gaveUp = true;
            return TraceReader::Verdict::Stop;
        }
        return part->filter->Matches(frame) ? TraceReader::Verdict::Take : TraceReader::Verdict::PassOver;
    }

    void Read(const MappedFile& file, const std::vector<std::size_t>& bounds, std::size_t first) {
        // The part's reading ends at the first part start it reaches between
        // frames, where the next part's reading takes over.
        const TraceReader* watched = nullptr;
        PartPieces pieces(file, bounds, first, [&watched](std::size_t) { return watched->BetweenFrames(); });
        const auto reader = std::make_unique<TraceReader>(pieces);
        watched = reader.get();
        reader->SetSieve(filter->LeadingOctets(), &Part::Sift, this);
        TraceFrame frame;
        while (reader->Next(frame)) {
            HeldFrame kept{frames, frame.endLine, octets.size(), frame.length, frame.direction, {}};
            std::memcpy(kept.timestamp, frame.timestamp, sizeof kept.timestamp);
            held.push_back(kept);
            octets.insert(octets.end(), frame.bytes, frame.bytes + frame.length);
        }
        usable = !gaveUp;
        notes = reader->Notes();
        end = pieces.End();
    }
};

}  // namespace

Parting DefaultParting() {
    constexpr unsigned kMostParts = 8;
    constexpr std::size_t kSmallestPart = std::size_t{16} << 20;
    constexpr std::size_t kHeldBudget = std::size_t{64} << 20;
    return {std::clamp(std::thread::hardware_concurrency(), 1u, kMostParts), kSmallestPart, kHeldBudget};
}

void SetParting(std::optional<Parting> parting) { partingSet = parting; }

ReplayReading ReplayFile(const MappedFile& file, FrameFilter& filter, TraceOutput& output) {
    // One part, read here, unless the frames are chosen one by one by the
    // expression and the file is big enough for more.
    const Parting parting = partingSet.value_or(DefaultParting());
    const std::string_view text = file.Text();
    unsigned parts = 1;
    if (filter.MatchesAlone()) {
        parts = static_cast<unsigned>(
            std::min<std::size_t>(parting.parts, text.size() / std::max<std::size_t>(parting.smallestPart, 1)));
    }
    const std::vector<std::size_t> bounds = Bounds(text, std::max(parts, 1u));
    const std::size_t count = bounds.size() - 1;

    // Part 0 is read here, the others each on a thread of its own. A part
    // whose thread cannot start, or whose frames do not fit in memory, is
    // left unusable: the reading before it reads on through it.
    std::vector<std::unique_ptr<Part>> readings(count);
    struct JoinAll {
        std::vector<std::unique_ptr<Part>>& readings;
        ~JoinAll() {
            for (const std::unique_ptr<Part>& part : readings) {
                if (part == nullptr) continue;
                part->abandoned = true;
                if (part->thread.joinable()) part->thread.join();
            }
        }
    } joinAll{readings};
    for (std::size_t k = 1; k < count; ++k) {
        readings[k] = std::make_unique<Part>();
        Part& part = *readings[k];
        part.filter = &filter;
        part.budget = parting.heldBudget;
        try {
            part.thread = std::thread([&part, &file, &bounds, k] {
                try {
                    part.Read(file, bounds, k);
                } catch (const std::bad_alloc&) {
                    part.usable = false;
                }
            });
        } catch (const std::system_error&) {
            part.usable = false;
        }
    }
    auto join = [&](std::size_t k) -> Part& {
        Part& part = *readings[k];
        if (part.thread.joinable()) part.thread.join();
        return part;
    };

    ReplayReading reading;
    std::size_t at = 0;
    while (at < count) {
        if (at > 0) {
            // The text read so far ends between frames where part at begins.
            Part& part = join(at);
            if (part.usable) {
                const int64_t base = filter.Number();
                TraceFrame frame;
                for (const HeldFrame& kept : part.held) {
                    std::memcpy(frame.timestamp, kept.timestamp, sizeof frame.timestamp);
                    frame.direction = kept.direction;
                    frame.length = kept.length;
                    frame.converted = kept.length;
                    frame.bytes = part.octets.data() + kept.at;
                    frame.endLine = reading.notes.lines + kept.endLine;
                    output.Emit(frame, base + kept.number);
                }
                filter.CountAlso(part.frames);
                reading.frames = filter.Number();
                reading.notes.Append(part.notes);
                at = part.end;
                continue;
            }
        }
        // Read here from the start of part at on, until a later part begins
        // between frames and its reading is usable.
        const TraceReader* watched = nullptr;
        PartPieces pieces(file, bounds, at, [&](std::size_t k) {
            if (!watched->BetweenFrames()) {
                readings[k]->abandoned = true;
                return false;
            }
            return join(k).usable;
        });
        const auto reader = std::make_unique<TraceReader>(pieces);
        watched = reader.get();
        reading.frames = output.Run(*reader);
        reading.notes.Append(reader->Notes());
        // Once a --frames range can select no more, the replay ends.
        if (filter.Done()) break;
        at = pieces.End();
    }
    return reading;
}

}  // namespace korvex::cli
