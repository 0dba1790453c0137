// Tests of the FTP site sections and the selected site.
#include "settings/FtpSites.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ReadFileBytes;
using test::ScopedProgramFolder;
using test::WriteFileBytes;

FtpSite Site(const QString& label, bool anonymous = false)
{
    return FtpSite{label, label + ".example.org", "user", "secret", " dir/images ", anonymous};
}

TEST(FtpSites, FreshStartHasNoSites)
{
    ScopedProgramFolder folder;
    EXPECT_TRUE(ReadSites().empty());
    EXPECT_EQ(ReadSelectedSite(), -1);
    EXPECT_TRUE(ReadSite(0).anonymous);
}

// A file that may hold passwords is readable by its owner alone.
TEST(FtpSites, TheSettingsFileIsBornPrivateAndTightenedWhenAPasswordGoesIn)
{
    const auto mode = [](const std::string& path) {
        struct stat st{};
        return ::stat(path.c_str(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    };
    ScopedProgramFolder folder;
    const std::string path = SettingsFile().path();
    SettingsFile().WriteInt("View", "Toolbar", 1);
    EXPECT_EQ(mode(path), 0600);

    ASSERT_EQ(::chmod(path.c_str(), 0644), 0);  // an older file, or one copied in by hand
    WriteSite(0, FtpSite{"a", "a.org", "anonymous", "", "", true});
    EXPECT_EQ(mode(path), 0644);  // no password: left as the user has it
    WriteSite(0, Site("a"));
    EXPECT_EQ(mode(path), 0600);
    EXPECT_EQ(ReadSite(0).password, "secret");
}

TEST(FtpSites, RewriteErasesSectionsOfRemovedSites)
{
    ScopedProgramFolder folder;
    WriteSites({Site("a"), Site("b", true), Site("c"), Site("d"), Site("e")});
    ASSERT_EQ(ReadSites().size(), 5u);

    const std::vector<FtpSite> three = {Site("a"), Site("c"), Site("e", true)};
    WriteSites(three);
    EXPECT_EQ(ReadSites(), three);
    const std::string path = SettingsFile().path();
    EXPECT_TRUE(ProfileSectionExists("Site2", path));
    EXPECT_FALSE(ProfileSectionExists("Site3", path));
    EXPECT_FALSE(ProfileSectionExists("Site4", path));

    WriteSites({});
    EXPECT_FALSE(ProfileSectionExists("Site0", path));
}

TEST(FtpSites, FieldsAreQuotedAndKeepBlanks)
{
    ScopedProgramFolder folder;
    WriteSite(0, Site("home"));
    WriteSelectedSite(0);
    const QByteArray bytes = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_TRUE(bytes.contains("SiteLabel=\"home\"\n"));
    EXPECT_TRUE(bytes.contains("RemoteDirectory=\" dir/images \"\n"));
    EXPECT_TRUE(bytes.contains("Anonymous=0\n"));
    EXPECT_EQ(ReadSite(0), Site("home"));
    EXPECT_EQ(ReadSelectedSite(), 0);
}

TEST(FtpSites, ListEndsAtTheFirstSiteWithoutLabelAndDefaultsApply)
{
    ScopedProgramFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder.file("orla.ini"),
                               "[Site0]\nSiteLabel=one\nHostName=h\n"
                               "[Site1]\nHostName=nolabel\n"
                               "[Site2]\nSiteLabel=hidden\n"));
    const std::vector<FtpSite> sites = ReadSites();
    ASSERT_EQ(sites.size(), 1u);
    EXPECT_EQ(sites[0].siteLabel, "one");
    EXPECT_TRUE(sites[0].anonymous);
    EXPECT_EQ(sites[0].loginName, "");

    FtpSite defaults;
    defaults.loginName = "anonymous";
    defaults.anonymous = false;
    const FtpSite picked = ReadSite(0, defaults);
    EXPECT_EQ(picked.loginName, "anonymous");
    EXPECT_FALSE(picked.anonymous);
    EXPECT_EQ(picked.hostName, "h");
}

TEST(FtpSites, EncryptionAndFingerprintReadAsStoredOrAsTheDefault)
{
    const struct {
        const char* lines;  // what [Site0] holds besides its label
        int encryption;
        const char* cert;
    } cases[] = {
        {"", kEncryptionIfAvailable, ""},
        {"Encryption=1\n", kEncryptionRequired, ""},
        {"Encryption=2\n", kEncryptionPlain, ""},
        {"Encryption=0\n", kEncryptionIfAvailable, ""},
        {"Encryption=3\n", kEncryptionIfAvailable, ""},
        {"Encryption=-1\n", kEncryptionIfAvailable, ""},
        {"Encryption=1x\n", kEncryptionIfAvailable, ""},
        {"Encryption=require\n", kEncryptionIfAvailable, ""},
        {"Encryption= 2 \n", kEncryptionPlain, ""},
        {"CertSha256=AB:cd:01\n", kEncryptionIfAvailable, "AB:cd:01"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines);
        ScopedProgramFolder folder;
        ASSERT_TRUE(WriteFileBytes(folder.file("orla.ini"), QByteArray("[Site0]\nSiteLabel=s\n") + c.lines));
        EXPECT_EQ(ReadSite(0).encryption, c.encryption);
        EXPECT_EQ(ReadSites().at(0).encryption, c.encryption);
        EXPECT_EQ(ReadSite(0).certSha256, c.cert);
    }
}

TEST(FtpSites, EncryptionIsWrittenWithTheSiteAndAnUnknownChoiceAsTheDefault)
{
    ScopedProgramFolder folder;
    for (const auto& [written, read] : {std::pair{1, 1}, {2, 2}, {0, 0}, {7, 0}, {-3, 0}}) {
        FtpSite site = Site("s");
        site.encryption = written;
        WriteSite(0, site);
        EXPECT_EQ(ReadSite(0).encryption, read) << written;
    }
}

TEST(FtpSites, FingerprintsCompareWithoutColonsBlanksOrCase)
{
    const QString hex = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
    QString colons;
    for (int i = 0; i < 64; i += 2)
        colons += (i ? ":" : "") + hex.mid(i, 2).toUpper();
    const struct {
        QString text;
        QString normal;
    } cases[] = {
        {hex, hex},
        {hex.toUpper(), hex},
        {colons, hex},
        {" " + hex.left(32) + " " + hex.mid(32) + " ", hex},
        {hex.left(63), ""},           // a digit short
        {hex + "0", ""},              // a digit too many
        {hex.left(63) + "g", ""},     // not hexadecimal
        {hex.left(63) + "\u0660", ""},  // a digit, but not a hexadecimal one
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizedFingerprint(c.text), c.normal) << c.text.toStdString();
}

// The uploader writes CertSha256 alone; saving the site's fields keeps it,
// unless the host changed: the trust was for the old host.
TEST(FtpSites, ATrustedFingerprintSurvivesSavesAndRemovalsButNotANewHost)
{
    ScopedProgramFolder folder;
    WriteSites({Site("a"), Site("b"), Site("c")});
    WriteSiteCertSha256(1, "AA:BB");
    WriteSiteCertSha256(2, "cc");
    WriteSite(1, Site("b"));  // as the preferences save it: no fingerprint in the fields
    EXPECT_EQ(ReadSite(1).certSha256, "AA:BB");
    FtpSite sameHost = Site("b");
    sameHost.hostName = " B.Example.ORG ";
    WriteSite(1, sameHost);
    EXPECT_EQ(ReadSite(1).certSha256, "AA:BB");
    EXPECT_EQ(ReadSiteCertSha256(1, "b.example.org"), "AA:BB");
    EXPECT_EQ(ReadSiteCertSha256(1, "other.example.org"), "");

    RemoveSite(0, 3);  // b and c move up, each with its own fingerprint
    EXPECT_EQ(ReadSite(0).certSha256, "AA:BB");
    EXPECT_EQ(ReadSite(1).certSha256, "cc");
    RemoveSite(0, 2);  // c first
    WriteSite(1, Site("d"));
    RemoveSite(0, 2);  // then d, which has none, takes the place of c, which had one
    EXPECT_EQ(ReadSite(0).siteLabel, "d");
    EXPECT_EQ(ReadSite(0).certSha256, "");

    WriteSiteCertSha256(0, "dd");
    FtpSite moved = Site("d");
    moved.hostName = "new.example.org";
    WriteSite(0, moved);
    EXPECT_EQ(ReadSite(0).certSha256, "");
}

// The normal suite has no session bus: the file keeps passwords.
TEST(FtpSites, WithoutAKeyringTheFileKeepsThePassword)
{
    ScopedProgramFolder folder;
    WriteSite(0, Site("home"));
    EXPECT_TRUE(ReadFileBytes(folder.file("orla.ini")).contains("Password=\"secret\"\n"));
    EXPECT_EQ(ReadSite(0).password, "secret");
}

} // namespace
} // namespace vesk
