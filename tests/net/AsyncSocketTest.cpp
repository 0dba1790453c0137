// The socket proper against loopback peers the tests start: connecting,
// sending, closing, look-ups, listening, datagrams, the waits.
#include "NetTestUtil.h"

#include "net/SocketPump.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

void ConnectTo(TCustomAsyncSocket& socket, int port, const QString& proto = QStringLiteral("tcp"))
{
    socket.SetAddr(QStringLiteral("127.0.0.1"));
    socket.SetPort(QString::number(port));
    socket.SetProto(proto);
    socket.Connect();
}

QString ErrorOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const ESocketError& e) {
        return e.Message();
    }
    return QStringLiteral("(no error)");
}

} // namespace

TEST(AsyncSocketTest, SendBeforeConnectingIsRefusedWith10057)
{
    TAsyncSocket socket;
    EXPECT_EQ(ErrorOf([&] { socket.SendStr("x"); }),
              QStringLiteral("Error 10057 in function Send\r\nSocket is not connected"));
    int reports = 0;
    socket.OnError = [&](TCustomAsyncSocket*) { ++reports; };
    EXPECT_EQ(socket.SendStr("x"), -1);
    EXPECT_EQ(socket.LastError(), 10057);
    EXPECT_EQ(reports, 1);
}

TEST(AsyncSocketTest, ConversationWithAPeerEndsInOneCloseEvent)
{
    QByteArray received;
    ScriptedPeer peer([&](PeerConnection& c) {
        c.Write("hello");
        received = c.Read(5);
    });
    TAsyncSocket socket;
    SocketLog log(socket);
    ConnectTo(socket, peer.port());
    EXPECT_EQ(socket.State(), wsConnecting);
    ASSERT_TRUE(WaitUntil([&] { return log.data == "hello"; }));
    EXPECT_EQ(socket.GetPeerAddr(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(socket.GetPeerPort(), peer.portText());
    EXPECT_EQ(socket.SendStr("world"), 5);
    ASSERT_TRUE(WaitUntil([&] { return log.Count("closed") > 0; }));
    RunEventsFor(50);
    EXPECT_EQ(received, "world");
    // The first write event follows the connect event; each queue drained
    // reports once; the peer's close is reported once.
    EXPECT_EQ(log.events, (QStringList{"connected 0", "sent 0", "sent 0", "closed 0"}));
    EXPECT_EQ(socket.State(), wsClosed);
    EXPECT_EQ(socket.GetPeerAddr(), QStringLiteral("error"));
}

TEST(AsyncSocketTest, PeerResetDuringSendingClosesOnceWithTheError)
{
    ScriptedPeer peer([](PeerConnection& c) {
        c.Read(1000);
        c.Reset();
    });
    TAsyncSocket socket;
    SocketLog log(socket, false);
    ConnectTo(socket, peer.port());
    ASSERT_TRUE(WaitUntil([&] { return socket.State() == wsConnected; }));
    QByteArray block(1 << 20, 'x');
    for (int i = 0; i < 16 && socket.State() == wsConnected; ++i)
        socket.SendStr(block);
    ASSERT_TRUE(WaitUntil([&] { return socket.State() == wsClosed; }));
    RunEventsFor(50);
    EXPECT_EQ(log.Count("closed"), 1);
    EXPECT_TRUE(log.events.contains(QStringLiteral("closed 10054"))) << log.events.join(", ").toStdString();
}

TEST(AsyncSocketTest, RefusedConnectionReportsTheErrorAndCloses)
{
    TAsyncSocket socket;
    SocketLog log(socket);
    ConnectTo(socket, FreeLoopbackPort());
    ASSERT_TRUE(WaitUntil([&] { return log.Count("closed") > 0; }));
    EXPECT_EQ(log.events, (QStringList{"connected 10061", "closed 10061"}));
    EXPECT_EQ(socket.State(), wsClosed);
}

TEST(AsyncSocketTest, CloseResetsTheSettingsAndCloseTwiceDoesNothing)
{
    ScriptedPeer peer([](PeerConnection& c) { c.ReadAll(); });
    TAsyncSocket socket;
    SocketLog log(socket);
    ConnectTo(socket, peer.port());
    ASSERT_TRUE(WaitUntil([&] { return socket.State() == wsConnected; }));
    // Open: the same text is accepted, another one refused.
    socket.SetPort(peer.portText());
    EXPECT_EQ(ErrorOf([&] { socket.SetPort("1"); }), QStringLiteral("Cannot change Port if not closed"));
    EXPECT_EQ(ErrorOf([&] { socket.Connect(); }), QStringLiteral("Connect: Socket already in use"));
    socket.Close();
    socket.Close();
    EXPECT_EQ(log.Count("closed"), 1);
    EXPECT_EQ(socket.State(), wsClosed);
    EXPECT_EQ(ErrorOf([&] { socket.Connect(); }), QStringLiteral("Connect: No Port Specified"));
    socket.SetPort(peer.portText());
    EXPECT_EQ(ErrorOf([&] { socket.Connect(); }), QStringLiteral("Connect: No IP Address Specified"));
    socket.SetAddr(QStringLiteral(" 127.0.0.1 "));
    EXPECT_EQ(socket.Addr(), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(ErrorOf([&] { socket.Connect(); }), QStringLiteral("Connect: No Protocol Specified"));
    EXPECT_EQ(socket.Proto(), QStringLiteral("tcp"));
    socket.SetPort(QString(32, '1'));
    socket.SetProto(QStringLiteral("tcp"));
    EXPECT_EQ(ErrorOf([&] { socket.Connect(); }), QStringLiteral("connect: SocketResolvePort: Invalid Port."));
}

TEST(AsyncSocketTest, CloseWithALingerTimeWaitsForTheDataToGoOut)
{
    const int size = 4 << 20;
    qsizetype received = 0;
    ScriptedPeer peer([&](PeerConnection& c) {
        QThread::msleep(200);  // the data is still queued when Close is called
        received = c.ReadAll(10000).size();
    });
    TAsyncSocket socket;
    SocketLog log(socket, false);
    ConnectTo(socket, peer.port());
    ASSERT_TRUE(WaitUntil([&] { return socket.State() == wsConnected; }));
    socket.SendStr(QByteArray(size, 'L'));
    socket.SetLingerTimeout(10);
    socket.SetLingerOption();
    socket.Close();
    EXPECT_EQ(log.Count("closed"), 1);
    peer.Stop();
    EXPECT_EQ(received, size);  // not cut off by a reset
}

TEST(AsyncSocketTest, HostLookups)
{
    TAsyncSocket socket;
    QList<int> done;
    socket.OnDnsLookupDone = [&](TCustomAsyncSocket*, int e) { done << e; };
    socket.DnsLookup(QStringLiteral("127.1"));
    EXPECT_EQ(done, QList<int>{0});  // answered before DnsLookup returned
    EXPECT_EQ(socket.DnsResult(), QStringLiteral("127.0.0.1"));

    done.clear();
    socket.DnsLookup(QStringLiteral("localhost"));
    EXPECT_TRUE(done.isEmpty());
    ASSERT_TRUE(WaitUntil([&] { return !done.isEmpty(); }));
    EXPECT_EQ(done, QList<int>{0});
    EXPECT_TRUE(socket.DnsResultList().contains(QStringLiteral("127.0.0.1")));

    done.clear();
    socket.ReverseDnsLookup(QStringLiteral("127.0.0.1"));
    ASSERT_TRUE(WaitUntil([&] { return !done.isEmpty(); }));
    EXPECT_EQ(done, QList<int>{0});
    EXPECT_FALSE(socket.DnsResult().isEmpty());

    done.clear();
    socket.DnsLookup(QStringLiteral("localhost"));
    socket.CancelDnsLookup();
    RunEventsFor(200);
    EXPECT_EQ(done, QList<int>{10004});

    for (const QString& bad : QStringList{QString(), QStringLiteral("two words"), QString::fromLatin1("nul\0name", 8), QString(257, 'a')}) {
        done.clear();
        EXPECT_EQ(ErrorOf([&] { socket.DnsLookup(bad); }), QStringLiteral("DNS lookup: invalid host name."));
        ASSERT_TRUE(WaitUntil([&] { return !done.isEmpty(); }));
        EXPECT_EQ(done, QList<int>{10022});
    }
}

TEST(AsyncSocketTest, ListenAcceptAndDupCarryAConversation)
{
    TAsyncSocket server, served, client;
    server.SetAddr(QStringLiteral("127.0.0.1"));
    server.SetPort(QStringLiteral("0"));
    server.Listen();
    ASSERT_EQ(server.State(), wsListening);
    SocketLog servedLog(served);
    server.OnSessionAvailable = [&](TCustomAsyncSocket* s, int) { served.Dup(s->Accept()); };
    SocketLog clientLog(client);
    ConnectTo(client, server.LocalPort().toInt());
    ASSERT_TRUE(WaitUntil([&] { return served.State() == wsConnected && client.State() == wsConnected; }));
    served.SendStr("ping");
    ASSERT_TRUE(WaitUntil([&] { return clientLog.data == "ping"; }));
    client.SendStr("pong");
    ASSERT_TRUE(WaitUntil([&] { return servedLog.data == "pong"; }));
    client.Close();
    ASSERT_TRUE(WaitUntil([&] { return servedLog.Count("closed") == 1; }));

    int reports = 0;
    client.OnError = [&](TCustomAsyncSocket*) { ++reports; };
    EXPECT_EQ(client.Accept(), -1);
    EXPECT_EQ(client.LastError(), 10022);
    client.Dup(-1);
    EXPECT_EQ(reports, 2);
}

TEST(AsyncSocketTest, QueuedDataArrivesIntactAcrossBlocksAndPartialWrites)
{
    TAsyncSocket server, receiver, sender;
    server.SetAddr(QStringLiteral("127.0.0.1"));
    server.SetPort(QStringLiteral("0"));
    server.Listen();
    server.OnSessionAvailable = [&](TCustomAsyncSocket* s, int) { receiver.Dup(s->Accept()); };
    QByteArray received;
    receiver.OnDataAvailable = [&](TCustomAsyncSocket* s, int) {
        char buffer[777];
        int n = s->Receive(buffer, sizeof buffer);
        if (n > 0)
            received.append(buffer, n);
    };
    int drained = 0;
    sender.OnDataSent = [&](TCustomAsyncSocket*, int) { ++drained; };
    sender.SetBufSize(1000);
    ConnectTo(sender, server.LocalPort().toInt());
    ASSERT_TRUE(WaitUntil([&] { return sender.State() == wsConnected && drained == 1; }));
    // Far more than the system takes at once, in sizes that straddle blocks.
    QByteArray expected;
    for (int i = 0; expected.size() < (6 << 20); ++i) {
        QByteArray piece(1 + (i * 7919) % 5000, char('a' + i % 26));
        expected += piece;
        ASSERT_EQ(sender.SendStr(piece), piece.size());
    }
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= expected.size(); }, 30000));
    EXPECT_TRUE(received == expected);
    EXPECT_TRUE(WaitUntil([&] { return drained >= 2; }));
}

TEST(AsyncSocketTest, DatagramSocketIsConnectedAtOnce)
{
    TAsyncSocket receiver, sender;
    receiver.SetAddr(QStringLiteral("127.0.0.1"));
    receiver.SetPort(QStringLiteral("0"));
    receiver.SetProto(QStringLiteral("udp"));
    SocketLog receiverLog(receiver);
    receiver.Listen();
    EXPECT_EQ(receiverLog.events, QStringList{"connected 0"});
    SocketLog senderLog(sender);
    ConnectTo(sender, receiver.LocalPort().toInt(), QStringLiteral("udp"));
    EXPECT_EQ(sender.State(), wsConnected);
    EXPECT_EQ(senderLog.events, QStringList{"connected 0"});
    receiver.Pause();
    sender.SendStr("datagram");
    RunEventsFor(50);
    EXPECT_TRUE(receiverLog.data.isEmpty());
    receiver.Resume();
    ASSERT_TRUE(WaitUntil([&] { return receiverLog.data == "datagram"; }));
}

TEST(AsyncSocketTest, ExceptionInAHandlerAbortsUnlessTheHandlerKeepsTheSocket)
{
    for (bool keep : {false, true}) {
        ScriptedPeer peer([](PeerConnection& c) {
            c.Write("x");
            c.ReadAll(2000);
        });
        TAsyncSocket socket;
        QString seen;
        socket.OnDataAvailable = [](TCustomAsyncSocket* s, int) {
            s->ReceiveStr();
            throw std::runtime_error("handler failed");
        };
        socket.OnBgException = [&](TCustomAsyncSocket*, const std::exception& e, bool& canClose) {
            seen = QString::fromUtf8(e.what());
            canClose = !keep;
        };
        ConnectTo(socket, peer.port());
        ASSERT_TRUE(WaitUntil([&] { return !seen.isEmpty(); }));
        EXPECT_EQ(seen, QStringLiteral("handler failed"));
        EXPECT_EQ(socket.State(), keep ? wsConnected : wsClosed);
        socket.Abort();
    }
}

TEST(AsyncSocketTest, WaitUntilReadyEndsOnTheFlagTheTimeoutOrAQuit)
{
    TAsyncSocket socket;
    std::uint8_t flag = 0;
    QTimer::singleShot(10, [&] { flag = 1; });
    EXPECT_EQ(socket.WaitUntilReady(flag, 10000), 0);
    flag = 0;
    EXPECT_EQ(socket.WaitUntilReady(flag, 30), 12001);

    // The socket's own pump notes the quit in its terminated flag; the quit
    // request itself still reaches the application.
    socket.SetMultiThreaded(true);
    QTimer::singleShot(10, [] { QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit)); });
    EXPECT_EQ(socket.WaitUntilReady(flag, 10000), 12001);
    EXPECT_TRUE(socket.Terminated());
    EXPECT_TRUE(ApplicationTerminated());
    ResetApplicationQuitForTests();
}
