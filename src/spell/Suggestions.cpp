// Suggestion generation.
#include "spell/Suggestions.h"

#include "spell/SpellText.h"

#include <algorithm>

namespace vesk {
namespace {

bool LessForList(const std::string& a, const std::string& b)
{
    const std::string la = LowerWord(a), lb = LowerWord(b);
    if (la != lb)
        return la < lb;
    return a < b;
}

// Offers `c` when it is a word; false when the run must stop.
struct Offer {
    const TIsWord& isWord;
    const TAddCandidate& add;
    bool operator()(std::string_view c) const { return !isWord(c) || add(c); }
};

} // namespace

bool TSuggestionList::Add(const std::string& word)
{
    const auto it = std::lower_bound(items_.begin(), items_.end(), word, LessForList);
    if (it != items_.end() && *it == word)
        return false;
    items_.insert(it, word);
    return true;
}

bool TSuggestionList::Contains(const std::string& word) const
{
    return std::binary_search(items_.begin(), items_.end(), word, LessForList);
}

bool GenerateSingleEdits(std::string_view word, std::string_view alphabet, const TIsWord& isWord,
                         const TAddCandidate& add)
{
    const Offer offer{isWord, add};
    const std::size_t n = word.size();
    std::string c;
    // 1. the case of one letter
    for (std::size_t i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(word[i]);
        const unsigned char other = DictOtherCase(b);
        if (other == b)
            continue;
        c.assign(word);
        c[i] = static_cast<char>(other);
        if (!offer(c))
            return false;
    }
    // 2. neighbours exchanged
    for (std::size_t i = 0; i + 1 < n; ++i) {
        if (word[i] == word[i + 1])
            continue;
        c.assign(word);
        std::swap(c[i], c[i + 1]);
        if (!offer(c))
            return false;
    }
    // 3. one letter deleted
    for (std::size_t i = 0; i < n; ++i) {
        c.assign(word);
        c.erase(i, 1);
        if (!offer(c))
            return false;
    }
    // 4. one letter inserted, from the second position on
    for (std::size_t i = 1; i <= n; ++i) {
        for (char a : alphabet) {
            c.assign(word);
            c.insert(c.begin() + std::ptrdiff_t(i), a);
            if (!offer(c))
                return false;
        }
    }
    // 5. one letter replaced
    for (std::size_t i = 0; i < n; ++i) {
        for (char a : alphabet) {
            if (a == word[i])
                continue;
            c.assign(word);
            c[i] = a;
            if (!offer(c))
                return false;
        }
    }
    // 6. letters i and i + 2 exchanged
    if (n > 2) {
        for (std::size_t i = 0; i + 2 < n; ++i) {
            if (word[i] == word[i + 2])
                continue;
            c.assign(word);
            std::swap(c[i], c[i + 2]);
            if (!offer(c))
                return false;
        }
    }
    // 7. two letters deleted
    if (n > 4) {
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = i + 1; j < n; ++j) {
                c.assign(word);
                c.erase(j, 1);
                c.erase(i, 1);
                if (!offer(c))
                    return false;
            }
        }
    }
    // 8. two words
    if (n > 3) {
        for (std::size_t i = 2; i + 2 <= n; ++i) {
            const std::string_view first = word.substr(0, i), second = word.substr(i);
            if (isWord(first) && isWord(second)) {
                c.assign(first);
                c.push_back(' ');
                c.append(second);
                if (!add(c))
                    return false;
            }
        }
    }
    return true;
}

bool GenerateDoubleEdits(std::string_view word, std::string_view alphabet, const TIsWord& isWord,
                         const TAddCandidate& add, const std::function<bool()>& poll, int pollEvery)
{
    const Offer offer{isWord, add};
    int countdown = pollEvery;
    auto tick = [&]() {
        if (--countdown > 0)
            return true;
        countdown = pollEvery;
        return !poll || poll();
    };
    auto tryOne = [&](const std::string& c) { return tick() && offer(c); };

    const std::size_t n = word.size();
    std::string first, c;
    // Insertion positions follow the single edits: from the second on.
    // An insertion followed by a deletion.
    for (std::size_t i = 1; i <= n; ++i)
        for (char a : alphabet) {
            first.assign(word);
            first.insert(first.begin() + std::ptrdiff_t(i), a);
            for (std::size_t j = 0; j < first.size(); ++j) {
                if (j == i)
                    continue;  // deleting the inserted letter gives the word back
                c.assign(first);
                c.erase(j, 1);
                if (!tryOne(c))
                    return false;
            }
        }
    // An insertion followed by a replacement.
    for (std::size_t i = 1; i <= n; ++i)
        for (char a : alphabet) {
            first.assign(word);
            first.insert(first.begin() + std::ptrdiff_t(i), a);
            for (std::size_t j = 0; j < first.size(); ++j) {
                if (j == i)
                    continue;  // the same as one insertion
                for (char b : alphabet) {
                    if (b == first[j])
                        continue;
                    c.assign(first);
                    c[j] = b;
                    if (!tryOne(c))
                        return false;
                }
            }
        }
    // Two insertions.
    for (std::size_t i = 1; i <= n; ++i)
        for (char a : alphabet) {
            first.assign(word);
            first.insert(first.begin() + std::ptrdiff_t(i), a);
            for (std::size_t j = i; j <= first.size(); ++j)  // the second at or after the first: no pair twice
                for (char b : alphabet) {
                    c.assign(first);
                    c.insert(c.begin() + std::ptrdiff_t(j), b);
                    if (!tryOne(c))
                        return false;
                }
        }
    // A deletion followed by a replacement.
    for (std::size_t i = 0; i < n; ++i) {
        first.assign(word);
        first.erase(i, 1);
        for (std::size_t j = 0; j < first.size(); ++j)
            for (char b : alphabet) {
                if (b == first[j])
                    continue;
                c.assign(first);
                c[j] = b;
                if (!tryOne(c))
                    return false;
            }
    }
    return true;
}

} // namespace vesk
