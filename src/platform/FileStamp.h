// FileStamp: what identifies one state of a file on disk, for caches that
// must notice when another program changes the file.
//
// A change by another program alters the inode (editors that save by
// renaming), the size or the times. File times are coarse (a few
// milliseconds on most file systems, two seconds on some), so two writes
// close together can leave the same stamp: a stamp is only "settled" — safe
// to trust on its own — once the clock has moved kStampSettleSeconds past
// the file's times.
#pragma once

#include <string>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace vesk {

inline constexpr time_t kStampSettleSeconds = 2;

struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size
            && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec
            && ctime.tv_sec == o.ctime.tv_sec && ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

// The stamp of a file that stat() described.
FileStamp StampOf(const struct stat& st);
// The stamp of `path` now; `exists` false when it cannot be stat()ed.
FileStamp StampOfPath(const std::string& path);
// True for a missing file, or once the clock is past its times by the settle margin.
bool StampIsSettled(const FileStamp& s);

} // namespace vesk
