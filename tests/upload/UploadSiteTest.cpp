// Sites for the uploader: host and port, choosing a site, the client's settings and the transfer type rule.
#include "upload/UploadSite.h"

#include "ftp/FtpClient.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(UploadSiteTest, HostFieldMayEndInAPort)
{
    struct Case { const char* field; const char* host; const char* port; };
    const Case cases[] = {
        {"ftp.example.org", "ftp.example.org", "ftp"},
        {"ftp.example.org:2121", "ftp.example.org", "2121"},
        {" 127.0.0.1 : 21 ", "127.0.0.1", "21"},
        {"host:", "host:", "ftp"},
        {"host:0", "host:0", "ftp"},
        {"host:65536", "host:65536", "ftp"},
        {"host:65535", "host", "65535"},
        {"host:ftp", "host:ftp", "ftp"},
        {"host:-1", "host:-1", "ftp"},
        {"::1", "::1", "ftp"},
        {"[::1]", "::1", "ftp"},
        {"[::1]:2121", "::1", "2121"},
        {"[::1", "[::1", "ftp"},
        {"", "", "ftp"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitHostPort(c.field), (FtpHostPort{c.host, c.port})) << c.field;
}

TEST(UploadSiteTest, SitesAreFoundByNumberOrName)
{
    std::vector<FtpSite> sites(3);
    sites[0].siteLabel = "Home";
    sites[1].siteLabel = "home";
    sites[2].siteLabel = "7";
    struct Case { const char* choice; std::optional<int> index; };
    const Case cases[] = {
        {"0", 0}, {"2", 2}, {"Home", 0}, {"home", 1}, {"HOME", 0},
        {"7", 2},        // out of range as a number, found as a name
        {"3", std::nullopt}, {"-1", std::nullopt}, {"Work", std::nullopt}, {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FindSite(sites, c.choice), c.index) << c.choice;
}

TEST(UploadSiteTest, SiteAndAdvancedSettingsReachTheClient)
{
    TFtpClient client;
    SetUploaderDefaults(client);
    FtpSite site{"Site", "example.org:2121", "me", "pw", "www", false};
    ApplySite(site, client);
    EXPECT_EQ(client.HostName(), "example.org");
    EXPECT_EQ(client.Port(), "2121");
    EXPECT_EQ(client.UserName(), "me");
    EXPECT_EQ(client.PassWord(), "pw");
    EXPECT_EQ(client.HostDirName(), "www");
    site.anonymous = true;
    site.hostName = "example.org";
    ApplySite(site, client);
    EXPECT_EQ(client.Port(), "ftp");
    EXPECT_EQ(client.UserName(), "anonymous");
    EXPECT_EQ(client.PassWord(), kAnonymousPassword);

    ApplyAdvancedSettings({33, 4, false, true}, client);
    EXPECT_EQ(client.Timeout(), 33);
    EXPECT_EQ(client.ShareMode(), ftpShareDenyNone);
    EXPECT_FALSE(client.MultiThreaded());
    EXPECT_TRUE(client.Passive());
}

TEST(UploadSiteTest, OnlyLowerCaseTextExtensionsGoInAscii)
{
    struct Case { const char* path; bool ascii; };
    const Case cases[] = {
        {"index.htm", true}, {"index.html", true}, {"a.shtml", true}, {"notes.txt", true}, {"letter.rtf", true},
        {"INDEX.HTM", false}, {"page.Html", false}, {"logo.gif", false}, {"README", false},
        {"archive.txt.gz", false}, {"/home/u/site.htm/photo.jpg", false}, {"/home/u/my.pages/about.htm", true},
        {".htm", true}, {"page.htm.", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAsciiTransfer(c.path), c.ascii) << c.path;
}
