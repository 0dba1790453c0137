// The table of help topics and their pages.
#include "platform/HelpTopics.h"

#include "platform/ProgramFolder.h"

#include <QUrl>

namespace vesk {
namespace {

constexpr THelpTopic kTopics[] = {
    {kHelpContents, "index.html", "HTML Vesk Help"},
    {kHelpUploader, "uploader.html", "The FTP Uploader"},
    {kHelpScriptFolder, "javascripts.html", "The JavaScript Folder"},
    {kHelpPreferences, "preferences.html", "Preferences"},
    {kHelpSingleCodes, "single-codes.html", "Preferences: Single Codes"},
    {kHelpSECodes, "se-codes.html", "Preferences: S/E Codes"},
    {kHelpQuickCodes, "quick-codes.html", "Preferences: Quick Codes"},
    {kHelpBrowsers, "browsers.html", "Preferences: Browsers"},
    {kHelpViewers, "viewers.html", "Preferences: Viewers"},
    {kHelpPreferredFiles, "preferred-files.html", "Preferences: Preferred Files"},
    {kHelpUploaderSetup, "uploader-setup.html", "Preferences: Uploader Setup"},
    {kHelpUploadBin, "upload-bin.html", "Preferences: Upload Bin"},
    {kHelpAdvancedFtp, "advanced-ftp.html", "Advanced FTP Settings"},
    {kHelpValidatorVersion, "validator-version.html", "Preferences: Validator"},
    {kHelpColorProducer, "color-producer.html", "The Color Producer"},
    {kHelpQuickCodeWizard, "quick-code-wizard.html", "The Quick Code Setup Wizard"},
    {kHelpValidator, "validator.html", "The HTML Validator"},
};

} // namespace

std::span<const THelpTopic> HelpTopics()
{
    return kTopics;
}

const THelpTopic* FindHelpTopic(int topic)
{
    for (const THelpTopic& t : kTopics) {
        if (t.topic == topic)
            return &t;
    }
    return nullptr;
}

QString HelpFolder()
{
    return ProgramFile(QStringLiteral("help/"));
}

QString HelpPagePath(int topic)
{
    const THelpTopic* t = FindHelpTopic(topic);
    return t ? HelpFolder() + QString::fromLatin1(t->page) : QString();
}

QString HelpNotFoundHtml(int topic, const QString& path)
{
    QString what;
    if (path.isEmpty())
        what = QStringLiteral("There is no help page for topic %1.").arg(topic);
    else if (topic < 0)
        what = QStringLiteral("The page this link leads to is missing: ") + path.toHtmlEscaped();
    else
        what = QStringLiteral("The page for topic %1 is missing: ").arg(topic) + path.toHtmlEscaped();
    const QString contents = QUrl::fromLocalFile(HelpPagePath(kHelpContents)).toString(QUrl::FullyEncoded);
    return QStringLiteral("<html><head><title>Help topic not found</title></head><body>"
                          "<h1>Help topic not found</h1><p>%1</p>"
                          "<p>The help pages may have been removed from the program folder (%2). "
                          "Starting the program again copies the shipped pages back.</p>"
                          "<p><a href=\"%3\">Help contents</a></p></body></html>")
        .arg(what, HelpFolder().toHtmlEscaped(), contents.toHtmlEscaped());
}

} // namespace vesk
