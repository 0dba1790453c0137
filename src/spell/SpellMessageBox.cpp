// The spell checker's messages in the platform's standard message boxes.
#include "spell/SpellMessageBox.h"

#include "spell/SpellChecker.h"
#include "spell/SpellStrings.h"
#include "spell/StandardDialogs.h"

#include <QPointer>

namespace vesk {

void UseStandardMessageBoxes(TSpellChecker& engine, QWidget* parent)
{
    QPointer<QWidget> owner(parent);
    engine.OnMessage = [owner](TSpellMessage kind, const std::string& text) {
        const QString shown = QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        const QString title = QString::fromStdString(SpellString(ssSpellCheck));
        switch (kind) {
        case TSpellMessage::Information:
            StandardMessage(owner, QMessageBox::Information, title, shown, QMessageBox::Ok);
            return false;
        case TSpellMessage::Abort:
            StandardMessage(owner, QMessageBox::Information, title, shown, QMessageBox::Abort);
            return false;
        case TSpellMessage::YesNo:
            return StandardMessage(owner, QMessageBox::Information, title, shown, QMessageBox::Yes | QMessageBox::No)
                   == QMessageBox::Yes;
        }
        return false;
    };
}

} // namespace vesk
