// THTMLVeskMain: New, Open, Reopen, Save, Save As, Import and Export Text,
// and the save prompt with its automatic closing functions.
#include "app/DocumentFiles.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "platform/Launcher.h"
#include "platform/Registry.h"
#include "settings/SettingsSections.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QTabWidget>

namespace vesk {

namespace {

QString NameOf(const TVeskMemoFile* editor)
{
    return editor->FileName().isEmpty() ? QStringLiteral("Untitled") : QFileInfo(editor->FileName()).fileName();
}

} // namespace

void THTMLVeskMain::ReportBackupFailure(const QString& path)
{
    // The save went ahead; the user must still know there is no backup.
    MsgBox(QStringLiteral("The backup copy ") + BackupPathFor(path) + QStringLiteral(" could not be made.")
               + QStringLiteral("\r\r") + QStringLiteral("The document itself was saved."),
           QStringLiteral("Backup Failed"), kMbOk, kSoundWarning);
}

bool THTMLVeskMain::SavePrompt(TVeskMemoFile* editor)
{
    if (!editor)
        return true;
    // Show the tab being asked about.
    for (int i = 0; i < TabCount(); ++i) {
        if (Editor(i) == editor) {
            const QSignalBlocker block(pages_);
            pages_->setCurrentIndex(i);
            current_ = editor;
            currentGutter_ = Gutter(i);
            break;
        }
    }
    editor->setFocus();
    QApplication::processEvents();
    if (editor->CharCount() == 0)
        return true;  // an empty document closes without a question

    const AutoCloseOptions options = ReadAutoClose();
    const QString name = NameOf(editor);
    bool result = true;
    // Asks one question; Yes runs `action`, No skips, Cancel ends the prompt.
    // A step whose tool is not part of the program yet is not asked at all.
    auto step = [&](bool on, const QString& text, const QString& caption, int sound, const std::function<void()>& action) {
        if (!result || !on || !action)
            return;
        const int answer = MsgBox(text, caption, kMbYesNoCancel, sound);
        if (answer == kMrCancel)
            result = false;
        else if (answer == kMrYes && action)
            action();
    };
    auto hook = [editor](const std::function<void(TVeskMemoFile*)>& f) {
        return f ? std::function<void()>([f, editor]() { f(editor); }) : std::function<void()>();
    };
    step(options.updater, QStringLiteral("Do you want to update the dates of ") + name + QStringLiteral("?"),
         QStringLiteral("Update Dates?"), kSoundInformation, hook(runUpdater));
    step(options.spell, QStringLiteral("Do you want to check the spelling of ") + name + QStringLiteral("?"),
         QStringLiteral("Check Spelling?"), kSoundInformation, hook(runSpellChecker));
    step(options.validator, QStringLiteral("Do you want to validate (debug) ") + name + QStringLiteral("?"),
         QStringLiteral("Validate Code?"), kSoundInformation, hook(runValidator));
    step(options.saveChanges && editor->Modified(),
         name + QStringLiteral(" has changed") + QStringLiteral("\r\r") + QStringLiteral("Save changes?"),
         QStringLiteral("Save Changes?"), kSoundWarning, [this]() { SaveClick(); });
    const bool inBin = inUploadBin && !editor->FileName().isEmpty() && inUploadBin(editor->FileName());
    step(options.addToUploadBin && !inBin,
         QStringLiteral("Do you want add ") + name + QStringLiteral(" to the Upload Bin?"),
         QStringLiteral("Add to Upload Bin?"), kSoundInformation, hook(addToUploadBin));
    step(options.runUploader, QStringLiteral("Do you want to upload files now?"), QStringLiteral("Run Uploader?"),
         kSoundInformation, hook(showUploader));
    return result;
}

QString THTMLVeskMain::SessionEnding()
{
    const AutoCloseOptions options = ReadAutoClose();
    QStringList documents;
    for (int i = 0; i < TabCount(); ++i) {
        TVeskMemoFile* editor = Editor(i);
        if (editor->CharCount() > 0 && options.saveChanges && editor->Modified()) {
            const QString name = NameOf(editor);
            if (MsgBox(name + QStringLiteral(" has changed") + QStringLiteral("\r\r") + QStringLiteral("Save changes?"),
                       QStringLiteral("Save Changes?"), kMbYesNo, kSoundWarning)
                == kMrYes) {
                const QSignalBlocker block(pages_);
                pages_->setCurrentIndex(i);
                current_ = editor;
                currentGutter_ = Gutter(i);
                if (editor->FileName().isEmpty())
                    SaveAsClick();
                else
                    SaveClick();
            }
        }
        if (!editor->FileName().isEmpty())
            documents << editor->FileName();
    }
    WriteIni();
    // Each path must come back as one argument, whatever quotes it holds.
    const QString command = StartCommandLine(QCoreApplication::applicationFilePath(), documents);
    RegWriteValue(RegRoot::CurrentUser, QStringLiteral("\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"),
                  QStringLiteral("HTMLVeskRunOnce"), command);
    return command;
}

void THTMLVeskMain::NewClick()
{
    if (!SavePrompt(current_))
        return;
    current_->Clear();
    current_->SetFileName(QString());
    pages_->setTabText(pages_->currentIndex(), QStringLiteral("Untitled"));
    setWindowTitle(QStringLiteral("HTML Vesk - Untitled"));
    current_->setFocus();
    RichEditUpdate();
    current_->SetModified(false);
}

void THTMLVeskMain::OpenDirClick()
{
    const TReopenMenu menu = ReadReopenMenu();
    OpenDialog(menu.recent.isEmpty() ? QString() : menu.recent.front());
}

void THTMLVeskMain::OpenDialog(const QString& initialFolder)
{
    const QString path = openFileDialog ? openFileDialog(initialFolder) : QString();
    if (path.isEmpty()) {
        RichEditUpdate();
        return;
    }
    if (!SavePrompt(current_))
        return;
    OpenPath(path);
}

void THTMLVeskMain::OpenClick(const QString& caption)
{
    if (!SavePrompt(current_))
        return;
    if (caption.isEmpty() || caption == QLatin1String("Specify Files in Settings")
        || caption == QLatin1String("No Recent Files"))
        return;  // the prompt has run; a placeholder opens nothing
    OpenPath(caption);
}

void THTMLVeskMain::OpenPath(const QString& caption)
{
    try {
        LoadInto(current_, caption);
    } catch (const std::exception& e) {
        // The document keeps what it had; the user hears why.
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    DocumentNamed(caption);
    current_->setFocus();
    current_->SetModified(false);
    RichEditUpdate();
}

void THTMLVeskMain::SaveClick()
{
    if (!current_)
        return;
    if (current_->FileName().isEmpty()) {
        SaveAsClick();
        return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TSaveResult saved;
    try {
        saved = SaveDocumentFile(*current_, current_->FileName(), ReadAutoClose().backup);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        // The document stays modified: nothing is lost.
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    QApplication::restoreOverrideCursor();
    current_->SetModified(false);
    if (saved.backupFailed)
        ReportBackupFailure(current_->FileName());
    current_->setFocus();
}

bool THTMLVeskMain::SaveAsClick()
{
    if (!current_)
        return false;
    const QString path = saveFileDialog ? saveFileDialog(current_->FileName()) : QString();
    if (path.isEmpty())
        return false;
    try {
        if (SaveDocumentFile(*current_, path, ReadAutoClose().backup).backupFailed)
            ReportBackupFailure(path);
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return false;
    }
    current_->SetModified(false);
    current_->SetFileName(path);
    DocumentNamed(path);
    current_->setFocus();
    return true;
}

void THTMLVeskMain::ImportFile1Click()
{
    const QString path = openFileDialog ? openFileDialog(QString()) : QString();
    if (path.isEmpty() || !current_)
        return;
    QFile file;
    if (const std::optional<QString> problem = OpenDocumentForReading(path, file)) {
        MsgBox(*problem, QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    // Read through a scratch store, so line breaks, encodings and NULs are
    // handled exactly as when opening a document.
    TVeskMemoStore scratch;
    scratch.SetNullReplacement(kNulSubstitute);
    try {
        scratch.LoadFromStream(file);
    } catch (const std::exception& e) {
        MsgBox(QStringLiteral("Cannot read file ") + path + QStringLiteral(": ") + QString::fromUtf8(e.what()),
               QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    const QString nuls = NulBytesMessage(path, scratch.LoadedNuls(), false);
    if (!nuls.isEmpty())
        MsgBox(nuls, QString::fromLatin1(kNulBytesCaption), kMbOk, kSoundWarning);
    current_->ReplaceSelection(scratch.GetTextPart(0, scratch.CharCount()));
    current_->setFocus();
}

void THTMLVeskMain::ExportText1Click()
{
    if (!current_ || current_->SelLength() == 0)
        return;
    const QString path = saveFileDialog ? saveFileDialog(QString()) : QString();
    if (path.isEmpty())
        return;
    try {
        WriteFileSafely(path, QByteArray::fromStdString(current_->SelText()));
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
    }
    current_->setFocus();
}

} // namespace vesk
