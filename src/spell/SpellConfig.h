// The spell checker's configuration: dictionaries in use, options, where added words go.
//
// Stored in one section of a profile file ("SPELLCHK.CFG", section
// "spellchk"): ID=yes marks the section valid; lists M_DCT (titles of the
// main dictionaries), U_MU_DCT and U_DCT ("T" in use / "F" not, then the
// path) in count-and-numbered-keys form; one yes/no key per option;
// UserIndex, the user dictionary that receives added words (-1 none).
// Without a valid section the default configuration is built from the
// dictionary files found in the configuration file's folder.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <vector>

namespace vesk {

enum TSpellOption : std::uint32_t {
    soUpcase = 1, soNumbers = 2, soHTML = 4, soInternet = 8, soQuoted = 16,
    soAutoSuggest = 32, soPrimaryOnly = 64, soRecheck = 128, soRepeated = 256,
    soDualCaps = 512, soUser1 = 1024, soUser2 = 2048, soUser3 = 4096, soUser4 = 8192,
};
using TSpellOptions = std::uint32_t;

struct TDictionaryEntry {
    bool inUse = false;
    QString path;
    bool operator==(const TDictionaryEntry&) const = default;
};

class TConfiguration {
public:
    // Reads `section` of `path`. With no valid section, builds the default
    // configuration from the folder of `path` (main dictionary file name
    // `defaultMain`, user dictionary `defaultUser`, `defaultOptions`) and
    // remembers that it must be written on release. Never fails: damaged
    // values read as their defaults, a UserIndex past the list reads as -1.
    void Load(const QString& path, const std::string& section, const QString& defaultMain,
              const QString& defaultUser, TSpellOptions defaultOptions);
    // Writes ID, the three lists, every option and UserIndex, keeping every
    // other key of the file. Throws EIniFileException.
    void Save() const;
    // Writes the configuration when it was built by default (the file then
    // exists after the first check). Failures are swallowed: a read-only
    // folder must not stop a check.
    void Release();
    void Clear();

    bool IsDefault() const { return isDefault_; }
    const QString& FileName() const { return path_; }

    std::vector<std::string> titles;   // UTF-8, parallel to mains
    std::vector<TDictionaryEntry> mains;
    std::vector<TDictionaryEntry> users;
    TSpellOptions options = 0;
    int userIndex = -1;
    // Main dictionaries stored as in use whose file was missing at Load
    // (kept in the list, marked not in use; the engine reports them).
    std::vector<QString> missingMains;

private:
    void LoadDefault(const QString& defaultMain, const QString& defaultUser, TSpellOptions defaultOptions);

    QString path_;
    std::string section_;
    bool isDefault_ = false;
};

} // namespace vesk
