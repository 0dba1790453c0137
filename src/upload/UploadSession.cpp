// The uploader's conversation with one FTP site, without widgets: connect, list, send, fetch, manage.
#include "upload/UploadSession.h"

#include "upload/UploadSite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace vesk {

TUploadSession::TUploadSession()
{
    SetUploaderDefaults(client_);
    client_.OnProgress = [this](TCustomFtpEngine*, qint64 count, bool&) {
        if (OnProgress)
            OnProgress(count, maximum_);
    };
    // Refused calls fail their operation like a server's refusal.
    client_.OnError = [this](TCustomFtpEngine*, const QString& text) { refusal_ = text; };
}

void TUploadSession::Status(const QString& text)
{
    if (OnStatus)
        OnStatus(text);
}

bool TUploadSession::Check(bool ok)
{
    if (ok)
        return true;
    const QString why = client_.ErrorMessage().trimmed().isEmpty() ? refusal_ : client_.ErrorMessage().trimmed();
    refusal_.clear();
    const QString message = why + "\r\r" + "You will need to Reconnect.";
    client_.Abort();
    if (OnFtpError)
        OnFtpError(message);
    Status(QStringLiteral("Session Closed"));
    return false;
}

bool TUploadSession::Connect(const FtpSite& site, const AdvancedFtpSettings& advanced, QString* error)
{
    if (client_.Connected())
        client_.Abort();
    entries_.clear();
    if (site.hostName.trimmed().isEmpty()) {
        if (error)
            *error = QStringLiteral("HostName must be specified");
        return false;
    }
    ApplyAdvancedSettings(advanced, client_);
    ApplySite(site, client_);
    client_.SetHostFileName(QString());
    if (!ConnectTrusting(site.siteLabel) || !Check(client_.PrintDir()))
        return false;
    if (client_.FellBackToPlain())
        Status(QStringLiteral("Connected without encryption: the server does not offer TLS"));
    if (!site.remoteDirectory.isEmpty()) {
        Status("Changing to " + site.remoteDirectory);
        client_.SetHostDirName(site.remoteDirectory);
        if (!Check(client_.ChangeDir()))
            return false;
    }
    Status(QStringLiteral("Session Connected"));
    return true;
}

bool TUploadSession::ConnectTrusting(const QString& siteLabel)
{
    Status("Connecting to " + siteLabel);
    if (client_.Connect())
        return true;
    if (!client_.CertificateRefused() || !AskTrust)
        return Check(false);
    const TCertificateInfo certificate = client_.PeerCertificate();
    const bool changed = client_.CertificateChanged();
    client_.Abort();
    if (!AskTrust(certificate, changed)) {
        Status(QStringLiteral("Session Closed"));
        return false;
    }
    client_.SetTrustedCertificate(certificate.sha256);
    Status("Connecting to " + siteLabel);
    return Check(client_.Connect());
}

void TUploadSession::Abort()
{
    client_.Abort();
}

bool TUploadSession::RefreshRemote()
{
    entries_.clear();
    if (!client_.Connected())
        return false;
    Status(QStringLiteral("Getting List"));
    QTemporaryDir temporary;
    const QString file = temporary.filePath(QStringLiteral("listing"));
    client_.SetDisplayFileFlag(false);
    client_.SetHostFileName(QString());
    client_.SetLocalFileName(file);
    // Listings travel in ASCII, as the server writes text.
    if (!Check(client_.TypeAscii()) || !Check(client_.List()))
        return false;
    QFile listing(file);
    if (!listing.open(QIODevice::ReadOnly))
        return false;
    Status(QStringLiteral("Processing List"));
    entries_ = ParseListing(listing.readAll());
    Status(QStringLiteral("List Complete"));
    return true;
}

QStringList TUploadSession::UploadFiles(const QStringList& paths)
{
    QStringList sent;
    for (const QString& path : paths) {
        if (!client_.Connected())
            break;
        const QFileInfo info(path);
        const QString name = info.fileName();
        if (!Check(IsAsciiTransfer(name) ? client_.TypeAscii() : client_.TypeBinary()))
            break;
        client_.SetHostFileName(name);
        client_.SetLocalFileName(info.absoluteFilePath());
        maximum_ = info.exists() ? info.size() : 0;
        Status("Uploading " + name);
        if (!Check(client_.Put()))
            break;
        sent << path;
        Status(name + " Uploaded");
    }
    maximum_ = 0;
    return sent;
}

bool TUploadSession::Download(const TRemoteEntry& entry, const QString& folder, QString* error)
{
    const QString name = entry.LocalName();
    if (!IsSafeLocalName(name)) {
        if (error)
            *error = QStringLiteral("%1 was not downloaded: its name could lead outside the folder %2.")
                         .arg(EscapeName(name), folder);
        return false;
    }
    if (!client_.Connected())
        return false;
    client_.SetHostFileName(name);
    Status("Getting Size of " + name);
    maximum_ = client_.TypeBinary() && client_.FileSize() ? client_.SizeResult() : 0;
    if (!client_.Connected())
        return Check(false);
    if (!Check(IsAsciiTransfer(name) ? client_.TypeAscii() : client_.TypeBinary()))
        return false;
    const QString local = QDir(folder).filePath(name);
    const bool overwrite = !QFileInfo::exists(local) || !AskOverwrite || AskOverwrite(name);
    client_.SetLocalFileName(local);
    Status("Downloading " + name);
    const bool ok = Check(overwrite ? client_.Get() : client_.ResumeGet());
    maximum_ = 0;
    if (ok)
        Status(name + " Downloaded");
    return ok;
}

bool TUploadSession::ChangeDir(const QString& name)
{
    client_.SetHostDirName(name);
    Status("Changing to " + name);
    return client_.Connected() && Check(client_.ChangeDir());
}

bool TUploadSession::ParentDir()
{
    Status(QStringLiteral("Changing Directories"));
    return client_.Connected() && Check(client_.ParentDir());
}

bool TUploadSession::MakeDir(const QString& name)
{
    client_.SetHostFileName(name);
    Status("Making Directory - " + name);
    return client_.Connected() && Check(client_.MakeDir());
}

bool TUploadSession::Rename(const QString& from, const QString& to)
{
    client_.SetHostFileName(from);
    client_.SetLocalFileName(to);
    Status("Renaming " + from + " to " + to);
    return client_.Connected() && Check(client_.Rename());
}

bool TUploadSession::Delete(const TRemoteEntry& entry)
{
    if (!client_.Connected())
        return false;
    // A link goes by its own name, not "name -> target".
    QString name = entry.text;
    if (entry.kind == TRemoteKind::Link && name.contains(QLatin1StringView(" -> ")))
        name = name.left(name.indexOf(QLatin1StringView(" -> ")));
    client_.SetHostFileName(name);
    if (entry.kind == TRemoteKind::Directory) {
        Status("Removing Directory - " + name);
        return Check(client_.RemoveDir());
    }
    Status("Deleting File - " + name);
    return Check(client_.Delete());
}

QString NewDirProposal(const QStringList& captions)
{
    auto taken = [&](const QString& proposal) {
        for (const QString& caption : captions) {
            if (caption.startsWith(proposal, Qt::CaseInsensitive))
                return true;
        }
        return false;
    };
    QString proposal = QStringLiteral("NewDir");
    for (int n = 2; taken(proposal); ++n)
        proposal = "NewDir" + QString::number(n);
    return proposal;
}

bool NameTaken(const QStringList& captions, const QString& name, int except)
{
    for (int i = 0; i < captions.size(); ++i) {
        if (i != except && captions[i] == name)
            return true;
    }
    return false;
}

} // namespace vesk
