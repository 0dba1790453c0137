// One running instance per user and display: lock, listener, record reader and hand-over client.
#include "platform/SingleInstance.h"

#include "platform/CommandLine.h"
#include "platform/FileNames.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QThread>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vesk {
namespace {

constexpr char kMagic[4] = {'H', 'V', 'S', 'K'};
constexpr int kAttempts = 5;
constexpr int kPauseBetweenAttemptsMs = 300;
constexpr int kReplyWaitMs = 2000;
// Records kept while no handler is set; more are answered but forgotten, so
// a flood before the window exists cannot grow memory without bound.
constexpr size_t kMaxPendingRecords = 256;
constexpr qsizetype kMaxDisplayNameLength = 64;

void PutLittleEndian32(QByteArray& out, quint32 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

quint32 GetLittleEndian32(const char* bytes)
{
    quint32 value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | quint8(bytes[i]);
    return value;
}

// The uid of the process at the other end of a connected Unix socket, as the
// kernel recorded it (at connect() for a client, at listen() for a server).
// Unlike anything the peer writes, this cannot be forged.
std::optional<uid_t> PeerUid(qintptr descriptor)
{
    if (descriptor < 0)
        return std::nullopt;
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(int(descriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0
        || size != sizeof credentials)
        return std::nullopt;
    return credentials.uid;
}

// True when `path` names a socket owned by us. lstat, so a symlink planted in
// its place is rejected rather than followed to somebody else's socket.
bool IsOurSocket(const QByteArray& path)
{
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0 && S_ISSOCK(st.st_mode) && st.st_uid == ::geteuid();
}

// Waits `ms` while the event loop runs, so the caller's pending events (and
// any windows) stay alive between hand-over attempts.
void PauseWithEvents(int ms)
{
    if (QCoreApplication::instance()) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
    } else {
        QThread::msleep(ms);
    }
}

// Reads one record from one accepted connection, independently of every
// other connection: its own buffer, its own deadline. Lives as a child of the
// socket, so it goes away with it.
class RecordReader : public QObject {
public:
    using OnRecord = std::function<int(int identifier, const QString& text)>;

    RecordReader(QLocalSocket* socket, int deadlineMs, OnRecord onRecord)
        : QObject(socket), socket_(socket), onRecord_(std::move(onRecord))
    {
        deadline_.setSingleShot(true);
        connect(&deadline_, &QTimer::timeout, this, [this] { Drop(); });
        connect(socket, &QLocalSocket::readyRead, this, [this] { ReadSome(); });
        // A record that was complete before the peer left is still served;
        // anything less is a truncated record and is dropped.
        connect(socket, &QLocalSocket::disconnected, this, [this] {
            ReadSome();
            if (!done_)
                Drop();
        });
        deadline_.start(deadlineMs);
        ReadSome();
    }

private:
    void ReadSome()
    {
        if (done_ || !socket_)
            return;
        // Never buffer more than the largest valid record: whatever follows
        // cannot change the verdict.
        const qsizetype room = kRecordHeaderSize + kMaxRecordPayload - buffer_.size();
        if (room > 0)
            buffer_ += socket_->read(room);
        const DecodedRecord record = DecodeRecord(buffer_);
        if (record.status == RecordStatus::NeedMore)
            return;
        if (record.status == RecordStatus::Malformed) {
            Drop();
            return;
        }
        done_ = true;
        deadline_.stop();
        buffer_.clear();
        // The handler may run a nested event loop in which the peer goes away
        // and its socket, with this reader as its child, is deleted: keep the
        // callback on the stack and look before touching any member again.
        const QPointer<RecordReader> alive(this);
        const OnRecord onRecord = onRecord_;
        const int reply = onRecord(record.identifier, record.text);
        if (!alive || !socket_)
            return;
        QByteArray bytes;
        PutLittleEndian32(bytes, quint32(reply));
        socket_->write(bytes);
        socket_->flush();
        socket_->disconnectFromServer();
    }

    void Drop()
    {
        done_ = true;
        deadline_.stop();
        buffer_.clear();
        if (socket_) {
            socket_->abort();
            socket_->deleteLater();
        }
    }

    QPointer<QLocalSocket> socket_;
    OnRecord onRecord_;
    QByteArray buffer_;
    QTimer deadline_;
    bool done_ = false;
};

} // namespace

QByteArray EncodeRecord(int identifier, const QString& text)
{
    // A file name that is not UTF-8 travels as the bytes the file system holds.
    const QByteArray utf8 = FileNameToBytes(text);
    const qsizetype payload = utf8.size() + 1;
    if (payload > kMaxRecordPayload)
        return {};
    QByteArray out;
    out.reserve(kRecordHeaderSize + payload);
    out.append(kMagic, sizeof kMagic);
    PutLittleEndian32(out, quint32(identifier));
    PutLittleEndian32(out, quint32(payload));
    out.append(utf8);
    out.append('\0');
    return out;
}

DecodedRecord DecodeRecord(QByteArrayView bytes)
{
    DecodedRecord result;
    const qsizetype magicSeen = std::min<qsizetype>(bytes.size(), sizeof kMagic);
    // memcmp must not see the null data pointer of an empty view.
    if (magicSeen > 0 && std::memcmp(bytes.data(), kMagic, size_t(magicSeen)) != 0) {
        result.status = RecordStatus::Malformed;
        return result;
    }
    if (bytes.size() < kRecordHeaderSize)
        return result;
    const quint32 length = GetLittleEndian32(bytes.data() + 8);
    if (length == 0 || length > quint32(kMaxRecordPayload)) {
        result.status = RecordStatus::Malformed;
        return result;
    }
    if (bytes.size() < kRecordHeaderSize + qsizetype(length))
        return result;
    const char* payload = bytes.data() + kRecordHeaderSize;
    if (payload[length - 1] != '\0') {
        result.status = RecordStatus::Malformed;
        return result;
    }
    result.status = RecordStatus::Complete;
    result.identifier = int(GetLittleEndian32(bytes.data() + 4));
    // Read like a C string: the text ends at its first NUL.
    result.text = FileNameFromBytes(QByteArrayView(payload, qsizetype(qstrnlen(payload, length))));
    return result;
}

QString ChannelFolderFor(const QByteArray& runtimeDir, const QString& fallbackBase, uid_t uid)
{
    // $XDG_RUNTIME_DIR is normally a private tmpfs folder made by the login
    // manager, but the variable is only a hint: a symlink, a folder of
    // another user, or one others can write into would let them plant or
    // replace our lock and socket, so it must prove itself.
    if (runtimeDir.startsWith('/')) {
        struct stat st {};
        if (::lstat(runtimeDir.constData(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid
            && (st.st_mode & 077) == 0)
            return QDir::cleanPath(QFile::decodeName(runtimeDir));
    }

    // /tmp is shared: anyone may have created this name before us, as a
    // symlink or as a folder of theirs. mkdir never follows a symlink, and
    // O_NOFOLLOW|O_DIRECTORY makes us look at exactly the entry that is
    // there. In a sticky /tmp nobody but its owner can rename or remove the
    // entry afterwards, so what we verify here is what we later use.
    const QString fallback = QDir::cleanPath(fallbackBase) + QStringLiteral("/htmlvesk-") + QString::number(uid);
    const QByteArray native = QFile::encodeName(fallback);
    const bool created = ::mkdir(native.constData(), 0700) == 0;
    const int fd = ::open(native.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st {};
    bool trusted = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == uid;
    // Our own fresh folder may have lost owner bits to an unusual umask.
    if (trusted && created && (st.st_mode & 07777) != 0700)
        trusted = ::fchmod(fd, 0700) == 0 && ::fstat(fd, &st) == 0;
    trusted = trusted && (st.st_mode & 07777) == 0700;
    ::close(fd);
    return trusted ? fallback : QString();
}

QString ChannelFolder()
{
    return ChannelFolderFor(qgetenv("XDG_RUNTIME_DIR"), QStringLiteral("/tmp"), ::geteuid());
}

QString ChannelBaseName()
{
    QByteArray display = qgetenv("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qgetenv("DISPLAY");
    if (display.isEmpty())
        display = "nodisplay";
    // The display lands in a file name: keep it to a harmless alphabet (no
    // '/', no "..") and short enough for a socket path.
    display.truncate(kMaxDisplayNameLength);
    for (char& c : display) {
        const bool safe = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
                          || c == '_' || c == '.' || c == '-';
        if (!safe)
            c = '_';
    }
    return QStringLiteral("htmlvesk-%1-%2").arg(::geteuid()).arg(QString::fromLatin1(display));
}

SingleInstance::SingleInstance(QObject* parent) : SingleInstance(ChannelFolder(), parent) {}

SingleInstance::SingleInstance(const QString& channelFolder, QObject* parent)
    : QObject(parent), folder_(channelFolder), baseName_(ChannelBaseName())
{
}

SingleInstance::~SingleInstance()
{
    // Remove our socket while we still hold the lock; once the lock is gone
    // a new primary may already have put its own socket on that path.
    delete server_;
    server_ = nullptr;
    ReleaseLock();
}

QString SingleInstance::SocketPath() const
{
    return folder_.isEmpty() ? QString() : folder_ + '/' + baseName_ + QStringLiteral(".sock");
}

QString SingleInstance::LockPath() const
{
    return folder_.isEmpty() ? QString() : folder_ + '/' + baseName_ + QStringLiteral(".lock");
}

SingleInstance::Role SingleInstance::Acquire()
{
    if (role_ != Role::Undecided)
        return role_;
    role_ = Role::Unavailable;
    if (folder_.isEmpty())
        return role_;

    // O_NOFOLLOW and the ownership check keep us from locking (or creating)
    // a file through a link someone else controls.
    const QByteArray lockPath = QFile::encodeName(LockPath());
    const int fd = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
    if (fd < 0)
        return role_;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return role_;
    }
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            role_ = Role::Secondary;
        return role_;
    }
    // Kept open until we end: the kernel drops the lock with the descriptor,
    // even after a crash, so a dead primary never blocks the next start.
    lockFd_ = fd;
    if (!Listen()) {
        ReleaseLock();
        return role_;
    }
    role_ = Role::Primary;
    return role_;
}

void SingleInstance::ReleaseLock()
{
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

bool SingleInstance::Listen()
{
    const QString path = SocketPath();
    const QByteArray native = QFile::encodeName(path);
    if (native.size() >= qsizetype(sizeof(sockaddr_un::sun_path)))
        return false;
    // We hold the lock, so a socket of ours on the path belongs to a primary
    // that died: nobody listens on it and it is safe to remove. Anything else
    // there (another user's socket, a file, a link) is not ours to touch.
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode) || st.st_uid != ::geteuid() || ::unlink(native.constData()) != 0)
            return false;
    } else if (errno != ENOENT) {
        return false;
    }
    server_ = new QLocalServer(this);
    // Socket file mode 0700: only our user may connect. The peer check in
    // AcceptConnections backs this up should the mode ever be loosened.
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::AcceptConnections);
    if (!server_->listen(path)) {
        delete server_;
        server_ = nullptr;
        return false;
    }
    return true;
}

void SingleInstance::AcceptConnections()
{
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // Records make us open files: accept them only from our own user.
        if (PeerUid(socket->socketDescriptor()) != ::geteuid()) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        new RecordReader(socket, recordDeadlineMs_, [this](int identifier, const QString& text) {
            return Deliver(identifier, text);
        });
    }
}

int SingleInstance::Deliver(int identifier, const QString& text)
{
    if (!handler_) {
        if (pending_.size() < kMaxPendingRecords)
            pending_.push_back({identifier, text});
        return 1;
    }
    DeliverPending();
    // A copy: the handler may replace itself while it runs.
    const CopyDataHandler handler = handler_;
    return handler ? handler(this, identifier, text) : 1;
}

void SingleInstance::DeliverPending()
{
    while (handler_ && !pending_.empty()) {
        const PendingRecord record = std::move(pending_.front());
        pending_.pop_front();
        const CopyDataHandler handler = handler_;
        handler(this, record.identifier, record.text);
    }
}

void SingleInstance::SetCopyDataHandler(CopyDataHandler handler)
{
    handler_ = std::move(handler);
    // From the event loop rather than from here: the caller is typically
    // still building the window the handler works on.
    if (handler_ && !pending_.empty())
        QTimer::singleShot(0, this, [this] { DeliverPending(); });
}

bool SingleInstance::HandOver(const QString& text)
{
    return SendRecord(kOpenFileRecord, text);
}

bool SingleInstance::SendRecord(int identifier, const QString& text)
{
    const QByteArray record = EncodeRecord(identifier, text);
    if (record.isEmpty() || folder_.isEmpty())
        return false;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // The primary may hold the lock without listening yet, or be busy.
        if (attempt > 0)
            PauseWithEvents(kPauseBetweenAttemptsMs);
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        if (TryOnce(record))
            return true;
    }
    return false;
}

bool SingleInstance::TryOnce(const QByteArray& record)
{
    const QString path = SocketPath();
    if (!IsOurSocket(QFile::encodeName(path)))
        return false;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kReplyWaitMs))
        return false;
    // The path looked right, but what counts is who listens: the file name
    // tells us about the file, SO_PEERCRED about the process behind it.
    if (PeerUid(socket.socketDescriptor()) != ::geteuid()) {
        socket.abort();
        return false;
    }
    const QDeadlineTimer deadline(kReplyWaitMs);
    socket.write(record);
    while (socket.bytesToWrite() > 0) {
        if (deadline.hasExpired() || !socket.waitForBytesWritten(int(deadline.remainingTime())))
            return false;
    }
    QByteArray reply;
    while (reply.size() < 4) {
        if (socket.bytesAvailable() == 0
            && (deadline.hasExpired() || !socket.waitForReadyRead(int(deadline.remainingTime()))))
            return false;
        reply += socket.read(4 - reply.size());
    }
    return qint32(GetLittleEndian32(reply.constData())) == 1;
}

QString HandOverText(int argc, char** argv)
{
    if (argc < 2 || !argv)
        return {};
    const QStringList documents = SortProgramArguments(argc, argv).documents;
    if (documents.isEmpty() || documents.front().isEmpty())
        return {};
    return QFileInfo(documents.front()).absoluteFilePath();
}

std::optional<int> HandOverIfRunning(int argc, char** argv, SingleInstance& instance, bool* delivered)
{
    if (instance.Acquire() != SingleInstance::Role::Secondary)
        return std::nullopt;
    const bool ok = instance.HandOver(HandOverText(argc, argv));
    if (delivered)
        *delivered = ok;
    // A second start ends here whether or not anyone answered: it never
    // opens a window of its own, and an unanswered hand-over is no error.
    return 0;
}

} // namespace vesk
