// Writing main dictionaries from a word list.
#include "spell/DictionaryWriter.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <stdexcept>

namespace vesk {
namespace {

void PutU32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

std::size_t CommonPrefix(std::string_view a, std::string_view b)
{
    std::size_t n = 0;
    while (n < a.size() && n < b.size() && a[n] == b[n])
        ++n;
    return n;
}

// A trie under construction: children kept in byte order.
struct BuildNode {
    unsigned char letter = 0;
    bool end = false;
    std::vector<std::uint32_t> children;
};

// One sub-dictionary from sorted, distinct words.
void WriteSub(std::string& out, const std::vector<std::string>& words, std::size_t from, std::size_t to)
{
    std::vector<BuildNode> nodes;
    std::map<unsigned char, std::uint32_t> roots;
    std::vector<std::uint32_t> path;  // nodes of the previous word
    std::string_view previous;
    for (std::size_t w = from; w < to; ++w) {
        const std::string& word = words[w];
        const std::size_t keep = std::min(CommonPrefix(previous, word), path.size());
        path.resize(keep);
        for (std::size_t i = keep; i < word.size(); ++i) {
            const auto letter = static_cast<unsigned char>(word[i]);
            nodes.push_back(BuildNode{letter, false, {}});
            const auto made = static_cast<std::uint32_t>(nodes.size() - 1);
            if (i == 0)
                roots[letter] = made;
            else
                nodes[path.back()].children.push_back(made);
            path.push_back(made);
        }
        nodes[path.back()].end = true;
        previous = word;
    }
    // Equal endings are stored once: nodes with the same letter, end-of-word
    // bit and children are merged, from the leaves up (children come after
    // their parent in `nodes`). Child references are plain node numbers, so
    // the reader needs nothing new, and the smaller node array keeps the
    // nodes a look-up visits in the processor's cache.
    std::vector<std::uint32_t> merged(nodes.size());
    std::vector<BuildNode> unique;
    std::map<std::string, std::uint32_t> seen;
    for (std::size_t i = nodes.size(); i-- > 0;) {
        BuildNode n = nodes[i];
        for (std::uint32_t& child : n.children)
            child = merged[child];
        std::string key{char(n.letter), char(n.end)};
        for (std::uint32_t child : n.children)
            key.append(reinterpret_cast<const char*>(&child), sizeof child);
        const auto [it, fresh] = seen.emplace(std::move(key), std::uint32_t(unique.size()));
        if (fresh)
            unique.push_back(std::move(n));
        merged[i] = it->second;
    }
    // Numbered depth first from the roots, so a chain of single children
    // lies in consecutive nodes.
    constexpr std::uint32_t kUnnumbered = 0xFFFFFFFFu;
    std::vector<std::uint32_t> number(unique.size(), kUnnumbered);
    std::vector<std::uint32_t> order;
    std::vector<std::uint32_t> stack;
    for (const auto& [letter, node] : roots)
        stack.push_back(merged[node]);
    std::reverse(stack.begin(), stack.end());
    while (!stack.empty()) {
        const std::uint32_t u = stack.back();
        stack.pop_back();
        if (number[u] != kUnnumbered)
            continue;
        number[u] = static_cast<std::uint32_t>(order.size());
        order.push_back(u);
        for (auto c = unique[u].children.rbegin(); c != unique[u].children.rend(); ++c)
            if (number[*c] == kUnnumbered)
                stack.push_back(*c);
    }
    std::string block;
    std::string nodeBytes;
    for (std::uint32_t u : order) {
        const BuildNode& n = unique[u];
        std::uint32_t code = 0, offset = 0;
        const std::size_t count = n.children.size();
        if (count == 1) {
            code = 1;
            offset = number[n.children[0]];
        } else if (count >= 2) {
            code = count <= 6 ? std::uint32_t(count) : 7;
            offset = static_cast<std::uint32_t>(block.size());
            if (code == 7)
                block.push_back(static_cast<char>(count));
            for (std::uint32_t c : n.children) {
                const std::uint32_t child = number[c];
                block.push_back(static_cast<char>(child & 0xFF));
                block.push_back(static_cast<char>(child >> 8));
            }
        }
        if (offset > 0xFFFFFu)
            throw std::length_error("child-list block past 20 bits");
        PutU32(nodeBytes, (std::uint32_t(n.letter) << 24) | (std::uint32_t(n.end) << 23) | (code << 20) | offset);
    }
    PutU32(out, static_cast<std::uint32_t>(order.size()));
    PutU32(out, static_cast<std::uint32_t>(block.size()));
    out += nodeBytes;
    out += block;
    out.push_back(static_cast<char>(roots.size()));
    for (const auto& [letter, node] : roots)
        out.push_back(static_cast<char>(letter));
    for (const auto& [letter, node] : roots)
        PutU32(out, number[merged[node]]);
}

} // namespace

std::string BuildDictionaryBytes(TDictionarySource source)
{
    if (source.alphabet.size() > 255)
        throw std::length_error("alphabet longer than 255 letters");
    std::vector<std::string>& words = source.words;
    words.erase(std::remove(words.begin(), words.end(), std::string()), words.end());
    std::sort(words.begin(), words.end());
    words.erase(std::unique(words.begin(), words.end()), words.end());
    const std::size_t limit = std::clamp<std::size_t>(source.maxNodesPerSub, 1, 65536);

    // Cut the sorted list where a sub-dictionary would pass the node limit:
    // a word adds one node per letter after the prefix it shares with the
    // word before it.
    std::vector<std::pair<std::size_t, std::size_t>> ranges;
    std::size_t start = 0, nodes = 0;
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::size_t shared = w > start ? CommonPrefix(words[w - 1], words[w]) : 0;
        const std::size_t added = words[w].size() - shared;
        if (w > start && nodes + added > limit) {
            ranges.emplace_back(start, w);
            start = w;
            nodes = words[w].size();
        } else {
            nodes += added;
        }
        if (words[w].size() > limit)
            throw std::length_error("a word is longer than the node limit");
    }
    if (start < words.size())
        ranges.emplace_back(start, words.size());
    if (ranges.size() > 255)
        throw std::length_error("more than 255 sub-dictionaries needed");

    std::string out(278, '\0');
    std::string title = source.title.substr(0, 25);
    title.resize(25, ' ');
    out.replace(88, 25, title);
    out.push_back(static_cast<char>(ranges.size()));
    out.push_back(static_cast<char>(source.alphabet.size()));
    out += source.alphabet;
    for (const auto& [from, to] : ranges)
        WriteSub(out, words, from, to);
    return out;
}

} // namespace vesk
