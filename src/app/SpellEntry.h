// The spell checker in the main window: the Spell Checker command and the
// save prompt's "Check Spelling?" step.
#pragma once

#include "app/ToolHost.h"
#include "spell/SpellChecker.h"

#include <QPointer>

namespace vesk {

class TVeskMemoFile;

class TSpellEntry : public TToolEntry {
public:
    explicit TSpellEntry(TToolHost& host);
    ~TSpellEntry() override;
    // Checks the document through the spell dialog. The editor shows its
    // selection while unfocused during the check, so the stopped word stays
    // highlighted while the dialog has the focus, and hides it afterwards.
    // A request while a check runs is ignored.
    void SpellBtnClick(TVeskMemoFile& editor);
    TSpellChecker& Engine() { return engine_; }

private:
    TToolHost& host_;
    TSpellChecker engine_;
    QPointer<TVeskMemoFile> checked_;
};

} // namespace vesk
