// Clipper list and file.
#include "app/Clipper.h"

#include "app/DocumentFiles.h"
#include "editor/TextEncoding.h"

#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace vesk {

QString TClipperList::Label() const
{
    return selected_ >= 0 ? QStringLiteral("<F%1>").arg(selected_ + 1) : QString();
}

bool TClipperList::Add(const QString& text)
{
    if (Full())
        return false;
    items_.append(text);
    selected_ = Count() - 1;
    return true;
}

void TClipperList::DeleteSelected()
{
    if (selected_ < 0)
        return;
    items_.removeAt(selected_);
    if (selected_ >= Count())
        selected_ = Count() - 1;
}

void TClipperList::Select(int index)
{
    if (index >= 0 && index < Count())
        selected_ = index;
}

void TClipperList::SetItems(const QStringList& items)
{
    items_ = items.mid(0, kClipperCapacity);
    selected_ = items_.isEmpty() ? -1 : 0;
}

QStringList ReadClipperFile(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return {};
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("Unable to read " + path.toStdString() + ": " + file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw std::runtime_error("Unable to read " + path.toStdString() + ": " + file.errorString().toStdString());
    std::string utf8;
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (IsValidUtf8(view))
        utf8.assign(view);
    else
        AppendWindows1252AsUtf8(utf8, view);
    QStringList lines = QString::fromStdString(utf8).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();  // the end of the last line, not an empty line after it
    for (QString& line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    }

    QStringList items;
    QString item;
    bool open = false;
    for (const QString& line : lines) {
        if (line == QLatin1String(kClipperSeparator)) {
            items.append(item);
            item.clear();
            open = false;
            continue;
        }
        if (open)
            item += QStringLiteral("\r\n");
        item += line;
        open = true;
    }
    if (open)
        items.append(item);
    return items.mid(0, kClipperCapacity);
}

QByteArray ClipperFileBytes(const QStringList& items)
{
    QByteArray bytes;
    for (const QString& item : items) {
        QString text = item;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        bytes += text.toUtf8();
        bytes += '\n';
        bytes += kClipperSeparator;
        bytes += '\n';
    }
    return bytes;
}

void WriteClipperFile(const QString& path, const QStringList& items)
{
    if (items.isEmpty())
        return;  // an empty clipper keeps the items of the last run
    WriteFileSafely(path, ClipperFileBytes(items));
}

} // namespace vesk
