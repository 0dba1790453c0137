// The real program at start-up: one instance, a second start hands over and leaves.
#include "platform/SingleInstance.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

constexpr int kWaitMs = 20000;

class ProgramStartup : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::chmod(runtime.path().toUtf8().constData(), 0700), 0);
        env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("HTMLVESK_HOME", home.path());
        env.insert("XDG_CONFIG_HOME", config.path());  // the autostart folder
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("DISPLAY", ":vesk-test");
        env.remove("WAYLAND_DISPLAY");
    }
    void TearDown() override
    {
        for (QProcess* p : started) {
            if (p->state() != QProcess::NotRunning) {
                p->kill();  // by its pid, through QProcess
                p->waitForFinished(kWaitMs);
            }
            delete p;
        }
    }
    QProcess* Start(const QStringList& args)
    {
        auto* p = new QProcess;
        started.push_back(p);
        p->setProcessEnvironment(env);
        p->setWorkingDirectory(work.path());
        p->start(QStringLiteral(VESK_APP_PATH), args);
        return p;
    }
    QString SocketPath() const
    {
        return runtime.path() + "/htmlvesk-" + QString::number(::getuid()) + "-_vesk-test.sock";
    }
    bool WaitForListener() const
    {
        for (int waited = 0; waited < kWaitMs; waited += 50) {
            if (QFileInfo::exists(SocketPath()))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    vesk::test::TempDir runtime, home, work, config;
    QProcessEnvironment env;
    std::vector<QProcess*> started;
};

} // namespace

TEST_F(ProgramStartup, SecondStartHandsOverAndEndsWhileTheFirstKeepsRunning)
{
    QProcess* first = Start({});
    ASSERT_TRUE(first->waitForStarted(kWaitMs));
    ASSERT_TRUE(WaitForListener()) << first->readAllStandardError().toStdString();
    // The first instance chose and seeds its program folder (just after it
    // starts listening, so allow it a moment).
    bool seeded = false;
    for (int waited = 0; waited < kWaitMs && !seeded; waited += 50) {
        seeded = QFileInfo::exists(home.file("4strict.ini"));
        if (!seeded)
            QTest::qWait(50);
    }
    EXPECT_TRUE(seeded);

    QProcess* second = Start({"page.htm", "ignored.htm"});
    ASSERT_TRUE(second->waitForFinished(kWaitMs));
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);

    QProcess* third = Start({});  // no document: only raises the first
    ASSERT_TRUE(third->waitForFinished(kWaitMs));
    EXPECT_EQ(third->exitCode(), 0);

    EXPECT_EQ(first->state(), QProcess::Running);
    EXPECT_TRUE(QFileInfo::exists(SocketPath()));
}

TEST_F(ProgramStartup, AStartAfterTheFirstInstanceDiedBecomesTheNewFirst)
{
    QProcess* first = Start({});
    ASSERT_TRUE(first->waitForStarted(kWaitMs));
    ASSERT_TRUE(WaitForListener());
    first->kill();  // leaves its socket file behind
    ASSERT_TRUE(first->waitForFinished(kWaitMs));
    ASSERT_TRUE(QFileInfo::exists(SocketPath()));

    QProcess* next = Start({});
    ASSERT_TRUE(next->waitForStarted(kWaitMs));
    // The stale socket refuses connections; once one is accepted, the new
    // start has taken over as the first instance.
    bool listening = false;
    for (int waited = 0; waited < kWaitMs && !listening; waited += 50) {
        QLocalSocket probe;
        probe.connectToServer(SocketPath());
        listening = probe.waitForConnected(1000);
        if (!listening)
            QTest::qWait(50);
    }
    ASSERT_TRUE(listening);
    QProcess* later = Start({"x.htm"});
    ASSERT_TRUE(later->waitForFinished(kWaitMs));
    EXPECT_EQ(later->exitCode(), 0);
    EXPECT_EQ(next->state(), QProcess::Running);
}

TEST_F(ProgramStartup, TheFirstStartRemovesTheSessionEntryASecondStartLeavesIt)
{
    const QString entry = config.file("autostart/htmlvesk-session.desktop");
    ASSERT_TRUE(QDir().mkpath(config.file("autostart")));
    ASSERT_TRUE(vesk::test::WriteFileBytes(entry, "[Desktop Entry]\nType=Application\nExec=htmlvesk\n"));
    QProcess* first = Start({});
    ASSERT_TRUE(first->waitForStarted(kWaitMs));
    ASSERT_TRUE(WaitForListener()) << first->readAllStandardError().toStdString();
    for (int waited = 0; waited < kWaitMs && QFileInfo::exists(entry); waited += 50)
        QTest::qWait(50);
    EXPECT_FALSE(QFileInfo::exists(entry));

    // A second start only hands over: the entry of a session ending meanwhile stays.
    ASSERT_TRUE(vesk::test::WriteFileBytes(entry, "[Desktop Entry]\nType=Application\nExec=htmlvesk\n"));
    QProcess* second = Start({});
    ASSERT_TRUE(second->waitForFinished(kWaitMs));
    EXPECT_TRUE(QFileInfo::exists(entry));
}
