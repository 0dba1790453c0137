// Writing thesaurus files (".THR"): the layout TThesaurusFile reads, from meaning entries.
//
// Used by the thesaurus builder in tools/ and by tests that need small
// hand-made thesauri. Words are bytes (the shipped file holds ASCII).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace vesk {

struct TThesaurusEntrySource {
    std::string master;                 // the entry's head word
    std::vector<std::string> words[4];  // nouns, verbs, adjectives, adverbs
    std::vector<std::string> context;   // words for which this entry is a general topic
};

struct TThesaurusSource {
    std::vector<TThesaurusEntrySource> entries;
};

// What the layout's limits allow: 16-bit node numbers, links of entry × 5
// + kind in 16 bits, record offsets in 20 bits, a count byte of links.
inline constexpr std::size_t kThesMaxNodes = 65536;
inline constexpr std::size_t kThesMaxEntries = 13107;
inline constexpr std::size_t kThesMaxLinkBlock = std::size_t(1) << 20;
inline constexpr std::size_t kThesMaxLinksPerWord = 255;

struct TThesaurusStats {
    std::size_t words = 0, nodes = 0, tailNodes = 0, chainNodes = 0;
    std::size_t linkBlock = 0, links = 0, droppedLinks = 0, wordList = 0, bytes = 0;
};

// The file's bytes. Every word named anywhere becomes a word of the file;
// a word's links name each entry it stands in, with the kind of the list
// (a word in an entry's `context` links to it as a general topic), in entry
// order, at most kThesMaxLinksPerWord (the rest are counted as dropped).
// A branch of the letter trie that holds a single word is stored as a tail,
// and equal tails share their nodes. Throws std::length_error when the
// entries, nodes or link block exceed the layout's limits, and
// std::invalid_argument for an empty word.
std::string BuildThesaurusBytes(const TThesaurusSource& source, TThesaurusStats* stats = nullptr);

} // namespace vesk
