// Reading and writing the FTP site sections.
#include "settings/FtpSites.h"

#include "platform/FileNames.h"
#include "platform/ProfileFile.h"
#include "platform/ProfileModel.h"
#include "platform/SafeFile.h"
#include "platform/SecretStore.h"

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string_view>

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

// The keys of a site's section that hold text, written quoted like the
// fields the preferences write.
bool IsTextKey(std::string_view key)
{
    for (const char* text : {"SiteLabel", "HostName", "LoginName", "Password", "RemoteDirectory", "CertSha256"}) {
        if (profile::CaseInsensitiveEqual()(key, text))
            return true;
    }
    return false;
}

int ReadEncryption(const SettingsFile& file, const std::string& section)
{
    // Only the three values: a hand-edited "1x" is no choice at all.
    const QString value = file.ReadString(section, "Encryption");
    for (int choice = 0; choice < kEncryptionCount; ++choice) {
        if (value == QString::number(choice))
            return choice;
    }
    return kEncryptionIfAvailable;
}

// Site<index> as the file holds it, without asking the keyring.
FtpSite ReadStoredSite(int index, const FtpSite& defaults, const SettingsFile& file)
{
    const std::string section = SiteSection(index);
    FtpSite site;
    site.siteLabel = file.ReadString(section, "SiteLabel", defaults.siteLabel);
    site.hostName = file.ReadString(section, "HostName", defaults.hostName);
    site.loginName = file.ReadString(section, "LoginName", defaults.loginName);
    site.password = file.ReadString(section, "Password", defaults.password);
    site.remoteDirectory = file.ReadString(section, "RemoteDirectory", defaults.remoteDirectory);
    site.anonymous = file.ReadBool(section, "Anonymous", defaults.anonymous);
    site.encryption = ReadEncryption(file, section);
    site.certSha256 = file.ReadString(section, "CertSha256", defaults.certSha256);
    return site;
}

bool SameHost(const QString& a, const QString& b)
{
    return a.trimmed().compare(b.trimmed(), Qt::CaseInsensitive) == 0;
}

// What a keyring entry is kept under.
bool SameKeyringEntry(const FtpSite& a, const FtpSite& b)
{
    return a.siteLabel == b.siteLabel && a.hostName == b.hostName && a.loginName == b.loginName;
}

void ForgetPassword(const FtpSite& site)
{
    SecretStore::Remove(site.siteLabel, site.hostName, site.loginName);
}

// Copies every key of Site<from> over Site<to>; keys that only Site<to>
// has are removed, so nothing of the site that was there is left.
void MoveSiteSection(int from, int to, const SettingsFile& file)
{
    const std::string source = SiteSection(from);
    const std::string target = SiteSection(to);
    const std::vector<std::string> keys = GetPrivateProfileKeys(source, file.path());
    const profile::CaseInsensitiveEqual sameName;
    for (const std::string& key : GetPrivateProfileKeys(target, file.path())) {
        if (std::none_of(keys.begin(), keys.end(), [&](const std::string& k) { return sameName(k, key); }))
            file.DeleteKey(target, key);
    }
    for (const std::string& key : keys) {
        const QString value = file.ReadString(source, key);
        if (IsTextKey(key))
            file.WriteQuotedString(target, key, value);
        else
            file.WriteString(target, key, value);
    }
}

} // namespace

std::string SiteSection(int index) { return "Site" + std::to_string(index); }

QStringList EncryptionNames()
{
    return {QStringLiteral("Use explicit TLS if available"), QStringLiteral("Require explicit TLS"),
            QStringLiteral("Plain FTP (insecure)")};
}

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
    FtpSite site = ReadStoredSite(index, defaults, file);
    if (!site.anonymous) {
        if (std::optional<QString> kept = SecretStore::Lookup(site.siteLabel, site.hostName, site.loginName))
            site.password = *kept;
    }
    return site;
}

void WriteSite(int index, const FtpSite& site, const SettingsFile& file)
{
    const std::string section = SiteSection(index);
    const bool existed = file.SectionExists(section);
    const FtpSite before = ReadStoredSite(index, FtpSite(), file);

    // With a keyring the file gets no password; only a refusal sends it there.
    const bool keyring = SecretStore::Available();
    const bool keeps = !site.anonymous && !site.password.isEmpty();
    bool inKeyring = false;
    if (keyring) {
        if (keeps) {
            inKeyring = SecretStore::Store(site.siteLabel, site.hostName, site.loginName, site.password);
        } else {
            ForgetPassword(site);  // an old one would come back on the next read
            inKeyring = true;
        }
    }
    if (!inKeyring && !site.password.isEmpty())
        KeepPrivate(file);

    ProfileWriteBatch batch(file.path());
    file.WriteQuotedString(section, "SiteLabel", site.siteLabel);
    file.WriteQuotedString(section, "HostName", site.hostName);
    file.WriteQuotedString(section, "LoginName", site.loginName);
    file.WriteBool(section, "Anonymous", site.anonymous);
    if (inKeyring)
        file.DeleteKey(section, "Password");
    else
        file.WriteQuotedString(section, "Password", site.password);
    file.WriteQuotedString(section, "RemoteDirectory", site.remoteDirectory);
    const bool known = site.encryption >= 0 && site.encryption < kEncryptionCount;
    file.WriteInt(section, "Encryption", known ? site.encryption : kEncryptionIfAvailable);
    if (existed && !SameHost(before.hostName, site.hostName))
        file.DeleteKey(section, "CertSha256");
    batch.Commit();

    if (keyring && existed && !before.anonymous && !SameKeyringEntry(before, site))
        ForgetPassword(before);
}

void WriteSiteCertSha256(int index, const QString& hex, const SettingsFile& file)
{
    if (hex.isEmpty())
        file.DeleteKey(SiteSection(index), "CertSha256");
    else
        file.WriteString(SiteSection(index), "CertSha256", hex);
}

QString ReadSiteCertSha256(int index, const QString& hostName, const SettingsFile& file)
{
    const std::string section = SiteSection(index);
    if (!SameHost(file.ReadString(section, "HostName"), hostName))
        return {};
    return file.ReadString(section, "CertSha256");
}

QString NormalizedFingerprint(QString text)
{
    QString hex;
    hex.reserve(64);
    for (QChar c : text) {
        if (c == u':' || c.isSpace())
            continue;
        const char16_t u = c.unicode();
        const bool digit = (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'f') || (u >= u'A' && u <= u'F');
        if (!digit || hex.size() == 64)
            return {};
        hex += c.toLower();
    }
    return hex.size() == 64 ? hex : QString();
}

std::vector<FtpSite> ReadSites(const SettingsFile& file)
{
    std::vector<FtpSite> sites;
    for (int i = 0;; ++i) {
        // The label alone decides where the list ends.
        if (file.ReadString(SiteSection(i), "SiteLabel").isEmpty())
            break;
        sites.push_back(ReadStoredSite(i, FtpSite(), file));
    }
    return sites;
}

void WriteSites(const std::vector<FtpSite>& sites, const SettingsFile& file)
{
    std::vector<FtpSite> erased;
    ProfileWriteBatch batch(file.path());
    int index = 0;
    for (const FtpSite& site : sites)
        WriteSite(index++, site, file);
    for (; file.SectionExists(SiteSection(index)); ++index) {
        erased.push_back(ReadStoredSite(index, FtpSite(), file));
        file.EraseSection(SiteSection(index));
    }
    batch.Commit();
    if (!SecretStore::Available())
        return;
    for (const FtpSite& gone : erased) {
        if (!gone.anonymous && std::none_of(sites.begin(), sites.end(),
                                            [&](const FtpSite& site) { return SameKeyringEntry(site, gone); }))
            ForgetPassword(gone);
    }
}

void RemoveSite(int index, int count, const SettingsFile& file)
{
    if (index < 0 || index >= count)
        return;
    const FtpSite removed = ReadStoredSite(index, FtpSite(), file);
    ProfileWriteBatch batch(file.path());
    for (int a = index; a + 1 < count; ++a)
        MoveSiteSection(a + 1, a, file);
    file.EraseSection(SiteSection(count - 1));
    batch.Commit();
    if (removed.anonymous || !SecretStore::Available())
        return;
    const std::vector<FtpSite> left = ReadSites(file);
    if (std::none_of(left.begin(), left.end(), [&](const FtpSite& site) { return SameKeyringEntry(site, removed); }))
        ForgetPassword(removed);
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
