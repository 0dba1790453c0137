// Page arithmetic of the printer and the preview's margin rules.
#include "print/PrintLayout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace vesk {
namespace {

constexpr double kPixelLimit = double(1 << 30);

double Finite(double v)
{
    return std::isnan(v) ? 0.0 : std::clamp(v, -kPixelLimit, kPixelLimit);
}

int ToInt(double v)
{
    return int(std::lround(Finite(v)));
}

} // namespace

int InchesToPixels(double inches, int ppi)
{
    return ToInt(Finite(inches) * double(ppi));
}

int LinePitch(float lineSpacing, int ppiY, int heightA)
{
    const double spacing = Finite(lineSpacing);
    const double pitch = spacing >= 0 ? spacing * double(ppiY) : -spacing * double(heightA);
    // A pitch of 0 would put every line on the first.
    return std::max(1, ToInt(pitch));
}

int LinesPerPage(const TPrintDevice& device, const TPrintMargins& margins, int pitch)
{
    const double usable = double(device.physicalHeight)
        - Finite(double(margins.top) + double(margins.bottom)) * double(device.ppiY);
    const double lines = std::trunc(Finite(usable) / double(std::max(1, pitch)));
    return int(std::clamp(lines, 1.0, kPixelLimit));
}

int PageCount(std::int32_t lineCount, int linesPerPage)
{
    const std::int64_t pages = std::int64_t(std::max<std::int32_t>(0, lineCount)) / std::max(1, linesPerPage) + 1;
    return int(std::min<std::int64_t>(pages, std::numeric_limits<int>::max()));
}

int FormatWidth(const TPrintDevice& device, const TPrintMargins& margins)
{
    const double width = double(device.physicalWidth)
        - Finite(double(margins.left) + double(margins.right)) * double(device.ppiX);
    return std::max(1, ToInt(width));
}

int PageOriginX(const TPrintDevice& device, const TPrintMargins& margins)
{
    return InchesToPixels(margins.left, device.ppiX) - device.offsetX;
}

int PageOriginY(const TPrintDevice& device, const TPrintMargins& margins)
{
    return InchesToPixels(margins.top, device.ppiY) - device.offsetY;
}

QString PageLineText(const QString& text, int page)
{
    QString out = text;
    const qsizetype at = out.indexOf(QLatin1String("{p}"));
    if (at >= 0)
        out.replace(at, 3, QString::number(qint64(page) + 1));
    return out;
}

int PageLineX(TPrintAlign align, const TPrintDevice& device, const TPrintMargins& margins, int textWidth)
{
    // Every x is measured on the sheet and then moved into drawing
    // coordinates, so the line stands over the text column on any printer,
    // whatever its unprintable border.
    const double left = Finite(margins.left) * device.ppiX;
    const double right = Finite(margins.right) * device.ppiX;
    double x = left;
    if (align == TPrintAlign::Right)
        x = double(device.physicalWidth) - right - textWidth;
    else if (align == TPrintAlign::Center)
        x = std::floor((left - right + double(device.physicalWidth) - textWidth) / 2);
    return ToInt(x - device.offsetX);
}

int HeaderY(const TPrintDevice& device, float yPos)
{
    return InchesToPixels(yPos, device.ppiY) - device.offsetY;
}

int FooterY(const TPrintDevice& device, float yPos)
{
    return ToInt(double(device.physicalHeight) - Finite(yPos) * device.ppiY - device.offsetY);
}

// ---- the preview's page box --------------------------------------------------

double PreviewScale(int clientWidth, int clientHeight, int panelHeight, const TPrintDevice& device)
{
    if (device.physicalWidth <= 0 || device.physicalHeight <= 0)
        return 1e-3;
    const double byHeight = double(clientHeight - panelHeight - 10) / device.physicalHeight;
    const double byWidth = double(clientWidth - 10) / device.physicalWidth;
    return std::max(1e-3, std::min(byHeight, byWidth));
}

QRectF PageBox(int clientWidth, int clientHeight, int panelHeight, const TPrintDevice& device)
{
    const double scale = PreviewScale(clientWidth, clientHeight, panelHeight, device);
    const double w = device.physicalWidth * scale, h = device.physicalHeight * scale;
    double x = 5, y = panelHeight + 5;
    const double byHeight = double(clientHeight - panelHeight - 10) / std::max(1, device.physicalHeight);
    const double byWidth = double(clientWidth - 10) / std::max(1, device.physicalWidth);
    if (byHeight < byWidth)
        x = std::max(5.0, (clientWidth - w) / 2);  // room to spare across
    else
        y = std::max(double(panelHeight + 5), panelHeight + (clientHeight - panelHeight - h) / 2);
    return {x, y, w, h};
}

TBoxMargins BoxMargins(const TPrintMargins& margins, const TPrintDevice& device, double scale)
{
    TBoxMargins box;
    box.left = Finite(margins.left) * device.ppiX * scale;
    box.right = (device.physicalWidth - Finite(margins.right) * device.ppiX) * scale;
    box.top = Finite(margins.top) * device.ppiY * scale;
    box.bottom = (device.physicalHeight - Finite(margins.bottom) * device.ppiY) * scale;
    return box;
}

std::optional<TMarginEdge> MarginAt(const TBoxMargins& box, double x, double y, double tolerance)
{
    if (std::abs(x - box.left) <= tolerance)
        return TMarginEdge::Left;
    if (std::abs(x - box.right) <= tolerance)
        return TMarginEdge::Right;
    if (std::abs(y - box.top) <= tolerance)
        return TMarginEdge::Top;
    if (std::abs(y - box.bottom) <= tolerance)
        return TMarginEdge::Bottom;
    return std::nullopt;
}

double ClampMargin(TMarginEdge edge, double position, const TBoxMargins& box, double width, double height,
                   double gap)
{
    // The gap to the opposite line wins over the box edge, so a line never
    // crosses its opposite even when the other one stands outside the box.
    switch (edge) {
    case TMarginEdge::Left:
        return std::min(std::clamp(position, 0.0, width), box.right - gap);
    case TMarginEdge::Right:
        return std::max(std::clamp(position, 0.0, width), box.left + gap);
    case TMarginEdge::Top:
        return std::min(std::clamp(position, 0.0, height), box.bottom - gap);
    case TMarginEdge::Bottom:
        return std::max(std::clamp(position, 0.0, height), box.top + gap);
    }
    return position;
}

float MarginInches(TMarginEdge edge, double position, double width, double height, const TPrintDevice& device,
                   double scale)
{
    const double perInchX = std::max(1e-9, device.ppiX * scale);
    const double perInchY = std::max(1e-9, device.ppiY * scale);
    switch (edge) {
    case TMarginEdge::Left:
        return float(position / perInchX);
    case TMarginEdge::Right:
        return float((width - position) / perInchX);
    case TMarginEdge::Top:
        return float(position / perInchY);
    case TMarginEdge::Bottom:
        return float((height - position) / perInchY);
    }
    return 0;
}

} // namespace vesk
