// The advanced FTP settings dialog, created last among the windows and opened by the preferences'
// "Advanced" button (and, later, by the uploader).
#pragma once

#include "app/ToolHost.h"

namespace vesk {

class TForm10;
class TPreferencesEntry;

class TAdvancedFtpEntry : public TToolEntry {
public:
    TAdvancedFtpEntry(TToolHost& host, TPreferencesEntry& preferences);
    TForm10* Window() const { return form10_; }

private:
    TForm10* form10_;
};

} // namespace vesk
