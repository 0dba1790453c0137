// Quick codes in the main window: the commands of both Quick Codes menus.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TQuickCodesEntry : public TToolEntry {
public:
    explicit TQuickCodesEntry(TToolHost& host);
    // Inserts quick code `code` (0 … 10) built from "quickcod.ini".
    void QuickCodeInsert(TVeskMemoFile& editor, int code);

private:
    TToolHost& host_;
};

} // namespace vesk
