// The session autostart entry: where it lives, its Exec line, writing and removing it.
#include "platform/Autostart.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>

namespace vesk {

QString SessionAutostartPath()
{
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || !QDir::isAbsolutePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/htmlvesk-session.desktop");
}

QString QuoteExecArgument(const QString& argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == QLatin1Char('%'))
            out += QLatin1Char('%');  // a field code otherwise
        else if (QStringLiteral("\"`$\\").contains(c))
            out += QLatin1Char('\\');
        out += c;
    }
    return out + QLatin1Char('"');
}

QString ExecValue(const QStringList& command)
{
    QStringList quoted;
    for (const QString& argument : command)
        quoted << QuoteExecArgument(argument);
    // The desktop file's own escapes come on top of the Exec quoting: a
    // quoted "\\" becomes "\\\\" in the file.
    return EscapeDesktopValue(quoted.join(QLatin1Char(' ')));
}

QString ExecArgumentWhereNeeded(const QString& argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    const bool needsQuotes =
        argument.isEmpty() || std::any_of(argument.begin(), argument.end(), [](QChar c) { return reserved.contains(c); });
    if (needsQuotes)
        return QuoteExecArgument(argument);
    QString out = argument;
    out.replace(QLatin1Char('%'), QStringLiteral("%%"));  // a field code otherwise
    return out;
}

QString EscapeDesktopValue(const QString& text)
{
    QString value;
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': value += QStringLiteral("\\\\"); break;
        case '\n': value += QStringLiteral("\\n"); break;
        case '\t': value += QStringLiteral("\\t"); break;
        case '\r': value += QStringLiteral("\\r"); break;
        default: value += c;
        }
    }
    return value;
}

QByteArray SessionAutostartEntry(const QStringList& command)
{
    return QByteArrayLiteral("[Desktop Entry]\n"
                             "Type=Application\n"
                             "Name=HTML Vesk\n"
                             "Comment=Reopens the documents that were open when the last session ended\n"
                             "Icon=htmlvesk\n"
                             "Exec=")
         + ExecValue(command).toUtf8()
         + QByteArrayLiteral("\nTerminal=false\nNoDisplay=true\n");
}

bool WriteSessionAutostart(const QStringList& command)
{
    const QString path = SessionAutostartPath();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(SessionAutostartEntry(command));
    return file.commit();
}

bool RemoveSessionAutostart()
{
    return QFile::remove(SessionAutostartPath());
}

} // namespace vesk
