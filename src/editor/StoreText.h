// Walking paragraph buffers: characters, context marks and style codes.
//
// A buffer holds UTF-8 characters with 49-byte context marks (the byte 5 and
// a THighlightState) interleaved. A mark's payload may hold any byte, so every
// walk steps over whole marks; UTF-8 sequences never contain bytes below 0x80
// after their lead byte, so style codes and the mark byte are found safely
// between characters.
#pragma once

#include "editor/HighlightState.h"
#include "editor/TextEncoding.h"
#include "editor/VeskMemoStore.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace vesk::store {

// Byte index of character `position` (0 … length) of a buffer: the walk
// stops right after the position-th character, before any marks that stand
// in front of the next one. Positions past the length give `size`.
inline std::int32_t ByteIndexOf(const char* data, std::int32_t size, std::int32_t length, bool plain,
                                std::int32_t position)
{
    if (position >= length)
        return plain ? std::min(position, length) : size;
    if (plain)
        return position;
    std::int32_t bi = 0, count = 0;
    while (count < position && bi < size) {
        if (data[bi] == kMarkByte) {
            bi += kMarkSize;
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
            ++count;
        }
    }
    return bi;
}

inline std::int32_t ByteIndexOf(const TParRecord& p, std::int32_t position)
{
    // A plain paragraph past its length still ends at its byte count.
    if (p.Plain())
        return std::min(position, p.length);
    return ByteIndexOf(p.Data(), p.bytes, p.length, false, position);
}

// Number of characters in bytes [from, to) of a buffer (from at a boundary).
inline std::int32_t CharsBetween(const char* data, std::int32_t from, std::int32_t to)
{
    std::int32_t count = 0;
    for (std::int32_t bi = from; bi < to;) {
        if (data[bi] == kMarkByte) {
            bi += kMarkSize;
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
        if (data[bi] == kMarkByte) {
            bi += kMarkSize;
            ++marks;
        } else {
            bi += Utf8SequenceLength(static_cast<unsigned char>(data[bi]));
        }
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
            bi += kMarkSize;
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
                                THighlightState& state, std::uint8_t& style)
{
    std::int32_t passed = 0;
    while (passed < maxChars && bi < limit) {
        const auto c = static_cast<unsigned char>(data[bi]);
        if (c == kMarkByte) {
            std::memcpy(&state, data + bi + 1, sizeof state);
            bi += kMarkSize;
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
        if (data[bi] == kMarkByte) {
            out.append(data + run, std::size_t(bi - run));
            bi += kMarkSize;
            run = bi;
        } else {
            ++bi;
        }
    }
    if (to > run)
        out.append(data + run, std::size_t(to - run));
}

} // namespace vesk::store
