// The FTP site list of the uploader: [SiteList] SelectedSite and one [Site<n>] section per site.
//
// Sites are stored in list order in Site0, Site1, …; the list ends at the
// first Site<n> whose SiteLabel is missing or empty, and later sections are
// ignored. Text fields are written quoted so blanks at either end survive.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <string>
#include <vector>

namespace vesk {

struct FtpSite {
    QString siteLabel;        // SiteLabel: the name shown in the lists
    QString hostName;         // HostName
    QString loginName;        // LoginName
    QString password;         // Password
    QString remoteDirectory;  // RemoteDirectory
    bool anonymous = true;    // Anonymous

    friend bool operator==(const FtpSite&, const FtpSite&) = default;
};

// "Site" + index.
std::string SiteSection(int index);

// [SiteList] SelectedSite: the index of the selected site, -1 for none.
int ReadSelectedSite(const SettingsFile& file = SettingsFile());
void WriteSelectedSite(int index, const SettingsFile& file = SettingsFile());

// Site<index> with the values of defaults for absent keys (the uploader page
// passes its own defaults for login and password).
FtpSite ReadSite(int index, const FtpSite& defaults = FtpSite(),
                 const SettingsFile& file = SettingsFile());
// Writes the six keys of Site<index>; other keys of the section are kept.
void WriteSite(int index, const FtpSite& site, const SettingsFile& file = SettingsFile());

// Site0, Site1, … up to the first without a SiteLabel.
std::vector<FtpSite> ReadSites(const SettingsFile& file = SettingsFile());
// Writes sites as Site0 … Site<n-1>, then erases Site<n>, Site<n+1>, … up
// to the first section that does not exist, so a removed site leaves no
// stale section behind. One file replacement.
void WriteSites(const std::vector<FtpSite>& sites, const SettingsFile& file = SettingsFile());

} // namespace vesk
