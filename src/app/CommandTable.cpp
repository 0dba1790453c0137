// The main window's command table and the layouts of its menus and tool bar.
#include "app/CommandTable.h"

#include <Qt>

#include <algorithm>
#include <array>

namespace vesk {
namespace {

constexpr int Ctrl(Qt::Key key) { return int(Qt::CTRL) | int(key); }

using R = TEnableRule;

// Enabling follows the main window's two update passes: the document
// commands (Save, Print, the checking tools, Find, Replace) need text; the
// clipboard and undo commands follow the selection, the clipper and the
// undo list. Ctrl+O (Open) and Ctrl+Y (Redo) are the keys Linux editors use;
// Ctrl+A stays Save As.
constexpr TCommandRow kCommandRows[] = {
    // File
    {"New1", "&New", Ctrl(Qt::Key_N)},
    {"Open1", "&Open", Ctrl(Qt::Key_O), R::Always, "OpenBtn", "Open File"},
    {"Save1", "&Save", Ctrl(Qt::Key_S), R::HasText, "SaveBtn", "Save File"},
    {"SaveAs1", "Save &As", Ctrl(Qt::Key_A), R::HasText},
    {"ImportFile1", "&Import Text", Ctrl(Qt::Key_I)},
    {"ExportText1", "&Export Text", Ctrl(Qt::Key_E), R::HasSelection},
    {"Print1", "&Print", Ctrl(Qt::Key_P), R::HasText, "PrintBtn", "Print"},
    {"Exit1", "E&xit"},
    // Edit
    {"Undo1", "&Undo", Ctrl(Qt::Key_Z), R::CanUndo, "UndoBtn", "Undo", "PopUndo"},
    {"Redo1", "&Redo", Ctrl(Qt::Key_Y), R::CanRedo, "RedoBtn", "Redo", "PopRedo"},
    {"Cut1", "Cu&t", Ctrl(Qt::Key_X), R::HasSelection, "CutBtn", "Cut Text", "PopCut"},
    {"Copy1", "&Copy", Ctrl(Qt::Key_C), R::HasSelection, "CopyBtn", "Copy Text", "PopCopy"},
    {"Paste1", "&Paste", Ctrl(Qt::Key_V), R::ClipboardHasText, "PasteBtn", "Paste Text", "PopPaste"},
    {"Delete1", "&Delete", int(Qt::Key_Delete)},
    {"SelectAll1", "&Select All"},
    {"Find1", "&Find", Ctrl(Qt::Key_F), R::HasText, "FindBtn", "Find Word", "PopFind"},
    {"Replace1", "&Replace", Ctrl(Qt::Key_R), R::HasText, "ReplaceBtn", "Replace Word", "PopReplace"},
    {"WordWrap1", "&Word Wrap", 0, R::Always, {}, {}, {}, true, true},
    // View
    {"Toolbar1", "&Toolbar", 0, R::Always, {}, {}, {}, true, true},
    {"Clipper1", "&Clipper", 0, R::Always, {}, {}, {}, true, false},
    {"SECodes1", "&Starting/Ending Codes", 0, R::Always, {}, {}, {}, true, false},
    {"SingleCodes1", "S&ingle Codes", 0, R::Always, {}, {}, {}, true, false},
    {"CreateTab1", "C&reate Tab"},
    // Quick Codes
    {"WebSiteShell1", "Web Site Shell"},
    {"Font1", "Font"},
    {"Line1", "Line"},
    {"PictureorImage1", "Picture or Image"},
    {"LinkHREF1", "Link - HREF"},
    {"LinkNAME1", "Link - NAME"},
    {"Numbered1", "Numbered"},
    {"Bullets1", "Bullets"},
    {"Dictionary1", "Dictionary"},
    {"Menu1", "Menu"},
    {"Copyright1", "Copyright"},
    {"ChangeSettings1", "Change Settings"},
    // Browsers
    {"Run1stBrowser1", "Run &1st Browser", 0, R::Always, "Browser1Btn", "Browser 1"},
    {"Run2ndBrowser1", "Run &2nd Browser", 0, R::Always, "Browser2Btn", "Browser 2"},
    {"Run3rdBrowser1", "Run &3rd Browser", 0, R::Always, "Browser3Btn", "Browser 3"},
    {"Run4thBrowser1", "Run &4th Browser", 0, R::Always, "Browser4Btn", "Browser 4"},
    // Tools
    {"EditPicture1", "&Edit Picture", 0, R::Always, "PictureBtn", "Edit Picture", "PopViewPicture"},
    {"ColorProducer1", "&Color Producer", 0, R::Always, "ColorBtn", "Color Producer", "PopColorProducer"},
    {"SpellChecker1", "&Spell Checker", 0, R::HasText, "SpellBtn", "Spell Checker", "PopSpellChecker"},
    {"Thesaurus1", "&Thesaurus", 0, R::Always, "ThesBtn", "Thesaurus", "PopThesaurus"},
    {"Updater1", "&Updater", 0, R::HasText, "UpdaterBtn", "Updater", "PopUpdater"},
    {"JavaScripts1", "&JavaScripts", 0, R::Always, "ScriptBtn", "JavaScript", "PopJavaScripts"},
    {"Validator1", "&Validator", 0, R::HasText, "ValidBtn", "HTML Validator (debugger)", "PopValidator"},
    {"Uploader1", "Up&loader", 0, R::Always, "UploadBtn", "Uploader", "PopUploader"},
    // Help
    {"Preferences1", "&Preferences", 0, R::Always, "PreferBtn", "Set Preferences"},
    {"HelpContents1", "&Help Contents", Ctrl(Qt::Key_H)},
    {"StartupScreen1", "&Startup Screen"},
    {"About1", "&About HTML Vesk"},
    // The clipper, from the editor pop-up menu and the clipper bar
    {"ClipperCut", "Cu&t", 0, R::HasSelection, {}, {}, "PopClipCut"},
    {"ClipperCopy", "&Copy", 0, R::HasSelection, {}, {}, "PopClipCopy"},
    {"ClipperPaste", "&Paste", 0, R::ClipperHasItems, {}, {}, "PopClipPaste"},
};

using K = TMenuEntryKind;

constexpr TMenuEntry kQuickCodeEntries[] = {
    {K::Item, "WebSiteShell1"}, {K::Item, "Font1"}, {K::Item, "Line1"}, {K::Item, "PictureorImage1"},
    {K::Item, "LinkHREF1"}, {K::Item, "LinkNAME1"},
    {K::Submenu, "Lists", "Lists1"},
    {K::Item, "Numbered1"}, {K::Item, "Bullets1"}, {K::Item, "Dictionary1"}, {K::Item, "Menu1"},
    {K::End, {}},
    {K::Item, "Copyright1"},
};

// The entries of three lists, one after the other.
template <std::size_t A, std::size_t B, std::size_t C>
constexpr auto Join(const TMenuEntry (&a)[A], const TMenuEntry (&b)[B], const TMenuEntry (&c)[C])
{
    std::array<TMenuEntry, A + B + C> out{};
    std::copy(a, a + A, out.begin());
    std::copy(b, b + B, out.begin() + A);
    std::copy(c, c + C, out.begin() + A + B);
    return out;
}

constexpr TMenuEntry kMainMenuHead[] = {
    {K::Menu, "&File"},
    {K::Item, "New1"}, {K::Item, "Open1"},
    {K::Submenu, "&Reopen", kReopenMenuName}, {K::End, {}},
    {K::Item, "Save1"}, {K::Item, "SaveAs1"}, {K::Separator, {}},
    {K::Item, "ImportFile1"}, {K::Item, "ExportText1"}, {K::Separator, {}},
    {K::Item, "Print1"}, {K::Separator, {}},
    {K::Item, "Exit1"},
    {K::Menu, "&Edit"},
    {K::Item, "Undo1"}, {K::Item, "Redo1"}, {K::Separator, {}},
    {K::Item, "Cut1"}, {K::Item, "Copy1"}, {K::Item, "Paste1"}, {K::Item, "Delete1"}, {K::Item, "SelectAll1"},
    {K::Separator, {}},
    {K::Item, "Find1"}, {K::Item, "Replace1"}, {K::Separator, {}},
    {K::Item, "WordWrap1"},
    {K::Menu, "&View"},
    {K::Item, "Toolbar1"}, {K::Item, "Clipper1"}, {K::Item, "SECodes1"}, {K::Item, "SingleCodes1"},
    {K::Separator, {}},
    {K::Item, "CreateTab1"},
    {K::Menu, "&Quick Codes"},
};

constexpr TMenuEntry kMainMenuTail[] = {
    {K::Separator, {}},
    {K::Item, "ChangeSettings1"},
    {K::Menu, "&Browsers"},
    {K::Item, "Run1stBrowser1"}, {K::Item, "Run2ndBrowser1"}, {K::Item, "Run3rdBrowser1"}, {K::Item, "Run4thBrowser1"},
    {K::Menu, "&Tools"},
    {K::Item, "EditPicture1"}, {K::Item, "ColorProducer1"}, {K::Separator, {}},
    {K::Item, "SpellChecker1"}, {K::Item, "Thesaurus1"}, {K::Separator, {}},
    {K::Item, "Updater1"}, {K::Item, "JavaScripts1"}, {K::Item, "Validator1"}, {K::Item, "Uploader1"},
    {K::Menu, "&Help"},
    {K::Item, "Preferences1"}, {K::Item, "HelpContents1"}, {K::Separator, {}},
    {K::Item, "StartupScreen1"}, {K::Item, "About1"},
};

constexpr auto kMainMenu = Join(kMainMenuHead, kQuickCodeEntries, kMainMenuTail);

constexpr TMenuEntry kPopupHead[] = {
    {K::Item, "Undo1"}, {K::Item, "Redo1"}, {K::Separator, {}},
    {K::Item, "Cut1"}, {K::Item, "Copy1"}, {K::Item, "Paste1"}, {K::Separator, {}},
    {K::Submenu, "&Search", "Search1"}, {K::Item, "Find1"}, {K::Item, "Replace1"}, {K::End, {}},
    {K::Submenu, "C&lipper", "Clipper2"},
    {K::Item, "ClipperCut"}, {K::Item, "ClipperCopy"}, {K::Item, "ClipperPaste"},
    {K::End, {}},
    {K::Submenu, "&Quick Codes", "QuickCodes2"},
};

constexpr TMenuEntry kPopupTail[] = {
    {K::End, {}},
    {K::Submenu, "&Tools", "Tools2"},
    {K::Item, "EditPicture1", "&View Picture"}, {K::Item, "ColorProducer1"}, {K::Item, "SpellChecker1"},
    {K::Item, "Thesaurus1"}, {K::Item, "JavaScripts1"}, {K::Item, "Updater1"}, {K::Item, "Validator1"},
    {K::Item, "Uploader1"},
    {K::End, {}},
};

constexpr auto kPopupMenu = Join(kPopupHead, kQuickCodeEntries, kPopupTail);

// Small gaps separate file/print, undo/redo, the clipboard, the tools and
// the preferences with the browsers.
constexpr std::string_view kToolBar[] = {
    "Open1", "Save1", "Print1", "",
    "Undo1", "Redo1", "",
    "Cut1", "Copy1", "Paste1", "",
    "Find1", "Replace1", "EditPicture1", "ColorProducer1", "SpellChecker1", "Thesaurus1", "Updater1",
    "JavaScripts1", "Validator1", "Uploader1", "",
    "Preferences1", "Run1stBrowser1", "Run2ndBrowser1", "Run3rdBrowser1", "Run4thBrowser1",
};

} // namespace

bool CommandEnabled(TEnableRule rule, const TCommandFacts& facts)
{
    switch (rule) {
    case TEnableRule::Always: return true;
    case TEnableRule::HasText: return facts.hasText;
    case TEnableRule::HasSelection: return facts.hasSelection;
    case TEnableRule::ClipperHasItems: return facts.clipperHasItems;
    case TEnableRule::CanUndo: return facts.canUndo;
    case TEnableRule::CanRedo: return facts.canRedo;
    case TEnableRule::ClipboardHasText: return facts.clipboardHasText;
    }
    return true;
}

std::span<const TCommandRow> CommandRows()
{
    return kCommandRows;
}

const TCommandRow* FindCommandRow(std::string_view name)
{
    for (const TCommandRow& row : kCommandRows) {
        if (row.name == name || (!row.button.empty() && row.button == name)
            || (!row.popup.empty() && row.popup == name))
            return &row;
    }
    return nullptr;
}

std::span<const TMenuEntry> MainMenuLayout()
{
    return kMainMenu;
}

std::span<const TMenuEntry> PopupMenuLayout()
{
    return kPopupMenu;
}

std::span<const std::string_view> ToolBarLayout()
{
    return kToolBar;
}

} // namespace vesk
