// The highlighting state in force at a position, and the context marks that
// record it inside paragraph buffers.
#pragma once

#include <cstdint>
#include <cstring>

namespace vesk {

// 48 bytes, kept once per distinct value in the store's state table (marks
// and line records hold its index). The fields are ordered so that each is
// naturally aligned and there is no padding, so two states are the same
// value exactly when their bytes are equal.
struct THighlightState {
    std::uint32_t background = 0;
    std::uint32_t textColor = 0;
    std::uint16_t context = 0;
    std::uint16_t pointer = 0;
    std::int16_t stack[16] = {};      // keyword index (>= 0) or start/stop index - 32768
    // bit 7: a keyword or context is in force (its style replaces the codes' style);
    // bit 6: depth and stack are valid; bits 0-5: the entry's style.
    std::uint8_t flagsStyle = 0;
    std::int8_t depth = -1;           // top of the stack, -1 when empty
    std::uint8_t startWidth = 0;
    std::uint8_t stopWidth = 0;

    bool InContext() const { return (flagsStyle & 0x80) != 0; }

    // Equal when both are outside any context, or both are inside with the
    // same depth and the same open entries up to that depth.
    friend bool operator==(const THighlightState& a, const THighlightState& b)
    {
        if (!a.InContext() && !b.InContext())
            return true;
        if (a.InContext() != b.InContext() || a.depth != b.depth)
            return false;
        for (int i = 0; i <= a.depth && i < 16; ++i) {
            if (a.stack[i] != b.stack[i])
                return false;
        }
        return true;
    }
};


static_assert(sizeof(THighlightState) == 48, "the state is stored as 48 bytes");

// Entries a state's stack holds at most.
inline constexpr int kMaxStateDepth = 16;

// True when two states are the same value, byte for byte (operator== looks
// only at what decides whether a context goes on).
inline bool SameState(const THighlightState& a, const THighlightState& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Context marks. A mark in a paragraph buffer is the byte 5 followed by the
// index of its state in the store's state table (TStateTable), written in
// one to four bytes: the top bits of the first byte give their count
// (0xxxxxxx one, 10xxxxxx two, 110xxxxx three, 111xxxxx four) and the index
// follows, high bits first. A text uses few distinct states and the most
// common ones get the smallest indexes, so a mark usually takes two bytes.
// The index bytes may hold any value: every walk steps over whole marks.
using TStateId = std::uint32_t;
inline constexpr TStateId kEmptyStateId = 0;                      // THighlightState{}
inline constexpr TStateId kMaxStateId = (TStateId(1) << 29) - 1;  // four index bytes
inline constexpr char kMarkByte = 5;
inline constexpr int kMaxMarkSize = 5;

// Bytes of the mark that starts at `mark` (which must hold the byte 5).
inline int MarkSize(const char* mark)
{
    const auto first = static_cast<unsigned char>(mark[1]);
    return first < 0x80 ? 2 : first < 0xC0 ? 3 : first < 0xE0 ? 4 : 5;
}

// Bytes a mark of state `id` takes.
constexpr int MarkSizeFor(TStateId id)
{
    return id < 0x80 ? 2 : id < 0x4000 ? 3 : id < 0x200000 ? 4 : 5;
}

// The state index of the mark that starts at `mark`.
inline TStateId MarkState(const char* mark)
{
    const auto* b = reinterpret_cast<const unsigned char*>(mark + 1);
    if (b[0] < 0x80)
        return b[0];
    if (b[0] < 0xC0)
        return TStateId(b[0] & 0x3F) << 8 | b[1];
    if (b[0] < 0xE0)
        return TStateId(b[0] & 0x1F) << 16 | TStateId(b[1]) << 8 | b[2];
    return TStateId(b[0] & 0x1F) << 24 | TStateId(b[1]) << 16 | TStateId(b[2]) << 8 | b[3];
}

// Writes the mark of state `id` (at most kMaxStateId) at `out`; returns its size.
inline int WriteMark(char* out, TStateId id)
{
    auto* b = reinterpret_cast<unsigned char*>(out);
    b[0] = static_cast<unsigned char>(kMarkByte);
    const int size = MarkSizeFor(id);
    switch (size) {
    case 2:
        b[1] = static_cast<unsigned char>(id);
        break;
    case 3:
        b[1] = static_cast<unsigned char>(0x80 | (id >> 8));
        b[2] = static_cast<unsigned char>(id);
        break;
    case 4:
        b[1] = static_cast<unsigned char>(0xC0 | (id >> 16));
        b[2] = static_cast<unsigned char>(id >> 8);
        b[3] = static_cast<unsigned char>(id);
        break;
    default:
        b[1] = static_cast<unsigned char>(0xE0 | (id >> 24));
        b[2] = static_cast<unsigned char>(id >> 16);
        b[3] = static_cast<unsigned char>(id >> 8);
        b[4] = static_cast<unsigned char>(id);
        break;
    }
    return size;
}

} // namespace vesk
