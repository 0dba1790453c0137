// File stamps.
#include "platform/FileStamp.h"

#include <algorithm>

namespace vesk {

FileStamp StampOf(const struct stat& st)
{
    FileStamp s;
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
    s.ctime = st.st_ctim;
    return s;
}

FileStamp StampOfPath(const std::string& path)
{
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 ? StampOf(st) : FileStamp{};
}

bool StampIsSettled(const FileStamp& s)
{
    if (!s.exists)
        return true;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    const time_t newest = std::max(s.mtime.tv_sec, s.ctime.tv_sec);
    return now.tv_sec > newest + kStampSettleSeconds;
}

} // namespace vesk
