// Line mode against a scripted peer: lines split across reads, the last
// line at close, editing, echo, switching modes, and a line that never ends.
#include "NetTestUtil.h"

#include <QThread>

#include <gtest/gtest.h>

using namespace vesk;
using namespace vesk::test;

namespace {

// Collects the lines a socket delivers, reading at most `readSize` bytes
// per handler call; a line is complete when nothing of it is left.
struct LineLog {
    LineLog(TAsyncSocket& socket, int readSize)
    {
        socket.OnDataAvailable = [this, readSize](TCustomAsyncSocket* s, int) {
            QByteArray buffer(readSize, '\0');
            int n = s->Receive(buffer.data(), readSize);
            if (n > 0)
                current.append(buffer.constData(), n);
            if (s->RcvdCount() <= 0 && !current.isEmpty()) {
                lines << current;
                current.clear();
            }
        };
        socket.OnSessionClosed = [this](TCustomAsyncSocket*, int) { closed = true; };
    }
    QList<QByteArray> lines;
    QByteArray current;
    bool closed = false;
};

void Connect(TAsyncSocket& socket, const ScriptedPeer& peer)
{
    socket.SetAddr(QStringLiteral("127.0.0.1"));
    socket.SetPort(peer.portText());
    socket.Connect();
}

} // namespace

TEST(LineSocketTest, LinesAsTheyArriveAndTheLastOneAtClose)
{
    struct Row {
        const char* name;
        QList<QByteArray> chunks;  // written apart, so they arrive in separate reads
        bool edit;
        int readSize;
        QList<QByteArray> lines;
    };
    const QList<Row> rows = {
        {"two lines, last at close", {"ab\r\ncd"}, false, 64, {"ab\r\n", "cd"}},
        {"line end split", {"one\r", "\ntwo\r\n"}, false, 64, {"one\r\n", "two\r\n"}},
        {"small reads", {"abcdefg\r\nxy\r\n"}, false, 3, {"abcdefg\r\n", "xy\r\n"}},
        {"tabs", {"a\tb\r\n\tx\r\n12345678\tz\r\n"}, true, 64, {"a       b\r\n", "        x\r\n", "12345678        z\r\n"}},
        {"backspaces", {"abc\b\bd\r\n", "\bq\r\n", "\xC3\xA9\bz\b\b!\r\n"}, true, 64, {"ad\r\n", "q\r\n", "!\r\n"}},
        {"no editing", {"a\tb\b\r\n"}, false, 64, {"a\tb\b\r\n"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedPeer peer([&](PeerConnection& c) {
            for (const QByteArray& chunk : row.chunks) {
                c.Write(chunk);
                QThread::msleep(30);
            }
        });
        TAsyncSocket socket;
        socket.SetLineMode(true);
        socket.SetLineEdit(row.edit);
        LineLog log(socket, row.readSize);
        Connect(socket, peer);
        ASSERT_TRUE(WaitUntil([&] { return log.closed; }));
        EXPECT_EQ(log.lines, row.lines);
    }
}

TEST(LineSocketTest, EchoAndLeavingLineModeWithDataBuffered)
{
    QByteArray echoed;
    ScriptedPeer peer([&](PeerConnection& c) {
        c.Write("first\r\nrest of it");
        echoed = c.Read(17);
        c.ReadAll(2000);
    });
    TAsyncSocket socket;
    socket.SetLineMode(true);
    socket.SetLineEcho(true);
    QList<QByteArray> received;
    socket.OnDataAvailable = [&](TCustomAsyncSocket* s, int) {
        received << s->ReceiveStr();
        // After the first line the rest is plain data, delivered again.
        socket.SetLineMode(false);
    };
    Connect(socket, peer);
    ASSERT_TRUE(WaitUntil([&] { return received.size() >= 2; }));
    EXPECT_EQ(received, (QList<QByteArray>{"first\r\n", "rest of it"}));
    socket.Close();
    peer.Stop();
    EXPECT_EQ(echoed, "first\r\nrest of it");
}

TEST(LineSocketTest, EndlessLineFiresLineTooLongAndStaysBounded)
{
    const int total = 1 << 20;
    ScriptedPeer peer([&](PeerConnection& c) { c.Write(QByteArray(total, 'x')); });
    TAsyncSocket socket;
    socket.SetLineMode(true);
    socket.SetLineLimit(4096);
    int tooLong = 0;
    socket.OnLineTooLong = [&](TCustomAsyncSocket*) { ++tooLong; };
    qsizetype delivered = 0, largest = 0;
    bool closed = false;
    socket.OnDataAvailable = [&](TCustomAsyncSocket* s, int) {
        QByteArray piece = s->ReceiveStr();
        delivered += piece.size();
        largest = std::max(largest, piece.size());
    };
    socket.OnSessionClosed = [&](TCustomAsyncSocket*, int) { closed = true; };
    Connect(socket, peer);
    ASSERT_TRUE(WaitUntil([&] { return closed; }, 30000));
    EXPECT_EQ(delivered, total);  // nothing lost
    EXPECT_LE(largest, 4096);
    EXPECT_GE(tooLong, total / 4096 - 1);
}
