// A small key/value store in the program folder that stands in for the Windows registry.
//
// The store is the profile file "registry.ini" of the program folder. Each key
// is one section named after its root and path, e.g.
//   [HKEY_CLASSES_ROOT\.htm]
//   @="HTMLVeskMarkup"
//   [HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\RunOnce]
//   HTMLVeskRunOnce="/usr/bin/htmlvesk --finish-setup"
// The default (unnamed) value of a key is stored under the name "@", so a
// value literally named "@" is the default value. Values are written inside
// double quotes so that leading and trailing blanks survive a round trip.
//
// Paths: backslash-separated; a leading (or trailing) "\" is optional, so
// "\.htm" and ".htm" name the same key; an empty path (or "\") is the root
// key itself. Key paths and value names match without regard to ASCII case.
// A key exists when its section exists or when any subkey exists (creating
// "A\B" implicitly creates "A", as in the real registry).
//
// Limits inherited from the profile file format: values longer than
// kProfileValueMax characters are cut on reading, CR and LF in a value are
// stored as blanks, and key paths must not contain "]" or line breaks.
// Value names must not contain "=" nor start with ";" or "[" (they could not
// be read back); writing such a name throws std::invalid_argument.
//
// Value names are trimmed of surrounding blanks, like every profile key.
//
// Every write goes through the profile module: it is atomic, and a file that
// cannot be written throws EIniFileException. Reads of a missing file see an
// empty registry and never create it. Calls may come from any thread; a
// write that first looks up a name's existing spelling is not atomic against
// another thread writing the same value at the same moment.
#pragma once

#include <QString>
#include <optional>
#include <string>

namespace vesk {

enum class RegRoot { ClassesRoot, CurrentUser };

// Absolute path of the store file (follows the current program folder).
std::string RegistryFilePath();

// The section name of a key, e.g. "HKEY_CLASSES_ROOT\.htm".
QString RegistrySectionName(RegRoot root, const QString& path);

// True when the key exists, or when create is set and it was created (as an
// empty section). Throws EIniFileException when creating fails.
bool RegOpenKey(RegRoot root, const QString& path, bool create);

// The value, or nullopt when the key or the value is missing.
// An empty valueName reads the default value.
std::optional<QString> RegReadValue(RegRoot root, const QString& path, const QString& valueName);

// Sets the value, creating the key when needed. An empty valueName writes
// the default value.
void RegWriteValue(RegRoot root, const QString& path, const QString& valueName,
                   const QString& value);

// Removes one value. False when the key or the value did not exist.
bool RegDeleteValue(RegRoot root, const QString& path, const QString& valueName);

// Removes the key with all its values and subkeys, in one atomic file write.
// Keys that merely share a prefix ("\A\BC" for "\A\B") are kept. False when
// the key did not exist; the root key itself (empty path) is never deleted.
bool RegDeleteKey(RegRoot root, const QString& path);

} // namespace vesk
