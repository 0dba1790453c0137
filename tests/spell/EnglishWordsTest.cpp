// The shipped english.dct through the whole checker, from a word file.
#include "SpellTestUtil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

namespace vesk {
namespace {

// The sections of words/english.txt: name → lines (comments dropped).
std::map<std::string, std::vector<std::string>> ReadWordFile()
{
    std::ifstream in(VESK_SPELL_WORDS "/english.txt");
    std::map<std::string, std::vector<std::string>> out;
    std::string section, line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[')
            section = line.substr(1, line.find(']') - 1);
        else
            out[section].push_back(line);
    }
    return out;
}

std::vector<std::string> Split(const std::vector<std::string>& lines)
{
    std::vector<std::string> words;
    for (const std::string& l : lines) {
        std::istringstream s(l);
        for (std::string w; s >> w;)
            words.push_back(w);
    }
    return words;
}

TEST(EnglishWords, AcceptRejectAndSuggestAsTheWordFileSays)
{
    const auto file = ReadWordFile();
    ASSERT_EQ(file.size(), 3u);
    test::SpellBench bench({});
    QFile::remove(bench.dir.file("english.dct"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VESK_BUILT_DICTIONARY), bench.dir.file("english.dct")));

    std::string page;
    for (const std::string& w : Split(file.at("accept")))
        page += w + " <br>\r\n";
    EXPECT_EQ(bench.Run(page), std::vector<test::TStopSeen>{});

    const std::vector<std::string> reject = Split(file.at("reject"));
    page.clear();
    for (const std::string& w : reject)
        page += "<p>" + w + "</p>\r\n";
    std::vector<std::string> stopped;
    for (const auto& s : bench.Run(page))
        stopped.push_back(s.word);
    EXPECT_EQ(stopped, reject);

    bench.engine.OpenDictionaries();
    for (const std::string& line : file.at("suggest")) {
        const std::size_t colon = line.find(':');
        const std::string word = line.substr(0, colon), expected = line.substr(colon + 2);
        TSuggestionList list(50);
        bench.engine.Suggest(word, list);
        EXPECT_TRUE(list.Contains(expected)) << word << " -> " << expected;
    }
    bench.engine.CloseDictionaries();
}

} // namespace
} // namespace vesk
