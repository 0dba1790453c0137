// The state table: interning by open addressing, and reclaiming by a sweep.
#include "editor/StateTable.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vesk {
namespace {

constexpr TStateId kNoSlot = 0xFFFFFFFF;
constexpr std::size_t kMinSweep = 65536;

std::uint64_t Hash(const THighlightState& state)
{
    std::uint64_t words[sizeof state / 8];
    std::memcpy(words, &state, sizeof state);
    std::uint64_t h = 0x9E3779B97F4A7C15ull;
    for (std::uint64_t w : words) {
        h ^= w;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 32;
    }
    return h;
}

bool Same(const THighlightState& a, const THighlightState& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

} // namespace

TStateTable::TStateTable()
{
    Clear();
}

void TStateTable::Clear()
{
    states_.assign(1, THighlightState{});
    free_.clear();
    keep_.clear();
    addedSinceSweep_ = 0;
    liveAfterSweep_ = 1;
    Rehash(16);
}

std::size_t TStateTable::Slot(const THighlightState& state) const
{
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = std::size_t(Hash(state)) & mask;
    while (slots_[i] != kNoSlot && !Same(states_[slots_[i]], state))
        i = (i + 1) & mask;
    return i;
}

void TStateTable::Rehash(std::size_t slots)
{
    slots_.assign(slots, kNoSlot);
    std::vector<bool> freed(states_.size(), false);
    for (TStateId id : free_)
        freed[id] = true;
    for (TStateId id = 0; id < states_.size(); ++id) {
        if (!freed[id])
            slots_[Slot(states_[id])] = id;
    }
}

TStateId TStateTable::Intern(const THighlightState& state)
{
    const std::size_t slot = Slot(state);
    if (slots_[slot] != kNoSlot)
        return slots_[slot];
    TStateId id;
    if (!free_.empty()) {
        id = free_.back();
        free_.pop_back();
        states_[id] = state;
    } else {
        if (states_.size() > kMaxStateId)
            throw std::length_error("too many highlighting states");
        id = TStateId(states_.size());
        states_.push_back(state);
    }
    slots_[slot] = id;
    ++addedSinceSweep_;
    // At most half full, so probes stay short.
    if (2 * Count() > slots_.size())
        Rehash(2 * slots_.size());
    return id;
}

bool TStateTable::SweepDue() const
{
    return addedSinceSweep_ >= std::max(kMinSweep, liveAfterSweep_);
}

void TStateTable::BeginSweep()
{
    keep_.assign(states_.size(), 0);
    keep_[kEmptyStateId] = 1;
}

void TStateTable::EndSweep()
{
    // Every index not kept is freed (free ones stay free). Indexes above the
    // last one kept are dropped altogether; the rest are listed largest
    // first, so the smallest free index is reused first.
    std::vector<bool> wasFree(states_.size(), false);
    for (TStateId id : free_)
        wasFree[id] = true;
    TStateId top = 0;
    for (TStateId id = 1; id < states_.size(); ++id) {
        if (keep_[id] && !wasFree[id])
            top = id;
    }
    states_.resize(std::size_t(top) + 1);
    free_.clear();
    for (TStateId id = top; id-- > 1;) {
        if (wasFree[id] || !keep_[id])
            free_.push_back(id);
    }
    keep_.clear();
    keep_.shrink_to_fit();
    addedSinceSweep_ = 0;
    liveAfterSweep_ = Count();
    std::size_t slots = 16;
    while (slots < 2 * Count())
        slots *= 2;
    Rehash(slots);
}

} // namespace vesk
