// The validator's rules file: look-ups through the profile reader.
#include "validator/ValidationRules.h"

#include "platform/ProfileFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {

TValidationRules::TValidationRules(std::string path) : path_(std::move(path))
{
    const auto slash = path_.rfind('/');
    baseName_ = slash == std::string::npos ? path_ : path_.substr(slash + 1);
}

TValidationRules::~TValidationRules()
{
    StopWatch();
}

void TValidationRules::StartWatch()
{
    watchTried_ = true;
    // A link's target may live elsewhere: its changes would not show in
    // this folder, so such a file is looked at on every call instead.
    struct stat st{};
    if (::lstat(path_.c_str(), &st) == 0 && S_ISLNK(st.st_mode))
        return;
    const auto slash = path_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path_.substr(0, slash));
    watchFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (watchFd_ < 0)
        return;
    const uint32_t mask = IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_MOVED_FROM | IN_MOVED_TO | IN_CREATE
                        | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF;
    if (::inotify_add_watch(watchFd_, folder.c_str(), mask) < 0)
        StopWatch();
}

void TValidationRules::StopWatch()
{
    if (watchFd_ >= 0)
        ::close(watchFd_);
    watchFd_ = -1;
}

bool TValidationRules::FileEventsPending()
{
    bool pending = false;
    alignas(inotify_event) char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(watchFd_, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0 && errno != EAGAIN) {
                StopWatch();
                return true;
            }
            return pending;
        }
        for (ssize_t at = 0; at < n;) {
            const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
            if (e->mask & (IN_IGNORED | IN_Q_OVERFLOW | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
                // The folder itself went away or notices were lost: from
                // now on look at the file on every call.
                StopWatch();
                return true;
            }
            if (e->len > 0 && std::strcmp(e->name, baseName_.c_str()) == 0)
                pending = true;
            at += ssize_t(sizeof(inotify_event) + e->len);
        }
    }
}

bool TValidationRules::Refresh()
{
    if (!watchTried_)
        StartWatch();
    if (watchFd_ >= 0 && !FileEventsPending() && watchFd_ >= 0 && known_)
        return false;

    const FileStamp now = StampOfPath(path_);
    const bool settled = StampIsSettled(now);
    // With a watch every later change is announced, so the state just seen
    // is trusted whatever its times; without one only a settled stamp is.
    const bool trusted = settled || watchFd_ >= 0;
    if (known_ && trusted && now == stamp_)
        return false;
    stamp_ = now;
    known_ = trusted;
    ++generation_;
    return true;
}

std::string TValidationRules::Value(std::string_view section, std::string_view key) const
{
    return GetPrivateProfileString(section, key, "", path_);
}

std::string TValidationRules::List(std::string_view section) const
{
    std::string joined;
    for (int n = 0;; ++n) {
        const std::string piece = Value(section, std::to_string(n));
        if (piece.empty())
            break;
        joined += piece;
    }
    return joined;
}

std::string TValidationRules::ListFirstKey(std::string_view section) const
{
    return Value(section, "0");
}

std::string TValidationRules::Referenced(std::string_view element, std::string_view key) const
{
    std::string v = Value(element, key);
    if (v.find('%') != std::string::npos)
        v = Value(v, key);
    return v;
}

std::vector<std::string> TValidationRules::Numbered(std::string_view element, std::string_view prefix) const
{
    std::vector<std::string> out;
    std::string key(prefix);
    for (int n = 1;; ++n) {
        key.resize(prefix.size());
        key += std::to_string(n);
        std::string v = Referenced(element, key);
        if (v.empty())
            break;
        out.push_back(std::move(v));
    }
    return out;
}

std::string TValidationRules::AttrType(std::string_view element, std::string_view attribute) const
{
    const std::string attr = Value(element, "attr");
    if (attr.find('%') != std::string::npos)
        return Value(attr, attribute);
    return Value(element, attribute);
}

} // namespace vesk
