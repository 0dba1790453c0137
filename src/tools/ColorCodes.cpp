// Colour conversions and the BODY tag rewriting of the colour producer.
#include "tools/ColorCodes.h"

namespace vesk {
namespace {

// Upper-cases ASCII letters only, so indexes into the result match the source.
QString AsciiUpper(const QString& s)
{
    QString out = s;
    for (QChar& c : out)
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 32);
    return out;
}

const char* const kBodyAttributes[] = {" BGCOLOR=", " TEXT=", " LINK=", " VLINK=", " ALINK="};

QString Text(const TVeskMemoCore& editor)
{
    return QString::fromStdString(editor.GetTextPart(0, editor.CharCount()));
}

// Offset in code points (the editor's unit) of a QString index.
std::int32_t CodePointOffset(const QString& text, qsizetype index)
{
    return static_cast<std::int32_t>(QStringView(text).left(index).toUcs4().size());
}

struct TBodyTag {
    qsizetype start = -1;  // index of "<" of "<body"
    qsizetype end = -1;    // index just after the tag's ">" (or the text's end)
};

TBodyTag FindBodyTag(const QString& text)
{
    TBodyTag tag;
    tag.start = text.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    if (tag.start < 0)
        return tag;
    const qsizetype close = text.indexOf(QLatin1Char('>'), tag.start);
    tag.end = close < 0 ? text.size() : close + 1;
    return tag;
}

} // namespace

bool IsHexDigit(QChar c)
{
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

QString GetHTTPColor(const QString& six)
{
    if (six.size() != 6)
        return six;
    return six.mid(4, 2) + six.mid(2, 2) + six.mid(0, 2);
}

QString ColorToBBGGRR(TColorValue color)
{
    return QStringLiteral("%1").arg(color & 0xFFFFFF, 6, 16, QLatin1Char('0')).toUpper();
}

QString ColorToHtml(TColorValue color)
{
    return GetHTTPColor(ColorToBBGGRR(color));
}

std::optional<TColorValue> ColorFromHtml(const QString& rrggbb)
{
    if (rrggbb.size() != 6)
        return std::nullopt;
    for (QChar c : rrggbb)
        if (!IsHexDigit(c))
            return std::nullopt;
    return GetHTTPColor(rrggbb).toInt(nullptr, 16);
}

std::optional<TColorValue> ColorFromSelection(const QString& selection)
{
    if (selection.size() == 6)
        return ColorFromHtml(selection);
    const qsizetype hash = selection.indexOf(QLatin1Char('#'));
    if (hash < 0)
        return std::nullopt;
    return ColorFromHtml(selection.mid(hash + 1, 6));
}

TPageColors DefaultPageColors()
{
    return {kColorWhite, kColorBlack, MakeColor(0, 0, 0xFF), MakeColor(0x80, 0, 0x80), MakeColor(0x80, 0, 0x80)};
}

TPageColors ReadBodyColors(const QString& text)
{
    TPageColors colors = DefaultPageColors();
    const TBodyTag tag = FindBodyTag(text);
    if (tag.start < 0)
        return colors;
    const QString body = AsciiUpper(text.mid(tag.start, tag.end - tag.start));
    for (int i = 0; i < 5; ++i) {
        const qsizetype at = body.indexOf(QLatin1String(kBodyAttributes[i]));
        if (at < 0)
            continue;
        const qsizetype hash = body.indexOf(QLatin1Char('#'), at);
        if (hash < 0)
            continue;
        if (const auto color = ColorFromHtml(body.mid(hash + 1, 6)))
            colors[std::size_t(i)] = *color;
    }
    return colors;
}

void InsertTextColor(TVeskMemoCore& editor, TColorValue color)
{
    const QString selection = QString::fromStdString(editor.SelText());
    const QString html = ColorToHtml(color);
    const qsizetype hash = selection.indexOf(QLatin1Char('#'));
    if (selection.size() > 6 && hash >= 0) {
        QString kept = selection;
        kept.replace(hash + 1, 6, html);
        editor.ReplaceSelection(kept.toStdString());
    } else {
        editor.ReplaceSelection(html.toStdString());
    }
}

void InsertBodyColors(TVeskMemoCore& editor, const TPageColors& colors)
{
    // SelStart is the caret; the anchor lies SelLength away from it.
    const std::int32_t caret = editor.SelStart();
    const std::int32_t anchor = caret + editor.SelLength();
    const std::int32_t undoMark = editor.UndoList().Position();
    QString text = Text(editor);
    if (FindBodyTag(text).start >= 0) {
        for (int i = 0; i < 5; ++i) {
            const QString pattern = QLatin1String(kBodyAttributes[i]) + QStringLiteral("\"#");
            const QString value = pattern + ColorToHtml(colors[std::size_t(i)]) + QLatin1Char('"');
            // The tag is measured again each time: the previous write moved its end.
            const TBodyTag tag = FindBodyTag(text);
            const QString body = AsciiUpper(text.mid(tag.start, tag.end - tag.start));
            const qsizetype at = body.indexOf(pattern);
            if (at >= 0) {
                // The pattern, its six digits and the closing quote.
                const std::int32_t from = CodePointOffset(text, tag.start + at);
                const std::int32_t to =
                    CodePointOffset(text, std::min<qsizetype>(text.size(), tag.start + at + pattern.size() + 7));
                editor.Select(from, to);
            } else {
                const std::int32_t after = CodePointOffset(text, tag.start + 5);
                editor.Select(after, after);
            }
            editor.ReplaceSelection(value.toStdString());
            text = Text(editor);
        }
    } else {
        QString tag = QStringLiteral("<BODY");
        for (int i = 0; i < 5; ++i)
            tag += QLatin1String(kBodyAttributes[i]) + QStringLiteral("\"#") + ColorToHtml(colors[std::size_t(i)]) +
                   QLatin1Char('"');
        tag += QLatin1Char('>');
        const qsizetype head = text.indexOf(QLatin1String("</head>"), 0, Qt::CaseInsensitive);
        const std::int32_t at = head < 0 ? 0 : CodePointOffset(text, head + 7);
        editor.Select(at, at);
        editor.ReplaceSelection(tag.toStdString());
    }
    editor.JoinUndoSince(undoMark);  // one Undo takes the whole BODY rewrite back
    editor.Select(anchor, caret);
}

} // namespace vesk
