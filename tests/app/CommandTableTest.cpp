// The command table: enabling rules as the window's design gives them, and
// every menu item, pop-up item and tool-bar button bound to its command.
#include "app/CommandTable.h"
#include "app/MainWindow.h"
#include "app/MsgBox.h"
#include "controls/ShadoButton.h"
#include "support/TempDir.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

#include <map>

namespace vesk {
namespace {

using R = TEnableRule;

// The enabling rules, written out from the main window's design rather than
// read from the table: the document commands need a line of text; the rest
// follow the selection, the clipper, undo, redo and the clipboard.
const std::map<std::string_view, TEnableRule> kDesignedRules = {
    {"SaveBtn", R::HasText},          {"PrintBtn", R::HasText},      {"SpellBtn", R::HasText},
    {"ValidBtn", R::HasText},         {"UpdaterBtn", R::HasText},    {"FindBtn", R::HasText},
    {"ReplaceBtn", R::HasText},       {"Save1", R::HasText},         {"SaveAs1", R::HasText},
    {"Print1", R::HasText},           {"SpellChecker1", R::HasText}, {"PopSpellChecker", R::HasText},
    {"Validator1", R::HasText},       {"PopValidator", R::HasText},  {"Updater1", R::HasText},
    {"PopUpdater", R::HasText},       {"Find1", R::HasText},         {"PopFind", R::HasText},
    {"Replace1", R::HasText},         {"PopReplace", R::HasText},
    {"PopClipCut", R::HasSelection},  {"PopClipCopy", R::HasSelection}, {"CutBtn", R::HasSelection},
    {"CopyBtn", R::HasSelection},     {"Cut1", R::HasSelection},     {"Copy1", R::HasSelection},
    {"PopCut", R::HasSelection},      {"PopCopy", R::HasSelection},  {"ExportText1", R::HasSelection},
    {"PopClipPaste", R::ClipperHasItems},
    {"Undo1", R::CanUndo},            {"PopUndo", R::CanUndo},       {"UndoBtn", R::CanUndo},
    {"Redo1", R::CanRedo},            {"PopRedo", R::CanRedo},       {"RedoBtn", R::CanRedo},
    {"PasteBtn", R::ClipboardHasText}, {"Paste1", R::ClipboardHasText}, {"PopPaste", R::ClipboardHasText},
};

TEST(CommandTable, EachCommandIsEnabledByItsDesignedRuleAndNoOtherIsEverDisabled)
{
    for (const auto& [name, rule] : kDesignedRules) {
        const TCommandRow* row = FindCommandRow(name);
        ASSERT_TRUE(row) << name;
        EXPECT_EQ(row->rule, rule) << name;
    }
    for (const TCommandRow& row : CommandRows()) {
        const bool designed = kDesignedRules.count(row.name) || kDesignedRules.count(row.button)
                           || kDesignedRules.count(row.popup);
        if (!designed)
            EXPECT_EQ(row.rule, R::Always) << row.name;
    }
    // Each rule reads exactly its own fact.
    const std::pair<TEnableRule, bool TCommandFacts::*> facts[] = {
        {R::HasText, &TCommandFacts::hasText},          {R::HasSelection, &TCommandFacts::hasSelection},
        {R::ClipperHasItems, &TCommandFacts::clipperHasItems}, {R::CanUndo, &TCommandFacts::canUndo},
        {R::CanRedo, &TCommandFacts::canRedo},          {R::ClipboardHasText, &TCommandFacts::clipboardHasText},
    };
    for (const auto& [rule, fact] : facts) {
        TCommandFacts none, only;
        only.*fact = true;
        TCommandFacts allButThis{true, true, true, true, true, true};
        allButThis.*fact = false;
        EXPECT_FALSE(CommandEnabled(rule, none));
        EXPECT_TRUE(CommandEnabled(rule, only));
        EXPECT_FALSE(CommandEnabled(rule, allButThis));
        EXPECT_TRUE(CommandEnabled(R::Always, none));
    }
}

// Every item of a menu (recursively), except the Reopen menu's files.
void CollectItems(QMenu* menu, QList<QAction*>& out)
{
    if (menu->objectName() == QLatin1String(kReopenMenuName.data()))
        return;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator())
            continue;
        if (a->menu())
            CollectItems(a->menu(), out);
        else
            out << a;
    }
}

TEST(CommandTable, EveryItemAndButtonRunsItsOwnCommandOnTheCurrentEditor)
{
    test::ScopedProgramFolder home;
    MsgBoxScript::Scope script;
    THTMLVeskMain window;
    window.CurrentEditor()->SetTextBuf("some text");
    window.CurrentEditor()->SelectAll();
    // Every command records its name instead of acting.
    QStringList ran;
    for (const TCommandRow& row : CommandRows()) {
        const QString name = QString::fromLatin1(row.name.data(), qsizetype(row.name.size()));
        window.SetCommand(row.name, [&ran, &window, name](TVeskMemoFile& e) {
            EXPECT_EQ(&e, window.CurrentEditor());
            ran << name;
        });
    }
    window.RichEditSelChange();
    auto commandOf = [](const QString& objectName) {
        const TCommandRow* row = FindCommandRow(objectName.toStdString());
        return row ? QString::fromLatin1(row->name.data(), qsizetype(row->name.size())) : QString();
    };

    QList<QAction*> items;
    for (QAction* top : window.menuBar()->actions())
        CollectItems(top->menu(), items);
    CollectItems(window.PopupMenu(), items);
    ASSERT_GE(items.size(), 80);
    for (QAction* item : items) {
        const QString command = commandOf(item->objectName());
        ASSERT_FALSE(command.isEmpty()) << item->text().toStdString() << " is bound to no command";
        if (!item->isEnabled())
            continue;
        ran.clear();
        item->trigger();
        EXPECT_EQ(ran, QStringList{command}) << item->objectName().toStdString();
    }

    const QList<TShadoButton*> buttons = window.Bar(kToolBarName)->findChildren<TShadoButton*>();
    ASSERT_EQ(buttons.size(), 23);
    window.show();
    for (TShadoButton* button : buttons) {
        const QString command = commandOf(button->objectName());
        ASSERT_FALSE(command.isEmpty()) << button->objectName().toStdString();
        EXPECT_EQ(button->isEnabled(), window.Action(command)->isEnabled()) << command.toStdString();
        if (!button->isEnabled())
            continue;
        ran.clear();
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(12, 12));
        EXPECT_EQ(ran, QStringList{command}) << button->objectName().toStdString();
    }
}

} // namespace
} // namespace vesk
