// The undo list of an editor: records of replaced text, a position, and the
// space they use, with the trimming rules of the two limits.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace vesk {

// One edit: the text at [start, end) replaced `text` (UTF-8, CR LF at breaks).
struct TUndoRecord {
    std::int32_t start = 0;
    std::int32_t end = 0;
    bool linked = false;  // undone and redone together with the record before it
    std::string text;

    // The bytes a record takes: the text, its terminator and 12 bytes of header.
    std::int64_t Size() const { return std::int64_t(text.size()) + 13; }
};

// Raised by SetMaxLevel above 134217727.
class EUndoError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TUndoList {
public:
    static constexpr std::int32_t kMaxLevelLimit = 134217727;
    // Old text longer than this cannot be stored; such an edit empties the list.
    static constexpr std::int64_t kMaxRecordBytes = 2147483547;

    std::int32_t Count() const { return std::int32_t(records_.size()); }
    // Records before the position can be undone; those at and after it redone.
    std::int32_t Position() const { return position_; }
    std::int64_t SpaceUsed() const { return space_; }
    TUndoRecord& operator[](std::int32_t i) { return records_.at(std::size_t(i)); }
    const TUndoRecord& operator[](std::int32_t i) const { return records_.at(std::size_t(i)); }

    std::int32_t MaxLevel() const { return maxLevel_; }
    // Throws EUndoError("Undo set too high") above kMaxLevelLimit, changing
    // nothing; otherwise trims: from the end while more than
    // max(position, level) records remain, then from the start while the
    // position exceeds the level.
    void SetMaxLevel(std::int32_t level);
    std::int64_t MaxSpace() const { return maxSpace_; }
    void SetMaxSpace(std::int64_t space);

    void Clear();
    // Deletes every record at and after the position (a new edit ends the redo side).
    void DropRedo();
    // Stores a record at the position (replacing the one there, as replays
    // do, or appending) and moves the position past it, then trims to the
    // space limit: first records after the position, then the oldest.
    void Store(TUndoRecord record);
    // Moves the position (replays step it back and forth).
    void SetPosition(std::int32_t p) { position_ = p; }
    // Trims to the space limit.
    void TrimToSpace();

private:
    void EraseAt(std::int32_t i);

    std::vector<TUndoRecord> records_;
    std::int32_t position_ = 0;
    std::int64_t space_ = 0;
    std::int32_t maxLevel_ = 256;
    std::int64_t maxSpace_ = 65536;
};

} // namespace vesk
