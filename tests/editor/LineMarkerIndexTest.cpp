// Line markers ("<!>") found in the text store, and kept up to date from the
// store's change reports without scanning the whole text again.
#include "editor/LineMarkerIndex.h"
#include "editor/VeskNavigator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace vesk {
namespace {

using Offsets = std::vector<std::int32_t>;

struct FindCase {
    const char* what;
    std::string text;
    Offsets expected;  // offsets just after each marker
};

TEST(LineMarkers, FoundInDocumentOrderAtMostNine)
{
    std::string ten;
    for (int i = 0; i < 10; ++i)
        ten += "<!>\r\n";
    const FindCase cases[] = {
        {"none", "<p>no markers</p>", {}},
        {"one at the start", "<!>text", {3}},
        {"two on one line", "a<!>b<!>", {4, 8}},
        {"back to back", "<!><!>", {3, 6}},
        {"in later paragraphs", "x\r\n\r\ny<!>", {9}},
        {"after a non-ASCII character", "\xC3\xA9\xE4\xB8\xAD<!>", {5}},
        {"a code inside is no marker", "<\x02!>", {}},
        {"a break inside is no marker", "<!\r\n>", {}},
        {"only the first nine of ten", ten, {3, 8, 13, 18, 23, 28, 33, 38, 43}},
        {"parts of one only", "<!<!!>>", {}},
    };
    for (const FindCase& c : cases) {
        TVeskMemoStore store;
        store.SetTextBuf(c.text);
        EXPECT_EQ(FindLineMarkers(store), c.expected) << c.what;
    }
}

TEST(LineMarkers, MarksBetweenTheCharactersDoNotHideAMarker)
{
    TVeskMemoStore store;
    store.SetTextBuf("ab<!>c");
    THighlightState state;
    state.flagsStyle = 0xC0;
    state.depth = 0;
    for (std::int32_t at : {2, 3, 4, 5}) {
        TVeskNavigator nav(&store, false);
        nav.SetOffset(at);
        nav.InsertMark(state);
    }
    EXPECT_EQ(FindLineMarkers(store), Offsets{5});
}

// After each edit the index says what a fresh scan says, and it scans the
// whole text only once, when first read.
TEST(LineMarkers, TheIndexFollowsEditsWithoutRescanning)
{
    struct Edit {
        const char* what;
        std::int32_t from, to;
        const char* text;
    };
    const Edit edits[] = {
        {"typing before a marker moves it", 0, 0, "xx"},
        {"typing a marker by hand", 6, 6, "<!>"},
        {"its last character completes one", 12, 12, "<!"},
        {"", 14, 14, ">"},
        {"text put inside one breaks it", 8, 8, "-"},
        {"deleting its middle breaks it", 3, 4, ""},
        {"a break before all of them", 0, 0, "\r\n"},
        {"joining the halves of one", 9, 10, ""},
        {"deleting across several", 0, 12, ""},
    };
    TVeskMemoStore store;
    store.SetTextBuf("ab<!>cd<!>ef<!>");
    TLineMarkerIndex index(store);
    EXPECT_EQ(index.Markers(), FindLineMarkers(store));
    for (const Edit& e : edits) {
        ASSERT_TRUE(store.ReplaceRange(e.from, e.to, e.text).has_value()) << e.what;
        EXPECT_EQ(index.Markers(), FindLineMarkers(store)) << e.what << " in " << store.GetTextPart(0, 99);
    }
    EXPECT_EQ(index.Scans(), 1);
    store.SetTextBuf("<!>");
    EXPECT_EQ(index.Markers(), Offsets{3});
    EXPECT_EQ(index.Scans(), 2);  // a load is read afresh
}

TEST(LineMarkers, TheIndexAgreesWithAScanAfterRandomEdits)
{
    std::mt19937 rng(77);
    const char* pieces[] = {"<", "!", ">", "<!>", "a", " ", "\r\n", "\xC3\xA9", "<!><!>"};
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TVeskMemoStore store;
    std::string text;
    for (int i = 0; i < 400; ++i)
        text += pieces[pick(0, 8)];
    store.SetTextBuf(text);
    TLineMarkerIndex index(store);
    for (int step = 0; step < 3000; ++step) {
        const std::int32_t from = pick(0, store.CharCount());
        const std::int32_t to = std::min(store.CharCount(), from + pick(0, 4) * pick(0, 1));
        std::string inserted;
        for (int n = pick(0, 2); n > 0; --n)
            inserted += pieces[pick(0, 8)];
        store.ReplaceRange(from, to, inserted);
        ASSERT_EQ(index.Markers(), FindLineMarkers(store)) << "step " << step;
    }
    EXPECT_EQ(index.Scans(), 1);
}

TEST(LineMarkers, TheIndexForgetsItsStore)
{
    auto store = std::make_unique<TVeskMemoStore>();
    store->SetTextBuf("<!>");
    TLineMarkerIndex index(*store);
    EXPECT_EQ(index.Markers().size(), 1u);
    store.reset();
    EXPECT_TRUE(index.Markers().empty());
}

} // namespace
} // namespace vesk
