// Help in the main window: Help > "Help Contents" (Ctrl+H) opens the help
// window on its contents page. Help buttons of other windows open their
// topics through ShowHelpTopic (platform/HelpWindow.h).
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class THelpEntry : public TToolEntry {
public:
    explicit THelpEntry(TToolHost& host);
    void HelpClick();
};

} // namespace vesk
