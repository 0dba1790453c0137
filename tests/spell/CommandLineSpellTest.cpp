// `htmlvesk --spell [--suggest] FILE…` run as the real program, without a display.
#include "support/TempDir.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

namespace vesk {
namespace {

struct Outcome {
    int status = -1;
    std::string out, err;
};

Outcome Spell(const QString& home, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_RUNTIME_DIR"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("HTMLVESK_HOME"), home);
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VESK_APP_PATH), QStringList{QStringLiteral("--spell")} + arguments);
    Outcome r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = p.exitCode();
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(CommandLineSpell, ReportsEachStopOfEachFile)
{
    test::TempDir home, docs;
    const QString page = docs.file("page.htm"), clean = docs.file("clean.htm");
    Write(page, "<html><body>\n<p>We <b>recieve</b> the the mail at someone@example.com.</p>\r\n"
                "<p>It's 1999 and <i>mp3</i> files are teh rage at http://example.com/x</p>\n");
    Write(clean, "<p>Nothing <em>wrong</em> here &amp; there.</p>\n");

    Outcome r = Spell(home.path(), {clean, page});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, clean.toStdString() + "\n" + page.toStdString()
                         + "\n2:10 recieve\n2:26 the (repeated)\n3:21 mp3\n3:39 teh\n");
    EXPECT_EQ(r.err, "");
    EXPECT_TRUE(QFile::exists(home.file("SPELLCHK.CFG")));  // the default configuration, written

    r = Spell(home.path(), {QStringLiteral("--suggest"), page});
    EXPECT_EQ(r.status, 1);
    const std::string out = r.out;
    EXPECT_NE(out.find("\n2:10 recieve: receive"), std::string::npos) << out;
    EXPECT_NE(out.find("\n2:26 the (repeated)\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\n3:39 teh: "), std::string::npos) << out;
    EXPECT_NE(out.find(", the\n"), std::string::npos) << out;

    EXPECT_EQ(Spell(home.path(), {clean}).status, 0);
    r = Spell(home.path(), {docs.file("none.htm"), clean});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("none.htm"), std::string::npos);

    // A configuration without a main dictionary: nothing can be checked.
    Write(home.file("SPELLCHK.CFG"), "[spellchk]\nID=yes\n");
    r = Spell(home.path(), {clean});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("no main dictionary"), std::string::npos) << r.err;
}

} // namespace
} // namespace vesk
