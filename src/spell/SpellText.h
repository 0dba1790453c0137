// Word text of the spell checker: dictionary bytes (Windows-1252), letter case, digits.
//
// Words travel through the engine as UTF-8. Main dictionaries store each
// letter as one Windows-1252 byte, so a word is converted at the dictionary's
// door; a word with a character outside that code page is simply not in a
// main dictionary. Case mapping is Unicode's simple (one-to-one) mapping.
#pragma once

#include <string>
#include <string_view>

namespace vesk {

// The dictionary bytes of a UTF-8 word. False (out unspecified) when a
// character has no Windows-1252 byte. ASCII words cost one scan.
bool WordToDictBytes(std::string_view utf8, std::string& out);
// The UTF-8 form of dictionary bytes.
std::string DictBytesToWord(std::string_view bytes);

// Case of Windows-1252 bytes (identity for bytes without a case partner in the code page).
unsigned char DictLower(unsigned char b);
unsigned char DictUpper(unsigned char b);
// The other case of a byte, or the byte itself when it has none.
unsigned char DictOtherCase(unsigned char b);
std::string DictLowerWord(std::string_view bytes);

// Simple case mapping of UTF-8 text (ill-formed bytes pass through unchanged).
std::string LowerWord(std::string_view utf8);
std::string UpperWord(std::string_view utf8);

bool IsAllDigits(std::string_view utf8);   // non-empty and only 0-9
bool HasDigit(std::string_view utf8);      // any of 0-9
// True when upper-casing changes nothing ("HTML", "R2D2"; also "1999" and "''").
bool IsAllUpper(std::string_view utf8);

// The suggestion with the capitals of `word` (both UTF-8): every position
// that holds a capital in `word` is made a capital in `suggestion`; when the
// word's last letter is a capital and the suggestion is longer, the rest of
// the suggestion becomes capitals too. Positions count characters.
std::string CarryCapitals(std::string_view word, std::string_view suggestion);

} // namespace vesk
