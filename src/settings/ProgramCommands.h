// The browser and picture-viewer command lines kept in [Browsers] and [Viewers].
//
// A command line may hold "%1" for the document path. Commands are written
// quoted so blanks at either end survive.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <array>

namespace vesk {

inline constexpr int kBrowserCount = 4;

struct ProgramCommands {
    std::array<QString, kBrowserCount> browsers;  // [Browsers] Browser1 … Browser4
    QString gifViewer;                            // [Viewers] GIF
    QString jpgViewer;                            // [Viewers] JPG
    QString bmpViewer;                            // [Viewers] BMP

    friend bool operator==(const ProgramCommands&, const ProgramCommands&) = default;
};

// The stored commands. Browser1 and the three viewers fall back to the
// system's command for ".htm", ".gif", ".jpg" and ".bmp" (GetAssociatedCommand)
// when the key is absent OR empty: an empty command cannot run anything, and
// since WriteProgramCommands never writes an empty value, an empty one can
// only come from a hand edit. Browser2 to Browser4 default to empty.
ProgramCommands ReadProgramCommands(const SettingsFile& file = SettingsFile());

// Writes each command that is not empty, quoted. An empty command is NOT
// written, so the command stored before stays in the file and is read again
// next time (clearing a field does not forget the stored command).
void WriteProgramCommands(const ProgramCommands& commands,
                          const SettingsFile& file = SettingsFile());

// The system's command for each field that has one: ".htm" for browser 1
// (browsers 2 to 4 get none), ".gif", ".jpg", ".bmp" for the viewers. What
// the "Default" buttons of the preferences fill in.
QString DefaultBrowserCommand();
QString DefaultGifViewer();
QString DefaultJpgViewer();
QString DefaultBmpViewer();

} // namespace vesk
