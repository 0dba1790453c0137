// The highlighting state stored at line starts and inside paragraph buffers.
#pragma once

#include <cstdint>
#include <cstring>

namespace vesk {

// 48 bytes, copied as bytes into paragraph buffers (after the mark byte 5).
// The fields are ordered so that each is naturally aligned and there is no
// padding: a packed layout would make every reference to a field unaligned.
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

// The byte that starts a context mark, and the mark's size in the buffer.
inline constexpr char kMarkByte = 5;
inline constexpr int kMarkSize = 1 + int(sizeof(THighlightState));

} // namespace vesk
