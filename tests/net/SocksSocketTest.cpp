// Connecting through SOCKS proxies: a scripted proxy for level 4A and every
// failure, and real proxies (microsocks, danted) started by the tests.
#include "NetTestUtil.h"

#include "support/TempDir.h"

#include <QStandardPaths>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace vesk;
using namespace vesk::test;

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

// The proxy's side of the requests.
void ReadGreeting5(PeerConnection& c) { c.Read(3); }
QByteArray ReadRequest5(PeerConnection& c)
{
    QByteArray head = c.Read(5);
    return head.size() == 5 ? head + c.Read(static_cast<unsigned char>(head[4]) + 2) : head;
}
QByteArray ReadRequest4(PeerConnection& c)
{
    QByteArray head = c.Read(8);
    head += c.ReadUntil('\0');
    if (head.size() >= 8 && head[4] == 0 && head[5] == 0 && head[6] == 0)
        head += c.ReadUntil('\0');  // 4A: the host name follows
    return head;
}
void ReadAuth(PeerConnection& c)
{
    QByteArray user = c.Read(2);
    QByteArray password = c.Read((user.size() > 1 ? static_cast<unsigned char>(user[1]) : 0) + 1);
    c.Read(static_cast<unsigned char>(password.back()));
}

// What a socket connecting through a proxy went through.
struct SocksRun {
    explicit SocksRun(TAsyncSocket& socket) : log(socket)
    {
        socket.OnSocksError = [this](TCustomAsyncSocket*, int e, const QString& m) {
            errors << QStringLiteral("%1 %2").arg(e).arg(m);
        };
        socket.OnSocksAuthState = [this](TCustomAsyncSocket*, TSocksAuthState s) { authStates << int(s); };
    }
    SocketLog log;
    QStringList errors;
    QList<int> authStates;
};

void ConnectThrough(TAsyncSocket& socket, int proxyPort, const QString& level, const QString& target,
                    int targetPort, const QString& user = {}, const QString& password = {})
{
    socket.SetSocksServer(QStringLiteral("127.0.0.1"));
    socket.SetSocksPort(QString::number(proxyPort));
    socket.SetSocksLevel(level);
    socket.SetSocksUsercode(user);
    socket.SetSocksPassword(password);
    socket.SetSocksAuthentication(password.isEmpty() ? socksNoAuthentication : socksAuthenticateUsercode);
    socket.SetAddr(target);
    socket.SetPort(QString::number(targetPort));
    socket.Connect();
}

struct FailureCase {
    QString name;
    QString level;
    bool auth;
    std::function<void(PeerConnection&)> proxy;
    QString error;  // "code text"
    QList<int> authStates;
};

std::vector<FailureCase> FailureCases()
{
    auto level4 = [](int code) {
        return [code](PeerConnection& c) {
            ReadRequest4(c);
            c.Write(Bytes({0, code, 0, 0, 0, 0, 0, 0}));
            c.ReadAll(2000);
        };
    };
    auto level5Reply = [](QByteArray reply) {
        return [reply](PeerConnection& c) {
            ReadGreeting5(c);
            c.Write(Bytes({5, 0}));
            ReadRequest5(c);
            c.Write(reply);
            c.ReadAll(2000);
        };
    };
    auto afterGreeting = [](QByteArray reply) {
        return [reply](PeerConnection& c) {
            ReadGreeting5(c);
            c.Write(reply);
            c.ReadAll(2000);
        };
    };
    std::vector<FailureCase> cases = {
        {"4 rejected", "4", false, level4(91), "20016 request rejected or failed", {}},
        {"4 refused", "4", false, level4(92), "20008 connection refused", {}},
        {"4 no identd", "4", false, level4(93), "20015 authentication failed", {}},
        {"4 unknown", "4A", false, level4(94), "20012 unassigned error #94", {}},
        {"5 version", "5", false, afterGreeting(Bytes({4, 0})), "20002 socks version error", {}},
        {"5 garbage", "5", false, afterGreeting("HTTP/1.0 400 Bad Request\r\n"), "20002 socks version error", {}},
        {"5 method", "5", false, afterGreeting(Bytes({5, 0xFF})), "20003 authentication method not acceptable", {}},
        {"5 too much", "5", false, afterGreeting(Bytes({5, 0, 5, 0})), "20001 too much data available", {}},
        {"5 auth failed", "5", true,
         [](PeerConnection& c) {
             ReadGreeting5(c);
             c.Write(Bytes({5, 2}));
             ReadAuth(c);
             c.Write(Bytes({1, 1}));
             c.ReadAll(2000);
         },
         "20015 socks authentication failed", {socksAuthStart, socksAuthFailure}},
        {"5 auth version", "5", true,
         [](PeerConnection& c) {
             ReadGreeting5(c);
             c.Write(Bytes({5, 2}));
             ReadAuth(c);
             c.Write(Bytes({5, 0}));
             c.ReadAll(2000);
         },
         "20002 socks version error", {socksAuthStart, socksAuthFailure}},
        {"5 closed during auth", "5", true,
         [](PeerConnection& c) {
             ReadGreeting5(c);
             c.Write(Bytes({5, 2}));
             ReadAuth(c);
         },
         "20001 socket logic error", {socksAuthStart, socksAuthFailure}},
        {"5 unassigned", "5", false, level5Reply(Bytes({5, 9, 0, 1, 0, 0, 0, 0, 0, 0})), "20012 unassigned error #9", {}},
        {"5 address type", "5", false, level5Reply(Bytes({5, 0, 0, 4, 0})), "20011 address type not supported", {}},
        {"5 truncated", "5", false, [](PeerConnection& c) {
             ReadGreeting5(c);
             c.Write(Bytes({5}));
         },
         "20001 socket logic error", {}},
        {"5 reset", "5", false, [](PeerConnection& c) {
             ReadGreeting5(c);
             c.Reset();
         },
         "10054 data receive error", {}},
    };
    const char* texts[] = {"general SOCKS server failure", "connection not allowed by ruleset", "network unreachable",
                           "host unreachable", "connection refused", "time to live expired",
                           "command not supported", "address type not supported"};
    for (int code = 1; code <= 8; ++code)
        cases.push_back({QStringLiteral("5 reply %1").arg(code), "5", false,
                         level5Reply(Bytes({5, code, 0, 1, 0, 0, 0, 0, 0, 0})),
                         QStringLiteral("%1 %2").arg(20003 + code).arg(texts[code - 1]), {}});
    return cases;
}

QString FindServer(const QString& name)
{
    QString path = QStandardPaths::findExecutable(name);
    return path.isEmpty() ? QStandardPaths::findExecutable(name, {"/usr/sbin", "/usr/bin"}) : path;
}

} // namespace

TEST(SocksSocketTest, EveryFailureIsReportedThenConnectedThenClosedOnce)
{
    for (const FailureCase& row : FailureCases()) {
        SCOPED_TRACE(row.name.toStdString());
        ScriptedPeer proxy(row.proxy);
        TAsyncSocket socket;
        SocksRun run(socket);
        ConnectThrough(socket, proxy.port(), row.level, QStringLiteral("127.0.0.1"), 2121, QStringLiteral("user"),
                       row.auth ? QStringLiteral("secret") : QString());
        ASSERT_TRUE(WaitUntil([&] { return run.log.Count("closed") > 0; }));
        RunEventsFor(20);
        QString code = row.error.section(' ', 0, 0);
        EXPECT_EQ(run.errors, QStringList{row.error});
        EXPECT_EQ(run.log.events, (QStringList{"connected " + code, "closed " + code}));
        EXPECT_EQ(run.authStates, row.authStates);
        EXPECT_EQ(socket.State(), wsClosed);
        // Every close forgets the proxy.
        EXPECT_EQ(socket.SocksServer(), QString());
        EXPECT_EQ(socket.SocksLevel(), QStringLiteral("5"));
    }
}

TEST(SocksSocketTest, Level4ASendsTheHostNameAfterTheUserCode)
{
    QByteArray request;
    ScriptedPeer proxy([&](PeerConnection& c) {
        request = ReadRequest4(c);
        c.Write(Bytes({0, 90, 0, 0, 0, 0, 0, 0}) + "welcome");
        c.ReadAll(2000);
    });
    TAsyncSocket socket;
    SocksRun run(socket);
    ConnectThrough(socket, proxy.port(), QStringLiteral("4a"), QStringLiteral("example.test"), 0x1234,
                   QString::fromLatin1("us\0er", 5));
    ASSERT_TRUE(WaitUntil([&] { return run.log.data == "welcome"; }));
    EXPECT_EQ(request, Bytes({4, 1, 0x12, 0x34, 0, 0, 0, 1}) + QByteArray("us\0example.test\0", 16));
    EXPECT_EQ(run.log.events.value(0), QStringLiteral("connected 0"));
    EXPECT_TRUE(run.errors.isEmpty());
}

TEST(SocksSocketTest, Level5ReplySplitIntoSingleBytesWithTheLongestName)
{
    QByteArray name(255, 'n');
    QByteArray request;
    ScriptedPeer proxy([&](PeerConnection& c) {
        ReadGreeting5(c);
        c.WriteSplit(Bytes({5, 0}));
        request = ReadRequest5(c);
        c.WriteSplit(Bytes({5, 0, 0, 3, 255}) + name + Bytes({0x01, 0x02}) + "ok");
        c.ReadAll(2000);
    });
    TAsyncSocket socket;
    SocksRun run(socket);
    ConnectThrough(socket, proxy.port(), QStringLiteral("5"), QStringLiteral("target.test"), 21);
    ASSERT_TRUE(WaitUntil([&] { return run.log.data == "ok"; }, 20000));
    EXPECT_EQ(request, Bytes({5, 1, 0, 3, 11}) + "target.test" + Bytes({0, 21}));
    EXPECT_EQ(socket.SocksBoundAddr(), QString::fromLatin1(name));
    EXPECT_EQ(socket.SocksBoundPort(), QStringLiteral("258"));
    // The handshake's own sends are not reported to the user.
    EXPECT_EQ(run.log.events, QStringList{"connected 0"});
}

TEST(SocksSocketTest, SilentProxyCanBeAbortedAndRefusedSettings)
{
    ScriptedPeer proxy([](PeerConnection& c) { c.ReadAll(3000); });
    TAsyncSocket socket;
    SocksRun run(socket);
    ConnectThrough(socket, proxy.port(), QStringLiteral("5"), QStringLiteral("127.0.0.1"), 21);
    ASSERT_TRUE(WaitUntil([&] { return socket.State() == wsConnected; }));
    RunEventsFor(100);
    EXPECT_TRUE(run.log.events.isEmpty());
    socket.Abort();
    EXPECT_EQ(run.log.events, QStringList{"closed 0"});

    auto error = [&](const std::function<void()>& call) {
        try {
            call();
        } catch (const ESocketError& e) {
            return e.Message();
        }
        return QString();
    };
    EXPECT_EQ(error([&] { socket.SetSocksLevel("6"); }), QStringLiteral("Invalid socks level. Must be 4, 4A or 5."));
    socket.SetSocksServer(QStringLiteral("127.0.0.1"));
    socket.SetProto(QStringLiteral("udp"));
    EXPECT_EQ(error([&] { socket.Connect(); }), QStringLiteral("tcp is the only protocol supported thru socks server"));
    EXPECT_EQ(error([&] { socket.Listen(); }), QStringLiteral("listening is not supported thru socks server"));
}

TEST(SocksSocketTest, RealProxies)
{
    ScriptedPeer target([](PeerConnection& c) {
        c.Write("hello");
        c.ReadAll(3000);
    });
    struct Row {
        QString name, program, level, user, password, expectedError;
        QList<int> authStates;
    };
    const QList<Row> rows = {
        {"microsocks", "microsocks", "5", "", "", "", {}},
        {"microsocks user", "microsocks", "5", "bob", "secret", "", {socksAuthStart, socksAuthSuccess}},
        {"microsocks bad password", "microsocks", "5", "bob", "wrong", "20015 socks authentication failed",
         {socksAuthStart, socksAuthFailure}},
        {"dante 4", "danted", "4", "someone", "", "", {}},
        {"dante 5", "danted", "5", "", "", "", {}},
    };
    TempDir dir;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name.toStdString());
        QString program = FindServer(row.program);
        if (program.isEmpty())
            GTEST_SKIP() << row.program.toStdString() << " is not installed (Debian packages microsocks, dante-server)";
        int port = FreeLoopbackPort();
        QStringList arguments;
        if (row.program == u"microsocks") {
            arguments = {"-i", "127.0.0.1", "-p", QString::number(port)};
            if (row.name.contains(u"user") || row.name.contains(u"password"))
                arguments << "-u" << "bob" << "-P" << "secret";
        } else {
            QByteArray config = "logoutput: stderr\n"
                                "internal: 127.0.0.1 port = " + QByteArray::number(port) + "\n"
                                "external: 127.0.0.1\n"
                                "clientmethod: none\nsocksmethod: none\n";
            if (::geteuid() == 0)
                config += "user.privileged: root\nuser.unprivileged: nobody\n";
            config += "client pass {\n from: 127.0.0.0/8 to: 0.0.0.0/0\n}\n"
                      "socks pass {\n from: 127.0.0.0/8 to: 127.0.0.0/8\n command: connect\n protocol: tcp\n}\n";
            ASSERT_TRUE(WriteFileBytes(dir.file("danted.conf"), config));
            arguments = {"-f", dir.file("danted.conf"), "-p", dir.file("danted.pid"), "-N", "1"};
        }
        ServerProcess server(program, arguments, port);
        if (!server.Started())
            GTEST_SKIP() << server.Failure().toStdString();
        TAsyncSocket socket;
        SocksRun run(socket);
        ConnectThrough(socket, port, row.level, QStringLiteral("127.0.0.1"), target.port(), row.user, row.password);
        if (row.expectedError.isEmpty()) {
            ASSERT_TRUE(WaitUntil([&] { return run.log.data == "hello"; }));
            EXPECT_EQ(run.log.events, QStringList{"connected 0"});
            EXPECT_TRUE(run.errors.isEmpty()) << run.errors.join(", ").toStdString();
        } else {
            ASSERT_TRUE(WaitUntil([&] { return run.log.Count("closed") > 0; }));
            EXPECT_EQ(run.errors, QStringList{row.expectedError});
        }
        EXPECT_EQ(run.authStates, row.authStates);
        socket.Close();
    }
}
