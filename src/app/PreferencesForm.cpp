// The preferences dialog: its frame and bottom buttons, reading and writing, and the pages of codes,
// quick codes, programs, preferred files and the validator.
#include "app/PreferencesForm.h"

#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "platform/HelpTopics.h"
#include "platform/HelpWindow.h"
#include "platform/Launcher.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vesk {
namespace {

constexpr int kHelpTopics[TForm2::kPageCount] = {
    kHelpPreferences, kHelpSingleCodes,    kHelpSECodes,       kHelpQuickCodes, kHelpBrowsers,
    kHelpViewers,     kHelpPreferredFiles, kHelpUploaderSetup, kHelpUploadBin,  kHelpValidatorVersion,
};

constexpr const char* kPageCaptions[TForm2::kPageCount] = {
    "Preferences", "Single Codes",   "S/E Codes",  "Quick Codes", "Browsers",
    "Viewers",     "Preferred Files", "Uploader Setup", "Upload Bin", "Validator",
};

const char* const kProgramFilter = "Programs (*.exe)|*.exe|All Files (*.*)|*.*";

// The quick-code tree in node order: caption, parent node (-1 at the top),
// the wizard page it opens (-1 for a group) and whether that page finishes
// the item.
struct TQuickNode {
    const char* caption;
    int parent;
    int wizardPage;
    bool finish;
};
constexpr TQuickNode kQuickNodes[] = {
    {"Web Site Shell", -1, 0, false}, {"Font", -1, 14, true},      {"Line", -1, 11, true},
    {"Picture or Image", -1, 6, false}, {"HyperLinks", -1, -1, false}, {"HREF", 4, 9, true},
    {"NAME", 4, 10, true},            {"Lists", -1, -1, false},    {"Numbered", 7, 16, true},
    {"Bullets", 7, 15, true},         {"Dictionary", 7, 17, true}, {"Menu", 7, 18, true},
    {"Copyright", -1, 12, false},
};

const char* const kCodeTitles[2] = {"Single Codes", "S/E Codes"};

QString Plural(int n, const char* one, const char* many)
{
    return QString::number(n) + QString::fromLatin1(n == 1 ? one : many);
}

Qt::CheckState ToCheckState(int check)
{
    return check == kCodeUnchecked ? Qt::Unchecked : check == kCodeGreyed ? Qt::PartiallyChecked : Qt::Checked;
}

int FromCheckState(Qt::CheckState state)
{
    return state == Qt::Unchecked ? kCodeUnchecked : state == Qt::PartiallyChecked ? kCodeGreyed : kCodeChecked;
}

// Where a button keeps its caption as designed, mnemonic included.
constexpr const char* kCaptionProperty = "veskCaption";

// The caption with its accelerator marker taken out ("&&" stays a literal "&").
QString WithoutMnemonic(const QString& caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            out += caption[i];
        } else if (i + 1 < caption.size() && caption[i + 1] == QLatin1Char('&')) {
            out += QStringLiteral("&&");
            ++i;
        }
    }
    return out;
}

QLabel* BuddyLabel(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TForm2::TForm2(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("HTML Vesk Preferences"));
    setModal(true);
    OpenFileDialog = [this](const QString& folder) {
        return QFileDialog::getOpenFileName(this, QString(), folder,
            QtFileFilter(QStringLiteral("Web Page (*.htm or *.html)|*.htm;*.html|Text File (*.txt)|*.txt|All Files (*.*)|*.*")));
    };
    ProgramDialog = [this](const QString& folder) {
        // Linux programs have no extension: all files are shown first.
        QString all = QStringLiteral("All Files (*)");
        return QFileDialog::getOpenFileName(this, QString(), folder, QtFileFilter(QString::fromLatin1(kProgramFilter)), &all);
    };
    InputQuery = [this](const QString& title, const QString& prompt) -> std::optional<QString> {
        bool ok = false;
        const QString text = QInputDialog::getText(this, title, prompt, QLineEdit::Normal, QString(), &ok);
        return ok ? std::optional<QString>(text) : std::nullopt;
    };

    auto* layout = new QVBoxLayout(this);
    PageControl = Named(new QTabWidget(this), "PageControl1");
    // Every page's tab in sight: the dialog grows to the width of all ten
    // rather than hiding some behind scroll arrows.
    PageControl->setUsesScrollButtons(false);
    PageControl->tabBar()->setExpanding(false);
    layout->addWidget(PageControl);
    for (int page = 0; page < kPageCount; ++page)
        PageControl->addTab(BuildPage(page), QString::fromLatin1(kPageCaptions[page]));

    auto* buttons = new QHBoxLayout();
    buttons->addStretch(1);
    OKBtn = Named(new QPushButton(QStringLiteral("&O K"), this), "OKBtn");
    CancelBtn = Named(new QPushButton(QStringLiteral("&Cancel"), this), "CancelBtn");
    ApplyBtn = Named(new QPushButton(QStringLiteral("&Apply"), this), "ApplyBtn");
    HelpBtn = Named(new QPushButton(QStringLiteral("&Help"), this), "HelpBtn");
    for (QPushButton* b : {OKBtn, CancelBtn, ApplyBtn, HelpBtn}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    OKBtn->setDefault(true);
    ApplyBtn->setEnabled(false);
    layout->addLayout(buttons);
    // A fixed border: the dialog is as large as its largest page needs.
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(OKBtn, &QPushButton::clicked, this, [this]() { OKBtnClick(); });
    connect(CancelBtn, &QPushButton::clicked, this, [this]() { CancelBtnClick(); });
    connect(ApplyBtn, &QPushButton::clicked, this, [this]() { ApplyBtnClick(); });
    connect(HelpBtn, &QPushButton::clicked, this, [this]() { HelpBtnClick(); });
    connect(PageControl, &QTabWidget::currentChanged, this, [this]() { ResolveMnemonics(); });
    ReadSettings();
    ResolveMnemonics();
}

// ---- pages ------------------------------------------------------------------------

QWidget* TForm2::BuildPage(int page)
{
    switch (page) {
    case pgPreferences: return BuildPreferencesPage();
    case pgSingleCodes: return BuildCodePage(0);
    case pgSECodes: return BuildCodePage(1);
    case pgQuickCodes: return BuildQuickCodesPage();
    case pgBrowsers: return BuildBrowsersPage();
    case pgViewers: return BuildViewersPage();
    case pgPreferredFiles: return BuildPreferredPage();
    case pgUploaderSetup: return BuildUploaderSetupPage();
    case pgUploadBin: return BuildUploadBinPage();
    default: return BuildValidatorPage();
    }
}

QWidget* TForm2::BuildPreferencesPage()
{
    auto* page = Named(new QWidget(), "PreferencesPage");
    auto* layout = new QVBoxLayout(page);
    // On Linux the switches act on the desktop's file associations.
    auto* desktop = Named(new QGroupBox(QStringLiteral("Desktop Options"), page), "ExplorerGroup");
    auto* d = new QVBoxLayout(desktop);
    HtmCheck = Named(new QCheckBox(QStringLiteral("Associate with *.htm files"), desktop), "HtmCheck");
    TxtCheck = Named(new QCheckBox(QStringLiteral("Associate with *.txt files"), desktop), "TxtCheck");
    EditCheck = Named(new QCheckBox(QStringLiteral("Add Edit to popup"), desktop), "EditCheck");
    for (QCheckBox* c : {HtmCheck, TxtCheck, EditCheck}) {
        d->addWidget(c);
        connect(c, &QCheckBox::clicked, this, [this]() { MarkChanged(); });
    }
    layout->addWidget(desktop);

    auto* closing = Named(new QGroupBox(QStringLiteral("Automatic Functions when Closing Files"), page), "AutoGroup");
    auto* c = new QGridLayout(closing);
    const char* captions[] = {"Update Dates", "Check Spelling", "Save Changes", "Backup Before Overwriting",
                              "Add File to Upload List", "Upload New Files", "Validate HTML Code"};
    for (std::size_t i = 0; i < AutoChecks.size(); ++i) {
        AutoChecks[i] = new QCheckBox(QString::fromLatin1(captions[i]), closing);
        AutoChecks[i]->setObjectName(QStringLiteral("AutoCheck%1").arg(i));
        c->addWidget(AutoChecks[i], int(i % 4), int(i / 4));
        // Only the first four mark the dialog changed; OK saves all seven.
        if (i < 4)
            connect(AutoChecks[i], &QCheckBox::clicked, this, [this]() { MarkChanged(); });
    }
    layout->addWidget(closing);
    layout->addStretch(1);
    return page;
}

QWidget* TForm2::BuildCodePage(int which)
{
    auto* page = Named(new QWidget(), which == 0 ? "SingleCodesPage" : "SECodesPage");
    auto* layout = new QGridLayout(page);
    const QString title = QString::fromLatin1(kCodeTitles[which]);
    auto* hint = new QLabel(QStringLiteral("Check the codes to show on the ") + title
                                + QStringLiteral(" bar. Add your own codes, with attributes if you like."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint, 0, 0, 1, 2);
    CodeLists[which] = new QListWidget(page);
    CodeLists[which]->setObjectName(which == 0 ? QStringLiteral("SingleList") : QStringLiteral("SEList"));
    layout->addWidget(CodeLists[which], 1, 0, 4, 1);
    CodeCounts[which] = new QLabel(page);
    CodeAddBtns[which] = new QPushButton(QStringLiteral("&Add"), page);
    CodeRemoveBtns[which] = new QPushButton(QStringLiteral("&Remove"), page);
    CodeRemoveBtns[which]->setEnabled(false);
    layout->addWidget(CodeCounts[which], 1, 1);
    layout->addWidget(CodeAddBtns[which], 2, 1);
    layout->addWidget(CodeRemoveBtns[which], 3, 1);
    layout->setRowStretch(4, 1);
    connect(CodeAddBtns[which], &QPushButton::clicked, this, [this, which]() { AddCodeClick(which == 1); });
    connect(CodeRemoveBtns[which], &QPushButton::clicked, this, [this, which]() { RemoveCodeClick(which == 1); });
    connect(CodeLists[which], &QListWidget::itemSelectionChanged, this, [this, which]() {
        CodeRemoveBtns[which]->setEnabled(!CodeLists[which]->selectedItems().isEmpty());
    });
    // Checking a code only refreshes the count: it does not mark the dialog changed.
    connect(CodeLists[which], &QListWidget::itemChanged, this, [this, which]() { UpdateCodeCount(which); });
    return page;
}

QWidget* TForm2::BuildQuickCodesPage()
{
    auto* page = Named(new QWidget(), "QuickCodesPage");
    auto* layout = new QVBoxLayout(page);
    auto* hint = new QLabel(QStringLiteral("The quick codes are built from the answers you give the Quick Code "
                                           "Setup Wizard. Choose a code and open the wizard to change it."),
                            page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    QuickTree = Named(new QTreeWidget(page), "QuickTree");
    QuickTree->setHeaderHidden(true);
    QuickTree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (const TQuickNode& node : kQuickNodes) {
        auto* item = node.parent < 0 ? new QTreeWidgetItem(QuickTree)
                                     : new QTreeWidgetItem(quickNodes_[std::size_t(node.parent)]);
        item->setText(0, QString::fromLatin1(node.caption));
        item->setData(0, Qt::UserRole, int(quickNodes_.size()));
        quickNodes_.push_back(item);
    }
    layout->addWidget(QuickTree, 1);
    OpenWizardBtn = Named(new QPushButton(QStringLiteral("&Open Quick Codes Wizard"), page), "OpenWizardBtn");
    OpenWizardBtn->setEnabled(false);
    auto* row = new QHBoxLayout();
    row->addStretch(1);
    row->addWidget(OpenWizardBtn);
    layout->addLayout(row);
    connect(QuickTree, &QTreeWidget::itemSelectionChanged, this, [this]() { QuickTreeSelect(); });
    connect(QuickTree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        QuickTree->setCurrentItem(item);
        if (OpenWizardBtn->isEnabled())
            OpenWizardClick();
    });
    connect(OpenWizardBtn, &QPushButton::clicked, this, [this]() { OpenWizardClick(); });
    return page;
}

QWidget* TForm2::BuildBrowsersPage()
{
    auto* page = Named(new QWidget(), "BrowsersPage");
    auto* layout = new QGridLayout(page);
    for (int i = 0; i < kBrowserCount; ++i) {
        BrowserEdits[std::size_t(i)] = new QLineEdit(page);
        BrowserEdits[std::size_t(i)]->setObjectName(QStringLiteral("BrowserEdit%1").arg(i + 1));
        BrowserEdits[std::size_t(i)]->setMinimumWidth(300);
        BrowserBrowseBtns[std::size_t(i)] = new QPushButton(QStringLiteral("..."), page);
        BrowserBrowseBtns[std::size_t(i)]->setObjectName(QStringLiteral("BrowserBrowse%1").arg(i + 1));
        BrowserBrowseBtns[std::size_t(i)]->setToolTip(QStringLiteral("Choose the program"));
        layout->addWidget(BuddyLabel(QStringLiteral("Browser &%1:").arg(i + 1), BrowserEdits[std::size_t(i)], page),
                          2 * i, 0, 1, 3);
        layout->addWidget(BrowserEdits[std::size_t(i)], 2 * i + 1, 0);
        layout->addWidget(BrowserBrowseBtns[std::size_t(i)], 2 * i + 1, 1);
        QLineEdit* field = BrowserEdits[std::size_t(i)];
        connect(field, &QLineEdit::textEdited, this, [this]() { MarkChanged(); });
        connect(BrowserBrowseBtns[std::size_t(i)], &QPushButton::clicked, this, [this, field]() { BrowseClick(field); });
    }
    BrowserDefaultBtn = Named(new QPushButton(QStringLiteral("Default"), page), "BrowserDefaultBtn");
    BrowserDefaultBtn->setToolTip(QStringLiteral("The desktop's program for web pages"));
    layout->addWidget(BrowserDefaultBtn, 1, 2);
    connect(BrowserDefaultBtn, &QPushButton::clicked, this, [this]() { DefaultClick(BrowserEdits[0]); });
    auto* hint = new QLabel(QStringLiteral("\"%1\" in a command stands for the page; without it the page is added at the end."), page);
    hint->setWordWrap(true);
    layout->addWidget(hint, 2 * kBrowserCount, 0, 1, 3);
    layout->setRowStretch(2 * kBrowserCount + 1, 1);
    return page;
}

QWidget* TForm2::BuildViewersPage()
{
    auto* page = Named(new QWidget(), "ViewersPage");
    auto* layout = new QGridLayout(page);
    const char* captions[] = {"&GIF Viewer:", "&JPG Viewer:", "&BMP Viewer:"};
    const char* names[] = {"GifEdit", "JpgEdit", "BmpEdit"};
    for (std::size_t i = 0; i < ViewerEdits.size(); ++i) {
        ViewerEdits[i] = Named(new QLineEdit(page), names[i]);
        ViewerEdits[i]->setMinimumWidth(300);
        ViewerBrowseBtns[i] = new QPushButton(QStringLiteral("..."), page);
        ViewerBrowseBtns[i]->setObjectName(QStringLiteral("ViewerBrowse%1").arg(i));
        ViewerBrowseBtns[i]->setToolTip(QStringLiteral("Choose the program"));
        ViewerDefaultBtns[i] = new QPushButton(QStringLiteral("Default"), page);
        ViewerDefaultBtns[i]->setObjectName(QStringLiteral("ViewerDefault%1").arg(i));
        ViewerDefaultBtns[i]->setToolTip(QStringLiteral("The desktop's program for these pictures"));
        const int row = 2 * int(i);
        layout->addWidget(BuddyLabel(QString::fromLatin1(captions[i]), ViewerEdits[i], page), row, 0, 1, 3);
        layout->addWidget(ViewerEdits[i], row + 1, 0);
        layout->addWidget(ViewerBrowseBtns[i], row + 1, 1);
        layout->addWidget(ViewerDefaultBtns[i], row + 1, 2);
        QLineEdit* field = ViewerEdits[i];
        connect(field, &QLineEdit::textEdited, this, [this]() { MarkChanged(); });
        connect(ViewerBrowseBtns[i], &QPushButton::clicked, this, [this, field]() { BrowseClick(field); });
        connect(ViewerDefaultBtns[i], &QPushButton::clicked, this, [this, field]() { DefaultClick(field); });
    }
    layout->setRowStretch(2 * int(ViewerEdits.size()), 1);
    return page;
}

QWidget* TForm2::BuildPreferredPage()
{
    auto* page = Named(new QWidget(), "PreferredFilesPage");
    auto* layout = new QGridLayout(page);
    auto* hint = new QLabel(QStringLiteral("Up to 9 files you open often: they stay in File > Reopen."), page);
    hint->setWordWrap(true);
    layout->addWidget(hint, 0, 0, 1, 2);
    PreferredList = Named(new QListWidget(page), "PreferredList");
    PreferredCount = Named(new QLabel(page), "PreferredCount");
    PreferredAddBtn = Named(new QPushButton(QStringLiteral("&Add"), page), "PreferredAddBtn");
    PreferredRemoveBtn = Named(new QPushButton(QStringLiteral("&Remove"), page), "PreferredRemoveBtn");
    PreferredCurrentBtn = Named(new QPushButton(QStringLiteral("Add &Current Page"), page), "PreferredCurrentBtn");
    PreferredRemoveBtn->setEnabled(false);
    layout->addWidget(PreferredCount, 1, 0, 1, 2);
    layout->addWidget(PreferredList, 2, 0, 4, 1);
    layout->addWidget(PreferredAddBtn, 2, 1);
    layout->addWidget(PreferredRemoveBtn, 3, 1);
    layout->addWidget(PreferredCurrentBtn, 4, 1);
    layout->setRowStretch(5, 1);
    connect(PreferredAddBtn, &QPushButton::clicked, this, [this]() { AddPreferredClick(); });
    connect(PreferredRemoveBtn, &QPushButton::clicked, this, [this]() { RemovePreferredClick(); });
    connect(PreferredCurrentBtn, &QPushButton::clicked, this, [this]() { AddCurrentPreferredClick(); });
    connect(PreferredList, &QListWidget::itemSelectionChanged, this, [this]() {
        PreferredRemoveBtn->setEnabled(!PreferredList->selectedItems().isEmpty());
    });
    return page;
}

QWidget* TForm2::BuildValidatorPage()
{
    auto* page = Named(new QWidget(), "ValidatorPage");
    auto* layout = new QVBoxLayout(page);
    auto* group = Named(new QGroupBox(QStringLiteral("HTML Version"), page), "VersionGroup");
    auto* g = new QVBoxLayout(group);
    const char* captions[] = {"2.0", "3.2", "4.0 (strict)", "4.0 (transitional)", "4.0 (frameset)"};
    for (std::size_t i = 0; i < VersionRadios.size(); ++i) {
        VersionRadios[i] = new QRadioButton(QString::fromLatin1(captions[i]), group);
        VersionRadios[i]->setObjectName(QStringLiteral("VersionRadio%1").arg(i));
        // Only HTML 4.0 strict has a rules file.
        VersionRadios[i]->setEnabled(i == 2);
        g->addWidget(VersionRadios[i]);
    }
    layout->addWidget(group);
    auto* hint = new QLabel(QStringLiteral("The validator checks pages against the rules of HTML 4.0 strict."), page);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    layout->addStretch(1);
    return page;
}

// ---- opening and the bottom buttons ---------------------------------------------------

int TForm2::ShowPage(int page)
{
    ReadSettings();
    SetPageIndex(page);
    return exec();
}

int TForm2::PageIndex() const
{
    return PageControl->currentIndex();
}

void TForm2::SetPageIndex(int page)
{
    if (page >= 0 && page < kPageCount)
        PageControl->setCurrentIndex(page);
}

int TForm2::HelpTopic(int page)
{
    return page >= 0 && page < kPageCount ? kHelpTopics[page] : kHelpContents;
}

void TForm2::OKBtnClick()
{
    // A page that could not be saved keeps the dialog open with the edits.
    if (!WriteSettings())
        return;
    if (FillToolBars)
        FillToolBars();
    accept();
}

void TForm2::CancelBtnClick()
{
    ReadSettings();
    if (FillToolBars)
        FillToolBars();
    QDialog::reject();
}

void TForm2::reject()
{
    CancelBtnClick();
}

void TForm2::ApplyBtnClick()
{
    if (WriteSettings())
        ApplyBtn->setEnabled(false);
}

void TForm2::HelpBtnClick()
{
    if (OnHelp)
        OnHelp(HelpTopic(PageIndex()));
}

void TForm2::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    ResolveMnemonics();
}

void TForm2::ResolveMnemonics()
{
    QSet<int> taken;
    const auto letter = [](const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        return key.isEmpty() ? 0 : key[0].toCombined();
    };
    QWidget* page = PageControl->currentWidget();
    const QList<QWidget*> onPage = page ? page->findChildren<QWidget*>() : QList<QWidget*>();
    // Labels cannot give their letter up; they lead the fields they name.
    for (QWidget* w : onPage) {
        if (auto* label = qobject_cast<QLabel*>(w); label && label->buddy() && letter(label->text()))
            taken.insert(letter(label->text()));
    }
    QList<QAbstractButton*> buttons;
    for (QWidget* w : onPage) {
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            buttons << b;
    }
    buttons << OKBtn << CancelBtn << ApplyBtn << HelpBtn;
    for (QAbstractButton* b : buttons) {
        // The caption as designed is kept, so a letter given up on one page
        // comes back on the next.
        if (!b->property(kCaptionProperty).isValid())
            b->setProperty(kCaptionProperty, b->text());
        const QString caption = b->property(kCaptionProperty).toString();
        const int key = letter(caption);
        if (!key)
            continue;
        // A button that gives its letter up shows no underline either, so
        // the underlined letters on screen are exactly the ones that act.
        const bool keeps = !taken.contains(key);
        if (keeps)
            taken.insert(key);
        const QString shown = keeps ? caption : WithoutMnemonic(caption);
        if (b->text() != shown)
            b->setText(shown);
    }
}

// ---- reading and writing ------------------------------------------------------------

void TForm2::ReadSettings()
{
    const TPreferences p = ReadPreferences();
    loading_ = true;
    FillCodeList(0, p.singleCodes);
    FillCodeList(1, p.seCodes);
    QuickTree->expandAll();
    QuickTree->clearSelection();
    QuickTree->scrollToItem(quickNodes_.front(), QAbstractItemView::PositionAtTop);
    OpenWizardBtn->setEnabled(false);
    for (int i = 0; i < kBrowserCount; ++i)
        BrowserEdits[std::size_t(i)]->setText(p.commands.browsers[std::size_t(i)]);
    ViewerEdits[0]->setText(p.commands.gifViewer);
    ViewerEdits[1]->setText(p.commands.jpgViewer);
    ViewerEdits[2]->setText(p.commands.bmpViewer);
    FillSiteList(p.siteNames, p.selectedSite);
    chooserNames_ = p.siteNames;
    SetSiteFields(p.siteFields);
    PreferredList->clear();
    PreferredList->addItems(p.preferredFiles);
    BinList->clear();
    BinList->addItems(p.uploadBin);
    HtmCheck->setChecked(p.associations.html);
    TxtCheck->setChecked(p.associations.txt);
    EditCheck->setChecked(p.associations.edit);
    const bool autoClose[] = {p.autoClose.updater, p.autoClose.spell, p.autoClose.saveChanges, p.autoClose.backup,
                              p.autoClose.addToUploadBin, p.autoClose.runUploader, p.autoClose.validator};
    for (std::size_t i = 0; i < AutoChecks.size(); ++i)
        AutoChecks[i]->setChecked(autoClose[i]);
    const bool versions[] = {p.versions.html20, p.versions.html32, p.versions.html40strict, p.versions.html40loose,
                             p.versions.html40frame};
    for (QRadioButton* r : VersionRadios)
        r->setAutoExclusive(false);  // the file may hold any combination; show it as it is
    for (std::size_t i = 0; i < VersionRadios.size(); ++i)
        VersionRadios[i]->setChecked(versions[i]);
    for (QRadioButton* r : VersionRadios)
        r->setAutoExclusive(true);
    PreferredRemoveBtn->setEnabled(false);
    BinRemoveBtn->setEnabled(false);
    UpdateSiteButtons();
    UpdateLoginFields();
    UpdatePreferredCount();
    UpdateBinCount();
    loading_ = false;
    TellSiteChooser();
    ApplyBtn->setEnabled(false);
}

TPreferences TForm2::Gather() const
{
    TPreferences p;
    p.singleCodes = CodeItems(0);
    p.seCodes = CodeItems(1);
    for (int i = 0; i < kBrowserCount; ++i)
        p.commands.browsers[std::size_t(i)] = BrowserEdits[std::size_t(i)]->text();
    p.commands.gifViewer = ViewerEdits[0]->text();
    p.commands.jpgViewer = ViewerEdits[1]->text();
    p.commands.bmpViewer = ViewerEdits[2]->text();
    for (int i = 0; i < PreferredList->count(); ++i)
        p.preferredFiles << PreferredList->item(i)->text();
    p.uploadBin = UploadBin();
    p.siteNames = SiteNames();
    p.selectedSite = SelectedSite();
    p.siteFields = SiteFields();
    p.associations = {HtmCheck->isChecked(), TxtCheck->isChecked(), EditCheck->isChecked()};
    p.autoClose.updater = AutoChecks[0]->isChecked();
    p.autoClose.spell = AutoChecks[1]->isChecked();
    p.autoClose.saveChanges = AutoChecks[2]->isChecked();
    p.autoClose.backup = AutoChecks[3]->isChecked();
    p.autoClose.addToUploadBin = AutoChecks[4]->isChecked();
    p.autoClose.runUploader = AutoChecks[5]->isChecked();
    p.autoClose.validator = AutoChecks[6]->isChecked();
    p.versions = {VersionRadios[0]->isChecked(), VersionRadios[1]->isChecked(), VersionRadios[2]->isChecked(),
                  VersionRadios[3]->isChecked(), VersionRadios[4]->isChecked()};
    return p;
}

bool TForm2::WriteSettings()
{
    const TPreferences p = Gather();
    try {
        WritePreferences(p);
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return false;
    }
    const FileTypeSettings before = ReadFileTypes();
    FileTypeSettings types = before;
    const QStringList problems = UpdateDesktopAssociations(p.associations, types, programPath);
    if (!(types == before)) {
        try {
            WriteFileTypes(types);
        } catch (const std::exception& e) {
            MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
            return false;
        }
    }
    if (!problems.isEmpty()) {
        // The switches show what is really in force.
        HtmCheck->setChecked(types.html);
        TxtCheck->setChecked(types.txt);
        EditCheck->setChecked(types.edit);
        MsgBox(QStringLiteral("The desktop's file associations could not be changed.") + QStringLiteral("\r\r")
                   + problems.join(QStringLiteral("\r\r")),
               QStringLiteral("Desktop Associations"), kMbOk, kSoundWarning);
    }
    return true;
}

void TForm2::MarkChanged()
{
    if (!loading_)
        ApplyBtn->setEnabled(true);
}

bool TForm2::Changed() const
{
    return ApplyBtn->isEnabled();
}

bool TForm2::Guarded(const std::function<void()>& body)
{
    try {
        body();
        return true;
    } catch (const std::exception& e) {
        MsgBox(QString::fromUtf8(e.what()), QStringLiteral("HTML Vesk"), kMbOk, kSoundError);
        return false;
    }
}

// ---- code lists -----------------------------------------------------------------------

void TForm2::FillCodeList(int which, const std::vector<CodeItem>& codes)
{
    QListWidget* list = CodeLists[std::size_t(which)];
    const QSignalBlocker block(list);
    list->clear();
    for (const CodeItem& c : codes) {
        auto* item = new QListWidgetItem(c.code, list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(ToCheckState(c.check));
    }
    CodeRemoveBtns[std::size_t(which)]->setEnabled(false);
    UpdateCodeCount(which);
}

std::vector<CodeItem> TForm2::CodeItems(int which) const
{
    std::vector<CodeItem> codes;
    const QListWidget* list = CodeLists[std::size_t(which)];
    for (int i = 0; i < list->count(); ++i)
        codes.push_back({list->item(i)->text(), FromCheckState(list->item(i)->checkState())});
    return codes;
}

void TForm2::UpdateCodeCount(int which)
{
    int checked = 0;
    const QListWidget* list = CodeLists[std::size_t(which)];
    for (int i = 0; i < list->count(); ++i)
        checked += list->item(i)->checkState() == Qt::Checked ? 1 : 0;
    CodeCounts[std::size_t(which)]->setText(QString::number(checked) + QStringLiteral(" Checked Items"));
}

void TForm2::AddCodeClick(bool seCodes)
{
    const int which = seCodes ? 1 : 0;
    const QString title = QString::fromLatin1(kCodeTitles[which]);
    const std::optional<QString> code =
        InputQuery ? InputQuery(QStringLiteral("Add ") + title + QStringLiteral(" Item"),
                                QStringLiteral("Enter the code to add to ") + title + QStringLiteral("."))
                   : std::nullopt;
    // An empty code could not be stored (it would end the list).
    if (!code || code->isEmpty())
        return;
    QListWidget* list = CodeLists[std::size_t(which)];
    const std::size_t at = SortedCodePlace(CodeItems(which), *code);
    auto* item = new QListWidgetItem(*code);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    {
        const QSignalBlocker block(list);
        list->insertItem(int(at), item);
    }
    MarkChanged();
    UpdateCodeCount(which);
}

void TForm2::RemoveCodeClick(bool seCodes)
{
    const int which = seCodes ? 1 : 0;
    QListWidget* list = CodeLists[std::size_t(which)];
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
    list->clearSelection();
    CodeRemoveBtns[std::size_t(which)]->setEnabled(false);
    MarkChanged();
    UpdateCodeCount(which);
}

// ---- quick codes ----------------------------------------------------------------------

void TForm2::QuickTreeSelect()
{
    const QList<QTreeWidgetItem*> selected = QuickTree->selectedItems();
    const int node = selected.isEmpty() ? -1 : selected.front()->data(0, Qt::UserRole).toInt();
    OpenWizardBtn->setEnabled(node >= 0 && kQuickNodes[node].wizardPage >= 0);
}

void TForm2::OpenWizardClick()
{
    const QList<QTreeWidgetItem*> selected = QuickTree->selectedItems();
    if (selected.isEmpty())
        return;
    const TQuickNode& node = kQuickNodes[selected.front()->data(0, Qt::UserRole).toInt()];
    if (node.wizardPage < 0)
        return;
    OpenWizardBtn->setEnabled(false);
    if (OnOpenWizard)
        OnOpenWizard(node.wizardPage, node.finish);
}

// ---- browsers and viewers ---------------------------------------------------------------

void TForm2::BrowseClick(QLineEdit* field)
{
    const QString program = ProgramDialog ? ProgramDialog(QDir::currentPath()) : QString();
    if (program.isEmpty())
        return;
    // One word, quoted when the path holds blanks, so the command reads it back whole.
    field->setText(JoinCommandLine({program}));
    MarkChanged();
}

void TForm2::DefaultClick(QLineEdit* field)
{
    if (field == BrowserEdits[0])
        field->setText(DefaultBrowserCommand());
    else if (field == ViewerEdits[0])
        field->setText(DefaultGifViewer());
    else if (field == ViewerEdits[1])
        field->setText(DefaultJpgViewer());
    else if (field == ViewerEdits[2])
        field->setText(DefaultBmpViewer());
    MarkChanged();
}

// ---- preferred files ------------------------------------------------------------------

void TForm2::UpdatePreferredCount()
{
    const int n = PreferredList->count();
    PreferredCount->setText(n == 0 ? QStringLiteral("No Preferred Files Entered")
                                   : Plural(n, " Preferred File Entered", " Preferred Files Entered"));
}

void TForm2::AddPreferredClick()
{
    if (PreferredList->count() >= kMaxPreferredFiles) {
        MsgBox(QStringLiteral("There are already 9 files. Please remove one and try again."),
               QStringLiteral("Too Many Files"), kMbOk, kSoundError);
        return;
    }
    const QString path = OpenFileDialog ? OpenFileDialog(lastOpenFolder_) : QString();
    if (path.isEmpty())
        return;
    lastOpenFolder_ = QFileInfo(path).absolutePath();
    PreferredList->addItem(path);
    UpdatePreferredCount();
    MarkChanged();
}

void TForm2::RemovePreferredClick()
{
    const QList<QListWidgetItem*> selected = PreferredList->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
    PreferredList->clearSelection();
    PreferredRemoveBtn->setEnabled(false);
    UpdatePreferredCount();
    MarkChanged();
}

void TForm2::AddCurrentPreferredClick()
{
    if (PreferredList->count() >= kMaxPreferredFiles) {
        MsgBox(QStringLiteral("There are already 9 files. Please remove one and try again."),
               QStringLiteral("Too Many Files"), kMbOk, kSoundError);
        return;
    }
    const QString path = CurrentPagePath(CurrentEditor ? CurrentEditor() : nullptr);
    if (path.isEmpty())
        return;
    PreferredList->addItem(path);
    UpdatePreferredCount();
    MarkChanged();
}

QString TForm2::CurrentPagePath(TVeskMemoFile* editor)
{
    if (!editor)
        return {};
    if (editor->FileName().isEmpty()) {
        if (MsgBox(QStringLiteral("The current page has not been saved.\r\rSave Now?"), QStringLiteral("Save?"),
                   kMbYesNo, kSoundError)
            != kMrYes)
            return {};
        if (SaveAs)
            SaveAs(*editor);
    }
    // Still untitled when the save dialog was cancelled: nothing to add.
    return editor->FileName();
}

} // namespace vesk
