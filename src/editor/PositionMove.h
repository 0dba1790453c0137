// How a position in the text moves when a stretch of the text is replaced.
#pragma once

#include <cstdint>

namespace vesk {

// Where a position standing exactly at an insertion point goes: a caret or
// a bookmark follows the text typed there; the start of a display line
// stays, so typed text joins the line it was typed into.
enum class TInsertGravity { Stay, Follow };

// The position `position` after the stretch [from, to) (from ≤ to) was
// replaced by `inserted` units. Characters or bytes alike: the rule is the
// same. Before the stretch a position stays; at or after its end it moves by
// the difference in length; inside the stretch it goes to the stretch's
// start, since what it stood in is gone. A position at `from` of a pure
// insertion (from == to) follows the new text or stays, as `gravity` says.
// The stretch is taken as given: moving its bounds off the middle of a
// paragraph break is the caller's business.
constexpr std::int32_t MovedPosition(std::int32_t position, std::int32_t from, std::int32_t to, std::int32_t inserted,
                                     TInsertGravity gravity)
{
    if (position < from)
        return position;
    if (position >= to && (position > from || gravity == TInsertGravity::Follow))
        return position + inserted - (to - from);
    return from;
}

} // namespace vesk
