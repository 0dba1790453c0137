// Find and Replace on an editor: what is searched, what is replaced and what
// the user is told. The dialogs only collect the text and the options.
#pragma once

#include "editor/VeskMemoCore.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QLineEdit;
class QRadioButton;
class QPushButton;

namespace vesk {

struct TFindOptions {
    QString findText;
    QString replaceText;
    bool down = true;
    bool wholeWord = false;
    bool matchCase = false;
};

// Searches on from the caret; on no match tells the user "Could not find
// "…"." ("Word Not Found") and puts the caret at the start, so the next
// search starts again from the top. Returns whether something was found.
bool FindNext(TVeskMemoCore& editor, const TFindOptions& options);
// Replaces the selection when it is the find text (without regard to case),
// then finds the next occurrence.
bool ReplaceOne(TVeskMemoCore& editor, const TFindOptions& options);
// Replaces every occurrence from the caret on in the search direction,
// never looking at text it has just inserted; ends with the not-found
// message and the caret at the start. Returns the number of replacements.
int ReplaceAll(TVeskMemoCore& editor, const TFindOptions& options);

// The modeless Find (without the replace part) or Replace dialog. It
// remembers its text and options between uses; the owner acts on its signals.
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    TFindDialog(bool withReplace, QWidget* parent = nullptr);
    TFindOptions Options() const;
    // Shows the dialog with `text` as the find text.
    void Open(const QString& text);

signals:
    void findNext();
    void replaceOne();
    void replaceAll();

private:
    QLineEdit* find_;
    QLineEdit* replace_ = nullptr;
    QCheckBox* wholeWord_;
    QCheckBox* matchCase_;
    QRadioButton* up_;
    QRadioButton* down_;
};

} // namespace vesk
