// The three desktop switches of the preferences: HTML Vesk as the default program for web pages and
// text files, and in the "Open With" choices for every file.
//
// Each switch maps onto the user's mimeapps.list (platform/DesktopAssociations.h):
//   html  "Associate with *.htm files"  [Default Applications] text/html
//         (".htm" and ".html" are both text/html); the value it replaced is
//         kept in [FileTypes] HTMOldData and HTMLOldData
//   txt   "Associate with *.txt files"  [Default Applications] text/plain; TXTOldData
//   edit  "Add Edit to popup"           [Added Associations] text/plain and
//         application/octet-stream (the type every file descends from); the
//         lists it extended are kept in EditOldData
// Turning a switch on writes the program's desktop entry and icon, makes
// htmlvesk.desktop the value (or puts it first in the added list) and keeps
// the previous value when it was not empty and not ours. Turning it off
// puts back exactly what was kept, or removes our value when nothing was
// kept, and clears the kept value. A value the user has changed since
// (another default chosen, other programs added) is the user's choice: it
// is left as it is, and only our own id is taken out of an added list.
#pragma once

#include "settings/SettingsSections.h"

#include <QString>
#include <QStringList>

namespace vesk {

struct AssociationSwitches {
    bool html = false;  // "Associate with *.htm files"
    bool txt = false;   // "Associate with *.txt files"
    bool edit = false;  // "Add Edit to popup"

    friend bool operator==(const AssociationSwitches&, const AssociationSwitches&) = default;
};

// Acts on each switch whose wanted state differs from what `types` records
// (html, txt, edit), with `programPath` in the desktop entry's Exec line,
// and records in `types` the new state and kept values of every switch it
// changed. A switch whose change failed stays recorded as before, so the
// next save tries again; its message (naming the file) is returned. The
// caller writes `types` back to the settings file. While any switch is on,
// the desktop entry is brought up to date with `programPath` as well.
QStringList UpdateDesktopAssociations(const AssociationSwitches& wanted, FileTypeSettings& types,
                                      const QString& programPath);

} // namespace vesk
