// Decoding page files as a stream, and the line index of what was read.
#include "validator/DocumentStream.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vesk {

// ---- line index -----------------------------------------------------------------

void TLineIndex::Clear()
{
    checkpoints_.assign(1, Checkpoint{0, 0, 0});
    deltas_.clear();
    count_ = 1;
    last_ = 0;
}

void TLineIndex::AddLineStart(std::int64_t offset)
{
    if (offset <= last_)
        return;
    if (count_ % kCheckpointEvery == 0) {
        checkpoints_.push_back(Checkpoint{offset, count_, deltas_.size()});
    } else {
        // Seven bits a byte, the high bit saying that more follow.
        std::uint64_t d = std::uint64_t(offset - last_);
        while (d >= 0x80) {
            deltas_.push_back(std::uint8_t(d | 0x80));
            d >>= 7;
        }
        deltas_.push_back(std::uint8_t(d));
    }
    last_ = offset;
    ++count_;
}

std::int64_t TLineIndex::LineOf(std::int64_t offset) const
{
    if (offset >= last_)
        return count_ - 1;
    auto it = std::upper_bound(checkpoints_.begin(), checkpoints_.end(), offset,
                               [](std::int64_t o, const Checkpoint& c) { return o < c.offset; });
    if (it == checkpoints_.begin())
        return 0;
    const Checkpoint& c = *std::prev(it);
    const std::int64_t end = std::next(std::prev(it)) == checkpoints_.end() ? count_ : c.line + kCheckpointEvery;
    std::int64_t start = c.offset, line = c.line;
    std::size_t at = c.position;
    while (line + 1 < end) {
        std::uint64_t d = 0;
        for (int shift = 0;; shift += 7) {
            const std::uint8_t b = deltas_[at++];
            d |= std::uint64_t(b & 0x7F) << shift;
            if (!(b & 0x80))
                break;
        }
        if (start + std::int64_t(d) > offset)
            break;
        start += std::int64_t(d);
        ++line;
    }
    return line;
}

// ---- decoder ------------------------------------------------------------------------

namespace {

// Bytes that need more than copying: breaks, NUL, the mark byte, and
// everything outside ASCII.
constexpr std::array<bool, 256> MakeSpecial()
{
    std::array<bool, 256> s{};
    s['\r'] = s['\n'] = s['\0'] = s['\5'] = true;
    for (int b = 0x80; b < 0x100; ++b)
        s[std::size_t(b)] = true;
    return s;
}
constexpr std::array<bool, 256> kSpecial = MakeSpecial();

constexpr char kBom[] = "\xEF\xBB\xBF";

// The first special byte at or after `i`, eight bytes at a time: a word is
// plain when no byte has its high bit set or equals CR, LF, NUL or 5.
std::size_t SkipPlain(const unsigned char* p, std::size_t i, std::size_t n)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHigh = 0x8080808080808080ull;
    auto hasZero = [](std::uint64_t v) { return (v - kOnes) & ~v & kHigh; };
    while (i + 8 <= n) {
        std::uint64_t w;
        std::memcpy(&w, p + i, 8);
        if ((w & kHigh) | hasZero(w) | hasZero(w ^ (kOnes * '\r')) | hasZero(w ^ (kOnes * '\n'))
            | hasZero(w ^ (kOnes * 5)))
            break;
        i += 8;
    }
    while (i < n && !kSpecial[p[i]])
        ++i;
    return i;
}

} // namespace

TTextDecoder::TTextDecoder(TextEncoding encoding) : utf8_(encoding != TextEncoding::Windows1252) {}

void TTextDecoder::Append(std::string* out, char32_t c)
{
    if (out)
        AppendUtf8(*out, c);
    ++chars_;
    pairable_ = false;
}

void TTextDecoder::Break(unsigned char c, std::string* out, TLineIndex* lines)
{
    // The other half of a break just read, with nothing between, completes it.
    if (pairable_ && c != lastBreak_) {
        pairable_ = false;
        return;
    }
    if (out)
        out->append("\r\n", 2);
    chars_ += 2;
    if (lines)
        lines->AddLineStart(chars_);
    lastBreak_ = c;
    pairable_ = true;
}

std::size_t TTextDecoder::Utf8Sequence(std::string_view bytes, std::string* out, bool atEnd)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char b = p[0];
    // Shortest forms only, no surrogates, nothing above U+10FFFF: the
    // allowed range of the second byte depends on the first.
    int len = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
        len = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        len = 3;
        if (b == 0xE0)
            lo = 0xA0;
        else if (b == 0xED)
            hi = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        len = 4;
        if (b == 0xF0)
            lo = 0x90;
        else if (b == 0xF4)
            hi = 0x8F;
    }
    std::size_t good = len == 0 ? 0 : 1;  // bytes of a well-formed prefix
    while (good > 0 && good < std::size_t(len) && good < bytes.size()) {
        const unsigned char c = p[good];
        const bool fits = good == 1 ? (c >= lo && c <= hi) : (c >= 0x80 && c <= 0xBF);
        if (!fits)
            break;
        ++good;
    }
    if (good == std::size_t(len) && len > 0) {
        if (out)
            out->append(bytes.data(), good);
        ++chars_;
        pairable_ = false;
        return good;
    }
    if (good > 0 && good == bytes.size() && !atEnd)
        return 0;  // cut by the end of the chunk: wait for the rest
    // Ill-formed: one byte reads as U+FFFD and decoding goes on after it.
    valid_ = false;
    Append(out, U'\uFFFD');
    return 1;
}

void TTextDecoder::Decode(std::string_view input, std::string* out, TLineIndex* lines)
{
    given_ += std::int64_t(input.size());
    std::string joined;
    if (!held_.empty()) {
        joined = held_;
        joined.append(input);
        held_.clear();
        input = joined;
    }
    if (atStart_ && utf8_) {
        // A byte-order mark is dropped; three bytes tell whether this is one.
        const std::size_t n = std::min<std::size_t>(input.size(), 3);
        if (std::memcmp(input.data(), kBom, n) == 0) {
            if (n < 3) {
                held_ = std::string(input);
                return;
            }
            input.remove_prefix(3);
        }
    }
    if (!input.empty())
        atStart_ = false;
    Run(input, out, lines, false);
}

void TTextDecoder::Finish(std::string* out)
{
    std::string rest;
    rest.swap(held_);
    atStart_ = false;
    Run(rest, out, nullptr, true);
}

void TTextDecoder::Run(std::string_view input, std::string* out, TLineIndex* lines, bool atEnd)
{
    if (out)
        out->reserve(out->size() + input.size() + input.size() / 8);
    const auto* p = reinterpret_cast<const unsigned char*>(input.data());
    const std::size_t n = input.size();
    std::size_t i = 0;
    while (i < n) {
        const std::size_t run = SkipPlain(p, i, n);
        if (run > i) {
            if (out)
                out->append(input.data() + i, run - i);
            chars_ += std::int64_t(run - i);
            pairable_ = false;
            i = run;
            continue;
        }
        const unsigned char c = p[i];
        if (c == '\r' || c == '\n') {
            Break(c, out, lines);
            ++i;
        } else if (c == 0) {
            Append(out, kNulStandIn);
            ++nuls_;
            ++i;
        } else if (c == 5) {
            Append(out, U'\u00A7');
            ++i;
        } else if (!utf8_) {
            Append(out, Windows1252ToUnicode(c));
            ++i;
        } else {
            const std::size_t used = Utf8Sequence(input.substr(i), out, atEnd);
            if (used == 0) {
                held_.assign(input.substr(i));
                break;
            }
            i += used;
        }
    }
}

} // namespace vesk
