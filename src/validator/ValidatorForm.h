// TForm8, the validator's results window: status, progress, the list of
// errors, and the jump from an entry to its line.
//
// Created once with the program and only shown and hidden. A run shows it
// (not modally); closing it, by its close box or by close()/hide() from the
// main window when the active tab changes, stops a run before the next
// character is scanned.
//
// Each time it opens it is placed beside the main window (its parent): to
// the right when the screen has room, else to the left, else over the main
// window's right edge. It can be resized; entries wrap at its width, so a
// message is never cut. Its size is kept in the settings file, [Validator]
// WindowWidth and WindowHeight, written when it is hidden after a change.
//
// Wiring in the main window:
//   form8->CurrentEditor = [this] { return CurrentEditor(); };  // double-click target
//   ValidBtnClick / runValidator:  form8->Validate(editor);
//   on a tab change:                form8->close();
#pragma once

#include "platform/HelpTopics.h"
#include "platform/HelpWindow.h"
#include "settings/Settings.h"
#include "validator/ValidatorEngine.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>

class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vesk {

class TVeskMemo;
class TVeskMemoFile;

// Where a window of `size` goes beside a window whose frame is `main`, on a
// screen whose free area is `available`: right of it when it fits there,
// else left of it, else over its right edge; always within `available` as
// far as the size allows.
QRect PlaceBeside(const QRect& main, const QSize& size, const QRect& available);

class TForm8 : public QWidget {
    Q_OBJECT
public:
    // `rulesPath` empty: the program folder's "4strict.ini".
    explicit TForm8(QWidget* parent = nullptr, const std::string& rulesPath = {});
    ~TForm8() override;

    // Validates the editor's text (ValidBtnClick): clears the list, shows
    // the window, scans, lists the errors or "No Errors Found", and selects
    // the first error's line in the editor. Returns false, doing nothing,
    // while a run is going on or when `editor` is null.
    bool Validate(TVeskMemoFile* editor);
    bool Running() const { return engine_.Running(); }
    TValidator& Engine() { return engine_; }

    // Jumps to the line of entry k in `editor`: selects the whole line,
    // scrolls it into view and focuses the editor. Nothing for a null
    // editor, an entry out of range, or a list that reads "No Errors Found".
    void ShowValidateError(TVeskMemo* editor, int k);

    // Handlers.
    void ListBox1DblClick();
    void Button1Click();

    // The editor a double click acts on (the main window's current editor);
    // unset, the editor of the last run.
    std::function<TVeskMemoFile*()> CurrentEditor;
    // Shows a help topic; "&Help" asks for topic 45 (the program's help
    // window unless replaced).
    std::function<void(int topic)> OnHelp = ShowHelpTopic;

    static constexpr int kHelpTopic = kHelpValidator;
    // The size of a first opening, and the smallest the window can be made.
    static constexpr QSize kDefaultSize{520, 260};
    static constexpr QSize kMinimumSize{260, 140};

    // The settings file the size is kept in (unset: the program's "orla.ini",
    // looked up when first needed).
    void SetSettingsFile(const SettingsFile& file) { settings_ = file; }

    // Components, named as in the window's design.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Panel2 = nullptr;
    QPushButton* Button1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

protected:
    void hideEvent(QHideEvent* event) override;

private:
    class Results;

    // Before showing: the remembered size and a place beside the main window.
    void PrepareToShow();
    // Writes the size when it changed since it was read or last written.
    void SaveSize();
    SettingsFile& Settings();

    TValidator engine_;
    QPointer<TVeskMemoFile> lastEditor_;
    std::optional<SettingsFile> settings_;
    bool sizeRead_ = false;
    QSize savedSize_;
};

} // namespace vesk
