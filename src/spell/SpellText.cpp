// Word text of the spell checker: conversions and case.
#include "spell/SpellText.h"

#include "editor/TextEncoding.h"

#include <QChar>

#include <array>

namespace vesk {
namespace {

struct CaseTables {
    std::array<unsigned char, 256> lower{}, upper{};
    CaseTables()
    {
        for (int b = 0; b < 256; ++b) {
            lower[b] = upper[b] = static_cast<unsigned char>(b);
            const char32_t c = Windows1252ToUnicode(static_cast<unsigned char>(b));
            const int lo = UnicodeToWindows1252(QChar::toLower(c));
            const int up = UnicodeToWindows1252(QChar::toUpper(c));
            // Only a partner inside the code page counts, so the mapping
            // stays a byte-for-byte one ("ÿ" keeps its case: "Ÿ" is 0x9F).
            if (lo >= 0)
                lower[b] = static_cast<unsigned char>(lo);
            if (up >= 0)
                upper[b] = static_cast<unsigned char>(up);
        }
    }
};

const CaseTables& Tables()
{
    static const CaseTables tables;
    return tables;
}

std::u32string Decode(std::string_view utf8)
{
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const int n = Utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
        if (i + std::size_t(n) > utf8.size() || !IsValidUtf8(utf8.substr(i, std::size_t(n)))) {
            out.push_back(0xDC00u | static_cast<unsigned char>(utf8[i]));  // kept as a marker of the raw byte
            ++i;
            continue;
        }
        out.push_back(DecodeUtf8At(utf8.data() + i));
        i += std::size_t(n);
    }
    return out;
}

std::string Encode(const std::u32string& text)
{
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if ((c & 0xFF00u) == 0xDC00u)
            out.push_back(static_cast<char>(c & 0xFF));  // a raw byte goes back as it came
        else
            AppendUtf8(out, c);
    }
    return out;
}

bool IsAscii(std::string_view s)
{
    for (char c : s)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

template <class Map>
std::string MapCase(std::string_view utf8, Map map)
{
    if (IsAscii(utf8)) {
        std::string out(utf8);
        for (char& c : out)
            c = static_cast<char>(map(static_cast<unsigned char>(c)));
        return out;
    }
    std::u32string text = Decode(utf8);
    for (char32_t& c : text)
        if ((c & 0xFF00u) != 0xDC00u)
            c = map(c);
    return Encode(text);
}

char32_t ToLower(char32_t c)
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toLower(c);
}

char32_t ToUpper(char32_t c)
{
    if (c < 0x80)
        return (c >= 'a' && c <= 'z') ? c - 32 : c;
    return QChar::toUpper(c);
}

} // namespace

bool WordToDictBytes(std::string_view utf8, std::string& out)
{
    if (IsAscii(utf8)) {
        out.assign(utf8);
        return true;
    }
    out.clear();
    return IsValidUtf8(utf8) && Utf8ToWindows1252(utf8, out);
}

std::string DictBytesToWord(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string out;
    AppendWindows1252AsUtf8(out, bytes);
    return out;
}

unsigned char DictLower(unsigned char b) { return Tables().lower[b]; }
unsigned char DictUpper(unsigned char b) { return Tables().upper[b]; }

unsigned char DictOtherCase(unsigned char b)
{
    const unsigned char lo = DictLower(b);
    return lo != b ? lo : DictUpper(b);
}

std::string DictLowerWord(std::string_view bytes)
{
    std::string out(bytes);
    for (char& c : out)
        c = static_cast<char>(DictLower(static_cast<unsigned char>(c)));
    return out;
}

std::string LowerWord(std::string_view utf8) { return MapCase(utf8, ToLower); }
std::string UpperWord(std::string_view utf8) { return MapCase(utf8, ToUpper); }

bool IsAllDigits(std::string_view utf8)
{
    if (utf8.empty())
        return false;
    for (char c : utf8)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool HasDigit(std::string_view utf8)
{
    for (char c : utf8)
        if (c >= '0' && c <= '9')
            return true;
    return false;
}

bool IsAllUpper(std::string_view utf8)
{
    if (IsAscii(utf8)) {
        for (char c : utf8)
            if (c >= 'a' && c <= 'z')
                return false;
        return true;
    }
    return UpperWord(utf8) == utf8;
}

std::string CarryCapitals(std::string_view word, std::string_view suggestion)
{
    const std::u32string w = Decode(word);
    std::u32string s = Decode(suggestion);
    auto isCapital = [](char32_t c) { return ToLower(c) != c; };
    for (std::size_t i = 0; i < w.size() && i < s.size(); ++i)
        if (isCapital(w[i]))
            s[i] = ToUpper(s[i]);
    if (!w.empty() && isCapital(w.back()) && s.size() > w.size())
        for (std::size_t i = w.size(); i < s.size(); ++i)
            s[i] = ToUpper(s[i]);
    return Encode(s);
}

} // namespace vesk
