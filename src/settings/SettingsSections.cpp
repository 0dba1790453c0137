// Reading and writing the fixed switch groups of the settings file.
#include "settings/SettingsSections.h"

#include "platform/ProfileFile.h"

namespace vesk {

namespace {

constexpr const char* kViewSection = "View";
constexpr const char* kAutoCloseSection = "AutoClose";
constexpr const char* kValidatorSection = "Validator";
constexpr const char* kFileTypesSection = "FileTypes";


// One table per group names each key once, so a reader and its writer can
// never disagree about a key's spelling.
template <typename Group>
struct BoolKey {
    const char* key;
    bool Group::*member;
};
template <typename Group>
struct TextKey {
    const char* key;
    QString Group::*member;
};

template <typename Group, std::size_t N>
void ReadBools(Group& group, const char* section, const BoolKey<Group> (&keys)[N],
               const SettingsFile& file)
{
    const Group defaults;
    for (const BoolKey<Group>& k : keys)
        group.*k.member = file.ReadBool(section, k.key, defaults.*k.member);
}

template <typename Group, std::size_t N>
void WriteBools(const Group& group, const char* section, const BoolKey<Group> (&keys)[N],
                const SettingsFile& file)
{
    for (const BoolKey<Group>& k : keys)
        file.WriteBool(section, k.key, group.*k.member);
}

const BoolKey<ViewBars> kViewKeys[] = {
    {"Toolbar", &ViewBars::toolbar},
    {"Clipper", &ViewBars::clipper},
    {"S/E Codes", &ViewBars::seCodes},
    {"Single Codes", &ViewBars::singleCodes},
};

const BoolKey<AutoCloseOptions> kAutoCloseKeys[] = {
    {"Backup", &AutoCloseOptions::backup},
    {"Updater", &AutoCloseOptions::updater},
    {"Validator", &AutoCloseOptions::validator},
    {"Spell", &AutoCloseOptions::spell},
    {"SaveChanges", &AutoCloseOptions::saveChanges},
    {"AddToUploadBin", &AutoCloseOptions::addToUploadBin},
    {"RunUploader", &AutoCloseOptions::runUploader},
};

const BoolKey<ValidatorVersions> kValidatorKeys[] = {
    {"HTML2.0", &ValidatorVersions::html20},
    {"HTML3.2", &ValidatorVersions::html32},
    {"HTML4.0strict", &ValidatorVersions::html40strict},
    {"HTML4.0loose", &ValidatorVersions::html40loose},
    {"HTML4.0frame", &ValidatorVersions::html40frame},
};

const BoolKey<FileTypeSettings> kFileTypeSwitches[] = {
    {"HTML", &FileTypeSettings::html},
    {"TXT", &FileTypeSettings::txt},
    {"Edit", &FileTypeSettings::edit},
};

const TextKey<FileTypeSettings> kFileTypeOldData[] = {
    {"HTMOldData", &FileTypeSettings::htmOldData},
    {"HTMLOldData", &FileTypeSettings::htmlOldData},
    {"TXTOldData", &FileTypeSettings::txtOldData},
    {"EditOldData", &FileTypeSettings::editOldData},
};

} // namespace

ViewBars ReadViewBars(const SettingsFile& file)
{
    ViewBars bars;
    ReadBools(bars, kViewSection, kViewKeys, file);
    return bars;
}

void WriteViewBars(const ViewBars& bars, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    WriteBools(bars, kViewSection, kViewKeys, file);
    batch.Commit();
}

AutoCloseOptions ReadAutoClose(const SettingsFile& file)
{
    AutoCloseOptions options;
    ReadBools(options, kAutoCloseSection, kAutoCloseKeys, file);
    return options;
}

void WriteAutoClose(const AutoCloseOptions& options, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    WriteBools(options, kAutoCloseSection, kAutoCloseKeys, file);
    batch.Commit();
}

ValidatorVersions ReadValidatorVersions(const SettingsFile& file)
{
    ValidatorVersions versions;
    ReadBools(versions, kValidatorSection, kValidatorKeys, file);
    return versions;
}

void WriteValidatorVersions(const ValidatorVersions& versions, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    WriteBools(versions, kValidatorSection, kValidatorKeys, file);
    batch.Commit();
}

FileTypeSettings ReadFileTypes(const SettingsFile& file)
{
    FileTypeSettings types;
    ReadBools(types, kFileTypesSection, kFileTypeSwitches, file);
    for (const TextKey<FileTypeSettings>& k : kFileTypeOldData)
        types.*k.member = file.ReadString(kFileTypesSection, k.key);
    return types;
}

void WriteFileTypes(const FileTypeSettings& types, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    WriteBools(types, kFileTypesSection, kFileTypeSwitches, file);
    for (const TextKey<FileTypeSettings>& k : kFileTypeOldData)
        file.WriteString(kFileTypesSection, k.key, types.*k.member);
    batch.Commit();
}

} // namespace vesk
