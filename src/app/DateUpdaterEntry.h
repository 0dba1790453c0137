// The date updater in the main window: the Updater command and the save
// prompt's "Update Dates?" step.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TDateUpdaterEntry : public TToolEntry {
public:
    explicit TDateUpdaterEntry(TToolHost& host);
    // Offers each date of the document for replacement by today's.
    void UpdaterBtnClick(TVeskMemoFile& editor);

private:
    TToolHost& host_;
};

} // namespace vesk
