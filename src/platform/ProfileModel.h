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
#include <cstdint>
#include <span>
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

// Positions are offsets into the model's own lines, so a copied model needs
// no fix-up and parsing allocates nothing per entry.
struct Entry {
    std::uint32_t line = 0;     // index into the model's lines
    std::uint32_t keyOff = 0, keyLen = 0;      // key, trimmed
    std::uint32_t valueOff = 0, valueLen = 0;  // value, trimmed, quotes still on
    std::size_t hash = 0;       // CaseInsensitiveHash of the key
};

struct Section {
    std::uint32_t headerLine = 0;  // the "[name]" line
    std::uint32_t endLine = 0;     // one past the last line that belongs to the section
    std::uint32_t nameOff = 0, nameLen = 0;
    std::uint32_t firstEntry = 0, entryCount = 0;  // range of the model's entries, file order
};

class Model {
public:
    Model() = default;
    explicit Model(std::string_view bytes);  // parses; never fails

    const Section* FindSection(std::string_view name) const;
    // The first entry of that key name in the section, or null.
    const Entry* FindEntry(const Section& section, std::string_view key) const;
    const std::vector<Section>& Sections() const { return sections_; }
    // The entries of a section in file order.
    std::span<const Entry> EntriesOf(const Section& section) const
    {
        return {entries_.data() + section.firstEntry, section.entryCount};
    }
    std::string_view Name(const Section& s) const { return Text(s.headerLine, s.nameOff, s.nameLen); }
    std::string_view Key(const Entry& e) const { return Text(e.line, e.keyOff, e.keyLen); }
    std::string_view Value(const Entry& e) const { return Text(e.line, e.valueOff, e.valueLen); }

    // Edits. Each returns true when the text changed; the model is parsed anew.
    bool SetValue(std::string_view section, std::string_view key, std::string_view value);
    bool DeleteKey(std::string_view section, std::string_view key);
    bool DeleteSection(std::string_view section);
    bool AddSection(std::string_view section);  // only when missing

    // The file's bytes, exactly as they are to be written.
    const std::string& Bytes() const { return bytes_; }

private:
    struct Line {
        std::uint32_t off = 0, len = 0;  // the text, without its line end
        std::uint8_t endLen = 0;         // 2 for CR LF, 1 for LF or CR, 0 for a last line without one
    };

    std::string_view Text(std::uint32_t line, std::uint32_t off, std::uint32_t len) const
    {
        return std::string_view(bytes_).substr(lines_[line].off + off, len);
    }
    std::string_view LineText(std::size_t i) const
    {
        return std::string_view(bytes_).substr(lines_[i].off, lines_[i].len);
    }
    std::size_t LineStart(std::size_t i) const { return i < lines_.size() ? lines_[i].off : bytes_.size(); }
    void Parse();
    // Replaces bytes [from, to) with `with` and parses the result.
    void Splice(std::size_t from, std::size_t to, std::string_view with);
    // The line end new lines get, and what must precede a line appended at the end.
    std::string_view NewLine() const { return newline_; }
    std::string_view EndGapBefore(std::size_t lineIndex) const;

    std::string bytes_;
    std::vector<Line> lines_;
    std::vector<Section> sections_;
    std::vector<Entry> entries_;
    // (name hash, section index) sorted, for binary search; the first section
    // of a name wins because equal hashes keep file order.
    std::vector<std::pair<std::size_t, std::uint32_t>> sectionIndex_;
    std::string newline_ = "\n";
};

} // namespace vesk::profile
