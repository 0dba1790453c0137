// Thousands of random edits of the text store checked, step by step, against
// a plain string of code points in which every paragraph break is the pair
// CR LF (a CR never occurs otherwise; a lone LF is an ordinary character).
#include "editor/VeskMemoStore.h"
#include "editor/VeskNavigator.h"

#include "EditorTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {
namespace {

using test::U32;
using test::U8;



// What inserted text becomes in the model: CR LF and a lone CR are breaks.
std::u32string NormaliseInserted(std::u32string_view text)
{
    std::u32string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == U'\r') {
            out += U"\r\n";
            if (i + 1 < text.size() && text[i + 1] == U'\n')
                ++i;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

// The model and what is derived from it.
struct Model {
    std::u32string text;
    std::vector<std::int32_t> starts;  // paragraph starts

    void Reindex()
    {
        starts.assign(1, 0);
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == U'\r')
                starts.push_back(std::int32_t(i) + 2);
        }
    }
    std::int32_t Size() const { return std::int32_t(text.size()); }
    bool InsideBreak(std::int32_t o) const { return o > 0 && o < Size() && text[std::size_t(o) - 1] == U'\r'; }
    // The paragraph that owns offset o; both offsets of a break belong to the paragraph before it.
    std::int32_t ParagraphOf(std::int32_t o) const
    {
        auto it = std::upper_bound(starts.begin(), starts.end(), o);
        return std::int32_t(it - starts.begin()) - 1;
    }
    // The style switched on by the codes before paragraph i.
    std::uint8_t StartStyle(std::int32_t i) const
    {
        std::uint8_t style = 0;
        for (std::size_t k = 0; k < std::size_t(starts[std::size_t(i)]); ++k) {
            if (text[k] < 0x80)
                style ^= StyleBitOf(static_cast<unsigned char>(text[k]));
        }
        return style;
    }
    std::u32string Paragraph(std::int32_t i) const
    {
        const std::size_t b = std::size_t(starts[std::size_t(i)]);
        const std::size_t e = std::size_t(i) + 1 < starts.size() ? std::size_t(starts[std::size_t(i) + 1]) - 2 : text.size();
        return text.substr(b, e - b);
    }
};

// Pieces inserted text is built from.
const std::u32string_view kPieces[] = {
    U"a", U"b", U" ", U"é", U"中", U"😀", U"\x01", U"\x02", U"\r", U"\n", U"\r\n",
};
// Weights: mostly letters, breaks often enough to make and join paragraphs.
const int kWeights[] = {6, 4, 3, 2, 2, 2, 1, 1, 2, 1, 2};

class TextStoreModel : public ::testing::Test {
protected:
    std::mt19937 rng{20240611u};
    Model model;
    TVeskMemoStore store;

    int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

    std::u32string RandomText(int maxPieces)
    {
        static std::discrete_distribution<int> pick(std::begin(kWeights), std::end(kWeights));
        std::u32string t;
        const int n = Rand(0, maxPieces);
        for (int i = 0; i < n; ++i)
            t += kPieces[pick(rng)];
        return t;
    }

    std::int32_t RandomOffset() { return Rand(0, model.Size()); }

    // Everything the model can see, at a few random places.
    void CheckSample(int step)
    {
        ASSERT_EQ(store.CharCount(), model.Size()) << "step " << step;
        ASSERT_EQ(store.ParagraphCount(), std::int32_t(model.starts.size())) << "step " << step;
        EXPECT_EQ(store.LineCount(), store.ParagraphCount()) << "step " << step;
        const std::int32_t pars = std::int32_t(model.starts.size());
        for (int k = 0; k < 3; ++k) {
            const std::int32_t i = Rand(0, pars - 1);
            EXPECT_EQ(store.ParagraphStart(i), model.starts[std::size_t(i)]) << "step " << step << ", paragraph " << i;
            EXPECT_EQ(store.FirstLine(i), i) << "step " << step;
            EXPECT_EQ(store.Paragraph(i).startStyle, model.StartStyle(i)) << "step " << step << ", paragraph " << i;
            const auto text = store.ParagraphText(i);
            ASSERT_TRUE(text.has_value());
            EXPECT_EQ(U32(*text), model.Paragraph(i)) << "step " << step << ", paragraph " << i;
        }
        // Characters anywhere, and both offsets of some break.
        for (int k = 0; k < 10 && model.Size() > 0; ++k) {
            const std::int32_t o = Rand(0, model.Size() - 1);
            EXPECT_EQ(store.CharAt(o), model.text[std::size_t(o)]) << "step " << step << ", offset " << o;
        }
        if (pars > 1) {
            const std::int32_t i = Rand(1, pars - 1);
            const std::int32_t cr = model.starts[std::size_t(i)] - 2;
            EXPECT_EQ(store.CharAt(cr), char32_t(13)) << "step " << step;
            EXPECT_EQ(store.CharAt(cr + 1), char32_t(10)) << "step " << step;
        }
        EXPECT_EQ(store.CharAt(-1), char32_t(0));
        // Ranges, some running off either end of the text.
        for (int k = 0; k < 3; ++k) {
            std::int32_t from = Rand(-3, model.Size());
            std::int32_t to = from + Rand(0, 60);
            const std::int32_t f = std::max(from, 0), t = std::min(to, model.Size());
            const std::u32string expected = t > f ? model.text.substr(std::size_t(f), std::size_t(t - f)) : std::u32string();
            EXPECT_EQ(U32(store.GetTextPart(from, to)), expected) << "step " << step << ", " << from << " … " << to;
        }
    }

    // Everything, everywhere.
    void CheckAll(int step)
    {
        ASSERT_EQ(store.ParagraphCount(), std::int32_t(model.starts.size())) << "step " << step;
        EXPECT_EQ(U32(store.GetTextPart(0, store.CharCount())), model.text) << "step " << step;
        for (std::int32_t i = 0; i < store.ParagraphCount(); ++i) {
            EXPECT_EQ(store.ParagraphStart(i), model.starts[std::size_t(i)]) << "step " << step << ", paragraph " << i;
            EXPECT_EQ(U32(store.ParagraphText(i).value_or("")), model.Paragraph(i)) << "step " << step << ", paragraph " << i;
            EXPECT_EQ(store.ParagraphOfOffset(model.starts[std::size_t(i)]), i) << "step " << step;
            EXPECT_EQ(store.Paragraph(i).startStyle, model.StartStyle(i)) << "step " << step << ", paragraph " << i;
        }
        for (std::int32_t o = 0; o < model.Size(); ++o)
            ASSERT_EQ(store.CharAt(o), model.text[std::size_t(o)]) << "step " << step << ", offset " << o;
    }

    void CheckNavigator(TVeskNavigator& nav, std::int32_t expected, int step, int which)
    {
        ASSERT_EQ(nav.Offset(), expected) << "step " << step << ", navigator " << which;
        const std::int32_t p = model.ParagraphOf(expected);
        EXPECT_EQ(nav.ParagraphIndex(), p) << "step " << step << ", navigator " << which << " at " << expected;
        EXPECT_EQ(nav.Position(), expected - model.starts[std::size_t(p)])
            << "step " << step << ", navigator " << which << " at " << expected;
        EXPECT_EQ(nav.DisplayLine(), p) << "step " << step << ", navigator " << which;
        const char32_t ch = expected < model.Size() ? model.text[std::size_t(expected)] : char32_t(13);
        EXPECT_EQ(nav.CharAtPos(), ch) << "step " << step << ", navigator " << which << " at " << expected;
    }
};

TEST_F(TextStoreModel, RandomEditsMatchAPlainString)
{
    constexpr int kSteps = 10000;
    constexpr int kNavigators = 6;
    std::vector<std::unique_ptr<TVeskNavigator>> navs;
    for (int i = 0; i < kNavigators; ++i)
        navs.push_back(std::make_unique<TVeskNavigator>(&store));
    model.Reindex();

    int marksInserted = 0, marksDeleted = 0;
    for (int step = 0; step < kSteps; ++step) {
        // Place some navigators afresh; the others stay where the last edit left them.
        for (auto& nav : navs) {
            if (Rand(0, 1) == 0)
                nav->SetOffset(RandomOffset());
            if (Rand(0, 2) == 0)
                (void)nav->ByteIndex();  // cached indexes the edit must not trust
        }

        // The edit: insert, delete or replace, growing while the text is
        // small and shrinking when it gets long.
        std::int32_t from = RandomOffset();
        std::int32_t to = from;
        std::u32string text;
        const int kind = Rand(0, 2);
        const bool big = model.Size() > 2000;
        if (kind != 0)
            to = std::min(model.Size(), from + Rand(0, big ? 60 : 12));
        if (kind != 1)
            text = RandomText(big ? 4 : 12);
        if (Rand(0, 99) == 0) {  // now and then a range past the text's ends
            from -= Rand(0, 5);
            to += Rand(0, 5);
        }
        SCOPED_TRACE(testing::Message() << "step " << step << ": replace " << from << " … " << to << " by "
                                        << testing::PrintToString(U8(text)));

        // The model's rule.
        std::int32_t f = std::clamp(from, 0, model.Size());
        std::int32_t t = std::clamp(to, 0, model.Size());
        if (model.InsideBreak(f))
            --f;
        if (model.InsideBreak(t))
            ++t;
        const std::u32string inserted = NormaliseInserted(text);
        const std::int32_t delta = std::int32_t(inserted.size()) - (t - f);
        std::vector<std::int32_t> expected;
        for (auto& nav : navs) {
            const std::int32_t o = nav->Offset();
            expected.push_back(o < f ? o : o < t ? f : o + delta);
        }

        const auto change = store.ReplaceRange(from, to, U8(text));
        ASSERT_TRUE(change.has_value());
        EXPECT_EQ(change->start, f);
        EXPECT_EQ(change->oldLength, t - f);
        EXPECT_EQ(change->newLength, std::int32_t(inserted.size()));

        model.text = model.text.substr(0, std::size_t(f)) + inserted + model.text.substr(std::size_t(t));
        model.Reindex();

        CheckSample(step);
        for (int i = 0; i < kNavigators; ++i)
            CheckNavigator(*navs[std::size_t(i)], expected[std::size_t(i)], step, i);

        // Every twenty steps a context mark comes or goes; nothing above may notice.
        if (step % 20 == 10) {
            if (Rand(0, 2) != 0) {
                auto& nav = *navs[std::size_t(Rand(0, kNavigators - 1))];
                const std::int32_t at = nav.Offset();
                // Never inside a break: a mark belongs between characters of a paragraph.
                if (!model.InsideBreak(at)) {
                    THighlightState state;
                    state.flagsStyle = std::uint8_t(0xC0 | Rand(0, 63));
                    state.depth = std::int8_t(Rand(0, 3));
                    for (int d = 0; d <= state.depth; ++d)
                        state.stack[d] = std::int16_t(Rand(-32768, 32767));
                    const std::int32_t marksBefore = store.Paragraph(nav.ParagraphIndex()).markCount;
                    nav.InsertMark(state);
                    EXPECT_EQ(nav.Offset(), at);
                    EXPECT_EQ(store.Paragraph(nav.ParagraphIndex()).markCount, marksBefore + 1);
                    ++marksInserted;
                }
            } else {
                TVeskNavigator finder(&store, false);
                finder.SetOffset(RandomOffset());
                if (finder.NextMark(store.CharCount()) || finder.PreviousMark(0)) {
                    const std::int32_t p = finder.ParagraphIndex();
                    const std::int32_t marksBefore = store.Paragraph(p).markCount;
                    finder.DeleteMark();
                    EXPECT_EQ(store.Paragraph(p).markCount, marksBefore - 1);
                    ++marksDeleted;
                }
            }
            CheckSample(step);
            for (int i = 0; i < kNavigators; ++i)
                CheckNavigator(*navs[std::size_t(i)], expected[std::size_t(i)], step, i);
        }
        if (step % 250 == 249)
            CheckAll(step);
        if (HasFailure())
            return;
    }
    CheckAll(kSteps);
    // The run must have exercised what it claims to.
    EXPECT_GT(marksInserted, 200);
    EXPECT_GT(marksDeleted, 50);
    EXPECT_GT(store.ParagraphCount(), 20);
}

// The same kind of run with every edit a single character typed or deleted
// at a navigator, the way typing drives the store.
TEST_F(TextStoreModel, TypingAtACaret)
{
    TVeskNavigator caret(&store);
    TVeskNavigator anchor(&store);
    model.Reindex();
    for (int step = 0; step < 4000; ++step) {
        if (Rand(0, 40) == 0)
            caret.SetOffset(RandomOffset());
        if (Rand(0, 60) == 0)
            anchor.SetOffset(RandomOffset());
        const std::int32_t at = caret.Offset();
        std::int32_t rawTo = at;
        std::u32string piece;
        if (Rand(0, 3) == 0 && at < model.Size()) {
            rawTo = at + 1;  // delete forward (a break goes whole)
        } else {
            piece = kPieces[std::size_t(Rand(0, 7))];  // letters, blanks, non-ASCII, codes
            if (Rand(0, 10) == 0)
                piece = U"\r\n";
        }
        SCOPED_TRACE(testing::Message() << "step " << step << " at " << at);
        std::int32_t f = at, t = rawTo;
        if (model.InsideBreak(f))
            --f;
        if (model.InsideBreak(t))
            ++t;
        const std::u32string inserted = NormaliseInserted(piece);
        const std::int32_t delta = std::int32_t(inserted.size()) - (t - f);
        const std::int32_t a = anchor.Offset();
        const std::int32_t expectedAnchor = a < f ? a : a < t ? f : a + delta;
        const std::int32_t expectedCaret = at < t ? f : at + delta;

        ASSERT_TRUE(store.ReplaceRange(at, rawTo, U8(piece)).has_value());
        model.text = model.text.substr(0, std::size_t(f)) + inserted + model.text.substr(std::size_t(t));
        model.Reindex();

        CheckNavigator(caret, expectedCaret, step, 0);
        CheckNavigator(anchor, expectedAnchor, step, 1);
        if (step % 20 == 0)
            CheckSample(step);
        if (HasFailure())
            return;
    }
    CheckAll(4000);
}

} // namespace
} // namespace vesk
