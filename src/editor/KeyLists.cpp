// The keyword and start/stop key lists, the separator set and upper-casing.
#include "editor/KeyLists.h"

#include "editor/DynArray.h"
#include "editor/PropertyStream.h"
#include "editor/TextEncoding.h"

#include <QChar>

#include <algorithm>

namespace vesk {

namespace {

constexpr std::string_view kKeywordsProperty = "Strings";
constexpr std::string_view kStartStopProperty = "Keys";

// A paragraph end closes a context like a two-character stop (CR LF), so the
// search window must be at least that wide once any entry relies on it.
constexpr std::int32_t kParagraphEndLength = 2;

void WriteLook(TPropertyWriter& writer, const TKeyLook& look)
{
    writer.WriteInteger(look.options);
    writer.WriteInteger(look.style);
    writer.WriteInteger(look.context);
    writer.WriteInteger(look.pointer);
    writer.WriteInteger(look.background);
    writer.WriteInteger(look.textColor);
}

// Values are narrowed to their fields' widths, so a colour stored as a signed
// 32-bit number (-1) reads back the same as its unsigned form (4294967295).
TKeyLook ReadLook(TPropertyReader& reader)
{
    TKeyLook look;
    look.options = static_cast<std::uint8_t>(reader.ReadInteger());
    look.style = static_cast<std::uint8_t>(reader.ReadInteger());
    look.context = static_cast<std::int16_t>(reader.ReadInteger());
    look.pointer = static_cast<std::int16_t>(reader.ReadInteger());
    look.background = static_cast<std::uint32_t>(reader.ReadInteger());
    look.textColor = static_cast<std::uint32_t>(reader.ReadInteger());
    return look;
}

} // namespace

// ---------------------------------------------------------------- characters

TSeparatorSet DefaultSeparators()
{
    TSeparatorSet set;
    for (const char c : {'\t', ' ', ',', '.', ':', ';'})
        set.set(static_cast<unsigned char>(c));
    return set;
}

std::string SeparatorsToString(const TSeparatorSet& set)
{
    std::string out;
    for (std::size_t c = 0; c < set.size(); ++c) {
        if (set.test(c))
            AppendUtf8(out, char32_t(c));
    }
    return out;
}

TSeparatorSet SeparatorsFromString(std::string_view utf8)
{
    TSeparatorSet set;
    for (const char32_t c : ToUtf32(utf8)) {
        if (c < 256)
            set.set(std::size_t(c));
    }
    return set;
}

char32_t UpperChar(char32_t c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c;
    // Qt's mapping is the simple one: characters whose upper case takes
    // several characters (such as ß) come back unchanged.
    return QChar::toUpper(c);
}

std::u32string Upper(std::u32string_view s)
{
    std::u32string out(s);
    for (char32_t& c : out)
        c = UpperChar(c);
    return out;
}

std::u32string ToUtf32(std::string_view utf8)
{
    // Keys come from stored definitions and user input; ill-formed bytes
    // become U+FFFD rather than being decoded past the end.
    const std::string valid = SanitizeUtf8(utf8);
    std::u32string out;
    out.reserve(valid.size());
    for (std::size_t i = 0; i < valid.size();) {
        out += DecodeUtf8At(valid.data() + i);
        i += std::size_t(Utf8SequenceLength(static_cast<unsigned char>(valid[i])));
    }
    return out;
}

// ---------------------------------------------------------------- keywords

const std::string& TKeywordList::Keyword(std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return words_[std::size_t(i)].text;
}

const TKeyLook& TKeywordList::Look(std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return words_[std::size_t(i)].look;
}

const std::u32string& TKeywordList::Chars(std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return words_[std::size_t(i)].chars;
}

const std::u32string& TKeywordList::UpperChars(std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return words_[std::size_t(i)].upper;
}

void TKeywordList::Add(std::string_view keyword, const TKeyLook& look)
{
    Insert(Count(), keyword, look);
}

void TKeywordList::Insert(std::int32_t i, std::string_view keyword, const TKeyLook& look)
{
    if (i < 0 || i > Count())
        throw EListError();
    Word word{std::string(keyword), look, ToUtf32(keyword), {}};
    word.upper = Upper(word.chars);
    maxLength_ = std::max(maxLength_, std::int32_t(word.chars.size()));
    words_.insert(words_.begin() + i, std::move(word));
    Changed();
}

void TKeywordList::Delete(std::int32_t i)
{
    if (i < 0 || i >= Count())
        throw EListError();
    const bool wasLongest = std::int32_t(words_[std::size_t(i)].chars.size()) == maxLength_;
    words_.erase(words_.begin() + i);
    if (wasLongest) {
        maxLength_ = 0;
        for (const Word& word : words_)
            maxLength_ = std::max(maxLength_, std::int32_t(word.chars.size()));
    }
    Changed();
}

void TKeywordList::Clear()
{
    words_.clear();
    maxLength_ = 0;
    Changed();
}

void TKeywordList::Assign(const TKeywordList& other)
{
    if (&other == this)
        return;
    words_ = other.words_;
    maxLength_ = other.maxLength_;
    nesting = other.nesting;
    // Taking the other list's version could repeat a number this list has
    // already had with other contents.
    Changed();
}

void TKeywordList::Changed()
{
    ++version_;
}

void TKeywordList::Write(TPropertyWriter& writer) const
{
    if (words_.empty())
        return;
    writer.BeginList(kKeywordsProperty);
    for (const Word& word : words_) {
        writer.WriteString(word.text);
        WriteLook(writer, word.look);
    }
    writer.EndList();
}

void TKeywordList::Read(TPropertyReader& reader)
{
    Clear();
    while (reader.PeekKind() != TPropertyReader::ValueKind::EndOfList) {
        std::string text = reader.ReadString();
        const TKeyLook look = ReadLook(reader);
        Add(text, look);
    }
}

// ---------------------------------------------------------------- start/stop keys

const TStartStopKey& TStartStopKeyList::operator[](std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    return keys_[std::size_t(i)];
}

void TStartStopKeyList::Add(std::string_view start, std::string_view stop, const TKeyLook& look,
                            bool closeAtParagraphEnd)
{
    if (Count() >= kMaxStartStopKeys)
        throw EListError();
    TStartStopKey key;
    key.look = look;
    key.startText = start;
    key.stopText = stop;
    key.start = ToUtf32(start);
    key.stop = ToUtf32(stop);
    if (!(look.options & kKeyMatchCase)) {
        key.start = Upper(key.start);
        key.stop = Upper(key.stop);
    }
    key.closeAtParagraphEnd = closeAtParagraphEnd;
    for (std::size_t j = 0; j < keys_.size(); ++j) {
        if (keys_[j].look.options == look.options && keys_[j].start == key.start) {
            key.alternativeOf = std::int16_t(j);
            break;
        }
    }

    maxStart_ = std::max(maxStart_, key.StartLength());
    maxStop_ = std::max(maxStop_, key.StopLength());
    if (closeAtParagraphEnd)
        maxStop_ = std::max(maxStop_, kParagraphEndLength);
    keys_.push_back(std::move(key));
    Unprepare();
}

void TStartStopKeyList::Clear()
{
    keys_.clear();
    maxStart_ = 0;
    maxStop_ = 0;
    Unprepare();
}

std::int32_t TStartStopKeyList::AlternativeAfter(std::int32_t i) const
{
    if (i < 0 || i >= Count())
        throw EListError();
    for (std::int32_t j = i + 1; j < Count(); ++j) {
        if (keys_[std::size_t(j)].alternativeOf == i)
            return j;
    }
    return -1;
}

void TStartStopKeyList::Prepare(const TSeparatorSet& separators)
{
    if (prepared_)
        return;
    // A key whose edge character is itself a separator supplies its own word
    // boundary there, so that side needs no look at the neighbour. The
    // characters are taken as given, before any upper-casing.
    const auto edges = [&](std::string_view text, bool& before, bool& after) {
        const std::u32string chars = ToUtf32(text);
        before = !chars.empty() && !IsSeparator(separators, chars.front());
        after = !chars.empty() && !IsSeparator(separators, chars.back());
    };
    for (TStartStopKey& key : keys_) {
        key.checkBeforeStart = key.checkAfterStart = false;
        key.checkBeforeStop = key.checkAfterStop = false;
        if (!(key.look.options & kKeyWholeWords))
            continue;
        edges(key.startText, key.checkBeforeStart, key.checkAfterStart);
        edges(key.stopText, key.checkBeforeStop, key.checkAfterStop);
    }
    // The version already moved when the list was unprepared: preparing it
    // only computes what that change implies.
    prepared_ = true;
}

void TStartStopKeyList::Write(TPropertyWriter& writer) const
{
    if (keys_.empty())
        return;
    writer.BeginList(kStartStopProperty);
    for (const TStartStopKey& key : keys_) {
        writer.WriteString(key.startText);
        writer.WriteString(key.stopText);
        WriteLook(writer, key.look);
        writer.WriteBoolean(key.closeAtParagraphEnd);
    }
    writer.EndList();
}

void TStartStopKeyList::Read(TPropertyReader& reader)
{
    Clear();
    while (reader.PeekKind() != TPropertyReader::ValueKind::EndOfList) {
        std::string start = reader.ReadString();
        std::string stop = reader.ReadString();
        const TKeyLook look = ReadLook(reader);
        const bool closeAtParagraphEnd = reader.ReadBoolean();
        Add(start, stop, look, closeAtParagraphEnd);
    }
}

void AddHtmlStartStopKeys(TStartStopKeyList& list)
{
    TKeyLook look;
    look.options = 0;
    look.style = 16;
    look.context = 1;
    look.pointer = 0;
    look.background = 65535;  // yellow (0x00BBGGRR)
    look.textColor = 0;
    list.Add("<", ">", look, false);
    look.background = 255;    // red
    list.Add("</", ">", look, false);
}

} // namespace vesk
