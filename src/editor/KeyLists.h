// The two rule lists of markup colouring: keywords and start/stop keys, and
// the separator set that decides word boundaries.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

class TPropertyReader;
class TPropertyWriter;

// Option bits of both kinds of entries.
inline constexpr std::uint8_t kKeyMatchCase = 0x01;
inline constexpr std::uint8_t kKeyWholeWords = 0x02;

// Characters (code points below 256) that separate words.
using TSeparatorSet = std::bitset<256>;
// Tab, space, comma, period, colon and semicolon.
TSeparatorSet DefaultSeparators();
// The set's characters in ascending order, and the set of a string's characters.
std::string SeparatorsToString(const TSeparatorSet& set);
TSeparatorSet SeparatorsFromString(std::string_view utf8);
inline bool IsSeparator(const TSeparatorSet& set, char32_t c)
{
    return c < 256 && set.test(std::size_t(c));
}

// Simple upper-case mapping of one character (Unicode, one to one).
char32_t UpperChar(char32_t c);
std::u32string Upper(std::u32string_view s);
std::u32string ToUtf32(std::string_view utf8);

// What an entry does to the text it covers.
struct TKeyLook {
    std::uint8_t options = 0;
    std::uint8_t style = 0;           // style-code bits
    std::int16_t context = 0;         // reported to OnContext; 0 = none
    std::int16_t pointer = 0;         // mouse pointer over the text; 0 = none
    std::uint32_t background = 0;     // 0x00BBGGRR; 0 = none
    std::uint32_t textColor = 0;      // 0 = none
    bool operator==(const TKeyLook&) const = default;
};

class TKeywordList {
public:
    std::int32_t Count() const { return std::int32_t(words_.size()); }
    // Throw EListError out of range.
    const std::string& Keyword(std::int32_t i) const;
    const TKeyLook& Look(std::int32_t i) const;
    // The keyword as characters, and upper-cased (the parallel search lists).
    const std::u32string& Chars(std::int32_t i) const;
    const std::u32string& UpperChars(std::int32_t i) const;
    // Length of the longest keyword, in characters.
    std::int32_t MaxLength() const { return maxLength_; }

    void Add(std::string_view keyword, const TKeyLook& look);
    void Insert(std::int32_t i, std::string_view keyword, const TKeyLook& look);
    void Delete(std::int32_t i);
    void Clear();
    // Copies the other list's keywords, looks and nesting flag; the version
    // moves on from this list's own, so caches of this list see the change.
    void Assign(const TKeywordList& other);

    // When set, text inside a keyword stays searchable for other keywords.
    bool nesting = false;

    // Stored form: property "Strings"; per keyword the string and six
    // integers (options, style, context, pointer, background, text colour).
    // Nothing is written for an empty list; reading clears the list first.
    void Write(TPropertyWriter& writer) const;
    void Read(TPropertyReader& reader);  // positioned at the property's values

    // Changes with every modification (caches compare it).
    std::uint64_t Version() const { return version_; }

private:
    struct Word {
        std::string text;
        TKeyLook look;
        std::u32string chars;
        std::u32string upper;
    };
    void Changed();

    std::vector<Word> words_;
    std::int32_t maxLength_ = 0;
    std::uint64_t version_ = 0;
};

struct TStartStopKey {
    TKeyLook look;
    std::string startText, stopText;  // as given (UTF-8), for storing
    std::u32string start, stop;       // upper-cased unless the entry matches case
    bool closeAtParagraphEnd = false; // an unclosed context ends with its paragraph
    std::int16_t alternativeOf = -1;  // first earlier entry with the same options and start
    // Boundary checks (whole-words entries): the neighbour must be a
    // separator or the paragraph's edge.
    bool checkBeforeStart = false, checkAfterStart = false;
    bool checkBeforeStop = false, checkAfterStop = false;

    std::int32_t StartLength() const { return std::int32_t(start.size()); }
    std::int32_t StopLength() const { return std::int32_t(stop.size()); }
};

class TStartStopKeyList {
public:
    // Entry indexes must fit alternativeOf and the highlight state's stack.
    static constexpr std::int32_t kMaxStartStopKeys = 32768;

    TStartStopKeyList() = default;

    std::int32_t Count() const { return std::int32_t(keys_.size()); }
    // Throws EListError out of range.
    const TStartStopKey& operator[](std::int32_t i) const;
    // Throws EListError when the list already holds kMaxStartStopKeys entries.
    void Add(std::string_view start, std::string_view stop, const TKeyLook& look, bool closeAtParagraphEnd);
    void Clear();

    std::int32_t MaxStartLength() const { return maxStart_; }
    // At least 2 once any entry closes at paragraph ends.
    std::int32_t MaxStopLength() const { return maxStop_; }
    // The entry that continues a context of entry i when its stop is found:
    // the next entry whose alternativeOf is i, or -1. Throws EListError
    // out of range.
    std::int32_t AlternativeAfter(std::int32_t i) const;

    // Boundary flags follow the separator set; Prepare computes them when
    // the list is not prepared (any change unprepares it).
    bool Prepared() const { return prepared_; }
    void Prepare(const TSeparatorSet& separators);
    void Unprepare() { prepared_ = false; ++version_; }

    // Stored form: property "Keys"; per entry start, stop, six integers and
    // the close-at-paragraph-end boolean. Nothing is written for an empty
    // list; reading clears the list first.
    void Write(TPropertyWriter& writer) const;
    void Read(TPropertyReader& reader);

    std::uint64_t Version() const { return version_; }

private:
    std::vector<TStartStopKey> keys_;
    std::int32_t maxStart_ = 0;
    std::int32_t maxStop_ = 0;
    bool prepared_ = false;
    std::uint64_t version_ = 0;
};

// The two keys of the HTML document editors: "<" … ">" (yellow) and
// "</" … ">" (red), both highlighted, context 1, spanning paragraphs.
void AddHtmlStartStopKeys(TStartStopKeyList& list);

} // namespace vesk
