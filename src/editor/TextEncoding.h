// Character encodings of documents: detection, decoding to UTF-8 and encoding back.
//
// Documents are held as UTF-8. A file is taken as UTF-8 when its bytes are
// valid UTF-8 (a leading byte-order mark is dropped and remembered);
// anything else is decoded as Windows-1252, whose every byte maps to exactly
// one character (the five bytes the code page leaves undefined map to the C1
// control characters of the same value), so a 1252 file always saves back
// byte for byte. A file that starts with a UTF-16 or UTF-32 byte-order mark
// and decodes cleanly in that form is UTF-16 or UTF-32 (UnicodeEncoding.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vesk {

enum class TextEncoding {
    Utf8,         // UTF-8 without a byte-order mark
    Utf8Bom,      // UTF-8 that began with EF BB BF
    Windows1252,  // single bytes, Windows-1252
    Utf16LE,      // UTF-16 little-endian, with its byte-order mark FF FE
    Utf16BE,      // UTF-16 big-endian, with FE FF
    Utf32LE,      // UTF-32 little-endian, with FF FE 00 00
    Utf32BE,      // UTF-32 big-endian, with 00 00 FE FF
};

// Incremental UTF-8 validator: feed the bytes of a file in chunks of any
// size; Valid() stays true while everything seen is well-formed UTF-8
// (shortest forms only, no surrogates, nothing above U+10FFFF). Finish()
// reports whether the input ended inside a sequence.
class Utf8Validator {
public:
    void Feed(std::string_view bytes);
    bool Valid() const { return valid_; }
    // Valid() and not in the middle of a sequence.
    bool Finish() const { return valid_ && need_ == 0; }

private:
    bool valid_ = true;
    int need_ = 0;               // continuation bytes still expected
    std::uint32_t lower_ = 0x80, upper_ = 0xBF;  // allowed range of the next continuation byte
};

// True when the whole of `bytes` is valid UTF-8.
bool IsValidUtf8(std::string_view bytes);

// The character a Windows-1252 byte stands for.
char32_t Windows1252ToUnicode(unsigned char byte);
// The Windows-1252 byte of a character; -1 when the code page lacks it.
int UnicodeToWindows1252(char32_t c);

// Appends the UTF-8 form of `c` to `out` (c must be a valid scalar value;
// anything else is written as U+FFFD).
void AppendUtf8(std::string& out, char32_t c);

// Appends the UTF-8 form of Windows-1252 bytes to `out`.
void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes);

// Encodes UTF-8 text (assumed valid) as Windows-1252 into `out`. Returns
// false, leaving `out` unspecified, when a character has no 1252 byte.
bool Utf8ToWindows1252(std::string_view utf8, std::string& out);

// True when every character of the valid UTF-8 text has a 1252 byte.
bool RepresentableInWindows1252(std::string_view utf8);

// Number of bytes of the UTF-8 sequence that starts with `lead`
// (1 for ASCII and for stray continuation bytes, so walks always advance).
inline int Utf8SequenceLength(unsigned char lead)
{
    if (lead < 0xC0)
        return 1;
    if (lead < 0xE0)
        return 2;
    if (lead < 0xF0)
        return 3;
    return 4;
}

// Decodes the character at `p` (valid UTF-8, at least Utf8SequenceLength
// bytes available).
char32_t DecodeUtf8At(const char* p);

// Replaces every ill-formed sequence of `bytes` by U+FFFD (the result is
// valid UTF-8); valid input comes back unchanged.
std::string SanitizeUtf8(std::string_view bytes);

// Number of characters (code points) of valid UTF-8 text.
std::size_t CountUtf8Chars(std::string_view utf8);

} // namespace vesk
