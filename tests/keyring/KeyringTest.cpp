// Site passwords in a real keyring: run by keyring_session.sh inside a private bus with gnome-keyring unlocked.
#include "FtpScript.h"

#include "platform/SecretStore.h"
#include "settings/FtpSites.h"
#include "support/TempDir.h"
#include "upload/CommandLineUpload.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vesk {
namespace {

using test::FtpScript;
using test::ReadFileBytes;
using test::ScopedProgramFolder;
using test::WriteFileBytes;

FtpSite Site(const QString& label, const QString& password, bool anonymous = false)
{
    return FtpSite{label, label + ".example.org", "webmaster", password, "www", anonymous};
}

bool FileHasPasswordKey(const ScopedProgramFolder& folder)
{
    return ReadFileBytes(folder.file("orla.ini")).contains("Password");
}

class Keyring : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SecretStore::Available()) << "the session has no secret service";
    }
    ScopedProgramFolder folder;
};

TEST_F(Keyring, ThePasswordLandsInTheKeyringAndNotInTheSettingsFile)
{
    WriteSite(0, Site("home", "s3cret pass"));
    const QByteArray file = ReadFileBytes(folder.file("orla.ini"));
    EXPECT_FALSE(file.contains("s3cret"));
    EXPECT_FALSE(file.contains("Password"));
    EXPECT_TRUE(file.contains("SiteLabel=\"home\""));
    EXPECT_EQ(SecretStore::Lookup("home", "home.example.org", "webmaster"), QString("s3cret pass"));
    EXPECT_EQ(ReadSite(0).password, "s3cret pass");
}

TEST_F(Keyring, OnlyTheSameSiteHostAndLoginFindIt)
{
    ASSERT_TRUE(SecretStore::Store("shop", "ftp.shop.org", "anna", "pw-anna"));
    ASSERT_TRUE(SecretStore::Store("shop", "ftp.shop.org", "bert", "pw-bert"));
    const struct {
        const char* site;
        const char* host;
        const char* login;
        std::optional<QString> expected;
    } cases[] = {
        {"shop", "ftp.shop.org", "anna", QString("pw-anna")},
        {"shop", "ftp.shop.org", "bert", QString("pw-bert")},
        {"Shop", "ftp.shop.org", "anna", std::nullopt},
        {"shop", "ftp.shop.org:2121", "anna", std::nullopt},
        {"shop", "ftp.shop.org", "", std::nullopt},
        {"other", "ftp.shop.org", "anna", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.site) + " " + c.host + " " + c.login);
        EXPECT_EQ(SecretStore::Lookup(c.site, c.host, c.login), c.expected);
    }
    EXPECT_TRUE(SecretStore::Remove("shop", "ftp.shop.org", "anna"));
    EXPECT_EQ(SecretStore::Lookup("shop", "ftp.shop.org", "anna"), std::nullopt);
    EXPECT_EQ(SecretStore::Lookup("shop", "ftp.shop.org", "bert"), QString("pw-bert"));
    EXPECT_TRUE(SecretStore::Remove("shop", "ftp.shop.org", "bert"));
}

TEST_F(Keyring, APlainPasswordInTheFileMovesToTheKeyringWhenTheSiteIsSaved)
{
    ASSERT_TRUE(folder.Write("orla.ini", "[Site0]\nSiteLabel=\"old\"\nHostName=\"old.example.org\"\n"
                                         "LoginName=\"webmaster\"\nAnonymous=0\nPassword=\"plain-pw\"\n"));
    FtpSite site = ReadSite(0);
    EXPECT_EQ(site.password, "plain-pw");  // the keyring has none yet: the file's counts
    WriteSite(0, site);
    EXPECT_FALSE(FileHasPasswordKey(folder));
    EXPECT_EQ(SecretStore::Lookup("old", "old.example.org", "webmaster"), QString("plain-pw"));
    EXPECT_EQ(ReadSite(0).password, "plain-pw");
}

TEST_F(Keyring, ARenamedSiteTakesItsPasswordAlongAndARemovedOneTakesItAway)
{
    WriteSites({Site("a", "pw-a"), Site("b", "pw-b"), Site("c", "pw-c")});
    FtpSite renamed = Site("b", "pw-b");
    renamed.siteLabel = "bee";
    WriteSite(1, renamed);
    EXPECT_EQ(SecretStore::Lookup("b", "b.example.org", "webmaster"), std::nullopt);
    EXPECT_EQ(SecretStore::Lookup("bee", "b.example.org", "webmaster"), QString("pw-b"));

    RemoveSite(0, 3);
    EXPECT_EQ(SecretStore::Lookup("a", "a.example.org", "webmaster"), std::nullopt);
    // The later sites moved up and still find their passwords.
    EXPECT_EQ(ReadSite(0).password, "pw-b");
    EXPECT_EQ(ReadSite(1).password, "pw-c");
    EXPECT_FALSE(FileHasPasswordKey(folder));
}

TEST_F(Keyring, AnonymousSitesKeepNoPassword)
{
    WriteSite(0, Site("open", "user@example.com", true));
    EXPECT_FALSE(FileHasPasswordKey(folder));
    EXPECT_EQ(SecretStore::Lookup("open", "open.example.org", "webmaster"), std::nullopt);
}

// Publishing from the command line reads the password where the site's
// save put it.
TEST_F(Keyring, TheCommandLineUploadLogsInWithTheKeptPassword)
{
    FtpScript script({"S 220 Ready", "C USER bob", "S 331 Password please", "C PASS kept in keyring", "S 230 Welcome",
                      "C CWD www", "S 250 OK", "C TYPE A", "S 200 ASCII", "C PASV",
                      "S 227 Entering Passive Mode ({pasv})", "C STOR a.htm", "ACCEPT", "S 150 Go ahead", "DRECV",
                      "S 226 Stored", "C QUIT", "S 221 Bye"});
    ASSERT_TRUE(WriteFileBytes(folder.file("a.htm"), "<p>a</p>\n"));
    FtpSite site{"Script", "127.0.0.1:" + QString::number(script.port()), "bob", "kept in keyring", "www", false};
    site.encryption = kEncryptionPlain;  // the script speaks plain FTP only
    WriteSite(0, site);
    WriteAdvancedFtp({10, 1, true, true});
    ASSERT_FALSE(FileHasPasswordKey(folder));

    std::ostringstream err;
    EXPECT_EQ(UploadFromCommandLine({"--upload", "--site", "Script", folder.file("a.htm")}, err, SettingsFile()), 0)
        << err.str();
    script.Finish();
    EXPECT_TRUE(script.Failures().isEmpty()) << script.Failures().join('\n').toStdString();
    EXPECT_EQ(script.Uploaded(), "<p>a</p>\n");
}

// The same program, its bus address emptied: no keyring, the file keeps
// the password (readable by its owner alone), and the keyring comes back
// with the address.
TEST_F(Keyring, WithoutABusTheFileKeepsThePassword)
{
    const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    qputenv("DBUS_SESSION_BUS_ADDRESS", "");
    EXPECT_FALSE(SecretStore::Available());
    WriteSite(0, Site("local", "pw-local"));
    EXPECT_TRUE(ReadFileBytes(folder.file("orla.ini")).contains("Password=\"pw-local\""));
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    EXPECT_TRUE(SecretStore::Available());
    EXPECT_EQ(SecretStore::Lookup("local", "local.example.org", "webmaster"), std::nullopt);
}

} // namespace
} // namespace vesk
