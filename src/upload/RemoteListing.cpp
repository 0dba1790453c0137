// The remote file list: parsing a directory listing received from the server, and its order.
#include "upload/RemoteListing.h"

#include <QStringDecoder>

#include <algorithm>
#include <numeric>

namespace vesk {

namespace {

bool IsControl(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f);
}

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

int Group(const TRemoteEntry& entry)
{
    return entry.kind == TRemoteKind::File ? 1 : 0;
}

// Upper-cased UTF-8 compares byte by byte in code point order.
QByteArray SortKey(const TRemoteEntry& entry)
{
    return entry.text.toUpper().toUtf8();
}

// Where this line's name starts. Listings whose columns are aligned (as
// "ls -l" writes them) start every name at the fixed column, blanks in
// names included. Some servers do not pad the size field, so a line with a
// shorter or longer size than the first one has its name elsewhere; when
// the fixed column does not start a word on this line, the name is what
// follows the eighth field (mode, links, owner, group, size, month, day,
// time or year), and the fixed column is kept when the line has fewer.
int LineNameColumn(const QString& line, int column)
{
    const bool startsWord = column == 0 || (IsBlank(line[column - 1]) && !IsBlank(line[column]));
    if (startsWord)
        return column;
    qsizetype at = 0;
    for (int field = 0; field < 8; ++field) {
        while (at < line.size() && IsBlank(line[at]))
            ++at;
        if (at >= line.size())
            return column;
        while (at < line.size() && !IsBlank(line[at]))
            ++at;
    }
    if (at >= line.size())
        return column;
    ++at;  // the one blank that separates the name
    return int(at);
}

} // namespace

QString TRemoteEntry::Caption() const
{
    return EscapeName(text);
}

QString TRemoteEntry::LocalName() const
{
    if (kind != TRemoteKind::Link)
        return text;
    const qsizetype arrow = text.indexOf(QLatin1StringView("->"));
    if (arrow < 0)
        return text;
    qsizetype start = arrow + 2;
    if (start < text.size() && text[start] == u' ')
        ++start;
    return text.mid(start);
}

QStringList ListingLines(const QByteArray& listing)
{
    QStringList lines;
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    qsizetype from = 0;
    while (from < listing.size()) {
        qsizetype end = listing.indexOf('\n', from);
        if (end < 0)
            end = listing.size();
        qsizetype stop = end;
        if (stop > from && listing[stop - 1] == '\r')
            --stop;
        const QByteArrayView bytes(listing.constData() + from, stop - from);
        QString line = utf8.decode(bytes);
        if (utf8.hasError()) {
            utf8.resetState();
            line = QString::fromLatin1(bytes);
        }
        lines.append(std::move(line));
        from = end + 1;
    }
    return lines;
}

int NameColumn(const QStringList& lines)
{
    for (const QString& line : lines) {
        if (line.size() < kListingMinLineLength)
            continue;
        const qsizetype arrow = line.indexOf(QLatin1StringView("->"));
        // An arrow at the very start leaves nothing left of it to search.
        qsizetype at = arrow >= 0 ? std::max<qsizetype>(arrow - 2, -1) : line.size() - 1;
        while (at >= 0 && !IsBlank(line[at]))
            --at;
        return int(at + 1);
    }
    return -1;
}

std::vector<TRemoteEntry> ParseListing(const QByteArray& listing)
{
    const QStringList lines = ListingLines(listing);
    const int column = NameColumn(lines);
    std::vector<TRemoteEntry> entries;
    if (column < 0)
        return entries;
    for (const QString& line : lines) {
        if (line.size() < kListingMinLineLength || line.size() <= column)
            continue;
        TRemoteEntry entry;
        entry.text = line.mid(LineNameColumn(line, column));
        if (entry.text == u"." || entry.text == u"..")
            continue;
        switch (line[0].unicode()) {
        case u'-': entry.kind = TRemoteKind::File; break;
        case u'l': entry.kind = TRemoteKind::Link; break;
        default: entry.kind = TRemoteKind::Directory; break;
        }
        entries.push_back(std::move(entry));
    }

    // Sorting by keys made once keeps a listing of 100 000 entries fast.
    std::vector<QByteArray> keys;
    keys.reserve(entries.size());
    for (const TRemoteEntry& entry : entries)
        keys.push_back(SortKey(entry));
    std::vector<size_t> order(entries.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        const int ga = Group(entries[a]), gb = Group(entries[b]);
        if (ga != gb)
            return ga < gb;
        return keys[a] < keys[b];
    });
    std::vector<TRemoteEntry> sorted;
    sorted.reserve(entries.size());
    for (size_t i : order)
        sorted.push_back(std::move(entries[i]));
    return sorted;
}

int FTPCompare(const TRemoteEntry& a, const TRemoteEntry& b)
{
    if (Group(a) != Group(b))
        return Group(a) - Group(b);
    const QByteArray ka = SortKey(a), kb = SortKey(b);
    return ka < kb ? -1 : (kb < ka ? 1 : 0);
}

bool IsSafeLocalName(const QString& name)
{
    if (name.isEmpty() || name == u"." || name == u"..")
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) { return c == u'/' || IsControl(c); });
}

QString EscapeName(const QString& name)
{
    if (std::none_of(name.begin(), name.end(), IsControl))
        return name;
    QString out;
    for (QChar c : name) {
        if (IsControl(c))
            out += QStringLiteral("\\x%1").arg(int(c.unicode()), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

} // namespace vesk
