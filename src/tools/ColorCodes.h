// Colour values and the document edits of the colour producer, without widgets.
//
// A colour is held as a 24-bit value with blue in the high byte and red in
// the low byte, as the desktop's colour values were: written as six
// hexadecimal digits that reads BBGGRR, while HTML writes RRGGBB.
// GetHTTPColor turns one form into the other (it is its own inverse).
#pragma once

#include "editor/VeskMemoCore.h"

#include <QString>

#include <array>
#include <optional>

namespace vesk {

using TColorValue = int;  // 0xBBGGRR

inline constexpr TColorValue kColorBlack = 0x000000;
inline constexpr TColorValue kColorWhite = 0xFFFFFF;

// 0-9, A-F, a-f.
bool IsHexDigit(QChar c);

// Exchanges the first and last pair of a six-character text (BBGGRR ↔
// RRGGBB); other lengths come back unchanged.
QString GetHTTPColor(const QString& six);
// "BBGGRR" for a colour value (upper-case digits).
QString ColorToBBGGRR(TColorValue color);
// The colour as HTML writes it: "RRGGBB".
QString ColorToHtml(TColorValue color);
// The colour of an HTML "RRGGBB" text; nullopt unless it is exactly six
// hexadecimal digits.
std::optional<TColorValue> ColorFromHtml(const QString& rrggbb);
// Byte access: red is the low byte, blue the high one.
inline int RedOf(TColorValue c) { return c & 0xFF; }
inline int GreenOf(TColorValue c) { return (c >> 8) & 0xFF; }
inline int BlueOf(TColorValue c) { return (c >> 16) & 0xFF; }
inline TColorValue MakeColor(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

// The colour a selection offers: the whole selection when it is six
// characters, else the six characters after its first "#". Nullopt when
// that is not six hexadecimal digits.
std::optional<TColorValue> ColorFromSelection(const QString& selection);

// The five page colours, in the order of the BODY attributes below.
enum TPageColor { pcBackground, pcText, pcLink, pcVisited, pcActive };
using TPageColors = std::array<TColorValue, 5>;
// White, black, blue, purple, purple.
TPageColors DefaultPageColors();

// Reads the page colours from the first "<body" tag of `text` (found without
// regard to case). For each of " BGCOLOR=", " TEXT=", " LINK=", " VLINK=",
// " ALINK=" present in the tag, the six characters after the first "#" from
// the attribute on; a missing attribute, a missing tag or a value that is
// not six hexadecimal digits gives the default.
TPageColors ReadBodyColors(const QString& text);

// Text mode: a selection longer than six characters holding "#" keeps
// everything but the six characters after its first "#", which become the
// colour; any other selection is replaced by the colour's six digits.
void InsertTextColor(TVeskMemoCore& editor, TColorValue color);
// Page settings mode: writes the five colours into the document's BODY tag
// (rewriting an attribute that is there, adding one right after "<body"
// otherwise, in the order BGCOLOR, TEXT, LINK, VLINK, ALINK); without a BODY
// tag a whole one goes after "</head>", or at the start when there is no
// "</head>" either. Caret and selection are put back where they were.
void InsertBodyColors(TVeskMemoCore& editor, const TPageColors& colors);

} // namespace vesk
