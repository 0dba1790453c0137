// The parsed form of one profile (INI) file and the edits a write makes to it.
//
// A model keeps every line of the file byte for byte together with its own
// line end, so an edit that changes one value can write all other lines back
// exactly as they were. Look-ups go through hash indexes that match names
// without regard to ASCII case and need no allocation.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vesk::profile {

// ASCII case-insensitive hashing and equality usable for heterogeneous look-up.
struct CaseInsensitiveHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const noexcept;
};
struct CaseInsensitiveEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const noexcept;
};

std::string_view TrimBlanks(std::string_view s);

struct Entry {
    std::string key;    // as spelled in the file, trimmed
    std::string value;  // trimmed, quotes still on
    std::size_t line;   // index into Model::lines
};

struct Section {
    std::string name;         // as spelled in the file, trimmed
    std::size_t headerLine;   // index of the "[name]" line
    std::size_t endLine;      // one past the last line that belongs to the section
    std::vector<Entry> entries;
    // First entry of each key name.
    std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> keyIndex;

    const Entry* Find(std::string_view key) const;
};

class Model {
public:
    Model() = default;
    explicit Model(std::string_view bytes);  // parses; never fails

    const Section* FindSection(std::string_view name) const;
    const std::vector<Section>& Sections() const { return sections_; }

    // Edits. Each returns true when the text changed; the model is re-indexed.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);
    bool AddSection(std::string_view section);  // only when missing

    std::string Serialize() const;
    bool Empty() const { return lines_.empty(); }

private:
    struct Line {
        std::string text;  // without its line end
        std::string end;   // "\r\n", "\n", "\r", or "" for a last line without one
    };

    void Reindex();
    const std::string& NewLine() const;
    // Gives the line before `pos` a line end so that a line can follow it.
    void TerminateLineBefore(std::size_t pos);
    void InsertLine(std::size_t pos, std::string text);

    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t, CaseInsensitiveHash, CaseInsensitiveEqual> sectionIndex_;
    std::string newline_ = "\n";
};

} // namespace vesk::profile
