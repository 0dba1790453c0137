// The undo list: storing records and keeping within the level and space limits.
#include "editor/UndoList.h"

#include <algorithm>

namespace vesk {

void TUndoList::EraseAt(std::int32_t i)
{
    space_ -= records_[std::size_t(i)].Size();
    records_.erase(records_.begin() + i);
    if (i < position_)
        --position_;
}

void TUndoList::Clear()
{
    records_.clear();
    position_ = 0;
    space_ = 0;
}

void TUndoList::DropRedo()
{
    while (Count() > position_)
        EraseAt(Count() - 1);
}

void TUndoList::Store(TUndoRecord record)
{
    if (position_ < Count()) {
        space_ -= records_[std::size_t(position_)].Size();
        space_ += record.Size();
        records_[std::size_t(position_)] = std::move(record);
    } else {
        space_ += record.Size();
        records_.push_back(std::move(record));
    }
    ++position_;
    TrimToSpace();
}

void TUndoList::TrimToSpace()
{
    while (space_ > maxSpace_) {
        if (Count() > position_)
            EraseAt(Count() - 1);  // redo records go first
        else if (position_ > 0)
            EraseAt(0);  // then the oldest
        else
            break;
    }
}

void TUndoList::SetMaxLevel(std::int32_t level)
{
    if (level > kMaxLevelLimit)
        throw EUndoError("Undo set too high");
    level = std::max(level, 0);
    maxLevel_ = level;
    while (Count() > std::max(position_, level))
        EraseAt(Count() - 1);
    while (position_ > level)
        EraseAt(0);
}

void TUndoList::SetMaxSpace(std::int64_t space)
{
    maxSpace_ = std::max<std::int64_t>(space, 0);
    TrimToSpace();
}

} // namespace vesk
