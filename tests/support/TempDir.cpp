// Test helpers: temporary folders and whole-file reads and writes.
#include "TempDir.h"

#include "platform/ProgramFolder.h"

#include <QFile>
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

} // namespace vesk::test
