// The command associated with an extension: the registry stand-in first, then the desktop.
#include "settings/AssociatedCommand.h"

#include "platform/DesktopApps.h"
#include "platform/Registry.h"

namespace vesk {

QString GetAssociatedCommand(const QString& extension)
{
    const QString ext = NormalizedExtension(extension);
    if (ext.isEmpty())
        return {};

    // An association the program (or the user) recorded in the registry
    // stand-in is deliberate, so it overrides whatever the desktop prefers.
    const QString type =
        RegReadValue(RegRoot::ClassesRoot, QLatin1Char('\\') + ext, QString()).value_or(QString()).trimmed();
    if (!type.isEmpty()) {
        const QString command =
            RegReadValue(RegRoot::ClassesRoot,
                         QLatin1Char('\\') + type + QStringLiteral("\\shell\\open\\command"), QString())
                .value_or(QString())
                .trimmed();
        if (!command.isEmpty())
            return command;
    }
    return DefaultApplicationCommand(MimeTypeForExtension(ext));
}

} // namespace vesk
