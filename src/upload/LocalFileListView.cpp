// TLocalFileListView: the uploader's list of a local folder, or of the volumes, with the desktop's icons.
#include "upload/LocalFileListView.h"

#include <QApplication>
#include <QDir>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QLabel>
#include <QMimeDatabase>

namespace vesk {

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kKindRole = Qt::UserRole + 1;
// The caption as filled, so an edit in progress can be compared with it.
constexpr int kCaptionRole = Qt::UserRole + 2;

// Hourglass while the list refills, restored on every way out.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

TLocalFileListView::TLocalFileListView(QWidget* parent) : QListWidget(parent), roots_(LocalVolumeRoots())
{
    setViewMode(QListView::ListMode);
    setFlow(QListView::TopToBottom);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(this, &QListWidget::itemDoubleClicked, this, &TLocalFileListView::DoubleClicked);
}

bool TLocalFileListView::SetDirectory(const QString& path, QString* error)
{
    if (path.isEmpty()) {
        directory_.clear();
        UpdateLabel();
        return true;
    }
    const QFileInfo info(path);
    if (!info.isDir() || !QDir(path).isReadable()) {
        if (error)
            *error = info.exists() ? QStringLiteral("%1 is not a readable folder").arg(path)
                                   : QStringLiteral("%1 does not exist").arg(path);
        return false;
    }
    const QString folder = QDir::cleanPath(info.absoluteFilePath());
    if (!directory_.isEmpty() && QFileInfo(folder).canonicalFilePath() == QFileInfo(directory_).canonicalFilePath())
        return true;
    ShowFolder(folder);
    return true;
}

void TLocalFileListView::ShowFolder(const QString& folder)
{
    directory_ = folder;
    Refresh();
}

void TLocalFileListView::Refresh()
{
    if (directory_.isEmpty()) {
        ShowDrives();
        return;
    }
    Fill(ReadLocalFolder(directory_, mask_));
}

void TLocalFileListView::UpOneLevel()
{
    if (directory_.isEmpty())
        return;
    const std::optional<QString> parent = LocalParentFolder(directory_, roots_);
    if (!parent) {
        ShowDrives();
        return;
    }
    ShowFolder(*parent);
}

void TLocalFileListView::ShowDrives()
{
    directory_.clear();
    Fill(ReadLocalVolumes());
}

void TLocalFileListView::OpenSelected()
{
    const std::vector<TLocalEntry> selected = SelectedEntries();
    if (selected.empty() || selected.front().kind == TLocalKind::File)
        return;
    SetDirectory(selected.front().path);
}

void TLocalFileListView::SetDirLabel(QLabel* label)
{
    dirLabel_ = label;
    UpdateLabel();
}

std::vector<TLocalEntry> TLocalFileListView::SelectedEntries() const
{
    std::vector<TLocalEntry> entries;
    for (int row = 0; row < count(); ++row) {
        if (item(row)->isSelected())
            entries.push_back(EntryAt(row));
    }
    return entries;
}

TLocalEntry TLocalFileListView::EntryAt(int row) const
{
    const QListWidgetItem* it = item(row);
    if (!it)
        return {};
    return {it->data(kCaptionRole).toString(), TLocalKind(it->data(kKindRole).toInt()),
            it->data(kPathRole).toString()};
}

void TLocalFileListView::Fill(const std::vector<TLocalEntry>& entries)
{
    WaitCursor wait;
    updating_ = true;
    clearSelection();
    setUpdatesEnabled(false);
    clear();
    QFileIconProvider icons;
    QMimeDatabase types;
    for (const TLocalEntry& entry : entries) {
        const QFileInfo info(entry.path);
        auto* it = new QListWidgetItem(entry.caption);
        it->setData(kPathRole, entry.path);
        it->setData(kKindRole, int(entry.kind));
        it->setData(kCaptionRole, entry.caption);
        if (entry.kind == TLocalKind::Volume) {
            it->setIcon(icons.icon(QFileIconProvider::Drive));
            it->setToolTip(entry.path);
        } else {
            it->setIcon(icons.icon(info));
            it->setToolTip(types.mimeTypeForFile(info).comment());
        }
        it->setFlags(it->flags() | Qt::ItemIsEditable);
        addItem(it);
    }
    setUpdatesEnabled(true);
    UpdateLabel();
    updating_ = false;
}

void TLocalFileListView::UpdateLabel()
{
    if (dirLabel_)
        dirLabel_->setText(directory_);
}

void TLocalFileListView::DoubleClicked(QListWidgetItem* item)
{
    if (!item || !item->isSelected())
        return;
    const TLocalEntry entry = EntryAt(row(item));
    if (entry.kind != TLocalKind::File) {
        OpenSelected();
        return;
    }
    if (OnExecute)
        OnExecute(this, entry.path);
}

} // namespace vesk
