// In-memory word lists of the spell checker: a byte trie and the two lists built on it.
//
// TTrie: a letter trie over bytes (letter case counts). Siblings are kept in
// ascending byte order under an empty root. Deleting a word only clears its
// end-of-word flag; nodes are freed when the trie is cleared or destroyed.
// An empty word is never found.
//
// TTrieStringList: the words of a trie also kept in adding order.
// TTrieLookupList: words mapped to replacements (auto-correct, Change All).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

class TTrie {
public:
    TTrie() { Clear(); }

    void Clear();
    // Adds the word (nothing for an empty word) and gives its node `value`.
    // The value is set also when the word's node already existed, so a
    // word added again always carries the value of its latest addition.
    void Add(std::string_view word, std::int32_t value = 0);
    // Clears the word's end-of-word flag; false when it was not a word.
    bool Delete(std::string_view word);
    // True when the word is in the trie; then LastValue() is its value.
    bool Lookup(std::string_view word) const;
    std::int32_t LastValue() const { return lastValue_; }
    // Number of nodes, the root included (memory use; tests).
    std::size_t NodeCount() const { return nodes_.size(); }

private:
    struct Node {
        std::uint32_t firstChild = 0;   // 0: none (node 0 is the root, never a child)
        std::uint32_t nextSibling = 0;  // 0: none
        std::int32_t value = 0;
        unsigned char letter = 0;
        bool wordEnd = false;
    };
    // The node of the word's last letter, or 0 when the path is missing.
    std::uint32_t Find(std::string_view word) const;

    std::vector<Node> nodes_;
    mutable std::int32_t lastValue_ = 0;
};

class TTrieStringList {
public:
    void Clear();
    void Add(std::string_view word);
    // Removes the first equal entry from the list; the trie forgets the word
    // only when no equal entry is left, so a word added twice (by two
    // routes) survives one deletion.
    void Delete(std::string_view word);
    bool Lookup(std::string_view word) const { return trie_.Lookup(word); }
    const std::vector<std::string>& Words() const { return words_; }

private:
    TTrie trie_;
    std::vector<std::string> words_;
};

class TTrieLookupList {
public:
    void Clear();
    // Maps `word` to `replacement`; a later pair for the same word wins.
    void Add(std::string_view word, std::string_view replacement);
    // Removes the first pair of that word; an earlier pair for the same word,
    // if any, takes effect again.
    void Delete(std::string_view word);
    // True when the word has a replacement; Replacement() then returns it.
    bool Lookup(std::string_view word);
    const std::string& Replacement() const { return found_; }
    const std::vector<std::string>& Words() const { return words_; }
    const std::vector<std::string>& Replacements() const { return replacements_; }

private:
    void Rebuild();

    TTrie trie_;
    std::vector<std::string> words_, replacements_;  // parallel
    std::string found_;
};

} // namespace vesk
