// In-memory word lists of the spell checker.
#include "spell/Trie.h"

#include <algorithm>

namespace vesk {

void TTrie::Clear()
{
    nodes_.assign(1, Node{});
    lastValue_ = 0;
}

void TTrie::Add(std::string_view word, std::int32_t value)
{
    if (word.empty())
        return;
    std::uint32_t parent = 0;
    for (char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        std::uint32_t prev = 0;
        std::uint32_t cur = nodes_[parent].firstChild;
        while (cur != 0 && nodes_[cur].letter < c) {
            prev = cur;
            cur = nodes_[cur].nextSibling;
        }
        if (cur == 0 || nodes_[cur].letter != c) {
            Node fresh;
            fresh.letter = c;
            fresh.nextSibling = cur;
            nodes_.push_back(fresh);
            const auto made = static_cast<std::uint32_t>(nodes_.size() - 1);
            if (prev == 0)
                nodes_[parent].firstChild = made;
            else
                nodes_[prev].nextSibling = made;
            cur = made;
        }
        parent = cur;
    }
    nodes_[parent].wordEnd = true;
    nodes_[parent].value = value;
}

std::uint32_t TTrie::Find(std::string_view word) const
{
    if (word.empty())
        return 0;
    std::uint32_t cur = 0;
    for (char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        cur = nodes_[cur].firstChild;
        while (cur != 0 && nodes_[cur].letter < c)
            cur = nodes_[cur].nextSibling;
        if (cur == 0 || nodes_[cur].letter != c)
            return 0;
    }
    return cur;
}

bool TTrie::Delete(std::string_view word)
{
    const std::uint32_t n = Find(word);
    if (n == 0 || !nodes_[n].wordEnd)
        return false;
    nodes_[n].wordEnd = false;
    return true;
}

bool TTrie::Lookup(std::string_view word) const
{
    const std::uint32_t n = Find(word);
    if (n == 0 || !nodes_[n].wordEnd)
        return false;
    lastValue_ = nodes_[n].value;
    return true;
}

void TTrieStringList::Clear()
{
    trie_.Clear();
    words_.clear();
}

void TTrieStringList::Add(std::string_view word)
{
    trie_.Add(word);
    words_.emplace_back(word);
}

void TTrieStringList::Delete(std::string_view word)
{
    const auto it = std::find(words_.begin(), words_.end(), word);
    if (it != words_.end())
        words_.erase(it);
    if (std::find(words_.begin(), words_.end(), word) == words_.end())
        trie_.Delete(word);
}

void TTrieLookupList::Clear()
{
    trie_.Clear();
    words_.clear();
    replacements_.clear();
    found_.clear();
}

void TTrieLookupList::Add(std::string_view word, std::string_view replacement)
{
    words_.emplace_back(word);
    replacements_.emplace_back(replacement);
    trie_.Add(word, static_cast<std::int32_t>(words_.size() - 1));
}

void TTrieLookupList::Delete(std::string_view word)
{
    const auto it = std::find(words_.begin(), words_.end(), word);
    if (it == words_.end())
        return;
    const auto index = it - words_.begin();
    words_.erase(it);
    replacements_.erase(replacements_.begin() + index);
    // Values are indexes into the lists, which just shifted: renumber.
    Rebuild();
}

bool TTrieLookupList::Lookup(std::string_view word)
{
    if (!trie_.Lookup(word))
        return false;
    const auto index = static_cast<std::size_t>(trie_.LastValue());
    if (index >= replacements_.size())
        return false;
    found_ = replacements_[index];
    return true;
}

void TTrieLookupList::Rebuild()
{
    trie_.Clear();
    for (std::size_t i = 0; i < words_.size(); ++i)
        trie_.Add(words_[i], static_cast<std::int32_t>(i));
}

} // namespace vesk
