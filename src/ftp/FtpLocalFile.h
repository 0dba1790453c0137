// The local file of one FTP transfer: opened with a share mode, read for
// sending, or written for receiving without ever harming the file it
// replaces until the transfer has succeeded.
//
// Share modes are advisory locks (flock) taken without waiting: exclusive
// and deny-read take an exclusive lock, deny-write a shared one (others may
// read, nobody may write), compatibility and deny-none take none. A file
// that another holder has locked against us cannot be opened.
//
// Receiving from the start goes into a temporary file in the target's
// folder; Commit renames it over the target (keeping the old file's
// permissions), and a file that is destroyed uncommitted removes it, so a
// failed or aborted download leaves the old file as it was and no empty
// file behind. Receiving from an offset (a resumed download) appends to the
// target itself, as resuming means keeping what is there.
#pragma once

#include "ftp/FtpTypes.h"

#include <QString>

#include <memory>

namespace vesk {

class TFtpLocalFile {
public:
    ~TFtpLocalFile();
    TFtpLocalFile(const TFtpLocalFile&) = delete;
    TFtpLocalFile& operator=(const TFtpLocalFile&) = delete;

    // Opens `path` for a download. resumeAt > 0: the existing file is opened
    // for writing at that offset; otherwise a temporary file is created
    // beside it. Only a regular file (or none, without resuming) is
    // accepted; a symbolic link is followed to its target. nullptr when it
    // cannot be opened or locked.
    static std::unique_ptr<TFtpLocalFile> OpenForReceive(const QString& path, qint64 resumeAt, TFtpShareMode mode);
    // Opens the regular file `path` for an upload, positioned at `resumeAt`
    // when that is above 0. nullptr when it cannot be opened or locked.
    static std::unique_ptr<TFtpLocalFile> OpenForSend(const QString& path, qint64 resumeAt, TFtpShareMode mode);

    // Up to `size` bytes: the count, 0 at the end, -1 on failure.
    long Read(char* buffer, long size);
    // Writes everything; false on failure.
    bool Write(const char* data, long length);
    // Ends a download with success: the temporary file replaces the target.
    // False (and the temporary file removed) when that fails. Nothing to do
    // for other files.
    bool Commit();

    // The size of the file at `path`, -1 when there is none.
    static qint64 SizeOf(const QString& path);

private:
    TFtpLocalFile() = default;
    void Discard();

    int fd_ = -1;
    int targetLockFd_ = -1;  // a download into a temporary file locks its target here
    QByteArray target_;      // file-system path of the file replaced on Commit
    QByteArray temp_;        // the temporary file, empty when writing in place
    bool committed_ = false;
};

} // namespace vesk
