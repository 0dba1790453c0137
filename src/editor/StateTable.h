// The distinct highlighting states of one text, each kept once; context marks,
// paragraph start states and line records refer to them by index.
//
// Indexes are handed out smallest first, so the states a text uses most (the
// first ones met) get the shortest marks. Index 0 is always the empty state.
// States no longer referenced can be reclaimed by a sweep: the owner marks
// every index it still holds between BeginSweep and EndSweep, and every other
// index becomes free for reuse. An index must therefore never be kept outside
// what the owner sweeps.
#pragma once

#include "editor/HighlightState.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vesk {

class TStateTable {
public:
    TStateTable();

    // The index of `state`, added when new (or the index it already has:
    // states are compared byte for byte). Throws std::length_error when
    // more than kMaxStateId states are live at once.
    TStateId Intern(const THighlightState& state);
    // The state of an index handed out by Intern and not reclaimed since.
    const THighlightState& operator[](TStateId id) const { return states_[id]; }
    // States live now (the empty state included).
    std::size_t Count() const { return states_.size() - free_.size(); }
    // Forgets every state but the empty one.
    void Clear();

    // True when enough new states arrived since the last sweep that one is
    // worth its cost (a walk over everything that refers to states): at
    // least as many as were live after it, and never fewer than 65536.
    bool SweepDue() const;
    void BeginSweep();
    void Keep(TStateId id) { keep_[id] = 1; }
    void EndSweep();

private:
    std::size_t Slot(const THighlightState& state) const;
    void Rehash(std::size_t slots);

    std::vector<THighlightState> states_;
    std::vector<TStateId> slots_;  // open addressing over states_; kNoSlot marks an empty slot
    std::vector<TStateId> free_;   // reclaimed indexes, largest first
    std::vector<std::uint8_t> keep_;
    std::size_t addedSinceSweep_ = 0;
    std::size_t liveAfterSweep_ = 1;
};

} // namespace vesk
