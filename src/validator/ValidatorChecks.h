// Pieces of the validator that need no document: the text helpers of its
// ASCII-only case rules, the value test of each attribute type, and the
// message texts.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

namespace vesk {

// The validator changes only the ASCII letters a–z / A–Z when it changes case.
inline char32_t UpperAscii(char32_t c) { return (c >= U'a' && c <= U'z') ? c - 32 : c; }
inline char32_t LowerAscii(char32_t c) { return (c >= U'A' && c <= U'Z') ? c + 32 : c; }
std::u32string UpperAscii(std::u32string_view s);
std::u32string LowerAscii(std::u32string_view s);

// UTF-8 ⇄ UTF-32. Decoding takes ill-formed bytes one at a time as U+FFFD, so
// any input gives one character per well-formed sequence and never reads
// past the end.
std::u32string Utf8To32(std::string_view utf8);
// The same with a–z upper-cased on the way.
std::u32string Utf8To32Upper(std::string_view utf8);
std::string Utf32To8(std::u32string_view s);
// Appends the characters of `utf8`, a-z upper-cased, to `out`; returns how many.
std::int32_t AppendUtf8Upper(std::u32string& out, std::string_view utf8);

// Where `needle` (ASCII with upper-case letters) first occurs in `text` at
// or after `from`, ASCII letters of the text compared without regard to
// case; npos when nowhere.
std::size_t FindAsciiNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// True when `name` with a comma before and after it occurs in `list` (a
// plain substring test: a name holding commas may match across items).
bool InList(std::u32string_view list, std::u32string_view name);

// Hashing for the short names the validator looks up at every tag (FNV-1a;
// transparent, so a string_view finds a stored string without a copy).
struct TNameHash {
    using is_transparent = void;
    std::size_t operator()(std::u32string_view s) const noexcept
    {
        std::size_t h = 14695981039346656037ull;
        for (char32_t c : s)
            h = (h ^ std::size_t(c)) * 1099511628211ull;
        return h;
    }
};

// A comma-delimited name list (",A,B,") with a fast membership test that
// gives exactly InList's answer: a name without a comma stands between two
// commas exactly when it is one of the pieces between consecutive commas.
class TNameList {
public:
    TNameList() = default;
    explicit TNameList(std::u32string text);
    const std::u32string& Text() const { return text_; }
    bool Empty() const { return text_.empty(); }
    bool Contains(std::u32string_view name) const;

private:
    std::u32string text_;
    std::unordered_set<std::u32string, TNameHash, std::equal_to<>> pieces_;
};

// The value rule of an attribute type name (exact, case-sensitive names;
// a type beginning with "(" is an enumeration ",V1,V2,"). Returns true when
// every character of `value` passes; an empty value always passes except
// against an enumeration. Type names outside the table fail the first character.
bool ValueFitsType(std::string_view type, std::u32string_view value);

// The message of an error code (1 … 16) with its Name and Context pieces,
// exactly as the results list shows it after "line: ". Codes without a text
// give an empty string.
QString ValidatorMessage(int code, std::u32string_view name, std::u32string_view context);

// The one entry of a run without errors.
inline const char* const kNoErrorsFound = "No Errors Found";

} // namespace vesk
