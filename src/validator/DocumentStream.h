// Reading a page file as a stream of text the way the editor opens it, and
// finding the line of a character offset in what was read.
//
// The editor's loader turns a file into paragraphs; the validator of the
// command line only needs the text once, in order, so it decodes the bytes
// piece by piece with the same rules and keeps nothing but the line starts:
//  - UTF-8 (a leading byte-order mark dropped) when the whole file is valid
//    UTF-8, else Windows-1252 with every byte one character;
//  - CR, LF, CR LF and LF CR each end one line and read as CR LF;
//  - the byte 5 reads as U+00A7 (5 marks highlighting in the editor);
//  - a NUL byte reads as kNulStandIn and is counted, so text after it is
//    still read and checked.
#pragma once

#include "editor/TextEncoding.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// What a NUL byte of a file reads as: a visible stand-in, so a page holding
// NULs is still read to its end and the NUL shows where it stands.
inline constexpr char32_t kNulStandIn = U'\u2400';  // "␀"

// The character offsets at which lines start, appended in increasing order
// as text is read, and the line of any offset read so far. Offsets are
// stored as variable-length differences, so a page of short lines costs
// about a byte per line.
class TLineIndex {
public:
    TLineIndex() { Clear(); }
    // Forgets every line but the first, which starts at 0.
    void Clear();
    // A line starts at `offset` (greater than the last start; others are ignored).
    void AddLineStart(std::int64_t offset);
    std::int64_t LineCount() const { return count_; }
    // The 0-based line that holds `offset`: the last line starting at or
    // before it (an offset before 0 is line 0).
    std::int64_t LineOf(std::int64_t offset) const;

private:
    static constexpr int kCheckpointEvery = 64;
    struct Checkpoint {
        std::int64_t offset;   // start of line `line`
        std::int64_t line;
        std::size_t position;  // where the differences after that line begin in deltas_
    };
    std::vector<Checkpoint> checkpoints_;
    std::vector<std::uint8_t> deltas_;
    std::int64_t count_ = 0;
    std::int64_t last_ = 0;
};

// Turns the bytes of a file, given in chunks of any size, into text: UTF-8
// holding whole characters, every line break as CR LF.
class TTextDecoder {
public:
    // `encoding`: Utf8 and Utf8Bom both read UTF-8 and drop a byte-order mark
    // at the very start; Windows1252 reads one character per byte.
    explicit TTextDecoder(TextEncoding encoding);

    // Decodes the next bytes, appending the text to *out (nullptr: only
    // counts). A UTF-8 sequence cut by the end of `bytes` is held until the
    // next call. `lines`, when given, hears of every line start.
    void Decode(std::string_view bytes, std::string* out, TLineIndex* lines = nullptr);
    // The input ended: a sequence still held reads as U+FFFD.
    void Finish(std::string* out);

    // UTF-8 only: every byte so far was well-formed UTF-8 (an ill-formed one
    // reads as U+FFFD and makes this false for good).
    bool Valid() const { return valid_; }
    // Characters produced so far, a line break counting two.
    std::int64_t Chars() const { return chars_; }
    std::int64_t NulCount() const { return nuls_; }
    // Input bytes taken so far, without those held back for the next call.
    std::int64_t Consumed() const { return given_ - std::int64_t(held_.size()); }

private:
    void Run(std::string_view bytes, std::string* out, TLineIndex* lines, bool atEnd);
    void Break(unsigned char c, std::string* out, TLineIndex* lines);
    void Append(std::string* out, char32_t c);
    // Decodes one non-ASCII UTF-8 sequence at the start of `bytes`; returns
    // the bytes it took, 0 when the sequence is cut by the end of `bytes`.
    std::size_t Utf8Sequence(std::string_view bytes, std::string* out, bool atEnd);

    const bool utf8_;
    bool atStart_ = true;
    bool valid_ = true;
    bool pairable_ = false;  // the last thing read was a break nothing has followed
    unsigned char lastBreak_ = 0;
    std::string held_;  // the start of a cut sequence (or of a byte-order mark)
    std::int64_t chars_ = 0;
    std::int64_t nuls_ = 0;
    std::int64_t given_ = 0;
};

} // namespace vesk
