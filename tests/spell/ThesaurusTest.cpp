// The thesaurus file: written files read back, hostile files refused, the shipped file whole.
#include "spell/ThesaurusFile.h"
#include "spell/ThesaurusLocate.h"
#include "spell/ThesaurusWriter.h"
#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <sys/stat.h>

namespace vesk {
namespace {

TThesaurusSource SmallSource()
{
    TThesaurusSource s;
    TThesaurusEntrySource glad;
    glad.master = "glad";
    glad.words[tkAdjective - 1] = {"glad", "happy", "felicitous"};
    glad.words[tkAdverb - 1] = {"gladly"};
    TThesaurusEntrySource nation;
    nation.master = "nation";
    nation.words[tkNoun - 1] = {"nation", "nations", "station", "ration", "state"};
    nation.context = {"politics"};
    TThesaurusEntrySource run;
    run.master = "run";
    run.words[tkVerb - 1] = {"run", "a", "an", "happy"};
    s.entries = {glad, nation, run};
    return s;
}

TEST(ThesaurusFile, WrittenFilesReadBackThroughTheLookUpWalk)
{
    TThesaurusStats stats;
    const std::string bytes = BuildThesaurusBytes(SmallSource(), &stats);
    TThesaurusFile f;
    ASSERT_FALSE(f.Load(bytes));
    EXPECT_EQ(f.EntryCount(), 3u);
    // Branches with one word are tails, and equal endings share their chain:
    // the seven tails hold 28 letters, of which "-on" (station, ration),
    // "-n" (run), "-y" (gladly, happy) and "-s" (politics, felicitous) are
    // stored once.
    EXPECT_EQ(stats.tailNodes, 7u);
    EXPECT_EQ(stats.chainNodes, 23u);

    struct Case {
        const char* word;
        std::vector<TThesLink> links;
    } cases[] = {
        {"glad", {{0, tkAdjective}}},
        {"happy", {{0, tkAdjective}, {2, tkVerb}}},
        {"gladly", {{0, tkAdverb}}},
        {"nation", {{1, tkNoun}}},
        {"nations", {{1, tkNoun}}},
        {"station", {{1, tkNoun}}},
        {"ration", {{1, tkNoun}}},
        {"politics", {{1, tkContext}}},
        {"a", {{2, tkVerb}}},
        {"an", {{2, tkVerb}}},
    };
    for (const Case& c : cases) {
        const auto node = f.Lookup(c.word);
        ASSERT_TRUE(node) << c.word;
        EXPECT_EQ(f.WordOf(*node), c.word);
        EXPECT_EQ(f.Links(*node), c.links) << c.word;
    }
    for (const char* absent : {"", "gla", "glads", "statio", "stations", "r", "ra", "rationx", "x", "nationsx"})
        EXPECT_FALSE(f.Lookup(absent)) << absent;

    auto words = [&](int entry, TThesKind kind) {
        std::vector<std::string> out;
        for (int n : f.Words(entry, kind))
            out.push_back(f.WordOf(n));
        return out;
    };
    EXPECT_EQ(f.WordOf(f.Master(1)), "nation");
    EXPECT_EQ(words(0, tkAdjective), (std::vector<std::string>{"glad", "happy", "felicitous"}));
    EXPECT_EQ(words(0, tkAdverb), std::vector<std::string>{"gladly"});
    EXPECT_TRUE(words(0, tkNoun).empty());
    EXPECT_EQ(words(1, tkNoun).size(), 5u);
    EXPECT_EQ(f.Master(3), -1);
    EXPECT_EQ(f.WordOf(-1), "");

    TThesaurusSource tooMany;
    tooMany.entries.resize(kThesMaxEntries + 1, TThesaurusEntrySource{"a", {}, {}});
    EXPECT_THROW(BuildThesaurusBytes(tooMany), std::length_error);
}

// A file from raw parts: nodes, link block, entries (master, 4 counts, offset), word list.
std::string Raw(const std::vector<std::uint32_t>& nodes, const std::string& block,
                const std::vector<std::array<std::uint32_t, 6>>& entries = {}, const std::string& words = {})
{
    std::string out(TThesaurusFile::kHeaderBytes, '\0');
    auto u16 = [&](std::uint32_t v) { out += char(v & 0xFF); out += char((v >> 8) & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    u32(std::uint32_t(nodes.size()));
    for (auto n : nodes)
        u32(n);
    u32(std::uint32_t(block.size()));
    out += block;
    u16(std::uint32_t(entries.size()));
    for (const auto& e : entries) {
        for (int i = 0; i < 5; ++i)
            u16(e[std::size_t(i)]);
        u32(e[5]);
    }
    u32(std::uint32_t(words.size()));
    out += words;
    return out;
}

constexpr std::uint32_t EW = 1u << 23, TAIL = 1u << 22, REV = 1u << 21, ONE = 1u << 20;
std::uint32_t Node(char c, std::uint32_t bits, std::uint32_t at) { return (std::uint32_t(std::uint8_t(c)) << 24) | bits | at; }
std::string U16s(std::initializer_list<int> v)
{
    std::string s;
    for (int x : v) {
        s += char(x & 0xFF);
        s += char((x >> 8) & 0xFF);
    }
    return s;
}

TEST(ThesaurusFile, HostileFilesAreRefused)
{
    // A sound file: root -> 'a' (a word with one link to entry 0 as a noun).
    const std::string good = Raw({Node(0, ONE, 0), Node('a', EW, 2)}, U16s({1}) + std::string("\0\1", 2) + U16s({1}),
                                 {{1, 1, 0, 0, 0, 0}}, U16s({1}));
    TThesaurusFile f;
    ASSERT_FALSE(f.Load(good));
    ASSERT_EQ(f.Lookup("a"), 1);
    EXPECT_EQ(f.Links(1), (std::vector<TThesLink>{{0, tkNoun}}));
    for (std::size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(f.Load(good.substr(0, n))) << "cut at " << n;

    const struct {
        const char* what;
        std::string bytes;
    } bad[] = {
        {"child past the nodes", Raw({Node(0, ONE, 0)}, U16s({7}))},
        {"record past the block", Raw({Node(0, 0, 40)}, std::string(1, '\0'))},
        {"parent loop", Raw({Node(0, ONE, 0), Node('a', EW | REV | ONE, 2), Node('b', REV, 7)},
                            U16s({1}) + U16s({2, 2}) + std::string(1, '\0') + std::string(1, '\0') + U16s({1}))},
        {"endless tail", Raw({Node(0, ONE, 0), Node('a', TAIL | ONE, 2), Node('b', ONE, 5)},
                             U16s({1}) + U16s({2}) + std::string(1, '\0') + U16s({2}))},
        {"link past the entries", Raw({Node(0, ONE, 0), Node('a', EW, 2)}, U16s({1}) + std::string("\0\1", 2) + U16s({5}))},
        {"entry words past the list", Raw({Node(0, 0, 0)}, std::string(1, '\0'), {{0, 3, 0, 0, 0, 0}}, U16s({0}))},
        {"entry word past the nodes", Raw({Node(0, 0, 0)}, std::string(1, '\0'), {{0, 1, 0, 0, 0, 0}}, U16s({9}))},
        {"node count past the file", Raw({}, "").replace(TThesaurusFile::kHeaderBytes, 4, "\xff\xff\xff\x7f")},
    };
    for (const auto& b : bad)
        EXPECT_TRUE(f.Load(b.bytes)) << b.what;
    EXPECT_FALSE(f.IsOpen());
}

TEST(ThesaurusFile, FuzzedFilesNeverCrashOrHang)
{
    const std::string good = BuildThesaurusBytes(SmallSource());
    std::mt19937 rng(20261207);
    TThesaurusFile f;
    int refused = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string s = good;
        for (int e = 0, edits = 1 + int(rng() % 6); e < edits && s.size() > TThesaurusFile::kHeaderBytes; ++e) {
            // Mostly in the nodes and records, where the structure lives.
            const std::size_t at = TThesaurusFile::kHeaderBytes + rng() % (s.size() - TThesaurusFile::kHeaderBytes);
            switch (rng() % 4) {
            case 0: s[at] = static_cast<char>(rng()); break;
            case 1: s[at] ^= static_cast<char>(1u << (rng() % 8)); break;
            case 2: s.resize(at); break;
            default: s.insert(at, 1, static_cast<char>(rng())); break;
            }
        }
        if (f.Load(s)) {
            ++refused;
            continue;
        }
        for (std::size_t n = 0; n < f.NodeCount(); ++n) {
            (void)f.WordOf(int(n));
            (void)f.Links(int(n));
        }
        for (std::size_t e = 0; e < f.EntryCount(); ++e)
            for (int k = tkNoun; k <= tkAdverb; ++k)
                (void)f.Words(int(e), TThesKind(k));
        for (const char* w : {"happy", "station", "a", "nationsx", "zz"})
            (void)f.Lookup(w);
    }
    EXPECT_GT(refused, 300);
}

TEST(ThesaurusFile, TheShippedFileHoldsCommonWordsAndEveryWordReadsBack)
{
    TThesaurusFile f;
    ASSERT_FALSE(f.Open(QStringLiteral(VESK_BUILT_THESAURUS)));
    EXPECT_GT(f.EntryCount(), 12000u);
    for (const char* w : {"happy", "big", "house", "run", "quickly", "good", "small", "walk", "glad"}) {
        const auto node = f.Lookup(w);
        ASSERT_TRUE(node) << w;
        EXPECT_FALSE(f.Links(*node).empty()) << w;
    }
    // The meanings of a word read differently in the meanings list (head
    // word and kind), for "happy" and for all but a few words.
    auto clashes = [&](int node) {
        std::set<std::pair<std::string, int>> lines;
        for (const TThesLink& link : f.Links(node))
            if (!lines.emplace(f.WordOf(f.Master(link.entry)), link.kind).second)
                return true;
        return false;
    };
    EXPECT_FALSE(clashes(*f.Lookup("happy")));
    std::size_t looked = 0, clashing = 0;
    for (std::size_t n = 0; n < f.NodeCount(); ++n)
        if (!f.Links(int(n)).empty()) {
            ++looked;
            clashing += clashes(int(n)) ? 1 : 0;
        }
    EXPECT_GT(looked, 14000u);
    EXPECT_LT(clashing * 20, looked);
    // Every head word and every word an entry lists is found at its own node.
    std::size_t words = 0;
    for (std::size_t e = 0; e < f.EntryCount(); ++e) {
        std::vector<int> nodes{f.Master(int(e))};
        for (int k = tkNoun; k <= tkAdverb; ++k)
            for (int n : f.Words(int(e), TThesKind(k)))
                nodes.push_back(n);
        for (int n : nodes) {
            const std::string w = f.WordOf(n);
            ASSERT_EQ(f.Lookup(w), n) << w;
            ASSERT_FALSE(f.Links(n).empty()) << w;
            ++words;
        }
    }
    EXPECT_GT(words, 50000u);
}

TEST(ThesaurusLocate, BesideTheProgramThenNamedThenAsked)
{
    test::TempDir dir;
    test::TempDir elsewhere;
    const QString named = elsewhere.file("mine.thr");
    test::WriteFileBytes(named, "x");
    mkfifo(elsewhere.fileStd("fifo.thr").c_str(), 0600);
    int asked = 0;
    QString choice;
    TThesaurusLocateHooks hooks;
    hooks.askLocate = [&] {
        ++asked;
        return !choice.isNull();
    };
    hooks.chooseFile = [&] { return choice; };
    auto locate = [&] { return LocateThesaurus(dir.path(), QStringLiteral("THESAUR.THR"), hooks); };

    // Nothing anywhere, the user declines: asked once, nothing found, nothing written.
    EXPECT_EQ(locate(), QString());
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFile::exists(dir.file("thesaur.cfg")));
    // The user's choice is written back exactly as chosen, into thesaur.cfg
    // when there is no spell configuration, then found without asking.
    choice = named;
    EXPECT_EQ(locate(), named);
    EXPECT_EQ(GetPrivateProfileString("Thesaurus", "File", "", dir.fileStd("thesaur.cfg")), named.toStdString());
    EXPECT_EQ(locate(), named);
    EXPECT_EQ(asked, 2);
    // The spell configuration wins over thesaur.cfg; a folder, a FIFO or a
    // missing file named there leads to the question.
    for (const QString& bad : {elsewhere.path(), elsewhere.file("fifo.thr"), elsewhere.file("gone.thr")}) {
        WritePrivateProfileString("Thesaurus", "File", bad.toStdString(), dir.fileStd("SPELLCHK.CFG"));
        choice = QString();
        EXPECT_EQ(locate(), QString()) << bad.toStdString();
    }
    EXPECT_EQ(asked, 5);
    test::WriteFileBytes(dir.file("THESAUR.THR"), "x");
    EXPECT_EQ(locate(), dir.file("THESAUR.THR"));
    EXPECT_EQ(asked, 5);
}

} // namespace
} // namespace vesk
