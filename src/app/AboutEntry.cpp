// The about window's entry points.
#include "app/AboutEntry.h"

#include "app/AboutForm.h"

namespace vesk {

TAboutEntry::TAboutEntry(TToolHost& host) : form6_(new TForm6(host.MainWindow()))
{
    host.SetCommand("About1", [this](TVeskMemoFile&) { form6_->AboutClick(); });
    host.SetCommand("StartupScreen1", [this](TVeskMemoFile&) { form6_->StartupScreen1Click(); });
}

} // namespace vesk
