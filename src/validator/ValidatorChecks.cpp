// Value rules of the attribute types, message texts and text helpers.
#include "validator/ValidatorChecks.h"

#include "editor/TextEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace vesk {
namespace {

bool IsLetter(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z'); }
bool IsDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool IsHex(char32_t c) { return IsDigit(c) || (c >= U'A' && c <= U'F') || (c >= U'a' && c <= U'f'); }
bool IsNameChar(char32_t c)
{
    return IsLetter(c) || IsDigit(c) || c == U'-' || c == U'.' || c == U':' || c == U'_';
}

// The colour names a COLOR value may be instead of "#" and hex digits.
constexpr std::array<std::u32string_view, 16> kColorNames{
    U"BLACK", U"SILVER", U"GRAY", U"WHITE", U"MAROON", U"RED", U"PURPLE", U"FUCHSIA",
    U"GREEN", U"LIME", U"OLIVE", U"YELLOW", U"NAVY", U"BLUE", U"TEAL", U"AQUA"};

// Character k (1-based) of a value of `type` passes; `prev` is character k − 1.
bool CharFits(std::string_view type, std::size_t k, char32_t c, char32_t prev)
{
    if (type == "NAME" || type == "ID")
        return k == 1 ? IsLetter(c) : IsNameChar(c);
    if (type == "NUMBER" || type == "PIXELS")
        return IsDigit(c);
    if (type == "MULTILENGTH")
        return IsDigit(c) || c == U'%' || c == U'*';
    if (type == "CHARACTER")
        return k == 1;
    if (type == "LENGTH")
        return IsDigit(c) || c == U'%';
    if (type == "IDREFS")
        return (k == 1 || prev == U' ') ? IsLetter(c) : (IsNameChar(c) || c == U' ');
    if (type == "COLOR") {
        if (k == 1)
            return c == U'#';
        return k <= 7 && IsHex(c);
    }
    if (type == "SIZE") {
        if (k == 1)
            return c == U'+' || c == U'-' || (c >= U'1' && c <= U'7');
        return k == 2 && c >= U'1' && c <= U'7';
    }
    return false;  // a type name outside the table
}

} // namespace

std::u32string UpperAscii(std::u32string_view s)
{
    std::u32string out(s);
    for (char32_t& c : out)
        c = UpperAscii(c);
    return out;
}

std::u32string LowerAscii(std::u32string_view s)
{
    std::u32string out(s);
    for (char32_t& c : out)
        c = LowerAscii(c);
    return out;
}

namespace {

template <bool Upper>
void DecodeAppend(std::u32string& out, std::string_view in)
{
    const auto* p = reinterpret_cast<const unsigned char*>(in.data());
    const std::size_t n = in.size();
    std::size_t i = 0;
    while (i < n) {
        // Runs of ASCII, eight bytes at a time.
        while (i + 8 <= n) {
            std::uint64_t word;
            std::memcpy(&word, p + i, 8);
            if (word & 0x8080808080808080ull)
                break;
            for (int k = 0; k < 8; ++k)
                out.push_back(Upper ? UpperAscii(char32_t(p[i + std::size_t(k)])) : char32_t(p[i + std::size_t(k)]));
            i += 8;
        }
        if (i >= n)
            break;
        const unsigned char b = p[i];
        if (b < 0x80) {
            out.push_back(Upper ? UpperAscii(char32_t(b)) : char32_t(b));
            ++i;
            continue;
        }
        int len = 0;
        char32_t c = 0;
        char32_t min = 0;
        if ((b & 0xE0) == 0xC0) { len = 2; c = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { len = 3; c = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { len = 4; c = b & 0x07; min = 0x10000; }
        bool ok = len > 0 && i + std::size_t(len) <= n;
        for (int k = 1; ok && k < len; ++k) {
            if ((p[i + std::size_t(k)] & 0xC0) != 0x80)
                ok = false;
            else
                c = (c << 6) | (p[i + std::size_t(k)] & 0x3F);
        }
        if (ok && (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        if (ok) {
            out.push_back(c);
            i += std::size_t(len);
        } else {
            out.push_back(U'\uFFFD');
            ++i;
        }
    }
}

} // namespace

std::u32string Utf8To32(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    DecodeAppend<false>(out, utf8);
    return out;
}

std::u32string Utf8To32Upper(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    DecodeAppend<true>(out, utf8);
    return out;
}

std::int32_t AppendUtf8Upper(std::u32string& out, std::string_view utf8)
{
    const std::size_t before = out.size();
    DecodeAppend<true>(out, utf8);
    return std::int32_t(out.size() - before);
}

std::size_t FindAsciiNoCase(std::string_view text, std::string_view needle, std::size_t from)
{
    if (needle.empty())
        return from <= text.size() ? from : std::string_view::npos;
    if (text.size() < needle.size())
        return std::string_view::npos;
    const auto fold = [](unsigned char c) { return c >= 'a' && c <= 'z' ? c - 32 : c; };
    const unsigned char head = static_cast<unsigned char>(needle.front());
    const bool letter = head >= 'A' && head <= 'Z';
    const std::size_t last = text.size() - needle.size();
    for (std::size_t at = from; at <= last; ++at) {
        if (!letter) {
            // Jump to the next possible first byte.
            const void* hit = std::memchr(text.data() + at, head, last - at + 1);
            if (!hit)
                return std::string_view::npos;
            at = std::size_t(static_cast<const char*>(hit) - text.data());
        } else if (fold(static_cast<unsigned char>(text[at])) != head) {
            continue;
        }
        std::size_t k = 1;
        while (k < needle.size() && fold(static_cast<unsigned char>(text[at + k])) == static_cast<unsigned char>(needle[k]))
            ++k;
        if (k == needle.size())
            return at;
    }
    return std::string_view::npos;
}

std::string Utf32To8(std::u32string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        AppendUtf8(out, c);
    return out;
}

bool InList(std::u32string_view list, std::u32string_view name)
{
    // Looks for ",name," without building it: every occurrence of name that
    // has a comma on both sides.
    if (list.size() < name.size() + 2)
        return false;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = list.find(name, from + 1);
        if (at == std::u32string_view::npos || at + name.size() >= list.size())
            return false;
        if (list[at - 1] == U',' && list[at + name.size()] == U',')
            return true;
        from = at;
    }
}

TNameList::TNameList(std::u32string text) : text_(std::move(text))
{
    std::size_t comma = text_.find(U',');
    while (comma != std::u32string::npos) {
        const std::size_t next = text_.find(U',', comma + 1);
        if (next == std::u32string::npos)
            break;
        pieces_.emplace(text_, comma + 1, next - comma - 1);
        comma = next;
    }
}

bool TNameList::Contains(std::u32string_view name) const
{
    if (name.find(U',') != std::u32string_view::npos)
        return InList(text_, name);
    return pieces_.find(name) != pieces_.end();
}

bool ValueFitsType(std::string_view type, std::u32string_view value)
{
    if (type == "CDATA" || type == "PCDATA")
        return true;
    if (!type.empty() && type.front() == '(') {
        const std::u32string haystack = Utf8To32Upper(type);
        std::u32string needle = U",";
        needle += UpperAscii(value);
        needle += U',';
        return haystack.find(needle) != std::u32string::npos;
    }
    if (type == "COLOR") {
        const std::u32string upper = UpperAscii(value);
        for (std::u32string_view name : kColorNames) {
            if (upper == name)
                return true;
        }
    }
    char32_t prev = 0;
    for (std::size_t k = 1; k <= value.size(); ++k) {
        const char32_t c = value[k - 1];
        if (!CharFits(type, k, c, prev))
            return false;
        prev = c;
    }
    return true;
}

// The texts stay exactly as users have always read them, odd spacing and
// wording included ("Unknown Tag :", "required element" for an attribute,
// a search text shown as written such as "<A ", "</>" when no end tag was
// expected): scripts look for them in what `htmlvesk --validate` prints, and
// the help pages explain each error by these words.
QString ValidatorMessage(int code, std::u32string_view name, std::u32string_view context)
{
    const QString n = QString::fromStdU32String(std::u32string(name));
    const QString c = QString::fromStdU32String(std::u32string(context));
    switch (code) {
    case 1: return QStringLiteral("Error 1 - Unknown Tag :") + n + QStringLiteral(".");
    case 2: return QStringLiteral("Error 2 - </") + n + QStringLiteral("> is not allowed.");
    case 3:
        return QStringLiteral("Error 3 - <") + n + QStringLiteral("> is not allowed between <") + c
            + QStringLiteral("> and </") + c + QStringLiteral(">.");
    case 4:
        return QStringLiteral("Error 4 - The End Tag, </") + n + QStringLiteral("> found but </") + c
            + QStringLiteral("> expected.");
    case 5:
        return QStringLiteral("Error 5 - The required element, <") + n + QStringLiteral(">, was not found between <")
            + c + QStringLiteral("> and </") + c + QStringLiteral(">.");
    case 6:
        return QStringLiteral("Error 6 - The required element, ") + n + QStringLiteral(", was not found in <") + c
            + QStringLiteral(">.");
    case 7: return QStringLiteral("Error 7 - ") + n + QStringLiteral(" in <") + c + QStringLiteral("> is not valid.");
    case 8:
        return QStringLiteral("Error 8 - The value, ") + n + QStringLiteral(", is not valid for ") + c
            + QStringLiteral(".");
    case 9: return QStringLiteral("Error 9 - The End Tag, </") + n + QStringLiteral(">, was not found.");
    case 10:
        return QStringLiteral("Error 10 - The element, ") + n + QStringLiteral(", is not in the correct place between <")
            + c + QStringLiteral("> and </") + c + QStringLiteral(">.");
    case 11:
        return QStringLiteral("Error 11 - The element, ") + n + QStringLiteral(", is only allowed once between <") + c
            + QStringLiteral("> and </") + c + QStringLiteral(">.");
    case 12:
        return QStringLiteral("Error 12 - The element, ") + n + QStringLiteral(", is not allowed between <") + c
            + QStringLiteral("> and </") + c + QStringLiteral(">.");
    case 13:
        return QStringLiteral("Error 13 - Content is required between <") + c + QStringLiteral("> and </") + c
            + QStringLiteral(">.");
    case 14:
        return QStringLiteral("Error 14 - ") + n
            + QStringLiteral(" is an invalid Entity (Entities are case sensitive).");
    case 15:
        return QStringLiteral("Error 15 - Beginning or Ending Quote Marks not found in ") + n + QStringLiteral(".");
    case 16:
        return QStringLiteral("Error 16 - Begin tag, <") + n + QStringLiteral("> found, but required end tag, </") + n
            + QStringLiteral("> not found.");
    default: return {};
    }
}

} // namespace vesk
