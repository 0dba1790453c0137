// The spell checker's configuration dialog and its two pages.
#include "spell/ConfigDialog.h"

#include "controls/Placed.h"
#include "platform/ProfileFile.h"
#include "spell/Dictionary.h"
#include "spell/SpellChecker.h"
#include "spell/SpellStrings.h"
#include "spell/StandardDialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>

namespace vesk {
namespace {

// A string of the table; its line breaks as Qt shows them.
QString Str(int id)
{
    return QString::fromStdString(SpellString(id)).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

void SelectRow(QListWidget* list, int row)
{
    if (list->count() == 0)
        return;
    list->setCurrentRow(std::clamp(row, 0, list->count() - 1));
}

} // namespace

// ---- Dictionaries ----------------------------------------------------------

TDictSheet::TDictSheet(TConfiguration& config, QWidget* parent) : QWidget(parent), config_(config)
{
    setObjectName(QStringLiteral("TDictSheet"));
    auto* mainGroup = Placed<QGroupBox>(this, "MainGroup", Str(ssMainDictionaries), {6, 4, 332, 112});
    mains_ = Placed<QListWidget>(mainGroup, "MainList", {}, {8, 20, 234, 84});
    auto* add = Placed<QPushButton>(mainGroup, "MainAdd", Str(ssMainAdd), {250, 20, 74, 24});
    auto* remove = Placed<QPushButton>(mainGroup, "MainRemove", Str(ssMainRemove), {250, 48, 74, 24});
    auto* up = Placed<QPushButton>(mainGroup, "MainUp", QStringLiteral("\u25B2"), {250, 80, 35, 24});
    auto* down = Placed<QPushButton>(mainGroup, "MainDown", QStringLiteral("\u25BC"), {289, 80, 35, 24});
    auto* userGroup = Placed<QGroupBox>(this, "UserGroup", Str(ssUserDictionaries), {6, 122, 332, 112});
    users_ = Placed<QListWidget>(userGroup, "UserList", {}, {8, 20, 234, 84});
    auto* userAdd = Placed<QPushButton>(userGroup, "UserAdd", Str(ssUserAdd), {250, 20, 74, 24});
    auto* userRemove = Placed<QPushButton>(userGroup, "UserRemove", Str(ssUserRemove), {250, 48, 74, 24});
    auto* userNew = Placed<QPushButton>(userGroup, "UserNew", Str(ssUserNew), {250, 76, 74, 24});
    auto* label = Placed<QLabel>(this, "AddWordsToLabel", Str(ssAddWordsTo), {10, 244, 110, 22});
    addTo_ = Placed<QComboBox>(this, "AddWordsTo", {}, {122, 244, 216, 22});
    label->setBuddy(addTo_);

    connect(add, &QPushButton::clicked, this, &TDictSheet::AddMain);
    connect(remove, &QPushButton::clicked, this, &TDictSheet::RemoveMain);
    connect(up, &QPushButton::clicked, this, [this] { MoveMain(-1); });
    connect(down, &QPushButton::clicked, this, [this] { MoveMain(1); });
    connect(userAdd, &QPushButton::clicked, this, &TDictSheet::AddUser);
    connect(userRemove, &QPushButton::clicked, this, &TDictSheet::RemoveUser);
    connect(userNew, &QPushButton::clicked, this, &TDictSheet::NewUser);
    connect(mains_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = mains_->row(item);
        if (filling_ || row < 0 || std::size_t(row) >= config_.mains.size())
            return;
        const bool on = item->checkState() == Qt::Checked;
        const QString& path = config_.mains[std::size_t(row)].path;
        if (on && !QFileInfo(path).isFile()) {
            // A dictionary whose file has gone cannot be put in use: the
            // check would only report it again.
            StandardMessage(this, QMessageBox::Information, Str(ssConfigCaption),
                            Str(ssNotLocated) + QStringLiteral("\n\n") + path, QMessageBox::Ok);
            const QSignalBlocker quiet(mains_);
            item->setCheckState(Qt::Unchecked);
            return;
        }
        config_.mains[std::size_t(row)].inUse = on;
        emit changed();
    });
    connect(users_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        const int row = users_->row(item);
        if (filling_ || row < 0 || std::size_t(row) >= config_.users.size())
            return;
        config_.users[std::size_t(row)].inUse = item->checkState() == Qt::Checked;
        emit changed();
    });
    connect(addTo_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (filling_ || index == config_.userIndex)
            return;
        config_.userIndex = index;
        emit changed();
    });
    Fill();
    SelectRow(mains_, 0);
    SelectRow(users_, 0);
}

QPushButton* TDictSheet::Button(const char* name) const
{
    return findChild<QPushButton*>(QString::fromLatin1(name));
}

QString TDictSheet::Folder() const
{
    return QFileInfo(config_.FileName()).absolutePath();
}

void TDictSheet::Fill()
{
    filling_ = true;
    const int row = mains_->currentRow();
    mains_->clear();
    for (std::size_t i = 0; i < config_.mains.size(); ++i) {
        QString title = i < config_.titles.size() ? QString::fromStdString(config_.titles[i]).trimmed() : QString();
        if (title.isEmpty())
            title = QFileInfo(config_.mains[i].path).fileName();
        auto* item = new QListWidgetItem(title, mains_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(config_.mains[i].inUse ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(config_.mains[i].path);
        if (!QFileInfo(config_.mains[i].path).isFile()) {
            // Listed all the same, so the user can see it and remove it.
            item->setForeground(palette().brush(QPalette::Disabled, QPalette::Text));
            item->setToolTip(Str(ssNotLocated) + QStringLiteral("\n\n") + config_.mains[i].path);
        }
    }
    if (row >= 0)
        SelectRow(mains_, row);
    filling_ = false;
    FillUsers();
}

void TDictSheet::FillUsers()
{
    filling_ = true;
    const int row = users_->currentRow();
    users_->clear();
    addTo_->clear();
    for (const TDictionaryEntry& e : config_.users) {
        const QString name = QFileInfo(e.path).fileName().toLower();
        auto* item = new QListWidgetItem(name, users_);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(e.inUse ? Qt::Checked : Qt::Unchecked);
        item->setToolTip(e.path);
        addTo_->addItem(name);
    }
    addTo_->setCurrentIndex(config_.userIndex);
    if (row >= 0)
        SelectRow(users_, row);
    filling_ = false;
}

void TDictSheet::AddMain()
{
    const QString path = StandardOpenFile(this, Str(ssOpenMain), Folder(),
                                          Str(ssDictionaryFiles) + QStringLiteral(" (*.dct)"), QStringLiteral("dct"));
    if (path.isEmpty())
        return;
    for (std::size_t i = 0; i < config_.mains.size(); ++i)
        if (QFileInfo(config_.mains[i].path) == QFileInfo(path)) {
            SelectRow(mains_, int(i));
            return;
        }
    // Only a sound dictionary is listed: a wrong file would fail every check.
    TDictionary probe;
    if (auto why = probe.Open(path)) {
        StandardMessage(this, QMessageBox::Information, Str(ssConfigCaption),
                        QString::fromStdString(SpellString(ssUnableToFind)) + QStringLiteral("\n") + path
                            + QStringLiteral("\n(") + QString::fromStdString(*why) + QStringLiteral(")"),
                        QMessageBox::Ok);
        return;
    }
    config_.mains.push_back({config_.mains.empty(), path});
    config_.titles.push_back(probe.Title());
    Fill();
    SelectRow(mains_, int(config_.mains.size()) - 1);
    emit changed();
}

void TDictSheet::RemoveMain()
{
    const int row = mains_->currentRow();
    if (row < 0 || std::size_t(row) >= config_.mains.size())
        return;
    config_.mains.erase(config_.mains.begin() + row);
    if (std::size_t(row) < config_.titles.size())
        config_.titles.erase(config_.titles.begin() + row);
    Fill();
    SelectRow(mains_, row);
    emit changed();
}

void TDictSheet::MoveMain(int by)
{
    const int row = mains_->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || std::size_t(to) >= config_.mains.size())
        return;
    config_.titles.resize(config_.mains.size());
    std::swap(config_.mains[std::size_t(row)], config_.mains[std::size_t(to)]);
    std::swap(config_.titles[std::size_t(row)], config_.titles[std::size_t(to)]);
    Fill();
    SelectRow(mains_, to);
    emit changed();
}

void TDictSheet::AddUser()
{
    const QString path = StandardOpenFile(this, Str(ssOpenUser), Folder(),
                                          Str(ssUserDictionaryFilter) + QStringLiteral(" (*.udt *.dic)"),
                                          QStringLiteral("udt"));
    if (path.isEmpty())
        return;
    for (std::size_t i = 0; i < config_.users.size(); ++i)
        if (QFileInfo(config_.users[i].path) == QFileInfo(path)) {
            SelectRow(users_, int(i));
            return;
        }
    config_.users.push_back({true, path});
    FillUsers();
    SelectRow(users_, int(config_.users.size()) - 1);
    emit changed();
}

void TDictSheet::RemoveUser()
{
    const int row = users_->currentRow();
    if (row < 0 || std::size_t(row) >= config_.users.size())
        return;
    config_.users.erase(config_.users.begin() + row);
    if (config_.userIndex == row)
        config_.userIndex = -1;
    else if (config_.userIndex > row)
        --config_.userIndex;
    FillUsers();
    SelectRow(users_, row);
    emit changed();
}

void TDictSheet::NewUser()
{
    const QString path = StandardSaveFile(this, Str(ssNewUser), Folder(),
                                          Str(ssUserDictionaryFile) + QStringLiteral(" (*.udt)"), QStringLiteral("udt"));
    if (path.isEmpty())
        return;
    int at = -1;
    for (std::size_t i = 0; i < config_.users.size(); ++i)
        if (QFileInfo(config_.users[i].path) == QFileInfo(path))
            at = int(i);
    if (at < 0) {
        // The file itself is made when the first word is added to it.
        config_.users.push_back({true, path});
        at = int(config_.users.size()) - 1;
    }
    FillUsers();
    SelectRow(users_, at);
    emit changed();
}

// ---- Options ------------------------------------------------------------------

TSpellOptionsSheet::TSpellOptionsSheet(TConfiguration& config, TSpellChecker& engine, QWidget* parent)
    : QWidget(parent), config_(config)
{
    setObjectName(QStringLiteral("TSpellOptionsSheet"));
    struct Group {
        const char* name;
        int caption;
        std::vector<TSpellOption> options;
    };
    const Group groups[] = {
        {"IgnoreGroup", ssIgnoreGroup, {soUpcase, soNumbers, soHTML, soInternet, soQuoted}},
        {"SuggestionsGroup", ssSuggestionsGroup, {soAutoSuggest, soPrimaryOnly}},
        {"GeneralGroup", ssGeneralGroup, {soRecheck, soRepeated, soDualCaps, soUser1, soUser2, soUser3, soUser4}},
    };
    const TSpellOptions visible = engine.VisibleOptions();
    int y = 4;
    for (const Group& g : groups) {
        std::vector<TSpellOption> shown;
        for (TSpellOption o : g.options)
            if (visible & o)
                shown.push_back(o);
        if (shown.empty())
            continue;  // a group with nothing to show takes no room
        const int height = 22 + 22 * int(shown.size());
        auto* box = Placed<QGroupBox>(this, g.name, Str(g.caption), {6, y, 332, height});
        int row = 20;
        for (TSpellOption o : shown) {
            int bit = 0;
            while ((1u << bit) != o)
                ++bit;
            auto* check = Placed<QCheckBox>(box, "", Str(ssFirstOption + bit), {10, row, 312, 20});
            check->setObjectName(QStringLiteral("Option%1").arg(unsigned(o)));
            check->setChecked(config_.options & o);
            connect(check, &QCheckBox::toggled, this, [this, o](bool on) {
                if (on)
                    config_.options |= o;
                else
                    config_.options &= ~TSpellOptions(o);
                emit changed();
            });
            boxes_.emplace_back(o, check);
            row += 22;
        }
        y += height + 6;
    }
    // The two lists belong to the engine, not to the configuration: they
    // are emptied at once.
    auto* resetIgnore = Placed<QPushButton>(this, "ResetIgnoreAll", Str(ssResetIgnoreAll), {6, y + 4, 160, 26});
    auto* resetChange = Placed<QPushButton>(this, "ResetChangeAll", Str(ssResetChangeAll), {178, y + 4, 160, 26});
    connect(resetIgnore, &QPushButton::clicked, this, [&engine] { engine.ResetIgnoreAll(); });
    connect(resetChange, &QPushButton::clicked, this, [&engine] { engine.ResetChangeAll(); });
}

QCheckBox* TSpellOptionsSheet::Box(TSpellOption option) const
{
    for (const auto& [o, box] : boxes_)
        if (o == option)
            return box;
    return nullptr;
}

// ---- the dialog -----------------------------------------------------------------

TConfigDialog::TConfigDialog(TSpellChecker& engine, QWidget* parent)
    : QDialog(parent), config_(engine.Configuration())
{
    setObjectName(QStringLiteral("TConfigDialog"));
    setWindowTitle(Str(ssConfigCaption));
    setFixedSize(364, 344);
    pages_ = Placed<QTabWidget>(this, "PageControl", {}, {8, 8, 348, 296});
    dictSheet_ = new TDictSheet(config_, pages_);
    optionsSheet_ = new TSpellOptionsSheet(config_, engine, pages_);
    pages_->addTab(dictSheet_, Str(ssDictionaries));
    pages_->addTab(optionsSheet_, Str(ssOptionsPage));
    ok_ = Placed<QPushButton>(this, "OKBtn", Str(ssOk), {118, 312, 75, 25});
    cancel_ = Placed<QPushButton>(this, "CancelBtn", Str(ssCancelButton), {199, 312, 75, 25});
    auto* help = Placed<QPushButton>(this, "HelpBtn", Str(ssHelp), {280, 312, 75, 25});
    help->setEnabled(false);  // the spell checker has no help topic
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &TConfigDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &TConfigDialog::reject);
    connect(dictSheet_, &TDictSheet::changed, this, [this] { changed_ = true; });
    connect(optionsSheet_, &TSpellOptionsSheet::changed, this, [this] { changed_ = true; });
}

void TConfigDialog::accept()
{
    try {
        config_.Save();
    } catch (const EIniFileException& e) {
        StandardMessage(this, QMessageBox::Critical, windowTitle(), QString::fromUtf8(e.what()), QMessageBox::Ok);
        return;
    }
    changed_ = false;
    QDialog::accept();
}

bool TConfigDialog::MayLeave()
{
    if (!changed_)
        return true;
    return StandardMessage(this, QMessageBox::Question, windowTitle(), Str(ssExitWithoutSaving),
                           QMessageBox::Yes | QMessageBox::No)
           == QMessageBox::Yes;
}

void TConfigDialog::reject()
{
    if (MayLeave()) {
        changed_ = false;
        QDialog::reject();
    }
}

void TConfigDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    reject();
}

bool RunConfigDialog(TSpellChecker& engine, QWidget* parent)
{
    TConfigDialog dialog(engine, parent);
    return dialog.exec() == QDialog::Accepted;
}

} // namespace vesk
