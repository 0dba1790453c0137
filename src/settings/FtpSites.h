// The FTP site list of the uploader: [SiteList] SelectedSite and one [Site<n>] section per site.
//
// Sites are stored in list order in Site0, Site1, …; the list ends at the
// first Site<n> whose SiteLabel is missing or empty, and later sections are
// ignored. Text fields are written quoted so blanks at either end survive.
#pragma once

#include "settings/Settings.h"

#include <QString>
#include <QStringList>
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

// What a site picked in the preferences' list shows for a missing login
// name or password (sites written by the program always have both).
inline constexpr const char* kDefaultSiteLogin = "anonymous";
inline constexpr const char* kDefaultSitePassword = "user@example.com";

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
// A site with a password first makes the settings file readable by its
// owner alone (creating it so when missing); when that fails, nothing is
// written and std::runtime_error says why.
void WriteSite(int index, const FtpSite& site, const SettingsFile& file = SettingsFile());

// Removes site `index` of a list of `count` sites: the six keys of every
// later site move one section down, the Anonymous flag included, and the
// section Site<count-1> is erased (only that one, so sections beyond the
// list's end stay as they are). One file replacement. Nothing happens
// when index is outside 0 … count-1.
void RemoveSite(int index, int count, const SettingsFile& file = SettingsFile());

// Site0, Site1, … up to the first without a SiteLabel.
std::vector<FtpSite> ReadSites(const SettingsFile& file = SettingsFile());
// Writes sites as Site0 … Site<n-1>, then erases Site<n>, Site<n+1>, … up
// to the first section that does not exist, so a removed site leaves no
// stale section behind. One file replacement.
void WriteSites(const std::vector<FtpSite>& sites, const SettingsFile& file = SettingsFile());

// [AdvancedFTP]: how the uploader's FTP client works.
inline constexpr int kFtpTimeoutMin = 1;
inline constexpr int kFtpTimeoutMax = 32766;
inline constexpr int kShareModeCount = 5;

struct AdvancedFtpSettings {
    int timeout = 240;        // Timeout: seconds one synchronous operation may wait
    int shareMode = 1;        // ShareMode: 0 compatible … 4 deny none (see ShareModeNames)
    bool multiThread = true;  // MultiThread
    bool passive = false;     // Passive

    friend bool operator==(const AdvancedFtpSettings&, const AdvancedFtpSettings&) = default;
};

// "ShareCompatible", "ShareExclusive", "ShareDenyWrite", "ShareDenyRead",
// "ShareDenyNone": the names of ShareMode 0 … 4.
QStringList ShareModeNames();

// The stored settings with their defaults; a timeout outside 1 … 32766 is
// held to that range and a share mode outside 0 … 4 reads as the default.
AdvancedFtpSettings ReadAdvancedFtp(const SettingsFile& file = SettingsFile());
void WriteAdvancedFtp(const AdvancedFtpSettings& settings, const SettingsFile& file = SettingsFile());
// Erases [AdvancedFTP], so every key reads as its default again.
void EraseAdvancedFtp(const SettingsFile& file = SettingsFile());

} // namespace vesk
