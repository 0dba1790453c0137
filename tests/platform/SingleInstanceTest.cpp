// Single instance: record format, channel trust, and real primary/secondary processes talking.
#include "platform/SingleInstance.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>
#include <vector>

using namespace vesk;
using vesk::test::ScopedEnv;

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kWaitMs = 15000;

QByteArray Header(const char* magic, quint32 identifier, quint32 length)
{
    QByteArray out(magic, 4);
    for (quint32 v : {identifier, length})
        for (int shift = 0; shift < 32; shift += 8)
            out.append(char((v >> shift) & 0xFF));
    return out;
}

QByteArray Reply(qint32 value)
{
    return Header("HVSK", quint32(value), 0).mid(4, 4);
}

mode_t ModeOf(const QString& path)
{
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode : 0;
}

// The display the children of these tests see, for this process too.
struct TestDisplay {
    ScopedEnv display{"DISPLAY", ":77"};
    ScopedEnv wayland{"WAYLAND_DISPLAY", QByteArray()};
};

// A private channel folder (mode 0700) for one test, and the names a child
// started with DISPLAY=":77" uses in it.
struct Channel {
    test::TempDir dir;
    Channel() { ::chmod(QFile::encodeName(dir.path()).constData(), 0700); }
    QString Base() const { return dir.path() + QStringLiteral("/htmlvesk-%1-_77").arg(::geteuid()); }
    QString Socket() const { return Base() + ".sock"; }
    QString Lock() const { return Base() + ".lock"; }
};

// One probe process, killed by its pid when the test ends.
class Probe {
public:
    Probe(const Channel& channel, const QStringList& args, const QString& workDir = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", channel.dir.path());
        env.insert("DISPLAY", ":77");
        env.remove("WAYLAND_DISPLAY");
        process_.setProcessEnvironment(env);
        if (!workDir.isEmpty())
            process_.setWorkingDirectory(workDir);
        process_.start(QStringLiteral(VESK_PROBE_PATH), args);
    }
    ~Probe()
    {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished(kWaitMs);
        }
    }
    QByteArray Output()
    {
        output_ += process_.readAllStandardOutput();
        return output_;
    }
    // Waits (running the event loop) until a whole line equal to `line` was printed.
    bool WaitForLine(const QByteArray& line)
    {
        return QTest::qWaitFor([&] { return Lines().contains(line); }, kWaitMs);
    }
    QByteArrayList Lines()
    {
        QByteArrayList lines = Output().split('\n');
        lines.removeAll(QByteArray());
        return lines;
    }
    QByteArrayList Records()
    {
        QByteArrayList records;
        for (const QByteArray& line : Lines())
            if (line.startsWith("record "))
                records << line;
        return records;
    }
    bool WaitForExit()
    {
        return QTest::qWaitFor([&] { return process_.state() == QProcess::NotRunning; }, kWaitMs);
    }
    int ExitCode() const { return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1; }
    QProcess& Process() { return process_; }

private:
    QProcess process_;
    QByteArray output_;
};

} // namespace

// ---- record format -------------------------------------------------------

TEST(SingleInstanceRecord, EncodesTheDocumentedBytes)
{
    EXPECT_EQ(EncodeRecord(27, "ab"), QByteArray("HVSK\x1B\0\0\0\x03\0\0\0ab\0", 15));
    EXPECT_EQ(EncodeRecord(-1, "").mid(4, 4), QByteArray("\xFF\xFF\xFF\xFF", 4));
    EXPECT_EQ(EncodeRecord(27, QString(kMaxRecordPayload - 1, 'x')).size(), kRecordHeaderSize + kMaxRecordPayload);
    EXPECT_TRUE(EncodeRecord(27, QString(kMaxRecordPayload, 'x')).isEmpty());
}

TEST(SingleInstanceRecord, DecodesByTable)
{
    const QByteArray valid = EncodeRecord(27, QString::fromUtf8("/home/å/Grüße.html"));
    struct Row {
        const char* name;
        QByteArray bytes;
        RecordStatus status;
        int identifier;
        QString text;
    };
    const Row rows[] = {
        {"empty", {}, RecordStatus::NeedMore, 0, {}},
        {"magic prefix", "HV", RecordStatus::NeedMore, 0, {}},
        {"bad magic prefix", "HX", RecordStatus::Malformed, 0, {}},
        {"bad magic", Header("HVSX", 27, 1) + '\0', RecordStatus::Malformed, 0, {}},
        {"header only", Header("HVSK", 27, 5), RecordStatus::NeedMore, 0, {}},
        {"zero length", Header("HVSK", 27, 0), RecordStatus::Malformed, 0, {}},
        {"length 10 MB", Header("HVSK", 27, 10u << 20), RecordStatus::Malformed, 0, {}},
        {"one over the maximum", Header("HVSK", 27, kMaxRecordPayload + 1), RecordStatus::Malformed, 0, {}},
        {"largest", Header("HVSK", 3, kMaxRecordPayload) + QByteArray(kMaxRecordPayload - 1, 'a') + '\0',
         RecordStatus::Complete, 3, QString(kMaxRecordPayload - 1, 'a')},
        {"no NUL at the end", Header("HVSK", 27, 5) + "abcde", RecordStatus::Malformed, 0, {}},
        {"empty text", Header("HVSK", 27, 1) + '\0', RecordStatus::Complete, 27, ""},
        {"text ends at first NUL", Header("HVSK", 27, 6) + QByteArray("ab\0cd\0", 6), RecordStatus::Complete, 27, "ab"},
        {"utf-8", valid, RecordStatus::Complete, 27, QString::fromUtf8("/home/å/Grüße.html")},
        {"trailing bytes ignored", valid + "junk", RecordStatus::Complete, 27, QString::fromUtf8("/home/å/Grüße.html")},
        {"negative identifier", EncodeRecord(-7, "x"), RecordStatus::Complete, -7, "x"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const DecodedRecord decoded = DecodeRecord(row.bytes);
        EXPECT_EQ(decoded.status, row.status);
        if (row.status == RecordStatus::Complete) {
            EXPECT_EQ(decoded.identifier, row.identifier);
            EXPECT_EQ(decoded.text, row.text);
        }
    }
    for (qsizetype cut = 0; cut < valid.size(); ++cut)
        EXPECT_EQ(DecodeRecord(valid.left(cut)).status, RecordStatus::NeedMore) << "prefix " << cut;
}

// ---- names and arguments -------------------------------------------------

TEST(SingleInstanceNames, DisplayIsChosenAndSanitised)
{
    ScopedEnv wayland("WAYLAND_DISPLAY", "wayland-1"), display("DISPLAY", ":0");
    const QString prefix = QStringLiteral("htmlvesk-%1-").arg(::geteuid());
    EXPECT_EQ(ChannelBaseName(), prefix + "wayland-1");
    wayland.Set(QByteArray());
    EXPECT_EQ(ChannelBaseName(), prefix + "_0");
    display.Set("../host:1.0/x y");
    EXPECT_EQ(ChannelBaseName(), prefix + ".._host_1.0_x_y");
    display.Set(QByteArray(200, 'd'));
    EXPECT_EQ(ChannelBaseName(), prefix + QString(64, 'd'));
    display.Set(QByteArray());
    EXPECT_EQ(ChannelBaseName(), prefix + "nodisplay");
}

TEST(SingleInstanceNames, OnlyTheFirstArgumentIsHandedOverAndMadeAbsolute)
{
    char program[] = "htmlvesk", relative[] = "docs/a.html", absolute[] = "/srv/b.html", empty[] = "";
    char* withRelative[] = {program, relative, absolute, nullptr};
    char* withAbsolute[] = {program, absolute, nullptr};
    char* withEmpty[] = {program, empty, nullptr};
    char* none[] = {program, nullptr};
    EXPECT_EQ(HandOverText(3, withRelative), QDir::currentPath() + "/docs/a.html");
    EXPECT_EQ(HandOverText(2, withAbsolute), "/srv/b.html");
    EXPECT_EQ(HandOverText(2, withEmpty), "");
    EXPECT_EQ(HandOverText(1, none), "");
}

// ---- channel folder trust ------------------------------------------------

TEST(SingleInstanceChannel, RuntimeFolderIsUsedOnlyWhenPrivateAndOurs)
{
    test::TempDir base;
    const uid_t uid = ::geteuid();
    const QString fallback = base.path() + QStringLiteral("/htmlvesk-%1").arg(uid);
    const QString runtime = base.file("runtime");
    ASSERT_TRUE(QDir().mkdir(runtime));
    const QByteArray native = QFile::encodeName(runtime);

    ::chmod(native.constData(), 0700);
    EXPECT_EQ(ChannelFolderFor(native + "/", base.path(), uid), runtime);
    EXPECT_EQ(ChannelFolderFor("", base.path(), uid), fallback);
    EXPECT_EQ(ChannelFolderFor("relative/dir", base.path(), uid), fallback);
    EXPECT_EQ(ChannelFolderFor(native + "/missing", base.path(), uid), fallback);
    EXPECT_EQ(ChannelFolderFor(native, base.path(), uid + 1), QString()) << "a folder of another uid";
    ASSERT_EQ(::symlink(native.constData(), QFile::encodeName(base.file("link")).constData()), 0);
    EXPECT_EQ(ChannelFolderFor(QFile::encodeName(base.file("link")), base.path(), uid), fallback);
    for (mode_t loose : {0750, 0705, 0777}) {
        ::chmod(native.constData(), loose);
        EXPECT_EQ(ChannelFolderFor(native, base.path(), uid), fallback) << std::oct << loose;
    }
    if (uid == 0) {
        ::chmod(native.constData(), 0700);
        ASSERT_EQ(::chown(native.constData(), kNobody, kNobody), 0);
        EXPECT_EQ(ChannelFolderFor(native, base.path(), uid), fallback) << "owned by nobody";
    }
    // The fallback made above was created private.
    EXPECT_EQ(ModeOf(fallback) & 07777, 0700u);
    EXPECT_TRUE(S_ISDIR(ModeOf(fallback)));
}

TEST(SingleInstanceChannel, ForeignOrLooseFallbackMakesTheChannelUnavailable)
{
    const uid_t uid = ::geteuid();
    auto fallbackIn = [uid](const test::TempDir& base) {
        return QFile::encodeName(base.path() + QStringLiteral("/htmlvesk-%1").arg(uid));
    };
    {
        test::TempDir base;
        ASSERT_EQ(::mkdir(fallbackIn(base).constData(), 0777), 0);
        ::chmod(fallbackIn(base).constData(), 0777);
        EXPECT_EQ(ChannelFolderFor("", base.path(), uid), QString()) << "mode 0777";
    }
    {
        test::TempDir base, elsewhere;
        ::chmod(QFile::encodeName(elsewhere.path()).constData(), 0700);
        ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.path()).constData(), fallbackIn(base).constData()), 0);
        EXPECT_EQ(ChannelFolderFor("", base.path(), uid), QString()) << "symlink";
    }
    {
        test::TempDir base;
        ASSERT_TRUE(test::WriteFileBytes(QFile::decodeName(fallbackIn(base)), "x"));
        EXPECT_EQ(ChannelFolderFor("", base.path(), uid), QString()) << "regular file";
    }
    if (uid == 0) {
        test::TempDir base;
        ASSERT_EQ(::mkdir(fallbackIn(base).constData(), 0700), 0);
        ASSERT_EQ(::chown(fallbackIn(base).constData(), kNobody, kNobody), 0);
        EXPECT_EQ(ChannelFolderFor("", base.path(), uid), QString()) << "owned by nobody";
    }

    SingleInstance lone{QString()};
    EXPECT_EQ(lone.Acquire(), SingleInstance::Role::Unavailable);
    char program[] = "htmlvesk";
    char* argv[] = {program, nullptr};
    EXPECT_EQ(HandOverIfRunning(1, argv, lone), std::nullopt) << "runs as a lone primary";
}

TEST(SingleInstanceChannel, PlantedFilesAreNeitherFollowedNorRemoved)
{
    TestDisplay display;
    {
        Channel channel;
        test::TempDir elsewhere;
        ASSERT_EQ(::symlink(QFile::encodeName(elsewhere.file("target")).constData(),
                            QFile::encodeName(channel.Lock()).constData()), 0);
        SingleInstance instance(channel.dir.path());
        EXPECT_EQ(instance.Acquire(), SingleInstance::Role::Unavailable) << "lock file is a symlink";
        EXPECT_FALSE(QFileInfo::exists(elsewhere.file("target")));
    }
    {
        Channel channel;
        ASSERT_TRUE(test::WriteFileBytes(channel.Socket(), "not a socket"));
        SingleInstance instance(channel.dir.path());
        EXPECT_EQ(instance.Acquire(), SingleInstance::Role::Unavailable) << "cannot listen";
        EXPECT_EQ(test::ReadFileBytes(channel.Socket()), "not a socket");
        // The lock was given back, so later starts are not left waiting on us.
        const int fd = ::open(QFile::encodeName(channel.Lock()).constData(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
        ::close(fd);
    }
}

// ---- real processes --------------------------------------------------------

namespace {

struct Exchange {
    bool closedByPeer = false;  // the other side ended the connection in time
    QByteArray reply;
};

// Writes raw bytes to the socket from this process (the server being another
// process) and collects what comes back until the other side closes.
Exchange RawExchange(const QString& path, const QByteArray& bytes)
{
    Exchange result;
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(kWaitMs))
        return result;
    socket.write(bytes);
    socket.flush();
    const QDeadlineTimer deadline(kWaitMs);
    while (socket.state() == QLocalSocket::ConnectedState && !deadline.hasExpired()) {
        socket.waitForReadyRead(100);
        result.reply += socket.readAll();
    }
    result.reply += socket.readAll();
    result.closedByPeer = socket.state() != QLocalSocket::ConnectedState;
    return result;
}

QByteArray ReadReply(QLocalSocket& socket)
{
    QByteArray reply;
    const QDeadlineTimer deadline(kWaitMs);
    while (reply.size() < 4 && !deadline.hasExpired()) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(100)
            && socket.state() == QLocalSocket::UnconnectedState)
            break;  // closed without (the rest of) a reply
        reply += socket.read(4 - reply.size());
    }
    return reply;
}

// Takes the lock file the way a primary does, without ever listening.
struct HeldLock {
    int fd;
    explicit HeldLock(const QString& path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600))
    {
    }
    ~HeldLock() { ::close(fd); }
    bool Held() const { return fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0; }
};

// Forks a child that runs `body` (system calls only) as `uid` and exits with
// its result. The parent gets the pid.
template <typename Body>
pid_t ForkAs(uid_t uid, Body body)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Raw system calls: this child of a threaded process only makes those.
        if (uid != ::geteuid()
            && (::syscall(SYS_setgroups, 0, nullptr) != 0 || ::syscall(SYS_setresgid, uid, uid, uid) != 0
                || ::syscall(SYS_setresuid, uid, uid, uid) != 0))
            ::_exit(90);
        ::_exit(body());
    }
    return pid;
}

// Waits for a forked child, running the event loop meanwhile; kills it by pid
// if it overstays. Returns its exit code, or -1.
int WaitForChild(pid_t pid)
{
    int status = 0;
    const bool ended = QTest::qWaitFor([&] { return ::waitpid(pid, &status, WNOHANG) == pid; }, kWaitMs);
    if (!ended) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Kills a forked child by its pid when the scope ends, however it ends.
struct ChildGuard {
    pid_t pid;
    ~ChildGuard()
    {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
};

sockaddr_un SocketAddress(const QByteArray& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.constData(), size_t(std::min<qsizetype>(path.size(), sizeof address.sun_path - 1)));
    return address;
}

} // namespace

TEST(SingleInstanceProcess, SecondStartHandsItsFirstArgumentOverAsAnAbsolutePath)
{
    Channel channel;
    test::TempDir work;
    Probe primary(channel, {});
    ASSERT_TRUE(primary.WaitForLine("primary")) << primary.Output().constData();
    EXPECT_TRUE(S_ISSOCK(ModeOf(channel.Socket())));
    EXPECT_EQ(ModeOf(channel.Socket()) & 077, 0u) << "only our user may connect";

    Probe second(channel, {"docs/page.html", "other.html"}, work.path());
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(second.Lines(), QByteArrayList{"secondary delivered"});
    const QByteArray expected = "record 27 " + QFile::encodeName(QDir(work.path()).canonicalPath()) + "/docs/page.html";
    EXPECT_TRUE(primary.WaitForLine(expected)) << primary.Output().constData();

    Probe bare(channel, {});
    ASSERT_TRUE(bare.WaitForExit());
    EXPECT_EQ(bare.ExitCode(), 0);
    EXPECT_EQ(bare.Lines(), QByteArrayList{"secondary delivered"});
    EXPECT_TRUE(primary.WaitForLine("record 27 ")) << "no argument: empty text";
    EXPECT_EQ(primary.Records().size(), 2);

    // A primary that ends takes its socket with it and frees the lock.
    EXPECT_EQ(RawExchange(channel.Socket(), EncodeRecord(27, "quit-probe")).reply, Reply(1));
    ASSERT_TRUE(primary.WaitForExit());
    EXPECT_EQ(primary.ExitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(channel.Socket()));
    Probe next(channel, {});
    EXPECT_TRUE(next.WaitForLine("primary"));
}

TEST(SingleInstanceProcess, SimultaneousStartsGiveExactlyOnePrimary)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Channel channel;
        Probe a(channel, {"/x/a.html"}), b(channel, {"/x/b.html"});
        ASSERT_TRUE(QTest::qWaitFor([&] { return !a.Lines().isEmpty() && !b.Lines().isEmpty(); }, kWaitMs));
        const bool aFirst = a.Lines().first() == "primary";
        Probe& primary = aFirst ? a : b;
        Probe& second = aFirst ? b : a;
        ASSERT_EQ(primary.Lines().first(), "primary");
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.ExitCode(), 0);
        EXPECT_EQ(second.Lines(), QByteArrayList{"secondary delivered"});
        EXPECT_TRUE(primary.WaitForLine(aFirst ? "record 27 /x/b.html" : "record 27 /x/a.html"));
    }
}

TEST(SingleInstanceProcess, KilledPrimaryIsReplacedDespiteItsStaleSocket)
{
    Channel channel;
    {
        Probe crashed(channel, {});
        ASSERT_TRUE(crashed.WaitForLine("primary"));
        crashed.Process().kill();
        ASSERT_TRUE(crashed.WaitForExit());
    }
    ASSERT_TRUE(S_ISSOCK(ModeOf(channel.Socket()))) << "the socket file outlives a killed primary";

    Probe primary(channel, {});
    ASSERT_TRUE(primary.WaitForLine("primary")) << primary.Output().constData();
    Probe second(channel, {"/x/c.html"});
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.Lines(), QByteArrayList{"secondary delivered"});
    EXPECT_TRUE(primary.WaitForLine("record 27 /x/c.html"));
}

TEST(SingleInstanceProcess, BadRecordsAreDroppedAndTheNextOneIsServed)
{
    Channel channel;
    // The unfinished record is dropped at its deadline: a short one here.
    ScopedEnv deadline{"VESK_PROBE_RECORD_DEADLINE_MS", "300"};
    Probe primary(channel, {});
    ASSERT_TRUE(primary.WaitForLine("primary"));
    const QString path = channel.Socket();

    struct Row {
        const char* name;
        QByteArray bytes;
    };
    const Row rows[] = {
        {"bad magic", Header("HVSX", 27, 2) + QByteArray("a\0", 2)},
        {"length 10 MB", Header("HVSK", 27, 10u << 20) + QByteArray(64 * 1024, 'a')},
        {"no NUL", Header("HVSK", 27, 5) + "abcde"},
        {"zero length", Header("HVSK", 27, 0)},
        {"never finished", Header("HVSK", 27, 100) + "0123456789"},  // dropped at its deadline
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Exchange exchange = RawExchange(path, row.bytes);
        EXPECT_TRUE(exchange.closedByPeer);
        EXPECT_EQ(exchange.reply, QByteArray());
    }
    {
        QLocalSocket halfway;  // closed by us in the middle of a record
        halfway.connectToServer(path);
        ASSERT_TRUE(halfway.waitForConnected(kWaitMs));
        halfway.write(EncodeRecord(27, "truncated").left(15));
        halfway.flush();
        halfway.disconnectFromServer();
    }
    EXPECT_EQ(RawExchange(path, EncodeRecord(5, "hello")).reply, Reply(1));
    ASSERT_TRUE(primary.WaitForLine("record 5 hello"));
    EXPECT_EQ(primary.Records(), QByteArrayList{"record 5 hello"});
}

TEST(SingleInstanceProcess, InterleavedConnectionsAreReadIndependently)
{
    Channel channel;
    Probe primary(channel, {});
    ASSERT_TRUE(primary.WaitForLine("primary"));
    std::vector<std::unique_ptr<QLocalSocket>> clients;
    std::vector<QByteArray> records;
    for (int i = 0; i < 8; ++i) {
        records.push_back(EncodeRecord(100 + i, QStringLiteral("file-%1").arg(i)));
        clients.push_back(std::make_unique<QLocalSocket>());
        clients[i]->connectToServer(channel.Socket());
        ASSERT_TRUE(clients[i]->waitForConnected(kWaitMs));
        clients[i]->write(records[i].left(7 + i));
        clients[i]->flush();
    }
    for (int i = 7; i >= 0; --i) {
        clients[i]->write(records[i].mid(7 + i));
        clients[i]->flush();
        EXPECT_EQ(ReadReply(*clients[i]), Reply(1)) << i;
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return primary.Records().size() == 8; }, kWaitMs));
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(primary.Records()[7 - i], QStringLiteral("record %1 file-%2").arg(100 + i).arg(i).toUtf8());
}

TEST(SingleInstanceProcess, SecondaryExitsWhenNobodyAnswers)
{
    Channel channel;
    HeldLock lock(channel.Lock());
    ASSERT_TRUE(lock.Held());
    Probe second(channel, {"/x/a.html"});
    ASSERT_TRUE(second.WaitForExit());
    EXPECT_EQ(second.ExitCode(), 0);
    EXPECT_EQ(second.Lines(), QByteArrayList{"secondary undelivered"});
}

TEST(SingleInstanceProcess, SecondaryRetriesUntilReplyOneAtMostFiveTimes)
{
    TestDisplay display;
    Channel channel;
    SingleInstance primary(channel.dir.path());
    ASSERT_EQ(primary.Acquire(), SingleInstance::Role::Primary);
    EXPECT_EQ(primary.SocketPath(), channel.Socket());
    int calls = 0, acceptOnCall = 2;
    primary.SetCopyDataHandler([&](SingleInstance* sender, int identifier, const QString& text) {
        EXPECT_EQ(sender, &primary);
        EXPECT_EQ(identifier, 27);
        EXPECT_EQ(text, "/x/a.html");
        return ++calls == acceptOnCall ? 1 : 0;
    });
    {
        Probe second(channel, {"/x/a.html"});
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.Lines(), QByteArrayList{"secondary delivered"});
        EXPECT_EQ(calls, 2);
    }
    calls = 0;
    acceptOnCall = -1;
    Probe refused(channel, {"/x/a.html"});
    ASSERT_TRUE(refused.WaitForExit());
    EXPECT_EQ(refused.ExitCode(), 0);
    EXPECT_EQ(refused.Lines(), QByteArrayList{"secondary undelivered"});
    EXPECT_EQ(calls, 5);
}

TEST(SingleInstanceProcess, RecordsBeforeTheHandlerAreKeptAndDeliveredLater)
{
    TestDisplay display;
    Channel channel;
    SingleInstance primary(channel.dir.path());
    ASSERT_EQ(primary.Acquire(), SingleInstance::Role::Primary);
    Probe early(channel, {"/x/early.html"});
    ASSERT_TRUE(early.WaitForExit());
    EXPECT_EQ(early.Lines(), QByteArrayList{"secondary delivered"}) << "answered 1 while no handler is set";

    QStringList received;
    primary.SetCopyDataHandler([&](SingleInstance*, int, const QString& text) {
        received << text;
        return 1;
    });
    EXPECT_TRUE(received.isEmpty()) << "not from inside the setter";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.isEmpty(); }, kWaitMs));
    Probe late(channel, {"/x/late.html"});
    ASSERT_TRUE(late.WaitForExit());
    EXPECT_EQ(received, (QStringList{"/x/early.html", "/x/late.html"}));
}

TEST(SingleInstancePeers, PrimaryDropsConnectionsFromOtherUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to connect as another user (nobody)";
    TestDisplay display;
    Channel channel;
    SingleInstance primary(channel.dir.path());
    ASSERT_EQ(primary.Acquire(), SingleInstance::Role::Primary);
    int calls = 0;
    primary.SetCopyDataHandler([&](SingleInstance*, int, const QString&) {
        ++calls;
        return 1;
    });
    // Open the folder and the socket up, so only the peer check stands in the way.
    ::chmod(QFile::encodeName(channel.dir.path()).constData(), 0711);
    ::chmod(QFile::encodeName(channel.Socket()).constData(), 0777);

    const sockaddr_un address = SocketAddress(QFile::encodeName(channel.Socket()));
    const QByteArray record = EncodeRecord(27, "/x/from-peer.html");
    // Exit code: 0 closed without a reply, 1 got a reply, 2 could not connect.
    auto client = [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            return 2;
        ::send(fd, record.constData(), size_t(record.size()), MSG_NOSIGNAL);
        pollfd ready{fd, POLLIN, 0};
        if (::poll(&ready, 1, 10000) <= 0)
            return 3;
        char reply[4];
        return ::read(fd, reply, sizeof reply) > 0 ? 1 : 0;
    };
    EXPECT_EQ(WaitForChild(ForkAs(kNobody, client)), 0);
    EXPECT_EQ(calls, 0);
    EXPECT_EQ(WaitForChild(ForkAs(0, client)), 1) << "the same client as ourselves is served";
    EXPECT_EQ(calls, 1);
}

TEST(SingleInstancePeers, SecondaryIgnoresSocketsItDoesNotOwnOrListenersOfOtherUsers)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to create files and listeners of another user (nobody)";
    Channel channel;
    HeldLock lock(channel.Lock());
    ASSERT_TRUE(lock.Held());

    // A listener of ours whose socket file belongs to nobody: never contacted.
    {
        QLocalServer server;
        ASSERT_TRUE(server.listen(channel.Socket()));
        ASSERT_EQ(::chown(QFile::encodeName(channel.Socket()).constData(), kNobody, kNobody), 0);
        int connections = 0;
        QObject::connect(&server, &QLocalServer::newConnection, [&] { ++connections; });
        Probe second(channel, {"/x/a.html"});
        ASSERT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.Lines(), QByteArrayList{"secondary undelivered"});
        EXPECT_EQ(connections, 0);
    }

    // A socket file of ours behind which nobody listens: contacted, but
    // nothing is sent. The child reports 'C' per connection, 'D' for data.
    test::TempDir nobodysDir;
    const QByteArray nobodysPath = QFile::encodeName(nobodysDir.file("s"));
    ASSERT_EQ(::chown(QFile::encodeName(nobodysDir.path()).constData(), kNobody, kNobody), 0);
    int pipeFds[2];
    ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
    const sockaddr_un address = SocketAddress(nobodysPath);
    const pid_t listener = ForkAs(kNobody, [&] {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 8) != 0)
            return 2;
        ::write(pipeFds[1], "L", 1);
        for (;;) {
            const int peer = ::accept(fd, nullptr, nullptr);
            pollfd ready{peer, POLLIN, 0};
            char byte;
            const bool data = ::poll(&ready, 1, 3000) > 0 && ::read(peer, &byte, 1) == 1;
            ::write(pipeFds[1], data ? "D" : "C", 1);
            ::close(peer);
        }
    });
    ChildGuard guard{listener};
    ::close(pipeFds[1]);
    char ready = 0;
    ASSERT_EQ(::read(pipeFds[0], &ready, 1), 1);
    ASSERT_EQ(ready, 'L');
    ::unlink(QFile::encodeName(channel.Socket()).constData());
    ASSERT_EQ(::chown(nobodysPath.constData(), 0, 0), 0);
    ASSERT_EQ(::rename(nobodysPath.constData(), QFile::encodeName(channel.Socket()).constData()), 0);
    {
        Probe second(channel, {"/x/a.html"});
        EXPECT_TRUE(second.WaitForExit());
        EXPECT_EQ(second.Lines(), QByteArrayList{"secondary undelivered"});
    }
    ::kill(listener, SIGKILL);
    QByteArray reports;
    char buffer[64];
    for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        reports.append(buffer, n);
    ::close(pipeFds[0]);
    EXPECT_TRUE(reports.contains('C')) << "the secondary did reach the listener";
    EXPECT_FALSE(reports.contains('D')) << "but sent it nothing";
}
