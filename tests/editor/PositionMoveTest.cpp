// How positions move across an edit: one rule for carets, bookmarks and line
// starts alike, checked from a table.
#include "editor/PositionMove.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct MoveCase {
    const char* what;
    std::int32_t position, from, to, inserted;
    std::int32_t follow, stay;  // expected with each gravity
};

// The text "ab\r\ncdef" has a break at offsets 2 (CR) and 3 (LF).
const MoveCase kMoves[] = {
    {"before a replacement", 1, 4, 6, 5, 1, 1},
    {"at the start of a replacement", 4, 4, 6, 5, 4, 4},
    {"inside a replacement", 5, 4, 6, 5, 4, 4},
    {"at the end of a replacement", 6, 4, 6, 5, 9, 9},
    {"after a replacement", 7, 4, 6, 5, 10, 10},
    {"after a deletion", 8, 4, 7, 0, 5, 5},
    {"at an insertion point", 4, 4, 4, 3, 7, 4},
    {"just before an insertion point", 3, 4, 4, 3, 3, 3},
    {"after an insertion point", 5, 4, 4, 3, 8, 8},
    {"on the LF of a break that is replaced whole", 3, 2, 4, 1, 2, 2},
    {"on the LF of a break after the edit", 3, 0, 1, 4, 6, 6},
    {"on the LF of a break before the edit", 3, 5, 6, 0, 3, 3},
    {"at the end of a text that is deleted whole", 8, 0, 8, 0, 0, 0},
};

TEST(PositionMove, BeforeAtInsideAndAfterTheEditedStretch)
{
    for (const MoveCase& c : kMoves) {
        EXPECT_EQ(MovedPosition(c.position, c.from, c.to, c.inserted, TInsertGravity::Follow), c.follow) << c.what;
        EXPECT_EQ(MovedPosition(c.position, c.from, c.to, c.inserted, TInsertGravity::Stay), c.stay) << c.what;
    }
}

} // namespace
} // namespace vesk
