// The uploader's conversation with one FTP site, without widgets: connect, list, send, fetch, manage.
//
// The uploader window is a thin face over this: it asks the questions
// (through AskOverwrite) and shows the texts (OnStatus, OnFtpError,
// OnProgress). Every operation runs the client's synchronous calls, so it
// returns when the server has answered.
//
// A request that fails ends the session: OnFtpError gets the server's
// reply + "\r\r" + "You will need to Reconnect.", the session is aborted
// and the operation stops there, so nothing after the failure is reported
// as done. Operations need a session (they return false without one).
#pragma once

#include "ftp/FtpClient.h"
#include "settings/FtpSites.h"
#include "upload/RemoteListing.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

namespace vesk {

class TUploadSession {
public:
    TUploadSession();

    TFtpClient& Client() { return client_; }
    bool Connected() const { return client_.Connected(); }
    // The entries of the last listing, sorted; empty after a failed one.
    const std::vector<TRemoteEntry>& RemoteEntries() const { return entries_; }

    // Ends any session, then logs in to `site` with `advanced` and changes
    // to its remote directory. A site without a host returns false with
    // "HostName must be specified" in *error and sends nothing.
    bool Connect(const FtpSite& site, const AdvancedFtpSettings& advanced, QString* error = nullptr);
    // Closes both connections at once (no QUIT).
    void Abort();

    // Lists the remote directory into memory (never into a file the user
    // owns). A failed listing leaves the list empty.
    bool RefreshRemote();
    // Sends each file under its own name with the transfer type rule.
    // Returns the paths that were sent, in order; OnStatus reports
    // name + " Uploaded" only for those.
    QStringList UploadFiles(const QStringList& paths);
    // Fetches `entry` into `folder` under its LocalName(). A name that could
    // reach outside the folder is refused: false, with the escaped name in
    // *error, and nothing is asked or sent. An existing file is overwritten
    // or continued by the answer of AskOverwrite (true: overwrite).
    bool Download(const TRemoteEntry& entry, const QString& folder, QString* error = nullptr);
    bool ChangeDir(const QString& name);
    bool ParentDir();
    bool MakeDir(const QString& name);
    bool Rename(const QString& from, const QString& to);
    // Directories with RMD, everything else with DELE.
    bool Delete(const TRemoteEntry& entry);

    std::function<void(const QString& text)> OnStatus;
    std::function<void(const QString& message)> OnFtpError;
    // Bytes so far and the size (0 when unknown) of the running transfer.
    std::function<void(qint64 position, qint64 maximum)> OnProgress;
    // true: overwrite the existing local file; false: continue it.
    std::function<bool(const QString& name)> AskOverwrite;
    // Connect met a server certificate that does not verify (and is not the
    // trusted one; `changed`: another one was trusted). true trusts it: the
    // handler keeps its fingerprint for the site, and Connect tries again
    // once. Unassigned or false: the connection fails without an FTP Error.
    std::function<bool(const TCertificateInfo& certificate, bool changed)> AskTrust;

private:
    bool Check(bool ok);
    // The client's Connect, with the user's say on a certificate that does not verify.
    bool ConnectTrusting(const QString& siteLabel);
    void Status(const QString& text);

    TFtpClient client_;
    QString refusal_;  // why the client refused the last call
    std::vector<TRemoteEntry> entries_;
    qint64 maximum_ = 0;
};

// The name proposed for a new folder: "NewDir", or "NewDir" + 2, + 3, …
// the first that no caption starts with, ignoring case.
QString NewDirProposal(const QStringList& captions);

// Whether another entry than the one at `except` bears exactly `name`.
bool NameTaken(const QStringList& captions, const QString& name, int except);

} // namespace vesk
