// Starting browsers, viewers and web addresses, and the "Execute Error" messages.
#include "app/ExternalPrograms.h"

#include "app/MsgBox.h"
#include "platform/Launcher.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <utility>

namespace vesk {
namespace {

// Launch results and what the user is told about them.
constexpr std::array<std::pair<int, const char*>, 13> kExecuteErrors{{
    {0, "The operating system is out of memory or resources."},
    {2, "The specified file was not found."},
    {3, "The specified path was not found."},
    {5, "Windows 95 only: The operating system denied access to the specified file."},
    {8, "Windows 95 only: There was not enough memory to complete the operation."},
    {11, "The .EXE file is invalid (non-Win32 .EXE or error in .EXE image)."},
    {26, "A sharing violation occurred."},
    {27, "The filename association is incomplete or invalid."},
    {28, "The DDE transaction could not be completed because the request timed out."},
    {29, "The DDE transaction failed."},
    {30, "The DDE transaction could not be completed because other DDE transactions were being processed."},
    {31, "There is no application associated with the given filename extension."},
    {32, "Windows 95 only: The specified dynamic-link library was not found."},
}};

const QString kPlaceholder = QStringLiteral("%1");

} // namespace

QString ExecuteErrorMessage(int result)
{
    for (const auto& [number, text] : kExecuteErrors) {
        if (number == result)
            return QString::fromLatin1(text);
    }
    return {};
}

int RunExecutable(const QString& command, bool useShell, const std::optional<QString>& document)
{
    const int result = useShell ? ShellOpen(command) : RunCommandLine(command, document);
    if (result <= 32) {
        const QString message = ExecuteErrorMessage(result);
        if (!message.isEmpty())
            MsgBox(message, QStringLiteral("Execute Error"), kMbOk, kSoundError);
    }
    return result;
}

QString WithoutDocumentPlaceholder(const QString& command)
{
    if (!command.contains(kPlaceholder))
        return command;
    std::optional<QStringList> words = SplitCommandLine(command);
    if (!words)
        return {};
    for (qsizetype i = 0; i < words->size(); ++i) {
        QString& word = (*words)[i];
        const qsizetype at = word.indexOf(kPlaceholder);
        if (at < 0)
            continue;
        word.remove(at, kPlaceholder.size());
        if (word.isEmpty())
            words->removeAt(i);
        break;
    }
    return JoinCommandLine(*words);
}

QString PictureCandidate(const QString& documentPath, const QString& selection)
{
    if (selection.isEmpty())
        return {};
    QString folder;
    if (!documentPath.isEmpty()) {
        const qsizetype slash = documentPath.lastIndexOf(QLatin1Char('/'));
        folder = documentPath.left(slash + 1);
    }
    // The text is appended as it stands ("images/a.gif" under "/site/" is
    // "/site/images/a.gif"); only a document without a folder needs the
    // current folder in front.
    const QString candidate = folder + selection;
    return QDir::isAbsolutePath(candidate) ? candidate : QDir::current().absoluteFilePath(candidate);
}

QString PictureProgram(const QString& picture, const ProgramCommands& commands)
{
    const QString name = QFileInfo(picture).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : name.mid(dot);
    QString command;
    if (extension == QLatin1String(".gif"))
        command = commands.gifViewer;
    else if (extension == QLatin1String(".jpg"))
        command = commands.jpgViewer;
    else if (extension == QLatin1String(".bmp"))
        command = commands.bmpViewer;
    else if (extension == QLatin1String(".htm") || extension == QLatin1String(".html"))
        command = commands.browsers[0];
    return command.trimmed().isEmpty() ? QString() : command;
}

} // namespace vesk
