// Find and Replace in the main window: one modeless dialog of each, which
// remember their text, and the Find and Replace commands.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TFindDialog;

class TFindReplaceEntry : public TToolEntry {
public:
    explicit TFindReplaceEntry(TToolHost& host);
    // Opens the dialog pre-filled with the document's selection.
    void FindClick(TVeskMemoFile& editor);
    void ReplaceClick(TVeskMemoFile& editor);
    TFindDialog* FindDialog() const { return find_; }
    TFindDialog* ReplaceDialog() const { return replace_; }

private:
    TFindDialog* find_;
    TFindDialog* replace_;
};

} // namespace vesk
