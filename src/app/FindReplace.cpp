// Find and Replace: searching, replacing and the two modeless dialogs.
#include "app/FindReplace.h"

#include "app/MsgBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace vesk {

namespace {

void NotFound(TVeskMemoCore& editor, const QString& text)
{
    MsgBox(QStringLiteral("Could not find \"") + text + QStringLiteral("\"."), QStringLiteral("Word Not Found"), kMbOk,
           kSoundError);
    editor.SetSelLength(0);
    editor.SetSelStart(0);
}

bool Search(TVeskMemoCore& editor, const TFindOptions& o)
{
    return editor.FindTxt(o.findText.toStdString(), o.down, o.wholeWord, o.matchCase);
}

bool SelectionIsFindText(TVeskMemoCore& editor, const TFindOptions& o)
{
    return !o.findText.isEmpty()
        && QString::fromStdString(editor.SelText()).compare(o.findText, Qt::CaseInsensitive) == 0;
}

// Replaces the selection; the caret then stands where the next search in
// the chosen direction must start, so the new text is never searched again.
void ReplaceSelectionFor(TVeskMemoCore& editor, const TFindOptions& o)
{
    const std::int32_t start = std::min(editor.SelStart(), editor.SelStart() + editor.SelLength());
    editor.ReplaceSelection(o.replaceText.toStdString());
    if (!o.down)
        editor.Select(start, start);
}

} // namespace

bool FindNext(TVeskMemoCore& editor, const TFindOptions& options)
{
    if (Search(editor, options))
        return true;
    NotFound(editor, options.findText);
    return false;
}

bool ReplaceOne(TVeskMemoCore& editor, const TFindOptions& options)
{
    if (SelectionIsFindText(editor, options))
        ReplaceSelectionFor(editor, options);
    return FindNext(editor, options);
}

int ReplaceAll(TVeskMemoCore& editor, const TFindOptions& options)
{
    int count = 0;
    if (SelectionIsFindText(editor, options)) {
        ReplaceSelectionFor(editor, options);
        ++count;
    }
    while (Search(editor, options)) {
        ReplaceSelectionFor(editor, options);
        ++count;
    }
    NotFound(editor, options.findText);  // it always ends a Replace All
    return count;
}

TFindDialog::TFindDialog(bool withReplace, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(withReplace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    setModal(false);
    auto* grid = new QGridLayout;
    find_ = new QLineEdit(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(find_);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(find_, 0, 1);
    if (withReplace) {
        replace_ = new QLineEdit(this);
        auto* replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
        replaceLabel->setBuddy(replace_);
        grid->addWidget(replaceLabel, 1, 0);
        grid->addWidget(replace_, 1, 1);
    }
    wholeWord_ = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    matchCase_ = new QCheckBox(QStringLiteral("Match &case"), this);
    auto* direction = new QGroupBox(QStringLiteral("Direction"), this);
    up_ = new QRadioButton(QStringLiteral("&Up"), direction);
    down_ = new QRadioButton(QStringLiteral("&Down"), direction);
    down_->setChecked(true);
    auto* directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up_);
    directionLayout->addWidget(down_);

    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addWidget(wholeWord_);
    left->addWidget(matchCase_);
    left->addWidget(direction);
    auto* buttons = new QVBoxLayout;
    auto* next = new QPushButton(QStringLiteral("&Find Next"), this);
    next->setDefault(true);
    connect(next, &QPushButton::clicked, this, &TFindDialog::findNext);
    buttons->addWidget(next);
    if (withReplace) {
        auto* one = new QPushButton(QStringLiteral("&Replace"), this);
        auto* all = new QPushButton(QStringLiteral("Replace &All"), this);
        connect(one, &QPushButton::clicked, this, &TFindDialog::replaceOne);
        connect(all, &QPushButton::clicked, this, &TFindDialog::replaceAll);
        buttons->addWidget(one);
        buttons->addWidget(all);
    }
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
    buttons->addWidget(cancel);
    buttons->addStretch();
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left);
    layout->addLayout(buttons);
}

TFindOptions TFindDialog::Options() const
{
    TFindOptions o;
    o.findText = find_->text();
    o.replaceText = replace_ ? replace_->text() : QString();
    o.down = down_->isChecked();
    o.wholeWord = wholeWord_->isChecked();
    o.matchCase = matchCase_->isChecked();
    return o;
}

void TFindDialog::Open(const QString& text)
{
    find_->setText(text);
    show();
    raise();
    activateWindow();
    find_->setFocus();
}

} // namespace vesk
