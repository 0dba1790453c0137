// Finding the thesaurus file.
#include "spell/ThesaurusLocate.h"

#include "platform/ProfileFile.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

namespace vesk {

bool IsRegularFile(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

QString ThesaurusSettingsFile(const QString& folder)
{
    const QDir dir(folder);
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden))
        if (name.toLower() == QLatin1String("spellchk.cfg"))
            return dir.filePath(name);
    return dir.filePath(QStringLiteral("thesaur.cfg"));
}

QString LocateThesaurus(const QString& folder, const QString& fileName, const TThesaurusLocateHooks& hooks)
{
    const QString beside = QDir(folder).filePath(fileName);
    if (IsRegularFile(beside))
        return beside;
    const QString settings = ThesaurusSettingsFile(folder);
    const std::string settingsPath = QFile::encodeName(settings).toStdString();
    const QString named = QFile::decodeName(QByteArray::fromStdString(
        GetPrivateProfileString("Thesaurus", "File", "", settingsPath)));
    if (IsRegularFile(named))
        return named;
    if (!hooks.askLocate || !hooks.askLocate() || !hooks.chooseFile)
        return {};
    const QString chosen = hooks.chooseFile();
    if (!IsRegularFile(chosen))
        return {};
    try {
        WritePrivateProfileString("Thesaurus", "File", QFile::encodeName(chosen).toStdString(), settingsPath);
    } catch (const EIniFileException&) {
        // Found all the same; the user will be asked again next time.
    }
    return chosen;
}

} // namespace vesk
