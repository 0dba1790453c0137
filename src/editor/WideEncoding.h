// UTF-16 and UTF-32 documents: their byte-order marks, decoding to UTF-8 and encoding back.
//
// Such a file is recognised only by its byte-order mark and only when the
// rest decodes cleanly (whole code units, surrogates in pairs, nothing above
// U+10FFFF). Anything else is left to the UTF-8 and Windows-1252 rules, so a
// Windows-1252 file that happens to start with "ÿþ" still opens as text and
// every file taken as UTF-16 or UTF-32 saves back byte for byte.
#pragma once

#include "editor/TextEncoding.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// True for UTF-16 and UTF-32 in either byte order.
bool IsWideEncoding(TextEncoding encoding);

// The byte-order mark a file in `encoding` starts with: EF BB BF for
// Utf8Bom, FF FE / FE FF for UTF-16, FF FE 00 00 / 00 00 FE FF for UTF-32,
// nothing for Utf8 and Windows1252.
std::string_view ByteOrderMark(TextEncoding encoding);

// The wide encodings whose mark starts `head` (the first four bytes of a
// file, or the whole of a shorter one), to be tried in this order. FF FE 00
// 00 gives UTF-32LE before UTF-16LE: the same bytes also start a UTF-16LE
// file whose first character is U+0000. Empty when `head` has no such mark.
std::vector<TextEncoding> WideEncodingsByMark(std::string_view head);

// Decodes UTF-16 or UTF-32 (without its mark) to UTF-8, piece by piece; a
// piece may end anywhere, even inside a code unit or between the two halves
// of a surrogate pair. U+0000 decodes to a NUL byte like any character.
class TWideDecoder {
public:
    // `encoding` must be a wide encoding.
    explicit TWideDecoder(TextEncoding encoding);
    TextEncoding Encoding() const { return encoding_; }

    // Appends the UTF-8 of each character completed by `bytes` to `out`.
    // Returns false at the first ill-formed character (a lone surrogate, a
    // value above U+10FFFF or in the surrogate range for UTF-32); the
    // decoder must then not be fed again.
    bool Feed(std::string_view bytes, std::string& out);
    // Bytes fed but not yet decoded: part of a code unit, or a high
    // surrogate waiting for its low half.
    int Pending() const { return unitFill_ + (high_ ? 2 : 0); }
    // True when everything fed has been decoded.
    bool Finish() const { return Pending() == 0; }

private:
    bool Unit(std::uint32_t unit, std::string& out);

    TextEncoding encoding_;
    int unitSize_;
    bool bigEndian_;
    unsigned char unit_[4] = {};
    int unitFill_ = 0;
    std::uint32_t high_ = 0;  // pending high surrogate (UTF-16), 0 when none
};

// Appends valid UTF-8 text to `out` in the wide `encoding` (no mark).
void AppendUtf8AsWide(std::string_view utf8, TextEncoding encoding, std::string& out);

// Bytes that AppendUtf8AsWide would append for `utf8`.
std::size_t WideLength(std::string_view utf8, TextEncoding encoding);

} // namespace vesk
