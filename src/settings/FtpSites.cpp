// Reading and writing the FTP site sections.
#include "settings/FtpSites.h"

#include "platform/ProfileFile.h"

namespace vesk {

namespace {

constexpr const char* kSiteListSection = "SiteList";

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

} // namespace vesk
