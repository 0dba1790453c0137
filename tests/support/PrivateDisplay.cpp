// A private X server for the few tests that need a real window system.
#include "support/PrivateDisplay.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/prctl.h>

namespace vesk::test {

namespace {

// A test program that is killed must not leave its children running.
void DieWithParent()
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
}

} // namespace

PrivateDisplay::PrivateDisplay()
{
    server_.setChildProcessModifier(DieWithParent);
    // With -displayfd the server takes a free display and writes its number
    // once it accepts clients: no guessing, no waiting on a socket.
    server_.start(QStringLiteral("Xvfb"), {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-nolisten"),
                                           QStringLiteral("tcp"), QStringLiteral("-screen"), QStringLiteral("0"),
                                           QStringLiteral("1024x768x24")});
    if (!server_.waitForStarted(5000)) {
        failure_ = QStringLiteral("Xvfb did not start: ") + server_.errorString();
        return;
    }
    QByteArray number;
    const QDeadlineTimer deadline(10000);
    while (!number.contains('\n') && !deadline.hasExpired() && server_.state() == QProcess::Running) {
        server_.waitForReadyRead(int(deadline.remainingTime()));
        number += server_.readAllStandardOutput();
    }
    bool ok = false;
    const int display = number.trimmed().toInt(&ok);
    if (!number.contains('\n') || !ok) {
        failure_ = QStringLiteral("Xvfb gave no display: ") + QString::fromLocal8Bit(server_.readAllStandardError()).left(500);
        return;
    }
    name_ = QStringLiteral(":%1").arg(display);
}

PrivateDisplay::~PrivateDisplay()
{
    StopProcess(server_);
}

PrivateDisplay::Run PrivateDisplay::RunCurrentTest() const
{
    Run run;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    if (!Started() || !test) {
        run.output = QStringLiteral("no display or no current test");
        return run;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("DISPLAY"), name_);
    environment.remove(QStringLiteral("GTEST_OUTPUT"));  // the copy must not overwrite this program's report
    QProcess copy;
    copy.setProcessChannelMode(QProcess::MergedChannels);
    copy.setChildProcessModifier(DieWithParent);
    copy.setProcessEnvironment(environment);
    copy.start(QCoreApplication::applicationFilePath(),
               {QStringLiteral("--gtest_filter=%1.%2").arg(QString::fromUtf8(test->test_suite_name()),
                                                           QString::fromUtf8(test->name()))});
    const bool ended = copy.waitForFinished(120000);
    if (!ended) {
        copy.kill();
        copy.waitForFinished(5000);
    }
    run.output = QString::fromLocal8Bit(copy.readAll());
    // The summary line, not only the status: a filter that matched nothing also exits 0.
    if (ended && copy.exitStatus() == QProcess::NormalExit && copy.exitCode() == 0) {
        if (run.output.contains(QStringLiteral("[  PASSED  ] 1 test.")))
            run.outcome = Run::Passed;
        else if (run.output.contains(QStringLiteral("[  SKIPPED ] 1 test")))
            run.outcome = Run::Skipped;
    }
    return run;
}

} // namespace vesk::test
