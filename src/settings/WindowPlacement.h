// The main window's placement record and its text form in [Position] Settings.
//
// The value is eleven signed decimal integers separated by commas, no blanks,
// in the order of the record below: length (always 44), flags, show state,
// minimised x, y, maximised x, y, and the normal rectangle left, top, right,
// bottom.
#pragma once

#include "settings/Settings.h"

#include <QRect>
#include <QString>
#include <Qt>
#include <optional>

namespace vesk {

// The length field every record carries.
inline constexpr int kPlacementLength = 44;

// Show states worth naming (the others are kept as numbers).
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

// A window placement. Default-constructed it is the main window's designed
// placement: a normal window of 604 by 310 at 101,191. The minimised and
// maximised positions are -1,-1 meaning "not set": the window system picks
// them, as it does for a window that was never minimised or maximised.
struct WindowPlacement {
    int length = kPlacementLength;
    int flags = 0;
    int showCmd = kShowNormal;
    int minX = -1;
    int minY = -1;
    int maxX = -1;
    int maxY = -1;
    int left = 101;
    int top = 191;
    int right = 705;   // left + 604
    int bottom = 501;  // top + 310

    friend bool operator==(const WindowPlacement&, const WindowPlacement&) = default;
};

// "44,0,1,-1,-1,-1,-1,101,191,705,501" for the designed placement.
QString FormatPlacement(const WindowPlacement& placement);

// The placement stored in text, or nullopt when the text is empty or
// malformed. Malformed means: fewer or more than eleven fields, or a field
// that is not a plain signed decimal integer within the int range, i.e. an
// optional "-" followed by digits only. Blanks, empty fields, a "+" sign and
// hexadecimal are all malformed, because FormatPlacement never writes them;
// a malformed value is ignored so the window keeps its designed placement.
// The first field must be a number too, but its value is not used: the
// length is always kPlacementLength.
std::optional<WindowPlacement> ParsePlacement(const QString& text);

// The window state a show state stands for: 2 → minimised, 3 → maximised,
// 6 or 7 (the minimised variants) → minimised, anything else → normal.
Qt::WindowState ShowStateToWindowState(int showCmd);

// The placement held to `area` (the available area of the screen it is
// shown on), so that no hand-edited or stale value makes a giant window or
// one out of sight: a width or height that is not positive becomes the
// designed one, one larger than the area's becomes the area's, and the
// rectangle is moved into the area. Minimised and maximised positions
// outside the area become -1 ("not set"). Any int values are handled
// without overflow. An empty area changes nothing.
WindowPlacement ClampPlacement(const WindowPlacement& placement, const QRect& area);

// [Position] Settings parsed as above; nullopt when absent or malformed.
std::optional<WindowPlacement> ReadPlacement(const SettingsFile& file = SettingsFile());
// Writes FormatPlacement(placement) to [Position] Settings, with the length
// field set to kPlacementLength whatever the record holds.
void WritePlacement(const WindowPlacement& placement, const SettingsFile& file = SettingsFile());

} // namespace vesk
