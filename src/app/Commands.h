// TCommands: the main window's commands as actions, and the menu bar, editor
// pop-up menu and tool bar built from the command table (CommandTable.h).
//
// Each command of the table is one QAction, named after the command; its
// menu item, pop-up item and tool-bar button all present that action. A
// pop-up item whose caption differs from the menu's ("&View Picture" for
// "&Edit Picture") is an alias action that triggers the command and is
// enabled with it by Update(). What a command does is a handler set by
// whoever owns it (the main window, a tool); a command without a handler
// does nothing. Running a handler goes through the runner the window gives,
// which hands it the editor the command acts on.
#pragma once

#include "app/CommandTable.h"

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <string_view>
#include <vector>

class QAction;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

namespace vesk {

class TVeskMemoFile;

// What a command does, to the editor that was current when it started.
using TCommandHandler = std::function<void(TVeskMemoFile& editor)>;

class TCommands : public QObject {
    Q_OBJECT
public:
    // Runs `handler` for the command `name` (the window supplies the editor).
    using TRunner = std::function<void(std::string_view name, const TCommandHandler& handler)>;

    // Creates one action per command of the table, children of `owner`.
    TCommands(QWidget* owner, TRunner runner);

    // The action of a command, found by the command's, its button's or its
    // pop-up item's name; null when the table has no such name.
    QAction* Action(std::string_view name) const;
    QAction* Action(const QString& name) const { return Action(std::string_view(name.toLatin1().constData())); }
    // Sets (replaces) what a command does. Unknown names are a programming
    // error and throw std::logic_error, so a misspelt name cannot fail silently.
    void SetHandler(std::string_view name, TCommandHandler handler);
    bool HasHandler(std::string_view name) const;
    // Runs the command as its menu item would.
    void Trigger(std::string_view name) const;

    // Fills the menu bar, returns the pop-up menu, fills the tool bar.
    void BuildMenuBar(QMenuBar& bar);
    QMenu* BuildPopupMenu(QWidget* parent);
    void BuildToolBar(QToolBar& bar);
    // A submenu the layouts named ("Reopen1"); null before it is built.
    QMenu* Submenu(std::string_view name) const;

    // Enables every command (and its aliases) by its rule.
    void Update(const TCommandFacts& facts);

private:
    QMenu* BuildMenu(std::span<const TMenuEntry> entries, std::size_t& i, QMenu* into, QWidget* parent);

    QWidget* owner_;
    TRunner runner_;
    std::map<std::string, QAction*, std::less<>> actions_;  // by command name
    std::vector<QAction*> inTableOrder_;                     // parallel to CommandRows()
    std::map<std::string, TCommandHandler, std::less<>> handlers_;
    std::map<std::string, QMenu*, std::less<>> submenus_;
    std::vector<std::pair<QAction*, QAction*>> aliases_;     // (alias, command)
};

} // namespace vesk
