// The line records of the paragraphs that need them (more than one display
// line), kept in shared blocks rather than one heap allocation each.
//
// A paragraph's records form one slice, addressed by a 32-bit handle. Slices
// of up to 16 records live in 32 KB blocks shared by every slice of the same
// length, and never move; longer slices (long wrapped paragraphs, a minified
// page) have a buffer of their own, which may move when resized. A block
// size whose slices are all freed is given back at once, so re-wrapping the
// whole text at another width leaves nothing behind.
#pragma once

#include "editor/HighlightState.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace vesk {

// One stored display line.
struct TStoredLine {
    std::int32_t start = 0;  // byte index in the paragraph buffer (marks included)
    std::int32_t end = 0;    // exclusive
    std::int32_t chars = 0;  // characters of the paragraph before the line
    std::int32_t width = 0;  // pixels, as the formatter measured
    TStateId state = kEmptyStateId;  // highlighting state in force at the line start
    std::uint8_t style = 0;          // style byte in force at the line start
};

class TLinePool {
public:
    using THandle = std::uint32_t;
    static constexpr std::int32_t kSharedMax = 16;  // longest slice kept in shared blocks

    TLinePool() = default;
    TLinePool(const TLinePool&) = delete;
    TLinePool& operator=(const TLinePool&) = delete;

    // A new slice of `count` (≥ 1) records, zero-filled.
    THandle Allocate(std::int32_t count);
    // Gives back a slice of `count` records; the handle is invalid afterwards.
    void Free(THandle handle, std::int32_t count);
    // The slice with `newCount` records, keeping the first min(old, new) of
    // them (new ones zero-filled); may return another handle.
    THandle Resize(THandle handle, std::int32_t oldCount, std::int32_t newCount);
    // The records of a slice: valid until the slice is freed or resized.
    TStoredLine* Lines(THandle handle);
    const TStoredLine* Lines(THandle handle) const { return const_cast<TLinePool*>(this)->Lines(handle); }
    // Frees every slice at once.
    void Clear();
    // Bytes held for records (blocks and own buffers), for measurements.
    std::size_t BytesHeld() const;

private:
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    struct TSizeClass {
        std::vector<std::unique_ptr<TStoredLine[]>> blocks;
        std::int32_t used = 0;         // slices handed out of the last block
        std::uint32_t freeHead = kNone;  // freed slices, linked through their first record
        std::int64_t live = 0;
    };
    static std::int32_t SlicesPerBlock(std::int32_t count);
    THandle AllocateOwn(std::int32_t count);

    std::array<TSizeClass, kSharedMax + 1> classes_;  // by slice length; 0 unused
    std::vector<std::vector<TStoredLine>> own_;       // slices with a buffer of their own
    std::vector<std::uint32_t> freeOwn_;
};

} // namespace vesk
