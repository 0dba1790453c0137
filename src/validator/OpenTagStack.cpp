// The validator's stack of open elements.
#include "validator/OpenTagStack.h"

namespace vesk {

void TOpenTagStack::Push(std::u32string_view name, std::int32_t index)
{
    Entry e;
    e.name.assign(name);
    e.index = index;
    if (!entries_.empty()) {
        const Entry& top = entries_.back();
        e.below = top.name == name ? top.below : std::int32_t(entries_.size()) - 1;
    }
    e.textStart = bottomFirst_.size();
    bottomFirst_ += name;
    bottomFirst_ += U':';
    for (char c : std::to_string(index))
        bottomFirst_ += char32_t(c);
    bottomFirst_ += U',';
    ++names_[e.name];
    entries_.push_back(std::move(e));
}

void TOpenTagStack::Pop()
{
    if (entries_.empty())
        return;
    bottomFirst_.resize(entries_.back().textStart);
    auto it = names_.find(entries_.back().name);
    if (it != names_.end() && --it->second == 0)
        names_.erase(it);
    entries_.pop_back();
}

void TOpenTagStack::Clear()
{
    entries_.clear();
    bottomFirst_.clear();
    names_.clear();
}

bool TOpenTagStack::TextContains(std::u32string_view s) const
{
    const bool separators = s.find_first_of(U",:") != std::u32string_view::npos;
    const bool digitsOnly = s.find_first_not_of(U"0123456789") == std::u32string_view::npos;
    if (!separators && !digitsOnly) {
        for (const auto& [name, count] : names_) {
            if (name.find(s) != std::u32string::npos)
                return true;
        }
        return false;
    }
    if (s.find(U',') == std::u32string_view::npos)
        return std::u32string_view(bottomFirst_).find(s) != std::u32string_view::npos;
    return Text().find(s) != std::u32string::npos;
}

std::u32string TOpenTagStack::Text() const
{
    std::u32string out;
    out.reserve(bottomFirst_.size());
    std::size_t end = bottomFirst_.size();
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        out.append(bottomFirst_, it->textStart, end - it->textStart);
        end = it->textStart;
    }
    return out;
}

} // namespace vesk
