// User dictionaries: the user's own words and auto-correct pairs.
//
// Two forms, chosen by the extension (any case):
//  - ".dic": plain text, one word a line, read-only (additions and deletions
//    are ignored and the file is never written);
//  - anything else (normally ".udt"): a profile file with the list "IGN" in
//    section "Added" (the words) and the list "AC" in section
//    "Auto Correct" (pairs "misspelling@@@replacement"); a list L is stored
//    as L_ListCount = n and L_0 … L_n-1.
// Files are UTF-8; a file (or, in a profile, a value) that is not valid
// UTF-8 is read as Windows-1252. A missing file gives empty lists.
//
// Damaged files load what they can: a count larger than the numbered keys
// present is bounded by them, missing numbered keys are skipped, values are
// cut like every profile value (1023 characters). Writing back rewrites only
// the two lists and keeps every other line of the file.
#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

namespace vesk {

class TUserDictionary {
public:
    // Reads the file (a missing one gives empty lists). Never fails.
    void Open(const QString& path);
    // Writes a modified ".udt" back, then forgets everything. Throws
    // EIniFileException when the file cannot be written (the lists are
    // forgotten all the same).
    void Close();

    const QString& FileName() const { return fileName_; }
    bool ReadOnly() const { return readOnly_; }
    bool Modified() const { return modified_; }

    // Sorted, without duplicates (byte order of UTF-8).
    const std::vector<std::string>& Words() const { return words_; }
    const std::vector<std::string>& Misspellings() const { return misspellings_; }
    const std::vector<std::string>& Replacements() const { return replacements_; }

    // Each does nothing on a ".dic"; otherwise marks the dictionary modified.
    void AddWord(std::string_view word);
    void DeleteWord(std::string_view word);
    void AddPair(std::string_view misspelling, std::string_view replacement);
    // Removes the first pair with that misspelling.
    void DeletePair(std::string_view misspelling);

    // Writes the lists now when modified (".udt" only); throws EIniFileException.
    void Save();

private:
    void ReadText(const QString& path);
    void ReadProfile(const std::string& path);

    QString fileName_;
    bool readOnly_ = false;
    bool modified_ = false;
    std::vector<std::string> words_, misspellings_, replacements_;
};

// The separator of an auto-correct pair in a user dictionary.
inline constexpr std::string_view kPairSeparator = "@@@";

// Reads list `name` of `section` (count key plus numbered keys) from a
// profile file, bounded by the keys present; values that are not valid
// UTF-8 are taken as Windows-1252. Shared with the configuration.
std::vector<std::string> ReadProfileList(std::string_view section, std::string_view name,
                                         const std::string& path);
// Writes the list and deletes every numbered key past its end.
// Throws EIniFileException.
void WriteProfileList(std::string_view section, std::string_view name,
                      const std::vector<std::string>& values, const std::string& path);

} // namespace vesk
