// The standard message and file dialogs of the spell checker and the
// thesaurus, with scripted answers for tests.
//
// Unlike the rest of the program (MsgBox), these two tools speak through
// the platform's own message box and file dialogs. Every such question goes
// through the functions here, so that while a StandardDialogScript::Scope
// lives no window opens: the call is recorded and answered from a queue.
#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace vesk {

// A message box: returns the button pressed; Escape gives No, Abort or OK
// (the set's cancelling answer).
QMessageBox::StandardButton StandardMessage(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons buttons);

// File dialogs (Qt filter form, "Dictionary Files (*.dct)"); the chosen
// path, or "" when cancelled. `suffix` is added to a name typed without one.
QString StandardOpenFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                         const QString& suffix);
QString StandardSaveFile(QWidget* parent, const QString& title, const QString& folder, const QString& filter,
                         const QString& suffix);

struct StandardDialogCall {
    enum Kind { Message, OpenFile, SaveFile } kind = Message;
    QString title;
    QString text;  // the message, or the file dialog's filter
    QMessageBox::StandardButtons buttons;  // messages only
};

class StandardDialogScript {
public:
    // While a Scope lives the dialogs are scripted; scopes do not nest.
    class Scope {
    public:
        Scope();
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;
    };
    // The next message is answered with `button` (after running `whileOpen`,
    // as if the user did something while the box was open).
    static void PushButton(QMessageBox::StandardButton button, std::function<void()> whileOpen = {});
    // The next file dialog chooses `path` ("" cancels).
    static void PushFile(const QString& path);
    static const QList<StandardDialogCall>& Calls();
    static QStringList Texts();  // the texts of the recorded messages, in order
    static void ClearCalls();
    static bool Active();
};

} // namespace vesk
