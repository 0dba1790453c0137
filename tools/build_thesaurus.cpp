// Builds the English thesaurus ("THESAUR.THR") from a MyThes data file and SCOWL's word lists.
//
//   build_thesaurus MYTHES_DAT SCOWL_FOLDER OUTPUT [SENSES_PER_KIND]
//
// Run by the build from Debian's mythes-en-us and scowl. The file's limits
// decide what fits: at most 13 107 meaning entries (a link is entry × 5 +
// kind in 16 bits), 65 536 nodes and a link block under 1 MiB. So:
//  - head words are lower-case words of the data file, taken by how common
//    SCOWL says they are (its size classes 10 … 95; within a class, words
//    with more meanings first, as those tend to be the everyday ones);
//  - a meaning is one line of the data file (a part of speech and its
//    terms): the head word, its synonyms, similar, related and broader
//    terms, antonyms left out. Lines that name the same set of words under
//    different head words ("happy: glad" and "glad: happy") are one entry,
//    so each entry costs once however many head words share it;
//  - each head word brings at most SENSES_PER_KIND meanings per part of
//    speech (the data file lists the common ones first); by default the
//    most common words (SCOWL 10) bring two and the rest one. A word also
//    has every meaning that lists it, so "run" or "good" keep many; three
//    meanings each would leave room for only about 9 000 words, this rule
//    for over 14 000;
//  - an entry is named by one of its words chosen so that the meanings
//    of each word read differently in the meanings list;
//  - an entry lists only words that are head words of the file, so every
//    word a user clicks has meanings of its own; entries left with a single
//    word say nothing and are dropped, and so are head words left without
//    an entry.
// Words are added until the entries are used up.
#include "spell/ThesaurusWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using namespace vesk;

namespace {

struct Sense {
    int kind = 0;                    // 1 noun … 4 adverb
    std::vector<std::string> plain;  // synonyms, in file order
    std::vector<std::string> others; // similar, related and broader terms
};

struct Head {
    std::string word;
    int frequency = 1000;
    std::vector<Sense> senses;
};

bool IsPlainWord(const std::string& w)
{
    if (w.empty() || w.size() > 40 || w.front() < 'a' || w.front() > 'z')
        return false;
    return std::all_of(w.begin(), w.end(), [](char c) { return (c >= 'a' && c <= 'z') || c == '-' || c == '\''; });
}

std::vector<std::string> Split(const std::string& line, char sep)
{
    std::vector<std::string> out;
    std::stringstream in(line);
    std::string part;
    while (std::getline(in, part, sep))
        out.push_back(part);
    return out;
}

int KindOf(const std::string& pos)
{
    if (pos == "(noun)")
        return 1;
    if (pos == "(verb)")
        return 2;
    if (pos == "(adj)")
        return 3;
    if (pos == "(adv)")
        return 4;
    return 0;
}

// word -> the smallest SCOWL size class that lists it.
std::unordered_map<std::string, int> ReadFrequencies(const std::string& folder)
{
    std::unordered_map<std::string, int> out;
    for (int size : {10, 20, 35, 40, 50, 55, 60, 70, 80, 95})
        for (const char* list : {"english-words.", "american-words."}) {
            std::ifstream in(folder + "/" + list + std::to_string(size));
            std::string w;
            while (std::getline(in, w)) {
                while (!w.empty() && (w.back() == '\r' || w.back() == ' '))
                    w.pop_back();
                if (IsPlainWord(w))
                    out.emplace(w, size);
            }
        }
    return out;
}

std::string Key(const Head& head, const Sense& s)
{
    std::vector<std::string> plain = s.plain, others = s.others;
    plain.push_back(head.word);
    std::sort(plain.begin(), plain.end());
    std::sort(others.begin(), others.end());
    std::string key = std::to_string(s.kind);
    for (const auto& w : plain)
        key += "|" + w;
    key += "#";
    for (const auto& w : others)
        key += "|" + w;
    return key;
}

struct Chosen {
    std::vector<std::string> heads;
    std::size_t clashingWords = 0;  // words (per kind) with two meanings of one name
    TThesaurusSource source;
};

Chosen Choose(const std::vector<Head>& heads, std::size_t target, std::size_t sensesPerKind)
{
    std::unordered_map<std::string, std::size_t> entryOf;
    struct Made {
        const Head* creator;
        const Sense* sense;
    };
    std::vector<Made> made;
    std::vector<const Head*> chosen;
    for (const Head& h : heads) {
        int perKind[5] = {};
        std::vector<std::pair<std::string, const Sense*>> fresh;
        for (const Sense& s : h.senses) {
            const std::size_t allowed = sensesPerKind ? sensesPerKind : h.frequency <= 10 ? 2 : 1;
            if (std::size_t(perKind[s.kind]++) >= allowed)
                continue;
            std::string key = Key(h, s);
            if (!entryOf.count(key) && std::none_of(fresh.begin(), fresh.end(), [&](auto& f) { return f.first == key; }))
                fresh.emplace_back(std::move(key), &s);
        }
        if (made.size() + fresh.size() > target)
            continue;
        for (auto& [key, sense] : fresh) {
            entryOf.emplace(key, made.size());
            made.push_back({&h, sense});
        }
        chosen.push_back(&h);
    }
    // Entries list only chosen words; a word without an entry leaves, which
    // may thin other entries, so repeat until nothing changes.
    std::unordered_set<std::string> in;
    for (const Head* h : chosen)
        in.insert(h->word);
    std::vector<std::vector<std::string>> words(made.size());
    for (bool changed = true; changed;) {
        changed = false;
        std::unordered_map<std::string, int> uses;
        for (std::size_t e = 0; e < made.size(); ++e) {
            std::vector<std::string> list;
            auto add = [&](const std::string& w) {
                if (in.count(w) && std::find(list.begin(), list.end(), w) == list.end())
                    list.push_back(w);
            };
            for (const auto& w : made[e].sense->plain)
                add(w);
            add(made[e].creator->word);
            for (const auto& w : made[e].sense->others)
                add(w);
            if (list.size() < 2)
                list.clear();
            for (const auto& w : list)
                ++uses[w];
            words[e] = std::move(list);
        }
        for (auto it = in.begin(); it != in.end();) {
            if (!uses.count(*it)) {
                it = in.erase(it);
                changed = true;
            } else {
                ++it;
            }
        }
    }
    Chosen out;
    for (const Head* h : chosen)
        if (in.count(h->word))
            out.heads.push_back(h->word);
    // The meanings list names each entry by its head word and kind, so the
    // meanings of one word need different head words to be told apart
    // ("happy" has several). Each entry is named by the one of its words
    // that clashes least with the names of the other meanings of the same
    // kind of all its words, counting a clash in the meanings of the word
    // whose line made the entry (the word most likely looked up) above any
    // other; ties go to the earlier word. A few sweeps settle the names,
    // as each choice changes what the others clash with.
    std::vector<std::size_t> kept;
    for (std::size_t e = 0; e < made.size(); ++e)
        if (!words[e].empty())
            kept.push_back(e);
    std::unordered_map<std::string, std::unordered_map<std::string, int>> namesOf;  // word + kind -> name -> uses
    std::vector<std::string> name(made.size());
    auto kindOf = [&](std::size_t e) { return "|" + std::to_string(made[e].sense->kind); };
    for (int sweep = 0; sweep < 4; ++sweep)
        for (std::size_t e : kept) {
            const std::string kind = kindOf(e);
            if (!name[e].empty())
                for (const std::string& w : words[e])
                    --namesOf[w + kind][name[e]];
            const std::string& creator = made[e].creator->word;
            std::size_t fewest = SIZE_MAX;
            for (const std::string& candidate : words[e]) {
                std::size_t clashes = 0;
                for (const std::string& w : words[e]) {
                    const auto& names = namesOf[w + kind];
                    const auto found = names.find(candidate);
                    if (found != names.end() && found->second > 0)
                        clashes += w == creator ? words[e].size() : 1;
                }
                if (clashes < fewest) {
                    fewest = clashes;
                    name[e] = candidate;
                }
                if (clashes == 0)
                    break;
            }
            for (const std::string& w : words[e])
                ++namesOf[w + kind][name[e]];
        }
    for (const auto& [word, names] : namesOf)
        for (const auto& [n, uses] : names)
            if (uses > 1) {
                ++out.clashingWords;
                break;
            }
    for (std::size_t e : kept) {
        TThesaurusEntrySource entry;
        entry.master = name[e];
        entry.words[made[e].sense->kind - 1] = std::move(words[e]);
        out.source.entries.push_back(std::move(entry));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::cerr << "usage: build_thesaurus MYTHES_DAT SCOWL_FOLDER OUTPUT [SENSES_PER_KIND]\n";
        return 2;
    }
    const std::size_t sensesPerKind = argc > 4 ? std::stoul(argv[4]) : 0;
    const auto frequency = ReadFrequencies(argv[2]);
    if (frequency.empty()) {
        std::cerr << "build_thesaurus: no SCOWL word lists in " << argv[2] << '\n';
        return 1;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::cerr << "build_thesaurus: cannot read " << argv[1] << '\n';
        return 1;
    }
    std::vector<Head> heads;
    std::string line;
    std::getline(in, line);  // the encoding line
    while (std::getline(in, line)) {
        const auto bar = line.find('|');
        if (line.empty() || line[0] == '(' || bar == std::string::npos)
            continue;
        Head h;
        h.word = line.substr(0, bar);
        const int count = std::atoi(line.c_str() + bar + 1);
        for (int i = 0; i < count && std::getline(in, line); ++i) {
            const auto parts = Split(line, '|');
            if (parts.empty())
                continue;
            Sense s;
            s.kind = KindOf(parts[0]);
            if (s.kind == 0)
                continue;
            for (std::size_t p = 1; p < parts.size(); ++p) {
                std::string term = parts[p];
                const auto note = term.find(" (");
                if (note != std::string::npos) {
                    if (term.compare(note, std::string::npos, " (antonym)") == 0)
                        continue;
                    term.erase(note);
                    if (IsPlainWord(term) && term != h.word)
                        s.others.push_back(term);
                } else if (IsPlainWord(term) && term != h.word) {
                    s.plain.push_back(term);
                }
            }
            h.senses.push_back(std::move(s));
        }
        const auto f = frequency.find(h.word);
        if (!IsPlainWord(h.word) || f == frequency.end() || h.senses.empty())
            continue;
        h.frequency = f->second;
        heads.push_back(std::move(h));
    }
    std::stable_sort(heads.begin(), heads.end(), [](const Head& a, const Head& b) {
        if (a.frequency != b.frequency)
            return a.frequency < b.frequency;
        if (a.senses.size() != b.senses.size())
            return a.senses.size() > b.senses.size();
        return a.word < b.word;
    });

    // Entries dropped for lack of a second word free room: aim higher until
    // the kept entries fill the budget.
    std::size_t target = kThesMaxEntries;
    Chosen chosen;
    for (int round = 0; round < 8; ++round) {
        Chosen next = Choose(heads, target, sensesPerKind);
        if (next.source.entries.size() > kThesMaxEntries)
            break;
        chosen = std::move(next);
        if (chosen.source.entries.size() + 8 >= kThesMaxEntries)
            break;
        target += kThesMaxEntries - chosen.source.entries.size();
    }

    TThesaurusStats stats;
    std::string bytes;
    try {
        bytes = BuildThesaurusBytes(chosen.source, &stats);
    } catch (const std::exception& e) {
        std::cerr << "build_thesaurus: " << e.what() << '\n';
        return 1;
    }
    const std::string temp = std::string(argv[3]) + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::cerr << "build_thesaurus: cannot write " << temp << '\n';
            return 1;
        }
    }
    if (std::rename(temp.c_str(), argv[3]) != 0) {
        std::cerr << "build_thesaurus: cannot write " << argv[3] << '\n';
        return 1;
    }
    std::map<int, std::size_t> byClass;
    for (const std::string& w : chosen.heads)
        ++byClass[frequency.at(w)];
    std::string classes;
    for (const auto& [size, n] : byClass)
        classes += " " + std::to_string(size) + ":" + std::to_string(n);
    std::cout << "build_thesaurus: head words by SCOWL size" << classes << '\n';
    std::cout << "build_thesaurus: " << chosen.heads.size() << " head words, " << chosen.source.entries.size()
              << " meanings, " << stats.nodes << " nodes (" << stats.tailNodes << " tails, " << stats.chainNodes
              << " chain nodes), link block " << stats.linkBlock << " bytes, " << stats.links << " links ("
              << stats.droppedLinks << " dropped), " << stats.bytes << " bytes; " << chosen.clashingWords
              << " words show two meanings under one name\n";
    return 0;
}
