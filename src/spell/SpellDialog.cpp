// The spell dialog and its link to the engine.
#include "spell/SpellDialog.h"

#include "controls/Placed.h"
#include "spell/DialogPlacement.h"
#include "spell/SpellStrings.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>

namespace vesk {
namespace {

QString Str(int id)
{
    return QString::fromStdString(SpellString(id));
}

QPointer<TSpellDialog>& Current()
{
    static QPointer<TSpellDialog> current;
    return current;
}

// The buttons from top to bottom: object name, action, caption.
struct ButtonRow {
    const char* name;
    int action;
    int caption;
};
constexpr ButtonRow kButtons[] = {
    {"ChangeAll", saChangeAll, ssChangeAll}, {"Change", saChange, ssChange},
    {"IgnoreAll", saIgnoreAll, ssIgnoreAll}, {"Ignore", saIgnore, ssIgnore},
    {"Add", saAdd, ssAdd}, {"AutoCorrect", saAutoCorrect, ssAutoCorrect},
    {"Suggest", saSuggest, ssSuggest}, {"Start", saStart, ssStart},
    {"UndoLast", saUndoLast, ssUndoLast}, {"Options", saOptions, ssOptions},
    {"Help", saHelp, ssHelp}, {"Cancel", saCancel, ssCancel},
};

class TSpellDialogControl : public TDialogControl {
public:
    explicit TSpellDialogControl(TSpellDialog* dialog) : dialog_(dialog) { Current() = dialog; }
    ~TSpellDialogControl() override
    {
        if (dialog_) {
            dialog_->hide();
            dialog_->deleteLater();
        }
    }
    void EnableControl(int control, bool on) override
    {
        // The engine greys every control at a stop before enabling the ones
        // that apply; the error label names the stop and must stay readable.
        if (control == scErrorLabel)
            return;
        if (dialog_ && control == scDialog)
            dialog_->setEnabled(on);
        else if (QWidget* w = dialog_ ? dialog_->Control(control) : nullptr)
            w->setEnabled(on);
    }
    void SetCaption(int control, const std::string& text) override
    {
        if (!dialog_)
            return;
        const QString caption = QString::fromStdString(text);
        if (control == scDialog)
            dialog_->setWindowTitle(caption);
        else if (control == scErrorLabel)
            dialog_->ErrorLabel()->setText(caption);
        else if (QPushButton* b = dialog_->Button(control))
            b->setText(caption);
    }
    void SetNotFound(const std::string& word) override
    {
        if (dialog_)
            dialog_->NotFound()->setText(QString::fromStdString(word));
    }
    std::string WordText() const override { return dialog_ ? dialog_->WordEdit()->text().toStdString() : std::string(); }
    void SetWordText(const std::string& text) override
    {
        if (dialog_)
            dialog_->WordEdit()->setText(QString::fromStdString(text));
    }
    void SetSuggestions(const std::vector<std::string>& items) override
    {
        if (!dialog_)
            return;
        QListWidget* box = dialog_->SuggestBox();
        const QSignalBlocker quiet(box);
        // The background generator adds one item at a time: keep what the
        // user is looking at (scroll position and chosen item) as it grows.
        const auto chosen = box->selectedItems();
        const QString current = chosen.isEmpty() ? QString() : chosen.front()->text();
        const int scroll = box->verticalScrollBar() ? box->verticalScrollBar()->value() : 0;
        box->clear();
        for (const std::string& s : items)
            box->addItem(QString::fromStdString(s));
        if (!current.isEmpty()) {
            const auto found = box->findItems(current, Qt::MatchExactly);
            if (!found.isEmpty())
                box->setCurrentItem(found.front(), QItemSelectionModel::ClearAndSelect);
        }
        if (box->verticalScrollBar())
            box->verticalScrollBar()->setValue(scroll);
    }
    void ShowDialog(bool visible, const TParserBounds& bounds) override
    {
        if (!dialog_)
            return;
        if (visible)
            dialog_->ShowClearOf(bounds);
        else
            dialog_->hide();
    }

private:
    QPointer<TSpellDialog> dialog_;
};

} // namespace

TSpellDialog::TSpellDialog(TSpellChecker& engine, QWidget* parent) : QDialog(parent), engine_(engine)
{
    setObjectName(QStringLiteral("TSpellDialog"));
    setWindowTitle(Str(ssSpellCheck));
    setModal(false);
    setFixedSize(386, 350);
    errorLabel_ = Placed<QLabel>(this, "ErrorLabel", Str(ssNotFound), {8, 8, 270, 16});
    notFound_ = Placed<QLineEdit>(this, "NotFound", {}, {8, 26, 270, 22});
    notFound_->setReadOnly(true);
    notFound_->setFocusPolicy(Qt::NoFocus);
    auto* action = Placed<QLabel>(this, "ActionLabel", QStringLiteral("&") + Str(ssReplaceWith), {8, 56, 270, 16});
    wordEdit_ = Placed<QLineEdit>(this, "WordEdit", {}, {8, 74, 270, 22});
    action->setBuddy(wordEdit_);
    auto* suggest = Placed<QLabel>(this, "SuggestLabel", QStringLiteral("&") + Str(ssSuggestions), {8, 104, 270, 16});
    suggestBox_ = Placed<QListWidget>(this, "SuggestBox", {}, {8, 122, 270, 220});
    suggest->setBuddy(suggestBox_);

    int y = 8;
    for (const ButtonRow& row : kButtons) {
        auto* b = Placed<QPushButton>(this, row.name, Str(row.caption), {290, y, 88, 24});
        b->setAutoDefault(false);
        buttons_[row.action] = b;
        const int act = row.action;
        connect(b, &QPushButton::clicked, this, [this, act] { Act(act); });
        // A little air between the groups: change, ignore, add, the rest.
        y += (row.action == saChange || row.action == saIgnore || row.action == saAutoCorrect
              || row.action == saOptions) ? 32 : 26;
    }
    buttons_[saChange]->setDefault(true);
    buttons_[saSuggest]->setEnabled(false);
    buttons_[saHelp]->setEnabled(false);  // the spell checker has no help topic

    connect(wordEdit_, &QLineEdit::textEdited, this, [this] { engine_.WordTextChanged(); });
    // Only a suggestion the user chose (clicked or reached with the keys)
    // goes into the word box. The list's current item alone is not enough:
    // the list makes its first item current when it receives the focus
    // (the button that had it was disabled at the next stop), which would
    // pick the first suggestion behind the user's back.
    connect(suggestBox_, &QListWidget::itemSelectionChanged, this, [this] {
        const auto chosen = suggestBox_->selectedItems();
        if (chosen.isEmpty() || chosen.front()->text().isEmpty())
            return;
        wordEdit_->setText(chosen.front()->text());
        engine_.WordTextChanged();
    });
}

QPushButton* TSpellDialog::Button(int action) const
{
    return action >= 0 && action < scWordEdit ? buttons_[action] : nullptr;
}

QWidget* TSpellDialog::Control(int number) const
{
    switch (number) {
    case scWordEdit: return wordEdit_;
    case scSuggestBox: return suggestBox_;
    case scErrorLabel: return errorLabel_;
    default: return Button(number);
    }
}

void TSpellDialog::Act(int action)
{
    engine_.Action(action);
}

void TSpellDialog::ShowClearOf(const TParserBounds& bounds)
{
    QScreen* screen = nullptr;
    if (!bounds.selection.isEmpty())
        screen = QGuiApplication::screenAt(bounds.selection.center());
    if (!screen && parentWidget())
        screen = parentWidget()->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    QRect frame = frameGeometry();
    if (!placed_) {
        placed_ = true;
        if (parentWidget())  // centred on the main window before anything else
            frame.moveCenter(parentWidget()->frameGeometry().center());
        frame = FirstDialogPlace(frame, bounds.editor, area);
    }
    frame = AvoidWord(frame, bounds.selection, area);
    move(frame.topLeft());
    if (!isVisible())
        show();
    raise();
    activateWindow();
}

void TSpellDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    Act(saCancel);
}

void TSpellDialog::reject()
{
    Act(saCancel);
}

std::unique_ptr<TDialogControl> CreateSpellDialog(TSpellChecker& engine, QWidget* parent)
{
    return std::make_unique<TSpellDialogControl>(new TSpellDialog(engine, parent));
}

TSpellDialog* CurrentSpellDialog()
{
    return Current().data();
}

} // namespace vesk
