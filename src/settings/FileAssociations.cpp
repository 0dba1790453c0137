// Turning the desktop switches of the preferences on and off in the user's mimeapps.list.
#include "settings/FileAssociations.h"

#include "platform/DesktopAssociations.h"

#include <QMap>

#include <exception>

namespace vesk {
namespace {

const QString kOurs = QString::fromLatin1(kDesktopEntryId);
const QString kDefaults = QString::fromLatin1(kDefaultApplicationsGroup);
const QString kAdded = QString::fromLatin1(kAddedAssociationsGroup);

// The types "Add Edit to popup" adds the program to: text files, and every
// other file through the type all of them descend from.
const QStringList kEditTypes = {QStringLiteral("text/plain"), QStringLiteral("application/octet-stream")};

bool NamesUsFirst(const QString& list)
{
    const QStringList ids = DesktopIds(list);
    return !ids.isEmpty() && ids.front() == kOurs;
}

// Makes us the default for `type`; returns the value replaced when it is
// worth keeping (not empty, not already ours).
QString SetDefault(const QString& type)
{
    const QString old = ReadUserMimeApps(kDefaults, type);
    WriteUserMimeApps(kDefaults, type, kOurs);
    return DesktopIds(old).contains(kOurs) && DesktopIds(old).size() == 1 ? QString() : old;
}

// Gives the default back: the kept value, or none, but only while the
// default still names us.
void RestoreDefault(const QString& type, const QString& kept)
{
    if (NamesUsFirst(ReadUserMimeApps(kDefaults, type)))
        WriteUserMimeApps(kDefaults, type, kept);
}

// EditOldData holds the added lists we extended, one "type=list" per type,
// joined by "|" (no desktop id holds one).
QString EncodeLists(const QMap<QString, QString>& lists)
{
    QStringList parts;
    for (auto it = lists.begin(); it != lists.end(); ++it)
        parts << it.key() + QLatin1Char('=') + it.value();
    return parts.join(QLatin1Char('|'));
}

QMap<QString, QString> DecodeLists(const QString& text)
{
    QMap<QString, QString> lists;
    for (const QString& part : text.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0)
            lists.insert(part.left(eq).trimmed(), part.mid(eq + 1).trimmed());
    }
    return lists;
}

QString AddEdit()
{
    QMap<QString, QString> kept;
    for (const QString& type : kEditTypes) {
        const QString old = ReadUserMimeApps(kAdded, type);
        if (DesktopIds(old).contains(kOurs))
            continue;  // there already: nothing of ours to undo later
        WriteUserMimeApps(kAdded, type, kOurs + QLatin1Char(';') + old);
        if (!old.isEmpty())
            kept.insert(type, old);
    }
    return EncodeLists(kept);
}

void RemoveEdit(const QString& keptText)
{
    const QMap<QString, QString> kept = DecodeLists(keptText);
    for (const QString& type : kEditTypes) {
        const QString current = ReadUserMimeApps(kAdded, type);
        if (!DesktopIds(current).contains(kOurs))
            continue;
        const QString before = kept.value(type);
        if (current == kOurs + QLatin1Char(';') + before) {
            WriteUserMimeApps(kAdded, type, before);  // untouched since: exactly as it was
            continue;
        }
        // Changed since: keep what others added, take only our id out.
        QStringList ids = DesktopIds(current);
        ids.removeAll(kOurs);
        WriteUserMimeApps(kAdded, type, ids.isEmpty() ? QString() : ids.join(QLatin1Char(';')) + QLatin1Char(';'));
    }
}

} // namespace

QStringList UpdateDesktopAssociations(const AssociationSwitches& wanted, FileTypeSettings& types,
                                      const QString& programPath)
{
    QStringList problems;
    const auto attempt = [&](auto&& change) {
        try {
            change();
        } catch (const std::exception& e) {
            problems << QString::fromUtf8(e.what());
        }
    };
    const QString html = QStringLiteral("text/html");
    const QString text = QStringLiteral("text/plain");

    if (wanted.html != types.html) {
        attempt([&]() {
            if (wanted.html) {
                InstallUserDesktopEntry(programPath);
                // ".htm" and ".html" are one type here; each keeps its copy.
                const QString old = SetDefault(html);
                if (!old.isEmpty())
                    types.htmOldData = types.htmlOldData = old;
            } else {
                RestoreDefault(html, !types.htmOldData.isEmpty() ? types.htmOldData : types.htmlOldData);
                types.htmOldData.clear();
                types.htmlOldData.clear();
            }
            types.html = wanted.html;
        });
    }
    if (wanted.txt != types.txt) {
        attempt([&]() {
            if (wanted.txt) {
                InstallUserDesktopEntry(programPath);
                const QString old = SetDefault(text);
                if (!old.isEmpty())
                    types.txtOldData = old;
            } else {
                RestoreDefault(text, types.txtOldData);
                types.txtOldData.clear();
            }
            types.txt = wanted.txt;
        });
    }
    if (wanted.edit != types.edit) {
        attempt([&]() {
            if (wanted.edit) {
                InstallUserDesktopEntry(programPath);
                const QString kept = AddEdit();
                if (!kept.isEmpty())
                    types.editOldData = kept;
            } else {
                RemoveEdit(types.editOldData);
                types.editOldData.clear();
            }
            types.edit = wanted.edit;
        });
    }
    // A program that was moved or reinstalled elsewhere since the switch
    // went on would leave the desktop starting a path that is gone: the
    // entry follows the program (and is not rewritten when it already does).
    if (problems.isEmpty() && (types.html || types.txt || types.edit))
        attempt([&]() { InstallUserDesktopEntry(programPath); });
    return problems;
}

} // namespace vesk
