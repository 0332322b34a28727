// A selective replay of a big trace file read in parts on several threads
// at once. Each part's frames are sifted by its own thread; the frames
// selected in a later part wait in memory until everything before them is
// written. The text, the frame numbers and the notes are those of one reader
// going through the whole file: a later part's reading is used only when the
// reading before it ended exactly between frames where the part begins,
// and where it did not, the reading before simply reads on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

#include "cli/frame_filter.h"
#include "cli/frame_output.h"
#include "cli/mapped_file.h"
#include "replay/trace_reader.h"

namespace korvex::cli {

// How a file is parted: into at most parts parts, none smaller than
// smallestPart characters. A part's thread holds the frames it selects, up
// to heldBudget octets of memory; past that it gives up, and the reading
// before it reads on through its part.
struct Parting {
    unsigned parts = 1;
    std::size_t smallestPart = 0;
    std::size_t heldBudget = 0;
};

// A part for each hardware thread, up to eight, each of at least 16 MB;
// 64 MB held a part.
Parting DefaultParting();

// Replaces the parting used from now on (for tests, which part small
// texts); an empty value restores DefaultParting.
void SetParting(std::optional<Parting> parting);

// What a replay read: every frame, selected or not, and the notes of all
// its readers.
struct ReplayReading {
    int64_t frames = 0;
    TraceNotes notes;
};

// Writes through output, which selects by filter if it selects at all, the
// frames of file it selects: in parts when filter's verdict rests on each
// frame alone and the file is big enough to part, else in one reading. The
// frames are numbered as output.Run numbers them.
ReplayReading ReplayFile(const MappedFile& file, FrameFilter& filter, TraceOutput& output);

}  // namespace korvex::cli
