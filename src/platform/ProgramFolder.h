// The program folder: where every file that belongs "beside the program" lives.
//
// Chosen once per run (ResetProgramFolderForTests forgets the choice):
//   1. $HTMLVESK_HOME when set (created when missing);
//   2. the executable's folder when it holds "4strict.ini" and is writable
//      (a build tree or a portable copy);
//   3. the per-user folder $XDG_DATA_HOME/htmlvesk (~/.local/share/htmlvesk).
// Whichever is chosen, shipped data files it lacks are copied into it from
// the shipped data folder; files already there are never overwritten.
#pragma once

#include <QString>
#include <string>

namespace vesk {

// Absolute path of the program folder, ending in "/". Never empty: when no
// candidate can be created the per-user path is returned all the same, and
// writes there fail with their own clear errors.
QString ProgramFolder();

// ProgramFolder() + name, e.g. ProgramFile("orla.ini").
QString ProgramFile(const QString& name);
std::string ProgramFileStd(const QString& name);

// The folder of shipped data to seed from: <prefix>/share/htmlvesk for an
// installed program (found from the executable's own folder, <prefix>/bin),
// otherwise the source tree's data/ for a build tree. Empty when neither exists.
QString ShippedDataFolder();

// Copies every file and sub-folder of `from` that `to` lacks into `to`,
// never overwriting. Returns the number of files copied.
int SeedFolder(const QString& from, const QString& to);

// Forgets the chosen folder so the next call chooses again (tests).
void ResetProgramFolderForTests();

} // namespace vesk
