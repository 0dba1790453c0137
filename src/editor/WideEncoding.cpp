// UTF-16 and UTF-32: marks, a strict incremental decoder, and encoding from UTF-8.
#include "editor/WideEncoding.h"

namespace vesk {

namespace {

int UnitSizeOf(TextEncoding e)
{
    return e == TextEncoding::Utf32LE || e == TextEncoding::Utf32BE ? 4 : 2;
}

bool BigEndian(TextEncoding e)
{
    return e == TextEncoding::Utf16BE || e == TextEncoding::Utf32BE;
}

void PutUnit(std::string& out, std::uint32_t unit, int size, bool bigEndian)
{
    char bytes[4];
    for (int i = 0; i < size; ++i) {
        const int shift = 8 * (bigEndian ? size - 1 - i : i);
        bytes[i] = static_cast<char>((unit >> shift) & 0xFF);
    }
    out.append(bytes, std::size_t(size));
}

} // namespace

bool IsWideEncoding(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
    case TextEncoding::Utf32LE:
    case TextEncoding::Utf32BE:
        return true;
    default:
        return false;
    }
}

std::string_view ByteOrderMark(TextEncoding encoding)
{
    using namespace std::string_view_literals;
    switch (encoding) {
    case TextEncoding::Utf8Bom: return "\xEF\xBB\xBF"sv;
    case TextEncoding::Utf16LE: return "\xFF\xFE"sv;
    case TextEncoding::Utf16BE: return "\xFE\xFF"sv;
    case TextEncoding::Utf32LE: return "\xFF\xFE\0\0"sv;
    case TextEncoding::Utf32BE: return "\0\0\xFE\xFF"sv;
    default: return {};
    }
}

std::vector<TextEncoding> WideEncodingsByMark(std::string_view head)
{
    std::vector<TextEncoding> found;
    for (TextEncoding e : {TextEncoding::Utf32LE, TextEncoding::Utf32BE, TextEncoding::Utf16LE,
                           TextEncoding::Utf16BE}) {
        if (head.starts_with(ByteOrderMark(e)))
            found.push_back(e);
    }
    return found;
}

TWideDecoder::TWideDecoder(TextEncoding encoding)
    : encoding_(encoding), unitSize_(UnitSizeOf(encoding)), bigEndian_(BigEndian(encoding))
{
}

bool TWideDecoder::Feed(std::string_view bytes, std::string& out)
{
    out.reserve(out.size() + bytes.size());
    for (const char byte : bytes) {
        unit_[unitFill_++] = static_cast<unsigned char>(byte);
        if (unitFill_ < unitSize_)
            continue;
        unitFill_ = 0;
        std::uint32_t unit = 0;
        for (int i = 0; i < unitSize_; ++i)
            unit = unit << 8 | unit_[bigEndian_ ? i : unitSize_ - 1 - i];
        if (!Unit(unit, out))
            return false;
    }
    return true;
}

bool TWideDecoder::Unit(std::uint32_t unit, std::string& out)
{
    const bool isHigh = unit >= 0xD800 && unit <= 0xDBFF;
    const bool isLow = unit >= 0xDC00 && unit <= 0xDFFF;
    if (unitSize_ == 4) {
        if (isHigh || isLow || unit > 0x10FFFF)
            return false;
        AppendUtf8(out, char32_t(unit));
        return true;
    }
    if (high_) {
        if (!isLow)
            return false;  // a high surrogate must be followed by a low one
        AppendUtf8(out, char32_t(0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00)));
        high_ = 0;
        return true;
    }
    if (isLow)
        return false;
    if (isHigh) {
        high_ = unit;
        return true;
    }
    AppendUtf8(out, char32_t(unit));
    return true;
}

void AppendUtf8AsWide(std::string_view utf8, TextEncoding encoding, std::string& out)
{
    const int size = UnitSizeOf(encoding);
    const bool big = BigEndian(encoding);
    out.reserve(out.size() + utf8.size() * std::size_t(size));
    for (std::size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const char32_t c = lead < 0x80 ? char32_t(lead) : DecodeUtf8At(utf8.data() + i);
        i += std::size_t(Utf8SequenceLength(lead));
        if (size == 2 && c >= 0x10000) {
            PutUnit(out, 0xD800 + ((c - 0x10000) >> 10), 2, big);
            PutUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF), 2, big);
        } else {
            PutUnit(out, c, size, big);
        }
    }
}

std::size_t WideLength(std::string_view utf8, TextEncoding encoding)
{
    std::size_t units = 0;
    const bool utf16 = UnitSizeOf(encoding) == 2;
    for (std::size_t i = 0; i < utf8.size();) {
        const int length = Utf8SequenceLength(static_cast<unsigned char>(utf8[i]));
        units += utf16 && length == 4 ? 2 : 1;
        i += std::size_t(length);
    }
    return units * std::size_t(UnitSizeOf(encoding));
}

} // namespace vesk
