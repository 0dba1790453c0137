// Fixed groups of switches in the settings file: bar visibility, the automatic
// closing functions, the validator's HTML version and the Explorer associations.
//
// Each struct starts out holding the defaults, which are also what a reader
// uses for an absent key. Readers never fail (a missing file gives the
// defaults); writers write every key of the group.
#pragma once

#include "settings/Settings.h"

#include <QString>

namespace vesk {

// [View]: which bars the main window shows.
struct ViewBars {
    bool toolbar = true;       // Toolbar
    bool clipper = false;      // Clipper
    bool seCodes = false;      // S/E Codes
    bool singleCodes = false;  // Single Codes

    friend bool operator==(const ViewBars&, const ViewBars&) = default;
};

ViewBars ReadViewBars(const SettingsFile& file = SettingsFile());
void WriteViewBars(const ViewBars& bars, const SettingsFile& file = SettingsFile());

// [AutoClose]: the automatic functions run when a document is let go.
struct AutoCloseOptions {
    bool backup = true;          // Backup: "Backup Before Overwriting"
    bool updater = true;         // Updater: "Update Dates"
    bool validator = true;       // Validator: "Validate HTML Code"
    bool spell = true;           // Spell: "Check Spelling"
    bool saveChanges = true;     // SaveChanges: "Save Changes"
    bool addToUploadBin = true;  // AddToUploadBin: "Add File to Upload List"
    bool runUploader = true;     // RunUploader: "Upload New Files"

    friend bool operator==(const AutoCloseOptions&, const AutoCloseOptions&) = default;
};

AutoCloseOptions ReadAutoClose(const SettingsFile& file = SettingsFile());
void WriteAutoClose(const AutoCloseOptions& options, const SettingsFile& file = SettingsFile());

// [Validator]: the chosen HTML version, one switch per version. The file may
// hold any combination; nothing here enforces that exactly one is on.
struct ValidatorVersions {
    bool html20 = false;        // HTML2.0
    bool html32 = false;        // HTML3.2
    bool html40strict = true;   // HTML4.0strict
    bool html40loose = false;   // HTML4.0loose
    bool html40frame = false;   // HTML4.0frame

    friend bool operator==(const ValidatorVersions&, const ValidatorVersions&) = default;
};

ValidatorVersions ReadValidatorVersions(const SettingsFile& file = SettingsFile());
void WriteValidatorVersions(const ValidatorVersions& versions,
                            const SettingsFile& file = SettingsFile());

// [FileTypes]: which desktop associations are in force, and the values they
// replaced (restored when an association is removed).
struct FileTypeSettings {
    bool html = false;     // HTML: "Associate with *.htm files"
    bool txt = false;      // TXT: "Associate with *.txt files"
    bool edit = false;     // Edit: "Add Edit to popup"
    QString htmOldData;    // HTMOldData
    QString htmlOldData;   // HTMLOldData
    QString txtOldData;    // TXTOldData
    QString editOldData;   // EditOldData

    friend bool operator==(const FileTypeSettings&, const FileTypeSettings&) = default;
};

FileTypeSettings ReadFileTypes(const SettingsFile& file = SettingsFile());
void WriteFileTypes(const FileTypeSettings& types, const SettingsFile& file = SettingsFile());

} // namespace vesk
