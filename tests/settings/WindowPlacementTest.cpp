// Tests of the window placement value: format, strict parse and show states.
#include "settings/WindowPlacement.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

using test::ScopedProgramFolder;

TEST(WindowPlacement, DesignedPlacementText)
{
    const WindowPlacement designed;
    EXPECT_EQ(FormatPlacement(designed), "44,0,1,-1,-1,-1,-1,101,191,705,501");
    EXPECT_EQ(designed.right - designed.left, 604);
    EXPECT_EQ(designed.bottom - designed.top, 310);
}

TEST(WindowPlacement, FormatAndParseAreInverse)
{
    const WindowPlacement samples[] = {
        WindowPlacement{},
        WindowPlacement{44, 2, 3, -32000, -32000, -8, -8, 10, 20, 1290, 1000},
        WindowPlacement{44, 0, 7, 0, 0, 2147483647, -2147483647 - 1, -1, -2, -3, -4},
    };
    for (const WindowPlacement& p : samples) {
        const std::optional<WindowPlacement> parsed = ParsePlacement(FormatPlacement(p));
        ASSERT_TRUE(parsed.has_value()) << FormatPlacement(p).toStdString();
        EXPECT_EQ(*parsed, p);
    }
}

TEST(WindowPlacement, LengthFieldIsAlways44)
{
    const std::optional<WindowPlacement> p = ParsePlacement("12,0,3,1,2,3,4,5,6,7,8");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->length, 44);
    EXPECT_EQ(p->showCmd, 3);
    EXPECT_EQ(p->minX, 1);
    EXPECT_EQ(p->bottom, 8);
}

TEST(WindowPlacement, MalformedValuesAreIgnored)
{
    const char* malformed[] = {
        "",
        "44,0,x,-1,-1,-1,-1,101,191,705,501",
        "44,0,1,-1,-1,-1,-1,101,191,705",          // ten fields
        "44,0,1,-1,-1,-1,-1,101,191,705,501,9",    // twelve fields
        "44,0,1,-1,-1,-1,-1,101,191,705,501,",     // trailing comma
        "44,0,1,,-1,-1,-1,101,191,705,501",        // empty field
        ",0,1,-1,-1,-1,-1,101,191,705,501",        // empty first field
        "44,0,1,-1,-1,-1,-1,101,191,705,",
        "44, 0,1,-1,-1,-1,-1,101,191,705,501",     // blank
        "44,0,+1,-1,-1,-1,-1,101,191,705,501",     // plus sign
        "44,0,1,-,-1,-1,-1,101,191,705,501",       // sign only
        "44,0,0x1,-1,-1,-1,-1,101,191,705,501",    // hexadecimal
        "44,0,1,-1,-1,-1,-1,101,191,705,99999999999",  // beyond int
        "44,0,1,-1,-1,-1,-1,101,191,705,501.5",
        "44",
    };
    for (const char* text : malformed)
        EXPECT_FALSE(ParsePlacement(QString::fromLatin1(text)).has_value()) << text;
}

TEST(WindowPlacement, ShowStateToWindowState)
{
    EXPECT_EQ(ShowStateToWindowState(2), Qt::WindowMinimized);
    EXPECT_EQ(ShowStateToWindowState(3), Qt::WindowMaximized);
    EXPECT_EQ(ShowStateToWindowState(6), Qt::WindowMinimized);
    EXPECT_EQ(ShowStateToWindowState(7), Qt::WindowMinimized);
    for (int other : {-1, 0, 1, 4, 5, 8, 9})
        EXPECT_EQ(ShowStateToWindowState(other), Qt::WindowNoState) << other;
}

TEST(WindowPlacement, ReadAndWriteThePositionKey)
{
    ScopedProgramFolder folder;
    EXPECT_FALSE(ReadPlacement().has_value());

    WindowPlacement p{99, 2, 3, 1, 2, 3, 4, 5, 6, 7, 8};
    WritePlacement(p);
    EXPECT_TRUE(test::ReadFileBytes(folder.file("orla.ini"))
                    .contains("[Position]\nSettings=44,2,3,1,2,3,4,5,6,7,8\n"));
    p.length = 44;
    EXPECT_EQ(ReadPlacement(), p);

    // A value spoilt by hand is ignored, not half applied.
    ASSERT_TRUE(test::WriteFileBytes(folder.file("orla.ini"),
                                     "[Position]\nSettings=44,0,1,-1,-1,-1,-1,101,191,705\n"));
    EXPECT_FALSE(ReadPlacement().has_value());
}

} // namespace
} // namespace vesk
