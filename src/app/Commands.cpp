// Actions, menus and the tool bar built from the command table.
#include "app/Commands.h"

#include "app/ToolGlyphs.h"
#include "controls/ShadoButton.h"

#include <QAction>
#include <QKeySequence>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

#include <stdexcept>

namespace vesk {
namespace {

QString Latin1(std::string_view s)
{
    return QString::fromLatin1(s.data(), qsizetype(s.size()));
}

// A 24 × 24 shadow button that runs `command` and is enabled with it.
TShadoButton* ShadoButtonFor(QAction* command, const QString& name, const QString& hint)
{
    auto* button = new TShadoButton;
    button->setObjectName(name);
    button->setFixedSize(24, 24);
    button->SetGlyph(ToolGlyph(name));
    button->SetHint(hint);
    button->setEnabled(command->isEnabled());
    button->OnClick = [command](QObject*) { command->trigger(); };
    QObject::connect(command, &QAction::changed, button, [button, command]() { button->setEnabled(command->isEnabled()); });
    return button;
}

} // namespace

TCommands::TCommands(QWidget* owner, TRunner runner) : QObject(owner), owner_(owner), runner_(std::move(runner))
{
    for (const TCommandRow& row : CommandRows()) {
        auto* action = new QAction(Latin1(row.caption), owner_);
        action->setObjectName(Latin1(row.name));
        if (row.shortcut)
            action->setShortcut(QKeySequence(row.shortcut));
        if (row.checkable) {
            action->setCheckable(true);
            action->setChecked(row.checked);
        }
        const std::string name(row.name);
        connect(action, &QAction::triggered, this, [this, name]() {
            const auto handler = handlers_.find(name);
            if (handler != handlers_.end() && handler->second)
                runner_(name, handler->second);
        });
        actions_.emplace(name, action);
        inTableOrder_.push_back(action);
    }
}

QAction* TCommands::Action(std::string_view name) const
{
    const TCommandRow* row = FindCommandRow(name);
    if (!row)
        return nullptr;
    // A pop-up item with a caption of its own is its alias action.
    for (const auto& [alias, command] : aliases_) {
        if (alias->objectName() == Latin1(name))
            return alias;
    }
    const auto it = actions_.find(row->name);
    return it == actions_.end() ? nullptr : it->second;
}

void TCommands::SetHandler(std::string_view name, TCommandHandler handler)
{
    if (!actions_.count(name))
        throw std::logic_error("no command named " + std::string(name));
    handlers_.insert_or_assign(std::string(name), std::move(handler));
}

bool TCommands::HasHandler(std::string_view name) const
{
    const auto it = handlers_.find(name);
    return it != handlers_.end() && it->second;
}

void TCommands::Trigger(std::string_view name) const
{
    if (QAction* a = Action(name))
        a->trigger();
}

QMenu* TCommands::BuildMenu(std::span<const TMenuEntry> entries, std::size_t& i, QMenu* into, QWidget* parent)
{
    for (; i < entries.size(); ++i) {
        const TMenuEntry& e = entries[i];
        switch (e.kind) {
        case TMenuEntryKind::Menu:
            return into;  // the caller starts the next top-level menu
        case TMenuEntryKind::End:
            return into;
        case TMenuEntryKind::Separator:
            into->addSeparator();
            break;
        case TMenuEntryKind::Submenu: {
            QMenu* sub = into->addMenu(Latin1(e.text));
            sub->setObjectName(Latin1(e.caption));
            submenus_[std::string(e.caption)] = sub;
            ++i;
            BuildMenu(entries, i, sub, parent);
            break;
        }
        case TMenuEntryKind::Item: {
            QAction* command = actions_.at(std::string(e.text));
            if (e.caption.empty()) {
                into->addAction(command);
                break;
            }
            // The same command under another caption.
            auto* alias = new QAction(Latin1(e.caption), parent);
            const TCommandRow* row = FindCommandRow(e.text);
            alias->setObjectName(Latin1(row->popup.empty() ? e.text : row->popup));
            connect(alias, &QAction::triggered, command, &QAction::trigger);
            alias->setEnabled(command->isEnabled());
            aliases_.emplace_back(alias, command);
            into->addAction(alias);
            break;
        }
        }
    }
    return into;
}

void TCommands::BuildMenuBar(QMenuBar& bar)
{
    const std::span<const TMenuEntry> layout = MainMenuLayout();
    std::size_t i = 0;
    while (i < layout.size()) {
        if (layout[i].kind != TMenuEntryKind::Menu)
            throw std::logic_error("the menu bar layout must start each menu");
        QMenu* menu = bar.addMenu(Latin1(layout[i].text));
        ++i;
        BuildMenu(layout, i, menu, owner_);
    }
}

QMenu* TCommands::BuildPopupMenu(QWidget* parent)
{
    auto* popup = new QMenu(parent);
    popup->setObjectName(QStringLiteral("PopupMenu1"));
    const std::span<const TMenuEntry> layout = PopupMenuLayout();
    std::size_t i = 0;
    BuildMenu(layout, i, popup, popup);
    return popup;
}

void TCommands::BuildToolBar(QToolBar& bar)
{
    for (std::string_view name : ToolBarLayout()) {
        if (name.empty()) {
            bar.addSeparator();
            continue;
        }
        const TCommandRow* row = FindCommandRow(name);
        bar.addWidget(ShadoButtonFor(actions_.at(std::string(name)), Latin1(row->button), Latin1(row->hint)));
    }
}

QMenu* TCommands::Submenu(std::string_view name) const
{
    const auto it = submenus_.find(name);
    return it == submenus_.end() ? nullptr : it->second;
}

void TCommands::Update(const TCommandFacts& facts)
{
    // Runs on every caret move: one pass over the table, no look-ups.
    const std::span<const TCommandRow> rows = CommandRows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        inTableOrder_[i]->setEnabled(CommandEnabled(rows[i].rule, facts));
    for (const auto& [alias, command] : aliases_)
        alias->setEnabled(command->isEnabled());
}

} // namespace vesk
