// TForm2, "HTML Vesk Preferences": every user setting of the program on ten pages, and the owner of
// the code lists, program commands, preferred files, upload bin and FTP sites while the program runs.
//
// The dialog is created once. It reads the settings file when created, each
// time it opens and on Cancel (ReadSettings), and writes it on OK, Apply,
// the save prompt's "Add to Upload Bin?" and "Start Uploader"
// (WriteSettings: one file replacement, then the desktop associations).
// Pages, in order (PageIndex):
//   0 Preferences       desktop switches, the seven closing functions
//   1 Single Codes      2 S/E Codes      checkable sorted code lists
//   3 Quick Codes       the quick-code tree and "Open Quick Codes Wizard"
//   4 Browsers          5 Viewers        command lines
//   6 Preferred Files   at most nine files for the Reopen menu
//   7 Uploader Setup    8 Upload Bin     FTP sites and the files to send
//   9 Validator         the HTML version (only 4.0 strict can be chosen)
// Apply is enabled by editing a command or site field, the three desktop
// switches, the first four closing functions, Anonymous, a "..." or
// "Default" button and any list change; checking codes, the last three
// closing functions and the version buttons leave it alone (OK saves them
// all the same). Every message goes through MsgBox.
//
// The dialog reaches the rest of the program only through the hooks below;
// unset hooks do nothing (dialogs answer "cancelled").
#pragma once

#include "platform/HelpWindow.h"
#include "settings/Preferences.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace vesk {

class TVeskMemoFile;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    enum TPage {
        pgPreferences = 0,
        pgSingleCodes = 1,
        pgSECodes = 2,
        pgQuickCodes = 3,
        pgBrowsers = 4,
        pgViewers = 5,
        pgPreferredFiles = 6,
        pgUploaderSetup = 7,
        pgUploadBin = 8,
        pgValidator = 9,
        kPageCount = 10
    };

    // Reads the settings file (ReadSettings) once, as at start-up.
    explicit TForm2(QWidget* parent = nullptr);

    // ---- opening and the bottom buttons ------------------------------------
    // ReadSettings, then the dialog modally on `page`; the result of exec().
    int ShowPage(int page);
    int PageIndex() const;
    void SetPageIndex(int page);
    // The help topic of a page (32 … 42; 0 for any other index).
    static int HelpTopic(int page);
    void OKBtnClick();      // WriteSettings, FillToolBars, close with OK
    void CancelBtnClick();  // ReadSettings, FillToolBars, close
    void ApplyBtnClick();   // WriteSettings, Apply disabled
    void HelpBtnClick();    // the help topic of the page shown

    // ---- the settings --------------------------------------------------------
    // Loads every page from the settings file; Apply ends disabled.
    void ReadSettings();
    // Saves every page, then brings the desktop associations in line with
    // the three switches. False when something could not be saved (the
    // user has been told); the associations that failed are told in one
    // message and stay as they were.
    bool WriteSettings();
    // What the pages hold now.
    TPreferences Gather() const;
    void MarkChanged();
    bool Changed() const;

    // ---- lists that other parts of the program read ---------------------------
    QStringList UploadBin() const;
    QStringList SiteNames() const;
    int SelectedSite() const;
    // The fields of the Uploader Setup page, from which the uploader connects.
    // The page does not edit CertSha256: it is the selected site's stored
    // one while the host field still names the stored host, else empty.
    FtpSite SiteFields() const;

    // ---- page actions (the buttons call these) --------------------------------
    void AddCodeClick(bool seCodes);
    void RemoveCodeClick(bool seCodes);
    void OpenWizardClick();
    void BrowseClick(QLineEdit* field);
    void DefaultClick(QLineEdit* field);
    void AddPreferredClick();
    void RemovePreferredClick();
    void AddCurrentPreferredClick();
    // Uploader Setup.
    void SiteListClick();  // a site was selected in the list
    void AnonymousClick();
    void NewSiteClick();
    void SaveSiteClick();
    void RemoveSiteClick();
    void StartUploaderClick();
    void AdvancedClick();
    // Upload Bin.
    void AddBinFileClick();
    void RemoveBinClick();
    // The "Add Current Page" rule of the upload bin, on `editor`: an
    // untitled document is saved first if the user agrees; false when
    // nothing was added (No, or the Save As dialog cancelled).
    bool AddCurrentPageToBin(TVeskMemoFile* editor);
    // After the uploader sent the bin and the user chose to empty it: the
    // bin is cleared and all preferences held here are saved (false when
    // the settings could not be written).
    bool EmptyUploadBin();
    // Selects a site as a click in the list would (-1 for none).
    void SelectSite(int index);

    // ---- hooks -----------------------------------------------------------------
    // The main window's open dialog: starts in the folder given, returns the
    // chosen file or "".
    std::function<QString(const QString& folder)> OpenFileDialog;
    // The program-selection dialog of "...": starts in the current folder.
    std::function<QString(const QString& folder)> ProgramDialog;
    // The standard input query of the code lists' "Add"; nullopt = Cancel.
    std::function<std::optional<QString>(const QString& title, const QString& prompt)> InputQuery;
    std::function<TVeskMemoFile*()> CurrentEditor;
    // Save As on a document; false when nothing was saved.
    std::function<bool(TVeskMemoFile&)> SaveAs;
    // Rebuilds the code bars and the Reopen menu.
    std::function<void()> FillToolBars;
    // The Quick Code Setup Wizard on one of its pages; `finish` relabels its
    // Next button "&Finish" (the page completes the item).
    std::function<void(int wizardPage, bool finish)> OnOpenWizard;
    // The advanced FTP settings dialog, shown modally; afterwards the
    // uploader's client takes its values (OnAdvancedClosed).
    std::function<void()> ShowAdvanced;
    std::function<void()> OnAdvancedClosed;
    // The uploader window: whether it is showing, and showing it modally.
    // Without ShowUploader, "Start Uploader" saves and closes the dialog.
    std::function<bool()> UploaderVisible;
    std::function<void()> ShowUploader;
    // The uploader's site chooser mirrors the site list: its entries and
    // its selected index (-1 for none).
    std::function<void(const QStringList& names, int selected)> OnSiteChooser;
    // The help button (the program's help window unless replaced).
    std::function<void(int topic)> OnHelp = ShowHelpTopic;
    // The program's path written into the desktop entry.
    QString programPath;

    // ---- controls (tests drive the dialog through them) --------------------------
    QTabWidget* PageControl = nullptr;
    QPushButton* OKBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    QPushButton* ApplyBtn = nullptr;
    QPushButton* HelpBtn = nullptr;
    // Page 0.
    QCheckBox* HtmCheck = nullptr;
    QCheckBox* TxtCheck = nullptr;
    QCheckBox* EditCheck = nullptr;
    // In page order: Update Dates, Check Spelling, Save Changes, Backup
    // Before Overwriting, Add File to Upload List, Upload New Files,
    // Validate HTML Code.
    std::array<QCheckBox*, 7> AutoChecks{};
    // Pages 1 and 2: [0] single codes, [1] S/E codes.
    std::array<QListWidget*, 2> CodeLists{};
    std::array<QLabel*, 2> CodeCounts{};
    std::array<QPushButton*, 2> CodeAddBtns{};
    std::array<QPushButton*, 2> CodeRemoveBtns{};
    // Page 3.
    QTreeWidget* QuickTree = nullptr;
    QPushButton* OpenWizardBtn = nullptr;
    // Pages 4 and 5.
    std::array<QLineEdit*, kBrowserCount> BrowserEdits{};
    std::array<QPushButton*, kBrowserCount> BrowserBrowseBtns{};
    QPushButton* BrowserDefaultBtn = nullptr;
    std::array<QLineEdit*, 3> ViewerEdits{};  // GIF, JPG, BMP
    std::array<QPushButton*, 3> ViewerBrowseBtns{};
    std::array<QPushButton*, 3> ViewerDefaultBtns{};
    // Page 6.
    QListWidget* PreferredList = nullptr;
    QLabel* PreferredCount = nullptr;
    QPushButton* PreferredAddBtn = nullptr;
    QPushButton* PreferredRemoveBtn = nullptr;
    QPushButton* PreferredCurrentBtn = nullptr;
    // Page 7.
    QLineEdit* SiteNameEdit = nullptr;
    QLineEdit* HostEdit = nullptr;
    QLineEdit* LoginEdit = nullptr;
    QLineEdit* PasswordEdit = nullptr;
    QLineEdit* DirectoryEdit = nullptr;
    QComboBox* EncryptionCombo = nullptr;  // EncryptionNames(), in the order of their values
    QCheckBox* AnonymousCheck = nullptr;
    QListWidget* SiteList = nullptr;
    QPushButton* NewSiteBtn = nullptr;
    QPushButton* RemoveSiteBtn = nullptr;
    QPushButton* SaveSiteBtn = nullptr;
    QPushButton* AdvancedBtn = nullptr;
    QPushButton* StartUploaderBtn = nullptr;
    // Page 8.
    QLabel* BinCount = nullptr;
    QListWidget* BinList = nullptr;
    QPushButton* BinAddBtn = nullptr;
    QPushButton* BinRemoveBtn = nullptr;
    QPushButton* BinCurrentBtn = nullptr;
    // Page 9: 2.0, 3.2, 4.0 (strict), 4.0 (transitional), 4.0 (frameset).
    std::array<QRadioButton*, 5> VersionRadios{};

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;  // Escape and the close button are Cancel

private:
    QWidget* BuildPage(int page);
    QWidget* BuildPreferencesPage();
    QWidget* BuildCodePage(int which);
    QWidget* BuildQuickCodesPage();
    QWidget* BuildBrowsersPage();
    QWidget* BuildViewersPage();
    QWidget* BuildPreferredPage();
    QWidget* BuildUploaderSetupPage();
    QWidget* BuildUploadBinPage();
    QWidget* BuildValidatorPage();
    // Gives every accelerator letter to one control: on the page shown,
    // the first control in tab order keeps a letter and later buttons
    // (the bottom ones last) give it up, so Alt+letter always acts instead
    // of wandering between two controls.
    void ResolveMnemonics();

    void FillCodeList(int which, const std::vector<CodeItem>& codes);
    std::vector<CodeItem> CodeItems(int which) const;
    void UpdateCodeCount(int which);
    void UpdatePreferredCount();
    void UpdateBinCount();
    void AddBinEntry(const QString& path);
    void SetSiteFields(const FtpSite& site);
    void UpdateSiteButtons();
    void UpdateLoginFields();
    void FillSiteList(const QStringList& names, int selected);
    void TellSiteChooser();
    void QuickTreeSelect();
    // The document's path once it has one: an untitled document is saved
    // first if the user agrees. Empty when it still has none.
    QString CurrentPagePath(TVeskMemoFile* editor);
    bool Guarded(const std::function<void()>& body);

    std::vector<QTreeWidgetItem*> quickNodes_;  // by absolute node index
    QStringList chooserNames_;                  // what the uploader's chooser shows
    QString lastOpenFolder_;
    bool loading_ = false;  // ReadSettings is filling the pages
};

} // namespace vesk
