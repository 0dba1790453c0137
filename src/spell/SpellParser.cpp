// Text parsers of the spell checker: the word-finding rules and the undo stack.
#include "spell/SpellParser.h"

#include "editor/TextEncoding.h"

#include <algorithm>

namespace vesk {
namespace {

bool EndsAddress(char32_t c)
{
    switch (c) {
    case '\r': case '\n': case '\t': case ' ': case '"': case '(': case ')': case '[':
    case ']': case '{': case '}': case ',': case '<': case '>': case '\'':
        return true;
    default:
        return false;
    }
}

bool IsAsciiAlnum(char32_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsAddressScheme(const std::string& word)
{
    std::string upper(word);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 32);
    return upper == "HTTP" || upper == "FTP" || upper == "NEWS";
}

} // namespace

void TSpellParser::SetWordChars(std::u32string_view chars)
{
    std::fill(direct_.begin(), direct_.end(), false);
    others_.clear();
    for (char32_t c : chars) {
        if (c < kDirect)
            direct_[c] = true;
        else if (!IsWordChar(c))
            others_.push_back(c);
    }
}

void TSpellParser::SetMaxUndo(int n)
{
    maxUndo_ = std::size_t(std::max(n, 1));
    while (undo_.size() > maxUndo_)
        undo_.pop_front();
}

void TSpellParser::Restart()
{
    start_ = length_ = line_ = column_ = 0;
    endLimit_ = TextLength();
    rescan_ = true;
    insideInternet_ = tagSkipped_ = false;
    word_.clear();
    undo_.clear();
}

// A character reference "&name;" or "&#123;" at pos stands for one
// character of the page, not a word: returns the position after its ";",
// or pos when there is none.
std::int32_t TSpellParser::SkipReference(std::int32_t pos, std::int32_t end) const
{
    std::int32_t p = pos + 1;
    if (p < end && CharAt(p) == '#')
        ++p;
    const std::int32_t first = p;
    while (p < end && p - first < 32 && IsAsciiAlnum(CharAt(p)))
        ++p;
    if (p > first && p < end && CharAt(p) == ';')
        return p + 1;
    return pos;
}

bool TSpellParser::NextWord()
{
    const std::int32_t n = TextLength();
    if (n == 0 || start_ > n)
        return false;
    std::int32_t pos = start_ + length_;
    if (!rescan_)
        while (pos < n && IsWordChar(CharAt(pos)))
            ++pos;
    rescan_ = false;
    insideInternet_ = tagSkipped_ = false;
    const std::int32_t end = std::min(n, endLimit_);
    while (pos < end) {
        const char32_t c = CharAt(pos);
        if (IsWordChar(c))
            break;
        if (c == '<') {
            // Tags are markup, never text: skipped whatever the options say.
            tagSkipped_ = true;
            ++pos;
            while (pos < n && CharAt(pos) != '>')
                ++pos;
            ++pos;
        } else if (c == '&') {
            const std::int32_t after = SkipReference(pos, n);
            pos = after > pos ? after : pos + 1;
        } else {
            ++pos;
        }
    }
    if (pos >= end) {
        start_ = std::min(pos, n);
        length_ = 0;
        return false;
    }
    const std::int32_t wordStart = pos;
    while (pos < n && IsWordChar(CharAt(pos)))
        ++pos;
    start_ = wordStart;
    length_ = pos - wordStart;
    word_ = TextRange(start_, length_);
    if (internet_ && pos < n) {
        const char32_t next = CharAt(pos);
        if (next == '@' || (next == ':' && IsAddressScheme(word_))) {
            while (pos < n && !EndsAddress(CharAt(pos)))
                ++pos;
            length_ = pos - wordStart;
            word_ = TextRange(start_, length_);
            insideInternet_ = tagSkipped_ = true;
        }
    }
    LineColumn(start_, line_, column_);
    return true;
}

void TSpellParser::MoveTo(std::int32_t start, std::int32_t line, std::int32_t column)
{
    start_ = std::clamp(start, 0, TextLength());
    length_ = 0;
    line_ = line;
    column_ = column;
    rescan_ = true;
}

void TSpellParser::BackToWordStart()
{
    std::int32_t pos = std::min(start_, TextLength());
    while (pos > 0 && IsWordChar(CharAt(pos - 1)))
        --pos;
    start_ = pos;
    length_ = 0;
    rescan_ = true;
}

bool TSpellParser::ReplaceAt(std::int32_t start, std::int32_t length, std::string_view text)
{
    const std::int32_t before = TextLength();
    if (!Replace(start, length, text))
        return false;
    endLimit_ += TextLength() - before;
    start_ = start;
    length_ = static_cast<std::int32_t>(CountUtf8Chars(text));
    word_.assign(text);
    return true;
}

bool TSpellParser::ReplaceWord(std::string_view text, bool recheck)
{
    if (!ReplaceAt(start_, length_, text))
        return false;
    if (recheck) {
        length_ = 0;
        rescan_ = true;
    }
    return true;
}

void TSpellParser::PushUndo()
{
    TSpellUndoRecord r;
    r.line = line_;
    r.column = column_;
    r.start = start_;
    r.length = length_;
    r.word = word_;
    undo_.push_back(std::move(r));
    while (undo_.size() > maxUndo_)
        undo_.pop_front();
}

void TSpellParser::SetUndoKind(TSpellUndoKind kind, std::string_view replacement)
{
    if (undo_.empty())
        return;
    undo_.back().kind = kind;
    undo_.back().replacement.assign(replacement);
}

std::optional<TSpellUndoRecord> TSpellParser::PopUndo()
{
    if (undo_.empty())
        return std::nullopt;
    TSpellUndoRecord r = std::move(undo_.back());
    undo_.pop_back();
    return r;
}

} // namespace vesk
