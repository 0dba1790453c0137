// Walking paragraph buffers: characters, context marks and style codes.
//
// A buffer holds UTF-8 characters with context marks (the byte 5 and a state
// index of one to four bytes, see HighlightState.h) interleaved. A mark's
// index bytes may hold any value, so every walk steps over whole marks;
// UTF-8 sequences never contain bytes below 0x80 after their lead byte, so
// style codes and the mark byte are found safely between characters.
#pragma once

#include "editor/HighlightState.h"
#include "editor/StateTable.h"
#include "editor/TextEncoding.h"
#include "editor/VeskMemoStore.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace vesk::store {

// Advances `bi` over `n` characters (not past `limit`), stepping over marks
// between them: it stops right after the n-th character, before any marks
// standing in front of the next one. Returns the characters passed.
inline std::int32_t WalkChars(const char* data, std::int32_t& bi, std::int32_t limit, std::int32_t n)
{
    std::int32_t count = 0;
    while (count < n && bi < limit) {
        if (data[bi] == kMarkByte) {
            bi += MarkSize(data + bi);
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
            ++count;
        }
    }
    return count;
}

// The byte index `n` characters on from `bi` (see WalkChars).
inline std::int32_t SkipChars(const char* data, std::int32_t bi, std::int32_t limit, std::int32_t n)
{
    WalkChars(data, bi, limit, n);
    return bi;
}

// Number of characters in bytes [from, to) of a buffer (from at a boundary).
inline std::int32_t CharsBetween(const char* data, std::int32_t from, std::int32_t to)
{
    std::int32_t count = 0;
    for (std::int32_t bi = from; bi < to;) {
        if (data[bi] == kMarkByte) {
            bi += MarkSize(data + bi);
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
            ++count;
        }
    }
    return count;
}

// Number of marks in bytes [from, to) (from at a boundary).
inline std::int32_t MarksBetween(const char* data, std::int32_t from, std::int32_t to)
{
    std::int32_t marks = 0;
    for (std::int32_t bi = from; bi < to;) {
        const void* hit = std::memchr(data + bi, kMarkByte, std::size_t(to - bi));
        if (!hit)
            break;
        bi = std::int32_t(static_cast<const char*>(hit) - data);
        bi += MarkSize(data + bi);
        ++marks;
    }
    return marks;
}

// Style bits toggled by the codes in bytes [from, to), marks skipped.
inline std::uint8_t CodeParity(const char* data, std::int32_t from, std::int32_t to)
{
    std::uint8_t bits = 0;
    for (std::int32_t bi = from; bi < to;) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == kMarkByte) {
            bi += MarkSize(data + bi);
        } else {
            bits ^= StyleBitOf(c);
            ++bi;  // continuation bytes are >= 0x80 and toggle nothing
        }
    }
    return bits;
}

// Walks forward from byte `bi` over at most `maxChars` characters, not past
// byte `limit`: style codes toggle `style`, marks set `state` (a mark's state
// applies from the next character on). Returns the characters passed.
inline std::int32_t WalkForward(const char* data, std::int32_t& bi, std::int32_t limit, std::int32_t maxChars,
                                const TStateTable& states, THighlightState& state, std::uint8_t& style)
{
    std::int32_t passed = 0;
    while (passed < maxChars && bi < limit) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == kMarkByte) {
            state = states[MarkState(data + bi)];
            bi += MarkSize(data + bi);
        } else {
            style ^= StyleBitOf(c);
            bi += Utf8SequenceLength(c);
            ++passed;
        }
    }
    return passed;
}

// Appends bytes [from, to) without marks.
inline void AppendWithoutMarks(std::string& out, const char* data, std::int32_t from, std::int32_t to)
{
    std::int32_t run = from;
    for (std::int32_t bi = from; bi < to;) {
        const void* hit = std::memchr(data + bi, kMarkByte, std::size_t(to - bi));
        if (!hit)
            break;
        bi = std::int32_t(static_cast<const char*>(hit) - data);
        out.append(data + run, std::size_t(bi - run));
        bi += MarkSize(data + bi);
        run = bi;
    }
    if (to > run)
        out.append(data + run, std::size_t(to - run));
}

} // namespace vesk::store
