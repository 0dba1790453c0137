// Associated command: the registry stand-in first, then the desktop's default application.
#include "platform/ProfileFile.h"
#include "platform/Registry.h"
#include "settings/AssociatedCommand.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using namespace vesk;

namespace {

class AssociatedCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearProfileCache();
        test::FakeXdg::WriteDesktop(xdg.dataHomeApps(), "browser.desktop", "browser --new %u");
        test::FakeXdg::Write(xdg.configHome() + "/mimeapps.list",
                             "[Default Applications]\ntext/html=browser.desktop\n");
    }
    test::ScopedProgramFolder home;
    test::FakeXdg xdg;
};

} // namespace

TEST_F(AssociatedCommand, RegistryAssociationWinsOverTheDesktop)
{
    EXPECT_EQ(GetAssociatedCommand(".htm"), "browser --new %1");

    RegWriteValue(RegRoot::ClassesRoot, "\\.htm", "", "HTMLVeskMarkup");
    // A type without a command leaves the desktop in charge.
    EXPECT_EQ(GetAssociatedCommand(".htm"), "browser --new %1");

    RegWriteValue(RegRoot::ClassesRoot, "\\HTMLVeskMarkup\\shell\\open\\command", "",
                  "\"/opt/HTML Vesk/htmlvesk\" \"%1\"");
    EXPECT_EQ(GetAssociatedCommand(".htm"), "\"/opt/HTML Vesk/htmlvesk\" \"%1\"");
    EXPECT_EQ(GetAssociatedCommand(".HTM"), "\"/opt/HTML Vesk/htmlvesk\" \"%1\"");
    EXPECT_EQ(GetAssociatedCommand("htm"), "\"/opt/HTML Vesk/htmlvesk\" \"%1\"");
    // Other extensions of the same MIME type are not affected.
    EXPECT_EQ(GetAssociatedCommand(".html"), "browser --new %1");

    RegWriteValue(RegRoot::ClassesRoot, "\\HTMLVeskMarkup\\shell\\open\\command", "", "  ");
    EXPECT_EQ(GetAssociatedCommand(".htm"), "browser --new %1");
}

TEST_F(AssociatedCommand, UnknownOrUnhandledExtensionsGiveNothing)
{
    EXPECT_EQ(GetAssociatedCommand(".zzqxunknown"), "");
    EXPECT_EQ(GetAssociatedCommand(""), "");
    EXPECT_EQ(GetAssociatedCommand(".gif"), "");  // known type, no application
}
