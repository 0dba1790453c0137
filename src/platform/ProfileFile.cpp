// Profile files: the cache of parsed files, the read rules, and atomic rewriting.
#include "platform/ProfileFile.h"

#include "platform/FileStamp.h"

#include "platform/ProfileModel.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <unordered_map>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vesk {
namespace {

using profile::Model;

struct CacheEntry {
    FileStamp stamp;
    std::shared_ptr<const Model> model;
    bool settled = false;
    int batchDepth = 0;
    bool dirty = false;  // a batch holds changes not yet written
    // A batch over a file that cannot be read: what MayReplace said when it began.
    int unreadablePermission = 0;
};

std::mutex g_mutex;
std::unordered_map<std::string, CacheEntry> g_cache;
// Files that exist but cannot be read: whether the user let us replace
// each one (absent: not asked, so not allowed).
std::unordered_map<std::string, bool> g_replaceAllowed;
UnreadableProfileQuestion g_askReplace;
std::atomic<std::size_t> g_parseCount{0};

std::shared_ptr<const Model> Parse(const std::string& raw)
{
    ++g_parseCount;
    return std::make_shared<const Model>(raw);
}

// Reads the whole file with the stamp of what was read. Returns false when
// the file cannot be read (a missing file gives true with exists == false).
bool ReadFile(const std::string& path, FileStamp& stamp, std::string& bytes)
{
    for (int attempt = 0; attempt < 4; ++attempt) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            stamp = FileStamp{};
            bytes.clear();
            return errno == ENOENT || errno == ENOTDIR;
        }
        struct stat before{};
        if (::fstat(fd, &before) != 0 || !S_ISREG(before.st_mode)) {
            ::close(fd);
            stamp = FileStamp{};
            bytes.clear();
            return false;
        }
        bytes.resize(static_cast<std::size_t>(before.st_size));
        std::size_t got = 0;
        bool ok = true;
        for (;;) {
            if (got == bytes.size())
                bytes.resize(bytes.size() + 4096);  // the file grew while reading
            const ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ok = false;
                break;
            }
            if (n == 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        bytes.resize(got);
        struct stat after{};
        const bool statOk = ::fstat(fd, &after) == 0;
        ::close(fd);
        if (!ok)
            return false;
        if (statOk && StampOf(before) == StampOf(after)) {
            stamp = StampOf(after);
            return true;
        }
        // Written while we read it: try again for a consistent copy.
    }
    return false;
}

// False for UTF-16 or UTF-32 (a byte-order mark of theirs) and binary data
// (NUL in a tenth of the bytes or more): reading such a file as lines would
// find nothing, and writing lines into it would ruin what it holds. A stray
// NUL in a text file is only a malformed line.
bool LooksLikeText(const std::string& raw)
{
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF") ||
        raw.starts_with(std::string_view("\0\0\xFE\xFF", 4)))
        return false;
    const auto nuls = std::count(raw.begin(), raw.end(), '\0');
    return std::size_t(nuls) * 10 < raw.size() || nuls == 0;
}

// The current parsed state of a file; `unreadable` (when given) tells
// whether a file exists there that cannot be read as text. Caller holds
// g_mutex.
std::shared_ptr<const Model> Current(const std::string& path, bool* unreadable = nullptr)
{
    if (unreadable)
        *unreadable = false;
    auto it = g_cache.find(path);
    if (it != g_cache.end() && it->second.batchDepth > 0)
        return it->second.model;  // a batch's pending changes are the truth

    FileStamp now;
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0)
        now = StampOf(st);

    if (it != g_cache.end() && it->second.stamp == now && it->second.settled)
        return it->second.model;

    FileStamp stamp;
    std::string raw;
    if (!ReadFile(path, stamp, raw) || !LooksLikeText(raw)) {
        // Unreadable (no permission, a folder, not text, …): reads give
        // defaults, and writes need the user's leave (MayReplace).
        if (unreadable)
            *unreadable = true;
        g_cache.erase(path);
        static const auto empty = std::make_shared<const Model>();
        return empty;
    }
    if (it == g_cache.end())
        it = g_cache.emplace(path, CacheEntry{}).first;
    CacheEntry& e = it->second;
    if (!e.model || raw != e.model->Bytes())
        e.model = Parse(raw);  // a mere touch keeps the parsed copy
    e.stamp = stamp;
    e.settled = StampIsSettled(stamp);
    return e.model;
}

// Resolves a symbolic link so that replacing the file keeps the link.
std::string WriteTarget(const std::string& path)
{
    struct stat st{};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char resolved[PATH_MAX];
        if (::realpath(path.c_str(), resolved))
            return resolved;
    }
    return path;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Writes bytes to path through a temporary file in the same folder that is
// flushed and renamed over the old file, so a crash leaves either the old or
// the new file, never half of one. Returns the stamp of the new file.
FileStamp AtomicWrite(const std::string& path, const std::string& bytes)
{
    const std::string target = WriteTarget(path);
    static std::atomic<unsigned> counter{0};
    const std::string temp = target + ".tmp-" + std::to_string(::getpid()) + "-"
        + std::to_string(counter.fetch_add(1));

    struct stat old{};
    const bool hadOld = ::stat(target.c_str(), &old) == 0;
    // 0666 lets the process umask decide a new file's permissions.
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        throw EIniFileException(path);
    auto fail = [&]() {
        ::close(fd);
        ::unlink(temp.c_str());
        throw EIniFileException(path);
    };
    if (hadOld) {
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            fail();
        (void)::fchown(fd, old.st_uid, old.st_gid);  // only root can; harmless otherwise
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            fail();
        }
        done += static_cast<std::size_t>(n);
    }
    if (::fdatasync(fd) != 0)
        fail();
    struct stat st{};
    if (::fstat(fd, &st) != 0)
        fail();
    if (::close(fd) != 0) {
        ::unlink(temp.c_str());
        throw EIniFileException(path);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        ::unlink(temp.c_str());
        throw EIniFileException(path);
    }
    // Make the rename itself durable.
    const int dir = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    struct stat after{};
    if (::stat(path.c_str(), &after) == 0)
        return StampOf(after);
    return StampOf(st);
}

// Whether a write may go to `path`: always to a readable or missing file;
// to a file that exists but cannot be read, only with the user's leave.
// Inside a batch the batch's own model stands for the file, and the batch
// decided when it began. Caller holds g_mutex.
enum Permission { kMayWrite = 0, kNotAsked, kDeclined };
bool InBatch(const std::string& path)
{
    const auto it = g_cache.find(path);
    return it != g_cache.end() && it->second.batchDepth > 0;
}
Permission MayReplace(const std::string& path, bool unreadable)
{
    if (InBatch(path))
        return kMayWrite;
    if (!unreadable) {
        g_replaceAllowed.erase(path);  // readable again: ask afresh next time
        return kMayWrite;
    }
    const auto it = g_replaceAllowed.find(path);
    if (it == g_replaceAllowed.end())
        return kNotAsked;
    return it->second ? kMayWrite : kDeclined;
}

// Applies a permission to a write: nothing to do, drop the write (the user
// chose to keep the file), or fail as any refused write does.
bool Refused(const std::string& path, int permission)
{
    if (permission == kNotAsked)
        throw EIniFileException(path);
    return permission == kDeclined;
}

// Asks the question (once while the file stays unreadable) before a write
// or a batch. Called without g_mutex: the question may run an event loop
// that reads settings.
void AskBeforeReplacing(const std::string& path)
{
    UnreadableProfileQuestion ask;
    {
        std::lock_guard lock(g_mutex);
        bool unreadable = false;
        Current(path, &unreadable);
        if (MayReplace(path, unreadable) == kNotAsked && g_askReplace) {
            ask = g_askReplace;
            // Writes made while the question is open (it runs events) keep
            // the file too, and do not ask again.
            g_replaceAllowed[path] = false;
        }
    }
    if (!ask)
        return;
    const bool allowed = ask(path);
    std::lock_guard lock(g_mutex);
    g_replaceAllowed[path] = allowed;
}

// Applies an edit to a file's model and writes it (or keeps it pending in a
// batch). A file that cannot be read is replaced only with leave: the edit
// is dropped when the user declined, and fails when nobody was asked.
// Caller holds g_mutex.
template <typename Edit>
void ApplyEdit(const std::string& path, Edit edit)
{
    bool unreadable = false;
    const std::shared_ptr<const Model> current = Current(path, &unreadable);
    if (Refused(path, MayReplace(path, unreadable)))
        return;
    auto next = std::make_shared<Model>(*current);
    if (!edit(*next))
        return;  // nothing changed, nothing to write
    CacheEntry& e = g_cache[path];
    const std::string& bytes = next->Bytes();
    if (e.batchDepth > 0) {
        e.model = std::move(next);
        e.dirty = true;
        return;
    }
    FileStamp stamp;
    try {
        stamp = AtomicWrite(path, bytes);
    } catch (...) {
        g_cache.erase(path);
        throw;
    }
    e.model = std::move(next);
    e.stamp = stamp;
    e.settled = false;  // another write may follow within the same clock tick
}

// Writes a batch's pending changes. Caller holds g_mutex.
void FlushBatch(const std::string& path)
{
    auto it = g_cache.find(path);
    if (it == g_cache.end() || !it->second.dirty)
        return;
    CacheEntry& e = it->second;
    if (e.unreadablePermission != kMayWrite) {
        const int permission = e.unreadablePermission;
        g_cache.erase(it);  // the file stays as it is
        Refused(path, permission);
        return;
    }
    try {
        e.stamp = AtomicWrite(path, e.model->Bytes());
    } catch (...) {
        g_cache.erase(it);  // drop what could not be written; disk is the truth
        throw;
    }
    e.dirty = false;
    e.settled = false;
}

// Characters a value may not hold: they would end its line.
std::string Sanitize(std::string_view s)
{
    std::string out(profile::TrimBlanks(s));
    for (char& c : out) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    return out;
}

// The read rules applied to a stored value or a default.
std::string Finish(std::string_view value)
{
    value = profile::TrimBlanks(value);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    // Cut to kProfileValueMax characters, never inside a UTF-8 sequence.
    std::size_t chars = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if ((static_cast<unsigned char>(value[i]) & 0xC0) != 0x80) {
            if (chars == kProfileValueMax)
                return std::string(value.substr(0, i));
            ++chars;
        }
    }
    return std::string(value);
}

} // namespace

bool ParseProfileInt(std::string_view s, int& out)
{
    s = profile::TrimBlanks(s);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    long long value = 0;
    bool any = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            break;
        any = true;
        if (value < (1LL << 40))
            value = value * base + digit;
    }
    if (!any)
        return false;
    if (negative)
        value = -value;
    out = static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
    return true;
}


std::string GetPrivateProfileString(std::string_view section, std::string_view key,
                                    std::string_view defaultValue, const std::string& path)
{
    std::shared_ptr<const Model> model;
    {
        std::lock_guard lock(g_mutex);
        model = Current(path);
    }
    if (const profile::Section* s = model->FindSection(section)) {
        if (const profile::Entry* e = model->FindEntry(*s, key))
            return Finish(model->Value(*e));
    }
    return Finish(defaultValue);
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path)
{
    const std::string text = GetPrivateProfileString(section, key, "", path);
    int value = defaultValue;
    return ParseProfileInt(text, value) ? value : defaultValue;
}

void WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& path)
{
    const std::string sectionName = Sanitize(section);
    AskBeforeReplacing(path);
    std::lock_guard lock(g_mutex);
    if (!key) {
        ApplyEdit(path, [&](Model& m) { return m.DeleteSection(sectionName); });
        return;
    }
    const std::string keyName = Sanitize(*key);
    if (keyName.empty())
        return;  // "=value" could never be read back
    if (!value) {
        ApplyEdit(path, [&](Model& m) { return m.DeleteKey(sectionName, keyName); });
        return;
    }
    const std::string text = Sanitize(*value);
    ApplyEdit(path, [&](Model& m) { return m.SetValue(sectionName, keyName, text); });
}

std::vector<std::string> GetPrivateProfileKeys(std::string_view section, const std::string& path)
{
    std::shared_ptr<const Model> model;
    {
        std::lock_guard lock(g_mutex);
        model = Current(path);
    }
    std::vector<std::string> keys;
    if (const profile::Section* s = model->FindSection(section)) {
        for (const profile::Entry& e : model->EntriesOf(*s)) {
            if (model->FindEntry(*s, model->Key(e)) == &e)
                keys.emplace_back(model->Key(e));
        }
    }
    return keys;
}

std::vector<std::string> GetPrivateProfileSectionNames(const std::string& path)
{
    std::shared_ptr<const Model> model;
    {
        std::lock_guard lock(g_mutex);
        model = Current(path);
    }
    std::vector<std::string> names;
    for (const profile::Section& s : model->Sections()) {
        if (model->FindSection(model->Name(s)) == &s)
            names.emplace_back(model->Name(s));
    }
    return names;
}

bool ProfileSectionExists(std::string_view section, const std::string& path)
{
    std::lock_guard lock(g_mutex);
    return Current(path)->FindSection(section) != nullptr;
}

void EnsureProfileSection(std::string_view section, const std::string& path)
{
    const std::string name = Sanitize(section);
    AskBeforeReplacing(path);
    std::lock_guard lock(g_mutex);
    ApplyEdit(path, [&](Model& m) { return m.AddSection(name); });
}

ProfileWriteBatch::ProfileWriteBatch(std::string path) : path_(std::move(path))
{
    AskBeforeReplacing(path_);
    std::lock_guard lock(g_mutex);
    bool unreadable = false;
    Current(path_, &unreadable);  // the batch starts from what is on disk now
    CacheEntry& e = g_cache[path_];
    if (!e.model)
        e.model = std::make_shared<const Model>();
    if (e.batchDepth == 0)
        e.unreadablePermission = MayReplace(path_, unreadable);
    ++e.batchDepth;
}

ProfileWriteBatch::~ProfileWriteBatch() noexcept
{
    if (done_)
        return;
    try {
        Commit();
    } catch (...) {
        // Destructors must not throw; the cache already fell back to the disk.
    }
}

void ProfileWriteBatch::Commit()
{
    if (done_)
        return;
    done_ = true;
    std::lock_guard lock(g_mutex);
    auto it = g_cache.find(path_);
    if (it == g_cache.end())
        return;
    if (--it->second.batchDepth > 0)
        return;  // an outer batch writes
    FlushBatch(path_);
}

void SetUnreadableProfileQuestion(UnreadableProfileQuestion ask)
{
    std::lock_guard lock(g_mutex);
    g_askReplace = std::move(ask);
    g_replaceAllowed.clear();
}

void ClearProfileCache()
{
    std::lock_guard lock(g_mutex);
    for (auto it = g_cache.begin(); it != g_cache.end();) {
        if (it->second.batchDepth > 0)
            ++it;  // a live batch keeps its pending changes
        else
            it = g_cache.erase(it);
    }
}

std::size_t ProfileParseCount()
{
    return g_parseCount.load();
}

} // namespace vesk
