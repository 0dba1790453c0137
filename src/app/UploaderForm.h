// TForm4, "HTML Vesk FTP Uploader": the remote list of an FTP site over the local list of this computer.
//
// A thin window over TUploadSession (upload/UploadSession.h): it asks the
// questions and shows the texts through MsgBox, and applies the enabling
// rules after every change. Sites, the selected site, the upload bin and
// the advanced settings are read from the settings file at each connect.
//
#pragma once

#include "settings/Settings.h"
#include "upload/UploadSession.h"

#include <QDialog>

#include <functional>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vesk {

class TAnimated;
class TLocalFileListView;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr, SettingsFile settings = SettingsFile());

    // --- Operations of the buttons (public for the tests and the entry).
    void ConnectClick();
    void RemoteRefresh();
    void UploadBinClick();
    void UploadSelected();
    void DownloadSelected();
    void RemoteUpOneLevel();
    void RemoteNewDir();
    void RemoteDelete();
    void LocalNewDir();
    void LocalDelete();
    // Start in-place editing of the one selected entry; the rename happens
    // when the edit ends with another text.
    void RemoteRenameClick();
    void LocalRenameClick();
    // Fills the site chooser from the settings and selects the selected site.
    void FillSites();
    // The preferences' site list, in step: its names and selected index.
    void SetSites(const QStringList& names, int selected);
    void SettingsClick();

    // ---- hooks (all optional; without them the settings file is read) ----
    // The fields the preferences' Uploader Setup page holds; Connect uses them.
    std::function<FtpSite()> SiteFields;
    // A site was chosen in the chooser (its index).
    std::function<void(int index)> OnSiteSelected;
    // The upload bin as the preferences hold it, and emptying it there
    // (which saves every preference they hold).
    std::function<QStringList()> UploadBinFiles;
    std::function<void()> OnEmptyBin;
    // The Settings button: the preferences on their Uploader Setup page.
    std::function<void()> OnSettings;

    bool Connected() const { return session_.Connected(); }
    bool Busy() const { return busy_; }
    TUploadSession& Session() { return session_; }
    TAnimated* Animation() const { return animation_; }
    QListWidget* RemoteList() const { return remoteList_; }
    TLocalFileListView* LocalList() const { return localList_; }
    QString StatusText() const;
    // Drag and drop between the lists: a drag over `target` (one of the two
    // lists) is taken only from the other list, while connected and not busy.
    bool AcceptsDrop(const QWidget* target, const QObject* source) const;
    // A drop onto `target`: after the guard, remote onto local downloads
    // and local onto remote uploads. False when the drop was not taken.
    bool Drop(const QWidget* target, const QObject* source);
    // The enabling rules; `localChange` for the local list's own changes.
    void ApplyRules(bool localChange = false);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetBusy(bool on);
    // The connected/busy guard: false (after its box) when the operation may not run.
    bool Guard();
    bool BusyGuard();
    void Status(const QString& text);
    void FillRemote();
    void RemoteEdited(QListWidgetItem* item);
    void LocalEdited(QListWidgetItem* item);
    // The pop-up menu of either list.
    void PopUp(QListWidget* list, const QPoint& at);
    QStringList Bin() const;
    QStringList RemoteCaptions() const;
    std::vector<TRemoteEntry> SelectedRemote() const;

    SettingsFile settings_;
    TUploadSession session_;
    bool busy_ = false;
    bool sitesFromPreferences_ = false;  // the preferences fill the chooser
    QString progressVerb_;  // "Uploading " or "Downloading "; empty while listing

    QListWidget* remoteList_;
    TLocalFileListView* localList_;
    QLabel* folderLabel_;
    QLabel* status_;
    QProgressBar* progress_;
    QComboBox* sites_;
    TAnimated* animation_;
    QToolButton* remoteUp_;
    QToolButton* remoteNewDir_;
    QToolButton* remoteRename_;
    QToolButton* remoteDelete_;
    QToolButton* remoteRefresh_;
    QToolButton* download_;
    QToolButton* upload_;
    QToolButton* localUp_;
    QToolButton* localNewDir_;
    QToolButton* localRename_;
    QToolButton* localDelete_;
    QToolButton* localRefresh_;
    QPushButton* uploadBin_;
    QPushButton* settingsButton_;
    QPushButton* connect_;
};

} // namespace vesk
