// Pure helpers of the FTP engine: reply lines, results, PORT arguments,
// argument checks and transfer statistics.
#include "ftp/FtpReply.h"

#include <QStringList>

namespace vesk {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

TFtpLine ClassifyReplyLine(const QByteArray& line, int openCode)
{
    const bool codeThere = line.size() >= 3 && IsDigit(line[0]) && IsDigit(line[1]) && IsDigit(line[2]);
    const int code = codeThere ? (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0') : 0;
    const char after = line.size() > 3 ? line[3] : ' ';
    if (openCode != 0) {
        if (codeThere && code == openCode && after != '-' && !IsDigit(after))
            return {TFtpLineKind::Final, code};
        return {TFtpLineKind::Text, 0};
    }
    if (line.isEmpty() || !IsDigit(line[0]))
        return {TFtpLineKind::Text, 0};
    if (!codeThere || IsDigit(after) || code < 100 || code > 599)
        return {TFtpLineKind::Malformed, 0};
    if (after == '-')
        return {TFtpLineKind::MultiStart, code};
    return {TFtpLineKind::Final, code};
}

QString QuotedDirectory(const QString& line)
{
    qsizetype i = 0;
    while (i < line.size() && i < 3 && line[i].isDigit())
        ++i;
    qsizetype open = line.indexOf(u'"', i);
    if (open < 0)
        return {};
    QString dir;
    for (qsizetype j = open + 1; j < line.size(); ++j) {
        if (line[j] != u'"') {
            dir += line[j];
            continue;
        }
        if (j + 1 < line.size() && line[j + 1] == u'"') {
            dir += u'"';
            ++j;
            continue;
        }
        break;
    }
    return dir;
}

qint64 SizeFromReply(const QString& line)
{
    qsizetype i = 0;
    while (i < line.size() && i < 3 && line[i].isDigit())
        ++i;
    while (i < line.size() && (line[i] == u' ' || line[i] == u'\t'))
        ++i;
    qint64 size = 0;
    int digits = 0;
    for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i) {
        if (++digits > 18)
            return 0;
        size = size * 10 + (line[i].unicode() - u'0');
    }
    return size;
}

std::optional<int> PortFromPasvReply(const QString& line)
{
    qsizetype start = line.indexOf(u'(');
    if (start < 0) {
        start = 3;
        while (start < line.size() && !line[start].isDigit())
            ++start;
    } else {
        ++start;
    }
    int numbers[6];
    qsizetype i = start;
    for (int n = 0; n < 6; ++n) {
        while (i < line.size() && line[i] == u' ')
            ++i;
        int value = 0, digits = 0;
        for (; i < line.size() && line[i] >= u'0' && line[i] <= u'9'; ++i) {
            if (++digits > 3)
                return std::nullopt;
            value = value * 10 + (line[i].unicode() - u'0');
        }
        if (digits == 0 || value > 255)
            return std::nullopt;
        numbers[n] = value;
        while (i < line.size() && line[i] == u' ')
            ++i;
        if (n < 5) {
            if (i >= line.size() || line[i] != u',')
                return std::nullopt;
            ++i;
        }
    }
    int port = numbers[4] * 256 + numbers[5];
    if (port == 0)
        return std::nullopt;
    return port;
}

QString PortArgument(std::uint32_t ipv4, std::uint16_t port)
{
    return QStringLiteral("%1,%2,%3,%4,%5,%6")
        .arg(ipv4 >> 24)
        .arg((ipv4 >> 16) & 0xff)
        .arg((ipv4 >> 8) & 0xff)
        .arg(ipv4 & 0xff)
        .arg(port >> 8)
        .arg(port & 0xff);
}

bool HoldsLineBreak(const QString& text)
{
    for (QChar c : text)
        if (c == u'\r' || c == u'\n' || c == u'\0')
            return true;
    return false;
}

QString TransferStatistics(qint64 bytes, qint64 elapsedMs)
{
    if (elapsedMs < 0)
        elapsedMs = 0;
    QString text = QStringLiteral("%1 bytes received/sent in %2 seconds").arg(bytes).arg(elapsedMs / 1000);
    if (elapsedMs != 0) {
        qint64 rate = bytes < 32768 ? bytes * 1000 / elapsedMs : (bytes / elapsedMs) * 1000;
        text += QStringLiteral(" (%1 Bytes/sec)").arg(rate);
    }
    return text;
}

} // namespace vesk
