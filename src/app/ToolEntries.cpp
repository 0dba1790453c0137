// The list of tools. Adding a tool means its entry file and one line here,
// in the start-up order of the program's windows.
#include "app/ToolEntries.h"

#include "app/AboutEntry.h"
#include "app/BrowserEntry.h"
#include "app/ColorProducerEntry.h"
#include "app/DateUpdaterEntry.h"
#include "app/FindReplaceEntry.h"
#include "app/HelpEntry.h"
#include "app/PrintEntry.h"
#include "app/QuickCodesEntry.h"
#include "app/ValidatorEntry.h"

namespace vesk {

std::vector<std::unique_ptr<TToolEntry>> CreateToolEntries(TToolHost& host)
{
    std::vector<std::unique_ptr<TToolEntry>> entries;
    entries.push_back(std::make_unique<TFindReplaceEntry>(host));
    entries.push_back(std::make_unique<TBrowserEntry>(host));
    entries.push_back(std::make_unique<TColorProducerEntry>(host));
    entries.push_back(std::make_unique<TQuickCodesEntry>(host));
    entries.push_back(std::make_unique<TAboutEntry>(host));
    entries.push_back(std::make_unique<TValidatorEntry>(host));
    entries.push_back(std::make_unique<TDateUpdaterEntry>(host));
    entries.push_back(std::make_unique<THelpEntry>(host));
    entries.push_back(std::make_unique<TPrintEntry>(host));
    return entries;
}

} // namespace vesk
