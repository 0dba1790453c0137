// The validator in the main window: its results window, the Validator
// command and the save prompt's "Validate Code?" step.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm8;

class TValidatorEntry : public TToolEntry {
public:
    explicit TValidatorEntry(TToolHost& host);
    // Validates the document into the results window (a request while a
    // run is going on is ignored).
    void ValidBtnClick(TVeskMemoFile& editor);
    TForm8* Window() const { return form8_; }

private:
    TForm8* form8_;
};

} // namespace vesk
