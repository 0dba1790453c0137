// The line pool: shared blocks per slice length, own buffers for long slices.
#include "editor/LinePool.h"

#include <algorithm>
#include <cstring>

namespace vesk {
namespace {

// Handle layout: bits 27-31 the slice length (0: a buffer of its own, the
// rest of the handle its number), bits 11-26 the block, bits 0-10 the slot.
constexpr int kClassShift = 27;
constexpr int kBlockShift = 11;
constexpr std::uint32_t kSlotMask = (1u << kBlockShift) - 1;
constexpr std::uint32_t kBlockMask = (1u << (kClassShift - kBlockShift)) - 1;
constexpr std::size_t kBlockBytes = 32768;

} // namespace

std::int32_t TLinePool::SlicesPerBlock(std::int32_t count)
{
    return std::int32_t(kBlockBytes / (sizeof(TStoredLine) * std::size_t(count)));
}

TLinePool::THandle TLinePool::Allocate(std::int32_t count)
{
    if (count > kSharedMax)
        return AllocateOwn(count);
    TSizeClass& c = classes_[std::size_t(count)];
    THandle handle;
    if (c.freeHead != kNone) {
        handle = c.freeHead;
        c.freeHead = std::uint32_t(Lines(handle)->end);
    } else {
        const std::int32_t perBlock = SlicesPerBlock(count);
        if (c.blocks.empty() || c.used == perBlock) {
            if (c.blocks.size() > kBlockMask)
                return AllocateOwn(count);  // out of block numbers: rare enough to pay an allocation
            c.blocks.emplace_back(new TStoredLine[std::size_t(perBlock) * std::size_t(count)]);
            c.used = 0;
        }
        handle = THandle(count) << kClassShift | THandle(c.blocks.size() - 1) << kBlockShift | THandle(c.used++);
    }
    ++c.live;
    std::fill_n(Lines(handle), count, TStoredLine{});
    return handle;
}

TLinePool::THandle TLinePool::AllocateOwn(std::int32_t count)
{
    std::uint32_t index;
    if (!freeOwn_.empty()) {
        index = freeOwn_.back();
        freeOwn_.pop_back();
    } else {
        index = std::uint32_t(own_.size());
        own_.emplace_back();
    }
    own_[index].assign(std::size_t(count), TStoredLine{});
    return index;
}

void TLinePool::Free(THandle handle, std::int32_t count)
{
    const std::uint32_t length = handle >> kClassShift;
    if (length == 0) {
        std::vector<TStoredLine>().swap(own_[handle]);
        freeOwn_.push_back(handle);
        return;
    }
    (void)count;
    TSizeClass& c = classes_[length];
    if (--c.live == 0) {
        // Nothing of this length is left: give every block back.
        c.blocks.clear();
        c.used = 0;
        c.freeHead = kNone;
        return;
    }
    Lines(handle)->end = std::int32_t(c.freeHead);
    c.freeHead = handle;
}

TLinePool::THandle TLinePool::Resize(THandle handle, std::int32_t oldCount, std::int32_t newCount)
{
    if (oldCount == newCount)
        return handle;
    if ((handle >> kClassShift) == 0 && newCount > kSharedMax) {
        own_[handle].resize(std::size_t(newCount));
        return handle;
    }
    const THandle fresh = Allocate(newCount);
    std::copy_n(Lines(handle), std::min(oldCount, newCount), Lines(fresh));
    Free(handle, oldCount);
    return fresh;
}

TStoredLine* TLinePool::Lines(THandle handle)
{
    const std::uint32_t length = handle >> kClassShift;
    if (length == 0)
        return own_[handle].data();
    const std::uint32_t block = (handle >> kBlockShift) & kBlockMask;
    const std::uint32_t slot = handle & kSlotMask;
    return classes_[length].blocks[block].get() + std::size_t(slot) * length;
}

void TLinePool::Clear()
{
    for (TSizeClass& c : classes_)
        c = TSizeClass{};
    own_.clear();
    freeOwn_.clear();
}

std::size_t TLinePool::BytesHeld() const
{
    std::size_t bytes = 0;
    for (std::size_t length = 1; length < classes_.size(); ++length)
        bytes += classes_[length].blocks.size() * std::size_t(SlicesPerBlock(std::int32_t(length))) * length
                 * sizeof(TStoredLine);
    for (const auto& own : own_)
        bytes += own.capacity() * sizeof(TStoredLine);
    return bytes;
}

} // namespace vesk
