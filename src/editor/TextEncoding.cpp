#include "editor/TextEncoding.h"

#include <array>
#include <bit>
#include <cstring>

namespace vesk {

namespace {

constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

inline std::uint64_t Load64(const unsigned char* p)
{
    std::uint64_t w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// Number of leading bytes (in memory order) of a loaded word whose top bit
// is clear; `mask` holds only the top bits and is not zero.
inline int AsciiBytesBefore(std::uint64_t mask)
{
    if constexpr (std::endian::native == std::endian::little)
        return std::countr_zero(mask) / 8;
    else
        return std::countl_zero(mask) / 8;
}

// Skips the ASCII bytes from `p`, eight at a time where possible.
inline const unsigned char* SkipAscii(const unsigned char* p, const unsigned char* end)
{
    while (end - p >= 8) {
        const std::uint64_t high = Load64(p) & kHighBits;
        if (high != 0)
            return p + AsciiBytesBefore(high);
        p += 8;
    }
    while (p < end && *p < 0x80)
        ++p;
    return p;
}

// Characters of 0x80..0x9F; the five bytes the code page leaves undefined
// stand for the C1 controls of the same value so that every byte survives a
// round trip through Unicode.
constexpr std::array<char32_t, 32> kHigh1252 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

// The UTF-8 form of each 1252 byte, precomputed so decoding a file is a
// table copy per byte.
struct Utf8Form {
    unsigned char len;
    char bytes[3];
};

constexpr Utf8Form EncodeSmall(char32_t c)
{
    if (c < 0x80)
        return {1, {static_cast<char>(c), 0, 0}};
    if (c < 0x800)
        return {2, {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F)), 0}};
    return {3,
            {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
             static_cast<char>(0x80 | (c & 0x3F))}};
}

constexpr char32_t Cp1252(unsigned char byte)
{
    return byte >= 0x80 && byte < 0xA0 ? kHigh1252[byte - 0x80] : char32_t(byte);
}

constexpr std::array<Utf8Form, 256> MakeUtf8Forms()
{
    std::array<Utf8Form, 256> forms{};
    for (int b = 0; b < 256; ++b)
        forms[b] = EncodeSmall(Cp1252(static_cast<unsigned char>(b)));
    return forms;
}

constexpr std::array<Utf8Form, 256> kUtf8Of1252 = MakeUtf8Forms();

// Expected continuation count and the allowed range of the first
// continuation byte for a lead byte; need < 0 marks a byte that can never
// start a sequence (continuation bytes, overlong leads C0/C1, F5..FF).
// The narrowed ranges exclude overlong forms (E0, F0), surrogates (ED) and
// values above U+10FFFF (F4).
struct LeadInfo {
    int need;
    unsigned char lower, upper;
};

inline LeadInfo ClassifyLead(unsigned char b)
{
    if (b < 0xC2)
        return {-1, 0, 0};
    if (b < 0xE0)
        return {1, 0x80, 0xBF};
    if (b < 0xF0)
        return {2, static_cast<unsigned char>(b == 0xE0 ? 0xA0 : 0x80),
                static_cast<unsigned char>(b == 0xED ? 0x9F : 0xBF)};
    if (b < 0xF5)
        return {3, static_cast<unsigned char>(b == 0xF0 ? 0x90 : 0x80),
                static_cast<unsigned char>(b == 0xF4 ? 0x8F : 0xBF)};
    return {-1, 0, 0};
}

// Walks valid UTF-8 text, handing ASCII runs and the 1252 byte of every
// other character to `sink`; stops with false at the first character
// without a byte.
template <typename Sink>
bool Walk1252(std::string_view utf8, Sink&& sink)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        const unsigned char* run = SkipAscii(p, end);
        if (run != p) {
            sink.Ascii(p, run);
            p = run;
            if (p == end)
                break;
        }
        const int len = Utf8SequenceLength(*p);
        if (len == 1 || end - p < len)
            return false;  // not valid UTF-8 after all: nothing sensible to write
        const int byte = UnicodeToWindows1252(DecodeUtf8At(reinterpret_cast<const char*>(p)));
        if (byte < 0)
            return false;
        sink.Byte(static_cast<char>(byte));
        p += len;
    }
    return true;
}

} // namespace

void Utf8Validator::Feed(std::string_view bytes)
{
    if (!valid_)
        return;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    int need = need_;
    unsigned lower = lower_, upper = upper_;

    while (p < end) {
        if (need > 0) {
            const unsigned char b = *p++;
            if (b < lower || b > upper) {
                valid_ = false;
                return;
            }
            lower = 0x80;
            upper = 0xBF;
            --need;
            continue;
        }
        p = SkipAscii(p, end);
        if (p == end)
            break;
        const LeadInfo lead = ClassifyLead(*p);
        if (lead.need < 0) {
            valid_ = false;
            return;
        }
        if (end - p > lead.need) {
            // The whole sequence is in this chunk: check it in one go.
            bool ok = p[1] >= lead.lower && p[1] <= lead.upper;
            for (int i = 2; i <= lead.need; ++i)
                ok &= (p[i] & 0xC0) == 0x80;
            if (!ok) {
                valid_ = false;
                return;
            }
            p += lead.need + 1;
            continue;
        }
        // The sequence runs on into the next chunk.
        ++p;
        need = lead.need;
        lower = lead.lower;
        upper = lead.upper;
    }
    need_ = need;
    lower_ = lower;
    upper_ = upper;
}

bool IsValidUtf8(std::string_view bytes)
{
    Utf8Validator validator;
    validator.Feed(bytes);
    return validator.Finish();
}

char32_t Windows1252ToUnicode(unsigned char byte)
{
    return Cp1252(byte);
}

int UnicodeToWindows1252(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<int>(c);
    if (c < 0xA0) {
        // Only the undefined bytes keep their C1 control; the other C1
        // values have no byte, as 0x80..0x9F mean other characters.
        return kHigh1252[c - 0x80] == c ? static_cast<int>(c) : -1;
    }
    for (std::size_t i = 0; i < kHigh1252.size(); ++i) {
        if (kHigh1252[i] == c)
            return static_cast<int>(0x80 + i);
    }
    return -1;
}

void AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        const char s[2] = {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
        out.append(s, 2);
    } else if (c < 0x10000) {
        if (c >= 0xD800 && c <= 0xDFFF)
            c = 0xFFFD;
        const char s[3] = {static_cast<char>(0xE0 | (c >> 12)),
                           static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                           static_cast<char>(0x80 | (c & 0x3F))};
        out.append(s, 3);
    } else if (c <= 0x10FFFF) {
        const char s[4] = {static_cast<char>(0xF0 | (c >> 18)),
                           static_cast<char>(0x80 | ((c >> 12) & 0x3F)),
                           static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                           static_cast<char>(0x80 | (c & 0x3F))};
        out.append(s, 4);
    } else {
        out.append("\xEF\xBF\xBD", 3);
    }
}

void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes)
{
    const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = begin + bytes.size();

    // Size the output exactly first, so the copy below writes through a
    // plain pointer instead of growing the string a few bytes at a time.
    std::size_t extra = 0;
    for (const unsigned char* p = SkipAscii(begin, end); p < end; p = SkipAscii(p, end))
        extra += kUtf8Of1252[*p++].len - 1;

    // Two bytes of slack let every character be stored as three bytes
    // without a branch on its length.
    const std::size_t start = out.size();
    const std::size_t size = start + bytes.size() + extra;
    out.resize(size + 2);
    char* dst = out.data() + start;
    const unsigned char* p = begin;
    while (p < end) {
        if (end - p >= 8 && (Load64(p) & kHighBits) == 0) {
            std::memcpy(dst, p, 8);
            dst += 8;
            p += 8;
            continue;
        }
        const Utf8Form& form = kUtf8Of1252[*p++];
        std::memcpy(dst, form.bytes, 3);
        dst += form.len;
    }
    out.resize(size);
}

bool Utf8ToWindows1252(std::string_view utf8, std::string& out)
{
    struct {
        std::string& out;
        void Ascii(const unsigned char* b, const unsigned char* e)
        {
            out.append(reinterpret_cast<const char*>(b), e - b);
        }
        void Byte(char c) { out.push_back(c); }
    } sink{out};
    out.clear();
    out.reserve(utf8.size());
    return Walk1252(utf8, sink);
}

bool RepresentableInWindows1252(std::string_view utf8)
{
    struct {
        void Ascii(const unsigned char*, const unsigned char*) {}
        void Byte(char) {}
    } sink;
    return Walk1252(utf8, sink);
}

char32_t DecodeUtf8At(const char* p)
{
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    const unsigned char b = u[0];
    if (b < 0x80)
        return b;
    if (b < 0xE0)
        return (char32_t(b & 0x1F) << 6) | (u[1] & 0x3F);
    if (b < 0xF0)
        return (char32_t(b & 0x0F) << 12) | (char32_t(u[1] & 0x3F) << 6) | (u[2] & 0x3F);
    return (char32_t(b & 0x07) << 18) | (char32_t(u[1] & 0x3F) << 12) |
           (char32_t(u[2] & 0x3F) << 6) | (u[3] & 0x3F);
}

std::string SanitizeUtf8(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return std::string(bytes);

    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(bytes.size() + 16);
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* end = p + bytes.size();
    const unsigned char* copied = p;  // start of the valid run not yet copied
    while (p < end) {
        p = SkipAscii(p, end);
        if (p == end)
            break;
        const LeadInfo lead = ClassifyLead(*p);
        if (lead.need < 0) {
            out.append(reinterpret_cast<const char*>(copied), p - copied);
            out.append(kReplacement, 3);
            copied = ++p;
            continue;
        }
        // Take continuation bytes while they can still lead to a valid
        // character; if the sequence breaks off, everything taken so far is
        // one maximal ill-formed subpart and becomes one U+FFFD, and the byte
        // that broke it is looked at afresh.
        const unsigned char* q = p + 1;
        unsigned lower = lead.lower, upper = lead.upper;
        int need = lead.need;
        while (need > 0 && q < end && *q >= lower && *q <= upper) {
            ++q;
            --need;
            lower = 0x80;
            upper = 0xBF;
        }
        if (need > 0) {
            out.append(reinterpret_cast<const char*>(copied), p - copied);
            out.append(kReplacement, 3);
            copied = q;
        }
        p = q;
    }
    out.append(reinterpret_cast<const char*>(copied), end - copied);
    return out;
}

std::size_t CountUtf8Chars(std::string_view utf8)
{
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    std::size_t continuations = 0;
    // A continuation byte has bit 7 set and bit 6 clear; shifting the word
    // left by one lines bit 6 of each byte up with its bit 7.
    while (end - p >= 8) {
        const std::uint64_t w = Load64(p);
        // Move each flag to the bottom bit of its byte and add the bytes up
        // with one multiplication (at most 8, so no carries between bytes).
        const std::uint64_t flags = (w & ~(w << 1) & kHighBits) >> 7;
        continuations += (flags * 0x0101010101010101ULL) >> 56;
        p += 8;
    }
    for (; p < end; ++p)
        continuations += (*p & 0xC0) == 0x80;
    return utf8.size() - continuations;
}

} // namespace vesk
