// The validator's stack of open elements.
//
// Its defined form is one text, innermost entry first, each entry being
// NAME ":" index ",", e.g. "P:120,BODY:57,HTML:6,"; one check (closing an
// end tag that is not the innermost element) searches that text as a whole.
// Elements whose end tag may be left out pile up on it (a body of a thousand
// paragraphs without </P> holds a thousand entries until </BODY>), so the
// stack is kept as a vector, pushed and popped at its end in constant time,
// and the text is only produced when a search needs more than the names.
//
// The stack does not own its names: a pushed name's characters must stay
// where they are until its entry is popped (the engine passes names it
// keeps for the whole run), so pushing costs no allocation.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vesk {

class TOpenTagStack {
public:
    struct Entry {
        std::u32string_view name;
        std::int32_t index = 0;   // where its start tag was checked (its ">")
        std::int32_t below = -1;  // nearest entry further down with another name, -1 for none
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
    // How many entries carry each name. A string without "," and ":" that
    // is not all digits can only occur inside a name, so for those (every
    // ordinary tag name) the few distinct names answer TextContains. Only
    // elements with content are pushed, and those are named by the rules
    // file, so the distinct names stay few: a short list beats hashing.
    std::vector<std::pair<std::u32string_view, int>> names_;
    std::pair<std::u32string_view, int>* FindName(std::u32string_view name);
};

} // namespace vesk
