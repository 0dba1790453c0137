// The Quick Code Setup Wizard without its window: which control of which page
// holds which key of "quickcod.ini", the wizard's own defaults, and reading
// and writing one page.
//
// Page n is section "Page<n>" (0 … 18). Each page is a list of controls; a
// control holding a key has one value, kept as the text the file stores:
// "1"/"0" for a check box or radio button, decimal for a number, the text
// itself for an edit box. Values are always made sane before they are shown
// or written: numbers held to their control's range, yes/no as "1"/"0", at
// most one radio button of a choice on (the last one the builder would take),
// texts no longer than the file keeps, so a hand-edited file with nonsense in
// it is shown and written back sanely.
#pragma once

#include "tools/QuickCodes.h"

#include <QString>

#include <span>
#include <vector>

namespace vesk {

inline constexpr int kWizardPageCount = 19;

enum class TWizardControlKind {
    Check,        // a check box holding a yes/no key
    Text,         // an edit box holding a text key
    Number,       // a spin box holding a number key, within [minimum, maximum]
    Choice,       // one radio button of the page's choice, holding a yes/no key
    ColorButton,  // the button that opens the colour producer; holds no key
};

struct TWizardControl {
    TWizardControlKind kind;
    const char* key;         // the key in the page's section; "" for ColorButton
    const char* caption;     // check box, radio button, label or button caption;
                             // "" for a box that sits beside its check box
    const char* governedBy;  // the key of the check box that enables it, or nullptr
    int minimum = 0;         // Number only
    int maximum = 0;
    bool fileButton = false;  // Text only: a "..." button chooses a file for it
};

struct TWizardPage {
    TQuickCode code;            // what "&Insert" builds from this page's group
    const char* heading;        // the quick code and the part of it the page sets
    const char* explanation;    // a sentence or two above the controls
    const char* choiceTitle;    // the frame around the page's radio buttons, or nullptr
    std::span<const TWizardControl> controls;
};

// Page 0 … 18. Out of range throws std::out_of_range.
const TWizardPage& WizardPage(int page);

// Pages grouped by quick code: 0–5, 6–8, 9, 10, 11, 12–13, 14, 15, 16, 17, 18.
// The wizard walks through one group with Back and Next.
struct TWizardGroup {
    int first;
    int last;
};
// The group holding `page` (0 … 18; out of range throws std::out_of_range).
TWizardGroup WizardGroupOf(int page);

// Which defaults a missing key shows: those of opening the wizard, or those
// the "&Default" button puts on the page. Both are the builder's defaults
// except for the few keys the wizard has its own values for.
enum class TWizardDefaults { Opening, AfterDefault };
// The value a missing key of `page` shows ("" for a key the page does not hold).
QString WizardDefault(int page, const char* key, TWizardDefaults which);

// One value per control of the page, in the page's order ("" for a ColorButton).
using TWizardValues = std::vector<QString>;

// The page's values as the file at `path` holds them (a missing file,
// section or key gives WizardDefault), made sane (see SaneWizardValues).
TWizardValues ReadWizardPage(const QString& path, int page, TWizardDefaults which);

// `values` made sane for `page`: a missing value is its default; a yes/no is
// "1" when it reads as a non-zero number and "0" otherwise; a number that is
// not a number is its default and any other is held to the control's range;
// a text is cut to what the file keeps (kProfileValueMax characters); of a
// choice only the last radio button that reads yes stays on.
TWizardValues SaneWizardValues(int page, TWizardValues values);

// Writes every key of the page (sane values: yes/no "1"/"0", numbers in
// decimal, texts in double quotes so their blanks survive, every radio
// button of a choice) in one replacement of the file, creating it when
// missing. Other sections and keys are kept. Throws EIniFileException when
// the file cannot be written.
void WriteWizardPage(const QString& path, int page, const TWizardValues& values);

// Removes the page's whole section (what "&Default" does to the file).
void EraseWizardPage(const QString& path, int page);

// What a file chosen with a "..." button becomes in its box: when the path
// starts with the program folder (compared without regard to case), the
// path relative to it; otherwise the file name alone, so the page refers to
// the picture beside itself.
QString WizardChosenFile(const QString& chosen, const QString& programFolder);

} // namespace vesk
