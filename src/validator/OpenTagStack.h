// The validator's stack of open elements.
//
// Its defined form is one text, innermost entry first, each entry being
// NAME ":" index ",", e.g. "P:120,BODY:57,HTML:6,"; one check (closing an
// end tag that is not the innermost element) searches that text as a whole.
// Elements whose end tag may be left out pile up on it (a body of a thousand
// paragraphs without </P> holds a thousand entries until </BODY>), so the
// stack is kept as a vector, pushed and popped at its end in constant time,
// and the text is only produced when asked for.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vesk {

class TOpenTagStack {
public:
    struct Entry {
        std::u32string name;
        std::int32_t index = 0;   // where its start tag was checked (its ">")
        std::int32_t below = -1;  // nearest entry further down with another name, -1 for none
        std::size_t textStart = 0;  // where the entry begins in bottomFirst_
    };

    bool Empty() const { return entries_.empty(); }
    std::size_t Size() const { return entries_.size(); }
    // Entry i counted from the bottom (0); Top() is the innermost.
    const Entry& At(std::size_t i) const { return entries_[i]; }
    const Entry& Top() const { return entries_.back(); }
    // Index of the innermost entry, -1 when empty.
    std::int32_t TopIndex() const { return std::int32_t(entries_.size()) - 1; }

    void Push(std::u32string_view name, std::int32_t index);
    // Removes the innermost entry; nothing when empty.
    void Pop();
    void Clear();

    // True when `s` occurs anywhere in Text(), as a plain substring.
    bool TextContains(std::u32string_view s) const;
    // The defined text form, innermost entry first.
    std::u32string Text() const;

private:
    std::vector<Entry> entries_;
    // The entries' texts bottom first: the same pieces as Text() in the
    // opposite order. A string without a comma can only occur inside one
    // piece, so for those this text answers TextContains exactly.
    std::u32string bottomFirst_;
    // How many entries carry each name. A string without "," and ":" that
    // is not all digits can only occur inside a name, so for those (every
    // ordinary tag name) the few distinct names answer TextContains.
    std::unordered_map<std::u32string, int> names_;
};

} // namespace vesk
