// `htmlvesk --spell [--suggest] FILE…`: spell checking for scripts, without a display.
//
// Each file is read the way the editor opens it and checked by the same
// engine, configuration, dictionaries and parser rules as the spell dialog
// (tags and character references skipped, Internet addresses, digits,
// capitals, repeated words), answering Ignore at every stop. Output: for
// each file its name on a line of its own, then one line per stop:
//   LINE:COLUMN WORD                 (1-based; columns count characters)
//   LINE:COLUMN WORD (repeated)
//   LINE:COLUMN WORD: S1, S2, …      (with --suggest: the dialog's first list)
// Exit status: 0 when no file had a stop, 1 when any had, 2 when a file
// could not be read (reported on the error stream; the others are still
// checked), no file was named, or no main dictionary could be opened.
#pragma once

#include <QString>
#include <QStringList>

#include <iosfwd>

namespace vesk {

// True when the command line asks for spell checking (first argument "--spell").
bool IsSpellCommand(int argc, char** argv);

// `arguments`: what follows "--spell". `configPath` empty: the program
// folder's "SPELLCHK.CFG" (the default configuration when it has none).
int SpellFromCommandLine(const QStringList& arguments, std::ostream& out, std::ostream& err,
                         const QString& configPath = {});

} // namespace vesk
