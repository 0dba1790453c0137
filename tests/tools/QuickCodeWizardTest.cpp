// The wizard's pages without the window: every key on its page, round trips
// through the file, nonsense made sane, the wizard's defaults, chosen files.
#include "tools/QuickCodeWizard.h"

#include "platform/ProfileFile.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

namespace vesk {
namespace {

using K = TWizardControlKind;

int IndexOf(int page, const char* key)
{
    const TWizardPage& p = WizardPage(page);
    for (std::size_t i = 0; i < p.controls.size(); ++i)
        if (p.controls[i].kind != K::ColorButton && std::strcmp(p.controls[i].key, key) == 0)
            return int(i);
    return -1;
}

QString ValueOf(const TWizardValues& values, int page, const char* key)
{
    const int i = IndexOf(page, key);
    return i < 0 ? QStringLiteral("<no such key>") : values[std::size_t(i)];
}

TEST(WizardPages, EveryKeyTheBuilderReadsIsHeldByOneControlOfItsPage)
{
    std::set<std::pair<std::string, std::string>> held;
    for (int page = 0; page < kWizardPageCount; ++page) {
        for (const TWizardControl& c : WizardPage(page).controls) {
            if (c.kind == K::ColorButton)
                continue;
            const std::string section = "Page" + std::to_string(page);
            EXPECT_NE(FindQuickCodeKey(section, c.key), nullptr) << section << " " << c.key;
            EXPECT_TRUE(held.insert({section, c.key}).second) << section << " " << c.key << " twice";
            if (c.governedBy)
                EXPECT_GE(IndexOf(page, c.governedBy), 0) << c.key << " governed by a missing check box";
        }
    }
    EXPECT_EQ(held.size(), QuickCodeKeys().size());
    // Groups: the pages Back and Next walk through, and where Insert goes.
    EXPECT_EQ(WizardGroupOf(3).first, 0);
    EXPECT_EQ(WizardGroupOf(3).last, 5);
    EXPECT_EQ(WizardGroupOf(13).first, 12);
    EXPECT_EQ(WizardGroupOf(16).last, 16);
    EXPECT_EQ(WizardPage(7).code, qcPicture);
    EXPECT_EQ(WizardPage(13).code, qcCopyright);
    EXPECT_THROW(WizardPage(19), std::out_of_range);
}

TEST(WizardPages, EveryPageRoundTripsThroughTheFile)
{
    test::TempDir dir;
    const QString path = dir.file("quickcod.ini");
    for (int page = 0; page < kWizardPageCount; ++page) {
        const TWizardPage& p = WizardPage(page);
        // Every value differs from what a missing key shows.
        TWizardValues values = ReadWizardPage(path, page, TWizardDefaults::Opening);
        int lastChoice = -1;
        for (std::size_t i = 0; i < p.controls.size(); ++i) {
            const TWizardControl& c = p.controls[i];
            if (c.kind == K::Check)
                values[i] = values[i] == u"1" ? QStringLiteral("0") : QStringLiteral("1");
            else if (c.kind == K::Number)
                values[i] = QString::number(c.minimum + 3);
            else if (c.kind == K::Text)
                values[i] = QStringLiteral("  %1 \"q\" ").arg(QString::fromLatin1(c.key));
            else if (c.kind == K::Choice)
                lastChoice = int(i);
        }
        if (lastChoice >= 0) {
            for (std::size_t i = 0; i < p.controls.size(); ++i)
                if (p.controls[i].kind == K::Choice)
                    values[i] = QStringLiteral("0");
            values[std::size_t(lastChoice)] = QStringLiteral("1");
        }
        WriteWizardPage(path, page, values);
        EXPECT_EQ(ReadWizardPage(path, page, TWizardDefaults::Opening), values) << "page " << page;
    }
    // Yes/no as 1/0, numbers in decimal, texts quoted, every radio key written.
    const QByteArray file = test::ReadFileBytes(path);
    for (const char* line : {"[Page11]\n", "size=1\n", "sizenum=4\n", "widthtext=\"  widthtext \"q\" \"\n",
                             "left=0\n", "center=0\n", "right=1\n", "UpperRoman=0\n", "LowerRoman=1\n",
                             "startnum=4\n"})
        EXPECT_TRUE(file.contains(line)) << line;
}

TEST(WizardPages, NonsenseInTheFileIsShownAndWrittenSanely)
{
    test::TempDir dir;
    const QString path = dir.file("quickcod.ini");
    const QByteArray huge(1 << 20, 'x');
    ASSERT_TRUE(test::WriteFileBytes(path, "[Page0]\nHTML4=1\nHTML3=1\nHTML4T=5\nHTML2=0\ngenerator=yes\n"
                                           "Title=\"" + huge + "\"\n"
                                           "[Page6]\nwidthnum=99999\nheightnum=abc\nwidth=-2\n"
                                           "[Page8]\nvspacenum=-4\nbordernum=0x10\n"
                                           "[Page16]\nnum=0\nArabic=1\nLowerAlpha=1\n"));
    const struct {
        int page;
        const char* key;
        QString shown;
    } cases[] = {
        {0, "HTML4", "0"}, {0, "HTML4T", "0"},    // several chosen: the last one that reads yes
        {0, "HTML3", "1"}, {0, "HTML2", "0"},
        {0, "generator", "1"},                    // not a number: the default
        {6, "widthnum", "10000"}, {6, "heightnum", "50"}, {6, "width", "1"},
        {8, "vspacenum", "1"}, {8, "bordernum", "16"},
        {16, "num", "1"}, {16, "Arabic", "0"}, {16, "LowerAlpha", "1"},
    };
    for (const auto& c : cases) {
        const TWizardValues values = ReadWizardPage(path, c.page, TWizardDefaults::Opening);
        EXPECT_EQ(ValueOf(values, c.page, c.key), c.shown) << c.page << " " << c.key;
    }
    const TWizardValues page0 = ReadWizardPage(path, 0, TWizardDefaults::Opening);
    EXPECT_EQ(ValueOf(page0, 0, "Title"), QString(int(kProfileValueMax), u'x'));

    // Written back, the file holds only what was shown.
    for (int page : {0, 6, 8, 16})
        WriteWizardPage(path, page, ReadWizardPage(path, page, TWizardDefaults::Opening));
    const std::string file = path.toStdString();
    EXPECT_EQ(GetPrivateProfileString("Page0", "HTML4T", "", file), "0");
    EXPECT_EQ(GetPrivateProfileString("Page6", "widthnum", "", file), "10000");
    EXPECT_EQ(GetPrivateProfileString("Page6", "heightnum", "", file), "50");
    EXPECT_EQ(GetPrivateProfileString("Page16", "Arabic", "", file), "0");
    EXPECT_LT(test::ReadFileBytes(path).size(), 2000);
    // Values the wizard is handed are made sane the same way.
    const TWizardValues handed = SaneWizardValues(11, {"1", "", "0", "1", "1", "1", "1", "12345", "x"});
    EXPECT_EQ(handed, (TWizardValues{"1", "", "0", "0", "0", "1", "1", "1000", "0"}));
}

TEST(WizardPages, WizardDefaultsOnOpeningAndAfterDefault)
{
    using D = TWizardDefaults;
    const struct {
        int page;
        const char* key;
        const char* opening;
        const char* afterDefault;
    } cases[] = {
        {0, "HTML4", "1", "1"},
        {0, "HTML4F", "0", "0"},
        {0, "Title", "Page Title", "Page Title"},
        {1, "keywordstext", "keyword,keyword,keyword", "keyword, keyword, keyword"},
        {2, "madetext", "yourname@example.com", "author.htm"},
        {2, "stylesheettext", "yourstylesheet.css", "style.css"},
        {3, "toctext", "toc.htm", "toc.htm"},
        {4, "previoustext", "previous.htm", "back.htm"},
        {5, "bkgrdimagetext", "background.gif", "bkgnd.gif"},
        {6, "alttext", "This is a Picture", "Picture"},
        {9, "jumptext", "jump", "#target"},
        {11, "center", "1", "1"},
        {12, "beforeemailtext", "", "Email Address: "},
        {12, "beforedatetext", "Last Updated - ", "Last Updated - "},
        {14, "3", "1", "1"},
        {14, "colortext", "FFFFFF", ""},
    };
    test::TempDir dir;
    for (const auto& c : cases) {
        EXPECT_EQ(WizardDefault(c.page, c.key, D::Opening), QString::fromUtf8(c.opening)) << c.key;
        EXPECT_EQ(WizardDefault(c.page, c.key, D::AfterDefault), QString::fromUtf8(c.afterDefault)) << c.key;
        // A missing file shows them, blanks and all.
        EXPECT_EQ(ValueOf(ReadWizardPage(dir.file("none.ini"), c.page, D::AfterDefault), c.page, c.key),
                  QString::fromUtf8(c.afterDefault));
    }
}

TEST(WizardPages, ChosenFilesInsideTheProgramFolderStayRelative)
{
    test::TempDir dir;
    const QString folder = dir.path() + "/Prog";
    ASSERT_TRUE(QDir().mkpath(folder + "/images"));
    ASSERT_TRUE(test::WriteFileBytes(folder + "/images/a b.gif", "GIF"));
    ASSERT_TRUE(QFile::link(folder, dir.file("link")));
    const struct {
        QString chosen;
        QString stored;
    } cases[] = {
        {folder + "/images/a b.gif", "images/a b.gif"},
        {dir.path() + "/PROG/images/x.png", "images/x.png"},  // compared without regard to case
        {dir.file("link") + "/images/a b.gif", "images/a b.gif"},  // the same folder through a link
        {"/elsewhere/pics/photo.jpg", "photo.jpg"},
        {"/elsewhere" + folder + "/b.gif", "b.gif"},  // the folder's path inside another path
        {folder + "x/c.gif", "c.gif"},                // a neighbour whose name starts the same
    };
    for (const auto& c : cases)
        EXPECT_EQ(WizardChosenFile(c.chosen, folder + "/"), c.stored) << c.chosen.toStdString();
}

} // namespace
} // namespace vesk
