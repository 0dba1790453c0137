// Formatting and strict parsing of the main window's placement value.
#include "settings/WindowPlacement.h"

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
