// The spell checker's entry point.
#include "app/SpellEntry.h"

#include "app/MsgBox.h"
#include "editor/VeskMemo.h"
#include "spell/ConfigDialog.h"
#include "spell/SpellDialog.h"
#include "spell/SpellMessageBox.h"
#include "spell/VeskMemoParser.h"

namespace vesk {

TSpellEntry::TSpellEntry(TToolHost& host) : host_(host)
{
    // The engine's defaults are the main window's settings (SpellChecker.h).
    QWidget* window = host.MainWindow();
    UseStandardMessageBoxes(engine_, window);
    engine_.OnCreateDialog = [window](TSpellChecker& e) { return CreateSpellDialog(e, window); };
    engine_.OnConfigure = [window](TSpellChecker& e) { return RunConfigDialog(e, window); };
    engine_.OnCheckEnded = [this](TSpellChecker&) {
        if (checked_) {
            checked_->SetHideSelection(true);
            checked_->setFocus();
        }
        checked_.clear();
    };
    host.SetCommand("SpellChecker1", [this](TVeskMemoFile& e) { SpellBtnClick(e); });
    TSaveStep step;
    step.order = kStepCheckSpelling;
    step.option = &AutoCloseOptions::spell;
    step.question = [](const QString& name) { return QStringLiteral("Do you want to check the spelling of ") + name + QStringLiteral("?"); };
    step.caption = QStringLiteral("Check Spelling?");
    step.sound = kSoundInformation;
    step.action = [this](TVeskMemoFile& e) {
        SpellBtnClick(e);
        return true;
    };
    host.AddSaveStep(std::move(step));
}

TSpellEntry::~TSpellEntry()
{
    // The parser holds the editor: end a check before the window's editors go.
    if (engine_.Checking())
        engine_.Action(saCancel);
}

void TSpellEntry::SpellBtnClick(TVeskMemoFile& editor)
{
    if (engine_.Checking())
        return;
    checked_ = &editor;
    editor.SetHideSelection(false);
    auto parser = std::make_unique<TVeskMemoParser>(editor);
    TVeskMemoFile* view = &editor;
    parser->OnBounds = [view]() {
        TParserBounds b;
        b.editor = QRect(view->mapToGlobal(QPoint(0, 0)), view->size());
        b.selection = view->SelectionRect().translated(view->viewport()->mapToGlobal(QPoint(0, 0)));
        return b;
    };
    parser->OnVisibleLines = [view]() { return std::max(1, view->viewport()->height() / std::max(1, view->LineHeightPixels())); };
    engine_.Check(std::move(parser));
}

} // namespace vesk
