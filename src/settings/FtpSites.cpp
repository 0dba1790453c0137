// Reading and writing the FTP site sections.
#include "settings/FtpSites.h"

#include "platform/FileNames.h"
#include "platform/ProfileFile.h"
#include "platform/SafeFile.h"

#include <algorithm>
#include <stdexcept>

namespace vesk {

namespace {

constexpr const char* kSiteListSection = "SiteList";
constexpr const char* kAdvancedSection = "AdvancedFTP";

// The settings file is created private, but one from an older version or
// copied in by hand may be readable by others; it is closed before the
// first password goes in.
void KeepPrivate(const SettingsFile& file)
{
    const QString path = FileNameFromBytes(QByteArrayView(file.path().data(), qsizetype(file.path().size())));
    int error = CreatePrivateFile(path);
    if (error == 0)
        error = MakeFilePrivate(path);
    if (error != 0)
        throw std::runtime_error((QStringLiteral("The password was not saved: ") + path
                                  + QStringLiteral(" could not be made readable by you alone (")
                                  + DescribeFileError(error) + QStringLiteral(")."))
                                     .toStdString());
}

} // namespace

std::string SiteSection(int index) { return "Site" + std::to_string(index); }

int ReadSelectedSite(const SettingsFile& file)
{
    return file.ReadInt(kSiteListSection, "SelectedSite", -1);
}

void WriteSelectedSite(int index, const SettingsFile& file)
{
    file.WriteInt(kSiteListSection, "SelectedSite", index);
}

FtpSite ReadSite(int index, const FtpSite& defaults, const SettingsFile& file)
{
    const std::string section = SiteSection(index);
    FtpSite site;
    site.siteLabel = file.ReadString(section, "SiteLabel", defaults.siteLabel);
    site.hostName = file.ReadString(section, "HostName", defaults.hostName);
    site.loginName = file.ReadString(section, "LoginName", defaults.loginName);
    site.password = file.ReadString(section, "Password", defaults.password);
    site.remoteDirectory = file.ReadString(section, "RemoteDirectory", defaults.remoteDirectory);
    site.anonymous = file.ReadBool(section, "Anonymous", defaults.anonymous);
    return site;
}

void WriteSite(int index, const FtpSite& site, const SettingsFile& file)
{
    if (!site.password.isEmpty())
        KeepPrivate(file);
    const std::string section = SiteSection(index);
    ProfileWriteBatch batch(file.path());
    file.WriteQuotedString(section, "SiteLabel", site.siteLabel);
    file.WriteQuotedString(section, "HostName", site.hostName);
    file.WriteQuotedString(section, "LoginName", site.loginName);
    file.WriteBool(section, "Anonymous", site.anonymous);
    file.WriteQuotedString(section, "Password", site.password);
    file.WriteQuotedString(section, "RemoteDirectory", site.remoteDirectory);
    batch.Commit();
}

std::vector<FtpSite> ReadSites(const SettingsFile& file)
{
    std::vector<FtpSite> sites;
    for (int i = 0;; ++i) {
        // The label alone decides where the list ends.
        if (file.ReadString(SiteSection(i), "SiteLabel").isEmpty())
            break;
        sites.push_back(ReadSite(i, FtpSite(), file));
    }
    return sites;
}

void WriteSites(const std::vector<FtpSite>& sites, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    int index = 0;
    for (const FtpSite& site : sites)
        WriteSite(index++, site, file);
    for (; file.SectionExists(SiteSection(index)); ++index)
        file.EraseSection(SiteSection(index));
    batch.Commit();
}

void RemoveSite(int index, int count, const SettingsFile& file)
{
    if (index < 0 || index >= count)
        return;
    ProfileWriteBatch batch(file.path());
    for (int a = index; a + 1 < count; ++a)
        WriteSite(a, ReadSite(a + 1, FtpSite(), file), file);
    file.EraseSection(SiteSection(count - 1));
    batch.Commit();
}

QStringList ShareModeNames()
{
    return {QStringLiteral("ShareCompatible"), QStringLiteral("ShareExclusive"), QStringLiteral("ShareDenyWrite"),
            QStringLiteral("ShareDenyRead"), QStringLiteral("ShareDenyNone")};
}

AdvancedFtpSettings ReadAdvancedFtp(const SettingsFile& file)
{
    AdvancedFtpSettings s;
    s.timeout = std::clamp(file.ReadInt(kAdvancedSection, "Timeout", s.timeout), kFtpTimeoutMin, kFtpTimeoutMax);
    const int mode = file.ReadInt(kAdvancedSection, "ShareMode", s.shareMode);
    if (mode >= 0 && mode < kShareModeCount)
        s.shareMode = mode;
    s.multiThread = file.ReadBool(kAdvancedSection, "MultiThread", s.multiThread);
    s.passive = file.ReadBool(kAdvancedSection, "Passive", s.passive);
    return s;
}

void WriteAdvancedFtp(const AdvancedFtpSettings& s, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    file.WriteInt(kAdvancedSection, "Timeout", s.timeout);
    file.WriteInt(kAdvancedSection, "ShareMode", s.shareMode);
    file.WriteBool(kAdvancedSection, "MultiThread", s.multiThread);
    file.WriteBool(kAdvancedSection, "Passive", s.passive);
    batch.Commit();
}

void EraseAdvancedFtp(const SettingsFile& file)
{
    file.EraseSection(kAdvancedSection);
}

} // namespace vesk
