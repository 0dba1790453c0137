// The parsed form of one profile (INI) file and the edits a write makes to it.
#include "platform/ProfileModel.h"

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

const Entry* Section::Find(std::string_view key) const
{
    const auto it = keyIndex.find(key);
    return it == keyIndex.end() ? nullptr : &entries[it->second];
}

Model::Model(std::string_view bytes)
{
    std::size_t pos = 0;
    bool sawEnd = false;
    while (pos < bytes.size()) {
        std::size_t e = pos;
        while (e < bytes.size() && bytes[e] != '\n' && bytes[e] != '\r')
            ++e;
        Line line;
        line.text.assign(bytes.substr(pos, e - pos));
        if (e < bytes.size()) {
            if (bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n')
                line.end = "\r\n";
            else
                line.end.assign(1, bytes[e]);
            if (!sawEnd) {
                newline_ = line.end;  // new lines follow the file's own habit
                sawEnd = true;
            }
        }
        pos = e + line.end.size();
        lines_.push_back(std::move(line));
    }
    Reindex();
}

void Model::Reindex()
{
    sections_.clear();
    sectionIndex_.clear();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Classified c = Classify(lines_[i].text);
        if (c.kind == LineKind::Header) {
            if (!sections_.empty())
                sections_.back().endLine = i;
            Section s;
            s.name.assign(c.name);
            s.headerLine = i;
            s.endLine = lines_.size();
            sectionIndex_.try_emplace(s.name, sections_.size());
            sections_.push_back(std::move(s));
        } else if (c.kind == LineKind::Entry && !sections_.empty()) {
            Section& s = sections_.back();
            s.entries.push_back(Entry{std::string(c.name), std::string(c.value), i});
            s.keyIndex.try_emplace(s.entries.back().key, s.entries.size() - 1);
        }
    }
}

const Section* Model::FindSection(std::string_view name) const
{
    const auto it = sectionIndex_.find(name);
    return it == sectionIndex_.end() ? nullptr : &sections_[it->second];
}

const std::string& Model::NewLine() const
{
    return newline_;
}

void Model::TerminateLineBefore(std::size_t pos)
{
    if (pos > 0 && lines_[pos - 1].end.empty())
        lines_[pos - 1].end = NewLine();
}

void Model::InsertLine(std::size_t pos, std::string text)
{
    TerminateLineBefore(pos);
    // A line inserted in the middle needs its own end; at the very end of a
    // file it gets one too, so files always end with a line end after a write.
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(pos), Line{std::move(text), NewLine()});
}

bool Model::SetValue(std::string_view section, std::string_view key, std::string_view value)
{
    std::string text;
    text.reserve(key.size() + 1 + value.size());
    text.append(key).append("=").append(value);

    const Section* s = FindSection(section);
    if (!s) {
        const std::size_t at = lines_.size();
        InsertLine(at, "[" + std::string(section) + "]");
        InsertLine(at + 1, std::move(text));
        Reindex();
        return true;
    }
    if (const Entry* e = s->Find(key)) {
        if (lines_[e->line].text == text)
            return false;
        lines_[e->line].text = std::move(text);
        Reindex();
        return true;
    }
    // After the section's last non-blank line, so blank lines that separate it
    // from the next section stay where they are.
    std::size_t at = s->endLine;
    while (at > s->headerLine + 1 && TrimBlanks(lines_[at - 1].text).empty())
        --at;
    InsertLine(at, std::move(text));
    Reindex();
    return true;
}

bool Model::DeleteKey(std::string_view section, std::string_view key)
{
    const Section* s = FindSection(section);
    if (!s)
        return false;
    // Every line of that name in the section goes, so the key really reads as
    // absent afterwards even when the file repeated it.
    CaseInsensitiveEqual eq;
    bool changed = false;
    for (auto it = s->entries.rbegin(); it != s->entries.rend(); ++it) {
        if (eq(it->key, key)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->line));
            changed = true;
        }
    }
    if (changed)
        Reindex();
    return changed;
}

bool Model::DeleteSection(std::string_view section)
{
    // Every section of that name goes: a list rewritten after the erase must
    // not meet stale entries of a repeated section.
    CaseInsensitiveEqual eq;
    bool changed = false;
    for (auto it = sections_.rbegin(); it != sections_.rend(); ++it) {
        if (eq(it->name, section)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(it->headerLine),
                         lines_.begin() + static_cast<std::ptrdiff_t>(it->endLine));
            changed = true;
        }
    }
    if (changed)
        Reindex();
    return changed;
}

bool Model::AddSection(std::string_view section)
{
    if (FindSection(section))
        return false;
    InsertLine(lines_.size(), "[" + std::string(section) + "]");
    Reindex();
    return true;
}

std::string Model::Serialize() const
{
    std::size_t size = 0;
    for (const Line& l : lines_)
        size += l.text.size() + l.end.size();
    std::string out;
    out.reserve(size);
    for (const Line& l : lines_)
        out.append(l.text).append(l.end);
    return out;
}

} // namespace vesk::profile
