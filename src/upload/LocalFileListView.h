// TLocalFileListView: the uploader's list of a local folder, or of the volumes, with the desktop's icons.
//
// A list-style view with multiple selection and editable captions. It shows
// either one folder (Directory() not empty) or the volume list (Directory()
// empty); double-clicking a folder or volume opens it, double-clicking a
// file reports it through OnExecute. Entries come from ReadLocalFolder and
// ReadLocalVolumes (LocalFolder.h), icons from the desktop's icon theme and
// type names from the MIME database (shown as tool tips).
//
// The view never changes the process's current directory; callers use the
// absolute paths of SelectedEntries() and OnExecute.
#pragma once

#include "upload/LocalFolder.h"

#include <QListWidget>
#include <QPointer>

#include <functional>
#include <vector>

class QLabel;

namespace vesk {

class TLocalFileListView : public QListWidget {
    Q_OBJECT
public:
    explicit TLocalFileListView(QWidget* parent = nullptr);

    // The folder shown, absolute and clean; empty while the volume list is
    // shown (and before a folder was first set).
    QString Directory() const { return directory_; }
    // Shows `path`. An empty path empties Directory and changes nothing
    // else. The folder already shown, however it is spelled (a trailing
    // "/", a link to it, another case on a volume that ignores case), is
    // not read again. A folder that does not exist or cannot be read
    // returns false with the reason in *error; the view stays as it was.
    bool SetDirectory(const QString& path, QString* error = nullptr);
    // Reads the shown folder again with the masks.
    void Refresh();
    // The parent folder, or the volume list from a volume's root.
    void UpOneLevel();
    void ShowDrives();
    // Opens the first selected folder or volume; nothing for a file or
    // without a selection.
    void OpenSelected();
    bool ShowsVolumes() const { return directory_.isEmpty(); }

    // File masks separated by ";" ("*.*" at first); read at the next Refresh.
    QString Mask() const { return mask_; }
    void SetMask(const QString& mask) { mask_ = mask; }
    // A label that always shows Directory (not owned; may go away first).
    void SetDirLabel(QLabel* label);
    // True while the list refills itself: selection changes then are not the user's.
    bool Updating() const { return updating_; }
    // Which folders are volume roots for UpOneLevel; LocalVolumeRoots() at first.
    void SetVolumeRoots(const QStringList& roots) { roots_ = roots; }

    // The selected entries in list order.
    std::vector<TLocalEntry> SelectedEntries() const;
    // The entry of a row of the list, as the list was filled (an edited
    // caption is not taken until the next refresh).
    TLocalEntry EntryAt(int row) const;

    // A file was double-clicked: its absolute path.
    std::function<void(TLocalFileListView* sender, const QString& fileName)> OnExecute;

private:
    void Fill(const std::vector<TLocalEntry>& entries);
    void ShowFolder(const QString& folder);
    void UpdateLabel();
    void DoubleClicked(QListWidgetItem* item);

    QString directory_;
    QString mask_ = QString::fromLatin1(kDefaultLocalMask);
    QPointer<QLabel> dirLabel_;
    QStringList roots_;
    bool updating_ = false;
};

} // namespace vesk
