// The File menu's commands, the Reopen menu and the "Save Changes" step.
#include "app/FileCommands.h"

#include "app/DocumentFiles.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "settings/SettingsSections.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>

namespace vesk {

TFileCommands::TFileCommands(THTMLVeskMain& window) : window_(window)
{
    openFileDialog = [&window](const QString& initial) {
        return QFileDialog::getOpenFileName(&window, QString(), initial,
            QtFileFilter(QStringLiteral("Web Page (*.htm or *.html)|*.htm;*.html|Text File (*.txt)|*.txt|All Files (*.*)|*.*")));
    };
    saveFileDialog = [&window](const QString& initial) {
        return QFileDialog::getSaveFileName(&window, QString(), initial,
            QtFileFilter(QStringLiteral("Web Pages (*.htm or *.html)|*.htm;*.html|Text Files (*.txt)|*.txt|All Files|*.*")));
    };
    window.SetCommand("New1", [this](TVeskMemoFile& e) { NewClick(e); });
    window.SetCommand("Open1", [this](TVeskMemoFile& e) { OpenDirClick(e); });
    window.SetCommand("Save1", [this](TVeskMemoFile& e) { SaveClick(e); });
    window.SetCommand("SaveAs1", [this](TVeskMemoFile& e) { SaveAsClick(e); });
    window.SetCommand("ImportFile1", [this](TVeskMemoFile& e) { ImportFile1Click(e); });
    window.SetCommand("ExportText1", [this](TVeskMemoFile& e) { ExportText1Click(e); });
    window.SetCommand("Exit1", [&window](TVeskMemoFile&) { window.close(); });

    TSaveStep save;
    save.order = kStepSaveChanges;
    save.option = &AutoCloseOptions::saveChanges;
    save.applies = [](const TVeskMemoFile& e) { return e.Modified(); };
    save.question = [](const QString& name) {
        return name + QStringLiteral(" has changed") + QStringLiteral("\r\r") + QStringLiteral("Save changes?");
    };
    save.caption = QStringLiteral("Save Changes?");
    save.sound = kSoundWarning;
    // A save that did not happen (its Save As dialog cancelled, or the write
    // failed) cancels the whole prompt: the document stays.
    save.action = [this](TVeskMemoFile& e) { return SaveClick(e); };
    window.AddSaveStep(std::move(save));
}

void TFileCommands::ReportSave(TVeskMemoFile& editor, const QString& path, const TSaveResult& saved)
{
    if (saved.encoding != editor.Encoding()) {
        // The document keeps its new encoding; the user hears of it this once.
        const QString was = EncodingName(editor.Encoding());
        editor.SetEncoding(saved.encoding);
        MsgBox(QFileInfo(path).fileName() + QStringLiteral(" now holds characters that ") + was
                   + QStringLiteral(" cannot represent, so it was saved as ") + EncodingName(saved.encoding)
                   + QStringLiteral("."),
               QStringLiteral("Encoding Changed"), kMbOk, kSoundInformation);
    }
    // The save went ahead; the user must still know there is no backup.
    if (saved.backupFailed)
        MsgBox(QStringLiteral("The backup copy ") + BackupPathFor(path) + QStringLiteral(" could not be made.")
                   + QStringLiteral("\r\r") + QStringLiteral("The document itself was saved."),
               QStringLiteral("Backup Failed"), kMbOk, kSoundWarning);
    window_.ShowDocumentState(editor);
}

void TFileCommands::LoadInto(TVeskMemoFile& editor, const QString& path)
{
    QFile file;
    if (const std::optional<QString> problem = OpenDocumentForReading(path, file))
        throw std::runtime_error(problem->toStdString());
    LoadInto(editor, file, path);
}

void TFileCommands::LoadInto(TVeskMemoFile& editor, QFile& file, const QString& path)
{
    editor.Select(0, 0);
    try {
        editor.LoadFromStream(file);
    } catch (const std::exception& e) {
        editor.SetFileName(QString());
        editor.SetModified(false);
        window_.ShowDocumentState(editor);
        throw std::runtime_error("Cannot read file " + path.toStdString() + ": " + e.what());
    }
    editor.SetFileName(path);
    editor.SetModified(false);
    const QString nuls = NulBytesMessage(path, editor.LoadedNuls());
    if (!nuls.isEmpty())
        MsgBox(nuls, QString::fromLatin1(kNulBytesCaption), kMbOk, kSoundWarning);
}

void TFileCommands::NewClick(TVeskMemoFile& editor)
{
    if (!window_.SavePrompt(&editor))
        return;
    editor.Clear();
    editor.SetFileName(QString());
    editor.SetModified(false);
    editor.setFocus();
    window_.RichEditUpdate();
}

void TFileCommands::OpenDirClick(TVeskMemoFile& editor)
{
    const TReopenMenu menu = ReadReopenMenu();
    OpenDialog(editor, menu.recent.isEmpty() ? QString() : menu.recent.front());
}

void TFileCommands::OpenDialog(TVeskMemoFile& editor, const QString& initialFolder)
{
    const QString path = openFileDialog ? openFileDialog(initialFolder) : QString();
    if (path.isEmpty()) {
        window_.RichEditUpdate();
        return;
    }
    if (!window_.SavePrompt(&editor))
        return;
    OpenPath(editor, path);
}

void TFileCommands::OpenClick(TVeskMemoFile& editor, const QString& caption)
{
    if (!window_.SavePrompt(&editor))
        return;
    if (caption.isEmpty() || caption == QLatin1String("Specify Files in Settings")
        || caption == QLatin1String("No Recent Files"))
        return;  // the prompt has run; a placeholder opens nothing
    OpenPath(editor, caption);
}

void TFileCommands::OpenPath(TVeskMemoFile& editor, const QString& path)
{
    try {
        LoadInto(editor, path);
    } catch (const std::exception& e) {
        // The document keeps what it had; the user hears why.
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return;
    }
    window_.DocumentNamed(editor, path);
    editor.setFocus();
    editor.SetModified(false);
    window_.RichEditUpdate();
}

bool TFileCommands::SaveClick(TVeskMemoFile& editor)
{
    if (editor.FileName().isEmpty())
        return SaveAsClick(editor);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TSaveResult saved;
    try {
        saved = SaveDocumentFile(editor, editor.FileName(), ReadAutoClose().backup);
    } catch (const std::exception& e) {
        QApplication::restoreOverrideCursor();
        // The document stays modified: nothing is lost.
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return false;
    }
    QApplication::restoreOverrideCursor();
    editor.SetModified(false);
    ReportSave(editor, editor.FileName(), saved);
    editor.setFocus();
    return true;
}

bool TFileCommands::SaveAsClick(TVeskMemoFile& editor)
{
    const QString path = saveFileDialog ? saveFileDialog(editor.FileName()) : QString();
    if (path.isEmpty())
        return false;
    TSaveResult saved;
    try {
        saved = SaveDocumentFile(editor, path, ReadAutoClose().backup);
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return false;
    }
    editor.SetModified(false);
    editor.SetFileName(path);
    window_.DocumentNamed(editor, path);
    ReportSave(editor, path, saved);
    editor.setFocus();
    return true;
}

std::optional<std::string> ReadTextToInsert(const QString& path)
{
    QFile file;
    if (const std::optional<QString> problem = OpenDocumentForReading(path, file)) {
        MsgBox(*problem, QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return std::nullopt;
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
        return std::nullopt;
    }
    const QString nuls = NulBytesMessage(path, scratch.LoadedNuls(), false);
    if (!nuls.isEmpty())
        MsgBox(nuls, QString::fromLatin1(kNulBytesCaption), kMbOk, kSoundWarning);
    return scratch.GetTextPart(0, scratch.CharCount());
}

void TFileCommands::ImportFile1Click(TVeskMemoFile& editor)
{
    const QString path = openFileDialog ? openFileDialog(QString()) : QString();
    if (path.isEmpty())
        return;
    if (const std::optional<std::string> text = ReadTextToInsert(path))
        editor.ReplaceSelection(*text);
    editor.setFocus();
}

void TFileCommands::ExportText1Click(TVeskMemoFile& editor)
{
    if (editor.SelLength() == 0)
        return;
    const QString path = saveFileDialog ? saveFileDialog(QString()) : QString();
    if (path.isEmpty())
        return;
    try {
        WriteFileSafely(path, QByteArray::fromStdString(editor.SelText()));
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
    }
    editor.setFocus();
}

void TFileCommands::FillMenu()
{
    QMenu* reopen = window_.ReopenMenu();
    reopen->clear();
    // Drawn from the settings file, which is where the lists live; the menu
    // is never read back.
    const TReopenMenu menu = ReadReopenMenu();
    // Placeholders run the save prompt like any item and then open nothing.
    auto add = [this, reopen](const QString& caption) {
        QAction* a = reopen->addAction(caption);
        QObject::connect(a, &QAction::triggered, &window_, [this, caption]() {
            if (TVeskMemoFile* editor = window_.CurrentEditor())
                window_.RunCommand(*editor, [this, caption](TVeskMemoFile& e) { OpenClick(e, caption); });
        });
    };
    if (menu.recent.isEmpty())
        add(QStringLiteral("No Recent Files"));
    for (const QString& path : menu.recent)
        add(path);
    reopen->addSeparator();
    if (menu.preferred.isEmpty())
        add(QStringLiteral("Specify Files in Settings"));
    for (const QString& path : menu.preferred)
        add(path);
}

} // namespace vesk
