// The check loop, dialog actions, Undo Last and the end of a check, through a scripted dialog.
#include "SpellTestUtil.h"

#include "platform/ProfileFile.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::SpellBench;
using test::TStopSeen;

const std::vector<std::string> kWords = {"the", "a", "cat", "dog", "quoted", "mail", "and", "now",
                                         "see", "is", "it", "this", "The", "HTML"};
constexpr TSpellOptions kDefault = soInternet | soAutoSuggest | soPrimaryOnly | soRecheck | soRepeated;

struct StopCase {
    const char* text;
    TSpellOptions options;
    std::vector<TStopSeen> stops;
};

TEST(SpellCheckLoop, StopsWhereTheRulesSay)
{
    const StopCase cases[] = {
        {"<b>tset</b>dog", kDefault, {{"tset"}}},
        {"the the dog", kDefault, {{"the", true}}},
        {"the <i>the</i> dog", kDefault, {}},
        {"the teh the", kDefault, {{"teh"}}},
        {"the the", kDefault & ~soRepeated, {}},
        {"1999 Html", kDefault, {{"Html"}}},
        {"1999 HTMLX", kDefault, {{"HTMLX"}}},
        {"1999 HTMLX", kDefault | soUpcase, {}},
        {"mp3 it", kDefault, {{"mp3"}}},
        {"mp3 it", kDefault | soNumbers, {}},
        {"'quoted' dog's Dog ' ''", kDefault, {}},
        {"mail someone@example.com and HTTP://www.example.com/x.html?a=b now", kDefault, {}},
        {"mail someone@example.com now", kDefault & ~soInternet, {{"someone"}, {"example"}, {"com"}}},
        {"&amp; &#233; dog&nbsp;cat", kDefault, {}},
    };
    for (const StopCase& c : cases) {
        SpellBench bench(kWords);
        bench.SetOptions(c.options);
        EXPECT_EQ(bench.Run(c.text), c.stops) << c.text;
        EXPECT_FALSE(bench.engine.Checking());
    }
}

TEST(SpellCheckLoop, ActionsChangeTheTextAndTheLists)
{
    SpellBench bench(kWords);
    // Change All: later occurrences are replaced without a stop.
    EXPECT_EQ(bench.Run("teh cat teh dog teh", {{saChangeAll, "the"}}), std::vector<TStopSeen>{{"teh"}});
    EXPECT_EQ(bench.Text(), "the cat the dog the");
    // The re-checked replacement counts again: 5 words and 1 re-check.
    EXPECT_EQ(bench.messages, std::vector<std::string>{"Spell Check Complete\r\n\r\nWords Checked: 6"});
    // The change-all pair lives as long as the engine: the next check replaces at once.
    EXPECT_TRUE(bench.Run("teh").empty());
    EXPECT_EQ(bench.Text(), "the");

    // A re-checked replacement is checked itself; one that makes "the the" is reported.
    EXPECT_EQ(bench.Run("the tha dog", {{saChange, "xyz"}, {saChange, "the"}}),
              (std::vector<TStopSeen>{{"tha"}, {"xyz"}, {"the", true}}));
    EXPECT_EQ(bench.Text(), "the the dog");

    // Delete removes a repeated word and keeps the blanks around it; the
    // words after it are still checked up to the end of the text.
    EXPECT_EQ(bench.Run("the the dog cta", {{saChange, ""}}),
              (std::vector<TStopSeen>{{"the", true}, {"cta"}}));
    EXPECT_EQ(bench.Text(), "the  dog cta");

    // A longer replacement does not push the last word out of the check.
    EXPECT_EQ(bench.Run("xa yb", {{saChange, "dog and cat"}}), (std::vector<TStopSeen>{{"xa"}, {"yb"}}));

    // Ignore All, Add and Auto-Correct take effect for the rest of the check.
    EXPECT_EQ(bench.Run("zork a zork", {{saIgnoreAll, ""}}).size(), 1u);
    EXPECT_EQ(bench.Run("qux a qux", {{saAdd, ""}}).size(), 1u);
    EXPECT_EQ(bench.Run("hte a hte", {{saAutoCorrect, "the"}}).size(), 1u);
    EXPECT_EQ(bench.Text(), "the a the");
    // Added words and pairs were written to default.udt and are known to a new engine.
    const std::string udt = bench.dir.fileStd("default.udt");
    EXPECT_EQ(GetPrivateProfileString("Added", "IGN_0", "", udt), "qux");
    EXPECT_EQ(GetPrivateProfileString("Auto Correct", "AC_0", "", udt), "hte@@@the");
    SpellBench fresh(kWords);
    WritePrivateProfileString("Added", "IGN_ListCount", "1", fresh.dir.fileStd("default.udt"));
    WritePrivateProfileString("Added", "IGN_0", "qux", fresh.dir.fileStd("default.udt"));
    EXPECT_TRUE(fresh.Run("qux").empty());
}

TEST(SpellCheckLoop, CancelEndsWithoutMessageAndOneCheckRunsAtATime)
{
    SpellBench bench(kWords);
    bench.engine.SetWaitForCompletion(false);
    bench.Run("teh cat", {{-1, ""}});  // the dialog does not answer
    ASSERT_TRUE(bench.engine.Checking());
    TVeskMemoCore other;
    other.SetTextBuf("zzz");
    EXPECT_FALSE(bench.engine.Check(std::make_unique<TVeskMemoParser>(other)));
    bench.engine.Action(saCancel);
    EXPECT_FALSE(bench.engine.Checking());
    EXPECT_TRUE(bench.engine.Cancelled());
    EXPECT_TRUE(bench.messages.empty());
}

TEST(SpellCheckLoop, UndoLastReversesEachKindOfAction)
{
    for (int action : {saChange, saChangeAll, saIgnore, saIgnoreAll, saAdd, saAutoCorrect}) {
        SpellBench bench(kWords);
        // teh (action), zork (Undo Last), back at teh: the action and its
        // list effect are gone, so the second teh stops again.
        const auto stops = bench.Run("teh zork teh", {{action, "the"}, {saUndoLast, ""}});
        ASSERT_EQ(stops, (std::vector<TStopSeen>{{"teh"}, {"zork"}, {"teh"}, {"zork"}, {"teh"}}))
            << "action " << action;
        EXPECT_TRUE(stops[1].undoEnabled);
        EXPECT_FALSE(stops[2].undoEnabled);
        EXPECT_EQ(bench.Text(), "teh zork teh");
        EXPECT_TRUE(bench.engine.IgnoreAllList().empty());
        EXPECT_TRUE(bench.engine.ChangeAllList().empty());
        EXPECT_EQ(bench.messages.back(), "Spell Check Complete\r\n\r\nWords Checked: 3");
        const std::string udt = bench.dir.fileStd("default.udt");
        EXPECT_EQ(GetPrivateProfileInt("Added", "IGN_ListCount", 0, udt), 0);
        EXPECT_EQ(GetPrivateProfileInt("Auto Correct", "AC_ListCount", 0, udt), 0);
    }
    SpellBench bench(kWords);
    EXPECT_EQ(bench.Run("the the zork.", {{saChange, ""}, {saUndoLast, ""}}),
              (std::vector<TStopSeen>{{"the", true}, {"zork"}, {"the", true}, {"zork"}}));
    EXPECT_EQ(bench.Text(), "the the zork.");
}

TEST(SpellCheckLoop, DictionariesThatCannotBeOpenedAreReported)
{
    SpellBench bench(kWords);
    const QString gone = bench.dir.file("gone.dct");
    const std::string cfg = bench.dir.fileStd("SPELLCHK.CFG");
    WritePrivateProfileString("spellchk", "ID", "yes", cfg);
    WritePrivateProfileString("spellchk", "U_MU_DCT_ListCount", "1", cfg);
    WritePrivateProfileString("spellchk", "U_MU_DCT_0", "T" + gone.toStdString(), cfg);
    EXPECT_TRUE(bench.Run("teh").empty());
    EXPECT_EQ(bench.messages, std::vector<std::string>{"Unable to find dictionary file:\r\n" + gone.toStdString()});

    SpellBench damaged(kWords);
    QFile f(damaged.dir.file("english.dct"));
    f.resize(300);
    EXPECT_TRUE(damaged.Run("teh").empty());
    ASSERT_EQ(damaged.messages.size(), 1u);
    EXPECT_NE(damaged.messages[0].find(damaged.dir.fileStd("english.dct")), std::string::npos);
    EXPECT_FALSE(damaged.engine.Checking());
}

TEST(SpellCheckLoop, TheDialogShowsEachKindOfStop)
{
    SpellBench bench(kWords);
    const auto stops = bench.Run("teh the the");
    ASSERT_EQ(stops, (std::vector<TStopSeen>{{"teh"}, {"the", true}}));
    const TStopSeen& miss = stops[0];
    EXPECT_EQ(miss.errorLabel, "Not Found:");
    EXPECT_EQ(miss.changeCaption, "C&hange");
    for (int c : std::initializer_list<int>{saIgnore, saIgnoreAll, scWordEdit, scSuggestBox, saAdd, saStart, saOptions, saCancel})
        EXPECT_TRUE(miss.enabled[std::size_t(c)]) << c;
    for (int c : std::initializer_list<int>{saSuggest, saChange, saChangeAll, saAutoCorrect, saUndoLast, saHelp})
        EXPECT_FALSE(miss.enabled[std::size_t(c)]) << c;
    EXPECT_EQ(miss.suggestions, (std::vector<std::string>{"the"}));
    const TStopSeen& repeated = stops[1];
    EXPECT_EQ(repeated.errorLabel, "Repeated Word:");
    EXPECT_EQ(repeated.changeCaption, "&Delete");
    for (int c : std::initializer_list<int>{saChange, saIgnore, saUndoLast})
        EXPECT_TRUE(repeated.enabled[std::size_t(c)]) << c;
    for (int c : std::initializer_list<int>{saIgnoreAll, saAdd, scWordEdit, saChangeAll})
        EXPECT_FALSE(repeated.enabled[std::size_t(c)]) << c;

    // Without automatic suggestions the list starts empty and Suggest fills
    // it for the edit box's text, or for the word when the box is empty.
    bench.SetOptions(kDefault & ~soAutoSuggest);
    bench.engine.SetWaitForCompletion(false);  // the stop stays open after Suggest
    const auto manual = bench.Run("teh", {{saSuggest, ""}});
    ASSERT_EQ(manual.size(), 1u);
    EXPECT_TRUE(manual[0].enabled[saSuggest]);
    EXPECT_TRUE(manual[0].suggestions.empty());
    EXPECT_EQ(bench.lastSuggestions, (std::vector<std::string>{"the"}));
    bench.engine.Action(saCancel);
}

TEST(SpellCheckLoop, ConfigurationCanBeEditedBeforeAndDuringACheck)
{
    SpellBench bench(kWords);
    const std::string cfg = bench.dir.fileStd("SPELLCHK.CFG");
    WritePrivateProfileString("spellchk", "ID", "yes", cfg);
    bool answer = false;
    int configured = 0;
    bench.engine.OnMessage = [&](TSpellMessage kind, const std::string& text) {
        bench.messages.push_back(text);
        return kind == TSpellMessage::YesNo && answer;
    };
    bench.engine.OnConfigure = [&](TSpellChecker& e) {
        ++configured;
        bench.SetOptions(kDefault | soNumbers);  // english.dct in use, numbers ignored
        if (e.Checking())
            e.Action(saIgnore);  // the user goes on after closing the dialog
        return true;
    };
    const std::string question = "A main dictionary has yet to be\r\nset for this configuration.\r\n\r\nEdit configuration?";
    EXPECT_TRUE(bench.Run("teh").empty());  // No: nothing is checked, no end message
    EXPECT_EQ(bench.messages, std::vector<std::string>{question});
    EXPECT_EQ(configured, 0);
    answer = true;
    EXPECT_EQ(bench.Run("teh 5x").size(), 1u);  // Yes: configured, then checked with soNumbers
    EXPECT_EQ(bench.messages.front(), question);
    EXPECT_EQ(configured, 1);

    bench.SetOptions(kDefault);
    EXPECT_EQ(bench.Run("mp3 and mp4", {{saOptions, ""}}), std::vector<TStopSeen>{{"mp3"}});
    EXPECT_EQ(configured, 2);
}

} // namespace
} // namespace vesk
