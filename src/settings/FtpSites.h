// The FTP site list of the uploader: [SiteList] SelectedSite and one [Site<n>] section per site.
//
// Sites are stored in list order in Site0, Site1, …; the list ends at the
// first Site<n> whose SiteLabel is missing or empty, and later sections are
// ignored. Text fields are written quoted so blanks at either end survive.
//
// Passwords: when the desktop's keyring is available (SecretStore), a
// site's password lives there under its label, host and login, and its
// section holds no "Password" key; a password still in the file moves to
// the keyring the next time the site is written. Without a keyring, or
// when the keyring refuses a password, the file keeps it (and is made
// readable by its owner alone). Anonymous sites keep no password.
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
    int encryption = 0;       // Encryption: one of the kEncryption… values
    QString certSha256 = {};  // CertSha256: fingerprint of a certificate the user trusts, as stored

    friend bool operator==(const FtpSite&, const FtpSite&) = default;
};

// A site's Encryption choice.
inline constexpr int kEncryptionIfAvailable = 0;  // explicit TLS when the server offers it (the default)
inline constexpr int kEncryptionRequired = 1;     // explicit TLS or no connection
inline constexpr int kEncryptionPlain = 2;        // plain FTP
inline constexpr int kEncryptionCount = 3;

// The texts of the three choices, in the order of their values.
QStringList EncryptionNames();

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
// passes its own defaults for login and password). An Encryption value
// other than 0, 1 or 2 reads as 0. The password of a site that is not
// anonymous comes from the keyring when it holds one for the site's
// label, host and login, else from the file. Every reader that connects
// (the uploader, the command-line upload, the preferences page) reads here.
FtpSite ReadSite(int index, const FtpSite& defaults = FtpSite(),
                 const SettingsFile& file = SettingsFile());
// Writes the fields of Site<index> (label, host, login, Anonymous,
// password, directory, Encryption); other keys of the section are kept.
// CertSha256 is never written here (see WriteSiteCertSha256), but it is
// dropped when the stored host name differs from site.hostName: the trust
// was given to the old host. With the keyring, the password is stored
// there (a site that is anonymous or has no password gets none) and the
// section's "Password" key is removed; the entry kept under the site's old
// label, host or login is removed once the new one is in place. When the
// password goes to the file, the file is first made readable by its owner
// alone (created so when missing); when that fails, nothing is written and
// std::runtime_error says why.
void WriteSite(int index, const FtpSite& site, const SettingsFile& file = SettingsFile());

// Writes only CertSha256 of Site<index>, as given (an empty one removes
// the key). The uploader calls it when the user trusts a certificate.
void WriteSiteCertSha256(int index, const QString& hex, const SettingsFile& file = SettingsFile());

// CertSha256 of Site<index> when its stored host name is hostName (blanks
// at either end and case aside), else empty: a trust given to another host
// does not count.
QString ReadSiteCertSha256(int index, const QString& hostName, const SettingsFile& file = SettingsFile());

// A fingerprint as OpenSSL's digest gives it in hexadecimal: lower-case,
// without colons or blanks. Empty when the text does not hold exactly 64
// hexadecimal digits (once colons and blanks are dropped).
QString NormalizedFingerprint(QString text);

// Removes site `index` of a list of `count` sites: every key of every later
// site moves one section down (CertSha256 and Encryption included; a key a
// later section lacks is removed, not left from the site before), and the
// section Site<count-1> is erased (only that one, so sections beyond the
// list's end stay as they are). One file replacement. The removed site's
// password leaves the keyring unless a remaining site has the same label,
// host and login. Nothing happens when index is outside 0 … count-1.
void RemoveSite(int index, int count, const SettingsFile& file = SettingsFile());

// Site0, Site1, … up to the first without a SiteLabel, as the file holds
// them: the keyring is not asked (lists of names need no passwords, and a
// list may be long), so a password kept there reads as the file's value.
std::vector<FtpSite> ReadSites(const SettingsFile& file = SettingsFile());
// Writes sites as Site0 … Site<n-1> (each as WriteSite does), then erases
// Site<n>, Site<n+1>, … up to the first section that does not exist, so a
// removed site leaves no stale section (nor keyring entry) behind. One
// file replacement.
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
