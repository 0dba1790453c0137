// The FTP uploader in the main window: its window and the Uploader command.
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm4;

class TUploaderEntry : public TToolEntry {
public:
    explicit TUploaderEntry(TToolHost& host);
    TForm4* Window() const { return form4_; }

private:
    TForm4* form4_;
};

} // namespace vesk
