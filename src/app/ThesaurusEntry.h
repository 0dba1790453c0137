// The thesaurus in the main window: the Thesaurus command.
#pragma once

#include "app/ToolHost.h"
#include "spell/ThesaurusDialog.h"

namespace vesk {

class TVeskMemoFile;

class TThesaurusEntry : public TToolEntry {
public:
    explicit TThesaurusEntry(TToolHost& host);
    // Runs the thesaurus on the selected text and replaces the selection
    // with the word chosen; nothing changes when nothing was chosen.
    void ThesBtnClick(TVeskMemoFile& editor);
    TThesaurus& Thesaurus() { return thesaurus_; }

private:
    TToolHost& host_;
    TThesaurus thesaurus_;
};

} // namespace vesk
