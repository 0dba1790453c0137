// Line ends of text exchanged with other programs (clipboard, drops, input
// methods): the editor breaks paragraphs with CR LF, Linux programs with LF.
#pragma once

#include <string>
#include <string_view>

namespace vesk {

// Text coming in: every line end (LF, CR LF, or a CR on its own) becomes the
// CR LF of a paragraph break; everything else is kept as it is. "a\n\rb"
// holds two line ends (LF, then a lone CR).
std::string ToParagraphBreaks(std::string_view text);

// Text going out: every CR LF, and any CR on its own, becomes LF.
std::string ToLfLineEnds(std::string_view text);

} // namespace vesk
