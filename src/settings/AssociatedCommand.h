// The command line the system associates with a file extension.
#pragma once

#include <QString>

namespace vesk {

// The command line that opens files with `extension` (".htm", ".gif", …):
//   1. the registry stand-in: the default value of classes-root key
//      "\" + extension gives a type name, then the default value of
//      "\" + type + "\shell\open\command" gives the command;
//   2. otherwise the desktop's default application for the extension's MIME
//      type: its Exec line with the file placeholder (%f, %F, %u, %U) turned
//      into "%1" and the other field codes removed.
// Empty when neither knows the extension.
QString GetAssociatedCommand(const QString& extension);

} // namespace vesk
