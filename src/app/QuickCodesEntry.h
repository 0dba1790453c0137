// Quick codes in the main window: the commands of both Quick Codes menus.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

// Inserts quick code `code` (0 … 10) built from "quickcod.ini" into
// `editor` (nothing for a read-only one), tells the user when a list was
// held to its most items, and gives the editor the focus back. The menus and
// the wizard's Insert both come here.
void InsertQuickCodeInto(TVeskMemoFile& editor, int code, const QDate& today);

class TQuickCodesEntry : public TToolEntry {
public:
    explicit TQuickCodesEntry(TToolHost& host);
    // Inserts quick code `code` (0 … 10) built from "quickcod.ini".
    void QuickCodeInsert(TVeskMemoFile& editor, int code);

private:
    TToolHost& host_;
};

} // namespace vesk
