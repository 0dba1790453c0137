// The spell checker's language string table ("English (US)"), used by index.
//
// A backslash in a string stands for a line break; SpellString() returns the
// text with each one replaced by CR LF, ready for display.
#pragma once

#include <string>

namespace vesk {

enum TSpellStringId {
    ssCheckComplete = 0, ssWordsChecked = 1, ssExtraWordChars = 2, ssSpellCheck = 3,
    ssChangeAll = 4, ssChange = 5, ssIgnoreAll = 6, ssIgnore = 7, ssAdd = 8, ssAutoCorrect = 9,
    ssSuggest = 10, ssStart = 11, ssUndoLast = 12, ssOptions = 13, ssDelete = 14, ssHelp = 15,
    ssCancel = 16, ssNotFound = 17, ssRepeatedWord = 18, ssReplaceWith = 19, ssSuggestions = 20,
    ssEllipsis = 21, ssConfigCaption = 22, ssDictionaries = 23, ssOptionsPage = 24,
    ssOk = 25, ssCancelButton = 26, ssMainDictionaries = 27, ssMainAdd = 28, ssMainRemove = 29,
    ssUserDictionaries = 30, ssUserAdd = 31, ssUserRemove = 32, ssUserNew = 33, ssAddWordsTo = 34,
    ssIgnoreGroup = 35, ssSuggestionsGroup = 36, ssGeneralGroup = 37, ssResetIgnoreAll = 38,
    ssResetChangeAll = 39, ssFirstOption = 40,  // then one per option bit, soUpcase first
    ssDictionaryFiles = 54, ssOpenMain = 55, ssUserDictionaryFilter = 56, ssOpenUser = 57,
    ssUserDictionaryFile = 58, ssNewUser = 59,
    ssNoMainDictionary = 60, ssNotLocated = 61, ssUnableToFind = 62, ssExitWithoutSaving = 63,
    ssPairSeparator = 64, ssStringCount = 65,
};

// The string with backslashes turned into CR LF; "" out of range.
std::string SpellString(int id);

} // namespace vesk
