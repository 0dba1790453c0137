// The spell checker's language string table.
#include "spell/SpellStrings.h"

#include <iterator>

namespace vesk {
namespace {

const char* const kEnglishUS[] = {
    "Spell Check Complete", "Words Checked: ", "", "Spell Check", "&Change All", "C&hange",
    "&Ignore All", "I&gnore", "&Add", "Au&to-Correct", "S&uggest", "Start", "Undo &Last",
    "&Options", "&Delete", "Hel&p", "Cancel", "Not Found:", "Repeated Word:", "Replace With:",
    "Suggestions:", "...", "Spell Check Configuration", "Dictionaries", "Options", "&OK",
    "&Cancel", " Main Dictionaries: ", "&Add", "&Remove", " User Dictionaries: ", "A&dd",
    "R&emove", "&New", "Add Words &To;", " Ignore: ", " Suggestions: ", " General: ",
    "Reset Ignore &All", "R&eset Change All", "Words in &UPPERCASE", "Words Containing &Numbers",
    "&HTML Tags", "UR&Ls and E-mail Addresses", "Quoted Lines", "&Generate Automatically",
    "From &Primary Dictionary Only", "Re-check Replaced Words", "Prompt on Repeated Word",
    "Prompt on &DUal CAps", "User Option 1", "User Option 2", "User Option 3", "User Option 4",
    "Dictionary Files", "Open Main Dictionary", "User Dictionaries", "Open User Dictionary",
    "User Dictionary File", "New User Dictionary",
    "A main dictionary has yet to be\\set for this configuration.\\\\Edit configuration?",
    "This dictionary file could not be\\located.  It needs to be moved\\to the specified directory or\\this entry should be removed.",
    "Unable to find dictionary file:", "Exit without saving configuration?", "@@@",
};
static_assert(std::size(kEnglishUS) == ssStringCount);

} // namespace

std::string SpellString(int id)
{
    if (id < 0 || id >= ssStringCount)
        return {};
    std::string out;
    for (const char* p = kEnglishUS[id]; *p; ++p) {
        if (*p == '\\')
            out += "\r\n";
        else
            out.push_back(*p);
    }
    return out;
}

} // namespace vesk
