// Writing thesaurus files: the letter trie with tails, records, entries and word lists.
#include "spell/ThesaurusWriter.h"

#include "spell/ThesaurusFile.h"

#include <map>
#include <stdexcept>
#include <unordered_map>

namespace vesk {
namespace {

struct TrieNode {
    unsigned char letter = 0;
    bool endsWord = false;
    std::map<unsigned char, int> children;  // letter order, so files are reproducible
    int parent = -1;
    int words = 0;        // word ends in this subtree
    bool tail = false;
    std::string tailText;  // the letters below a tail node
    int number = -1;
};

void PutU16(std::string& out, std::size_t v)
{
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void PutU32(std::string& out, std::size_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, (v >> 16) & 0xFFFF);
}

} // namespace

std::string BuildThesaurusBytes(const TThesaurusSource& source, TThesaurusStats* stats)
{
    if (source.entries.size() > kThesMaxEntries)
        throw std::length_error("more than " + std::to_string(kThesMaxEntries) + " entries");

    // Every word and its links, in entry order.
    std::map<std::string, std::vector<std::uint16_t>> links;
    auto link = [&](const std::string& word, std::size_t entry, int kind) {
        if (word.empty())
            throw std::invalid_argument("an empty word");
        auto& list = links[word];
        const auto value = std::uint16_t(entry * 5 + std::size_t(kind));
        for (std::uint16_t v : list)
            if (v == value)
                return;
        list.push_back(value);
    };
    for (std::size_t e = 0; e < source.entries.size(); ++e) {
        const TThesaurusEntrySource& entry = source.entries[e];
        if (entry.master.empty())
            throw std::invalid_argument("an empty head word");
        links[entry.master];
        for (const std::string& w : entry.context)
            link(w, e, tkContext);
        for (int k = 0; k < 4; ++k)
            for (const std::string& w : entry.words[k])
                link(w, e, k + 1);
    }
    TThesaurusStats s;
    s.words = links.size();

    // The letter trie; node 0 is the root.
    std::vector<TrieNode> trie(1);
    std::map<std::string, int> endNode;
    for (const auto& [word, unused] : links) {
        int at = 0;
        for (char ch : word) {
            const auto c = static_cast<unsigned char>(ch);
            auto found = trie[std::size_t(at)].children.find(c);
            if (found == trie[std::size_t(at)].children.end()) {
                trie.push_back({});
                trie.back().letter = c;
                trie.back().parent = at;
                const int made = int(trie.size() - 1);
                trie[std::size_t(at)].children[c] = made;
                at = made;
            } else {
                at = found->second;
            }
        }
        trie[std::size_t(at)].endsWord = true;
        endNode[word] = at;
    }
    // Word counts per subtree (children always come after their parent).
    for (std::size_t i = trie.size(); i-- > 1;) {
        trie[i].words += trie[i].endsWord ? 1 : 0;
        trie[std::size_t(trie[i].parent)].words += trie[i].words;
    }
    // The topmost node of a branch that holds one word, and is not that
    // word's end, becomes a tail: the rest of the word hangs below it as a
    // shared chain, and the branch's own nodes are not stored.
    std::vector<bool> stored(trie.size(), false);
    stored[0] = true;
    std::vector<int> order{0};  // stored trie nodes, parents first
    for (std::size_t q = 0; q < order.size(); ++q) {
        const TrieNode& node = trie[std::size_t(order[q])];
        if (node.tail)
            continue;
        for (const auto& [c, child] : node.children) {
            TrieNode& kid = trie[std::size_t(child)];
            stored[std::size_t(child)] = true;
            order.push_back(child);
            if (!kid.endsWord && kid.words == 1) {
                kid.tail = true;
                int at = child;
                while (!trie[std::size_t(at)].endsWord) {
                    at = trie[std::size_t(at)].children.begin()->second;
                    kid.tailText.push_back(static_cast<char>(trie[std::size_t(at)].letter));
                }
            }
        }
    }
    // Words that end inside a tail are found at the tail node.
    for (auto& [word, node] : endNode) {
        int at = node;
        while (!stored[std::size_t(at)])
            at = trie[std::size_t(at)].parent;
        node = at;
    }

    // Numbers: the stored trie nodes first, then one chain node per distinct tail suffix.
    for (std::size_t i = 0; i < order.size(); ++i)
        trie[std::size_t(order[i])].number = int(i);
    std::size_t count = order.size();
    std::unordered_map<std::string, int> chains;  // suffix -> node number
    std::vector<std::pair<unsigned char, int>> chainNodes;  // letter, child number (-1 none)
    auto chainOf = [&](const std::string& suffix) {
        // Built from the end, so every shorter suffix exists first.
        int child = -1;
        for (std::size_t from = suffix.size(); from-- > 0;) {
            const std::string key = suffix.substr(from);
            auto found = chains.find(key);
            if (found != chains.end()) {
                child = found->second;
                continue;
            }
            const int number = int(count + chainNodes.size());
            chainNodes.emplace_back(static_cast<unsigned char>(suffix[from]), child);
            chains.emplace(key, number);
            child = number;
        }
        return child;
    };
    std::vector<int> tailChain(trie.size(), -1);
    for (int i : order)
        if (trie[std::size_t(i)].tail) {
            tailChain[std::size_t(i)] = chainOf(trie[std::size_t(i)].tailText);
            ++s.tailNodes;
        }
    s.chainNodes = chainNodes.size();
    s.nodes = count + chainNodes.size();
    if (s.nodes > kThesMaxNodes)
        throw std::length_error(std::to_string(s.nodes) + " nodes, more than 16-bit node numbers allow");

    // Records, stored once per distinct content.
    std::string block;
    std::unordered_map<std::string, std::size_t> records;
    auto place = [&](const std::string& record) {
        auto found = records.find(record);
        if (found != records.end())
            return found->second;
        const std::size_t at = block.size();
        block += record;
        records.emplace(record, at);
        return at;
    };
    std::unordered_map<int, const std::vector<std::uint16_t>*> linksOf;
    for (const auto& [word, list] : links)
        linksOf[endNode.at(word)] = &list;
    std::vector<std::uint32_t> nodes(s.nodes);
    for (int i : order) {
        const TrieNode& node = trie[std::size_t(i)];
        std::string record;
        std::uint32_t bits = std::uint32_t(node.letter) << 24;
        std::vector<int> kids;
        if (node.tail)
            kids.push_back(tailChain[std::size_t(i)]);
        else
            for (const auto& [c, child] : node.children)
                kids.push_back(trie[std::size_t(child)].number);
        if (kids.size() == 1) {
            bits |= 1u << 20;
        } else {
            if (kids.size() > 255)
                throw std::length_error("a node with more than 255 children");
            record.push_back(static_cast<char>(kids.size()));
        }
        for (int k : kids)
            PutU16(record, std::size_t(k));
        if (node.parent > 0) {
            bits |= 1u << 21;
            PutU16(record, std::size_t(trie[std::size_t(node.parent)].number));
        }
        if (node.endsWord || node.tail) {
            bits |= node.endsWord ? 1u << 23 : 1u << 22;
            const auto found = linksOf.find(i);
            const std::size_t n = found == linksOf.end() ? 0 : found->second->size();
            const std::size_t kept = std::min(n, kThesMaxLinksPerWord);
            s.droppedLinks += n - kept;
            s.links += kept;
            record.push_back(static_cast<char>(kept));
            for (std::size_t k = 0; k < kept; ++k)
                PutU16(record, (*found->second)[k]);
        }
        const std::size_t at = place(record);
        if (at >= kThesMaxLinkBlock)
            throw std::length_error("link block larger than 1 MiB");
        nodes[std::size_t(node.number)] = bits | std::uint32_t(at);
    }
    for (std::size_t c = 0; c < chainNodes.size(); ++c) {
        const auto [letter, child] = chainNodes[c];
        std::string record;
        std::uint32_t bits = std::uint32_t(letter) << 24;
        if (child >= 0) {
            bits |= 1u << 20;
            PutU16(record, std::size_t(child));
        } else {
            record.push_back('\0');
        }
        const std::size_t at = place(record);
        if (at >= kThesMaxLinkBlock)
            throw std::length_error("link block larger than 1 MiB");
        nodes[count + c] = bits | std::uint32_t(at);
    }
    s.linkBlock = block.size();

    // Entries and their word lists.
    std::string entries, wordList;
    auto number = [&](const std::string& word) { return std::size_t(trie[std::size_t(endNode.at(word))].number); };
    for (const TThesaurusEntrySource& e : source.entries) {
        PutU16(entries, number(e.master));
        for (const auto& list : e.words) {
            if (list.size() > 0xFFFF)
                throw std::length_error("an entry with more than 65535 words of one kind");
            PutU16(entries, list.size());
        }
        PutU32(entries, wordList.size());
        for (const auto& list : e.words)
            for (const std::string& w : list)
                PutU16(wordList, number(w));
    }
    s.wordList = wordList.size();

    std::string out(TThesaurusFile::kHeaderBytes, '\0');
    const std::string signature = "HTML Vesk thesaurus\r\n";
    out.replace(0, signature.size(), signature);
    PutU32(out, nodes.size());
    for (std::uint32_t v : nodes)
        PutU32(out, v);
    PutU32(out, block.size());
    out += block;
    PutU16(out, source.entries.size());
    out += entries;
    PutU32(out, wordList.size());
    out += wordList;
    s.bytes = out.size();
    if (stats)
        *stats = s;
    return out;
}

} // namespace vesk
