// THTMLVeskMain: the main window with its document tabs, menus, tool bar,
// command enabling, start-up and closing.
//
// Tab n consists of the page "TS"n (the first is "TabSheet1"), the editor
// "RE"n (TVeskMemoFile) and the gutter "PG"n, always found by name. Tabs are
// only ever added, so names and page indexes stay in step. Every editor
// shares the first editor's start/stop key list.
#pragma once

#include "app/FindReplace.h"
#include "editor/KeyLists.h"
#include "editor/VeskGutter.h"
#include "editor/VeskMemo.h"

#include <QDate>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <map>
#include <memory>

class QAction;
class QFile;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace vesk {

class TClipperBar;
class TForm3;
class TForm8;

class THTMLVeskMain : public QMainWindow {
    Q_OBJECT
public:
    explicit THTMLVeskMain(QWidget* parent = nullptr);
    ~THTMLVeskMain() override;

    // ---- tabs --------------------------------------------------------------
    int TabCount() const;
    TVeskMemoFile* Editor(int page) const;   // "RE"page, or null
    TVeskGutter* Gutter(int page) const;     // "PG"page, or null
    TVeskMemoFile* CurrentEditor() const { return current_; }
    TVeskGutter* CurrentGutter() const { return currentGutter_; }
    void CreateTab1Click();
    // Opens an existing file in a new tab (a missing one is ignored).
    void AddFile(const QString& path);
    // A second start handed over a record: raise the window and open its file.
    int CopyDataReceived(int identifier, const QString& text);

    // ---- start-up and closing -----------------------------------------------
    // Start-up steps after the window exists: settings, bars, command line.
    void Form1Show(const QStringList& arguments);
    // The desktop session is ending: offers to save each changed document,
    // writes the settings and registers the program to start once at the
    // next logon with the open documents. Returns the command registered.
    QString SessionEnding();
    // The closing sequence: the save prompt for every tab, then the settings.
    // False when the user cancelled (the window stays open).
    bool CloseAllowed();

    // ---- commands ------------------------------------------------------------
    void RichEditUpdate();
    void RichEditSelChange();
    void WordWrapClick();
    void DeleteClick();
    void NewClick();
    void OpenDirClick();
    void OpenDialog(const QString& initialFolder);
    void OpenClick(const QString& caption);  // a Reopen menu item
    void SaveClick();
    bool SaveAsClick();
    void ImportFile1Click();
    void ExportText1Click();
    // Open the modeless Find or Replace dialog, pre-filled with the selection.
    void FindClick();
    void ReplaceClick();
    TFindDialog* FindDialog() const { return findDialog_; }
    TFindDialog* ReplaceDialog() const { return replaceDialog_; }
    // Runs the automatic closing functions for one document; false = Cancel.
    bool SavePrompt(TVeskMemoFile* editor);
    void FillMenu();
    // Rebuilds both code bars from the code lists, then the Reopen menu.
    void FillToolBars();
    // Double clicks on the code bars (S/E codes wrap, single codes replace).
    void ListBox2DblClick(int row, int column);
    void ListBox1DblClick(int row, int column);
    // Tells the user that a save went ahead without its backup copy.
    void ReportBackupFailure(const QString& path);
    void SetTitleFor(TVeskMemoFile* editor);
    // The current document now has `path`: window title, tab caption and,
    // unless it heads the list already, the recent files.
    void DocumentNamed(const QString& path);

    // ---- clipper ------------------------------------------------------------
    TClipperBar* Clipper() const { return clipper_; }
    // Cut or copy the editor's selection into the clipper ("Clipper Full"
    // when it holds twelve items already).
    void ClipperCut();
    void ClipperCopy();
    // Replaces the editor's selection by the selected item.
    void ClipperPaste();
    // The delete button: removes the selected item.
    void TransparentButton1Click();
    // F`key` (1 … 12): selects item key−1, or with Ctrl inserts it. False,
    // doing nothing, when there is no such item.
    bool ClipperKey(int key, bool ctrl);
    // The label menu's way of pressing a key: the key's press and release
    // (inside Ctrl's for Paste) are sent to this window.
    void SendClipperKey(int key, bool ctrl);

    // ---- line markers ("<!>" in the text, numbered in the gutter) ----------
    static constexpr int kMaxLineMarkers = 9;
    // Rebuilds the marker table, the gutter marks and the gutter menu for
    // the current tab; runs after every change, tab switch and load.
    void OnPopup5();
    // A press on a gutter at (x, y) in its coordinates: the left button
    // places or removes a marker at the start of the display line there.
    void GutterMouseDown(Qt::MouseButton button, int x, int y);
    // Gutter menu item k (1 … 9): the caret goes just after marker k.
    void GotoTag(int k);
    int MarkerCount() const { return markerCount_; }
    std::int32_t MarkerOffset(int k) const { return markerOffsets_[std::size_t(k)]; }
    QMenu* GutterMenu() const { return gutterMenu_; }

    // ---- tools ----------------------------------------------------------------
    // The colour producer for the current document (modal).
    void ColorProducer1Click();
    TForm3* ColorProducer() const { return colorProducer_; }
    // Validates the current document into the results window (a request
    // while a run is going on is ignored).
    void ValidBtnClick();
    TForm8* ValidatorWindow() const { return form8_; }
    // Inserts quick code `code` (0 … 10) built from "quickcod.ini".
    void QuickCodeInsert(int code);
    // Offers each date of the current document for replacement by today's.
    void UpdaterBtnClick();
    // "Today" for the date tools; tests fix it.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

    // ---- hooks ----------------------------------------------------------------
    // File dialogs (tests replace them): return the chosen path or "".
    std::function<QString(const QString& initial)> openFileDialog;
    std::function<QString(const QString& initial)> saveFileDialog;
    // The tools the save prompt runs; each is wired when its tool exists.
    std::function<void(TVeskMemoFile*)> runUpdater, runSpellChecker, runValidator, addToUploadBin, showUploader;
    std::function<bool(const QString& path)> inUploadBin;

    // Named actions (menu items and tool-bar buttons share them), by object name.
    QAction* Action(const QString& name) const;
    QMenu* ReopenMenu() const { return reopenMenu_; }
    QWidget* Bar(const QString& name) const;  // "Panel6", "Panel2", "StringGrid1", "StringGrid2"

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildBars();
    void ConfigureEditor(TVeskMemoFile* editor, TVeskGutter* gutter);
    void PageControlChange(int index);
    void Form1Resize();
    // Loads a document file into `editor`; throws with the message to show.
    // A file that cannot be opened leaves the editor as it was; one that
    // fails half-way leaves it empty and untitled, so no later Save can
    // write that emptiness over the file.
    void LoadInto(TVeskMemoFile* editor, const QString& path);
    void LoadInto(TVeskMemoFile* editor, QFile& file, const QString& path);
    // Loads `path` into the current tab (the save prompt has run).
    void OpenPath(const QString& path);
    void ReadIni();
    void WriteIni();
    void BuildGutterMenu();
    void FillQuickCodeMenu(QMenu* menu);
    QAction* AddAction(QMenu* menu, const QString& name, const QString& caption,
                       const QKeySequence& shortcut, std::function<void()> run);

    QTabWidget* pages_ = nullptr;
    QToolButton* plus_ = nullptr;
    QMenu* reopenMenu_ = nullptr;
    QMenu* popup_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    std::map<QString, QAction*> actions_;
    std::map<QString, QWidget*> bars_;
    TVeskMemoFile* current_ = nullptr;
    TVeskGutter* currentGutter_ = nullptr;
    std::shared_ptr<TStartStopKeyList> keys_;
    TFindDialog* findDialog_ = nullptr;
    TFindDialog* replaceDialog_ = nullptr;
    TClipperBar* clipper_ = nullptr;
    TForm3* colorProducer_ = nullptr;
    TForm8* form8_ = nullptr;
    QMenu* gutterMenu_ = nullptr;
    std::array<std::int32_t, kMaxLineMarkers> markerOffsets_{};
    int markerCount_ = 0;
};

// Turns a filter of the form "Name|*.a;*.b|Other|*.*" into Qt's "Name (*.a *.b);;…".
QString QtFileFilter(const QString& pipeFilter);

} // namespace vesk
