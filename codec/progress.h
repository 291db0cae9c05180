// How far a long encode has come, for a program that shows it.
//
// The encoder's loops report every PROGRESS_STEP input positions, so a
// report costs nothing next to the work between two; the caller decides
// whether and how often to show anything. `done` grows from 0 to `whole`:
// input bytes read for the standard encoder (whole is then `input_size`,
// which only the caller knows), two passes over the input for --best (the
// longest matches, then the costs).
#pragma once

#include <cstdint>

namespace codec {

struct Progress {
    void (*report)(void* context, std::uint64_t done, std::uint64_t whole) = nullptr;
    void* context = nullptr;
    std::uint64_t input_size = 0;
};

// 64 Ki positions: hundreds of reports a second at most.
inline constexpr std::uint64_t PROGRESS_STEP = std::uint64_t{1} << 16;

inline void report_progress(const Progress* progress, std::uint64_t done, std::uint64_t whole)
{
    if (progress != nullptr && progress->report != nullptr)
        progress->report(progress->context, done, whole);
}

}  // namespace codec
