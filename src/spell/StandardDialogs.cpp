// The standard message and file dialogs, and their scripted answers.
#include "spell/StandardDialogs.h"

#include <QFileDialog>
#include <QList>

#include <deque>

namespace vesk {
namespace {

struct Script {
    bool active = false;
    std::deque<std::pair<QMessageBox::StandardButton, std::function<void()>>> buttons;
    std::deque<QString> files;
    QList<StandardDialogCall> calls;
};

Script& TheScript()
{
    static Script s;
    return s;
}

QMessageBox::StandardButton EscapeAnswer(QMessageBox::StandardButtons buttons)
{
    for (QMessageBox::StandardButton b : {QMessageBox::Cancel, QMessageBox::No, QMessageBox::Abort})
        if (buttons & b)
            return b;
    return QMessageBox::Ok;
}

QString FileDialog(bool save, QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                   const QString& suffix)
{
    Script& s = TheScript();
    if (s.active) {
        s.calls.push_back({save ? StandardDialogCall::SaveFile : StandardDialogCall::OpenFile, title, filter, {}});
        if (s.files.empty())
            return {};
        const QString path = s.files.front();
        s.files.pop_front();
        return path;
    }
    QFileDialog dialog(parent, title, folder, filter);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

} // namespace

QMessageBox::StandardButton StandardMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons)
{
    Script& s = TheScript();
    if (s.active) {
        s.calls.push_back({StandardDialogCall::Message, title, text, buttons});
        if (s.buttons.empty())
            return EscapeAnswer(buttons);
        auto [answer, whileOpen] = std::move(s.buttons.front());
        s.buttons.pop_front();
        if (whileOpen)
            whileOpen();
        return answer;
    }
    QMessageBox box(icon, title, text, buttons, parent);
    box.setEscapeButton(EscapeAnswer(buttons));
    const int answer = box.exec();
    return static_cast<QMessageBox::StandardButton>(answer);
}

QString StandardOpenFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                         const QString& suffix)
{
    return FileDialog(false, parent, title, folder, filter, suffix);
}

QString StandardSaveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                         const QString& suffix)
{
    return FileDialog(true, parent, title, folder, filter, suffix);
}

StandardDialogScript::Scope::Scope()
{
    Script& s = TheScript();
    s = Script();
    s.active = true;
}

StandardDialogScript::Scope::~Scope()
{
    TheScript() = Script();
}

void StandardDialogScript::PushButton(QMessageBox::StandardButton button, std::function<void()> whileOpen)
{
    TheScript().buttons.emplace_back(button, std::move(whileOpen));
}

void StandardDialogScript::PushFile(const QString& path)
{
    TheScript().files.push_back(path);
}

const QList<StandardDialogCall>& StandardDialogScript::Calls()
{
    return TheScript().calls;
}

QStringList StandardDialogScript::Texts()
{
    QStringList out;
    for (const StandardDialogCall& c : TheScript().calls)
        if (c.kind == StandardDialogCall::Message)
            out << c.text;
    return out;
}

void StandardDialogScript::ClearCalls()
{
    TheScript().calls.clear();
}

bool StandardDialogScript::Active()
{
    return TheScript().active;
}

} // namespace vesk
