// Tests of the keyword and start/stop key lists, separators and upper-casing.
#include "editor/KeyLists.h"

#include "editor/DynArray.h"
#include "editor/PropertyStream.h"

#include <gtest/gtest.h>

#include <string>

using namespace vesk;

namespace {

TKeyLook LookWith(std::uint8_t options)
{
    TKeyLook look;
    look.options = options;
    return look;
}

// A look whose every field differs from the default and needs its full width.
TKeyLook OddLook()
{
    TKeyLook look;
    look.options = kKeyMatchCase | kKeyWholeWords | 0x80;
    look.style = 0xFF;
    look.context = -32768;
    look.pointer = -5;
    look.background = 0xFFFFFFFF;
    look.textColor = 0x00123456;
    return look;
}

template <typename List>
std::string Stored(const List& list)
{
    std::string out;
    TPropertyWriter writer(out);
    list.Write(writer);
    return out;
}

// Reads `text`, which must hold exactly one property named `name`, into `list`.
template <typename List>
void Load(List& list, const std::string& text, const std::string& name)
{
    TPropertyReader reader(text);
    std::string found;
    ASSERT_TRUE(reader.NextProperty(found));
    ASSERT_EQ(found, name);
    list.Read(reader);
    EXPECT_FALSE(reader.NextProperty(found));
}

} // namespace

// ---------------------------------------------------------------- characters

TEST(Separators, DefaultSetAndStringRoundTrip)
{
    EXPECT_EQ(SeparatorsToString(DefaultSeparators()), "\t ,.:;");
    EXPECT_EQ(SeparatorsFromString("\t ,.:;"), DefaultSeparators());

    // Listed in ascending order; characters 128-255 come out as UTF-8.
    const TSeparatorSet set = SeparatorsFromString("\xC3\xA9" "b-a\x7F");
    EXPECT_EQ(set.count(), 5u);
    EXPECT_TRUE(IsSeparator(set, U'\u00E9'));
    EXPECT_EQ(SeparatorsToString(set), "-ab\x7F\xC3\xA9");
    EXPECT_EQ(SeparatorsFromString(SeparatorsToString(set)), set);

    // Only code points below 256 can be separators.
    const TSeparatorSet wide = SeparatorsFromString("\xE4\xB8\xAD" "x\xC4\x80");
    EXPECT_EQ(SeparatorsToString(wide), "x");
    EXPECT_FALSE(IsSeparator(wide, U'\u4E2D'));
    EXPECT_TRUE(SeparatorsFromString("").none());
}

TEST(Characters, UpperCasingAndDecoding)
{
    EXPECT_EQ(UpperChar(U'a'), U'A');
    EXPECT_EQ(UpperChar(U'z'), U'Z');
    EXPECT_EQ(UpperChar(U'Q'), U'Q');
    EXPECT_EQ(UpperChar(U'1'), U'1');
    EXPECT_EQ(UpperChar(U'\u00E9'), U'\u00C9');   // é → É
    EXPECT_EQ(UpperChar(U'\u00DF'), U'\u00DF');   // ß would need "SS"
    EXPECT_EQ(UpperChar(U'\u4E2D'), U'\u4E2D');   // 中 has no case
    EXPECT_EQ(UpperChar(U'\u03C9'), U'\u03A9');   // ω → Ω
    EXPECT_EQ(Upper(U"stra\u00DFe <b>"), U"STRA\u00DFE <B>");

    EXPECT_EQ(ToUtf32("a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80"), U"a\u00E9\u4E2D\U0001F600");
    EXPECT_EQ(ToUtf32("a\xFF" "b"), U"a\uFFFDb");
    EXPECT_EQ(ToUtf32("x\xE4\xB8"), U"x\uFFFD");  // cut short at the end
}

// ---------------------------------------------------------------- keywords

TEST(KeywordList, MaxLengthCountsCharactersAndFollowsChanges)
{
    TKeywordList list;
    EXPECT_EQ(list.MaxLength(), 0);
    list.Add("ab", {});
    list.Add("\xE4\xB8\xAD\xE6\x96\x87\xC3\xA9", {});  // 3 characters, 8 bytes
    list.Add("x", {});
    EXPECT_EQ(list.MaxLength(), 3);

    list.Insert(0, "abcd", {});
    EXPECT_EQ(list.MaxLength(), 4);
    list.Delete(2);  // a shorter one: the longest stays
    EXPECT_EQ(list.MaxLength(), 4);
    list.Delete(0);  // the longest: recomputed from the rest
    EXPECT_EQ(list.MaxLength(), 2);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.MaxLength(), 0);
}

TEST(KeywordList, KeepsTextCharactersAndUpperCopyInStep)
{
    TKeywordList list;
    list.Add("stra\xC3\x9F" "e", LookWith(1));
    list.Add("<b>", LookWith(2));
    list.Insert(1, "caf\xC3\xA9", LookWith(3));
    ASSERT_EQ(list.Count(), 3);

    EXPECT_EQ(list.Keyword(0), "stra\xC3\x9F" "e");
    EXPECT_EQ(list.Chars(0), U"stra\u00DFe");
    EXPECT_EQ(list.UpperChars(0), U"STRA\u00DFE");
    EXPECT_EQ(list.Keyword(1), "caf\xC3\xA9");
    EXPECT_EQ(list.UpperChars(1), U"CAF\u00C9");
    EXPECT_EQ(list.Look(1).options, 3);
    EXPECT_EQ(list.UpperChars(2), U"<B>");
    EXPECT_EQ(list.Look(2).options, 2);

    list.Delete(0);
    EXPECT_EQ(list.Keyword(0), "caf\xC3\xA9");
    EXPECT_EQ(list.Chars(0), U"caf\u00E9");
    EXPECT_EQ(list.UpperChars(1), U"<B>");
}

TEST(KeywordList, IndexesOutOfRangeThrow)
{
    TKeywordList list;
    list.Add("a", {});
    EXPECT_THROW(list.Keyword(1), EListError);
    EXPECT_THROW(list.UpperChars(-1), EListError);
    EXPECT_THROW(list.Delete(1), EListError);
    EXPECT_THROW(list.Insert(2, "b", {}), EListError);
    list.Insert(1, "b", {});  // at the end is allowed
    EXPECT_EQ(list.Keyword(1), "b");
}

TEST(KeywordList, EveryChangeMovesTheVersion)
{
    TKeywordList list;
    auto last = list.Version();
    const auto changed = [&] {
        const bool moved = list.Version() != last;
        last = list.Version();
        return moved;
    };
    list.Add("a", {});
    EXPECT_TRUE(changed());
    list.Insert(0, "b", {});
    EXPECT_TRUE(changed());
    list.Delete(1);
    EXPECT_TRUE(changed());
    list.Clear();
    EXPECT_TRUE(changed());

    // Assigning from a list that happens to be at the same version must
    // still look like a change.
    TKeywordList other;
    other.Add("zz", OddLook());
    other.nesting = true;
    while (other.Version() < list.Version())
        other.Add("zz", OddLook());
    while (list.Version() < other.Version())
        list.Clear();
    ASSERT_EQ(list.Version(), other.Version());
    last = list.Version();
    list.Assign(other);
    EXPECT_TRUE(changed());
    EXPECT_EQ(list.Count(), other.Count());
    EXPECT_EQ(list.Look(0), OddLook());
    EXPECT_EQ(list.UpperChars(0), U"ZZ");
    EXPECT_EQ(list.MaxLength(), 2);
    EXPECT_TRUE(list.nesting);
}

TEST(KeywordList, StoredFormIsExactAndRoundTrips)
{
    TKeywordList list;
    TKeyLook look;
    look.options = 2;
    look.style = 16;
    look.context = -3;
    look.pointer = 7;
    look.background = 65535;
    look.textColor = 0;
    list.Add("caf\xC3\xA9", look);
    EXPECT_EQ(Stored(list), "Strings (\n"
                            "  s \"caf\xC3\xA9\"\n"
                            "  i 2\n  i 16\n  i -3\n  i 7\n  i 65535\n  i 0\n"
                            ")\n");

    list.Add("\"quoted\"\t\xE4\xB8\xAD", OddLook());
    list.Add("", {});
    TKeywordList back;
    back.Add("left over", {});
    Load(back, Stored(list), "Strings");
    ASSERT_EQ(back.Count(), 3);
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.Keyword(i), list.Keyword(i));
        EXPECT_EQ(back.Look(i), list.Look(i));
        EXPECT_EQ(back.UpperChars(i), list.UpperChars(i));
    }
    EXPECT_EQ(back.MaxLength(), list.MaxLength());
}

TEST(KeywordList, EmptyListWritesNothingAndReadsEmpty)
{
    EXPECT_EQ(Stored(TKeywordList()), "");

    TKeywordList list;
    list.Add("stale", {});
    Load(list, "Strings (\n)\n", "Strings");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.MaxLength(), 0);
}

TEST(KeywordList, MalformedGroupThrows)
{
    // The second group lacks its text colour.
    const std::string text = "Strings (\n"
                             "  s \"one\"\n  i 0\n  i 0\n  i 0\n  i 0\n  i 0\n  i 0\n"
                             "  s \"two\"\n  i 0\n  i 0\n  i 0\n  i 0\n  i 0\n"
                             ")\n";
    TKeywordList list;
    TPropertyReader reader(text);
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_THROW(list.Read(reader), EReadError);

    // A group must begin with its string.
    TPropertyReader second("Strings (\n  i 1\n)\n");
    ASSERT_TRUE(second.NextProperty(name));
    EXPECT_THROW(list.Read(second), EReadError);
}

// ---------------------------------------------------------------- start/stop keys

TEST(StartStopKeys, AddUpperCasesUnlessMatchingCaseAndTracksLengths)
{
    TStartStopKeyList list;
    list.Add("<scr\xC3\xA9", "</b>", LookWith(0), false);
    list.Add("<Ab", "cD>", LookWith(kKeyMatchCase), false);
    ASSERT_EQ(list.Count(), 2);

    EXPECT_EQ(list[0].startText, "<scr\xC3\xA9");
    EXPECT_EQ(list[0].stopText, "</b>");
    EXPECT_EQ(list[0].start, U"<SCR\u00C9");
    EXPECT_EQ(list[0].stop, U"</B>");
    EXPECT_EQ(list[1].start, U"<Ab");
    EXPECT_EQ(list[1].stop, U"cD>");
    EXPECT_EQ(list[1].look.options, kKeyMatchCase);

    EXPECT_EQ(list.MaxStartLength(), 5);  // characters, not bytes
    EXPECT_EQ(list.MaxStopLength(), 4);
    EXPECT_THROW(list[2], EListError);
    EXPECT_THROW(list[-1], EListError);

    list.Clear();
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.MaxStartLength(), 0);
    EXPECT_EQ(list.MaxStopLength(), 0);

    // Closing at a paragraph end needs a stop window of two characters.
    list.Add("'", "'", {}, false);
    EXPECT_EQ(list.MaxStopLength(), 1);
    list.Add("\"", "\"", {}, true);
    EXPECT_EQ(list.MaxStopLength(), 2);
    list.Add("<!--", "-->", {}, false);
    EXPECT_EQ(list.MaxStopLength(), 3);
}

TEST(StartStopKeys, AlternativesPointAtTheFirstEntryWithTheSameStart)
{
    TStartStopKeyList list;
    list.Add("<a", ">", LookWith(0), false);              // 0
    list.Add("<A", "/>", LookWith(0), false);             // 1: same once upper-cased
    list.Add("<a", ">", LookWith(kKeyWholeWords), false); // 2: other options
    list.Add("<b", ">", LookWith(0), false);              // 3: other start
    list.Add("<a", "|", LookWith(0), false);              // 4: third of entry 0's kind
    list.Add("<a", ">", LookWith(kKeyWholeWords), false); // 5
    list.Add("<a", ">", LookWith(kKeyMatchCase), false);  // 6
    list.Add("<A", ">", LookWith(kKeyMatchCase), false);  // 7: case now counts

    const std::int16_t expected[] = {-1, 0, -1, -1, 0, 2, -1, -1};
    for (std::int32_t i = 0; i < list.Count(); ++i)
        EXPECT_EQ(list[i].alternativeOf, expected[i]) << "entry " << i;

    EXPECT_EQ(list.AlternativeAfter(0), 1);
    EXPECT_EQ(list.AlternativeAfter(1), -1);  // entry 4 names 0, not 1
    EXPECT_EQ(list.AlternativeAfter(2), 5);
    EXPECT_EQ(list.AlternativeAfter(3), -1);
    EXPECT_EQ(list.AlternativeAfter(7), -1);
    EXPECT_THROW(list.AlternativeAfter(-1), EListError);
    EXPECT_THROW(list.AlternativeAfter(8), EListError);
}

TEST(StartStopKeys, BoundaryFlagsFollowTheKeysEdgesAndSeparators)
{
    TStartStopKeyList list;
    list.Add("x", "y", LookWith(kKeyWholeWords), false);      // 0
    list.Add(" x", "y;", LookWith(kKeyWholeWords), false);    // 1
    list.Add("x.", ",y", LookWith(kKeyWholeWords), false);    // 2
    list.Add("x", "", LookWith(kKeyWholeWords), true);        // 3: no stop string
    list.Add("x", "y", LookWith(kKeyMatchCase), false);       // 4: not whole words
    list.Add(" ", " ", LookWith(kKeyWholeWords), false);      // 5
    list.Prepare(DefaultSeparators());
    ASSERT_TRUE(list.Prepared());

    struct Flags {
        bool beforeStart, afterStart, beforeStop, afterStop;
    };
    const Flags expected[] = {
        {true, true, true, true},     {false, true, true, false},  {true, false, false, true},
        {true, true, false, false},   {false, false, false, false}, {false, false, false, false},
    };
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].checkBeforeStart, expected[i].beforeStart);
        EXPECT_EQ(list[i].checkAfterStart, expected[i].afterStart);
        EXPECT_EQ(list[i].checkBeforeStop, expected[i].beforeStop);
        EXPECT_EQ(list[i].checkAfterStop, expected[i].afterStop);
    }
}

TEST(StartStopKeys, PrepareOnlyRecomputesWhenUnprepared)
{
    TStartStopKeyList list;
    list.Add("x", "y", LookWith(kKeyWholeWords), false);
    EXPECT_FALSE(list.Prepared());
    list.Prepare(DefaultSeparators());
    EXPECT_TRUE(list[0].checkBeforeStart);

    // Already prepared: other separators change nothing.
    const auto version = list.Version();
    list.Prepare(SeparatorsFromString("xy"));
    EXPECT_TRUE(list[0].checkBeforeStart);
    EXPECT_TRUE(list[0].checkAfterStop);
    EXPECT_EQ(list.Version(), version);

    list.Unprepare();
    EXPECT_FALSE(list.Prepared());
    EXPECT_NE(list.Version(), version);
    list.Prepare(SeparatorsFromString("xy"));
    EXPECT_FALSE(list[0].checkBeforeStart);
    EXPECT_FALSE(list[0].checkAfterStop);

    // Adding unprepares; the next Prepare sees the current separators for
    // every entry, old and new.
    const auto beforeAdd = list.Version();
    list.Add("y", "x", LookWith(kKeyWholeWords), false);
    EXPECT_FALSE(list.Prepared());
    EXPECT_NE(list.Version(), beforeAdd);
    list.Prepare(DefaultSeparators());
    EXPECT_TRUE(list[0].checkBeforeStart);
    EXPECT_TRUE(list[1].checkAfterStop);

    const auto beforeClear = list.Version();
    list.Clear();
    EXPECT_FALSE(list.Prepared());
    EXPECT_NE(list.Version(), beforeClear);
}

TEST(StartStopKeys, StoredFormIsExactAndRoundTrips)
{
    TStartStopKeyList list;
    TKeyLook look;
    look.options = 1;
    look.style = 4;
    look.context = -2;
    look.pointer = 3;
    look.background = 0;
    look.textColor = 0xFFFFFFFF;
    list.Add("<\xC3\xA9", "\"", look, true);
    EXPECT_EQ(Stored(list), "Keys (\n"
                            "  s \"<\xC3\xA9\"\n"
                            "  s \"\\\"\"\n"
                            "  i 1\n  i 4\n  i -2\n  i 3\n  i 0\n  i 4294967295\n"
                            "  b true\n"
                            ")\n");

    list.Add("<!--", "-->", OddLook(), false);
    list.Add("\xE4\xB8\xAD", "", {}, false);
    list.Add("<!--", "--!>", OddLook(), true);

    TStartStopKeyList back;
    back.Add("left", "over", {}, false);
    Load(back, Stored(list), "Keys");
    ASSERT_EQ(back.Count(), list.Count());
    for (std::int32_t i = 0; i < list.Count(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(back[i].startText, list[i].startText);
        EXPECT_EQ(back[i].stopText, list[i].stopText);
        EXPECT_EQ(back[i].start, list[i].start);
        EXPECT_EQ(back[i].stop, list[i].stop);
        EXPECT_EQ(back[i].look, list[i].look);
        EXPECT_EQ(back[i].closeAtParagraphEnd, list[i].closeAtParagraphEnd);
        EXPECT_EQ(back[i].alternativeOf, list[i].alternativeOf);
    }
    EXPECT_EQ(back[3].alternativeOf, 1);
    EXPECT_EQ(back.MaxStartLength(), 4);
    EXPECT_EQ(back.MaxStopLength(), 4);
    EXPECT_FALSE(back.Prepared());
}

TEST(StartStopKeys, EmptyListWritesNothingAndReadingClears)
{
    EXPECT_EQ(Stored(TStartStopKeyList()), "");

    TStartStopKeyList list;
    list.Add("<", ">", {}, true);
    list.Prepare(DefaultSeparators());
    Load(list, "Keys (\n)\n", "Keys");
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.MaxStopLength(), 0);
    EXPECT_FALSE(list.Prepared());

    // The closing boolean is part of every group.
    TPropertyReader reader("Keys (\n  s \"<\"\n  s \">\"\n  i 0\n  i 0\n  i 0\n  i 0\n  i 0\n  i 0\n)\n");
    std::string name;
    ASSERT_TRUE(reader.NextProperty(name));
    EXPECT_THROW(list.Read(reader), EReadError);
}

TEST(StartStopKeys, HtmlKeys)
{
    TStartStopKeyList list;
    AddHtmlStartStopKeys(list);
    ASSERT_EQ(list.Count(), 2);

    // Stored form: start, stop, options, style, context, pointer, background,
    // text colour, close at paragraph end.
    EXPECT_EQ(Stored(list), "Keys (\n"
                            "  s \"<\"\n  s \">\"\n  i 0\n  i 16\n  i 1\n  i 0\n  i 65535\n  i 0\n  b false\n"
                            "  s \"</\"\n  s \">\"\n  i 0\n  i 16\n  i 1\n  i 0\n  i 255\n  i 0\n  b false\n"
                            ")\n");
    EXPECT_EQ(list[0].alternativeOf, -1);
    EXPECT_EQ(list[1].alternativeOf, -1);
}
