// `htmlvesk --upload [--site N|NAME] FILE…` and `htmlvesk --upload-bin [--site N|NAME]`: publishing from scripts.
#include "upload/CommandLineUpload.h"

#include "ftp/FtpClient.h"
#include "settings/FileLists.h"
#include "settings/FtpSites.h"
#include "upload/UploadSite.h"

#include <QFileInfo>

#include <cstring>
#include <optional>
#include <ostream>

namespace vesk {

namespace {

const char* const kUsage = "usage: htmlvesk --upload [--site N|NAME] FILE...\n"
                           "       htmlvesk --upload-bin [--site N|NAME]\n";

std::string Text(const QString& text)
{
    // Reply lines may end in CR; they are printed one per line.
    QString out = text;
    out.replace(u'\r', u' ').replace(u'\n', u' ');
    return out.trimmed().toStdString();
}

struct Request {
    bool bin = false;
    std::optional<QString> site;
    QStringList files;
};

// Nothing for bad usage (the reason is printed).
std::optional<Request> ParseArguments(const QStringList& arguments, std::ostream& err)
{
    Request request;
    if (arguments.isEmpty())
        return std::nullopt;
    request.bin = arguments.front() == u"--upload-bin";
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == u"--") {
            options = false;
        } else if (options && argument == u"--site") {
            if (i + 1 >= arguments.size() || request.site) {
                err << "htmlvesk: --site needs one site number or name\n" << kUsage;
                return std::nullopt;
            }
            request.site = arguments[++i];
        } else if (options && argument.startsWith(u"--site=")) {
            if (request.site) {
                err << "htmlvesk: --site given twice\n" << kUsage;
                return std::nullopt;
            }
            request.site = argument.mid(7);
        } else if (options && argument.startsWith(u'-') && argument.size() > 1) {
            err << "htmlvesk: unknown option " << argument.toStdString() << '\n' << kUsage;
            return std::nullopt;
        } else {
            request.files << argument;
        }
    }
    if (request.bin && !request.files.isEmpty()) {
        err << "htmlvesk: --upload-bin sends the upload bin and takes no files\n" << kUsage;
        return std::nullopt;
    }
    if (!request.bin && request.files.isEmpty()) {
        err << "htmlvesk: no file to upload\n" << kUsage;
        return std::nullopt;
    }
    return request;
}

} // namespace

bool IsUploadCommand(int argc, char** argv)
{
    return argc >= 2 && (std::strcmp(argv[1], "--upload") == 0 || std::strcmp(argv[1], "--upload-bin") == 0);
}

int UploadFromCommandLine(const QStringList& arguments, std::ostream& err, const SettingsFile& settings)
{
    const std::optional<Request> request = ParseArguments(arguments, err);
    if (!request)
        return 2;

    const std::vector<FtpSite> sites = ReadSites(settings);
    int index = -1;
    if (request->site) {
        const std::optional<int> found = FindSite(sites, *request->site);
        if (!found) {
            err << "htmlvesk: no FTP site " << request->site->toStdString() << " in " << settings.path() << '\n';
            return 2;
        }
        index = *found;
    } else {
        index = ReadSelectedSite(settings);
        if (index < 0 || index >= int(sites.size())) {
            err << "htmlvesk: no FTP site is selected; name one with --site N|NAME\n";
            return 2;
        }
    }
    // The uploader reads a site's fields as the preferences page shows
    // them, with its defaults for a missing login or password.
    FtpSite defaults;
    defaults.loginName = QString::fromLatin1(kDefaultSiteLogin);
    defaults.password = QString::fromLatin1(kDefaultSitePassword);
    const FtpSite site = ReadSite(index, defaults, settings);
    if (site.hostName.trimmed().isEmpty()) {
        err << "htmlvesk: the FTP site " << site.siteLabel.toStdString() << " has no host address\n";
        return 2;
    }

    const QStringList files = request->bin ? ReadUploadFiles(settings) : request->files;
    if (files.isEmpty()) {
        err << "htmlvesk: the upload bin is empty\n";
        return 0;
    }

    TFtpClient client;
    SetUploaderDefaults(client);
    ApplyAdvancedSettings(ReadAdvancedFtp(settings), client);
    ApplySite(site, client);
    // Refused calls come back as failed results with the reason here.
    QString refusal;
    client.OnError = [&refusal](TCustomFtpEngine*, const QString& text) { refusal = text; };
    auto why = [&] { return Text(refusal.isEmpty() ? client.ErrorMessage() : refusal); };

    const std::string where = client.HostName().toStdString() + ":" + client.Port().toStdString();
    if (!client.Connect()) {
        err << "htmlvesk: cannot log in to " << where << ": " << why() << '\n';
        // Never asked here: trust is given in the uploader, which keeps it.
        if (client.CertificateRefused())
            err << "htmlvesk: the certificate's SHA-256 fingerprint is "
                << client.PeerCertificate().sha256.toStdString()
                << "; connect once with the uploader to check and trust it\n";
        client.Abort();
        return 1;
    }
    if (client.FellBackToPlain())
        err << "htmlvesk: " << where << " does not offer TLS; the files go unencrypted\n";
    if (!site.remoteDirectory.isEmpty() && !client.ChangeDir()) {
        err << "htmlvesk: cannot change to " << site.remoteDirectory.toStdString() << " on " << where << ": "
            << why() << '\n';
        client.Abort();
        return 1;
    }

    int status = 0;
    for (const QString& path : files) {
        refusal.clear();
        const QFileInfo info(path);
        auto fail = [&](const std::string& reason) {
            err << "htmlvesk: not uploaded: " << path.toStdString() << ": " << reason << '\n';
            status = 1;
        };
        if (!info.isFile() || !info.isReadable()) {
            fail(info.exists() ? "not a readable file" : "no such file");
            continue;
        }
        if (!client.Connected()) {
            fail("the server closed the session");
            continue;
        }
        const bool ascii = IsAsciiTransfer(info.fileName());
        if (!(ascii ? client.TypeAscii() : client.TypeBinary())) {
            fail(why());
            continue;
        }
        client.SetHostFileName(info.fileName());
        client.SetLocalFileName(info.absoluteFilePath());
        if (!client.Put()) {
            fail(why());
            continue;
        }
        err << "htmlvesk: uploaded " << info.fileName().toStdString() << " (" << client.ByteCount() << " bytes, "
            << (ascii ? "ascii" : "binary") << ")\n";
    }
    if (client.Connected())
        client.Quit();
    return status;
}

} // namespace vesk
