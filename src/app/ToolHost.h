// TToolHost: what a tool may ask of the main window, and TToolEntry, a tool's
// place in it.
//
// A tool (validator, date updater, colour producer, …) is an entry object
// created once with the main window. It owns its windows, sets the handlers
// of its commands and registers its step of the save prompt; it reaches the
// shell only through this narrow interface. Messages go through MsgBox and
// files beside the program through ProgramFile, as everywhere.
#pragma once

#include "app/Commands.h"
#include "app/SavePrompt.h"

#include <QDate>
#include <QString>

#include <functional>
#include <string_view>

class QWidget;

namespace vesk {

class TVeskMemoFile;

class TToolHost {
public:
    virtual ~TToolHost() = default;
    // The active tab's editor (never null while the window lives).
    virtual TVeskMemoFile* CurrentEditor() const = 0;
    // The parent of the tool's windows.
    virtual QWidget* MainWindow() = 0;
    // "Today" for tools that write dates (tests fix it).
    virtual QDate Today() const = 0;
    // What a command of the table does; the handler receives the editor that
    // was current when the command started, whatever happens meanwhile.
    virtual void SetCommand(std::string_view name, TCommandHandler handler) = 0;
    virtual void AddSaveStep(TSaveStep step) = 0;
    // Runs the save prompt's automatic functions on `editor` (its tab is
    // shown while asking); false when the user cancelled.
    virtual bool SavePrompt(TVeskMemoFile& editor) = 0;
    // Called before the active tab changes or a tab is created.
    virtual void WhenTabsChange(std::function<void()> f) = 0;
    // Rebuilds the code bars from the stored code lists, and the Reopen menu.
    virtual void FillToolBars() = 0;
    // The File menu's Save As on `editor`; false when nothing was saved.
    virtual bool SaveAs(TVeskMemoFile& editor) = 0;
    // The File menu's open dialog, starting in `folder`: the chosen file, or
    // "" when cancelled.
    virtual QString OpenFileDialog(const QString& folder) = 0;
};

class TToolEntry {
public:
    virtual ~TToolEntry() = default;
};

} // namespace vesk
