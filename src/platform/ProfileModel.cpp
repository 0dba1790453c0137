// The parsed form of one profile (INI) file and the edits a write makes to it.
#include "platform/ProfileModel.h"

#include <algorithm>

namespace vesk::profile {
namespace {

inline unsigned char FoldAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}

inline bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

enum class LineKind { Header, Entry, Other };

struct Classified {
    LineKind kind = LineKind::Other;
    std::string_view name;   // header name or entry key
    std::string_view value;  // entry value
};

Classified Classify(std::string_view text)
{
    Classified c;
    const std::string_view t = TrimBlanks(text);
    if (t.empty() || t.front() == ';')
        return c;
    if (t.front() == '[') {
        const auto close = t.find(']');
        if (close == std::string_view::npos)
            return c;  // a header cut short is not trusted to start a section
        c.kind = LineKind::Header;
        c.name = TrimBlanks(t.substr(1, close - 1));
        return c;
    }
    const auto eq = t.find('=');
    if (eq == std::string_view::npos)
        return c;
    const std::string_view key = TrimBlanks(t.substr(0, eq));
    if (key.empty())
        return c;
    c.kind = LineKind::Entry;
    c.name = key;
    c.value = TrimBlanks(t.substr(eq + 1));
    return c;
}

} // namespace

std::size_t CaseInsensitiveHash::operator()(std::string_view s) const noexcept
{
    // FNV-1a over folded bytes: names are short, this is quick and spreads well.
    std::size_t h = 1469598103934665603ULL;
    for (unsigned char c : s) {
        h ^= FoldAscii(c);
        h *= 1099511628211ULL;
    }
    return h;
}

bool CaseInsensitiveEqual::operator()(std::string_view a, std::string_view b) const noexcept
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(static_cast<unsigned char>(a[i])) != FoldAscii(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

std::string_view TrimBlanks(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

Model::Model(std::string_view bytes) : bytes_(bytes)
{
    Parse();
}

void Model::Parse()
{
    lines_.clear();
    sections_.clear();
    entries_.clear();
    sectionIndex_.clear();
    newline_ = "\n";
    bool sawEnd = false;
    const std::string_view all(bytes_);
    std::size_t pos = 0;
    while (pos < all.size()) {
        std::size_t e = pos;
        while (e < all.size() && all[e] != '\n' && all[e] != '\r')
            ++e;
        Line line;
        line.off = static_cast<std::uint32_t>(pos);
        line.len = static_cast<std::uint32_t>(e - pos);
        if (e < all.size())
            line.endLen = (all[e] == '\r' && e + 1 < all.size() && all[e + 1] == '\n') ? 2 : 1;
        if (line.endLen && !sawEnd) {
            newline_.assign(all.substr(e, line.endLen));  // new lines follow the file's own habit
            sawEnd = true;
        }
        pos = e + line.endLen;
        lines_.push_back(line);
    }

    const CaseInsensitiveHash hash;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const std::string_view text = LineText(i);
        const Classified c = Classify(text);
        const auto offset = [&](std::string_view part) {
            return static_cast<std::uint32_t>(part.data() - text.data());
        };
        const auto line = static_cast<std::uint32_t>(i);
        if (c.kind == LineKind::Header) {
            if (!sections_.empty())
                sections_.back().endLine = line;
            Section s;
            s.headerLine = line;
            s.endLine = static_cast<std::uint32_t>(lines_.size());
            s.nameOff = offset(c.name);
            s.nameLen = static_cast<std::uint32_t>(c.name.size());
            s.firstEntry = static_cast<std::uint32_t>(entries_.size());
            sectionIndex_.emplace_back(hash(c.name), static_cast<std::uint32_t>(sections_.size()));
            sections_.push_back(s);
        } else if (c.kind == LineKind::Entry && !sections_.empty()) {
            Entry e;
            e.line = line;
            e.keyOff = offset(c.name);
            e.keyLen = static_cast<std::uint32_t>(c.name.size());
            e.valueOff = offset(c.value);
            e.valueLen = static_cast<std::uint32_t>(c.value.size());
            e.hash = hash(c.name);
            entries_.push_back(e);
            ++sections_.back().entryCount;
        }
    }
    std::stable_sort(sectionIndex_.begin(), sectionIndex_.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
}

const Section* Model::FindSection(std::string_view name) const
{
    const std::size_t h = CaseInsensitiveHash{}(name);
    auto it = std::lower_bound(sectionIndex_.begin(), sectionIndex_.end(), h,
                               [](const auto& x, std::size_t v) { return x.first < v; });
    const CaseInsensitiveEqual eq;
    for (; it != sectionIndex_.end() && it->first == h; ++it) {
        const Section& s = sections_[it->second];
        if (eq(Name(s), name))
            return &s;
    }
    return nullptr;
}

const Entry* Model::FindEntry(const Section& section, std::string_view key) const
{
    // Sections hold a handful of keys; a scan over their hashes beats any index.
    const std::size_t h = CaseInsensitiveHash{}(key);
    const CaseInsensitiveEqual eq;
    for (const Entry& e : EntriesOf(section)) {
        if (e.hash == h && eq(Key(e), key))
            return &e;
    }
    return nullptr;
}

void Model::Splice(std::size_t from, std::size_t to, std::string_view with)
{
    std::string next;
    next.reserve(bytes_.size() - (to - from) + with.size());
    next.append(bytes_, 0, from).append(with).append(bytes_, to, std::string::npos);
    bytes_ = std::move(next);
    Parse();
}

std::string_view Model::EndGapBefore(std::size_t lineIndex) const
{
    // A line inserted after a last line that has no line end must give it one.
    if (lineIndex > 0 && lineIndex == lines_.size() && lines_.back().endLen == 0)
        return NewLine();
    return {};
}

bool Model::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::string entry;
    entry.append(key).append("=").append(value);

    const Section* s = FindSection(section);
    if (!s) {
        std::string add(EndGapBefore(lines_.size()));
        add.append("[").append(section).append("]").append(NewLine());
        add.append(entry).append(NewLine());
        Splice(bytes_.size(), bytes_.size(), add);
        return true;
    }
    if (const Entry* e = FindEntry(*s, key)) {
        if (LineText(e->line) == entry)
            return false;
        Splice(lines_[e->line].off, lines_[e->line].off + lines_[e->line].len, entry);
        return true;
    }
    // After the section's last non-blank line, so blank lines that separate it
    // from the next section stay where they are.
    std::size_t at = s->endLine;
    while (at > s->headerLine + 1u && TrimBlanks(LineText(at - 1)).empty())
        --at;
    std::string add(EndGapBefore(at));
    add.append(entry).append(NewLine());
    const std::size_t where = LineStart(at);
    Splice(where, where, add);
    return true;
}

bool Model::DeleteKey(std::string_view section, std::string_view key)
{
    const Section* s = FindSection(section);
    if (!s)
        return false;
    // Every line of that name in the section goes, so the key really reads as
    // absent afterwards even when the file repeated it.
    const CaseInsensitiveEqual eq;
    std::string next = bytes_;
    bool changed = false;
    const std::span<const Entry> entries = EntriesOf(*s);
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (eq(Key(*it), key)) {
            const Line& l = lines_[it->line];
            next.erase(l.off, l.len + l.endLen);
            changed = true;
        }
    }
    if (changed) {
        bytes_ = std::move(next);
        Parse();
    }
    return changed;
}

bool Model::DeleteSection(std::string_view section)
{
    // Every section of that name goes: a list rewritten after the erase must
    // not meet stale entries of a repeated section.
    const CaseInsensitiveEqual eq;
    std::string next = bytes_;
    bool changed = false;
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (eq(Name(*it), section)) {
            const std::size_t from = LineStart(it->headerLine);
            next.erase(from, LineStart(it->endLine) - from);
            changed = true;
        }
    }
    if (changed) {
        bytes_ = std::move(next);
        Parse();
    }
    return changed;
}

bool Model::AddSection(std::string_view section)
{
    if (FindSection(section))
        return false;
    std::string add(EndGapBefore(lines_.size()));
    add.append("[").append(section).append("]").append(NewLine());
    Splice(bytes_.size(), bytes_.size(), add);
    return true;
}

} // namespace vesk::profile
