// Which FTP site the uploader talks to, and how a site's fields become the client's settings.
#pragma once

#include "settings/FtpSites.h"

#include "net/TlsTransport.h"

#include <QString>

#include <optional>
#include <vector>

namespace vesk {

class TFtpClient;

// The host field of a site split into host and port. "example.org:2121"
// gives "example.org" and "2121"; "[::1]:2121" gives "::1" and "2121".
// Without a port, or when what follows the last ":" is not a number from 1
// to 65535 (a bare IPv6 address, a typo), the whole field stays the host
// and the port is the service name "ftp". Blanks around the field and
// around either part are dropped.
struct FtpHostPort {
    QString host;
    QString port;
    friend bool operator==(const FtpHostPort&, const FtpHostPort&) = default;
};
FtpHostPort SplitHostPort(const QString& field);

// The site a user names on the command line: a decimal number is an index
// into `sites` when it is in range; anything else (and a number out of
// range) is a site name, compared exactly first and then ignoring case.
// Nothing when no site matches.
std::optional<int> FindSite(const std::vector<FtpSite>& sites, const QString& choice);

// The password sent for anonymous sessions: the product's support address.
inline constexpr const char* kAnonymousPassword = "support@htmlvesk.example.org";

// Sets the client's host, port, user and password from a site: "anonymous"
// and kAnonymousPassword when the site is anonymous, otherwise its login
// and password. The remote directory is set as HostDirName; the site's
// encryption choice and trusted certificate fingerprint go to the client too.
void ApplySite(const FtpSite& site, TFtpClient& client);

// The question put to the user about a server certificate that does not
// verify: caption and text (the reason, subject, issuer, validity and the
// SHA-256 fingerprint in pairs of digits), ending "Do you want to trust
// this certificate for this site?". `changed` warns that it is not the
// certificate trusted before.
struct TrustQuestion {
    QString caption;
    QString text;
};
TrustQuestion CertificateQuestion(const TCertificateInfo& certificate, bool changed, const QString& host);

// Sets timeout, passive mode, the waiting pump and the share mode from the
// advanced settings (share mode by its index 0 … 4).
void ApplyAdvancedSettings(const AdvancedFtpSettings& settings, TFtpClient& client);

// A new client as the uploader keeps it: timeout 240, the waiting pump of
// the socket layer, port "ftp", received data to files, binary, exclusive
// sharing, reply lines ending at LF accepted.
void SetUploaderDefaults(TFtpClient& client);

// Whether a file travels in ASCII mode: its extension, compared with case,
// is ".htm", ".html", ".shtml", ".txt" or ".rtf". Everything else (".HTM"
// included: pages saved by DOS tools are sent untouched) goes in binary.
// Only the last component of `path` counts.
bool IsAsciiTransfer(const QString& path);

} // namespace vesk
