// Page arithmetic of the printer, free of windows: the line pitch, lines per
// page and page count, where header and footer lines go, the "{p}" field,
// and the margin rules of the preview's page box.
//
// Distances the user sets are inches (floats); everything computed is in the
// printer's device pixels, or in box pixels for the preview. Any float may be
// huge, negative or NaN: the results stay finite and sensible (a pitch and a
// line count per page of at least 1, a page count of at least 1).
#pragma once

#include <QRectF>
#include <QString>

#include <cstdint>
#include <optional>

namespace vesk {

// What the printer tells about its page, in device pixels.
struct TPrintDevice {
    int physicalWidth = 0, physicalHeight = 0;    // the whole sheet
    int offsetX = 0, offsetY = 0;                 // the unprintable border at the left and top
    int printableWidth = 0, printableHeight = 0;  // the area the printer can reach
    int ppiX = 1, ppiY = 1;                       // pixels per inch
};

struct TPrintMargins {
    float left = 0.75f, right = 0.5f, top = 0.75f, bottom = 0.75f;
};

enum class TPrintAlign { Left, Right, Center };

// inches × ppi rounded, NaN as 0, kept within ±2^30 so sums of a few stay ints.
int InchesToPixels(double inches, int ppi);

// The distance from one printed line to the next: LineSpacing ≥ 0 is inches,
// a negative LineSpacing is that many times the height of "A" in the text
// font (`heightA` device pixels). At least 1.
int LinePitch(float lineSpacing, int ppiY, int heightA);

// Whole lines of `pitch` between the top and bottom margins; at least 1.
int LinesPerPage(const TPrintDevice& device, const TPrintMargins& margins, int pitch);

// Pages for `lineCount` display lines: lineCount div linesPerPage + 1, so a
// text that fills its last page exactly gets one more (empty) page. At least 1.
int PageCount(std::int32_t lineCount, int linesPerPage);

// Width of the text column between the left and right margins; at least 1.
int FormatWidth(const TPrintDevice& device, const TPrintMargins& margins);

// The top left corner of a page's first line in the printer's drawing
// coordinates, which start at the printable area (the unprintable border
// is subtracted).
int PageOriginX(const TPrintDevice& device, const TPrintMargins& margins);
int PageOriginY(const TPrintDevice& device, const TPrintMargins& margins);

// The header or footer text of page index `page` (0-based): the first "{p}"
// becomes the page number.
QString PageLineText(const QString& text, int page);

// The left edge of a header or footer line `textWidth` pixels wide, in
// drawing coordinates: at the left margin, ending at the right margin, or
// centred between the margins.
int PageLineX(TPrintAlign align, const TPrintDevice& device, const TPrintMargins& margins, int textWidth);
// The top of the header line, `yPos` inches below the sheet's top edge, and
// of the footer line, `yPos` inches above its bottom edge.
int HeaderY(const TPrintDevice& device, float yPos);
int FooterY(const TPrintDevice& device, float yPos);

// ---- the preview's page box ------------------------------------------------

// Box pixels per device pixel: the page fits the client area below the tool
// panel with 5 pixels to spare on each side. Never 0 or negative.
double PreviewScale(int clientWidth, int clientHeight, int panelHeight, const TPrintDevice& device);
// The page box: centred in the dimension with room to spare, 5 pixels from
// the panel or the left edge in the other.
QRectF PageBox(int clientWidth, int clientHeight, int panelHeight, const TPrintDevice& device);

enum class TMarginEdge { Left, Right, Top, Bottom };

// The margin lines in box coordinates: x of the left and right lines, y of
// the top and bottom lines, measured from the box's top left corner.
struct TBoxMargins {
    double left = 0, right = 0, top = 0, bottom = 0;
};
TBoxMargins BoxMargins(const TPrintMargins& margins, const TPrintDevice& device, double scale);

// The margin line within `tolerance` box pixels of point (x, y), if any
// (left and right before top and bottom).
std::optional<TMarginEdge> MarginAt(const TBoxMargins& box, double x, double y, double tolerance);

// Where a dragged margin line may stand: inside the box (`width` × `height`)
// and no closer than `gap` box pixels to the opposite margin line. Dragging
// keeps a gap of 3; the released line keeps 10.
inline constexpr double kDragGap = 3;
inline constexpr double kReleaseGap = 10;
double ClampMargin(TMarginEdge edge, double position, const TBoxMargins& box, double width, double height,
                   double gap);

// The margin in inches for a line at `position` box pixels: its distance
// from the box's own edge divided by (pixels per inch × scale).
float MarginInches(TMarginEdge edge, double position, double width, double height, const TPrintDevice& device,
                   double scale);

} // namespace vesk
