// The browser and picture commands.
#include "app/BrowserEntry.h"

#include "app/ExternalPrograms.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "settings/ProgramCommands.h"

#include <QFileDialog>
#include <QFileInfo>

namespace vesk {
namespace {

constexpr const char* kBrowserCommands[kBrowserCount] = {
    "Run1stBrowser1", "Run2ndBrowser1", "Run3rdBrowser1", "Run4thBrowser1"};

const char* const kPictureFilter =
    "Picture Files (*.gif, *.jpg, *.bmp)|*.gif;*.jpg;*.bmp|All Files (*.*)|*.*";

} // namespace

TBrowserEntry::TBrowserEntry(TToolHost& host) : host_(host)
{
    for (int n = 1; n <= kBrowserCount; ++n)
        host.SetCommand(kBrowserCommands[n - 1], [this, n](TVeskMemoFile& e) { BrowserClick(e, n); });
    host.SetCommand("EditPicture1", [this](TVeskMemoFile& e) { PictureBtnClick(e); });
    pictureDialog = [&host](const QString& folder) {
        return QFileDialog::getOpenFileName(host.MainWindow(), QStringLiteral("Open Picture"), folder,
                                            QtFileFilter(QString::fromLatin1(kPictureFilter)));
    };
}

std::optional<int> TBrowserEntry::BrowserClick(TVeskMemoFile& editor, int n)
{
    if (n < 1 || n > kBrowserCount)
        return std::nullopt;
    const QString command = ReadProgramCommands().browsers[std::size_t(n - 1)];
    if (command.trimmed().isEmpty()) {
        MsgBox(QStringLiteral("A Browser is not set up for that option.  See Preferences."),
               QStringLiteral("Browser Not Setup"), kMbOk, kSoundError);
        return std::nullopt;
    }
    if (!host_.SavePrompt(editor))
        return std::nullopt;
    // The path is read after the prompt: a document saved there for the
    // first time is shown under its new name rather than as an empty argument.
    const QString path = editor.FileName();
    if (path.isEmpty())
        return RunExecutable(WithoutDocumentPlaceholder(command), false);
    return RunExecutable(command, false, QFileInfo(path).absoluteFilePath());
}

std::optional<int> TBrowserEntry::PictureBtnClick(TVeskMemoFile& editor)
{
    QString picture = PictureCandidate(editor.FileName(), QString::fromStdString(editor.SelText()));
    if (picture.isEmpty() || !QFileInfo(picture).isFile()) {
        const QString folder = editor.FileName().isEmpty() ? QString() : QFileInfo(editor.FileName()).absolutePath();
        picture = pictureDialog ? pictureDialog(folder) : QString();
        if (picture.isEmpty())
            return std::nullopt;
        picture = QFileInfo(picture).absoluteFilePath();
    }
    const QString program = PictureProgram(picture, ReadProgramCommands());
    if (program.isEmpty())
        return RunExecutable(picture, true);
    return RunExecutable(program, false, picture);
}

} // namespace vesk
