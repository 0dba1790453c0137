// Stored component definitions: named properties holding lists of typed values.
//
// The text format, one item per line (UTF-8, LF line ends):
//
//   Strings (
//     s "first piece\x05"
//     i -42
//     b true
//   )
//
// A property is its name (letters, digits, "_" and ".") followed by " (" and
// ends at a line holding ")". Each value line is a tag and a value: "s" a
// string in double quotes, "i" a decimal 64-bit integer, "b" true or false.
// Inside strings "\\" and "\"" stand for themselves, "\n", "\r" and "\t" for
// LF, CR and tab, and "\xHH" (two hexadecimal digits) for any other byte;
// every byte below 0x20 and 0x7F is written in that form, so a value never
// spans lines. Bytes from 0x80 up that form valid UTF-8 are written as they
// are; any other such byte is written as "\xHH", so the text is always valid
// UTF-8 whatever bytes the strings hold. The writer uses upper-case hex
// digits; the reader takes either case. Blank lines and lines starting with
// "#" are ignored between properties. Leading and trailing blanks of a line
// are ignored, and so is a CR before the LF.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vesk {

// Raised when a stored definition cannot be read; what() says where and why
// ("Line 3: string expected").
class EReadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TPropertyWriter {
public:
    explicit TPropertyWriter(std::string& out) : out_(out) {}
    // Throws std::invalid_argument when the name is empty or holds anything
    // but letters, digits, "_" and ".": the reader could not find it again.
    void BeginList(std::string_view propertyName);
    void WriteString(std::string_view bytes);
    void WriteInteger(std::int64_t value);
    void WriteBoolean(bool value);
    void EndList();

private:
    std::string& out_;
};

class TPropertyReader {
public:
    enum class ValueKind { String, Integer, Boolean, EndOfList };

    // The reader keeps a view of `text`: it must outlive the reader.
    explicit TPropertyReader(std::string_view text) : text_(text) {}

    // Moves to the next property and returns its name in `name`; false at the
    // end of the text. Any values of the current property not yet read are
    // skipped first.
    bool NextProperty(std::string& name);
    // The kind of the next value of the current property.
    ValueKind PeekKind();
    // Each throws EReadError when the next value is of another kind, or
    // malformed, or when no property is open.
    std::string ReadString();
    std::int64_t ReadInteger();
    bool ReadBoolean();
    // Skips what is left of the current property (up to and including ")").
    void SkipList();

private:
    // The next line with its surrounding blanks (and CR) removed; false at
    // the end of the text.
    bool PeekLine(std::string_view& line) const;
    void ConsumeLine();
    // The value text of the next value line, after checking its kind.
    std::string_view ValueOf(ValueKind expected, const char* what);
    [[noreturn]] void Fail(const std::string& why) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 0;            // lines consumed so far
    bool inList_ = false;
};

} // namespace vesk
