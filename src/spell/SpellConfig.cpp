// The spell checker's configuration file.
#include "spell/SpellConfig.h"

#include "platform/ProfileFile.h"
#include "spell/Dictionary.h"
#include "spell/UserDictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <utility>

namespace vesk {
namespace {

const std::pair<const char*, TSpellOption> kOptionKeys[] = {
    {"soUpcase", soUpcase}, {"soNumbers", soNumbers}, {"soHTML", soHTML},
    {"soInternet", soInternet}, {"soQuoted", soQuoted}, {"soAutoSuggest", soAutoSuggest},
    {"soPrimaryOnly", soPrimaryOnly}, {"soRecheck", soRecheck}, {"soRepeated", soRepeated},
    {"soDualCaps", soDualCaps}, {"soUser1", soUser1}, {"soUser2", soUser2},
    {"soUser3", soUser3}, {"soUser4", soUser4},
};

// Options whose default is on when a key is missing from a valid section.
constexpr TSpellOptions kKeyDefaults =
    soUpcase | soHTML | soInternet | soQuoted | soAutoSuggest | soPrimaryOnly | soRecheck | soRepeated;

std::string Std(const QString& s) { return QFile::encodeName(s).toStdString(); }
QString FromStd(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

bool ReadYes(const std::string& section, const char* key, bool fallback, const std::string& path)
{
    const QString v = QString::fromStdString(
        GetPrivateProfileString(section, key, fallback ? "yes" : "no", path)).toLower();
    if (v == QLatin1String("yes"))
        return true;
    if (v == QLatin1String("no"))
        return false;
    return fallback;
}

std::vector<TDictionaryEntry> ReadEntries(const std::string& section, const char* name,
                                          const std::string& path, const QString& folder)
{
    std::vector<TDictionaryEntry> out;
    for (const std::string& value : ReadProfileList(section, name, path)) {
        if (value.size() < 2)
            continue;
        TDictionaryEntry e;
        e.inUse = value[0] == 'T' || value[0] == 't';
        e.path = FromStd(value.substr(1));
        if (QDir::isRelativePath(e.path))
            e.path = QDir(folder).filePath(e.path);
        out.push_back(e);
    }
    return out;
}

// Files beside the configuration are stored by name, so a program folder
// can be moved or copied whole.
std::vector<std::string> EntryValues(const std::vector<TDictionaryEntry>& entries, const QString& folder)
{
    std::vector<std::string> out;
    for (const TDictionaryEntry& e : entries) {
        const QFileInfo info(e.path);
        const bool beside = QDir::cleanPath(info.absolutePath()) == QDir::cleanPath(folder);
        out.push_back((e.inUse ? "T" : "F") + Std(beside ? info.fileName() : e.path));
    }
    return out;
}

} // namespace

void TConfiguration::Clear()
{
    titles.clear();
    mains.clear();
    users.clear();
    missingMains.clear();
    options = 0;
    userIndex = -1;
    isDefault_ = false;
}

void TConfiguration::Load(const QString& path, const std::string& section, const QString& defaultMain,
                          const QString& defaultUser, TSpellOptions defaultOptions)
{
    Clear();
    path_ = path;
    section_ = section;
    const std::string p = Std(path);
    if (!ReadYes(section, "ID", false, p)) {
        LoadDefault(defaultMain, defaultUser, defaultOptions);
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    const std::vector<std::string> storedTitles = ReadProfileList(section, "M_DCT", p);
    mains = ReadEntries(section, "U_MU_DCT", p, folder);
    users = ReadEntries(section, "U_DCT", p, folder);
    for (std::size_t i = 0; i < mains.size(); ++i) {
        if (mains[i].inUse && !QFileInfo(mains[i].path).isFile()) {
            mains[i].inUse = false;  // listed, but nothing to open
            missingMains.push_back(mains[i].path);
        }
        if (i < storedTitles.size())
            titles.push_back(storedTitles[i]);
        else
            titles.push_back(TDictionary::ReadTitle(mains[i].path).value_or(std::string()));
    }
    for (const auto& [key, bit] : kOptionKeys)
        if (ReadYes(section, key, (kKeyDefaults & bit) != 0, p))
            options |= bit;
    userIndex = GetPrivateProfileInt(section, "UserIndex", -1, p);
    if (userIndex < -1 || userIndex >= int(users.size()))
        userIndex = -1;
}

void TConfiguration::LoadDefault(const QString& defaultMain, const QString& defaultUser,
                                 TSpellOptions defaultOptions)
{
    isDefault_ = true;
    options = defaultOptions;
    const QDir folder(QFileInfo(path_).absolutePath());
    const QStringList dcts = folder.entryList({QStringLiteral("*.dct"), QStringLiteral("*.DCT")},
                                              QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : dcts) {
        const QString file = folder.filePath(name);
        mains.push_back({name.toLower() == defaultMain.toLower(), file});
        titles.push_back(TDictionary::ReadTitle(file).value_or(std::string()));
    }
    const QStringList udts = folder.entryList({QStringLiteral("*.udt"), QStringLiteral("*.UDT")},
                                              QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : udts) {
        const bool chosen = name.toLower() == defaultUser.toLower();
        users.push_back({chosen, folder.filePath(name)});
        if (chosen)
            userIndex = int(users.size() - 1);
    }
    if (udts.isEmpty()) {
        users.push_back({true, folder.filePath(defaultUser)});
        userIndex = 0;
    }
}

void TConfiguration::Save() const
{
    const std::string p = Std(path_);
    ProfileWriteBatch batch(p);
    WritePrivateProfileString(section_, "ID", "yes", p);
    WriteProfileList(section_, "M_DCT", titles, p);
    const QString folder = QFileInfo(path_).absolutePath();
    WriteProfileList(section_, "U_MU_DCT", EntryValues(mains, folder), p);
    WriteProfileList(section_, "U_DCT", EntryValues(users, folder), p);
    for (const auto& [key, bit] : kOptionKeys)
        WritePrivateProfileString(section_, key, (options & bit) ? "yes" : "no", p);
    WritePrivateProfileString(section_, "UserIndex", std::to_string(userIndex), p);
    batch.Commit();
}

void TConfiguration::Release()
{
    if (!isDefault_ || path_.isEmpty())
        return;
    try {
        Save();
        isDefault_ = false;
    } catch (const EIniFileException&) {
    }
}

} // namespace vesk
