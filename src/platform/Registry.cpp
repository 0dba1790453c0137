// The registry stand-in: keys as sections of registry.ini in the program folder.
#include "platform/Registry.h"

#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"

#include <stdexcept>
#include <vector>

namespace vesk {
namespace {

// The name under which a key's default (unnamed) value is stored.
const char* const kDefaultValueName = "@";

const char* RootName(RegRoot root)
{
    switch (root) {
    case RegRoot::ClassesRoot:
        return "HKEY_CLASSES_ROOT";
    case RegRoot::CurrentUser:
        return "HKEY_CURRENT_USER";
    }
    return "HKEY_CLASSES_ROOT";
}

// The profile module compares names by ASCII case only; prefix tests made
// here must agree with it, so Unicode case folding is deliberately not used.
std::string AsciiLower(std::string s)
{
    for (char& c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

bool EqualsNoCase(const std::string& a, const std::string& b)
{
    return AsciiLower(a) == AsciiLower(b);
}

std::string Section(RegRoot root, const QString& path)
{
    return RegistrySectionName(root, path).toStdString();
}

std::string StoredName(const QString& valueName)
{
    return valueName.isEmpty() ? std::string(kDefaultValueName) : valueName.toStdString();
}

// The key's own spelling of the value name in the file, if present. Reading
// by key list (instead of a default sentinel) tells "missing" from "empty".
std::optional<std::string> FindValueKey(const std::string& section, const std::string& name,
                                        const std::string& file)
{
    for (const std::string& key : GetPrivateProfileKeys(section, file))
        if (EqualsNoCase(key, name))
            return key;
    return std::nullopt;
}

// Every section that is the key itself or lies below it.
std::vector<std::string> KeyAndSubkeySections(const std::string& section, const std::string& file)
{
    const std::string lower = AsciiLower(section);
    const std::string prefix = lower + "\\";
    std::vector<std::string> found;
    for (const std::string& name : GetPrivateProfileSectionNames(file)) {
        const std::string n = AsciiLower(name);
        if (n == lower || n.compare(0, prefix.size(), prefix) == 0)
            found.push_back(name);
    }
    return found;
}

} // namespace

std::string RegistryFilePath()
{
    return ProgramFileStd(QStringLiteral("registry.ini"));
}

QString RegistrySectionName(RegRoot root, const QString& path)
{
    QString p = path;
    while (p.startsWith(QLatin1Char('\\')))
        p.remove(0, 1);
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    QString name = QString::fromLatin1(RootName(root));
    if (!p.isEmpty())
        name += QLatin1Char('\\') + p;
    return name;
}

bool RegOpenKey(RegRoot root, const QString& path, bool create)
{
    const std::string file = RegistryFilePath();
    const std::string section = Section(root, path);
    if (!KeyAndSubkeySections(section, file).empty())
        return true;
    if (!create)
        return false;
    EnsureProfileSection(section, file);
    return true;
}

std::optional<QString> RegReadValue(RegRoot root, const QString& path, const QString& valueName)
{
    const std::string file = RegistryFilePath();
    const std::string section = Section(root, path);
    const std::optional<std::string> key = FindValueKey(section, StoredName(valueName), file);
    if (!key)
        return std::nullopt;
    return QString::fromStdString(GetPrivateProfileString(section, *key, "", file));
}

void RegWriteValue(RegRoot root, const QString& path, const QString& valueName,
                   const QString& value)
{
    const std::string name = StoredName(valueName);
    if (name.find('=') != std::string::npos || name.front() == ';' || name.front() == '[')
        throw std::invalid_argument("registry value name cannot be stored: " + name);
    const std::string file = RegistryFilePath();
    const std::string section = Section(root, path);
    // Reuse an existing spelling of the name so a differently cased write
    // replaces the value instead of adding a second, shadowed line.
    const std::string key = FindValueKey(section, name, file).value_or(name);
    // The reader strips exactly one pair of enclosing quotes, so the quotes
    // added here protect blanks at either end and leave inner quotes alone.
    const std::string quoted = "\"" + value.toStdString() + "\"";
    WritePrivateProfileString(section, key, quoted, file);
}

bool RegDeleteValue(RegRoot root, const QString& path, const QString& valueName)
{
    const std::string file = RegistryFilePath();
    const std::string section = Section(root, path);
    const std::optional<std::string> key = FindValueKey(section, StoredName(valueName), file);
    if (!key)
        return false;
    WritePrivateProfileString(section, *key, std::nullopt, file);
    return true;
}

bool RegDeleteKey(RegRoot root, const QString& path)
{
    const std::string file = RegistryFilePath();
    const std::string section = Section(root, path);
    if (EqualsNoCase(section, RootName(root)))
        return false;
    const std::vector<std::string> doomed = KeyAndSubkeySections(section, file);
    if (doomed.empty())
        return false;
    ProfileWriteBatch batch(file);
    for (const std::string& name : doomed) {
        // A hand-edited file may repeat a section; erasing removes one copy
        // at a time, and the bound keeps a misbehaving file from looping us.
        for (int guard = 0; guard < 64 && ProfileSectionExists(name, file); ++guard)
            WritePrivateProfileString(name, std::nullopt, std::nullopt, file);
    }
    batch.Commit();
    return true;
}

} // namespace vesk
