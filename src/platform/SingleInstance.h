// One running instance per user and display: the lock, the listening socket and the hand-over record.
//
// Who is primary: the process that holds an exclusive, non-blocking flock()
// on "htmlvesk-<uid>-<display>.lock" in the channel folder. The lock is kept
// on an O_CLOEXEC descriptor for the life of the SingleInstance, so the
// kernel releases it when the holder ends for any reason (a crash included)
// and two simultaneous starts always give exactly one primary.
//
// The primary listens on "htmlvesk-<uid>-<display>.sock" in the same folder.
// <display> is $WAYLAND_DISPLAY, else $DISPLAY, else "nodisplay", with every
// character outside [A-Za-z0-9_.-] replaced by '_' and cut to 64 characters.
//
// Wire format: a secondary connects, writes exactly one record and reads one
// reply; all integers are little-endian.
//   record:  "HVSK" (4 bytes) | identifier (int32) | N (uint32) | N bytes
//            The N bytes are the text as UTF-8 (a file name that is not
//            UTF-8 keeps its own bytes, FileNames.h) followed by one NUL byte,
//            1 <= N <= 64 KiB. The text ends at the first NUL; bytes after
//            the record are ignored.
//   reply:   int32, the handler's return value (1 when no handler is set).
// A record that has a bad magic, an N of 0 or above 64 KiB, no NUL as its
// last byte, or that is not complete within the record deadline (5 seconds)
// of connecting, or whose
// connection closes early, is dropped: the connection is closed, no handler
// runs, no reply is written.
//
// Trust: the channel folder must be a real directory (not a symlink) owned by
// our effective uid and closed to group and others; sockets and peers must
// belong to our uid too. Anything else is treated as absent, never used.
// Without a trustworthy folder the role is Unavailable and the program runs
// as a lone primary that does not listen: a second window is a small price,
// handing file names to (or taking them from) a place someone else controls
// is not.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>

#include <deque>
#include <functional>
#include <optional>
#include <sys/types.h>

class QLocalServer;
class QLocalSocket;

namespace vesk {

// Identifier of the record that asks the running instance to open a file.
inline constexpr int kOpenFileRecord = 27;
// Largest accepted N (text bytes plus the terminating NUL).
inline constexpr qsizetype kMaxRecordPayload = 64 * 1024;
// Size of the fixed record header: magic, identifier, length.
inline constexpr qsizetype kRecordHeaderSize = 12;
// A connection that has not delivered a whole record by then is dropped, so
// a stalled or malicious client cannot pin a reader (and its buffer) forever.
inline constexpr int kRecordDeadlineMs = 5000;

enum class RecordStatus { Complete, NeedMore, Malformed };

struct DecodedRecord {
    RecordStatus status = RecordStatus::NeedMore;
    int identifier = 0;  // valid when Complete
    QString text;        // valid when Complete
};

// Encodes one record. Returns an empty array when the text is too long
// (its UTF-8 bytes plus the NUL exceed kMaxRecordPayload).
QByteArray EncodeRecord(int identifier, const QString& text);

// Decodes the record at the start of `bytes`. NeedMore when `bytes` is a
// valid prefix of a record (a wrong magic or length is reported as Malformed
// as soon as the bytes that show it are present).
DecodedRecord DecodeRecord(QByteArrayView bytes);

// The per-user folder for the lock and the socket, without a trailing '/'.
// Empty when no trustworthy folder exists; see ChannelFolderFor.
QString ChannelFolder();

// The rule behind ChannelFolder(), with its inputs spelled out (tests):
// `runtimeDir` ($XDG_RUNTIME_DIR) when it is non-empty, absolute, a real
// directory owned by `uid` and closed to group and others; otherwise
// <fallbackBase>/htmlvesk-<uid>, created with mode 0700 when missing and then
// required to be a real directory owned by `uid` with mode exactly 0700.
// Empty when the fallback fails that check: we never work inside a folder
// someone else controls.
QString ChannelFolderFor(const QByteArray& runtimeDir, const QString& fallbackBase, uid_t uid);

// "htmlvesk-<uid>-<display>" for the current user and environment.
QString ChannelBaseName();

class SingleInstance : public QObject {
    Q_OBJECT
public:
    enum class Role {
        Undecided,   // Acquire() not called yet
        Primary,     // we hold the lock and listen for records
        Secondary,   // another process holds the lock: call HandOver
        Unavailable  // no trustworthy channel: run alone, do not listen
    };

    // Receives every valid record on the thread that owns this object; the
    // returned value is the reply sent to the secondary.
    using CopyDataHandler = std::function<int(SingleInstance* sender, int identifier, const QString& text)>;

    // Uses ChannelFolder().
    explicit SingleInstance(QObject* parent = nullptr);
    // Uses the given folder as is (already checked by the caller, or empty
    // for "no channel").
    explicit SingleInstance(const QString& channelFolder, QObject* parent = nullptr);
    // Stops listening (removing the socket file) before releasing the lock,
    // so the next primary's socket is never removed by us.
    ~SingleInstance() override;

    // Decides the role once; later calls return the same role. A primary
    // removes a stale socket of ours and listens before returning. When it
    // holds the lock but cannot listen (e.g. a foreign file sits on the
    // socket path) it releases the lock and reports Unavailable, so later
    // starts run on their own too instead of handing files to a deaf primary.
    Role Acquire();
    Role role() const { return role_; }

    // Secondary: sends `text` with identifier 27 (text passed as is; see
    // HandOverText). Up to 5 attempts, 300 ms apart with events processed
    // in between, each waiting at most 2 s for the reply. True at the first
    // reply 1; false when no attempt got one or the text is too long.
    bool HandOver(const QString& text);
    // Same with any identifier (tests, future record kinds).
    bool SendRecord(int identifier, const QString& text);

    // Sets the handler. Records that arrived while none was set (they were
    // answered 1 at once; the first 256 are kept, later ones forgotten) are
    // handed to it from the event loop, in order, before any later record.
    void SetCopyDataHandler(CopyDataHandler handler);

    // The record deadline for connections accepted from now on (tests
    // shorten it; the program keeps kRecordDeadlineMs).
    void SetRecordDeadlineMs(int ms) { recordDeadlineMs_ = ms; }

    // Channel folder given at construction (may be empty).
    QString Folder() const { return folder_; }
    // Full paths in the folder (names from ChannelBaseName() as it was at
    // construction); empty when the folder is empty.
    QString SocketPath() const;
    QString LockPath() const;

private:
    struct PendingRecord {
        int identifier;
        QString text;
    };

    bool TakeLock();
    void ReleaseLock();
    bool Listen();
    void AcceptConnections();
    int Deliver(int identifier, const QString& text);
    void DeliverPending();
    bool TryOnce(const QByteArray& record);

    QString folder_;
    QString baseName_;  // fixed at construction, so the paths never move
    Role role_ = Role::Undecided;
    int lockFd_ = -1;
    QLocalServer* server_ = nullptr;
    CopyDataHandler handler_;
    std::deque<PendingRecord> pending_;
    int recordDeadlineMs_ = kRecordDeadlineMs;
};

// The text a secondary hands over: the first document of the command line
// (SortProgramArguments) made absolute against the current folder, or ""
// when there is none. Later documents are ignored.
QString HandOverText(int argc, char** argv);

// Start-up check for a main(): calls Acquire() when still undecided; for a
// secondary hands HandOverText over and returns the exit code (0, whether or
// not it was delivered; `delivered`, when given, tells which). Returns
// nullopt for a primary or an unavailable channel: the caller goes on to
// create its window.
std::optional<int> HandOverIfRunning(int argc, char** argv, SingleInstance& instance,
                                     bool* delivered = nullptr);

} // namespace vesk
