// Asking the user before a settings file that cannot be read is replaced.
#include "app/UnreadableSettings.h"

#include "app/MsgBox.h"
#include "platform/FileNames.h"
#include "platform/ProfileFile.h"

#include <QFileInfo>

namespace vesk {

QString UnreadableSettingsQuestion(const QString& path)
{
    return QFileInfo(path).fileName() + QStringLiteral(" (") + path +
           QStringLiteral(") exists but could not be read, so the settings it holds are not in use.") +
           QStringLiteral("\r\r") +
           QStringLiteral("Replace it with the settings of this session? No keeps the file as it is, and the "
                          "settings of this session are not saved in it.");
}

void AskBeforeReplacingUnreadableFiles()
{
    SetUnreadableProfileQuestion([](const std::string& path) {
        const QString name = FileNameFromBytes(QByteArrayView(path.data(), qsizetype(path.size())));
        return MsgBox(UnreadableSettingsQuestion(name), QString::fromLatin1(kUnreadableSettingsCaption), kMbYesNo,
                      kSoundWarning) == kMrYes;
    });
}

} // namespace vesk
