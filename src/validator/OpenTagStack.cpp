// The validator's stack of open elements.
#include "validator/OpenTagStack.h"

namespace vesk {

void TOpenTagStack::Push(std::u32string_view name, std::int32_t index)
{
    Entry e;
    e.name = name;
    e.index = index;
    if (!entries_.empty()) {
        const Entry& top = entries_.back();
        e.below = top.name == name ? top.below : std::int32_t(entries_.size()) - 1;
    }
    if (auto* known = FindName(name))
        ++known->second;
    else
        names_.emplace_back(name, 1);
    entries_.push_back(e);
}

std::pair<std::u32string_view, int>* TOpenTagStack::FindName(std::u32string_view name)
{
    // The innermost names are the likeliest; the same text usually comes
    // with the same characters.
    for (auto it = names_.rbegin(); it != names_.rend(); ++it) {
        if (it->first.size() == name.size() && (it->first.data() == name.data() || it->first == name))
            return &*it;
    }
    return nullptr;
}

void TOpenTagStack::Pop()
{
    if (entries_.empty())
        return;
    if (auto* known = FindName(entries_.back().name); known && --known->second == 0) {
        *known = names_.back();
        names_.pop_back();
    }
    entries_.pop_back();
}

void TOpenTagStack::Clear()
{
    entries_.clear();
    names_.clear();
}

bool TOpenTagStack::TextContains(std::u32string_view s) const
{
    const bool separators = s.find_first_of(U",:") != std::u32string_view::npos;
    const bool digitsOnly = s.find_first_not_of(U"0123456789") == std::u32string_view::npos;
    if (!separators && !digitsOnly) {
        for (const auto& [name, count] : names_) {
            if (name.find(s) != std::u32string_view::npos)
                return true;
        }
        return false;
    }
    // Rare: a search that may fall on the separators or the indexes.
    return Text().find(s) != std::u32string::npos;
}

std::u32string TOpenTagStack::Text() const
{
    std::u32string out;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        out += it->name;
        out += U':';
        for (char c : std::to_string(it->index))
            out += char32_t(c);
        out += U',';
    }
    return out;
}

} // namespace vesk
