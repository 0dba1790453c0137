// THTMLVeskMain: the main window — document tabs, the current editor, titles,
// command enabling, start-up and closing. It hosts the commands (Commands.h),
// the file commands (FileCommands.h) and the tools (ToolHost.h).
//
// Tab n consists of the page "TS"n (the first is "TabSheet1"), the editor
// "RE"n (TVeskMemoFile) and the gutter "PG"n, always found by name. Tabs are
// only ever added, so names and page indexes stay in step. Every editor
// shares the first editor's start/stop key list.
//
// Every command runs inside a command scope: it receives the editor that was
// current when it started, an exception that escapes it is shown in the
// error box and ends that command only, and a file handed over by a second
// start meanwhile is opened once the outermost command (or question) ends.
#pragma once

#include "app/Commands.h"
#include "app/LineMarkers.h"
#include "app/SavePrompt.h"
#include "app/ToolHost.h"
#include "editor/KeyLists.h"
#include "editor/VeskGutter.h"
#include "editor/VeskMemo.h"

#include <QDate>
#include <QMainWindow>
#include <QString>
#include <QStringList>

#include <array>
#include <exception>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QTabWidget;
class QToolBar;
class QToolButton;
class QWidget;

namespace vesk {

class TClipperBar;
class TCodeBar;
class TFileCommands;

// What each document editor may keep for undo, in bytes of replaced text.
inline constexpr std::int64_t kDocumentUndoSpace = std::int64_t(64) << 20;

class THTMLVeskMain : public QMainWindow, public TToolHost {
    Q_OBJECT
public:
    explicit THTMLVeskMain(QWidget* parent = nullptr);
    ~THTMLVeskMain() override;

    // ---- tabs --------------------------------------------------------------
    int TabCount() const;
    TVeskMemoFile* Editor(int page) const;   // "RE"page, or null
    TVeskGutter* Gutter(int page) const;     // "PG"page, or null
    TVeskMemoFile* CurrentEditor() const override { return current_; }
    TVeskGutter* CurrentGutter() const { return currentGutter_; }
    void CreateTab1Click();
    // Makes the tab of `editor` the active one (nothing for a foreign editor).
    void ShowTabOf(TVeskMemoFile* editor);
    // Opens an existing file in a new tab (a missing one is ignored).
    void AddFile(const QString& path);
    // A second start handed over a record: raise the window and open its
    // file; during a command or a question the file waits until it ends.
    int CopyDataReceived(int identifier, const QString& text);

    // ---- titles ---------------------------------------------------------------
    // The tab caption (file name or "Untitled") and, for the current editor,
    // the window title ("HTML Vesk - " and the path) and the status bar's
    // encoding; a leading "*" marks unsaved changes in caption and title.
    void ShowDocumentState(TVeskMemoFile& editor);
    // `editor` now holds `path`: captions and, unless it heads the list
    // already, the recent files.
    void DocumentNamed(TVeskMemoFile& editor, const QString& path);
    // The status bar's encoding field.
    QLabel* EncodingLabel() const { return encodingLabel_; }

    // ---- start-up and closing -----------------------------------------------
    // Start-up steps after the window exists: settings, bars, command line.
    void Form1Show(const QStringList& arguments);
    // The desktop session is ending: offers to save each changed document,
    // writes the settings and the autostart entry that starts the program
    // once at the next login with the open documents. Returns the command
    // registered, each word quoted as in the entry's Exec line.
    QString SessionEnding();
    // The closing sequence: the save prompt for every tab, then the settings.
    // False when the user cancelled (the window stays open).
    bool CloseAllowed();

    // ---- commands ------------------------------------------------------------
    void RichEditUpdate();
    void RichEditSelChange();
    // Runs the automatic closing functions for one document; false = Cancel.
    bool SavePrompt(TVeskMemoFile* editor);
    TSavePrompt& SavePromptSteps() { return savePrompt_; }
    TFileCommands& Files() { return *files_; }
    // Rebuilds both code bars from the code lists, then the Reopen menu.
    void FillToolBars();
    // A command's action, by command, tool-bar button or pop-up item name.
    QAction* Action(const QString& name) const;
    QAction* Action(const char* name) const { return Action(QString::fromLatin1(name)); }
    TCommands& Commands() { return *commands_; }
    QMenu* ReopenMenu() const;
    QMenu* PopupMenu() const { return popup_; }
    QWidget* Bar(std::string_view name) const;  // one of kBars
    // Runs `body` as a command acting on `editor` (see the class comment).
    void RunCommand(TVeskMemoFile& editor, const std::function<void(TVeskMemoFile&)>& body);

    // ---- clipper ------------------------------------------------------------
    TClipperBar* Clipper() const { return clipper_; }

    // ---- line markers ("<!>" in the text, numbered in the gutter) ----------
    static constexpr int kMaxLineMarkers = TLineMarkers::kMaxLineMarkers;
    void OnPopup5() { markers_->OnPopup5(current_, currentGutter_); }
    void GotoTag(int k) { markers_->GotoTag(current_, k); }
    int MarkerCount() const { return markers_->Count(); }
    std::int32_t MarkerOffset(int k) const { return markers_->Offset(k); }
    QMenu* GutterMenu() const { return markers_->Menu(); }

    // ---- tools (TToolHost) ----------------------------------------------------
    QWidget* MainWindow() override { return this; }
    QDate Today() const override { return today(); }
    void SetCommand(std::string_view name, TCommandHandler handler) override;
    void AddSaveStep(TSaveStep step) override { savePrompt_.Add(std::move(step)); }
    bool SavePrompt(TVeskMemoFile& editor) override { return SavePrompt(&editor); }
    void WhenTabsChange(std::function<void()> f) override { tabsChange_.push_back(std::move(f)); }
    // The tool entry of type T, or null.
    template <class T>
    T* Entry() const
    {
        for (const auto& e : entries_) {
            if (auto* t = dynamic_cast<T*>(e.get()))
                return t;
        }
        return nullptr;
    }
    // "Today" for the date tools; tests fix it.
    std::function<QDate()> today = [] { return QDate::currentDate(); };

protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    friend class TFileCommands;
    void BuildBars();
    void ConfigureEditor(TVeskMemoFile* editor, TVeskGutter* gutter);
    void PageControlChange(int index);
    void TabsChanging();
    void Form1Resize();
    void ReadIni();
    void WriteIni();
    // Shows an exception that ended a command.
    void ShowException(const std::exception& e);
    // Opens the files handed over while the window was busy.
    void OpenHandedOver();
    bool Busy() const;

    TCommands* commands_ = nullptr;
    std::unique_ptr<TFileCommands> files_;
    TSavePrompt savePrompt_;
    QTabWidget* pages_ = nullptr;
    QToolButton* plus_ = nullptr;
    QMenu* popup_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    QLabel* encodingLabel_ = nullptr;
    std::map<std::string, QWidget*, std::less<>> bars_;
    TVeskMemoFile* current_ = nullptr;
    TVeskGutter* currentGutter_ = nullptr;
    std::shared_ptr<TStartStopKeyList> keys_;
    TClipperBar* clipper_ = nullptr;
    TCodeBar* seCodes_ = nullptr;
    TCodeBar* singleCodes_ = nullptr;
    TLineMarkers* markers_ = nullptr;
    std::vector<std::unique_ptr<TToolEntry>> entries_;
    std::vector<std::function<void()>> tabsChange_;
    int commandDepth_ = 0;
    bool clipboardHasText_ = false;
    QStringList handedOver_;
};

// The window's first placement, before any is saved: most of the screen's
// `available` area, at least as wide as the tool bar (when the screen is), centred.
QRect FirstStartGeometry(const QRect& available, int toolBarWidth);

// Turns a filter of the form "Name|*.a;*.b|Other|*.*" into Qt's "Name (*.a *.b);;…".
QString QtFileFilter(const QString& pipeFilter);

} // namespace vesk
