// Stored component definitions: writing and reading the line-based property text.
#include "editor/PropertyStream.h"

#include <charconv>

namespace vesk {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Length of the well-formed UTF-8 sequence starting at s[i] (shortest form,
// no surrogates, nothing above U+10FFFF), or 0 when there is none.
std::size_t Utf8LengthAt(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    unsigned char low = 0x80, high = 0xBF;  // range of the first continuation byte
    std::size_t length;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;   // overlong below U+0800
        else if (lead == 0xED)
            high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;   // overlong below U+10000
        else if (lead == 0xF4)
            high = 0x8F;  // above U+10FFFF
    } else {
        return 0;
    }
    if (s.size() - i < length)
        return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if (byte(i + k) < low || byte(i + k) > high)
            return 0;
        low = 0x80;
        high = 0xBF;
    }
    return length;
}

std::string_view TrimBlanks(std::string_view s)
{
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && (IsBlank(s.back()) || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

// ---------------------------------------------------------------- writer

void TPropertyWriter::BeginList(std::string_view propertyName)
{
    if (propertyName.empty())
        throw std::invalid_argument("Property name is empty");
    for (char c : propertyName) {
        if (!IsNameChar(c))
            throw std::invalid_argument("Property name \"" + std::string(propertyName) +
                                        "\" holds a character other than letters, digits, _ and .");
    }
    out_.append(propertyName);
    out_ += " (\n";
}

void TPropertyWriter::WriteString(std::string_view bytes)
{
    out_ += "  s \"";
    for (std::size_t i = 0; i < bytes.size();) {
        const char c = bytes[i];
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x80) {
            if (const std::size_t n = Utf8LengthAt(bytes, i)) {
                out_.append(bytes.substr(i, n));
                i += n;
                continue;
            }
        }
        ++i;
        switch (c) {
        case '\\': out_ += "\\\\"; break;
        case '"': out_ += "\\\""; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
            if (u < 0x20 || u >= 0x7F) {
                out_ += "\\x";
                out_ += kHexDigits[u >> 4];
                out_ += kHexDigits[u & 0xF];
            } else {
                out_ += c;
            }
        }
    }
    out_ += "\"\n";
}

void TPropertyWriter::WriteInteger(std::int64_t value)
{
    out_ += "  i ";
    out_ += std::to_string(value);
    out_ += '\n';
}

void TPropertyWriter::WriteBoolean(bool value)
{
    out_ += value ? "  b true\n" : "  b false\n";
}

void TPropertyWriter::EndList()
{
    out_ += ")\n";
}

// ---------------------------------------------------------------- reader

void TPropertyReader::Fail(const std::string& why) const
{
    // Errors always concern the line not yet consumed.
    throw EReadError("Line " + std::to_string(line_ + 1) + ": " + why);
}

bool TPropertyReader::PeekLine(std::string_view& line) const
{
    if (pos_ >= text_.size())
        return false;
    line = TrimBlanks(text_.substr(pos_, text_.find('\n', pos_) - pos_));
    return true;
}

void TPropertyReader::ConsumeLine()
{
    const std::size_t end = text_.find('\n', pos_);
    pos_ = end == std::string_view::npos ? text_.size() : end + 1;
    ++line_;
}

bool TPropertyReader::NextProperty(std::string& name)
{
    if (inList_)
        SkipList();
    std::string_view line;
    while (PeekLine(line)) {
        if (line.empty() || line.front() == '#') {
            ConsumeLine();
            continue;
        }
        std::size_t n = 0;
        while (n < line.size() && IsNameChar(line[n]))
            ++n;
        if (n == 0)
            Fail("property name expected");
        if (TrimBlanks(line.substr(n)) != "(")
            Fail("\"(\" expected after the property name");
        name.assign(line.substr(0, n));
        inList_ = true;
        ConsumeLine();
        return true;
    }
    return false;
}

TPropertyReader::ValueKind TPropertyReader::PeekKind()
{
    if (!inList_)
        Fail("no property is open");
    std::string_view line;
    if (!PeekLine(line))
        Fail("\")\" expected before the end of the text");
    if (line == ")")
        return ValueKind::EndOfList;
    std::size_t n = 0;
    while (n < line.size() && !IsBlank(line[n]))
        ++n;
    const std::string_view tag = line.substr(0, n);
    if (tag == "s")
        return ValueKind::String;
    if (tag == "i")
        return ValueKind::Integer;
    if (tag == "b")
        return ValueKind::Boolean;
    // Another property's first line means this one's ")" went missing; a
    // word is most likely a misspelt tag.
    if (!line.empty() && line.back() == '(')
        Fail("\")\" expected before the next property");
    bool word = !tag.empty();
    for (char c : tag)
        word = word && IsLetter(c);
    if (word && tag.size() <= 16)
        Fail("unknown value tag \"" + std::string(tag) + "\"");
    Fail("value or \")\" expected");
}

std::string_view TPropertyReader::ValueOf(ValueKind expected, const char* what)
{
    if (PeekKind() != expected)
        Fail(std::string(what) + " expected");
    std::string_view line;
    PeekLine(line);
    // The tag is one character; TrimBlanks drops the blanks after it.
    return TrimBlanks(line.substr(1));
}

std::string TPropertyReader::ReadString()
{
    const std::string_view value = ValueOf(ValueKind::String, "string");
    if (value.empty() || value.front() != '"')
        Fail("string expected");
    std::string result;
    std::size_t i = 1;
    for (;;) {
        if (i >= value.size())
            Fail("string is not closed");
        const char c = value[i++];
        if (c == '"')
            break;
        if (c != '\\') {
            result += c;
            continue;
        }
        const char e = i < value.size() ? value[i++] : '\0';
        switch (e) {
        case '\\': result += '\\'; break;
        case '"': result += '"'; break;
        case 'n': result += '\n'; break;
        case 'r': result += '\r'; break;
        case 't': result += '\t'; break;
        case 'x': {
            const int high = i < value.size() ? HexValue(value[i]) : -1;
            const int low = i + 1 < value.size() ? HexValue(value[i + 1]) : -1;
            if (high < 0 || low < 0)
                Fail("\"\\x\" must be followed by two hexadecimal digits");
            result += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            Fail("unknown escape sequence in string");
        }
    }
    if (i != value.size())
        Fail("unexpected text after the string");
    ConsumeLine();
    return result;
}

std::int64_t TPropertyReader::ReadInteger()
{
    const std::string_view value = ValueOf(ValueKind::Integer, "integer");
    std::int64_t result = 0;
    const char* const end = value.data() + value.size();
    const auto [ptr, ec] = std::from_chars(value.data(), end, result);
    if (ec == std::errc::result_out_of_range)
        Fail("integer out of range");
    if (ec != std::errc())
        Fail("integer expected");
    if (ptr != end)
        Fail("unexpected text after the integer");
    ConsumeLine();
    return result;
}

bool TPropertyReader::ReadBoolean()
{
    const std::string_view value = ValueOf(ValueKind::Boolean, "boolean");
    if (value != "true" && value != "false")
        Fail("true or false expected");
    ConsumeLine();
    return value == "true";
}

void TPropertyReader::SkipList()
{
    // Skipped values are still checked, so a damaged property is reported
    // rather than silently swallowing whatever follows it.
    for (;;) {
        switch (PeekKind()) {
        case ValueKind::String: ReadString(); break;
        case ValueKind::Integer: ReadInteger(); break;
        case ValueKind::Boolean: ReadBoolean(); break;
        case ValueKind::EndOfList: {
            ConsumeLine();
            inList_ = false;
            return;
        }
        }
    }
}

} // namespace vesk
