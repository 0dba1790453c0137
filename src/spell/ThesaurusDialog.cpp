// The thesaurus dialog and the component that runs it.
#include "spell/ThesaurusDialog.h"

#include "controls/Placed.h"
#include "platform/ProgramFolder.h"
#include "spell/StandardDialogs.h"
#include "spell/ThesaurusLocate.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>

namespace vesk {
namespace {

constexpr int kEntryRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;

const char* const kPageNames[4] = {"Noun", "Verb", "Adj", "Adv."};

} // namespace

TThesaurusDialog::TThesaurusDialog(TThesaurus& owner, QWidget* parent) : QDialog(parent), owner_(owner)
{
    setObjectName(QStringLiteral("TThesaurusDialog"));
    setWindowTitle(owner.DialogCaption);
    if (owner.StayOnTop)
        setWindowFlag(Qt::WindowStaysOnTopHint);
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    resize(486, 268);
    setMinimumSize(486, 268);

    auto* wordLabel = Placed<QLabel>(this, "WordLabel", QStringLiteral("&Word:"), {8, 8, 190, 16});
    word_ = Placed<QLineEdit>(this, "WordBox", {}, {8, 24, 190, 22});
    wordLabel->setBuddy(word_);
    lookup_ = Placed<QPushButton>(this, "LookupBtn", QStringLiteral("&Lookup"), {204, 23, 75, 24});
    auto* meaningsLabel = Placed<QLabel>(this, "MeaningsLabel", QStringLiteral("&Meanings:"), {8, 54, 271, 16});
    meanings_ = Placed<QListWidget>(this, "MeaningsList", {}, {8, 70, 271, 158});
    meaningsLabel->setBuddy(meanings_);
    auto* topicLabel = Placed<QLabel>(this, "TopicLabel", QStringLiteral("T&opic:"), {288, 8, 190, 16});
    topics_ = Placed<QComboBox>(this, "TopicBox", {}, {288, 24, 190, 22});
    topicLabel->setBuddy(topics_);
    pages_ = Placed<QTabWidget>(this, "PageControl", {}, {288, 54, 190, 174});
    for (int k = 0; k < 4; ++k) {
        pageWidgets_[k] = new QWidget(pages_);
        pageWidgets_[k]->setObjectName(QString::fromLatin1(kPageNames[k]));
        lists_[k] = Placed<QListWidget>(pageWidgets_[k], "", {}, {2, 2, 180, 142});
        lists_[k]->setObjectName(QString::fromLatin1(kPageNames[k]) + QStringLiteral("List"));
        pages_->addTab(pageWidgets_[k], QString::fromLatin1(kPageNames[k]));
        pages_->setTabVisible(k, false);
    }
    replace_ = Placed<QPushButton>(this, "ReplaceBtn", QStringLiteral("&Replace"), {322, 236, 75, 25});
    cancel_ = Placed<QPushButton>(this, "CancelBtn", QStringLiteral("Cancel"), {403, 236, 75, 25});
    lookup_->setDefault(true);

    connect(lookup_, &QPushButton::clicked, this, &TThesaurusDialog::Lookup);
    connect(word_, &QLineEdit::returnPressed, this, &TThesaurusDialog::Lookup);
    connect(replace_, &QPushButton::clicked, this, [this] {
        result_ = word_->text();
        accept();
    });
    connect(cancel_, &QPushButton::clicked, this, [this] {
        result_.clear();
        reject();
    });
    const bool doubles = owner.DoubleClicks;
    auto onItem = [&](QListWidget* list, auto&& act) {
        if (doubles)
            connect(list, &QListWidget::itemDoubleClicked, this, act);
        else
            connect(list, &QListWidget::itemClicked, this, act);
    };
    onItem(meanings_, [this](QListWidgetItem* item) { ShowMeaning(meanings_->row(item)); });
    for (QListWidget* list : lists_)
        onItem(list, [this](QListWidgetItem* item) { LookupWord(item->text()); });
    connect(topics_, &QComboBox::activated, this, [this](int index) { LookupWord(topics_->itemText(index)); });
    FillTopics();
}

QListWidget* TThesaurusDialog::List(TThesKind kind) const
{
    return kind >= tkNoun && kind <= tkAdverb ? lists_[kind - 1] : nullptr;
}

void TThesaurusDialog::FillTopics()
{
    topics_->clear();
    topics_->addItems(owner_.History());
    topics_->setCurrentIndex(-1);
}

void TThesaurusDialog::LookupWord(const QString& word)
{
    word_->setText(word);
    Lookup();
}

void TThesaurusDialog::Lookup()
{
    meanings_->clear();
    const TThesaurusFile& file = owner_.File();
    const auto node = file.Lookup(word_->text().toStdString());
    if (!node) {
        meanings_->addItem(QStringLiteral("Not Found."));
        return;
    }
    int context = -1;
    for (const TThesLink& link : file.Links(*node)) {
        auto* item = new QListWidgetItem(
            QString::fromStdString(file.WordOf(file.Master(link.entry))) + QString::fromLatin1(ThesKindSuffix(link.kind)),
            meanings_);
        item->setData(kEntryRole, link.entry);
        item->setData(kKindRole, int(link.kind));
        if (link.kind == tkContext && context < 0)
            context = meanings_->count() - 1;
    }
    if (context >= 0) {
        meanings_->setCurrentRow(context);
        ShowMeaning(context);
    }
}

void TThesaurusDialog::ShowMeaning(int row)
{
    QListWidgetItem* item = meanings_->item(row);
    if (!item || !item->data(kEntryRole).isValid())
        return;
    const TThesaurusFile& file = owner_.File();
    const int entry = item->data(kEntryRole).toInt();
    const auto kind = TThesKind(item->data(kKindRole).toInt());
    const QString topic = QString::fromStdString(file.WordOf(file.Master(entry)));
    QStringList& history = owner_.History();
    if (!history.contains(topic)) {
        history.prepend(topic);
        FillTopics();
    }
    topics_->setCurrentIndex(int(history.indexOf(topic)));
    for (int k = 0; k < 4; ++k) {
        lists_[k]->clear();
        for (int w : file.Words(entry, TThesKind(k + 1)))
            lists_[k]->addItem(QString::fromStdString(file.WordOf(w)));
        pages_->setTabVisible(k, lists_[k]->count() > 0);
    }
    int page = kind == tkContext ? 0 : kind - 1;
    if (!pages_->isTabVisible(page))
        for (int k = 0; k < 4; ++k)
            if (pages_->isTabVisible(k)) {
                page = k;
                break;
            }
    pages_->setCurrentIndex(page);
    const auto found = lists_[page]->findItems(word_->text(), Qt::MatchExactly);
    if (!found.isEmpty())
        lists_[page]->setCurrentItem(found.front());
}

void TThesaurusDialog::closeEvent(QCloseEvent* e)
{
    result_.clear();
    QDialog::closeEvent(e);
}

// ---- the component ----------------------------------------------------------------

bool TThesaurus::Load(QWidget* parent)
{
    if (file_.IsOpen())
        return true;
    const QString folder = UseAppDir ? ProgramFolder() : QDir::currentPath();
    TThesaurusLocateHooks hooks;
    hooks.askLocate = [parent] {
        return StandardMessage(parent, QMessageBox::Information, QStringLiteral("Thesaurus"),
                               QString::fromLatin1(kLocateThesaurusQuestion).replace(QStringLiteral("\r\n"), QStringLiteral("\n")),
                               QMessageBox::Yes | QMessageBox::No)
               == QMessageBox::Yes;
    };
    hooks.chooseFile = [parent, folder] {
        return StandardOpenFile(parent, QStringLiteral("Locate Thesaurus File"), folder,
                                QStringLiteral("Thesaurus Files (*.thr *.THR)"), QStringLiteral("thr"));
    };
    const QString path = LocateThesaurus(folder, FileName, hooks);
    return !path.isEmpty() && !file_.Open(path);
}

QString TThesaurus::Execute(const QString& word, QWidget* parent)
{
    if (dialog_) {
        dialog_->raise();
        dialog_->activateWindow();
        return {};
    }
    if (!Load(parent)) {
        StandardMessage(parent, QMessageBox::Critical, DialogCaption, QStringLiteral("Unable to load thesaurus file."),
                        QMessageBox::Ok);
        return {};
    }
    auto* dialog = new TThesaurusDialog(*this, parent);
    dialog_ = dialog;
    if (bounds_.isValid()) {
        dialog->setGeometry(bounds_);
    } else {
        QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        if (screen) {
            QRect r = dialog->frameGeometry();
            r.moveCenter(screen->availableGeometry().center());
            dialog->move(r.topLeft());
        }
    }
    dialog->WordBox()->setText(word.toLower());
    dialog->Lookup();
    QEventLoop wait;
    QObject::connect(dialog, &QDialog::finished, &wait, &QEventLoop::quit);
    QObject::connect(dialog, &QObject::destroyed, &wait, &QEventLoop::quit);  // its parent went away
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
    wait.exec();
    if (!dialog_) {
        file_.Close();
        return {};
    }
    bounds_ = dialog->geometry();
    QString result = dialog->Result();
    delete dialog;
    if (DemandLoad)
        file_.Close();
    if (!result.isEmpty() && !word.isEmpty() && word.front() >= QLatin1Char('A') && word.front() <= QLatin1Char('Z'))
        result.front() = result.front().toUpper();
    return result;
}

} // namespace vesk
