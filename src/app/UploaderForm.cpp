// TForm4, "HTML Vesk FTP Uploader": the remote list of an FTP site over the local list of this computer.
#include "app/UploaderForm.h"

#include "app/MsgBox.h"
#include "controls/Animated.h"
#include "controls/Placed.h"
#include "platform/HelpWindow.h"
#include "settings/FileLists.h"
#include "upload/LocalFileListView.h"
#include "upload/UploadSite.h"

#include <QApplication>
#include <algorithm>
#include <climits>
#include <cmath>
#include <QComboBox>
#include <QDropEvent>
#include <QFrame>
#include <QPainter>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace vesk {

namespace {

constexpr int kHelpTopic = 30;
constexpr int kKindRole = Qt::UserRole;
constexpr int kTextRole = Qt::UserRole + 1;

QToolButton* SmallButton(QWidget* parent, const char* name, const QString& hint, QStyle::StandardPixmap icon,
                         const QRect& rect)
{
    auto* button = Placed<QToolButton>(parent, name, QString(), rect);
    button->setToolTip(hint);
    button->setIcon(parent->style()->standardIcon(icon));
    return button;
}

// The busy animation's strip: five 16 by 16 frames of a dot going round,
// on silver, the colour the control leaves transparent.
QPixmap BusyFrames()
{
    QPixmap strip(16 * 5, 16);
    strip.fill(QColor(192, 192, 192));
    QPainter painter(&strip);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 5; ++i) {
        painter.setPen(QPen(QColor(0, 0, 128), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(16 * i + 2, 2, 12, 12));
        const double angle = i * 2 * 3.14159265 / 5;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 128, 0));
        painter.drawEllipse(QPointF(16 * i + 8 + 5 * std::sin(angle), 8 - 5 * std::cos(angle)), 2.5, 2.5);
    }
    return strip;
}

// Hourglass for the length of an operation, restored on every way out.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TForm4::TForm4(QWidget* parent, SettingsFile settings) : QDialog(parent), settings_(std::move(settings))
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("HTML Vesk FTP Uploader"));
    resize(470, 560);

    sites_ = Placed<QComboBox>(this, "SiteBox", QString(), {8, 8, 200, 24});
    connect_ = Placed<QPushButton>(this, "ConnectBtn", QStringLiteral("&Connect"), {214, 8, 75, 25});
    connect_->setToolTip(QStringLiteral("Go to the Selected FTP Site"));
    settingsButton_ = Placed<QPushButton>(this, "SettingsBtn", QStringLiteral("&Settings"), {294, 8, 75, 25});
    settingsButton_->setToolTip(QStringLiteral("Change Uploader Settings"));
    auto* help = Placed<QPushButton>(this, "HelpBtn", QStringLiteral("&Help"), {374, 8, 60, 25});
    auto* animationPanel = Placed<QFrame>(this, "AnimationPanel", QString(), {442, 8, 20, 20});
    animationPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    animation_ = new TAnimated(animationPanel);
    animation_->setObjectName(QStringLiteral("Animated1"));
    animation_->setGeometry(2, 2, 16, 16);
    animation_->SetFrameCount(5);
    animation_->SetBitMap(BusyFrames());
    animation_->SetTransparentColor(QColor(192, 192, 192));
    animation_->SetInterval(400);
    animation_->hide();

    const int y = 40;
    remoteUp_ = SmallButton(this, "RemoteUp", QStringLiteral("Up One Level"), QStyle::SP_FileDialogToParent, {8, y, 26, 24});
    remoteNewDir_ = SmallButton(this, "RemoteNewDir", QStringLiteral("New Directory"), QStyle::SP_FileDialogNewFolder, {36, y, 26, 24});
    remoteRename_ = SmallButton(this, "RemoteRename", QStringLiteral("Rename"), QStyle::SP_FileDialogDetailedView, {64, y, 26, 24});
    remoteDelete_ = SmallButton(this, "RemoteDelete", QStringLiteral("Delete File"), QStyle::SP_TrashIcon, {92, y, 26, 24});
    remoteRefresh_ = SmallButton(this, "RemoteRefresh", QStringLiteral("Refresh"), QStyle::SP_BrowserReload, {120, y, 26, 24});
    download_ = SmallButton(this, "Download", QStringLiteral("Download"), QStyle::SP_ArrowDown, {148, y, 26, 24});
    uploadBin_ = Placed<QPushButton>(this, "UploadBinBtn", QStringLiteral("&Upload Bin"), {344, y, 90, 25});
    uploadBin_->setToolTip(QStringLiteral("Upload the contents of the Upload Bin"));
    remoteList_ = Placed<QListWidget>(this, "RemoteList", QString(), {8, 68, 454, 200});
    remoteList_->setSelectionMode(QAbstractItemView::ExtendedSelection);

    Placed<QLabel>(this, "ComputerLabel", QStringLiteral("Your Computer"), {8, 274, 100, 18});
    folderLabel_ = Placed<QLabel>(this, "FolderLabel", QString(), {110, 274, 352, 18});
    const int ly = 294;
    upload_ = SmallButton(this, "Upload", QStringLiteral("Upload"), QStyle::SP_ArrowUp, {8, ly, 26, 24});
    localUp_ = SmallButton(this, "LocalUp", QStringLiteral("Up One Level"), QStyle::SP_FileDialogToParent, {36, ly, 26, 24});
    localNewDir_ = SmallButton(this, "LocalNewDir", QStringLiteral("New Directory"), QStyle::SP_FileDialogNewFolder, {64, ly, 26, 24});
    localRename_ = SmallButton(this, "LocalRename", QStringLiteral("Rename"), QStyle::SP_FileDialogDetailedView, {92, ly, 26, 24});
    localDelete_ = SmallButton(this, "LocalDelete", QStringLiteral("Delete File"), QStyle::SP_TrashIcon, {120, ly, 26, 24});
    localRefresh_ = SmallButton(this, "LocalRefresh", QStringLiteral("Refresh"), QStyle::SP_BrowserReload, {148, ly, 26, 24});
    localList_ = new TLocalFileListView(this);
    localList_->setObjectName(QStringLiteral("LocalList"));
    localList_->setGeometry(8, 322, 454, 190);

    status_ = Placed<QLabel>(this, "StatusLabel", QStringLiteral("Connection Status"), {8, 518, 300, 18});
    progress_ = Placed<QProgressBar>(this, "ProgressBar", QString(), {8, 536, 454, 16});
    progress_->setRange(0, 100);
    progress_->setValue(0);

    session_.OnStatus = [this](const QString& text) { Status(text); };
    session_.OnFtpError = [this](const QString& message) {
        MsgBox(message, QStringLiteral("FTP Error"), kMbOk, kSoundError);
        progress_->setValue(0);
        Status(QStringLiteral("Session Closed"));
    };
    session_.AskTrust = [this](const TCertificateInfo& certificate, bool changed) {
        const TrustQuestion question = CertificateQuestion(certificate, changed, session_.Client().HostName());
        // No is the default: an Enter pressed in passing trusts nothing.
        if (MsgBox(question.text, question.caption, kMbYesNo + kMbDefaultSecond, kSoundWarning) != kMrYes)
            return false;
        // Kept with the site the session was opened for; the preferences
        // read it back from there.
        if (sites_->currentIndex() >= 0)
            WriteSiteCertSha256(sites_->currentIndex(), certificate.sha256, settings_);
        return true;
    };
    session_.OnProgress = [this](qint64 position, qint64 maximum) {
        if (progressVerb_.isEmpty())
            return;  // a listing's bytes do not move the bar
        // Sizes beyond an int are shown in kilobytes so the bar still moves.
        const int shift = maximum > INT_MAX ? 10 : 0;
        progress_->setMaximum(int(std::max<qint64>(maximum >> shift, 1)));
        progress_->setValue(int(std::min<qint64>(position >> shift, progress_->maximum())));
        Status(QStringLiteral("%1%2 - %3: %4").arg(progressVerb_, session_.Client().HostFileName())
                       .arg(maximum).arg(position));
    };
    session_.AskOverwrite = [](const QString& name) {
        return MsgBox(name + " already exists on your harddrive.  Click on Yes if you want to overwrite it.  "
                             "Click on No if you want to add to it.",
                      QStringLiteral("Overwrite File?"), kMbYesNo, kSoundError) == kMrYes;
    };

    connect(connect_, &QPushButton::clicked, this, &TForm4::ConnectClick);
    connect(uploadBin_, &QPushButton::clicked, this, &TForm4::UploadBinClick);
    connect(help, &QPushButton::clicked, this, [] { ShowHelpTopic(kHelpTopic); });
    connect(remoteUp_, &QToolButton::clicked, this, &TForm4::RemoteUpOneLevel);
    connect(remoteNewDir_, &QToolButton::clicked, this, &TForm4::RemoteNewDir);
    connect(remoteDelete_, &QToolButton::clicked, this, &TForm4::RemoteDelete);
    connect(remoteRefresh_, &QToolButton::clicked, this, [this] {
        if (!Connected()) {
            MsgBox(QStringLiteral("Please connect to a FTP site first."), QStringLiteral("Not Connected Error"),
                   kMbOk, kSoundError);
            return;
        }
        RemoteRefresh();
    });
    connect(download_, &QToolButton::clicked, this, [this] {
        if (Guard() && !SelectedRemote().empty())
            DownloadSelected();
    });
    connect(upload_, &QToolButton::clicked, this, &TForm4::UploadSelected);
    connect(localUp_, &QToolButton::clicked, localList_, &TLocalFileListView::UpOneLevel);
    connect(localRefresh_, &QToolButton::clicked, localList_, &TLocalFileListView::Refresh);
    connect(localNewDir_, &QToolButton::clicked, this, &TForm4::LocalNewDir);
    connect(localDelete_, &QToolButton::clicked, this, &TForm4::LocalDelete);
    connect(remoteList_, &QListWidget::itemSelectionChanged, this, [this] { ApplyRules(); });
    connect(remoteList_, &QListWidget::itemDoubleClicked, this, [this] { DownloadSelected(); });
    connect(localList_, &QListWidget::itemSelectionChanged, this, [this] {
        if (!localList_->Updating())
            ApplyRules(true);
    });
    connect(sites_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (OnSiteSelected && index >= 0)
            OnSiteSelected(index);
        ApplyRules();
    });
    connect(settingsButton_, &QPushButton::clicked, this, &TForm4::SettingsClick);
    connect(remoteRename_, &QToolButton::clicked, this, &TForm4::RemoteRenameClick);
    connect(localRename_, &QToolButton::clicked, this, &TForm4::LocalRenameClick);
    connect(remoteList_, &QListWidget::itemChanged, this, &TForm4::RemoteEdited);
    connect(localList_, &QListWidget::itemChanged, this, &TForm4::LocalEdited);
    for (QListWidget* list : {remoteList_, static_cast<QListWidget*>(localList_)}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint& at) { PopUp(list, at); });
    }
    for (QListWidget* list : {remoteList_, static_cast<QListWidget*>(localList_)}) {
        list->setDragEnabled(true);
        list->setDragDropMode(QAbstractItemView::DragOnly);
        list->viewport()->setAcceptDrops(true);
        list->viewport()->installEventFilter(this);
    }
    localList_->SetDirLabel(folderLabel_);
    localList_->OnExecute = [this](TLocalFileListView*, const QString&) { UploadSelected(); };
    FillSites();
    ApplyRules();
}

QStringList TForm4::Bin() const
{
    return UploadBinFiles ? UploadBinFiles() : ReadUploadFiles(settings_);
}

QString TForm4::StatusText() const
{
    return status_->text();
}

void TForm4::Status(const QString& text)
{
    status_->setText(text);
}

void TForm4::FillSites()
{
    const QSignalBlocker block(sites_);
    sites_->clear();
    for (const FtpSite& site : ReadSites(settings_))
        sites_->addItem(site.siteLabel);
    const int selected = ReadSelectedSite(settings_);
    sites_->setCurrentIndex(selected < sites_->count() ? selected : -1);
}

void TForm4::SetSites(const QStringList& names, int selected)
{
    sitesFromPreferences_ = true;
    {
        const QSignalBlocker block(sites_);
        sites_->clear();
        sites_->addItems(names);
        sites_->setCurrentIndex(selected < sites_->count() ? selected : -1);
    }
    ApplyRules();
}

void TForm4::SettingsClick()
{
    if (OnSettings)
        OnSettings();
    ApplyRules();
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    session_.Abort();
    Status(QStringLiteral("Session Closed"));
    busy_ = false;
    if (localList_->Directory().isEmpty())
        localList_->SetDirectory(QDir::currentPath());
    {
        const QSignalBlocker quiet(remoteList_);
        remoteList_->clear();
    }
    if (!sitesFromPreferences_)
        FillSites();
    ApplyRules();
}

void TForm4::closeEvent(QCloseEvent* event)
{
    if (Connected())
        session_.Abort();
    QDialog::closeEvent(event);
}

void TForm4::ApplyRules(bool localChange)
{
    const bool connected = Connected();
    const int r = int(remoteList_->selectedItems().size());
    const int l = int(localList_->selectedItems().size());
    const int n = int(Bin().size());
    connect_->setEnabled(!busy_ && sites_->currentIndex() >= 0);
    localUp_->setEnabled(!localList_->ShowsVolumes());
    localRename_->setEnabled(l == 1);
    localDelete_->setEnabled(l >= 1);
    if (busy_) {
        for (QWidget* w : std::initializer_list<QWidget*>{remoteUp_, remoteNewDir_, remoteDelete_, remoteRename_,
                                                          remoteRefresh_, download_, upload_, uploadBin_})
            w->setEnabled(false);
        return;
    }
    remoteUp_->setEnabled(connected);
    remoteNewDir_->setEnabled(connected);
    remoteRefresh_->setEnabled(connected);
    remoteDelete_->setEnabled(connected && r >= 1);
    download_->setEnabled(connected && r >= 1);
    remoteRename_->setEnabled(connected && r == 1);
    upload_->setEnabled(localChange ? connected && l >= 1 : connected);
    uploadBin_->setEnabled(connected && n >= 1);
}

void TForm4::SetBusy(bool on)
{
    busy_ = on;
    animation_->setVisible(on);
    animation_->SetPlay(on);
    ApplyRules();
}

bool TForm4::BusyGuard()
{
    if (!busy_)
        return true;
    MsgBox(QStringLiteral("Please wait until I am not busy."), QStringLiteral("Busy Error"), kMbOk, kSoundError);
    return false;
}

bool TForm4::Guard()
{
    if (!Connected()) {
        MsgBox(QStringLiteral("Please connect to a FTP site first."), QStringLiteral("Not Connected Error"), kMbOk,
               kSoundError);
        return false;
    }
    return BusyGuard();
}

void TForm4::ConnectClick()
{
    if (Connected()) {
        session_.Abort();
    } else if (MsgBox(QStringLiteral("If you are not connected to the internet, please do so now and then press OK."),
                      QStringLiteral("Please Connect Now"), kMbOkCancel, kSoundWarning) != kMrOk) {
        return;
    }
    WaitCursor wait;
    SetBusy(true);
    const int index = sites_->currentIndex();
    FtpSite defaults;
    defaults.loginName = QString::fromLatin1(kDefaultSiteLogin);
    defaults.password = QString::fromLatin1(kDefaultSitePassword);
    const FtpSite site = SiteFields ? SiteFields() : index >= 0 ? ReadSite(index, defaults, settings_) : FtpSite();
    QString error;
    if (session_.Connect(site, ReadAdvancedFtp(settings_), &error)) {
        SetBusy(false);
        RemoteRefresh();
    } else if (!error.isEmpty()) {
        MsgBox(error, QStringLiteral("Error"), kMbOk, kSoundError);
    }
    SetBusy(false);
    // A session that went on in the clear says so until the next step.
    Status(Connected() && session_.Client().FellBackToPlain()
               ? QStringLiteral("Ready - not encrypted: the server does not offer TLS")
               : QStringLiteral("Ready"));
}

void TForm4::RemoteRefresh()
{
    WaitCursor wait;
    SetBusy(true);
    progressVerb_.clear();
    session_.RefreshRemote();
    FillRemote();
    SetBusy(false);
    Status(QStringLiteral("List Complete"));
}

void TForm4::FillRemote()
{
    const QSignalBlocker quiet(remoteList_);  // filling is not editing
    remoteList_->clear();
    const QIcon icons[] = {style()->standardIcon(QStyle::SP_DirIcon), style()->standardIcon(QStyle::SP_FileIcon),
                           style()->standardIcon(QStyle::SP_FileLinkIcon)};
    for (const TRemoteEntry& entry : session_.RemoteEntries()) {
        auto* item = new QListWidgetItem(icons[int(entry.kind)], entry.Caption());
        item->setData(kKindRole, int(entry.kind));
        item->setData(kTextRole, entry.text);
        item->setFlags(item->flags() | Qt::ItemIsEditable);
        remoteList_->addItem(item);
    }
}

QStringList TForm4::RemoteCaptions() const
{
    QStringList captions;
    for (int row = 0; row < remoteList_->count(); ++row)
        captions << remoteList_->item(row)->data(kTextRole).toString();
    return captions;
}

std::vector<TRemoteEntry> TForm4::SelectedRemote() const
{
    std::vector<TRemoteEntry> entries;
    for (int row = 0; row < remoteList_->count(); ++row) {
        const QListWidgetItem* item = remoteList_->item(row);
        if (item->isSelected())
            entries.push_back({item->data(kTextRole).toString(), TRemoteKind(item->data(kKindRole).toInt())});
    }
    return entries;
}

void TForm4::UploadBinClick()
{
    if (!BusyGuard())
        return;
    SetBusy(true);
    progressVerb_ = QStringLiteral("Uploading ");
    session_.UploadFiles(Bin());
    progress_->setValue(0);
    RemoteRefresh();
    SetBusy(false);
    if (MsgBox(QStringLiteral("The Upload Bin has been uploaded.  Do you want to empty the Upload Bin?"),
               QStringLiteral("Empty Upload Bin?"), kMbYesNo, kSoundQuestion) == kMrYes) {
        if (OnEmptyBin)
            OnEmptyBin();
        else
            WriteUploadFiles({}, settings_);
        ApplyRules();
    }
}

void TForm4::UploadSelected()
{
    if (!Guard())
        return;
    WaitCursor wait;
    SetBusy(true);
    QStringList files;
    for (const TLocalEntry& entry : localList_->SelectedEntries()) {
        if (entry.kind == TLocalKind::File)
            files << entry.path;
    }
    progressVerb_ = QStringLiteral("Uploading ");
    session_.UploadFiles(files);
    progress_->setValue(0);
    RemoteRefresh();
    SetBusy(false);
    Status(QStringLiteral("Ready"));
}

void TForm4::DownloadSelected()
{
    const std::vector<TRemoteEntry> selected = SelectedRemote();
    SetBusy(true);
    progressVerb_ = QStringLiteral("Downloading ");
    if (!selected.empty() && !localList_->ShowsVolumes()) {
        const TRemoteEntry& first = selected.front();
        const QString name = first.LocalName();
        // A name with an extension is fetched, one without is entered.
        const bool isFile = name.contains(u'.');
        QStringList refused;
        QString why;
        if (isFile) {
            if (!session_.Download(first, localList_->Directory(), &why) && !why.isEmpty())
                refused << why;
        } else if (selected.size() == 1) {
            session_.ChangeDir(name);
        }
        for (size_t i = 1; i < selected.size() && Connected(); ++i) {
            if (selected[i].kind != TRemoteKind::File)
                continue;
            why.clear();
            if (!session_.Download(selected[i], localList_->Directory(), &why) && !why.isEmpty())
                refused << why;
        }
        if (!refused.isEmpty())
            MsgBox(refused.join(u'\r'), QStringLiteral("Download Refused"), kMbOk, kSoundError);
        progress_->setValue(0);
        if (isFile)
            localList_->Refresh();
        else
            RemoteRefresh();
    }
    SetBusy(false);
    Status(QStringLiteral("Ready"));
}

void TForm4::RemoteUpOneLevel()
{
    if (!Guard())
        return;
    WaitCursor wait;
    SetBusy(true);
    if (session_.ParentDir())
        RemoteRefresh();
    SetBusy(false);
    Status(QStringLiteral("Ready"));
}

void TForm4::RemoteNewDir()
{
    if (!Guard())
        return;
    QString name = NewDirProposal(RemoteCaptions());
    if (MsgBox(name, QStringLiteral("New Directory"), kMbInput, kSoundQuestion, &name) != kMrOk)
        return;
    WaitCursor wait;
    SetBusy(true);
    if (session_.MakeDir(name))
        RemoteRefresh();
    SetBusy(false);
    Status(QStringLiteral("Ready"));
}

void TForm4::RemoteDelete()
{
    if (!BusyGuard())
        return;
    if (!Connected()) {
        Guard();
        return;
    }
    WaitCursor wait;
    SetBusy(true);
    for (const TRemoteEntry& entry : SelectedRemote()) {
        if (!session_.Delete(entry))
            break;
    }
    RemoteRefresh();
    SetBusy(false);
    Status(QStringLiteral("Ready"));
}

void TForm4::LocalNewDir()
{
    if (localList_->ShowsVolumes())
        return;
    QStringList captions;
    for (int row = 0; row < localList_->count(); ++row)
        captions << localList_->item(row)->text();
    QString name = NewDirProposal(captions);
    if (MsgBox(name, QStringLiteral("New Directory"), kMbInput, kSoundQuestion, &name) != kMrOk)
        return;
    if (IsSafeLocalName(name) && QDir(localList_->Directory()).mkdir(name))
        localList_->Refresh();
    else
        MsgBox(QStringLiteral("Could not create new directory."), QStringLiteral("Error"), kMbOk, kSoundError);
}

void TForm4::LocalDelete()
{
    const std::vector<TLocalEntry> selected = localList_->SelectedEntries();
    if (selected.empty())
        return;
    WaitCursor wait;
    // Deleted files go to the desktop's trash where there is one, so a slip
    // of the mouse loses nothing; only an empty folder is removed.
    auto remove = [](const QString& path) { return QFile::moveToTrash(path) || QFile::remove(path); };
    const TLocalEntry& first = selected.front();
    if (first.kind == TLocalKind::Directory) {
        if (!QDir(first.path).isEmpty() || !QDir().rmdir(first.path))
            MsgBox(QStringLiteral("The directory must be empty before it can be deleted"),
                   QStringLiteral("Directory Could Not Be Removed Error"), kMbOk, kSoundError);
    } else if (first.kind == TLocalKind::File) {
        remove(first.path);
    }
    for (size_t i = 1; i < selected.size(); ++i) {
        if (selected[i].kind == TLocalKind::File)
            remove(selected[i].path);
    }
    localList_->Refresh();
}

void TForm4::RemoteRenameClick()
{
    if (!BusyGuard())
        return;
    const QList<QListWidgetItem*> selected = remoteList_->selectedItems();
    if (selected.size() != 1) {
        MsgBox(QStringLiteral("Please select an item to rename first."), QStringLiteral("Select Item"), kMbOk,
               kSoundError);
        return;
    }
    remoteList_->editItem(selected.front());
}

void TForm4::RemoteEdited(QListWidgetItem* item)
{
    const QString old = item->data(kTextRole).toString();
    const QString name = item->text();
    if (name == TRemoteEntry{old, TRemoteKind::File}.Caption())
        return;
    const QSignalBlocker quiet(remoteList_);
    // Folders and links change only in the list: the server keeps their names.
    if (TRemoteKind(item->data(kKindRole).toInt()) != TRemoteKind::File) {
        item->setData(kTextRole, name);
        return;
    }
    if (NameTaken(RemoteCaptions(), name, remoteList_->row(item))) {
        MsgBox(QStringLiteral("The name you specified already exists.  Please specify a different filename."),
               QStringLiteral("Error Renaming File"), kMbOk, kSoundError);
        item->setText(TRemoteEntry{old, TRemoteKind::File}.Caption());
        return;
    }
    SetBusy(true);
    if (session_.Rename(old, name)) {
        item->setData(kTextRole, name);
        Status(QStringLiteral("Ready"));
    } else {
        item->setText(TRemoteEntry{old, TRemoteKind::File}.Caption());
    }
    SetBusy(false);
}

void TForm4::LocalRenameClick()
{
    const std::vector<TLocalEntry> selected = localList_->SelectedEntries();
    // Only files are renamed here; folders keep their names.
    if (selected.size() != 1 || selected.front().kind != TLocalKind::File)
        return;
    localList_->editItem(localList_->selectedItems().front());
}

void TForm4::LocalEdited(QListWidgetItem* item)
{
    if (localList_->Updating())
        return;
    const TLocalEntry entry = localList_->EntryAt(localList_->row(item));
    const QString name = item->text();
    if (name == entry.caption || entry.kind != TLocalKind::File)
        return;
    QStringList captions;
    for (int row = 0; row < localList_->count(); ++row)
        captions << localList_->item(row)->text();
    const QSignalBlocker quiet(localList_);
    if (NameTaken(captions, name, localList_->row(item)) || QFileInfo::exists(QDir(localList_->Directory()).filePath(name))) {
        MsgBox(QStringLiteral("The name you specified already exists.  Please specify a different filename."),
               QStringLiteral("Error Renaming File"), kMbOk, kSoundError);
        item->setText(entry.caption);
        return;
    }
    if (!IsSafeLocalName(name) || !QFile::rename(entry.path, QDir(localList_->Directory()).filePath(name))) {
        item->setText(entry.caption);
        return;
    }
    localList_->Refresh();
}

void TForm4::PopUp(QListWidget* list, const QPoint& at)
{
    const bool remote = list == remoteList_;
    const bool connected = Connected();
    const int selected = int(list->selectedItems().size());
    QMenu menu(this);
    QAction* transfer = menu.addAction(QStringLiteral("&Transfer File"));
    QAction* rename = menu.addAction(QStringLiteral("&Rename"));
    QAction* remove = menu.addAction(QStringLiteral("&Delete"));
    remove->setShortcut(QKeySequence::Delete);
    QAction* up = menu.addAction(QStringLiteral("&Up One Level"));
    QAction* newDir = menu.addAction(QStringLiteral("&New Directory"));
    QAction* refresh = menu.addAction(QStringLiteral("Re&fresh"));
    if (remote) {
        transfer->setEnabled(connected && selected >= 1);
        remove->setEnabled(connected && selected >= 1);
        rename->setEnabled(connected && selected == 1);
        for (QAction* a : {up, newDir, refresh})
            a->setEnabled(connected);
    } else {
        transfer->setEnabled(connected && selected >= 1);
        rename->setEnabled(selected == 1);
        remove->setEnabled(selected >= 1);
        up->setEnabled(!localList_->ShowsVolumes());
    }
    QAction* chosen = menu.exec(list->viewport()->mapToGlobal(at));
    if (!chosen)
        return;
    if (chosen == transfer)
        remote ? DownloadSelected() : UploadSelected();
    else if (chosen == rename)
        remote ? RemoteRenameClick() : LocalRenameClick();
    else if (chosen == remove)
        remote ? RemoteDelete() : LocalDelete();
    else if (chosen == up)
        remote ? RemoteUpOneLevel() : localList_->UpOneLevel();
    else if (chosen == newDir)
        remote ? RemoteNewDir() : LocalNewDir();
    else if (chosen == refresh)
        remote ? RemoteRefresh() : localList_->Refresh();
}

bool TForm4::AcceptsDrop(const QWidget* target, const QObject* source) const
{
    const QWidget* other = target == remoteList_ ? static_cast<const QWidget*>(localList_)
                         : target == localList_  ? static_cast<const QWidget*>(remoteList_)
                                                 : nullptr;
    return other && source == other && Connected() && !busy_;
}

bool TForm4::Drop(const QWidget* target, const QObject* source)
{
    if (!AcceptsDrop(target, source) || !Guard())
        return false;
    if (target == remoteList_)
        UploadSelected();
    else
        DownloadSelected();
    return true;
}

namespace {

// A drop between the lists sends or fetches a copy, whatever keys are
// held: a move would let the dragging list drop the rows before the
// transfer reads its selection.
void AcceptAsCopy(QDropEvent& event)
{
    event.setDropAction(Qt::CopyAction);
    event.accept();
}

} // namespace

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    const QWidget* target = watched == remoteList_->viewport() ? static_cast<QWidget*>(remoteList_)
                          : watched == localList_->viewport()  ? static_cast<QWidget*>(localList_)
                                                               : nullptr;
    if (!target)
        return QDialog::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (AcceptsDrop(target, drag->source()))
            AcceptAsCopy(*drag);
        else
            drag->ignore();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (AcceptsDrop(target, drop->source())) {
            AcceptAsCopy(*drop);
            // The drag's own loop ends before the transfers start.
            const QObject* source = drop->source();
            QMetaObject::invokeMethod(this, [this, target, source] { Drop(target, source); }, Qt::QueuedConnection);
        } else {
            drop->ignore();
        }
        return true;
    }
    default:
        return QDialog::eventFilter(watched, event);
    }
}

} // namespace vesk
