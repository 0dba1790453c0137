// The about and tour window in the main window: Help > "About HTML Vesk"
// and Help > "Startup Screen".
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm6;

class TAboutEntry : public TToolEntry {
public:
    explicit TAboutEntry(TToolHost& host);
    TForm6* Window() const { return form6_; }

private:
    TForm6* form6_;
};

} // namespace vesk
