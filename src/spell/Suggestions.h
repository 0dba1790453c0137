// Suggestion generation: the sorted suggestion list and the edits that fill it.
//
// Candidates are built from dictionary bytes (Windows-1252) and offered to
// an `isWord` test; accepted ones go through `add`, which returns false to
// stop the run. Every generator works on one word and one alphabet.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// Sorted (ignoring case first, then byte order) and without duplicates.
// A run stops right after an addition makes the list longer than the
// limit, so a further run on a full list adds at most one entry.
class TSuggestionList {
public:
    explicit TSuggestionList(int limit = 50) : limit_(limit) {}
    void Clear() { items_.clear(); }
    // Adds a UTF-8 word when new; true when it was added.
    bool Add(const std::string& word);
    bool Contains(const std::string& word) const;
    // True once the list is longer than its limit.
    bool OverLimit() const { return int(items_.size()) > limit_; }
    int Limit() const { return limit_; }
    void SetLimit(int n) { limit_ = n; }
    const std::vector<std::string>& Items() const { return items_; }

private:
    int limit_;
    std::vector<std::string> items_;
};

using TIsWord = std::function<bool(std::string_view bytes)>;
// Offers an accepted candidate (dictionary bytes); false stops the run.
using TAddCandidate = std::function<bool(std::string_view bytes)>;

// The single edits, in this order: change the case of one letter; exchange
// two neighbours; delete one letter; insert an alphabet letter at each
// position from the second to after the last; replace one letter by an
// alphabet letter; (more than 2 letters) exchange letters i and i + 2;
// (more than 4) delete two letters; (more than 3) split into two words of
// at least 2 letters each, both words, offered as "first second".
// Returns false when `add` stopped the run.
bool GenerateSingleEdits(std::string_view word, std::string_view alphabet, const TIsWord& isWord,
                         const TAddCandidate& add);

// The two-step edits, in this order: an insertion followed by a deletion,
// an insertion followed by a replacement, two insertions, a deletion
// followed by a replacement. `keepGoing` is asked between candidates (the
// user may have acted) and every `pollEvery` candidates `poll` runs.
// Returns false when stopped.
bool GenerateDoubleEdits(std::string_view word, std::string_view alphabet, const TIsWord& isWord,
                         const TAddCandidate& add, const std::function<bool()>& poll,
                         int pollEvery = 512);

} // namespace vesk
