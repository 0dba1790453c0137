// Tests of the stored property text: exact format, round trips and malformed input.
#include "editor/PropertyStream.h"

#include <QString>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <variant>
#include <vector>

using namespace vesk;

namespace {

using namespace std::string_literals;

using Value = std::variant<std::string, std::int64_t, bool>;

struct Property {
    std::string name;
    std::vector<Value> values;
    bool operator==(const Property&) const = default;
};

std::string Write(const std::vector<Property>& properties)
{
    std::string out;
    TPropertyWriter writer(out);
    for (const Property& property : properties) {
        writer.BeginList(property.name);
        for (const Value& value : property.values) {
            if (const auto* s = std::get_if<std::string>(&value))
                writer.WriteString(*s);
            else if (const auto* i = std::get_if<std::int64_t>(&value))
                writer.WriteInteger(*i);
            else
                writer.WriteBoolean(std::get<bool>(value));
        }
        writer.EndList();
    }
    return out;
}

// Reads every value of every property, driven by PeekKind.
std::vector<Property> ReadAll(std::string_view text)
{
    TPropertyReader reader(text);
    std::vector<Property> result;
    std::string name;
    while (reader.NextProperty(name)) {
        Property property{name, {}};
        for (;;) {
            const auto kind = reader.PeekKind();
            if (kind == TPropertyReader::ValueKind::EndOfList)
                break;
            if (kind == TPropertyReader::ValueKind::String)
                property.values.emplace_back(reader.ReadString());
            else if (kind == TPropertyReader::ValueKind::Integer)
                property.values.emplace_back(reader.ReadInteger());
            else
                property.values.emplace_back(reader.ReadBoolean());
        }
        result.push_back(std::move(property));
    }
    return result;
}

bool IsWellFormedUtf8(const std::string& s)
{
    // Qt replaces every ill-formed sequence, so only valid text survives unchanged.
    return QString::fromUtf8(s.data(), qsizetype(s.size())).toUtf8().toStdString() == s;
}

std::string Printable(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "<%02X>", c);
            out += hex;
        }
    }
    return out;
}

std::string AllBytes()
{
    std::string s;
    for (int b = 0; b < 256; ++b)
        s += char(b);
    return s;
}

} // namespace

TEST(PropertyStream, WritesTheDocumentedText)
{
    const std::string text =
        Write({{"Strings", {"first piece\x05"s, "say \"hi\"\\\n\r\t"s, "caf\xC3\xA9 \xE2\x82\xAC"s,
                            "lone \xC3 and \xFF"s, "\x7F"s}},
               {"Options.v2", {std::int64_t{-42}, std::numeric_limits<std::int64_t>::min(), true,
                               false}},
               {"Empty_1", {}}});
    EXPECT_EQ(text,
              "Strings (\n"
              "  s \"first piece\\x05\"\n"
              "  s \"say \\\"hi\\\"\\\\\\n\\r\\t\"\n"
              "  s \"caf\xC3\xA9 \xE2\x82\xAC\"\n"
              "  s \"lone \\xC3 and \\xFF\"\n"
              "  s \"\\x7F\"\n"
              ")\n"
              "Options.v2 (\n"
              "  i -42\n"
              "  i -9223372036854775808\n"
              "  b true\n"
              "  b false\n"
              ")\n"
              "Empty_1 (\n"
              ")\n");
}

TEST(PropertyStream, TrickyStringsRoundTripExactlyAsValidUtf8)
{
    const std::vector<std::string> strings = {
        ""s,
        "plain text"s,
        "nul \0 inside"s,
        "\0"s,
        "\x05\x01\x1F\x7F"s,
        "line\nbreaks\r\nand\ttabs\r"s,
        "\"quoted\" \\back\\slashes\\"s,
        "\\x41 \\n \\\" written out"s,
        "ends with a backslash \\"s,
        "  blanks around  "s,
        ")"s,
        "# not a comment"s,
        "s \"nested\"\n)\nOther ("s,
        "UTF-8: \xC3\xA9 \xE2\x82\xAC \xF0\x9D\x84\x9E \xF4\x8F\xBF\xBF"s,
        "stray continuation \x80 and \xBF"s,
        "bad leads \xC0\x80 \xC1\xBF \xF5\x80\x80\x80 \xFF\xFE"s,
        "surrogate \xED\xA0\x80 overlong \xE0\x80\xAF \xF0\x80\x80\xAF above \xF4\x90\x80\x80"s,
        "cut short \xE2\x82"s,
        "\xF0\x9D\x84"s,
        "mixed \xC3\xA9\xC3 \xC3\xA9"s,
        AllBytes(),
    };
    std::vector<Value> values(strings.begin(), strings.end());
    const std::string text = Write({{"Strings", values}});
    EXPECT_TRUE(IsWellFormedUtf8(text)) << Printable(text);
    // One line per value plus the name and ")".
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::ptrdiff_t(strings.size() + 2));

    const std::vector<Property> read = ReadAll(text);
    ASSERT_EQ(read.size(), 1u);
    ASSERT_EQ(read[0].values.size(), strings.size());
    for (std::size_t i = 0; i < strings.size(); ++i)
        EXPECT_EQ(std::get<std::string>(read[0].values[i]), strings[i]) << Printable(strings[i]);
}

TEST(PropertyStream, IntegersBooleansAndMixedPropertiesRoundTrip)
{
    constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
    constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
    const std::vector<Property> properties = {
        {"Integers", {kMin, kMin + 1, std::int64_t{-1}, std::int64_t{0}, std::int64_t{1}, kMax - 1, kMax}},
        {"Flags", {true, false, false}},
        {"Empty", {}},
        {"Mixed.list_2", {"a"s, std::int64_t{7}, true, ""s, std::int64_t{-7}, false, "\n"s}},
        {"Empty", {}},
    };
    EXPECT_EQ(ReadAll(Write(properties)), properties);
}

TEST(PropertyStream, PeekKindFollowsTheValuesAndNextPropertySkipsTheRest)
{
    const std::string text = Write({{"First", {"one"s, std::int64_t{2}, true, "four"s}},
                                    {"Second", {std::int64_t{5}}},
                                    {"Third", {"six"s}}});
    TPropertyReader reader(text);
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_EQ(name, "First");
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::String);
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::String);  // peeking reads nothing
    EXPECT_EQ(reader.ReadString(), "one");
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::Integer);
    // The rest of First is left unread.
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_EQ(name, "Second");
    EXPECT_EQ(reader.ReadInteger(), 5);
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::EndOfList);
    EXPECT_EQ(reader.PeekKind(), TPropertyReader::ValueKind::EndOfList);
    // Nothing of Third read at all.
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_EQ(name, "Third");
    ASSERT_FALSE(reader.NextProperty(name));
    EXPECT_FALSE(reader.NextProperty(name));

    TPropertyReader skipping(text);
    ASSERT_TRUE(skipping.NextProperty(name));
    skipping.SkipList();
    ASSERT_TRUE(skipping.NextProperty(name));
    EXPECT_EQ(name, "Second");
    EXPECT_EQ(skipping.ReadInteger(), 5);
}

TEST(PropertyStream, ReaderAcceptsCrLfCommentsBlanksAndEitherHexCase)
{
    const std::string text =
        "# stored by hand\r\n"
        "\r\n"
        "   \t\n"
        "  Strings (  \r\n"
        "\ts \"a\\x0a\\x0A\\xfF\\\"\"  \r\n"
        "    i   -12\r\n"
        "  b true\t\r\n"
        "  )\r\n"
        "#\n"
        "Last (\n"
        ")";  // no final line end
    const std::vector<Property> expected = {
        {"Strings", {"a\n\n\xFF\""s, std::int64_t{-12}, true}},
        {"Last", {}},
    };
    EXPECT_EQ(ReadAll(text), expected);
    EXPECT_TRUE(ReadAll("").empty());
    EXPECT_TRUE(ReadAll("# nothing\n\n").empty());
}

TEST(PropertyStream, MalformedInputGivesReadErrorsNamingTheLine)
{
    struct Case {
        const char* what;
        std::string text;
        int line;
        const char* reason;  // part of the message
    };
    const std::vector<Case> cases = {
        {"truncated after a value", "A (\n  s \"x\"\n", 3, "\")\" expected"},
        {"truncated after the name", "A (", 2, "\")\" expected"},
        {"missing ) before the next property", "A (\n  i 1\nB (\n)\n", 3, "\")\" expected before the next property"},
        {"unknown tag", "A (\n  s \"x\"\n  q 1\n)\n", 3, "unknown value tag \"q\""},
        {"long tag", "A (\n  str \"x\"\n)\n", 2, "unknown value tag \"str\""},
        {"blank line inside a property", "A (\n  i 1\n\n)\n", 3, "value or \")\" expected"},
        {"comment inside a property", "A (\n# c\n)\n", 2, "value or \")\" expected"},
        {"tag glued to value", "A (\n  s\"x\"\n)\n", 2, "value or \")\" expected"},
        {"tag alone", "A (\n  s\n)\n", 2, "string expected"},
        {"string without quotes", "A (\n  s x\n)\n", 2, "string expected"},
        {"short hex escape", "A (\n  s \"\\x4\"\n)\n", 2, "two hexadecimal digits"},
        {"hex escape at the end", "A (\n  s \"\\x", 2, "two hexadecimal digits"},
        {"non-hex escape", "A (\n  s \"\\xG0\"\n)\n", 2, "two hexadecimal digits"},
        {"unknown escape", "A (\n  s \"\\q\"\n)\n", 2, "unknown escape"},
        {"backslash at the end", "A (\n  s \"abc\\\n)\n", 2, "escape"},
        {"unterminated string", "A (\n  s \"abc\n)\n", 2, "string is not closed"},
        {"escaped closing quote only", "A (\n  s \"abc\\\"\n)\n", 2, "string is not closed"},
        {"text after a string", "A (\n  s \"a\" \"b\"\n)\n", 2, "unexpected text after the string"},
        {"text after an integer", "A (\n  i 12x\n)\n", 2, "unexpected text after the integer"},
        {"integer with blanks inside", "A (\n  i 1 2\n)\n", 2, "unexpected text after the integer"},
        {"integer missing", "A (\n  i\n)\n", 2, "integer expected"},
        {"integer with plus", "A (\n  i +5\n)\n", 2, "integer expected"},
        {"integer overflow", "A (\n  i 9223372036854775808\n)\n", 2, "out of range"},
        {"integer underflow", "A (\n  i -9223372036854775809\n)\n", 2, "out of range"},
        {"huge integer", "A (\n  i " + std::string(400, '9') + "\n)\n", 2, "out of range"},
        {"bad boolean", "A (\n  b yes\n)\n", 2, "true or false expected"},
        {"boolean with text after", "A (\n  b true false\n)\n", 2, "true or false expected"},
        {"value outside a property", "s \"x\"\n", 1, "\"(\" expected"},
        {"value after a property", "A (\n)\n  i 3\n", 3, "\"(\" expected"},
        {"stray )", "A (\n)\n)\n", 3, "property name expected"},
        {"name without (", "A\n)\n", 1, "\"(\" expected"},
        {"text after (", "A ( i 1\n)\n", 1, "\"(\" expected"},
        {"bad name character", "A-B (\n)\n", 1, "\"(\" expected"},
        {"NUL in a name", "A\0B (\n)\n"s, 1, "\"(\" expected"},
        {"error on a later line", "# c\n\nA (\n  i 1\n)\n\nB (\n  b true\n  b maybe\n)\n", 9, "true or false"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ReadAll(c.text);
            ADD_FAILURE() << "no error";
        } catch (const EReadError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind("Line " + std::to_string(c.line) + ": ", 0), 0u) << message;
            EXPECT_NE(message.find(c.reason), std::string::npos) << message;
        }
    }
}

TEST(PropertyStream, WrongKindOrNoOpenPropertyIsAnError)
{
    const std::string text = Write({{"A", {std::int64_t{1}, "s"s, true}}});
    {
        TPropertyReader reader(text);
        EXPECT_THROW(reader.PeekKind(), EReadError);
        EXPECT_THROW(reader.ReadString(), EReadError);
        EXPECT_THROW(reader.SkipList(), EReadError);
    }
    TPropertyReader reader(text);
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_THROW(reader.ReadString(), EReadError);
    EXPECT_THROW(reader.ReadBoolean(), EReadError);
    // A failed read leaves the value in place.
    EXPECT_EQ(reader.ReadInteger(), 1);
    EXPECT_THROW(reader.ReadInteger(), EReadError);
    EXPECT_EQ(reader.ReadString(), "s");
    EXPECT_EQ(reader.ReadBoolean(), true);
    try {
        reader.ReadBoolean();
        ADD_FAILURE() << "read past the end of the property";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Line 5: boolean expected");
    }
    EXPECT_FALSE(reader.NextProperty(name));
    EXPECT_THROW(reader.ReadString(), EReadError);
}

TEST(PropertyStream, SkippingAPropertyStillChecksIt)
{
    // A damaged value must not let the skip run on into the next property.
    TPropertyReader reader("A (\n  s \"ok\"\n  s \"broken\n)\nB (\n)\n");
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_THROW(reader.NextProperty(name), EReadError);
}

TEST(PropertyStream, WriterRejectsNamesTheReaderCouldNotFind)
{
    std::string out;
    TPropertyWriter writer(out);
    for (const char* bad : {"", "two words", "a(", "tab\there", "caf\xC3\xA9", "x\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(writer.BeginList(bad), std::invalid_argument);
    }
    EXPECT_EQ(out, "");
    writer.BeginList("Az_09.x");
    writer.EndList();
    EXPECT_EQ(ReadAll(out), (std::vector<Property>{{"Az_09.x", {}}}));
}

TEST(PropertyStream, DamagedTextsEndInReadErrorsNotCrashes)
{
    // Every cut and every single-byte change of a valid text either reads or
    // fails with EReadError; run under the sanitizers this also catches reads
    // past the end.
    const std::string text =
        "# c\n" +
        Write({{"A", {"x\\\"\x05\xC3\xA9\xFF"s, std::int64_t{-9223372036854775807 - 1}, true}},
               {"B", {}}});
    const char replacements[] = {'\0', '\n', '\r', ' ', '"', '\\', 'x', '(', ')', '9', 's', '#'};
    auto readOrError = [](const std::string& damaged) {
        try {
            ReadAll(damaged);
        } catch (const EReadError&) {
        }
    };
    for (std::size_t cut = 0; cut <= text.size(); ++cut)
        readOrError(text.substr(0, cut));
    for (std::size_t i = 0; i < text.size(); ++i) {
        for (char r : replacements) {
            std::string damaged = text;
            damaged[i] = r;
            readOrError(damaged);
        }
    }
    SUCCEED();
}
