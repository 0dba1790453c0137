// Suggestions: the order of the edits, capitals, the list limit and the background generator.
#include "SpellTestUtil.h"

#include "spell/SpellText.h"
#include "spell/Suggestions.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::SpellBench;

TEST(Suggestions, SingleEditsComeInTheirOrder)
{
    std::vector<std::string> offered;
    GenerateSingleEdits("abcd", "x", [](std::string_view) { return true; },
                        [&](std::string_view c) { offered.emplace_back(c); return true; });
    const std::vector<std::string> expected = {
        "Abcd", "aBcd", "abCd", "abcD",           // case of one letter
        "bacd", "acbd", "abdc",                   // neighbours exchanged
        "bcd", "acd", "abd", "abc",               // one letter deleted
        "axbcd", "abxcd", "abcxd", "abcdx",       // inserted, from the second position
        "xbcd", "axcd", "abxd", "abcx",           // replaced
        "cbad", "adcb",                           // i and i + 2 exchanged
        "ab cd",                                  // two words
    };
    EXPECT_EQ(offered, expected);
}

TEST(Suggestions, CapitalsAreCarriedOver)
{
    struct Case { const char* word; const char* suggestion; const char* expected; };
    const Case cases[] = {
        {"Teh", "the", "The"}, {"TEH", "the", "THE"}, {"TEh", "the", "THe"},
        {"TH", "the", "THE"}, {"tH", "then", "tHEN"}, {"Ths", "t", "T"},
        {"\xc3\x89te", "\xc3\xa9t\xc3\xa9", "\xc3\x89t\xc3\xa9"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CarryCapitals(c.word, c.suggestion), c.expected) << c.word;
}

TEST(Suggestions, EngineListIsSortedLimitedAndCapitalised)
{
    SpellBench bench({"the", "tea", "ten", "eh", "in", "apple"});
    auto suggest = [&](const std::string& word, int limit = 50) {
        bench.engine.OpenDictionaries();
        TSuggestionList list(limit);
        bench.engine.Suggest(word, list);
        return list.Items();
    };
    EXPECT_EQ(suggest("teh"), (std::vector<std::string>{"eh", "tea", "ten", "the"}));
    EXPECT_EQ(suggest("Teh"), (std::vector<std::string>{"Eh", "eh", "Tea", "Ten", "The"}));
    EXPECT_EQ(suggest("TEH"), (std::vector<std::string>{"EH", "TEA", "TEN", "THE"}));
    EXPECT_EQ(suggest("inthe"), (std::vector<std::string>{"in the", "the"}));
    // A run stops right after the list grows past the limit: the, eh, tea.
    EXPECT_EQ(suggest("teh", 2), (std::vector<std::string>{"eh", "tea", "the"}));
    bench.engine.OpenDictionaries();
    TSuggestionList list(2);
    bench.engine.Suggest("teh", list);
    bench.engine.Suggest("teh", list);  // a further run adds at most one
    EXPECT_EQ(list.Items().size(), 4u);
}

TEST(Suggestions, BackgroundAddsTwoStepEditsUntilTheUserActs)
{
    SpellBench bench({"the", "apple", "in"});
    bench.engine.SetBackgroundSuggestions(true);
    bench.engine.SetWaitForCompletion(false);
    bool sawCaption = false;
    bench.engine.OnProcessMessages = [&] { sawCaption = sawCaption || bench.engine.GeneratingInBackground(); };
    const auto stops = bench.Run("Apl", {{-1, ""}});
    ASSERT_EQ(stops.size(), 1u);
    EXPECT_TRUE(stops[0].suggestions.empty());  // nothing one edit away
    EXPECT_EQ(bench.engine.Suggestions().Items(), std::vector<std::string>{"Apple"});
    EXPECT_TRUE(sawCaption);
    bench.engine.Action(saCancel);

    // A button pressed while it runs stops it, and the action is carried out.
    bench.engine.OnProcessMessages = [&] { bench.engine.Action(saIgnore); };
    bench.Run("Apl in", {{-1, ""}});
    EXPECT_FALSE(bench.engine.Checking());
    EXPECT_TRUE(bench.engine.Suggestions().Items().empty());
    EXPECT_EQ(bench.messages.back(), "Spell Check Complete\r\n\r\nWords Checked: 2");
}

} // namespace
} // namespace vesk
