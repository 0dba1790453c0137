// Profile (INI) files: the one way every INI file of the program is read and written.
//
// Grammar of a file, line by line (a line ends at CR LF, LF or a lone CR):
//   [name]        starts section "name" (blanks around the name are ignored;
//                 a line that starts with "[" but has no "]" is not a header)
//   key=value     an entry of the current section; key and value are trimmed
//   ; anything    a comment (first non-blank character ";")
// Anything else (no "=", binary bytes, entries before the first header) is a
// malformed line: it is ignored by reads and written back untouched.
//
// Reads:
//   - section and key names match without regard to ASCII case; the first
//     matching section and the first matching key in it win;
//   - a value is returned without surrounding blanks, with one pair of
//     enclosing double quotes removed, and cut to 1023 characters (code
//     points, so a UTF-8 value is never split inside a character);
//   - a missing file, section or key gives the default, which gets the same
//     treatment (trailing blanks, quotes, cut);
//   - every read sees the last write of this process and a change made to the
//     file by another program (files are cached by identity, size, times).
// Writes:
//   - change one value and keep every other line byte for byte, including
//     comments, unknown keys, malformed lines and each line's own line end;
//   - create the file and the section when missing (new lines use the line
//     end the file already uses, LF for a new file);
//   - are atomic: a temporary file in the same folder is written, flushed and
//     renamed over the old one, keeping the old file's permissions; a refused
//     write throws EIniFileException("Unable to write to <path>") and leaves
//     the file as it was;
//   - never replace a file that exists but cannot be read (no permission, a
//     folder, or not text: UTF-16 or UTF-32 with a byte-order mark, or
//     binary data with NUL in a tenth of its bytes) unless the question set by
//     SetUnreadableProfileQuestion allowed it: when the user declined, such
//     writes are dropped; when nobody was asked, they throw EIniFileException.
//     Either way the file stays as it is. Reads of such a file give defaults.
// Thread-safe: the cache is guarded by a mutex.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vesk {

// The longest value a read returns, in characters.
inline constexpr std::size_t kProfileValueMax = 1023;

// Raised when a profile file cannot be written; what() is "Unable to write to <path>".
class EIniFileException : public std::runtime_error {
public:
    explicit EIniFileException(const std::string& path)
        : std::runtime_error("Unable to write to " + path), path_(path) {}
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The value of [section] key, or the default (see the header comment).
std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path);

// The value read as an integer: optional blanks and sign, then decimal digits,
// or hexadecimal digits after "0x"/"0X". Reading stops at the first character
// that is not a digit; a value that starts with no digit at all, or that is
// missing, gives the default. Values beyond the int range saturate.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path);

// Reads `s` as GetPrivateProfileInt reads a value: optional blanks and sign,
// decimal digits or hexadecimal ones after "0x", up to the first other
// character, saturating at the int range. False (out untouched) when no
// digit starts the text.
bool ParseProfileInt(std::string_view s, int& out);

// Sets [section] key := value.
//   key == nullopt   erases the whole section (header and every line up to the next header);
//   value == nullopt deletes the key (nothing happens when it is absent).
// CR and LF inside a value or key would break the file's line structure, so
// each is written as a blank. Throws EIniFileException when the file cannot be written.
void WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& path);

// The key names of a section in file order (their own spelling, first
// occurrence of each name only); empty when the file or section is missing.
std::vector<std::string> GetPrivateProfileKeys(std::string_view section, const std::string& path);

// The section names of a file in file order (first occurrence of each name).
std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path);

// True when the file holds the section (even an empty one).
bool ProfileSectionExists(std::string_view section, const std::string& path);

// Creates an empty section at the end of the file when it is missing.
// Throws EIniFileException when the file cannot be written.
void EnsureProfileSection(std::string_view section, const std::string& path);

// Groups many writes to one file into a single atomic file replacement.
// While a batch for a path is alive, writes change the cached copy and reads
// see them; the file is written when the outermost batch for the path ends
// (or at Commit()). Used where a dialog writes hundreds of values at once.
class ProfileWriteBatch {
public:
    explicit ProfileWriteBatch(std::string path);
    ~ProfileWriteBatch() noexcept;  // writes pending changes; a failure is swallowed, so call Commit() to see it
    ProfileWriteBatch(const ProfileWriteBatch&) = delete;
    ProfileWriteBatch& operator=(const ProfileWriteBatch&) = delete;
    // Writes the pending changes now (only the outermost batch writes);
    // throws EIniFileException on failure.
    void Commit();

private:
    std::string path_;
    bool done_ = false;
};

// Asked before the first write to a file that exists but cannot be read
// (see above), outside any lock, with the file's path; true lets the writes
// replace it (what it held is lost), false keeps it untouched and drops the
// writes. The answer holds until the file can be read again. Without a
// question (the default) such files are never replaced and writes to them
// throw. Setting it forgets earlier answers.
using UnreadableProfileQuestion = std::function<bool(const std::string& path)>;
void SetUnreadableProfileQuestion(UnreadableProfileQuestion ask);

// Drops every cached file (tests, and after the program folder changes).
void ClearProfileCache();

// How many times a file has been parsed since start (benchmarks and tests
// use it to show that unchanged files are not parsed again).
std::size_t ProfileParseCount();

} // namespace vesk
