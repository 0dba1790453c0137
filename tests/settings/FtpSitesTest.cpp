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

} // namespace
} // namespace vesk
