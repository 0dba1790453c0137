// Stand-in for the program's start-up in single-instance tests: the same entry logic, reported on stdout.
//
// Secondary: hands its first argument over and prints "secondary delivered"
// or "secondary undelivered", exit code 0 either way.
// Primary: prints "primary", then "record <identifier> <text>" for every
// record (replying 1), and ends after the text "quit-probe".
// No trustworthy channel: prints "unavailable" and ends.
#include "platform/FileNames.h"
#include "platform/SingleInstance.h"

#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

namespace {

void Say(const QByteArray& line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    // The test reads our output while we run: every line must leave at once.
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    vesk::SingleInstance instance;
    // Tests of the record deadline shorten it rather than wait it out.
    if (const int ms = qEnvironmentVariableIntValue("VESK_PROBE_RECORD_DEADLINE_MS"); ms > 0)
        instance.SetRecordDeadlineMs(ms);

    bool delivered = false;
    if (const std::optional<int> exitCode = vesk::HandOverIfRunning(argc, argv, instance, &delivered)) {
        Say(delivered ? "secondary delivered" : "secondary undelivered");
        return *exitCode;
    }
    if (instance.role() != vesk::SingleInstance::Role::Primary) {
        Say("unavailable");
        return 0;
    }
    Say("primary");
    instance.SetCopyDataHandler([&app](vesk::SingleInstance*, int identifier, const QString& text) {
        Say("record " + QByteArray::number(identifier) + ' ' + vesk::FileNameToBytes(text));
        if (text == QLatin1String("quit-probe"))
            QTimer::singleShot(0, &app, &QCoreApplication::quit);
        return 1;
    });
    return app.exec();
}
