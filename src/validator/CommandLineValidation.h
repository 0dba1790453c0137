// `htmlvesk --validate FILE…`: the validator for scripts, without a display.
//
// Each file is read the way the editor opens it and validated with the same
// engine and rules file as the results window. For each file the output is
// its name on a line of its own, then exactly the entries the results window
// would list, one a line ("No Errors Found" included). Exit status: 0 when
// every file had no errors, 1 when any had errors, 2 when a file could not
// be read (reported on the error stream; the other files are still
// validated) or no file was named. Only regular files are read, never more
// than they held when opened, and nothing blocks: a folder, a device, a FIFO
// or a file too large for a text is refused by name with status 2. NUL bytes
// are said on the error stream and checked as kNulStandIn, so the text
// after them is checked too.
#pragma once

#include <QStringList>

#include <iosfwd>
#include <string>

namespace vesk {

// True when the command line asks for validation (first argument "--validate").
bool IsValidateCommand(int argc, char** argv);

// `rulesPath` empty: the program folder's "4strict.ini".
int ValidateFromCommandLine(const QStringList& files, std::ostream& out, std::ostream& err,
                            const std::string& rulesPath = {});

} // namespace vesk
