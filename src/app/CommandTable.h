// The main window's commands as data: one row per command (its name, caption,
// key, enabling rule, tool-bar button and pop-up item), and the layouts of the
// menus, the editor pop-up menu and the tool bar that present them.
//
// A command is presented by one action: its menu item, its tool-bar button
// and its pop-up item are views of that one action, so they cannot drift
// apart. Everything here is plain data and pure functions; TCommands
// (Commands.h) turns it into actions and menus.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vesk {

// When a command is enabled, as a fact of the current document.
enum class TEnableRule : std::uint8_t {
    Always,
    HasText,           // the document has at least one line
    HasSelection,      // the selection is not empty
    ClipperHasItems,   // the clipper holds at least one item
    CanUndo,
    CanRedo,
    ClipboardHasText,  // the system clipboard holds plain text
};

// The facts of the current document that the rules read, computed once per
// update.
struct TCommandFacts {
    bool hasText = false;
    bool hasSelection = false;
    bool clipperHasItems = false;
    bool canUndo = false;
    bool canRedo = false;
    bool clipboardHasText = false;
};

bool CommandEnabled(TEnableRule rule, const TCommandFacts& facts);

struct TCommandRow {
    std::string_view name;     // the command's object name (its menu item's name in the window's design)
    std::string_view caption;  // as menus show it, with its "&" accelerator
    int shortcut = 0;          // a Qt key combination, 0 for none
    TEnableRule rule = TEnableRule::Always;
    std::string_view button;   // the tool-bar button's object name, or empty
    std::string_view hint;     // the button's hint
    std::string_view popup;    // the editor pop-up item's object name, or empty
    bool checkable = false;
    bool checked = false;      // the initial check mark
};

// Every command of the main window, in no particular order.
std::span<const TCommandRow> CommandRows();
// The row of `name`, looked up by command, button or pop-up name; null when
// there is none.
const TCommandRow* FindCommandRow(std::string_view name);

// A menu as a sequence of entries.
enum class TMenuEntryKind : std::uint8_t {
    Menu,       // starts a top-level menu of the menu bar: `text` is its caption
    Item,       // `text` names a command; `caption`, when set, is this item's own caption
    Separator,
    Submenu,    // starts a submenu: `text` is its caption, `caption` its object name
    End,        // ends the innermost submenu
};

struct TMenuEntry {
    TMenuEntryKind kind;
    std::string_view text;
    std::string_view caption = {};
};

// The menu bar, top to bottom and left to right.
std::span<const TMenuEntry> MainMenuLayout();
// The editor pop-up menu (every editor shares it).
std::span<const TMenuEntry> PopupMenuLayout();
// The tool bar: command names left to right; an empty name is the small gap
// between groups.
std::span<const std::string_view> ToolBarLayout();

// The four bars under the menu, each with the View menu command that shows it.
struct TBarSpec {
    std::string_view name;     // the bar's object name
    std::string_view command;  // its View menu command
};
inline constexpr std::string_view kToolBarName = "Panel6";
inline constexpr std::string_view kClipperBarName = "Panel2";
inline constexpr std::string_view kSECodesBarName = "StringGrid1";
inline constexpr std::string_view kSingleCodesBarName = "StringGrid2";
inline constexpr TBarSpec kBars[] = {
    {kToolBarName, "Toolbar1"},
    {kClipperBarName, "Clipper1"},
    {kSECodesBarName, "SECodes1"},
    {kSingleCodesBarName, "SingleCodes1"},
};

// The Reopen submenu's object name: its items come from the settings file.
inline constexpr std::string_view kReopenMenuName = "Reopen1";

} // namespace vesk
