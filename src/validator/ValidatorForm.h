// TForm8, the validator's results window: status, progress, the list of
// errors, and the jump from an entry to its line.
//
// Created once with the program and only shown and hidden. A run shows it
// (not modally); closing it, by its close box or by close()/hide() from the
// main window when the active tab changes, stops a run before the next
// character is scanned.
//
// Wiring in the main window:
//   form8->CurrentEditor = [this] { return CurrentEditor(); };  // double-click target
//   ValidBtnClick / runValidator:  form8->Validate(editor);
//   on a tab change:                form8->close();
#pragma once

#include "platform/HelpTopics.h"
#include "platform/HelpWindow.h"
#include "validator/ValidatorEngine.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vesk {

class TVeskMemo;
class TVeskMemoFile;

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

    // Components, named as in the window's design.
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QWidget* Panel2 = nullptr;
    QPushButton* Button1 = nullptr;
    QListWidget* ListBox1 = nullptr;
    QProgressBar* ProgressBar1 = nullptr;

private:
    class Results;

    TValidator engine_;
    QPointer<TVeskMemoFile> lastEditor_;
};

} // namespace vesk
