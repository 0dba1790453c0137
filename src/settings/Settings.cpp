// The settings file handle and its value encodings.
#include "settings/Settings.h"

#include "platform/FileNames.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/SafeFile.h"

#include <utility>

namespace vesk {

namespace {

std::string ToUtf8(const QString& text) { return text.toStdString(); }

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

// True when the profile reader would not give value back as written: it
// trims blanks at both ends and strips a pair of enclosing quotes.
bool NeedsQuotes(const QString& value)
{
    if (value.isEmpty())
        return false;
    const QChar first = value.front();
    const QChar last = value.back();
    return first.isSpace() || last.isSpace() || first == u'"' || last == u'"';
}

std::string NumberedKey(std::string_view prefix, int index)
{
    return std::string(prefix) + std::to_string(index);
}

// A settings file may come to hold FTP passwords, so it is born readable by
// its owner alone; the atomic rewrites that follow keep its mode. A file
// that cannot be created here is left to the write itself to report.
void CreateIfMissing(const std::string& path)
{
    (void)CreatePrivateFile(FileNameFromBytes(QByteArrayView(path.data(), qsizetype(path.size()))));
}

} // namespace

SettingsFile::SettingsFile() : path_(ProgramFileStd(QString::fromLatin1(kSettingsFileName))) {}

SettingsFile::SettingsFile(std::string path) : path_(std::move(path)) {}

bool SettingsFile::ReadBool(std::string_view section, std::string_view key,
                            bool defaultValue) const
{
    return GetPrivateProfileInt(section, key, defaultValue ? 1 : 0, path_) != 0;
}

void SettingsFile::WriteBool(std::string_view section, std::string_view key, bool value) const
{
    CreateIfMissing(path_);
    WritePrivateProfileString(section, key, value ? "1" : "0", path_);
}

int SettingsFile::ReadInt(std::string_view section, std::string_view key, int defaultValue) const
{
    return GetPrivateProfileInt(section, key, defaultValue, path_);
}

void SettingsFile::WriteInt(std::string_view section, std::string_view key, int value) const
{
    CreateIfMissing(path_);
    WritePrivateProfileString(section, key, std::to_string(value), path_);
}

QString SettingsFile::ReadString(std::string_view section, std::string_view key,
                                 const QString& defaultValue) const
{
    return FromUtf8(GetPrivateProfileString(section, key, ToUtf8(defaultValue), path_));
}

void SettingsFile::WriteString(std::string_view section, std::string_view key,
                               const QString& value) const
{
    CreateIfMissing(path_);
    if (NeedsQuotes(value))
        WriteQuotedString(section, key, value);
    else
        WritePrivateProfileString(section, key, ToUtf8(value), path_);
}

void SettingsFile::WriteQuotedString(std::string_view section, std::string_view key,
                                     const QString& value) const
{
    CreateIfMissing(path_);
    WritePrivateProfileString(section, key, "\"" + ToUtf8(value) + "\"", path_);
}

void SettingsFile::DeleteKey(std::string_view section, std::string_view key) const
{
    WritePrivateProfileString(section, key, std::nullopt, path_);
}

void SettingsFile::EraseSection(std::string_view section) const
{
    WritePrivateProfileString(section, std::nullopt, std::nullopt, path_);
}

bool SettingsFile::SectionExists(std::string_view section) const
{
    return ProfileSectionExists(section, path_);
}

QStringList SettingsFile::ReadList(std::string_view section, std::string_view prefix,
                                   int maxCount) const
{
    QStringList items;
    for (int i = 0; i < maxCount; ++i) {
        const QString value = ReadString(section, NumberedKey(prefix, i));
        if (value.isEmpty())
            break;
        items.append(value);
    }
    return items;
}

void SettingsFile::WriteList(std::string_view section, std::string_view prefix,
                             const QStringList& items) const
{
    CreateIfMissing(path_);
    ProfileWriteBatch batch(path_);
    EraseSection(section);
    int index = 0;
    for (const QString& item : items) {
        if (item.isEmpty())
            continue;
        WriteString(section, NumberedKey(prefix, index++), item);
    }
    batch.Commit();
}

QString StrParse(QString& text, QChar separator)
{
    const qsizetype at = text.indexOf(separator);
    if (at < 0)
        return text;
    QString field = text.left(at);
    text.remove(0, at + 1);
    return field;
}

} // namespace vesk
