// The FTP uploader in the main window: its window and the Uploader command.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm2;
class TForm4;

// The uploader's window, the Uploader command, the save prompt's "Run
// Uploader?" step, and the preferences' hooks: the site chooser in step
// with their site list, "Start Uploader" and the Settings button.
class TUploaderEntry : public TToolEntry {
public:
    TUploaderEntry(TToolHost& host, TForm2& preferences);
    TForm4* Window() const { return form4_; }

private:
    TForm4* form4_;
};

} // namespace vesk
