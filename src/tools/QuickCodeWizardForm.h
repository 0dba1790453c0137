// TForm5, the Quick Code Setup Wizard: nineteen pages of controls over
// "quickcod.ini", walked through one quick code's group with Back and Next.
//
// The window holds the controls only; which key each control holds, the
// defaults and the reading and writing of a page are QuickCodeWizard.h.
// Every page is read from the file each time the window is shown and a page
// is written when it is left with Back, Next or Finish; Cancel leaves the
// page on screen unwritten (pages left before stay written).
#pragma once

#include "platform/HelpWindow.h"
#include "tools/QuickCodeWizard.h"

#include <QDialog>

#include <array>
#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QStackedWidget;

namespace vesk {

class TForm3;
class TVeskMemoCore;

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

    // The file the wizard edits (the program's "quickcod.ini" unless set).
    void SetSettingsPath(const QString& path) { settingsPath_ = path; }
    const QString& SettingsPath() const { return settingsPath_; }
    // The document the colour producer reads its starting colours from (may
    // be null); the wizard never changes it.
    void SetEditor(TVeskMemoCore* editor) { editor_ = editor; }

    // Shows `page` (0 … 18, anything else is held to that range) the next
    // time the window opens: Back is disabled on the first page of a group,
    // and Next reads "&Finish" on a group's last page ("&Finish >>" for the
    // copyright group's).
    void Open(int page);
    int CurrentPage() const;

    // ---- what the window does --------------------------------------------
    // Every control takes its key's value from the file (FormActivate).
    void ReadIni();
    // Writes the page's controls to the file (sane values only).
    void WritePage(int page);
    // Back (false) or Next/Finish (true): write the current page, then move;
    // Finish closes the window with OK.
    void Button2Click(bool next);
    // "&Default": erase the page's section and show the default values.
    void Button11Click();
    // "&Insert": the current group's quick code, from the file as stored.
    void Button10Click();
    // A "..." button: choose a file for the text box of key `key` on `page`.
    void Button8Click(int page, const char* key);
    // The colour producer for the page colours of page 5 (Button4) or the
    // font colour of page 14 (Button12).
    void Button4Click();
    void Button12Click();
    // Enables each control as its check box says.
    void ReFreshForm();

    // The control of `key` on `page` (null when the page has no such key).
    QWidget* Control(int page, const char* key) const;
    QPushButton* BackButton() const { return back_; }
    QPushButton* NextButton() const { return next_; }
    // The page's values as its controls show them.
    TWizardValues PageValues(int page) const;
    void ShowValues(int page, const TWizardValues& values);
    // The colour producer the colour buttons open (made on first use).
    TForm3* ColorProducer();

    // What Insert does with a quick code; unset, Insert does nothing.
    std::function<void(int code)> OnInsert;
    // Asks for a file; returns its path, or "" when the user cancelled.
    std::function<QString()> chooseFile;
    // The program folder the chosen files are made relative to.
    std::function<QString()> programFolder;
    // The help button (the program's help window unless replaced).
    std::function<void(int topic)> OnHelp = ShowHelpTopic;

protected:
    void showEvent(QShowEvent* e) override;

private:
    QWidget* BuildPage(int page);
    void ShowPage(int page);
    void SetText(int page, const char* key, const QString& text);

    QString settingsPath_;
    TVeskMemoCore* editor_ = nullptr;
    int openPage_ = 0;
    QStackedWidget* pages_ = nullptr;
    QLabel* step_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* next_ = nullptr;
    // Per page, the control of each entry of its table (null for none).
    std::array<std::vector<QWidget*>, kWizardPageCount> controls_{};
    TForm3* colorProducer_ = nullptr;
};

} // namespace vesk
