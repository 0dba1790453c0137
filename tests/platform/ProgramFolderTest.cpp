// Program folder: HTMLVESK_HOME wins and shipped data is seeded without overwriting.
#include "platform/ProgramFolder.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace vesk;

TEST(ProgramFolder, HomeVariableChoosesTheFolder)
{
    test::ScopedProgramFolder home;
    EXPECT_EQ(ProgramFolder(), QFileInfo(home.path()).absoluteFilePath() + "/");
    EXPECT_EQ(ProgramFile("orla.ini"), QFileInfo(home.path()).absoluteFilePath() + "/orla.ini");
}
