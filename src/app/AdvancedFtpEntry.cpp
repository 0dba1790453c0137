// The advanced FTP settings' entry point.
#include "app/AdvancedFtpEntry.h"

#include "app/AdvancedFtpForm.h"
#include "app/PreferencesEntry.h"
#include "app/PreferencesForm.h"

namespace vesk {

TAdvancedFtpEntry::TAdvancedFtpEntry(TToolHost& host, TPreferencesEntry& preferences)
    : form10_(new TForm10(host.MainWindow()))
{
    preferences.Window()->ShowAdvanced = [this]() { form10_->exec(); };
}

} // namespace vesk
