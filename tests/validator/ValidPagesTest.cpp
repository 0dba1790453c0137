// Real pages that are valid HTML 4.01 Strict (checked with an SGML parser
// against the W3C document type) validate without errors against the
// shipped rules file; a page using markup Strict lacks does not.
#include "ValidatorTestUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace vesk {
namespace {

const std::string kShippedRules = std::string(VESK_SOURCE_DATA_DIR) + "/4strict.ini";

QString PagesFolder()
{
    // From the source tree's data folder: __FILE__ is relative in a build
    // through ccache.
    return QStringLiteral(VESK_SOURCE_DATA_DIR "/../tests/validator/pages");
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

TEST(ValidPages, MarkupOutsideStrictIsReported)
{
    const QStringList entries = test::Validate(
        kShippedRules, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<HTML><HEAD><TITLE>t</TITLE></HEAD>\n"
                       "<BODY><P><FONT color=\"red\">x</FONT></BODY></HTML>\n");
    EXPECT_TRUE(entries.contains(QStringLiteral("3: Error 1 - Unknown Tag :FONT."))) << entries.join('|').toStdString();
}

} // namespace
} // namespace vesk
