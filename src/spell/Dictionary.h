// Main dictionaries (".dct"): the binary letter tries the checker looks words up in.
//
// File layout (integers little-endian): bytes 88..112 hold the title (25
// characters, Windows-1252), byte 278 the number of sub-dictionaries S,
// byte 279 the alphabet's length A, then A alphabet bytes, then S
// sub-dictionaries. Each sub-dictionary is N (u32 nodes), M (u32 bytes of
// child lists), N 32-bit nodes, the M-byte child-list block, K (u8 first
// letters), K letters and K u32 root node numbers. A node holds its letter in
// bits 24-31, end-of-word in bit 23, a child code in bits 20-22 (0 none,
// 1 one child whose node number is the offset, 2-6 that many u16 node numbers
// at `offset` in the block, 7 a count byte at `offset` followed by the list)
// and an offset in bits 0-19.
//
// Hostile files: Open checks every count against the bytes present, every
// child list against the block and every node number against the node array
// before any look-up, and refuses the file with a reason otherwise. Look-ups
// walk at most one node per letter of the word, so loops in a trie cannot
// make them hang. Nothing outside the title and the trie data is read.
#pragma once

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// One letter trie of a main dictionary.
class TSubDictionary {
public:
    // Reads the sub-dictionary at `data[pos]`, moving `pos` past it. Returns
    // the reason when the bytes are not a sound sub-dictionary.
    std::optional<std::string> Read(std::string_view data, std::size_t& pos);
    // True when the word (dictionary bytes, non-empty) is in this trie.
    bool Lookup(std::string_view word) const;
    std::size_t NodeCount() const { return nodes_.size(); }

private:
    static constexpr std::uint32_t kNoRoot = 0xFFFFFFFFu;
    // The child of `node` with `letter`, or kNoRoot.
    std::uint32_t Child(std::uint32_t node, unsigned char letter) const;
    std::uint32_t ListEntry(std::size_t at) const
    {
        return std::uint32_t(block_[at]) | (std::uint32_t(block_[at + 1]) << 8);
    }

    std::vector<std::uint32_t> nodes_;
    std::vector<unsigned char> block_;
    // The letter of the child each list entry names, at the entry's offset:
    // a look-up scans these bytes instead of visiting every child node.
    std::vector<unsigned char> entryLetters_;
    std::array<std::uint32_t, 256> roots_{};
};

class TDictionary {
public:
    // Files above this size are refused (a real one is a few megabytes).
    static constexpr std::size_t kMaxFileBytes = 256u << 20;

    // Reads the whole file into memory. Returns the reason when it cannot be
    // read ("does not exist", …) or is not a sound dictionary; the dictionary
    // is then closed.
    std::optional<std::string> Open(const QString& path);
    // The same from bytes already in memory (tests, fuzzing).
    std::optional<std::string> Load(std::string_view bytes);
    void Close();
    bool IsOpen() const { return open_; }

    const QString& FileName() const { return fileName_; }
    // The title, UTF-8, trailing blanks and NULs removed.
    const std::string& Title() const { return title_; }
    // The alphabet as dictionary bytes, in file order.
    const std::string& Alphabet() const { return alphabet_; }
    int MaxSuggestions() const { return maxSuggestions_; }
    void SetMaxSuggestions(int n) { maxSuggestions_ = n; }
    std::size_t SubDictionaryCount() const { return subs_.size(); }

    // True when any sub-dictionary holds the word (dictionary bytes; letter
    // case counts). An empty word is never found.
    bool Lookup(std::string_view bytes) const
    {
        if (bytes.empty())
            return false;
        for (const TSubDictionary& s : subs_)
            if (s.Lookup(bytes))
                return true;
        return false;
    }
    // The same for a UTF-8 word (false when it has a letter outside Windows-1252).
    bool LookupWord(std::string_view utf8) const;

    // The title of a dictionary file without loading it; nullopt when the
    // file cannot be read or is too short to hold one.
    static std::optional<std::string> ReadTitle(const QString& path);

private:
    bool open_ = false;
    QString fileName_;
    std::string title_, alphabet_;
    std::vector<TSubDictionary> subs_;
    int maxSuggestions_ = 50;
};

} // namespace vesk
