// Reading and writing the browser and viewer commands, with system defaults.
#include "settings/ProgramCommands.h"

#include "platform/ProfileFile.h"
#include "settings/AssociatedCommand.h"

#include <string>

namespace vesk {

namespace {

constexpr const char* kBrowsersSection = "Browsers";
constexpr const char* kViewersSection = "Viewers";

std::string BrowserKey(int index) { return "Browser" + std::to_string(index + 1); }

// The stored value, or fallback() when it is absent or empty. The fallback
// is only asked for when needed: it may look through the desktop's files.
template <typename Fallback>
QString ReadCommand(const SettingsFile& file, const char* section, std::string_view key,
                    Fallback fallback)
{
    QString value = file.ReadString(section, key);
    return value.isEmpty() ? fallback() : value;
}

void WriteCommand(const SettingsFile& file, const char* section, std::string_view key,
                  const QString& value)
{
    if (!value.isEmpty())
        file.WriteQuotedString(section, key, value);
}

} // namespace

QString DefaultBrowserCommand() { return GetAssociatedCommand(QStringLiteral(".htm")); }
QString DefaultGifViewer() { return GetAssociatedCommand(QStringLiteral(".gif")); }
QString DefaultJpgViewer() { return GetAssociatedCommand(QStringLiteral(".jpg")); }
QString DefaultBmpViewer() { return GetAssociatedCommand(QStringLiteral(".bmp")); }

ProgramCommands ReadProgramCommands(const SettingsFile& file)
{
    ProgramCommands c;
    c.browsers[0] = ReadCommand(file, kBrowsersSection, BrowserKey(0), DefaultBrowserCommand);
    for (int i = 1; i < kBrowserCount; ++i)
        c.browsers[std::size_t(i)] = file.ReadString(kBrowsersSection, BrowserKey(i));
    c.gifViewer = ReadCommand(file, kViewersSection, "GIF", DefaultGifViewer);
    c.jpgViewer = ReadCommand(file, kViewersSection, "JPG", DefaultJpgViewer);
    c.bmpViewer = ReadCommand(file, kViewersSection, "BMP", DefaultBmpViewer);
    return c;
}

void WriteProgramCommands(const ProgramCommands& c, const SettingsFile& file)
{
    ProfileWriteBatch batch(file.path());
    for (int i = 0; i < kBrowserCount; ++i)
        WriteCommand(file, kBrowsersSection, BrowserKey(i), c.browsers[std::size_t(i)]);
    WriteCommand(file, kViewersSection, "GIF", c.gifViewer);
    WriteCommand(file, kViewersSection, "JPG", c.jpgViewer);
    WriteCommand(file, kViewersSection, "BMP", c.bmpViewer);
    batch.Commit();
}

} // namespace vesk
