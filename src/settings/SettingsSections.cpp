// Reading and writing the fixed switch groups of the settings file.
#include "settings/SettingsSections.h"

#include "platform/ProfileFile.h"

namespace vesk {

namespace {

constexpr const char* kViewSection = "View";
constexpr const char* kAutoCloseSection = "AutoClose";
constexpr const char* kValidatorSection = "Validator";
constexpr const char* kFileTypesSection = "FileTypes";

} // namespace

ViewBars ReadViewBars(const SettingsFile& file)
{
    const ViewBars d;
    ViewBars bars;
    bars.toolbar = file.ReadBool(kViewSection, "Toolbar", d.toolbar);
    bars.clipper = file.ReadBool(kViewSection, "Clipper", d.clipper);
    bars.seCodes = file.ReadBool(kViewSection, "S/E Codes", d.seCodes);
    bars.singleCodes = file.ReadBool(kViewSection, "Single Codes", d.singleCodes);
    return bars;
}

void WriteViewBars(const ViewBars& bars, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.WriteBool(kViewSection, "Toolbar", bars.toolbar);
    file.WriteBool(kViewSection, "Clipper", bars.clipper);
    file.WriteBool(kViewSection, "S/E Codes", bars.seCodes);
    file.WriteBool(kViewSection, "Single Codes", bars.singleCodes);
    batch.Commit();
}

AutoCloseOptions ReadAutoClose(const SettingsFile& file)
{
    const AutoCloseOptions d;
    AutoCloseOptions o;
    o.backup = file.ReadBool(kAutoCloseSection, "Backup", d.backup);
    o.updater = file.ReadBool(kAutoCloseSection, "Updater", d.updater);
    o.validator = file.ReadBool(kAutoCloseSection, "Validator", d.validator);
    o.spell = file.ReadBool(kAutoCloseSection, "Spell", d.spell);
    o.saveChanges = file.ReadBool(kAutoCloseSection, "SaveChanges", d.saveChanges);
    o.addToUploadBin = file.ReadBool(kAutoCloseSection, "AddToUploadBin", d.addToUploadBin);
    o.runUploader = file.ReadBool(kAutoCloseSection, "RunUploader", d.runUploader);
    return o;
}

void WriteAutoClose(const AutoCloseOptions& o, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.WriteBool(kAutoCloseSection, "Backup", o.backup);
    file.WriteBool(kAutoCloseSection, "Updater", o.updater);
    file.WriteBool(kAutoCloseSection, "Validator", o.validator);
    file.WriteBool(kAutoCloseSection, "Spell", o.spell);
    file.WriteBool(kAutoCloseSection, "SaveChanges", o.saveChanges);
    file.WriteBool(kAutoCloseSection, "AddToUploadBin", o.addToUploadBin);
    file.WriteBool(kAutoCloseSection, "RunUploader", o.runUploader);
    batch.Commit();
}

ValidatorVersions ReadValidatorVersions(const SettingsFile& file)
{
    const ValidatorVersions d;
    ValidatorVersions v;
    v.html20 = file.ReadBool(kValidatorSection, "HTML2.0", d.html20);
    v.html32 = file.ReadBool(kValidatorSection, "HTML3.2", d.html32);
    v.html40strict = file.ReadBool(kValidatorSection, "HTML4.0strict", d.html40strict);
    v.html40loose = file.ReadBool(kValidatorSection, "HTML4.0loose", d.html40loose);
    v.html40frame = file.ReadBool(kValidatorSection, "HTML4.0frame", d.html40frame);
    return v;
}

void WriteValidatorVersions(const ValidatorVersions& v, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.WriteBool(kValidatorSection, "HTML2.0", v.html20);
    file.WriteBool(kValidatorSection, "HTML3.2", v.html32);
    file.WriteBool(kValidatorSection, "HTML4.0strict", v.html40strict);
    file.WriteBool(kValidatorSection, "HTML4.0loose", v.html40loose);
    file.WriteBool(kValidatorSection, "HTML4.0frame", v.html40frame);
    batch.Commit();
}

FileTypeSettings ReadFileTypes(const SettingsFile& file)
{
    const FileTypeSettings d;
    FileTypeSettings t;
    t.html = file.ReadBool(kFileTypesSection, "HTML", d.html);
    t.txt = file.ReadBool(kFileTypesSection, "TXT", d.txt);
    t.edit = file.ReadBool(kFileTypesSection, "Edit", d.edit);
    t.htmOldData = file.ReadString(kFileTypesSection, "HTMOldData");
    t.htmlOldData = file.ReadString(kFileTypesSection, "HTMLOldData");
    t.txtOldData = file.ReadString(kFileTypesSection, "TXTOldData");
    t.editOldData = file.ReadString(kFileTypesSection, "EditOldData");
    return t;
}

void WriteFileTypes(const FileTypeSettings& t, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.WriteBool(kFileTypesSection, "HTML", t.html);
    file.WriteBool(kFileTypesSection, "TXT", t.txt);
    file.WriteBool(kFileTypesSection, "Edit", t.edit);
    file.WriteString(kFileTypesSection, "HTMOldData", t.htmOldData);
    file.WriteString(kFileTypesSection, "HTMLOldData", t.htmlOldData);
    file.WriteString(kFileTypesSection, "TXTOldData", t.txtOldData);
    file.WriteString(kFileTypesSection, "EditOldData", t.editOldData);
    batch.Commit();
}

} // namespace vesk
