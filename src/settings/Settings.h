// The settings file "orla.ini": where it is, and how values of each kind are encoded in it.
//
// Every persistent setting of the program (apart from the clipper items, the
// quick codes and the validator rules, which have files of their own) lives in
// one profile file beside the program. SettingsFile names that file and reads
// and writes single values through the profile primitives, so each read sees
// the last write and every section or key written by someone else is kept.
//
// Encodings:
//   bool     written "1"/"0"; read as an integer (decimal, or hexadecimal after
//            "0x"), true when not 0; an absent or unreadable value gives the default.
//   int      decimal text; "0x…" is accepted on read.
//   string   text as is. The profile reader trims blanks and strips one pair
//            of enclosing double quotes, so WriteString quotes the rare value
//            that would not read back unchanged (a blank or a double quote at
//            either end); WriteQuotedString always quotes (program paths and
//            site fields, as the preferences write them).
//   list     keys prefix+"0", prefix+"1", … in one section; the list ends at
//            the first missing or empty key.
// Strings go to the file as UTF-8. Every write may throw EIniFileException
// ("Unable to write to <path>") when the file cannot be written.
#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <climits>
#include <string>
#include <string_view>

namespace vesk {

// The settings file's name inside the program folder.
inline constexpr const char* kSettingsFileName = "orla.ini";

// A handle on one settings file. It only holds the path, so it is cheap to
// create and copy; the default one is the program's own "orla.ini".
// A missing file reads as a file with every key absent and is created by the
// first write, with mode 0600: it may come to hold FTP passwords.
class SettingsFile {
public:
    // The program folder's "orla.ini" (the folder is resolved now).
    SettingsFile();
    // Any other file: tests and tools point here.
    explicit SettingsFile(std::string path);

    const std::string& path() const { return path_; }

    bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;
    void WriteBool(std::string_view section, std::string_view key, bool value) const;

    int ReadInt(std::string_view section, std::string_view key, int defaultValue) const;
    void WriteInt(std::string_view section, std::string_view key, int value) const;

    // The value trimmed, with one pair of enclosing quotes removed and cut to
    // 1023 characters; the default when the key is absent.
    QString ReadString(std::string_view section, std::string_view key,
                       const QString& defaultValue = QString()) const;
    // Writes value as is, or quoted when it starts or ends with a blank or a
    // double quote, so ReadString gives back what was written (values longer
    // than 1023 characters are still cut, and CR or LF still become blanks).
    void WriteString(std::string_view section, std::string_view key, const QString& value) const;
    // Writes "\"" + value + "\"", so blanks at either end survive the read.
    void WriteQuotedString(std::string_view section, std::string_view key,
                           const QString& value) const;

    // Removes one key (nothing happens when it is absent).
    void DeleteKey(std::string_view section, std::string_view key) const;
    // Removes a whole section with every key in it.
    void EraseSection(std::string_view section) const;
    bool SectionExists(std::string_view section) const;

    // The values of prefix+"0", prefix+"1", … up to the first missing or empty
    // key, at most maxCount of them.
    QStringList ReadList(std::string_view section, std::string_view prefix,
                         int maxCount = INT_MAX) const;
    // Erases the section, then writes items under prefix+"0", prefix+"1", …
    // in one file replacement, so entries removed from the list leave no
    // stale keys. Empty items are left out (an empty value would end the list
    // on the next read and hide every item after it); the others keep their
    // order and are numbered without gaps.
    void WriteList(std::string_view section, std::string_view prefix,
                   const QStringList& items) const;

private:
    std::string path_;
};

// Splits off the first field of text: returns the text before the first
// occurrence of separator and removes that field and the separator from
// text. When separator does not occur the whole text is returned and text is
// left UNCHANGED, so a loop that calls StrParse until text is empty never
// ends on the last field: callers check for the separator themselves (as
// ParsePlacement does) before taking the last field.
QString StrParse(QString& text, QChar separator);

} // namespace vesk
