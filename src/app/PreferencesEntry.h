// The preferences in the main window: the dialog, its commands ("Set Preferences", Help >
// "Preferences", Quick Codes > "Change Settings") and the save prompt's "Add to Upload Bin?" step.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm2;

class TPreferencesEntry : public TToolEntry {
public:
    explicit TPreferencesEntry(TToolHost& host);
    // The dialog on its first page, or on the Quick Codes page (modal).
    void PreferBtnClick(TVeskMemoFile& editor);
    void ChangeSettings1Click(TVeskMemoFile& editor);
    // The dialog, created with the entry and kept for the program's life.
    TForm2* Window() const { return form2_; }

private:
    void Open(TVeskMemoFile& editor, int page);

    TForm2* form2_;
};

} // namespace vesk
