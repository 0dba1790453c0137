// The preferences' uploader pages: the FTP site list with its fields, and the upload bin.
#include "app/PreferencesForm.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "settings/FileLists.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include <utility>

namespace vesk {
namespace {

template <class T>
T* Named(T* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLabel* BuddyLabel(const QString& caption, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

// ---- building -------------------------------------------------------------------------

QWidget* TForm2::BuildUploaderSetupPage()
{
    auto* page = Named(new QWidget(), "UploaderSetupPage");
    auto* layout = new QGridLayout(page);
    SiteNameEdit = Named(new QLineEdit(page), "SiteNameEdit");
    HostEdit = Named(new QLineEdit(page), "HostEdit");
    LoginEdit = Named(new QLineEdit(page), "LoginEdit");
    PasswordEdit = Named(new QLineEdit(page), "PasswordEdit");
    PasswordEdit->setEchoMode(QLineEdit::Password);
    DirectoryEdit = Named(new QLineEdit(page), "DirectoryEdit");
    EncryptionCombo = Named(new QComboBox(page), "EncryptionCombo");
    EncryptionCombo->addItems(EncryptionNames());
    AnonymousCheck = Named(new QCheckBox(QStringLiteral("&Anonymous"), page), "AnonymousCheck");
    AnonymousCheck->setChecked(true);
    SiteList = Named(new QListWidget(page), "SiteList");
    NewSiteBtn = Named(new QPushButton(QStringLiteral("&New"), page), "NewSiteBtn");
    RemoveSiteBtn = Named(new QPushButton(QStringLiteral("&Remove"), page), "RemoveSiteBtn");
    SaveSiteBtn = Named(new QPushButton(QStringLiteral("S&ave"), page), "SaveSiteBtn");
    AdvancedBtn = Named(new QPushButton(QStringLiteral("Ad&vanced"), page), "AdvancedBtn");
    StartUploaderBtn = Named(new QPushButton(QStringLiteral("&Start Uploader"), page), "StartUploaderBtn");
    RemoveSiteBtn->setEnabled(false);

    // Fields on the left, the list of sites on the right, buttons below.
    auto* fields = new QVBoxLayout();
    const std::pair<const char*, QLineEdit*> rows[] = {
        {"&Site Name:", SiteNameEdit},
        {"&Host Address:  (e.g. - ftp.example.com)", HostEdit},
        {"&Login Name:", LoginEdit},
        {"&Password:", PasswordEdit},
        {"Remote &Directory:  (e.g. - dir/images)", DirectoryEdit},
    };
    for (const auto& [caption, edit] : rows) {
        fields->addWidget(BuddyLabel(QString::fromLatin1(caption), edit, page));
        fields->addWidget(edit);
        edit->setMinimumWidth(240);
        connect(edit, &QLineEdit::textEdited, this, [this]() { MarkChanged(); });
    }
    fields->addWidget(BuddyLabel(QStringLiteral("Encr&yption:"), EncryptionCombo, page));
    fields->addWidget(EncryptionCombo);
    connect(EncryptionCombo, &QComboBox::activated, this, [this]() { MarkChanged(); });
    fields->addWidget(AnonymousCheck);
    fields->addStretch(1);
    layout->addLayout(fields, 0, 0);
    auto* sites = new QVBoxLayout();
    sites->addWidget(BuddyLabel(QStringLiteral("&Entered Sites:"), SiteList, page));
    sites->addWidget(SiteList, 1);
    layout->addLayout(sites, 0, 1);
    auto* buttons = new QHBoxLayout();
    for (QPushButton* b : {NewSiteBtn, RemoveSiteBtn, SaveSiteBtn, AdvancedBtn, StartUploaderBtn})
        buttons->addWidget(b);
    layout->addLayout(buttons, 1, 0, 1, 2);

    connect(AnonymousCheck, &QCheckBox::clicked, this, [this]() { AnonymousClick(); });
    connect(SiteList, &QListWidget::itemSelectionChanged, this, [this]() {
        if (!loading_)
            SiteListClick();
    });
    connect(NewSiteBtn, &QPushButton::clicked, this, [this]() { NewSiteClick(); });
    connect(RemoveSiteBtn, &QPushButton::clicked, this, [this]() { RemoveSiteClick(); });
    connect(SaveSiteBtn, &QPushButton::clicked, this, [this]() { SaveSiteClick(); });
    connect(AdvancedBtn, &QPushButton::clicked, this, [this]() { AdvancedClick(); });
    connect(StartUploaderBtn, &QPushButton::clicked, this, [this]() { StartUploaderClick(); });
    return page;
}

QWidget* TForm2::BuildUploadBinPage()
{
    auto* page = Named(new QWidget(), "UploadBinPage");
    auto* layout = new QGridLayout(page);
    BinCount = Named(new QLabel(page), "BinCount");
    BinCount->setAlignment(Qt::AlignCenter);
    auto* text = new QLabel(QStringLiteral("   Add files to this list to upload when the Upload Bin button is pressed on "
                                           "the Uploader window.  You can also configure HTML Vesk to upload these file "
                                           "when closing a file."),
                            page);
    text->setWordWrap(true);
    BinList = Named(new QListWidget(page), "BinList");
    BinAddBtn = Named(new QPushButton(QStringLiteral("&Add File"), page), "BinAddBtn");
    BinRemoveBtn = Named(new QPushButton(QStringLiteral("&Remove"), page), "BinRemoveBtn");
    BinCurrentBtn = Named(new QPushButton(QStringLiteral("Add &Current Page"), page), "BinCurrentBtn");
    BinRemoveBtn->setEnabled(false);
    layout->addWidget(BinCount, 0, 0, 1, 2);
    layout->addWidget(text, 1, 0, 1, 2);
    layout->addWidget(BinList, 2, 0, 4, 1);
    layout->addWidget(BinAddBtn, 2, 1);
    layout->addWidget(BinRemoveBtn, 3, 1);
    layout->addWidget(BinCurrentBtn, 4, 1);
    layout->setRowStretch(5, 1);
    connect(BinList, &QListWidget::itemSelectionChanged, this,
            [this]() { BinRemoveBtn->setEnabled(!BinList->selectedItems().isEmpty()); });
    connect(BinAddBtn, &QPushButton::clicked, this, [this]() { AddBinFileClick(); });
    connect(BinRemoveBtn, &QPushButton::clicked, this, [this]() { RemoveBinClick(); });
    connect(BinCurrentBtn, &QPushButton::clicked, this,
            [this]() { AddCurrentPageToBin(CurrentEditor ? CurrentEditor() : nullptr); });
    return page;
}

// ---- what the pages hold ------------------------------------------------------------------

QStringList TForm2::UploadBin() const
{
    QStringList bin;
    for (int i = 0; i < BinList->count(); ++i)
        bin << BinList->item(i)->text();
    return bin;
}

QStringList TForm2::SiteNames() const
{
    QStringList names;
    for (int i = 0; i < SiteList->count(); ++i)
        names << SiteList->item(i)->text();
    return names;
}

int TForm2::SelectedSite() const
{
    const QList<QListWidgetItem*> selected = SiteList->selectedItems();
    return selected.isEmpty() ? -1 : SiteList->row(selected.front());
}

FtpSite TForm2::SiteFields() const
{
    FtpSite site{SiteNameEdit->text(), HostEdit->text(),      LoginEdit->text(),
                 PasswordEdit->text(), DirectoryEdit->text(), AnonymousCheck->isChecked()};
    site.encryption = std::max(EncryptionCombo->currentIndex(), 0);
    // The uploader may have trusted a certificate since the page was
    // filled: the file has the latest word on it.
    if (const int index = SelectedSite(); index >= 0)
        site.certSha256 = ReadSiteCertSha256(index, site.hostName);
    return site;
}

void TForm2::SetSiteFields(const FtpSite& site)
{
    SiteNameEdit->setText(site.siteLabel);
    HostEdit->setText(site.hostName);
    LoginEdit->setText(site.loginName);
    PasswordEdit->setText(site.password);
    DirectoryEdit->setText(site.remoteDirectory);
    EncryptionCombo->setCurrentIndex(site.encryption);
    AnonymousCheck->setChecked(site.anonymous);
    UpdateLoginFields();
}

void TForm2::UpdateSiteButtons()
{
    const bool selected = SelectedSite() >= 0;
    SaveSiteBtn->setEnabled(selected);
    RemoveSiteBtn->setEnabled(selected);
}

void TForm2::UpdateLoginFields()
{
    const bool own = !AnonymousCheck->isChecked();
    LoginEdit->setEnabled(own);
    PasswordEdit->setEnabled(own);
}

void TForm2::FillSiteList(const QStringList& names, int selected)
{
    const bool wasLoading = std::exchange(loading_, true);
    SiteList->clear();
    SiteList->addItems(names);
    if (selected >= 0 && selected < SiteList->count()) {
        SiteList->setCurrentRow(selected);
    } else {
        SiteList->setCurrentRow(-1);
        SiteList->clearSelection();
    }
    loading_ = wasLoading;
}

void TForm2::TellSiteChooser()
{
    if (OnSiteChooser)
        OnSiteChooser(chooserNames_, SelectedSite());
}

// ---- Uploader Setup -------------------------------------------------------------------------

void TForm2::SiteListClick()
{
    SelectSite(SelectedSite());
}

void TForm2::SelectSite(int index)
{
    if (index >= SiteList->count())
        index = -1;
    if (SelectedSite() != index)
        FillSiteList(SiteNames(), index);
    UpdateSiteButtons();
    Guarded([&]() {
        WriteSelectedSite(index);
        if (index >= 0) {
            FtpSite defaults;
            defaults.loginName = QString::fromLatin1(kDefaultSiteLogin);
            defaults.password = QString::fromLatin1(kDefaultSitePassword);
            SetSiteFields(ReadSite(index, defaults));
        } else {
            SetSiteFields(FtpSite());
        }
    });
    TellSiteChooser();
}

void TForm2::AnonymousClick()
{
    UpdateLoginFields();
    MarkChanged();
}

void TForm2::NewSiteClick()
{
    const FtpSite site{QStringLiteral("New Site"), QString(), QString(), QString(), QString(), false};
    const int index = SiteList->count();
    // "New" writes at once: the section stays even when the dialog is cancelled.
    if (!Guarded([&]() { WriteSite(index, site); }))
        return;
    SetSiteFields(site);
    chooserNames_ << site.siteLabel;
    FillSiteList(SiteNames() << site.siteLabel, index);
    UpdateSiteButtons();
    RemoveSiteBtn->setEnabled(false);
    TellSiteChooser();
    MarkChanged();
}

void TForm2::SaveSiteClick()
{
    const int index = SelectedSite();
    if (index < 0)
        return;
    const FtpSite site = SiteFields();
    if (site.siteLabel.isEmpty() || site.hostName.isEmpty()) {
        MsgBox(QStringLiteral("Site Name and Host Address must be filled in before continuing."),
               QStringLiteral("Required Fields Empty"), kMbOk, kSoundError);
        return;
    }
    if (!Guarded([&]() { WriteSite(index, site); }))
        return;
    // The uploader's chooser keeps the old name until the settings are next read.
    SiteList->item(index)->setText(site.siteLabel);
    SetSiteFields(FtpSite());
    FillSiteList(SiteNames(), -1);
    UpdateSiteButtons();
    MarkChanged();
}

void TForm2::RemoveSiteClick()
{
    const int index = SelectedSite();
    if (index < 0)
        return;
    if (!Guarded([&]() { RemoveSite(index, SiteList->count()); }))
        return;
    QStringList names;
    for (const FtpSite& site : ReadSites())
        names << site.siteLabel;
    chooserNames_ = names;
    FillSiteList(names, -1);
    // The fields follow the site that takes the removed one's place, so a
    // later OK cannot write the removed site's fields over it.
    SelectSite(index < names.size() ? index : int(names.size()) - 1);
    MarkChanged();
}

void TForm2::StartUploaderClick()
{
    if (!ShowUploader || (UploaderVisible && UploaderVisible())) {
        hide();
        if (!WriteSettings()) {
            show();
            return;
        }
        if (FillToolBars)
            FillToolBars();
        accept();
        return;
    }
    ShowUploader();
}

void TForm2::AdvancedClick()
{
    if (ShowAdvanced)
        ShowAdvanced();
    if (OnAdvancedClosed)
        OnAdvancedClosed();
}

// ---- Upload Bin -------------------------------------------------------------------------------

void TForm2::UpdateBinCount()
{
    const int n = BinList->count();
    BinCount->setText(n == 0 ? QStringLiteral("No Files Entered")
                             : QString::number(n) + (n == 1 ? QStringLiteral(" File Entered")
                                                            : QStringLiteral(" Files Entered")));
}

bool TForm2::EmptyUploadBin()
{
    BinList->clear();
    BinRemoveBtn->setEnabled(false);
    UpdateBinCount();
    return WriteSettings();
}

void TForm2::AddBinEntry(const QString& path)
{
    BinList->addItem(UploadBinEntry(path));
    UpdateBinCount();
    MarkChanged();
}

void TForm2::AddBinFileClick()
{
    const QString path = OpenFileDialog ? OpenFileDialog(lastOpenFolder_) : QString();
    if (path.isEmpty())
        return;
    lastOpenFolder_ = QFileInfo(path).absolutePath();
    AddBinEntry(path);
}

void TForm2::RemoveBinClick()
{
    const QList<QListWidgetItem*> selected = BinList->selectedItems();
    if (selected.isEmpty())
        return;
    delete selected.front();
    BinList->clearSelection();
    BinRemoveBtn->setEnabled(false);
    UpdateBinCount();
    MarkChanged();
}

bool TForm2::AddCurrentPageToBin(TVeskMemoFile* editor)
{
    const QString path = CurrentPagePath(editor);
    if (path.isEmpty())
        return false;
    AddBinEntry(path);
    return true;
}

} // namespace vesk
