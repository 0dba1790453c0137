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
    ssNoMainDictionary = 60, ssNotLocated = 61, ssUnableToFind = 62, ssExitWithoutSaving = 63,
    ssPairSeparator = 64, ssStringCount = 65,
};

// The string with backslashes turned into CR LF; "" out of range.
std::string SpellString(int id);

} // namespace vesk
