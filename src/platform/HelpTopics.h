// The help pages: which page of the program's help folder shows each topic number.
//
// Windows and dialogs ask for help by a topic number; each number is one
// HTML page in the "help" folder of the program folder (seeded from the
// shipped data like every other file there). Topic 0 is the contents page.
#pragma once

#include <QString>

#include <span>

namespace vesk {

inline constexpr int kHelpContents = 0;
inline constexpr int kHelpUploader = 30;
inline constexpr int kHelpScriptFolder = 31;
inline constexpr int kHelpPreferences = 32;  // the first page of the preferences
inline constexpr int kHelpSingleCodes = 33;
inline constexpr int kHelpSECodes = 34;
inline constexpr int kHelpQuickCodes = 35;
inline constexpr int kHelpBrowsers = 36;
inline constexpr int kHelpViewers = 37;
inline constexpr int kHelpPreferredFiles = 38;
inline constexpr int kHelpUploaderSetup = 39;
inline constexpr int kHelpUploadBin = 40;
inline constexpr int kHelpAdvancedFtp = 41;
inline constexpr int kHelpValidatorVersion = 42;
inline constexpr int kHelpColorProducer = 43;
inline constexpr int kHelpQuickCodeWizard = 44;
inline constexpr int kHelpValidator = 45;

struct THelpTopic {
    int topic;
    const char* page;   // file name inside the help folder
    const char* title;  // what the page is about, as its heading says
};

// Every topic, the contents page first.
std::span<const THelpTopic> HelpTopics();

// The topic's entry; null for a number that has no page.
const THelpTopic* FindHelpTopic(int topic);

// The help folder: ProgramFolder() + "help/".
QString HelpFolder();

// Absolute path of the topic's page; empty for a number that has no page.
// The file itself may still be missing (a damaged installation).
QString HelpPagePath(int topic);

// The page shown instead of one that is missing: it says which topic was
// asked for (a negative topic: a link was followed), which file was looked
// for, and links to the contents.
QString HelpNotFoundHtml(int topic, const QString& path);

} // namespace vesk
