// TThesaurus and TThesaurusDialog: synonyms for a word, grouped by meaning and part of speech.
//
// TThesaurus is the component the main window owns: its settings, the
// topic history and the dialog's bounds live as long as it does; the file
// is loaded when the dialog opens and released when it closes (DemandLoad).
// Execute shows the dialog (not modal, so a second start only brings it
// forward) and returns when it closes. Messages and the file dialog go
// through StandardDialogs.h.
#pragma once

#include "spell/ThesaurusFile.h"

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QStringList>

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;

namespace vesk {

class TThesaurus;

class TThesaurusDialog : public QDialog {
    Q_OBJECT
public:
    TThesaurusDialog(TThesaurus& owner, QWidget* parent);

    QLineEdit* WordBox() const { return word_; }
    QListWidget* Meanings() const { return meanings_; }
    QComboBox* TopicBox() const { return topics_; }
    QTabWidget* Pages() const { return pages_; }
    // The list of a page: tkNoun … tkAdverb.
    QListWidget* List(TThesKind kind) const;
    QPushButton* LookupButton() const { return lookup_; }
    QPushButton* ReplaceButton() const { return replace_; }
    QPushButton* CancelButton() const { return cancel_; }
    const QString& Result() const { return result_; }

    // Looks the word box's text up into the meanings list.
    void Lookup();
    // Shows the meaning on line `row` of the meanings list.
    void ShowMeaning(int row);

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void LookupWord(const QString& word);
    void FillTopics();

    TThesaurus& owner_;
    QLineEdit* word_ = nullptr;
    QListWidget* meanings_ = nullptr;
    QComboBox* topics_ = nullptr;
    QTabWidget* pages_ = nullptr;
    QWidget* pageWidgets_[4] = {};
    QListWidget* lists_[4] = {};
    QPushButton* lookup_ = nullptr;
    QPushButton* replace_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QString result_;
};

class TThesaurus {
public:
    // ---- settings --------------------------------------------------------
    QString FileName = QStringLiteral("THESAUR.THR");
    bool UseAppDir = true;   // look for FileName in the program folder
    bool DemandLoad = true;  // load when the dialog opens, release when it closes
    bool DoubleClicks = false;  // lists act on a double click rather than a single one
    QString DialogCaption = QStringLiteral("Thesaurus Lookup:");
    bool StayOnTop = true;

    // Opens the dialog on `word` (looked up in lower case) and returns the
    // word chosen with Replace, with a capital first letter when `word`
    // starts with a capital A-Z; "" when cancelled, when the file cannot be
    // loaded, or when the dialog was already open (it is brought forward).
    QString Execute(const QString& word, QWidget* parent);

    // ---- state kept between openings --------------------------------------
    const QStringList& History() const { return history_; }
    QStringList& History() { return history_; }
    const QRect& Bounds() const { return bounds_; }
    void SetBounds(const QRect& r) { bounds_ = r; }
    TThesaurusFile& File() { return file_; }
    // The open dialog, or null.
    TThesaurusDialog* Dialog() const { return dialog_; }

private:
    bool Load(QWidget* parent);

    TThesaurusFile file_;
    QStringList history_;
    QRect bounds_;
    QPointer<TThesaurusDialog> dialog_;
};

} // namespace vesk
