// Test helpers: temporary folders and whole-file reads and writes.
#include "TempDir.h"

#include "platform/ProgramFolder.h"

#include <QFile>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>
#include <stdexcept>

namespace vesk::test {

TempDir::TempDir()
{
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

ScopedProgramFolder::ScopedProgramFolder()
    : oldHome_(qgetenv("HTMLVESK_HOME")), hadHome_(qEnvironmentVariableIsSet("HTMLVESK_HOME"))
{
    qputenv("HTMLVESK_HOME", dir_.path().toUtf8());
    vesk::ResetProgramFolderForTests();
}

ScopedProgramFolder::~ScopedProgramFolder()
{
    if (hadHome_)
        qputenv("HTMLVESK_HOME", oldHome_);
    else
        qunsetenv("HTMLVESK_HOME");
    vesk::ResetProgramFolderForTests();
}

bool ScopedProgramFolder::Write(const QString& name, const QByteArray& bytes) const
{
    return WriteFileBytes(file(name), bytes);
}

ChildResult RunInChild(const std::function<bool()>& body, bool asNobody)
{
    const pid_t pid = ::fork();
    if (pid < 0)
        return ChildResult::Failed;
    if (pid == 0) {
        if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(3);
        bool ok = false;
        try {
            ok = body();
        } catch (...) {
            ok = false;
        }
        ::_exit(ok ? 0 : 1);
    }
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return ChildResult::Failed;
    switch (WEXITSTATUS(status)) {
    case 0: return ChildResult::Passed;
    case 3: return ChildResult::CannotSwitchUser;
    default: return ChildResult::Failed;
    }
}

ChildResult RunWithSmallDisk(const QString& folder, qint64 bytes, const std::function<bool()>& body)
{
    return RunInChild(
        [&]() {
            const QByteArray where = QFile::encodeName(folder);
            const QByteArray options = "size=" + QByteArray::number(bytes);
            // Private mounts: nothing we mount is seen outside this child.
            if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", where.constData(), "tmpfs", 0, options.constData()) != 0)
                ::_exit(3);
            return body();
        },
        false);
}

bool WriteFileBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(bytes) == bytes.size();
}

QByteArray ReadFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void StopProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

} // namespace vesk::test
