// Quick codes: ready-made pieces of markup built from the user's answers in "quickcod.ini".
//
// The builder is free of widgets: it reads the settings file and the selected
// text and returns the text to insert and where it goes. InsertQuickCode
// applies that result to an editor core.
//
// The settings file has one section per wizard page, "Page0" … "Page18".
// Every key the builder reads is listed, with the default it uses when the
// file, section or key is missing, in QuickCodeKeys(); the setup wizard shows
// the same defaults and writes the same keys. Values are read through the
// profile reader: names ignore ASCII case, values are trimmed and lose one
// pair of enclosing double quotes (so the wizard quotes every text), a yes/no
// key is yes when it reads as a non-zero number, and a number that is missing
// or does not start with a digit reads as its default.
//
// The file is read afresh for every build: a change the wizard has just
// written applies to the very next insertion.
#pragma once

#include <QDate>
#include <QString>

#include <array>
#include <span>
#include <string_view>
#include <vector>

namespace vesk {

class TVeskMemoCore;

// The settings file's name inside the program folder.
inline constexpr const char* kQuickCodeFileName = "quickcod.ini";

// The quick codes; the number is the code the menus pass to InsertQuickCode.
enum TQuickCode : int {
    qcWebSiteShell = 0,
    qcPicture = 1,
    qcLinkHref = 2,
    qcLinkName = 3,
    qcLine = 4,
    qcCopyright = 5,
    qcFont = 6,
    qcBullets = 7,
    qcNumbered = 8,
    qcDictionary = 9,
    qcMenu = 10,
};
inline constexpr int kQuickCodeCount = 11;

// One item of the "&Quick Codes" menus. The four list codes sit in a
// "Lists" sub-menu.
struct TQuickCodeMenuItem {
    TQuickCode code;
    const char* caption;
    bool underLists;
};
// Indexed by code, in menu order.
inline constexpr std::array<TQuickCodeMenuItem, kQuickCodeCount> kQuickCodeMenuItems = {{
    {qcWebSiteShell, "Web Site Shell", false},
    {qcPicture, "Picture or Image", false},
    {qcLinkHref, "Link - HREF", false},
    {qcLinkName, "Link - NAME", false},
    {qcLine, "Line", false},
    {qcCopyright, "Copyright", false},
    {qcFont, "Font", false},
    {qcBullets, "Bullets", true},
    {qcNumbered, "Numbered", true},
    {qcDictionary, "Dictionary", true},
    {qcMenu, "Menu", true},
}};
inline constexpr const char* kQuickCodeListsCaption = "Lists";

// The numbered list's type choices ("I, II, III", "A, B, C", "1, 2, 3",
// "a, b, c", "i, ii, iii"). Named after their TYPE values they would be the
// keys "I", "A", "1", "a", "i"; the profile reader ignores the case of key
// names, so "I" and "i" (and "A" and "a") would be one entry and the
// lower-case choice would win whenever either was picked. They are therefore
// stored under these names, which differ in more than case. The builder reads
// them in this order, last yes wins, and the wizard writes exactly these keys.
inline constexpr const char* kNumberedUpperRomanKey = "UpperRoman";  // TYPE="I"
inline constexpr const char* kNumberedUpperAlphaKey = "UpperAlpha";  // TYPE="A"
inline constexpr const char* kNumberedArabicKey = "Arabic";          // TYPE="1"
inline constexpr const char* kNumberedLowerAlphaKey = "LowerAlpha";  // TYPE="a"
inline constexpr const char* kNumberedLowerRomanKey = "LowerRoman";  // TYPE="i"

// Texts the program fills in where the user has not said anything yet.
inline constexpr const char* kQuickCodeGeneratorContent = "HTML Vesk";
inline constexpr const char* kQuickCodePlaceholderUrl = "http://www.example.com/";
inline constexpr const char* kQuickCodePlaceholderEmail = "yourname@example.com";

// One key of the settings file with the builder's default.
enum class TQuickCodeKeyKind { YesNo, Text, Number };
struct TQuickCodeKey {
    const char* section;  // "Page0" … "Page18"
    const char* key;
    TQuickCodeKeyKind kind;
    // As the value arrives from the reader: "1"/"0" for yes/no, decimal for
    // numbers, the text itself (without quotes, blanks kept) for texts.
    const char* defaultValue;
};
// Every key the builder reads, grouped by section in page order.
std::span<const TQuickCodeKey> QuickCodeKeys();
// The entry for section and key (ASCII case ignored, as the reader does);
// nullptr when the builder does not read such a key.
const TQuickCodeKey* FindQuickCodeKey(std::string_view section, std::string_view key);

// Full path of the program's own "quickcod.ini" (resolves the program folder).
QString QuickCodeFile();

// One piece of text to put into the document.
struct TQuickCodeInsertion {
    enum Where {
        ReplaceSelection,  // replaces the selection, or goes in at the caret
        AtStart,           // at offset 0, the selection left alone
        AtEnd,             // after the last character
    } where;
    QString text;  // paragraph breaks are CR LF
};

// Builds the markup of `code` from the settings file at settingsPath (a
// missing or unreadable file gives every default) around `selection` (the
// selected text, empty for none; only the link, font and list codes use it).
// `today` is the date the Copyright code writes, as "MM/dd/yyyy".
//   - qcWebSiteShell gives two insertions, in order: the head text AtStart,
//     then "</BODY></HTML>" CR LF AtEnd;
//   - every other code gives one ReplaceSelection insertion;
//   - a list's `num` above kQuickCodeMaxItems (a hand-edited file can say
//     millions) is held to kQuickCodeMaxItems and `notice`, when given, is
//     set to a message saying so; a `num` of 0 or less gives the two tags;
//   - an unknown code gives nothing; so does a list whose repetitions of
//     the selection would exceed kQuickCodeMaxLength characters (nothing
//     partial is built).
std::vector<TQuickCodeInsertion> BuildQuickCode(int code, const QString& settingsPath,
                                                const QString& selection,
                                                const QDate& today = QDate::currentDate(),
                                                QString* notice = nullptr);

// The longest text a single quick code may produce, in UTF-16 units.
inline constexpr qsizetype kQuickCodeMaxLength = qsizetype(1) << 27;
// The most items a list may have: the wizard offers 1 to this.
inline constexpr int kQuickCodeMaxItems = 1000;
inline constexpr const char* kQuickCodeNoticeCaption = "Quick Codes";

// Builds `code` around the editor's selected text and puts the result into
// the editor. Web Site Shell: caret to 0 with nothing selected, insert the
// head; then caret to the text length with nothing selected, insert the
// closing tags (the document's text ends up between the two). Every other
// code replaces the selection, whichever direction it was made in, leaving
// the caret after the inserted text. Each insertion is one edit of the edit
// primitive (the Web Site Shell is two undo steps). Returns false when
// nothing was built (see BuildQuickCode) or the editor refused the text.
// `notice` as for BuildQuickCode.
bool InsertQuickCode(TVeskMemoCore& editor, int code, const QString& settingsPath,
                     const QDate& today = QDate::currentDate(), QString* notice = nullptr);

} // namespace vesk
