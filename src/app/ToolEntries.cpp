// The list of tools. Adding a tool means its entry file and one line here,
// in the start-up order of the program's windows.
#include "app/ToolEntries.h"

#include "app/AboutEntry.h"
#include "app/AdvancedFtpEntry.h"
#include "app/BrowserEntry.h"
#include "app/ColorProducerEntry.h"
#include "app/DateUpdaterEntry.h"
#include "app/FindReplaceEntry.h"
#include "app/HelpEntry.h"
#include "app/PreferencesEntry.h"
#include "app/PreferencesForm.h"
#include "app/PrintEntry.h"
#include "app/QuickCodesEntry.h"
#include "app/ScriptFolderEntry.h"
#include "app/SpellEntry.h"
#include "app/ThesaurusEntry.h"
#include "app/UploaderEntry.h"
#include "app/ValidatorEntry.h"
#include "app/WizardEntry.h"

namespace vesk {

std::vector<std::unique_ptr<TToolEntry>> CreateToolEntries(TToolHost& host)
{
    std::vector<std::unique_ptr<TToolEntry>> entries;
    entries.push_back(std::make_unique<TFindReplaceEntry>(host));
    entries.push_back(std::make_unique<TBrowserEntry>(host));
    auto preferences = std::make_unique<TPreferencesEntry>(host);
    TPreferencesEntry& prefs = *preferences;
    entries.push_back(std::move(preferences));
    entries.push_back(std::make_unique<TColorProducerEntry>(host));
    entries.push_back(std::make_unique<TQuickCodesEntry>(host));
    auto wizard = std::make_unique<TWizardEntry>(host);
    // The preferences' "Open Quick Codes Wizard" opens the wizard over the
    // dialog, on the page of the quick code chosen there.
    prefs.Window()->OnOpenWizard = [&wizard = *wizard, &prefs](int page, bool) {
        wizard.OpenWizard(page, prefs.Window());
    };
    entries.push_back(std::move(wizard));
    entries.push_back(std::make_unique<TAboutEntry>(host));
    entries.push_back(std::make_unique<TScriptFolderEntry>(host));
    entries.push_back(std::make_unique<TValidatorEntry>(host));
    entries.push_back(std::make_unique<TSpellEntry>(host));
    entries.push_back(std::make_unique<TThesaurusEntry>(host));
    entries.push_back(std::make_unique<TDateUpdaterEntry>(host));
    entries.push_back(std::make_unique<THelpEntry>(host));
    entries.push_back(std::make_unique<TUploaderEntry>(host, *prefs.Window()));
    entries.push_back(std::make_unique<TAdvancedFtpEntry>(host, prefs));
    entries.push_back(std::make_unique<TPrintEntry>(host));
    return entries;
}

} // namespace vesk
