// The thesaurus file (".THR"): word nodes, meaning entries and the look-up walk.
//
// Layout (integers little-endian): a 165-byte header that is not read;
// N (u32) and N 32-bit word nodes; L (u32) and the L-byte link block;
// E (u16) and E 14-byte meaning entries; W (u32) and the W-byte word-list
// block. Node 0 is the root.
//
// A node holds its letter in bits 24-31, "a word ends here" in bit 23,
// "the rest of the word is a tail" in bit 22, "the record holds a parent"
// in bit 21, "exactly one child" in bit 20 and the byte offset of its record
// in the link block in bits 0-19. The record is: the children (one u16 node
// number with the one-child bit, otherwise a count byte and that many u16
// node numbers); the u16 parent with the parent bit; then, only for nodes
// that end a word or start a tail, a count byte and that many u16 links. A
// link k names entry k / 5 with the kind k % 5 (TThesKind).
//
// A tail node stands for a whole word: its own letter, then the letters of
// the chain of single children below it. Chains may be shared by many tail
// nodes (equal word endings are stored once), so chain nodes carry no parent.
//
// An entry is Master (u16 node of its head word), four u16 counts (nouns,
// verbs, adjectives, adverbs) and a u32 offset into the word-list block,
// where its words stand as u16 node numbers, nouns first.
//
// Hostile files: Load checks every count against the bytes present, every
// record against the link block, every node number against the node array
// and every link against the entries, and refuses parent loops and tail
// chains that never end, before any look-up. Look-ups and word texts are
// then bounded by the file's size.
#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

enum TThesKind { tkContext = 0, tkNoun = 1, tkVerb = 2, tkAdjective = 3, tkAdverb = 4 };

struct TThesLink {
    int entry = 0;
    TThesKind kind = tkContext;
    bool operator==(const TThesLink&) const = default;
};

class TThesaurusFile {
public:
    // Refused above this size (the shipped file is about a megabyte).
    static constexpr std::size_t kMaxFileBytes = 64u << 20;
    static constexpr std::size_t kHeaderBytes = 165;

    // Reads and checks the whole file. Returns the reason when it cannot be
    // read or is not a sound thesaurus; the thesaurus is then empty.
    std::optional<std::string> Open(const QString& path);
    // The same from bytes in memory (tests, fuzzing).
    std::optional<std::string> Load(std::string_view bytes);
    void Close();
    bool IsOpen() const { return !nodes_.empty(); }

    std::size_t NodeCount() const { return nodes_.size(); }
    std::size_t EntryCount() const { return entries_.size(); }

    // The node where `word` ends (letters compared byte for byte), or
    // nullopt. An empty word is never found.
    std::optional<int> Lookup(std::string_view word) const;
    // The word a node stands for (its parents' letters, its own, its tail);
    // "" for a number out of range.
    std::string WordOf(int node) const;
    // The node's links, in file order (empty for nodes without any).
    std::vector<TThesLink> Links(int node) const;
    // The entry's head word node, or -1 out of range.
    int Master(int entry) const;
    // The entry's word nodes of one kind (tkNoun … tkAdverb); empty otherwise.
    std::vector<int> Words(int entry, TThesKind kind) const;

private:
    struct Node {
        unsigned char letter = 0;
        bool endsWord = false, tail = false;
        std::uint32_t children = 0;  // offset of the first child number in the link block
        std::uint16_t childCount = 0;
        int parent = -1;             // -1: none (or the root)
        std::uint32_t links = 0;     // offset of the first link
        std::uint8_t linkCount = 0;
    };
    struct Entry {
        int master = 0;
        std::uint16_t counts[4] = {};
        std::uint32_t offset = 0;
    };
    int Child(const Node& n, std::size_t i) const;
    std::optional<std::string> Check();

    std::vector<Node> nodes_;
    std::string block_;      // the link block
    std::vector<Entry> entries_;
    std::string wordList_;   // the word-list block
};

// The text a meanings line shows after an entry's head word.
const char* ThesKindSuffix(TThesKind kind);

} // namespace vesk
