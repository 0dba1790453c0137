// Reading and writing every page of the preferences at once.
#include "settings/Preferences.h"

#include "platform/ProfileFile.h"
#include "settings/FileLists.h"

#include <algorithm>

namespace vesk {

void SortCodes(std::vector<CodeItem>& codes)
{
    std::stable_sort(codes.begin(), codes.end(), [](const CodeItem& a, const CodeItem& b) {
        return a.code.compare(b.code, Qt::CaseInsensitive) < 0;
    });
}

std::size_t SortedCodePlace(const std::vector<CodeItem>& codes, const QString& code)
{
    const auto at = std::upper_bound(codes.begin(), codes.end(), code, [](const QString& c, const CodeItem& item) {
        return c.compare(item.code, Qt::CaseInsensitive) < 0;
    });
    return std::size_t(at - codes.begin());
}

TPreferences ReadPreferences(const SettingsFile& file)
{
    TPreferences p;
    p.singleCodes = ReadCodeList(kSingleCodesSection, file);
    p.seCodes = ReadCodeList(kSECodesSection, file);
    SortCodes(p.singleCodes);
    SortCodes(p.seCodes);
    p.commands = ReadProgramCommands(file);
    p.preferredFiles = ReadPreferredFiles(file);
    p.uploadBin = ReadUploadFiles(file);
    for (const FtpSite& site : ReadSites(file))
        p.siteNames << site.siteLabel;
    const int selected = ReadSelectedSite(file);
    p.selectedSite = selected >= 0 && selected < p.siteNames.size() ? selected : -1;
    if (p.selectedSite >= 0)
        p.siteFields = ReadSite(p.selectedSite, FtpSite(), file);
    const FileTypeSettings types = ReadFileTypes(file);
    p.associations = {types.html, types.txt, types.edit};
    p.autoClose = ReadAutoClose(file);
    p.versions = ReadValidatorVersions(file);
    return p;
}

void WritePreferences(const TPreferences& p, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    if (p.selectedSite >= 0 && p.selectedSite < p.siteNames.size()) {
        FtpSite site = p.siteFields;
        if (site.siteLabel.isEmpty())
            site.siteLabel = p.siteNames[p.selectedSite];
        // First, so a password that cannot be kept private stops everything.
        WriteSite(p.selectedSite, site, file);
        WriteSelectedSite(p.selectedSite, file);
    }
    WriteCodeList(kSingleCodesSection, p.singleCodes, file);
    WriteCodeList(kSECodesSection, p.seCodes, file);
    WriteProgramCommands(p.commands, file);
    WritePreferredFiles(p.preferredFiles, file);
    WriteUploadFiles(p.uploadBin, file);
    WriteAutoClose(p.autoClose, file);
    WriteValidatorVersions(p.versions, file);
    batch.Commit();
}

} // namespace vesk
