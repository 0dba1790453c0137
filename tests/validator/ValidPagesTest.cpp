// Real pages that are valid HTML 4.01 Strict (checked with an SGML parser
// against the W3C document type) validate without errors against the
// shipped rules file; a page using markup Strict lacks does not.
#include "ValidatorTestUtil.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace vesk {
namespace {

const std::string kShippedRules = std::string(VESK_SOURCE_DATA_DIR) + "/4strict.ini";

// From the build, not from __FILE__: a compiler cache may make that relative.
QString PagesFolder()
{
    return QStringLiteral(VESK_VALID_PAGES_DIR);
}

TEST(ValidPages, ValidStrictPagesGiveNoErrorsFound)
{
    const QStringList pages = QDir(PagesFolder()).entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
    ASSERT_GE(pages.size(), 5);
    for (const QString& name : pages) {
        QFile file(PagesFolder() + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(test::Validate(kShippedRules, bytes.toStdString()), QStringList{"No Errors Found"})
            << name.toStdString();
    }
}

TEST(ValidPages, TabIndentedTagsAreValid)
{
    EXPECT_EQ(test::Validate(kShippedRules,
                             "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<HTML>\n<HEAD>\n\t<TITLE>t</TITLE>\n"
                             "</HEAD>\n<BODY>\n\t<P>\n\t\t<IMG\n\t\t\tsrc=\"a.png\"\n\t\t\talt=\"A picture\"\n\t\t\t"
                             "width=\"20\">\n\t<TABLE\tsummary=\"s\">\t<TR\t><TD>x</TD></TR>\t</TABLE>\n</BODY>\n</HTML>\n"),
              QStringList{"No Errors Found"});
}

TEST(ValidPages, MarkupOutsideStrictIsReported)
{
    const QStringList entries = test::Validate(
        kShippedRules, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<HTML><HEAD><TITLE>t</TITLE></HEAD>\n"
                       "<BODY><P><FONT color=\"red\">x</FONT></BODY></HTML>\n");
    EXPECT_TRUE(entries.contains(QStringLiteral("3: Error 1 - Unknown Tag :FONT."))) << entries.join('|').toStdString();
}

} // namespace
} // namespace vesk
