// TSpellDialog: the spell checker's dialog, showing each stopped word and offering the actions.
//
// The dialog is not modal; the engine drives it through TDialogControl
// (CreateSpellDialog makes the pair), and each button sends its action's
// number back to the engine. Controls are numbered as the engine addresses
// them (TSpellAction for the buttons, then TSpellControl). Closing the
// window or pressing Escape is Cancel.
#pragma once

#include "spell/SpellChecker.h"

#include <QDialog>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace vesk {

class TSpellDialog : public QDialog {
    Q_OBJECT
public:
    TSpellDialog(TSpellChecker& engine, QWidget* parent);

    // A button by its action number (TSpellAction), or null.
    QPushButton* Button(int action) const;
    // Any control by the engine's number; null out of range.
    QWidget* Control(int number) const;
    QLabel* ErrorLabel() const { return errorLabel_; }
    QLineEdit* NotFound() const { return notFound_; }
    QLineEdit* WordEdit() const { return wordEdit_; }
    QListWidget* SuggestBox() const { return suggestBox_; }

    // Shows the dialog clear of the word (see DialogPlacement.h): beside the
    // editor the first time, then moved off the word whenever it covers it.
    void ShowClearOf(const TParserBounds& bounds);

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    void Act(int action);

    TSpellChecker& engine_;
    QLabel* errorLabel_ = nullptr;
    QLineEdit* notFound_ = nullptr;
    QLineEdit* wordEdit_ = nullptr;
    QListWidget* suggestBox_ = nullptr;
    QPushButton* buttons_[scWordEdit] = {};
    bool placed_ = false;
};

// The engine's OnCreateDialog: a new TSpellDialog over `parent`, linked to
// the engine. The dialog is deleted (later, as the engine may end the check
// from inside one of its buttons) when the link is destroyed.
std::unique_ptr<TDialogControl> CreateSpellDialog(TSpellChecker& engine, QWidget* parent);

// The dialog of the check in progress, or null (tests, screenshots).
TSpellDialog* CurrentSpellDialog();

} // namespace vesk
