// Which FTP site the uploader talks to, and how a site's fields become the client's settings.
#include "upload/UploadSite.h"

#include "ftp/FtpClient.h"

namespace vesk {

namespace {

// A port number from 1 to 65535 written in decimal digits only.
bool IsPortNumber(const QString& text)
{
    if (text.isEmpty() || text.size() > 5)
        return false;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    const int value = text.toInt();
    return value >= 1 && value <= 65535;
}

} // namespace

FtpHostPort SplitHostPort(const QString& field)
{
    const QString text = field.trimmed();
    const FtpHostPort whole{text, QStringLiteral("ftp")};
    if (text.startsWith(u'[')) {
        // A bracketed IPv6 address, with or without a port.
        const qsizetype close = text.indexOf(u']');
        if (close < 0)
            return whole;
        const QString host = text.mid(1, close - 1).trimmed();
        const QString rest = text.mid(close + 1).trimmed();
        if (rest.isEmpty())
            return {host, QStringLiteral("ftp")};
        if (rest.startsWith(u':') && IsPortNumber(rest.mid(1).trimmed()))
            return {host, rest.mid(1).trimmed()};
        return whole;
    }
    const qsizetype colon = text.lastIndexOf(u':');
    // Two colons or more without brackets: an IPv6 address, not a port.
    if (colon < 0 || text.indexOf(u':') != colon)
        return whole;
    const QString port = text.mid(colon + 1).trimmed();
    if (!IsPortNumber(port))
        return whole;
    return {text.left(colon).trimmed(), port};
}

std::optional<int> FindSite(const std::vector<FtpSite>& sites, const QString& choice)
{
    bool isNumber = false;
    const int index = choice.toInt(&isNumber, 10);
    if (isNumber && index >= 0 && index < int(sites.size()))
        return index;
    for (int i = 0; i < int(sites.size()); ++i) {
        if (sites[i].siteLabel == choice)
            return i;
    }
    for (int i = 0; i < int(sites.size()); ++i) {
        if (sites[i].siteLabel.compare(choice, Qt::CaseInsensitive) == 0)
            return i;
    }
    return std::nullopt;
}

void ApplySite(const FtpSite& site, TFtpClient& client)
{
    const FtpHostPort address = SplitHostPort(site.hostName);
    client.SetHostName(address.host);
    client.SetPort(address.port);
    if (site.anonymous) {
        client.SetUserName(QStringLiteral("anonymous"));
        client.SetPassWord(QString::fromLatin1(kAnonymousPassword));
    } else {
        client.SetUserName(site.loginName);
        client.SetPassWord(site.password);
    }
    client.SetHostDirName(site.remoteDirectory);
    static_assert(kEncryptionIfAvailable == ftpTlsIfAvailable && kEncryptionRequired == ftpTlsRequired &&
                  kEncryptionPlain == ftpTlsNone);
    const bool known = site.encryption >= 0 && site.encryption < kEncryptionCount;
    client.SetEncryption(TFtpEncryption(known ? site.encryption : kEncryptionIfAvailable));
    client.SetTrustedCertificate(NormalizedFingerprint(site.certSha256));
}

TrustQuestion CertificateQuestion(const TCertificateInfo& certificate, bool changed, const QString& host)
{
    QStringList pairs;
    for (int i = 0; i + 1 < certificate.sha256.size(); i += 2)
        pairs << certificate.sha256.mid(i, 2).toUpper();
    TrustQuestion question;
    QString text;
    if (changed) {
        question.caption = QStringLiteral("Certificate Changed");
        text = QStringLiteral("WARNING: the certificate of %1 is not the one you trusted before. Someone may be "
                              "listening in on the connection, or the server's owner has replaced the "
                              "certificate. Trust it only if you know which.")
                   .arg(host);
    } else {
        question.caption = QStringLiteral("Untrusted Certificate");
        text = QStringLiteral("The certificate of %1 could not be verified.").arg(host);
    }
    text += QStringLiteral("\r\rProblem: %1\rSubject: %2\rIssuer: %3\rValid from %4 until %5\r"
                           "SHA-256 fingerprint:\r%6\r\rDo you want to trust this certificate for this site?")
                .arg(certificate.problem, certificate.subject, certificate.issuer, certificate.notBefore,
                     certificate.notAfter, pairs.join(u':'));
    question.text = text;
    return question;
}

void ApplyAdvancedSettings(const AdvancedFtpSettings& settings, TFtpClient& client)
{
    client.SetTimeout(settings.timeout);
    client.SetPassive(settings.passive);
    client.SetMultiThreaded(settings.multiThread);
    const int mode = settings.shareMode >= 0 && settings.shareMode < kShareModeCount ? settings.shareMode : 1;
    client.SetShareMode(TFtpShareMode(mode));
}

void SetUploaderDefaults(TFtpClient& client)
{
    client.SetTimeout(240);
    client.SetMultiThreaded(true);
    client.SetPort(QStringLiteral("ftp"));
    client.SetDisplayFileFlag(false);
    client.SetBinary(true);
    client.SetShareMode(ftpShareExclusive);
    client.SetOptions(ftpAcceptLF);
}

bool IsAsciiTransfer(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QStringView extension = QStringView(name).mid(dot);
    for (const char* ascii : {".htm", ".html", ".shtml", ".txt", ".rtf"}) {
        if (extension == QLatin1StringView(ascii))
            return true;
    }
    return false;
}

} // namespace vesk
