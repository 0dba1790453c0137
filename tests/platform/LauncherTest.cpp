// Launcher: command-line splitting, launch error numbers, argument passing and child hygiene.
#include "platform/Launcher.h"
#include "platform/ProfileFile.h"
#include "support/FakeXdg.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>
#include <QUrl>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vesk;

namespace {

// A child written by the test: the first argument names its report file; the
// report lists its pid, the other arguments, the targets of its open file
// descriptors and its /proc/<pid>/stat. The report is renamed into place so
// a reader never sees half of it.
const char* const kReporter = R"SH(#!/bin/sh
out="$1"; shift
{
  echo "pid=$$"
  for a in "$@"; do printf 'arg=%s\n' "$a"; done
  for f in /proc/$$/fd/*; do printf 'fd=%s\n' "$(readlink "$f")"; done
  printf 'stat=%s\n' "$(cat /proc/$$/stat)"
} > "$out.tmp"
mv "$out.tmp" "$out"
)SH";

struct Report {
    bool arrived = false;
    long pid = 0;
    QStringList args;
    QStringList fdTargets;
    QString stat;
};

class Launcher : public ::testing::Test {
protected:
    test::TempDir dir;
    QString script;  // in a folder with a blank, to prove quoting of the program path

    void SetUp() override
    {
        ClearProfileCache();
        ASSERT_TRUE(QDir(dir.path()).mkdir("bin dir"));
        script = dir.file("bin dir/report.sh");
        ASSERT_TRUE(test::WriteFileBytes(script, kReporter));
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadGroup | QFile::ExeGroup);
    }
    // The command-line prefix that runs the reporter with report file `name`.
    QString Reporter(const QString& name) const
    {
        return JoinCommandLine({script, dir.file(name)});
    }
    // Waits (bounded) for the report file and parses it.
    Report Await(const QString& name) const
    {
        Report r;
        const QString path = dir.file(name);
        for (int i = 0; i < 500 && !QFileInfo::exists(path); ++i)
            QThread::msleep(20);
        const QString text = QString::fromUtf8(test::ReadFileBytes(path));
        r.arrived = QFileInfo::exists(path);
        for (const QString& line : text.split('\n', Qt::SkipEmptyParts)) {
            const QString value = line.mid(line.indexOf(QRegularExpression("[=:]")) + 1).trimmed();
            if (line.startsWith("pid=")) r.pid = value.toLong();
            else if (line.startsWith("arg=")) r.args << line.mid(4);
            else if (line.startsWith("fd=")) r.fdTargets << value;
            else if (line.startsWith("stat=")) r.stat = value;
        }
        return r;
    }
    QString MakeFile(const QString& name, const QByteArray& bytes, QFile::Permissions perms) const
    {
        const QString path = dir.file(name);
        test::WriteFileBytes(path, bytes);
        QFile::setPermissions(path, perms);
        return path;
    }
};

// The hexadecimal signal set of a /proc/<pid>/status line such as "SigBlk:".
bool SignalBitSet(const QByteArray& status, const char* field, int signal)
{
    for (const QByteArray& line : status.split('\n'))
        if (line.startsWith(field))
            return (line.mid(qstrlen(field)).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    ADD_FAILURE() << "no " << field << " line";
    return true;
}

} // namespace

TEST(SplitCommandLine, WordsQuotesAndEscapes)
{
    const struct {
        const char* line;
        QStringList words;
    } table[] = {
        {"", {}},
        {" \t ", {}},
        {"prog a  b\tc", {"prog", "a", "b", "c"}},
        {"'a b' \"c d\"", {"a b", "c d"}},
        {"'it''s' \"\" ''", {"its", "", ""}},
        {"pre\"mid dle\"'post fix'", {"premid dlepost fix"}},
        {"'\\n $x \"'", {"\\n $x \""}},
        {"\"\\\" \\\\ \\$ \\` \\n\"", {"\" \\ $ ` \\n"}},
        {"a\\ b \\'c\\\" \\\\", {"a b", "'c\"", "\\"}},
        {"~/x $HOME *.htm", {"~/x", "$HOME", "*.htm"}},
        {"--file=%1", {"--file=%1"}},
    };
    for (const auto& row : table)
        EXPECT_EQ(SplitCommandLine(row.line), row.words) << row.line;

    for (const char* bad : {"\"open", "'open", "a 'b\" c", "trailing\\", "\"esc\\\""})
        EXPECT_EQ(SplitCommandLine(bad), std::nullopt) << bad;

    const QStringList odd{"plain", "", "two words", "q\"uote", "back\\slash", "$dollar `tick`", "it's"};
    EXPECT_EQ(SplitCommandLine(JoinCommandLine(odd)), odd);
}

TEST_F(Launcher, FailuresMapToTheirNumbers)
{
    EXPECT_EQ(RunCommandLine(JoinCommandLine({dir.file("missing")})), kLaunchFileNotFound);
    EXPECT_EQ(RunCommandLine("vesk-surely-no-such-program-in-path"), kLaunchFileNotFound);
    EXPECT_EQ(RunCommandLine(JoinCommandLine({dir.file("no folder/prog")})), kLaunchPathNotFound);
    EXPECT_EQ(RunCommandLine(""), kLaunchFileNotFound);
    EXPECT_EQ(RunCommandLine("\"\" arg"), kLaunchFileNotFound);

    const QString plain = MakeFile("plain", "#!/bin/sh\nexit 0\n", QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(RunCommandLine(JoinCommandLine({plain})), kLaunchAccessDenied);
    // A regular file used as a folder.
    EXPECT_EQ(RunCommandLine(JoinCommandLine({plain + "/prog"})), kLaunchPathNotFound);

    const QString garbage = MakeFile("garbage", QByteArray("\x01\x02\x03garbage\n"),
                                     QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(RunCommandLine(JoinCommandLine({garbage})), kLaunchBadFormat);
    EXPECT_EQ(RunCommandLine(JoinCommandLine({dir.path()})), kLaunchAccessDenied);
}

TEST_F(Launcher, UnbalancedQuotesRunNothing)
{
    EXPECT_EQ(RunCommandLine(Reporter("first") + " \"open"), kLaunchFileNotFound);
    ASSERT_EQ(RunCommandLine(Reporter("second")), kLaunchOk);
    ASSERT_TRUE(Await("second").arrived);
    EXPECT_FALSE(QFileInfo::exists(dir.file("first")));
}

TEST_F(Launcher, DocumentIsAlwaysExactlyOneArgument)
{
    const QString doc = dir.file("my \"odd\" 'doc' %1 $HOME\tx.htm");

    ASSERT_EQ(RunCommandLine(Reporter("sub") + " --file=%1 tail", doc), kLaunchOk);
    EXPECT_EQ(Await("sub").args, QStringList({"--file=" + doc, "tail"}));

    ASSERT_EQ(RunCommandLine(Reporter("first-only") + " %1 \"%1\"", doc), kLaunchOk);
    EXPECT_EQ(Await("first-only").args, QStringList({doc, "%1"}));

    ASSERT_EQ(RunCommandLine(Reporter("append") + " -n", doc), kLaunchOk);
    EXPECT_EQ(Await("append").args, QStringList({"-n", doc}));

    ASSERT_EQ(RunCommandLine(Reporter("append-only") + " %1", doc, DocumentArgument::AppendOnly),
              kLaunchOk);
    EXPECT_EQ(Await("append-only").args, QStringList({"%1", doc}));

    ASSERT_EQ(RunCommandLine(Reporter("none") + " 'a b' %1"), kLaunchOk);
    EXPECT_EQ(Await("none").args, QStringList({"a b", "%1"}));
}

TEST_F(Launcher, ChildIsDetachedCleanAndReaped)
{
    // A descriptor a library forgot to mark close-on-exec.
    const QString marker = dir.file("leak-marker");
    const int leaky = ::open(QFile::encodeName(marker).constData(), O_CREAT | O_RDWR, 0600);
    ASSERT_GE(leaky, 3);
    ASSERT_EQ(::fcntl(leaky, F_GETFD) & FD_CLOEXEC, 0);

    // Our blocked mask and ignored signals must not be handed down to the child.
    sigset_t usr1, old;
    sigemptyset(&usr1);
    sigaddset(&usr1, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &usr1, &old);
    struct sigaction ignore {}, oldUsr2 {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGUSR2, &ignore, &oldUsr2);

    const int result = RunCommandLine(Reporter("hygiene"));
    // The shell clears its own mask at start, so the mask is read by a plain
    // program instead: cp copies its own status.
    const int copied = RunCommandLine(JoinCommandLine({"cp", "/proc/self/status", dir.file("status")}));

    sigaction(SIGUSR2, &oldUsr2, nullptr);
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    ::close(leaky);
    ASSERT_EQ(result, kLaunchOk);
    ASSERT_EQ(copied, kLaunchOk);

    const Report r = Await("hygiene");
    ASSERT_TRUE(r.arrived);
    ASSERT_GT(r.pid, 0);
    EXPECT_FALSE(r.fdTargets.isEmpty());
    for (const QString& target : r.fdTargets)
        EXPECT_NE(target, QFileInfo(marker).canonicalFilePath()) << "descriptor leaked";
    QByteArray status;
    for (int i = 0; i < 500 && !status.contains("nonvoluntary_ctxt_switches"); ++i) {
        QThread::msleep(20);
        status = test::ReadFileBytes(dir.file("status"));
    }
    EXPECT_FALSE(SignalBitSet(status, "SigBlk:", SIGUSR1)) << status.constData();
    EXPECT_FALSE(SignalBitSet(status, "SigIgn:", SIGUSR2)) << status.constData();
    // Own session: the session id (4th field after the command name) is its pid.
    const QStringList afterComm = r.stat.mid(r.stat.lastIndexOf(')') + 1).split(' ', Qt::SkipEmptyParts);
    ASSERT_GE(afterComm.size(), 4);
    EXPECT_EQ(afterComm[3].toLong(), r.pid);

    // Once it has exited, nothing of it may remain: no zombie in /proc.
    const QString proc = QString("/proc/%1").arg(r.pid);
    for (int i = 0; i < 500 && QFileInfo::exists(proc); ++i)
        QThread::msleep(20);
    EXPECT_FALSE(QFileInfo::exists(proc)) << "child was not reaped";
}

TEST_F(Launcher, ShellOpenUsesTheDesktopDefault)
{
    test::FakeXdg xdg;
    EXPECT_EQ(ShellOpen(dir.file("absent.htm")), kLaunchFileNotFound);
    EXPECT_EQ(ShellOpen(QUrl::fromLocalFile(dir.file("absent.htm")).toString()), kLaunchFileNotFound);

    const QString page = dir.file("a page 'x'.htm");
    ASSERT_TRUE(test::WriteFileBytes(page, "<html><body>hi</body></html>\n"));
    EXPECT_EQ(ShellOpen(page), kLaunchNoAssociation);
    EXPECT_EQ(ShellOpen("vesktest:anything"), kLaunchNoAssociation);

    // The script's folder has a blank: the Exec line quotes it.
    test::FakeXdg::WriteDesktop(xdg.dataHomeApps(), "page.desktop",
                                (JoinCommandLine({script, dir.file("opened")}) + " %f").toUtf8());
    test::FakeXdg::WriteDesktop(xdg.dataHomeApps(), "scheme.desktop",
                                (JoinCommandLine({script, dir.file("url")}) + " --url %u").toUtf8());
    test::FakeXdg::Write(xdg.configHome() + "/mimeapps.list",
                         "[Default Applications]\ntext/html=page.desktop\n"
                         "x-scheme-handler/vesktest=scheme.desktop\n");

    ASSERT_EQ(ShellOpen(page), kLaunchOk);
    EXPECT_EQ(Await("opened").args, QStringList({page}));

    QFile::remove(dir.file("opened"));
    ASSERT_EQ(ShellOpen(QUrl::fromLocalFile(page).toString()), kLaunchOk);
    EXPECT_EQ(Await("opened").args, QStringList({page}));

    ASSERT_EQ(ShellOpen("vesktest:hello world?q=1"), kLaunchOk);
    EXPECT_EQ(Await("url").args, QStringList({"--url", "vesktest:hello world?q=1"}));
}
