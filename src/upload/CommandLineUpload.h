// `htmlvesk --upload [--site N|NAME] FILE…` and `htmlvesk --upload-bin [--site N|NAME]`: publishing from scripts.
//
// No display is needed. The site is the one named by --site (its index in
// the site list, or its name) or else the selected site of the settings;
// the advanced FTP settings (timeout, passive mode, share mode) apply as in
// the uploader window. After logging in, the client changes to the site's
// remote directory; each file then goes there under its own name (its
// folders are not recreated), with the transfer type rule of
// IsAsciiTransfer set before each file.
//
// Standard error gets one line per file:
//   htmlvesk: uploaded NAME (BYTES bytes, ascii|binary)
//   htmlvesk: not uploaded: PATH: WHY
// Exit status: 0 when every file was sent (an empty upload bin included),
// 1 when the connection, the change of directory or any transfer failed
// (the server's reply says why), 2 for bad usage, an unknown site or no
// site at all.
#pragma once

#include "settings/Settings.h"

#include <QStringList>

#include <iosfwd>

namespace vesk {

// True when the first argument is "--upload" or "--upload-bin".
bool IsUploadCommand(int argc, char** argv);

// `arguments`: the whole command line after the program's name, starting
// with "--upload" or "--upload-bin". Sites, the upload bin and the advanced
// settings are read from `settings`.
int UploadFromCommandLine(const QStringList& arguments, std::ostream& err,
                          const SettingsFile& settings = SettingsFile());

} // namespace vesk
