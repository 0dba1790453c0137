// Everything the preferences dialog edits, read from and written to the settings file in one piece.
//
// The dialog loads a TPreferences when it opens (and on Cancel) and writes
// the one it holds on OK, Apply, the save prompt's "Add to Upload Bin?" and
// "Start Uploader". Reading never fails and shows what a damaged file lets
// it show; writing is one file replacement.
#pragma once

#include "settings/CodeLists.h"
#include "settings/FileAssociations.h"
#include "settings/FtpSites.h"
#include "settings/ProgramCommands.h"
#include "settings/Settings.h"
#include "settings/SettingsSections.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace vesk {

// The most preferred files the Reopen menu has room for.
inline constexpr int kMaxPreferredFiles = 9;

struct TPreferences {
    std::vector<CodeItem> singleCodes;  // sorted (SortCodes)
    std::vector<CodeItem> seCodes;      // sorted
    ProgramCommands commands;           // browsers and viewers, desktop defaults filled in
    QStringList preferredFiles;         // at most kMaxPreferredFiles
    QStringList uploadBin;
    QStringList siteNames;              // the labels of Site0, Site1, …
    int selectedSite = -1;              // an index into siteNames, or -1
    FtpSite siteFields;                 // the selected site as the fields show it
    AssociationSwitches associations;   // [FileTypes] HTML, TXT, Edit
    AutoCloseOptions autoClose;
    ValidatorVersions versions;

    friend bool operator==(const TPreferences&, const TPreferences&) = default;
};

// Sorts a code list as the dialog's lists show it: by code, without regard
// to case (stable, so codes that differ only in case keep their order).
void SortCodes(std::vector<CodeItem>& codes);
// Where `code` goes in a sorted list: after every code that sorts before or
// equal to it.
std::size_t SortedCodePlace(const std::vector<CodeItem>& codes, const QString& code);

// Loads everything. A selected site outside the list reads as none; the
// selected site's text fields default to empty and Anonymous to on.
TPreferences ReadPreferences(const SettingsFile& file = SettingsFile());

// Writes everything but the desktop associations (UpdateDesktopAssociations
// acts on those, and records them) in one file replacement:
//   the code lists, the browser and viewer commands (empty ones are not
//   written, so the stored command stays), the preferred files, the upload
//   bin, the closing functions and the HTML version; with a site selected,
//   SelectedSite and the six keys of that site from siteFields. An empty
//   site name keeps the stored one: an empty SiteLabel would end the site
//   list there and hide every later site.
// Throws EIniFileException when the file cannot be written, and
// std::runtime_error when a password could not be kept private (nothing
// else is written then).
void WritePreferences(const TPreferences& prefs, const SettingsFile& file = SettingsFile());

} // namespace vesk
