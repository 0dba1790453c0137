// Main dictionaries: the look-up walk, sub-dictionaries, hostile files, and the shipped english.dct.
#include "SpellTestUtil.h"

#include "spell/Dictionary.h"
#include "spell/SpellText.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <unordered_set>

namespace vesk {
namespace {

std::string Build(std::vector<std::string> words, std::size_t maxNodes = 65536)
{
    TDictionarySource s;
    s.title = "Tiny";
    s.alphabet = "abc";
    s.words = std::move(words);
    s.maxNodesPerSub = maxNodes;
    return BuildDictionaryBytes(std::move(s));
}

void PutU32(std::string& d, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        d[at + std::size_t(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

TEST(Dictionary, LooksUpWordsLetterByLetter)
{
    TDictionary d;
    ASSERT_FALSE(d.Load(Build({"a", "bc", "bcd", "Ab"})));
    EXPECT_EQ(d.Title(), "Tiny");
    EXPECT_EQ(d.Alphabet(), "abc");
    const std::pair<const char*, bool> cases[] = {
        {"a", true}, {"b", false},  // one letter: only with the root's end-of-word bit
        {"bc", true}, {"bcd", true}, {"bcdd", false}, {"bd", false},
        {"Ab", true}, {"ab", false}, {"A", false}, {"", false}, {"z", false},
    };
    for (const auto& [word, found] : cases)
        EXPECT_EQ(d.Lookup(word), found) << word;
}

TEST(Dictionary, WordsSpreadOverSubDictionariesAreAllFound)
{
    // A node limit of 6 puts "zoo" (and its first letter) only in a later sub-dictionary.
    TDictionary d;
    ASSERT_FALSE(d.Load(Build({"ant", "apple", "bee", "zoo", "zoom"}, 6)));
    EXPECT_GT(d.SubDictionaryCount(), 2u);
    for (const char* w : {"ant", "apple", "bee", "zoo", "zoom"})
        EXPECT_TRUE(d.Lookup(w)) << w;
    for (const char* w : {"an", "app", "zo", "zooms"})
        EXPECT_FALSE(d.Lookup(w)) << w;
}

TEST(Dictionary, HostileFilesAreRefusedWithAReason)
{
    const std::string good = Build({"ab", "abc", "b", "ca", "cab", "cb", "cc", "cba", "cbb", "cbc"});
    // Layout of this file: header 280 + alphabet 3, then N at 283, M at 287, nodes at 291.
    const std::size_t n0 = 283, nodes = 291;
    TDictionary d;
    ASSERT_FALSE(d.Load(good));
    const std::uint32_t nodeCount = std::uint32_t(std::uint8_t(good[n0]));
    const std::size_t block = nodes + nodeCount * 4;

    std::vector<std::pair<std::string, std::string>> bad;  // bytes, what the message must say
    bad.push_back({"", "empty"});
    for (std::size_t cut = 1; cut < good.size(); ++cut)
        bad.push_back({good.substr(0, cut), ""});
    std::string s = good;
    PutU32(s, n0, 0x7FFFFFFF);
    bad.push_back({s, "node count"});
    s = good;
    PutU32(s, n0 + 4, 0xFFFFFFF0);
    bad.push_back({s, "child-list size"});
    s = good;
    // Find a node with a list and point it past the block; one with one child past the nodes.
    bool list = false, single = false;
    for (std::uint32_t i = 0; i < nodeCount; ++i) {
        const std::size_t at = nodes + i * 4;
        std::uint32_t v = std::uint8_t(good[at]) | std::uint8_t(good[at + 1]) << 8 | std::uint8_t(good[at + 2]) << 16
                          | std::uint32_t(std::uint8_t(good[at + 3])) << 24;
        const unsigned code = (v >> 20) & 7;
        std::string t = good;
        if (code >= 2 && !list) {
            PutU32(t, at, (v & ~0xFFFFFu) | 0xFFFF0u);
            bad.push_back({t, "past the block"});
            t = good;
            t[block + (v & 0xFFFFF)] = static_cast<char>(0xFF);  // an entry past the node array
            t[block + (v & 0xFFFFF) + 1] = static_cast<char>(0x7F);
            bad.push_back({t, "past the node array"});
            list = true;
        } else if (code == 1 && !single) {
            PutU32(t, at, (v & ~0xFFFFFu) | 0xFFFFFu);
            bad.push_back({t, "past the node array"});
            single = true;
        }
    }
    ASSERT_TRUE(list && single);
    s = good;
    PutU32(s, s.size() - 4, nodeCount);  // the last root
    bad.push_back({s, "root"});
    for (const auto& [bytes, reason] : bad) {
        const auto why = d.Load(bytes);
        ASSERT_TRUE(why.has_value()) << bytes.size();
        EXPECT_NE(why->find(reason), std::string::npos) << *why;
        EXPECT_FALSE(d.IsOpen());
        EXPECT_FALSE(d.Lookup("ab"));
    }
}

TEST(Dictionary, LoopsInTheTrieCannotHangALookUp)
{
    // One node, the letter 'a', whose only child is itself.
    std::string bytes(278, '\0');
    bytes += '\1';
    bytes += '\1';
    bytes += 'a';
    auto u32 = [&](std::uint32_t v) { for (int i = 0; i < 4; ++i) bytes += static_cast<char>((v >> (8 * i)) & 0xFF); };
    u32(1);
    u32(0);
    u32((std::uint32_t('a') << 24) | (1u << 23) | (1u << 20) | 0);
    bytes += '\1';
    bytes += 'a';
    u32(0);
    TDictionary d;
    ASSERT_FALSE(d.Load(bytes));
    EXPECT_TRUE(d.Lookup(std::string(100000, 'a')));
    EXPECT_FALSE(d.Lookup(std::string(100000, 'a') + "b"));
}

TEST(Dictionary, FuzzedFilesNeverCrash)
{
    const std::string good = Build({"ab", "abc", "b", "ca", "cab", "cb", "cc", "cba", "cbb", "cbc", "bbbbbbb"}, 12);
    std::mt19937 rng(20261207);
    TDictionary d;
    int refused = 0;
    for (int round = 0; round < 4000; ++round) {
        std::string s = good;
        const int edits = 1 + int(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at = rng() % s.size();
            switch (rng() % 4) {
            case 0: s[at] = static_cast<char>(rng()); break;
            case 1: s[at] ^= static_cast<char>(1u << (rng() % 8)); break;
            case 2: s.resize(std::max<std::size_t>(at, 1)); break;
            default: s.insert(at, 1, static_cast<char>(rng())); break;
            }
        }
        if (d.Load(s)) {
            ++refused;
            continue;
        }
        for (const char* w : {"ab", "cbc", "bbbbbbb", "c", "zzz"})
            (void)d.Lookup(w);
    }
    EXPECT_GT(refused, 100);
}

TEST(EnglishDictionary, HoldsEveryWordOfItsListAndNoInventedOnes)
{
    TDictionary d;
    ASSERT_FALSE(d.Open(QStringLiteral(VESK_BUILT_DICTIONARY)));
    EXPECT_GT(d.SubDictionaryCount(), 1u);
    EXPECT_EQ(d.Alphabet().substr(0, 27), "etaoinshrdlcumwfgypbvkjxqz'");
    EXPECT_EQ(d.Alphabet().substr(d.Alphabet().size() - 10), "0123456789");
    std::ifstream list(VESK_WORD_LIST);
    std::unordered_set<std::string> words;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty())
            continue;
        words.insert(line);
        EXPECT_TRUE(d.LookupWord(line)) << line;
    }
    ASSERT_GT(words.size(), 50000u);
    std::mt19937 rng(7);
    int tried = 0;
    while (tried < 3000) {
        std::string w;
        for (int i = 0, n = 2 + int(rng() % 8); i < n; ++i)
            w.push_back(static_cast<char>('a' + rng() % 26));
        if (words.count(w))
            continue;
        ++tried;
        EXPECT_FALSE(d.LookupWord(w)) << w;
    }
}

} // namespace
} // namespace vesk
