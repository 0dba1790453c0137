// Formatting and strict parsing of the main window's placement value.
#include "settings/WindowPlacement.h"

#include <algorithm>
#include <array>

namespace vesk {

namespace {

constexpr const char* kPositionSection = "Position";
constexpr const char* kPlacementKey = "Settings";
constexpr int kPlacementFields = 11;

// An optional "-" and one or more ASCII digits, within the int range.
std::optional<int> ParseField(const QString& field)
{
    const qsizetype digitsFrom = field.startsWith(u'-') ? 1 : 0;
    if (field.size() == digitsFrom)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < field.size(); ++i) {
        if (field[i] < u'0' || field[i] > u'9')
            return std::nullopt;
    }
    bool ok = false;
    const int value = field.toInt(&ok, 10);
    if (!ok)
        return std::nullopt;
    return value;
}

} // namespace

QString FormatPlacement(const WindowPlacement& p)
{
    const std::array<int, kPlacementFields> fields = {
        p.length, p.flags, p.showCmd, p.minX, p.minY, p.maxX, p.maxY,
        p.left, p.top, p.right, p.bottom};
    QString text;
    for (int value : fields) {
        if (!text.isEmpty())
            text += u',';
        text += QString::number(value);
    }
    return text;
}

std::optional<WindowPlacement> ParsePlacement(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;

    std::array<int, kPlacementFields> values{};
    QString rest = text;
    for (int i = 0; i < kPlacementFields; ++i) {
        const bool last = i == kPlacementFields - 1;
        // StrParse hands back the whole text when no separator is left, so
        // the field count is checked here: every field but the last needs a
        // comma after it, and the last must not have one.
        if (rest.contains(u',') == last)
            return std::nullopt;
        const QString field = last ? rest : StrParse(rest, u',');
        const std::optional<int> value = ParseField(field);
        if (!value)
            return std::nullopt;
        values[std::size_t(i)] = *value;
    }

    WindowPlacement p;
    p.length = kPlacementLength;
    p.flags = values[1];
    p.showCmd = values[2];
    p.minX = values[3];
    p.minY = values[4];
    p.maxX = values[5];
    p.maxY = values[6];
    p.left = values[7];
    p.top = values[8];
    p.right = values[9];
    p.bottom = values[10];
    return p;
}

WindowPlacement ClampPlacement(const WindowPlacement& placement, const QRect& area)
{
    if (area.isEmpty())
        return placement;
    const WindowPlacement designed;
    WindowPlacement p = placement;
    // 64-bit arithmetic: right - left of two ints may not fit in one.
    const qint64 areaLeft = area.left(), areaTop = area.top();
    const qint64 areaWidth = area.width(), areaHeight = area.height();
    qint64 width = qint64(p.right) - p.left;
    qint64 height = qint64(p.bottom) - p.top;
    if (width <= 0)
        width = qint64(designed.right) - designed.left;
    if (height <= 0)
        height = qint64(designed.bottom) - designed.top;
    width = std::min(width, areaWidth);
    height = std::min(height, areaHeight);
    const qint64 left = std::clamp<qint64>(p.left, areaLeft, areaLeft + areaWidth - width);
    const qint64 top = std::clamp<qint64>(p.top, areaTop, areaTop + areaHeight - height);
    p.left = int(left);
    p.top = int(top);
    p.right = int(left + width);
    p.bottom = int(top + height);
    auto inside = [&](int& x, int& y) {
        if ((x != -1 || y != -1) && !area.contains(x, y))
            x = y = -1;
    };
    inside(p.minX, p.minY);
    inside(p.maxX, p.maxY);
    return p;
}

Qt::WindowState ShowStateToWindowState(int showCmd)
{
    switch (showCmd) {
    case 2:
    case 6:
    case 7:
        return Qt::WindowMinimized;
    case 3:
        return Qt::WindowMaximized;
    default:
        return Qt::WindowNoState;
    }
}

std::optional<WindowPlacement> ReadPlacement(const SettingsFile& file)
{
    return ParsePlacement(file.ReadString(kPositionSection, kPlacementKey));
}

void WritePlacement(const WindowPlacement& placement, const SettingsFile& file)
{
    WindowPlacement stored = placement;
    stored.length = kPlacementLength;
    file.WriteString(kPositionSection, kPlacementKey, FormatPlacement(stored));
}

} // namespace vesk
