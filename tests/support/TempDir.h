// Test helpers: a fresh temporary folder, optionally installed as the program folder.
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <string>

namespace vesk::test {

// A temporary folder removed with its contents when the object dies.
class TempDir {
public:
    TempDir();
    QString path() const { return dir_.path(); }
    // Absolute path of a file inside the folder.
    QString file(const QString& name) const { return dir_.filePath(name); }
    std::string fileStd(const QString& name) const { return file(name).toStdString(); }

private:
    QTemporaryDir dir_;
};

// While alive, HTMLVESK_HOME points at a fresh temporary folder and the
// program-folder cache is reset, so every test starts from a clean install.
class ScopedProgramFolder {
public:
    ScopedProgramFolder();
    ~ScopedProgramFolder();
    QString path() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.file(name); }
    // Writes a file into the folder, as the user or another program would.
    bool Write(const QString& name, const QByteArray& bytes) const;

private:
    TempDir dir_;
    QByteArray oldHome_;
    bool hadHome_;
};

// Runs `body` in a forked child process and returns what it returned:
// Passed or Failed. With `asNobody` the child first becomes the unprivileged
// user 65534 (root ignores file permissions); CannotSwitchUser when it
// cannot. The child only calls `body` and exits, so it must not touch gtest.
enum class ChildResult { Passed, Failed, CannotSwitchUser };
ChildResult RunInChild(const std::function<bool()>& body, bool asNobody);

// Runs `body` in a forked child process in a mount namespace of its own, in
// which `folder` (an existing, empty folder) is a fresh file system of
// `bytes` bytes (tmpfs): a real disk that fills up. The mount ends with the
// child, whatever happens. CannotSwitchUser when no such file system can be
// made here (not root, no mount namespaces).
ChildResult RunWithSmallDisk(const QString& folder, qint64 bytes, const std::function<bool()>& body);

// Writes bytes to a file, replacing it. Returns false on failure.
bool WriteFileBytes(const QString& path, const QByteArray& bytes);
// Reads a whole file; empty when it cannot be read.
QByteArray ReadFileBytes(const QString& path);

// Stops a process the test started: SIGTERM to its process id, then
// SIGKILL when it has not ended within five seconds.
void StopProcess(QProcess& process);

} // namespace vesk::test
