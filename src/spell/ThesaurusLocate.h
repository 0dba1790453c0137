// Finding the thesaurus file: beside the program, else where a settings file says, else asking the user.
#pragma once

#include <QString>

#include <functional>

namespace vesk {

// The question asked when the file is nowhere to be found.
inline constexpr const char* kLocateThesaurusQuestion =
    "The thesaurus file could not be located.\r\nWould you like to try locating the file yourself?";

struct TThesaurusLocateHooks {
    // Yes/No: may the user look for the file? Unset means no.
    std::function<bool()> askLocate;
    // The file the user chose in "Locate Thesaurus File", "" when cancelled.
    std::function<QString()> chooseFile;
};

// True for a regular file (or a link to one): never a folder, FIFO or device.
bool IsRegularFile(const QString& path);

// The settings file that may name the thesaurus: the spell checker's
// configuration ("spellchk.cfg", any letter case) in `folder` when it
// exists, otherwise "thesaur.cfg" there.
QString ThesaurusSettingsFile(const QString& folder);

// The path of the thesaurus to load, or "" when there is none:
//  1. `folder` + `fileName`;
//  2. the key File of section [Thesaurus] in ThesaurusSettingsFile(folder);
//  3. the user's choice after askLocate; a chosen regular file is written
//     back to that key exactly as chosen (a failed write is not fatal).
// Anything but a regular file counts as missing.
QString LocateThesaurus(const QString& folder, const QString& fileName, const TThesaurusLocateHooks& hooks);

} // namespace vesk
