// The Help Contents command.
#include "app/HelpEntry.h"

#include "platform/HelpWindow.h"

namespace vesk {

THelpEntry::THelpEntry(TToolHost& host)
{
    host.SetCommand("HelpContents1", [this](TVeskMemoFile&) { HelpClick(); });
}

void THelpEntry::HelpClick()
{
    ShowHelpContents();
}

} // namespace vesk
